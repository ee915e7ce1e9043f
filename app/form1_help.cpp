// The help window.
#include "app/form1.h"

#include "help/help_form.h"

#include <QLabel>
#include <memory>

namespace lumira {

void TForm1::b_infoClick()
{
    // A fresh window for every opening, owned by the main window and gone once it closes.
    auto form = std::make_unique<Thelp_form>(version->text(), this);
    form->exec();
}

} // namespace lumira
