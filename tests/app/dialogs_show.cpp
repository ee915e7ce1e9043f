// Opens the main window on the program folder given as the first argument and, a moment later,
// one of its choosers as its button does ("font", "color" or "open"); used to take screenshots.
#include "app/main_window.h"
#include "platform/application.h"

#include <QTimer>
#include <memory>

using namespace lumira;

int main(int argc, char** argv)
{
    Application app(argc, argv);
    if (argc < 3) return 2;
    const QString which = QString::fromLocal8Bit(argv[2]);
    try {
        auto form = std::make_unique<MainWindow>(QString::fromLocal8Bit(argv[1]));
        form->show();
        QTimer::singleShot(700, form.get(), [&form, which] {
            if (which == QStringLiteral("font")) form->b_fontClick();
            else if (which == QStringLiteral("color")) form->b_backClick();
            else form->cxButtonEdit1PropertiesButtonClick();
        });
        return app.exec();
    } catch (...) {
        ShowCurrentException();
    }
    return 1;
}
