// Program entry: one copy per program folder, the main window, the message
// loop. `lumira FILE` opens FILE; a second start hands its file to the running copy, which
// comes forward. Returns 0 in every case.
#include "settings/app_folders.h"
#include "app/font_configuration.h"
#include "app/main_window.h"
#include "settings/settings_file.h"
#include "app/instance_channel.h"
#include "app/single_instance.h"
#include "platform/application.h"
#include "platform/desktop.h"
#include "platform/ini_file.h"
#include "platform/language.h"
#include "platform/paths.h"

#include <QDir>
#include <memory>

using namespace lumira;

namespace {

// Everything after the application object: a failure escapes to the caller, which shows it while
// the application object still lives (a message box needs it).
void Run()
{
    // The system's language until the settings say otherwise, so that a failure to find the
    // user's folders is told in it.
    ApplyLanguage(ChooseLanguage(std::nullopt, std::nullopt));
    // Portable or installed: the lock guards the working folder, wherever that lies.
    const AppFolders folders = ChooseAppFolders(ToFsPath(ExecutableDir()));
    PrepareAppFolders(folders);
    ApplyLanguage(ChooseLanguage(std::nullopt, ReadStoredLanguage(IniFile(folders.ConfigFile("config.ini")))));
    const std::optional<QString> file = FileToOpen(Application::arguments(), QDir::currentPath());
    const QString lockFolder = FolderText(folders.workDir);
    SingleInstance instance(lockFolder);
    if (!instance.Acquired()) {
        // The copy that runs from this folder takes the file and comes forward; only when it does
        // not answer is the second start refused with a message.
        if (!instance.HeldByAnother() || !InstanceChannel::HandOver(lockFolder, file.value_or(QString())))
            TheDesktop().ShowError(nullptr, instance.FailureText());
        return;
    }
    // Requests that come while the window is still being built wait in the socket's queue.
    MainWindow* window = nullptr;
    QStringList early;
    const InstanceChannel channel(lockFolder, [&window, &early](const QString& handed) {
        if (window) window->TakeHandedFile(handed);
        else early << handed;
    });
    auto form = std::make_unique<MainWindow>(folders);
    form->show();
    window = form.get();
    form->OpenAtStart(file);
    for (const QString& handed : early) window->TakeHandedFile(handed);
    Application::exec();
    window = nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    const EarlyFontConfiguration fonts;
    std::unique_ptr<Application> app;
    try {
        app = std::make_unique<Application>(argc, argv);
    } catch (...) {
        // Without the application object there is nothing to show a message with.
        return 0;
    }
    try {
        Run();
    } catch (...) {
        // The windows built so far are gone by now; the message box is the only one open.
        ShowCurrentException();
    }
    return 0;
}
