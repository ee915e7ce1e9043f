// Reading device profiles from profiles.ini.
#include "platform/ini_file.h"
#include "profiles/profile.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace lumira {

TEST(ProfileStore, ReadsSectionsInOrderWithPerKeyDefaults)
{
    TempDir dir;
    dir.Write("profiles.ini",
              "[Empty]\r\n"
              "[Odd]\r\nWidth=0\r\nLSoft=0x1A\r\nRSoft=-6\r\nMenu=abc\r\nHeight=99999999999\r\nsetFullScreen=0\r\n"
              "OnUp=-1\r\nOnDown=9\r\n"
              "[Two]\r\nsetFullScreen=2\r\n[Yes]\r\nsetFullScreen=yes\r\n");
    const auto profiles = ReadProfiles(IniFile(dir / "profiles.ini"));
    ASSERT_EQ(profiles.size(), 4u);

    const PhoneProfile& empty = profiles[0];
    EXPECT_EQ(empty.Name, "Empty");
    EXPECT_EQ(empty.Width, 176);
    EXPECT_EQ(empty.Height, 204);
    EXPECT_EQ(empty.LSoft, 0);
    EXPECT_EQ(empty.RSoft, 0);
    EXPECT_EQ(empty.Menu, 0);
    EXPECT_EQ(empty.OnUp, ActionIndex(KeyAction::ScreenBack));
    EXPECT_EQ(empty.OnDown, ActionIndex(KeyAction::ScreenForward));
    EXPECT_EQ(empty.OnLeft, ActionIndex(KeyAction::LineBack));
    EXPECT_EQ(empty.OnRight, ActionIndex(KeyAction::LineForward));
    EXPECT_TRUE(empty.setFullScreen);

    const PhoneProfile& odd = profiles[1];
    EXPECT_EQ(odd.Width, 0);  // a stored zero is a value, not a missing key
    EXPECT_EQ(odd.LSoft, 26);
    EXPECT_EQ(odd.RSoft, -6);
    EXPECT_EQ(odd.Menu, 0);
    EXPECT_EQ(odd.Height, 204);
    EXPECT_FALSE(odd.setFullScreen);
    EXPECT_EQ(odd.OnUp, -1);   // actions outside 0..5 pass unchanged
    EXPECT_EQ(odd.OnDown, 9);

    EXPECT_TRUE(profiles[2].setFullScreen);
    EXPECT_TRUE(profiles[3].setFullScreen);
    EXPECT_EQ(FindProfile(profiles, "two"), &profiles[2]);
    EXPECT_EQ(FindProfile(profiles, "three"), nullptr);
}

TEST(ProfileStore, MissingOrEmptyFileHasNoProfiles)
{
    TempDir dir;
    EXPECT_TRUE(ReadProfiles(IniFile(dir / "profiles.ini")).empty());
    dir.Write("profiles.ini", "");
    EXPECT_TRUE(ReadProfiles(IniFile(dir / "profiles.ini")).empty());
}

TEST(ProfileStore, WritesTheNineKeysAndNeverTheFullScreenFlag)
{
    TempDir dir;
    dir.Write("profiles.ini", "[nokia]\r\nsetFullScreen=0\r\nWidth=1\r\n");
    IniFile ini(dir / "profiles.ini");
    PhoneProfile p;
    p.Name = "NOKIA";
    p.Width = 128;
    p.Height = 160;
    p.LSoft = -6;
    p.RSoft = -7;
    p.OnUp = -1;
    WriteProfileKeys(ini, p);
    EXPECT_EQ(dir.Read("profiles.ini"),
              "[nokia]\r\nsetFullScreen=0\r\nWidth=128\r\nHeight=160\r\nLSoft=-6\r\nRSoft=-7\r\nMenu=0\r\n"
              "OnUp=-1\r\nOnDown=5\r\nOnLeft=0\r\nOnRight=3\r\n");
}

TEST(ProfileStore, ShippedProfilesDescribeRealPhones)
{
    const auto profiles = ReadProfiles(IniFile(SourceDir() / "data" / "profiles.ini"));
    ASSERT_GE(profiles.size(), 6u);
    for (const auto& p : profiles) {
        EXPECT_GE(p.Width, 96) << p.Name;
        EXPECT_GE(p.Height, 96) << p.Name;
        EXPECT_LT(p.LSoft, 0) << p.Name;
        EXPECT_LT(p.RSoft, 0) << p.Name;
        for (int action : {p.OnUp, p.OnDown, p.OnLeft, p.OnRight}) {
            EXPECT_GE(action, 0);
            EXPECT_LT(action, kKeyActionCount);
        }
    }
}

} // namespace lumira
