// config.ini as the window and lumira-cli read it: every key with its default, the bounds that
// replace a stored value, and what the language and list positions are made of.
#include "platform/ini_file.h"
#include "platform/text_encoding.h"
#include "settings/settings_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace lumira {

namespace {

struct SettingsFileTest : ::testing::Test {
    TempDir dir;
    IniFile config{dir / "config.ini"};
    const QString appDir = QStringLiteral("/program/");

    StoredSettings Read() { return ReadStoredSettings(config, appDir); }
};

} // namespace

TEST_F(SettingsFileTest, AMissingFileReadsAsTheDefaultsWithoutNotices)
{
    const StoredSettings s = Read();
    EXPECT_TRUE(s.font == BookFontStyle{});
    EXPECT_EQ(s.background, 0xFFFFFF);
    EXPECT_EQ(s.upperCut, 0);
    EXPECT_EQ(s.bottCut, 0);
    EXPECT_EQ(s.model, 1);
    EXPECT_EQ(s.sysline, 1);
    EXPECT_EQ(s.openDir, appDir);
    EXPECT_EQ(s.saveDir, appDir);
    EXPECT_EQ(s.encoding, TextEncoding::Auto);
    EXPECT_TRUE(s.notices.empty());
    EXPECT_FALSE(ReadStoredLanguage(config).has_value());
}

TEST_F(SettingsFileTest, EveryKeyTheWindowWritesIsReadBack)
{
    IniFile::Batch save(config);
    save.WriteInteger(kGlobalSection, "UpperCut", 3);
    save.WriteInteger(kGlobalSection, "BottCut", -2);
    save.WriteString(kFontSection, "Name", "Courier New");
    save.WriteInteger(kFontSection, "Size", 12);
    save.WriteBool(kFontSection, "Bold", true);
    save.WriteBool(kFontSection, "Italic", false);
    save.WriteBool(kFontSection, "Underline", true);
    save.WriteInteger(kFontSection, "Color", 0x00336699);
    save.WriteInteger(kGlobalSection, "Background", 0x00ABCDEF);
    save.WriteInteger(kGlobalSection, "Model", 4);
    save.WriteInteger(kGlobalSection, "Sysline", 0);
    save.WriteString(kGlobalSection, "OpenDir", "/texts/\xC2\xE5\xF1\xED\xE0/");  // cp1251 "Весна"
    save.WriteString(kGlobalSection, "SaveDir", "");
    save.WriteString(kGlobalSection, "Encoding", EncodingKey(TextEncoding::Koi8r));
    save.Save();

    const StoredSettings s = Read();
    EXPECT_EQ(s.upperCut, 3);
    EXPECT_EQ(s.bottCut, -2);
    EXPECT_EQ(s.font.name, QStringLiteral("Courier New"));
    EXPECT_EQ(s.font.size, 12);
    EXPECT_TRUE(s.font.bold);
    EXPECT_FALSE(s.font.italic);
    EXPECT_TRUE(s.font.underline);
    EXPECT_FALSE(s.font.strikeOut);
    EXPECT_EQ(s.font.color, 0x00336699);
    EXPECT_EQ(s.background, 0x00ABCDEF);
    EXPECT_EQ(s.model, 4);
    EXPECT_EQ(s.sysline, 0);
    EXPECT_EQ(s.openDir, QStringLiteral("/texts/Весна/"));
    EXPECT_EQ(s.saveDir, QString());  // present but empty is not the program folder
    EXPECT_EQ(s.encoding, TextEncoding::Koi8r);
    EXPECT_TRUE(s.notices.empty());
}

TEST_F(SettingsFileTest, OnlyASizeOrCutOutsideItsSoundBoundsIsReplacedAndTold)
{
    struct Case {
        const char* section;
        const char* key;
        std::int32_t stored;
        bool kept;
    };
    const Case cases[] = {
        {kFontSection, "Size", 1, true},           {kFontSection, "Size", kMaxFontSize, true},
        {kFontSection, "Size", 0, false},          {kFontSection, "Size", kMaxFontSize + 1, false},
        {kGlobalSection, "UpperCut", 11, true},    {kGlobalSection, "UpperCut", -kMaxStoredCut, true},
        {kGlobalSection, "UpperCut", kMaxStoredCut + 1, false},
        {kGlobalSection, "BottCut", -kMaxStoredCut - 1, false},
        {kGlobalSection, "BottCut", 2147483647, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + std::to_string(c.stored));
        std::filesystem::remove(config.Path());
        config.WriteInteger(c.section, c.key, c.stored);
        const StoredSettings s = Read();
        const std::int32_t read = std::string(c.key) == "Size" ? s.font.size
                                  : std::string(c.key) == "UpperCut" ? s.upperCut : s.bottCut;
        const std::int32_t def = std::string(c.key) == "Size" ? 8 : 0;
        EXPECT_EQ(read, c.kept ? c.stored : def);
        ASSERT_EQ(s.notices.size(), c.kept ? 0u : 1u);
        if (!c.kept) {
            EXPECT_NE(s.notices[0].find(c.key), std::string::npos) << s.notices[0];
        }
    }
}

TEST_F(SettingsFileTest, UnknownOrDamagedValuesFallBackToTheirDefaults)
{
    dir.Write("config.ini", "[Global]\r\nEncoding=ebcdic\r\nModel=many\r\nLanguage=de\r\n"
                            "[Font]\r\nBold=yes\r\nColor=$FF\r\n");
    const StoredSettings s = Read();
    EXPECT_EQ(s.encoding, TextEncoding::Auto);
    EXPECT_EQ(s.model, 1);
    EXPECT_FALSE(s.font.bold);
    EXPECT_EQ(s.font.color, 0xFF);  // hexadecimal as the INI rules read it
    EXPECT_FALSE(ReadStoredLanguage(config).has_value());

    config.WriteString(kGlobalSection, "Language", "en");
    EXPECT_EQ(ReadStoredLanguage(config), Language::English);
    EXPECT_EQ(ChooseLanguage(Language::Russian, Language::English), Language::Russian);
    EXPECT_EQ(ChooseLanguage(std::nullopt, Language::English), Language::English);
}

TEST(StoredListPosition, KeepsOnlyAPositionTheListHas)
{
    EXPECT_EQ(StoredListPosition(-1, 3), -1);
    EXPECT_EQ(StoredListPosition(0, 3), 0);
    EXPECT_EQ(StoredListPosition(2, 3), 2);
    EXPECT_EQ(StoredListPosition(3, 3), -1);
    EXPECT_EQ(StoredListPosition(-2, 3), -1);
    EXPECT_EQ(StoredListPosition(0, 0), -1);
}

} // namespace lumira
