// The phone list: loading the profiles and opening the profile editor.
#include "app/main_window.h"

#include "platform/ini_file.h"
#include "platform/paths.h"
#include "profiles/profile_editor.h"

#include <optional>

namespace lumira {

std::vector<PhoneProfile> MainWindow::ReadProfileFile() const
{
    const IniFile ini(Folders.ConfigFile("profiles.ini"));
    return ReadProfiles(ini);
}

void MainWindow::LoadProfiles()
{
    ShowProfiles(ReadProfileFile());
}

void MainWindow::ShowProfiles(std::vector<PhoneProfile> profiles)
{
    // What the chosen position stood for before, to tell whether it now means another phone.
    std::optional<PhoneProfile> chosenBefore;
    if (const PhoneProfile* p = SelectedProfile()) chosenBefore = *p;
    const int positionBefore = e_model->ItemIndex();

    Profiles = std::move(profiles);
    // Profiles is complete before the list changes, so a change notification reads the new list.
    e_model->ReplaceItems(ProfileNames(Profiles));

    // The list notifies only when the position moves. When it stays but another profile (or the
    // same one with other values) now stands there, the preview must still follow it.
    if (e_model->ItemIndex() != positionBefore) return;
    std::optional<PhoneProfile> chosenNow;
    if (const PhoneProfile* p = SelectedProfile()) chosenNow = *p;
    if (chosenNow != chosenBefore) e_modelPropertiesChange();
}

void MainWindow::b_profilesClick()
{
    // A fresh editor each time, owned by this window and gone before the list is read again.
    {
        ProfileEditor editor(FolderText(Folders.configDir), this);
        // It opens on the phone chosen here.
        if (const PhoneProfile* chosen = SelectedProfile()) editor.SelectProfile(chosen->Name);
        editor.exec();
    }
    LoadProfiles();
}

} // namespace lumira
