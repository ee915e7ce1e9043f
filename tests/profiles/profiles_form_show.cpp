// Opens the main window on the program folder given as the argument and, a moment later, the
// profile editor over it, as the "Профили" button does; used to take screenshots.
#include "app/main_window.h"
#include "platform/application.h"

#include <QTimer>
#include <memory>

using namespace lumira;

int main(int argc, char** argv)
{
    Application app(argc, argv);
    if (argc < 2) return 2;
    try {
        auto form = std::make_unique<MainWindow>(QString::fromLocal8Bit(argv[1]));
        form->show();
        QTimer::singleShot(700, form.get(), [&form] { form->b_profilesClick(); });
        return app.exec();
    } catch (...) {
        ShowCurrentException();
    }
    return 1;
}
