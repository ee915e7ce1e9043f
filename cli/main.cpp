// lumira-cli: books from the command line, with no window and no display.
#include "cli/cli_app.h"
#include "platform/paths.h"

#include <QGuiApplication>
#include <cstdio>

using namespace lumira;

namespace {

// Qt's own remarks (missing runtime folders and the like) are no concern of the user's; only its
// serious failures are shown.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fputs(("lumira-cli: " + message.toStdString() + "\n").c_str(), stderr);
        std::fflush(stderr);
    }
}

} // namespace

int main(int argc, char** argv)
{
    // Fonts are drawn without a display unless the user picks a platform; the offscreen
    // platform also keeps a desktop's font settings out of the glyphs.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietQtMessages);
    QGuiApplication app(argc, argv);
    // The arguments as given: a file name that is not valid UTF-8 still names its file.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << FromNativeName(argv[i]);
    return RunCli(arguments);
}
