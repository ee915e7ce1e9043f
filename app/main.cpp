// Program entry: one copy per program folder, the main window, the hidden profile editor, the
// message loop. Returns 0 in every case.
#include "app/app_folders.h"
#include "app/form1.h"
#include "app/settings_file.h"
#include "app/single_instance.h"
#include "platform/application.h"
#include "platform/desktop.h"
#include "platform/ini_file.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "profiles/profiles_form.h"

#include <memory>

int main(int argc, char** argv)
{
    try {
        Application app(argc, argv);
        ApplyLanguage(ChooseLanguage(std::nullopt, std::nullopt));
        // Portable or installed: the lock guards the working folder, wherever that lies.
        const AppFolders folders = ChooseAppFolders(ToFsPath(ExecutableDir()));
        PrepareAppFolders(folders);
        ApplyLanguage(ChooseLanguage(std::nullopt, ReadStoredLanguage(IniFile(folders.ConfigFile("config.ini")))));
        SingleInstance instance(FolderText(folders.workDir));
        if (!instance.Acquired()) {
            TheDesktop().ShowError(nullptr, SingleInstance::AlreadyRunningText());
            return 0;
        }
        auto form = std::make_unique<TForm1>(folders);
        // The start-up profile editor: it reads the file like any other instance and is never
        // shown; it goes before the main window does.
        auto editor = std::make_unique<Tprofiles_form>(FolderText(folders.configDir));
        profiles_form = editor.get();
        form->show();
        app.exec();
    } catch (...) {
        ShowCurrentException();
    }
    return 0;
}
