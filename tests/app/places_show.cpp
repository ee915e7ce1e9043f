// Prints where controls of the main window stand, as its layouts place them when it opens on the
// program folder given, so that the real-program tests click and point at the controls wherever
// the layouts put them: one line "NAME LEFT TOP WIDTH HEIGHT" for each control named, in the
// client area's pixels. Create's status line is shown (one line) before it is measured.
//   app_places_show PROGRAM_FOLDER NAME...
// The folder is used as the program uses it (its working folder is emptied): give a copy.
#include "app/create_panel.h"
#include "app/main_window.h"
#include "platform/application.h"
#include "platform/ini_file.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "settings/settings_file.h"

#include <QLabel>
#include <cstdio>
#include <memory>

using namespace lumira;

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    if (argc < 3) return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    // The language as the program chooses it for that folder.
    ApplyLanguage(ChooseLanguage(std::nullopt, ReadStoredLanguage(IniFile(ToFsPath(folder) / "config.ini"))));
    try {
        auto form = std::make_unique<MainWindow>(folder);
        form->TheCreatePanel().ShowStatus(QStringLiteral("."));
        form->show();
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
        for (int i = 2; i < argc; ++i) {
            const QString name = QString::fromLocal8Bit(argv[i]);
            const QWidget* w = form->findChild<QWidget*>(name);
            if (!w) {
                std::fprintf(stderr, "no control named %s\n", argv[i]);
                return 1;
            }
            const QPoint at = w->mapTo(form.get(), QPoint(0, 0));
            std::printf("%s %d %d %d %d\n", argv[i], at.x(), at.y(), w->width(), w->height());
        }
        return 0;
    } catch (...) {
        ShowCurrentException();
    }
    return 1;
}
