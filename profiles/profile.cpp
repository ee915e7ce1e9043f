#include "profiles/profile.h"

#include "platform/cp1251.h"
#include "platform/ini_file.h"

#include <QCoreApplication>
#include <algorithm>

namespace lumira {

QStringList KeyActionTexts()
{
    return {
        QCoreApplication::translate("KeyAction", "Назад на одну строку"),
        QCoreApplication::translate("KeyAction", "Назад на полэкрана"),
        QCoreApplication::translate("KeyAction", "Назад на экран"),
        QCoreApplication::translate("KeyAction", "Вперед на одну строку"),
        QCoreApplication::translate("KeyAction", "Вперед на полэкрана"),
        QCoreApplication::translate("KeyAction", "Вперед на экран"),
    };
}

PhoneProfile ReadProfile(const IniView& ini, const std::string& section)
{
    const PhoneProfile d;
    PhoneProfile p;
    p.Name = section;
    p.Width = ini.ReadInteger(section, "Width", d.Width);
    p.Height = ini.ReadInteger(section, "Height", d.Height);
    p.setFullScreen = ini.ReadBool(section, "setFullScreen", d.setFullScreen);
    p.LSoft = ini.ReadInteger(section, "LSoft", d.LSoft);
    p.RSoft = ini.ReadInteger(section, "RSoft", d.RSoft);
    p.Menu = ini.ReadInteger(section, "Menu", d.Menu);
    p.OnUp = ini.ReadInteger(section, "OnUp", d.OnUp);
    p.OnDown = ini.ReadInteger(section, "OnDown", d.OnDown);
    p.OnLeft = ini.ReadInteger(section, "OnLeft", d.OnLeft);
    p.OnRight = ini.ReadInteger(section, "OnRight", d.OnRight);
    p.MaxJarSize = std::max(0, ini.ReadInteger(section, "MaxJarSize", d.MaxJarSize));
    return p;
}

std::vector<PhoneProfile> ReadProfiles(const IniFile& ini)
{
    // One reading of the file for the whole list.
    const IniView view = ini.Snapshot();
    std::vector<PhoneProfile> profiles;
    for (const auto& name : view.ReadSections()) profiles.push_back(ReadProfile(view, name));
    return profiles;
}

PhoneProfile ReadProfile(const IniFile& ini, const std::string& section)
{
    return ReadProfile(ini.Snapshot(), section);
}

void WriteProfileKeys(IniFile& ini, const PhoneProfile& p)
{
    const std::string& s = p.Name;
    IniFile::Batch keys(ini);
    keys.WriteInteger(s, "Width", p.Width);
    keys.WriteInteger(s, "Height", p.Height);
    keys.WriteInteger(s, "LSoft", p.LSoft);
    keys.WriteInteger(s, "RSoft", p.RSoft);
    keys.WriteInteger(s, "Menu", p.Menu);
    keys.WriteInteger(s, "OnUp", p.OnUp);
    keys.WriteInteger(s, "OnDown", p.OnDown);
    keys.WriteInteger(s, "OnLeft", p.OnLeft);
    keys.WriteInteger(s, "OnRight", p.OnRight);
    if (p.MaxJarSize != 0 || keys.KeyExists(s, "MaxJarSize")) keys.WriteInteger(s, "MaxJarSize", p.MaxJarSize);
    keys.Save();
}

ScreenSize ProfileScreenSize(const PhoneProfile* profile)
{
    ScreenSize size;
    if (profile) {
        if (profile->Width != 0) size.width = std::min(profile->Width, kMaxScreenSide);
        if (profile->Height != 0) size.height = std::min(profile->Height, kMaxScreenSide);
    }
    return size;
}

QStringList ProfileNames(const std::vector<PhoneProfile>& profiles)
{
    QStringList names;
    for (const auto& p : profiles) names << Cp1251ToQString(p.Name);
    return names;
}

const PhoneProfile* FindProfile(const std::vector<PhoneProfile>& profiles, const std::string& name)
{
    for (const auto& p : profiles)
        if (Cp1251EqualsNoCase(p.Name, name)) return &p;
    return nullptr;
}

BandPosition BandAt(std::int32_t position)
{
    switch (position) {
    case 0: return BandPosition::Top;
    case 1: return BandPosition::Bottom;
    default: return BandPosition::None;
    }
}

} // namespace lumira
