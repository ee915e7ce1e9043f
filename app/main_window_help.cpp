// The help window.
#include "app/main_window.h"

#include "help/help_window.h"

#include <QLabel>
#include <memory>

namespace lumira {

void MainWindow::b_infoClick()
{
    // A fresh window for every opening, owned by the main window and gone once it closes.
    auto form = std::make_unique<HelpWindow>(version->text(), this);
    form->exec();
}

} // namespace lumira
