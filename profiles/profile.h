#pragma once
// Device profiles: one phone model's screen, soft-key and menu key codes, the reading action of
// each direction key and the full-screen flag; stored one section each in profiles.ini.
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace lumira {

class IniFile;
class IniView;

// The reading actions the phone's direction keys can be bound to, by index.
enum class KeyAction : std::int32_t {
    LineBack = 0,
    HalfScreenBack = 1,
    ScreenBack = 2,
    LineForward = 3,
    HalfScreenForward = 4,
    ScreenForward = 5,
};
// The index profiles.ini stores for an action; a profile's key fields hold the index as read.
constexpr std::int32_t ActionIndex(KeyAction action) { return static_cast<std::int32_t>(action); }
constexpr int kKeyActionCount = ActionIndex(KeyAction::ScreenForward) + 1;
// The texts under which the profile editor offers the actions, in index order, in the language
// in use.
QStringList KeyActionTexts();

struct PhoneProfile {
    std::string Name;  // section name, cp1251
    std::int32_t Width = 176;
    std::int32_t Height = 204;
    std::int32_t LSoft = 0;
    std::int32_t RSoft = 0;
    std::int32_t Menu = 0;
    std::int32_t OnUp = ActionIndex(KeyAction::ScreenBack);
    std::int32_t OnDown = ActionIndex(KeyAction::ScreenForward);
    std::int32_t OnLeft = ActionIndex(KeyAction::LineBack);
    std::int32_t OnRight = ActionIndex(KeyAction::LineForward);
    bool setFullScreen = true;
    std::int32_t MaxJarSize = 0;  // the largest package the phone installs, KB of 1024 bytes; 0: no limit

    // The limit in bytes; 0 when there is none (a negative value is none too).
    std::uint64_t MaxJarBytes() const { return MaxJarSize > 0 ? std::uint64_t(MaxJarSize) * 1024 : 0; }

    bool operator==(const PhoneProfile&) const = default;
};

// Every profile of the file, in section order, each key read with its default. A missing file
// gives none. Reading never fails and never changes the file.
std::vector<PhoneProfile> ReadProfiles(const IniFile& ini);
// One section's profile.
PhoneProfile ReadProfile(const IniFile& ini, const std::string& section);
PhoneProfile ReadProfile(const IniView& ini, const std::string& section);

// Writes the keys the editor owns (Width, Height, LSoft, RSoft, Menu, OnUp, OnDown, OnLeft,
// OnRight, then MaxJarSize), in that order, into the section named `profile.Name` (an existing
// section matched without regard to case keeps its spelling). MaxJarSize is written only when it
// is set or the section already has it, so a profile without a limit keeps its nine keys;
// setFullScreen is never written.
void WriteProfileKeys(IniFile& ini, const PhoneProfile& profile);

// The screen a phone's preview shows: the profile's width and height, 176 and 220 in place of a
// value of 0 and without a profile. Negative values are passed on as they are; a side above
// kMaxScreenSide is taken as kMaxScreenSide, which keeps the page image and the line widths'
// arithmetic sound (no phone screen comes near it).
inline constexpr int kMaxScreenSide = 4096;
struct ScreenSize {
    int width = 176;
    int height = 220;
};
ScreenSize ProfileScreenSize(const PhoneProfile* profile);

// The profile's names as the phone list shows them.
QStringList ProfileNames(const std::vector<PhoneProfile>& profiles);

// The profile named `name` without regard to case, or nullptr.
const PhoneProfile* FindProfile(const std::vector<PhoneProfile>& profiles, const std::string& name);

// Where the phone's system line (the band) stands on a page.
enum class BandPosition { None = -1, Top = 0, Bottom = 1 };
// The band at a position of the system-line list or a stored Sysline: 0 top, 1 bottom, anything
// else none.
BandPosition BandAt(std::int32_t position);
// Its position in the system-line list, which is also the settings record's index: 0, 1 or -1.
inline int BandIndex(BandPosition band) { return static_cast<int>(band); }

} // namespace lumira
