// Opens the main window on a program folder with a text chosen and read in an encoding, and
// optionally the encoding menu open; used to take screenshots.
//   app_encoding_show <program folder> <text> <encoding key> [menu]
#include "app/main_window.h"
#include "platform/application.h"

#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <memory>

using namespace lumira;

int main(int argc, char** argv)
{
    Application app(argc, argv);
    if (argc < 4) return 2;
    const auto chosen = EncodingFromKey(argv[3]);
    if (!chosen) return 2;
    const bool menu = argc > 4 && QString::fromLocal8Bit(argv[4]) == QStringLiteral("menu");
    try {
        auto form = std::make_unique<MainWindow>(QString::fromLocal8Bit(argv[1]));
        form->show();
        form->e_text->setText(QString::fromLocal8Bit(argv[2]));
        form->e_caption->setText(QStringLiteral("Книга"));
        // Reading happens on a change of encoding: pass through another one to read in the chosen.
        form->e_text_encodingChoose(*chosen == TextEncoding::Cp1251 ? TextEncoding::Utf8 : TextEncoding::Cp1251);
        form->e_text_encodingChoose(*chosen);
        if (menu) QTimer::singleShot(700, form.get(), [&form] { form->e_text_encoding->showMenu(); });
        return app.exec();
    } catch (...) {
        ShowCurrentException();
    }
    return 1;
}
