// Starts the program's main window in the program folder named on the command line, shows and
// paints it once, then ends: the same as the bare program it is compared with.
#include "app/font_configuration.h"
#include "app/main_window.h"
#include "platform/application.h"

#include <cstdio>

using namespace lumira;

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM_FOLDER/\n", argv[0]);
        return 2;
    }
    const EarlyFontConfiguration fonts;  // as the program's own entry does
    Application app(argc, argv);
    try {
        MainWindow form(QString::fromLocal8Bit(argv[1]));
        form.show();
        QCoreApplication::processEvents();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
