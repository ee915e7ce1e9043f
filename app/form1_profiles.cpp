// The phone list: loading the profiles and opening the profile editor.
#include "app/form1.h"

#include "platform/ini_file.h"
#include "platform/paths.h"

void TForm1::LoadProfiles()
{
    Profiles.clear();
    {
        const IniFile ini(ToFsPath(AppDir + QStringLiteral("profiles.ini")));
        Profiles = ReadProfiles(ini);
    }
    // Profiles is complete before the list changes, so a change notification reads the new list.
    e_model->ReplaceItems(ProfileNames(Profiles));
}

void TForm1::b_profilesClick()
{
    // The profile editor window arrives with its own module.
    LoadProfiles();
}
