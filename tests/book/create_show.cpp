// Runs Create in the main window for a screenshot (screenshots.sh); not a test.
//   book_create_show <program folder> <text file>
// The save dialog (or the refusal, when the program folder has no phones) stays on screen.
#include "app/main_window.h"
#include "platform/application.h"
#include "platform/paths.h"

#include <QLineEdit>
#include <QTimer>

using namespace lumira;

int main(int argc, char** argv)
{
    Application app(argc, argv);
    if (argc != 3) return 2;
    MainWindow form(QString::fromLocal8Bit(argv[1]));
    form.show();
    form.e_text->setText(QString::fromLocal8Bit(argv[2]));
    form.e_caption->setText(QStringLiteral("Война и мир"));
    QTimer::singleShot(500, [&] {
        try {
            form.b_okClick();
        } catch (...) {
            ShowCurrentException();
        }
    });
    return app.exec();
}
