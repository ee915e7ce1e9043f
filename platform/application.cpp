#include "platform/application.h"
#include "platform/errors.h"

#include "platform/desktop.h"
#include "platform/language.h"

#include <exception>

namespace lumira {

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    // No display name: the window manager would append it to every window's caption.
    setApplicationName(QStringLiteral("Lumira generator"));
    // The desktop entry an installed program is listed under, so the desktop shows its icon.
    setDesktopFileName(QStringLiteral("org.lumira.generator"));
    // Russian until the program applies the language it is set to: the standard dialogs speak it
    // too, where Qt's translation exists.
    ApplyLanguage(Language::Russian);
}

QString CurrentExceptionMessage()
{
    try {
        throw;
    } catch (const std::exception& e) {
        return QString::fromStdString(FailureText(e));
    } catch (...) {
        return QString();
    }
}

void ShowCurrentException()
{
    TheDesktop().ShowError(QApplication::activeWindow(), CurrentExceptionMessage());
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowCurrentException();
    }
    return false;
}

} // namespace lumira
