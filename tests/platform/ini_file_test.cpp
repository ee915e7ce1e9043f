// Settings files: the reading rules, the section listing, and in-place, atomic writes.
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <iterator>

namespace lumira {

namespace fs = std::filesystem;

namespace {

struct IniTest : ::testing::Test {
    TempDir dir;
    IniFile Ini(const std::string& text)
    {
        dir.Write("t.ini", text);
        return IniFile(dir / "t.ini");
    }
};

} // namespace

TEST_F(IniTest, IntegersFollowTheDelphiRules)
{
    const IniFile ini = Ini(
        "[Font]\r\nSize=abc\r\nColor=0xFF\r\nLead= 12\r\nBig=4294967296\r\nNeg=-6\r\nHex=$1A\r\nHexX=0x1A\r\n"
        "Max=2147483647\r\nOver=2147483648\r\nMin=-2147483648\r\nEmpty=\r\nTrail=12abc\r\nAllF=$FFFFFFFF\r\n");
    EXPECT_EQ(ini.ReadInteger("Font", "Size", 8), 8);
    EXPECT_EQ(ini.ReadInteger("Font", "Color", 0), 255);
    EXPECT_EQ(ini.ReadInteger("Font", "Lead", 0), 12);
    EXPECT_EQ(ini.ReadInteger("Font", "Big", 176), 176);
    EXPECT_EQ(ini.ReadInteger("Font", "Neg", 0), -6);
    EXPECT_EQ(ini.ReadInteger("Font", "Hex", 0), 26);
    EXPECT_EQ(ini.ReadInteger("Font", "HexX", 0), 26);
    EXPECT_EQ(ini.ReadInteger("Font", "Max", 0), 2147483647);
    EXPECT_EQ(ini.ReadInteger("Font", "Over", 7), 7);
    EXPECT_EQ(ini.ReadInteger("Font", "Min", 0), INT32_MIN);
    EXPECT_EQ(ini.ReadInteger("Font", "Empty", 5), 5);
    EXPECT_EQ(ini.ReadInteger("Font", "Trail", 5), 5);
    EXPECT_EQ(ini.ReadInteger("Font", "AllF", 5), -1);
    EXPECT_EQ(ini.ReadInteger("Font", "Missing", 9), 9);
    EXPECT_EQ(ini.ReadInteger("Nowhere", "Size", 9), 9);
}

TEST_F(IniTest, BooleansAreIntegers)
{
    const IniFile ini = Ini("[Font]\nBold=yes\nItalic=2\nUnderline=0\n[Profile]\nsetFullScreen=yes\n");
    EXPECT_FALSE(ini.ReadBool("Font", "Bold", false));
    EXPECT_TRUE(ini.ReadBool("Font", "Italic", false));
    EXPECT_FALSE(ini.ReadBool("Font", "Underline", true));
    EXPECT_TRUE(ini.ReadBool("Profile", "setFullScreen", true));  // not an integer: the default
    EXPECT_TRUE(ini.ReadBool("Font", "Missing", true));
}

TEST_F(IniTest, TextsAreTrimmedAndUnquotedOnce)
{
    const IniFile ini = Ini(std::string("[Global]\r\nOpenDir=\r\nName=  Times New Roman  \r\nQ=\"  quoted  \"\r\n"
                                        "QQ=\"\"x\"\"\r\nS='single'\r\nLong=") +
                            std::string(3000, 'x') + "\r\n");
    EXPECT_EQ(ini.ReadString("Global", "OpenDir", "default"), "");
    EXPECT_EQ(ini.ReadString("Global", "Name", ""), "Times New Roman");
    EXPECT_EQ(ini.ReadString("Global", "Q", ""), "  quoted  ");
    EXPECT_EQ(ini.ReadString("Global", "QQ", ""), "\"x\"");
    EXPECT_EQ(ini.ReadString("Global", "S", ""), "single");
    EXPECT_EQ(ini.ReadString("Global", "Long", "").size(), 2047u);
    EXPECT_EQ(ini.ReadString("Global", "SaveDir", "dflt"), "dflt");
}

TEST_F(IniTest, NamesMatchWithoutRegardToCaseIncludingCyrillic)
{
    // "Телефон" in cp1251 upper and lower case.
    const IniFile ini = Ini("[\xD2\xC5\xCB\xC5\xD4\xCE\xCD]\nWIDTH=128\n[font]\nname=Arial\n");
    EXPECT_EQ(ini.ReadInteger("\xF2\xE5\xEB\xE5\xF4\xEE\xED", "width", 0), 128);
    EXPECT_EQ(ini.ReadString("FONT", "NAME", ""), "Arial");
}

TEST_F(IniTest, SectionsInFileOrderWithAnyLineEnding)
{
    const IniFile ini = Ini("[B]\nx=1\n[a]\r[C]\r\n\r\n[Empty]\n");
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"B", "a", "C", "Empty"}));
    EXPECT_TRUE(ini.SectionExists("empty"));
    EXPECT_EQ(ini.ReadInteger("a", "x", 3), 3);
}

TEST_F(IniTest, SectionListStopsAtTheBufferSize)
{
    // 200 sections of 99-character names: each takes 100 bytes of the 16,384-byte buffer, and one
    // byte ends the list, so 163 fit.
    std::string text;
    for (int i = 0; i < 200; ++i) {
        std::string name = std::to_string(i);
        name += std::string(99 - name.size(), 'n');
        text += "[" + name + "]\r\nWidth=1\r\n";
    }
    const auto names = Ini(text).ReadSections();
    ASSERT_EQ(names.size(), 163u);
    EXPECT_EQ(names.front().substr(0, 1), "0");
    EXPECT_EQ(names.back().substr(0, 3), "162");
}

TEST_F(IniTest, FirstWritesBuildTheFileInWriteOrder)
{
    IniFile ini(dir / "config.ini");
    ini.WriteInteger("Global", "UpperCut", 0);
    ini.WriteInteger("Global", "BottCut", 0);
    ini.WriteString("Font", "Name", "Tahoma");
    ini.WriteBool("Font", "Bold", true);
    ini.WriteInteger("Global", "Background", -2147483633);
    EXPECT_EQ(dir.Read("config.ini"),
              "[Global]\r\nUpperCut=0\r\nBottCut=0\r\nBackground=-2147483633\r\n\r\n[Font]\r\nName=Tahoma\r\nBold=1\r\n");
}

TEST_F(IniTest, WritesReplaceInPlaceAndKeepEverythingElse)
{
    IniFile ini = Ini("; my settings\n[Font]\nname=Arial\nExtra=keep me\n\n[Other]\nk=v\n");
    ini.WriteString("FONT", "Name", "Verdana");
    ini.WriteInteger("font", "Size", 12);
    ini.WriteString("Other", "k", "w");
    EXPECT_EQ(dir.Read("t.ini"),
              "; my settings\r\n[Font]\r\nname=Verdana\r\nExtra=keep me\r\nSize=12\r\n\r\n[Other]\r\nk=w\r\n");
    ini.EraseSection("font");
    EXPECT_EQ(dir.Read("t.ini"), "; my settings\r\n[Other]\r\nk=w\r\n");
    ini.EraseSection("missing");
    EXPECT_EQ(ini.ReadSections(), std::vector<std::string>{"Other"});
}

TEST_F(IniTest, NoCacheBetweenObjects)
{
    IniFile writer(dir / "p.ini");
    const IniFile reader(dir / "p.ini");
    EXPECT_TRUE(reader.ReadSections().empty());
    writer.WriteInteger("Phone", "Width", 240);
    EXPECT_EQ(reader.ReadInteger("Phone", "Width", 0), 240);
}

TEST_F(IniTest, ReadOnlyFileIsRefusedAndLeftWhole)
{
    IniFile ini = Ini("[Global]\r\nModel=2\r\n");
    fs::permissions(dir / "t.ini", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    try {
        ini.WriteInteger("Global", "Model", 3);
        FAIL() << "write to a read-only file succeeded";
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), UnableToWriteText(dir / "t.ini", EACCES));
    }
    EXPECT_THROW(ini.EraseSection("Global"), AppError);
    EXPECT_EQ(dir.Read("t.ini"), "[Global]\r\nModel=2\r\n");
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

TEST_F(IniTest, UnwritableFolderFailsWithTheFilesName)
{
    dir.Write("blocker", "a file where a folder should be");
    IniFile ini(dir / "blocker" / "config.ini");
    EXPECT_EQ(ini.ReadInteger("Global", "Model", 1), 1);
    EXPECT_THROW(ini.WriteInteger("Global", "Model", 1), AppError);
}

TEST_F(IniTest, ABatchLeavesTheBytesItsWritesOneByOneLeaveAndWritesOnlyOnSave)
{
    // Files as people and older versions leave them: other line ends, blank lines, comments,
    // duplicate and differently cased sections and keys, a last line without its break.
    const std::string starts[] = {
        "",
        "[Global]\r\nModel=2\r\n",
        "; comment\n[global]\nMODEL = 5\n\n[Font]\rName=Arial\r\r[Global]\r\nModel=9",
        "[Other]\r\nkey=value\r\n\r\n\r\n[Font]\r\n\r\n",
        "stray line\r\n[ Font ]\r\nSize=8\r\n[Font]\r\nSize=9\r\n",
    };
    const std::string sections[] = {"Global", "Font", "FONT", "New", "Other"};
    const std::string keys[] = {"Model", "Name", "size", "Extra"};
    const std::string values[] = {"1", "", " spaced ", "\"quoted\"", "line\r\nbreak", "x\n[Other]\nkey=injected"};
    std::uint32_t seed = 2024;
    const auto next = [&](std::uint32_t n) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % n;
    };
    for (int round = 0; round < 200; ++round) {
        const std::string& start = starts[round % std::size(starts)];
        dir.Write("one.ini", start);
        dir.Write("batch.ini", start);
        IniFile one(dir / "one.ini");
        IniFile batched(dir / "batch.ini");
        IniFile::Batch batch(batched);
        std::string trace;
        for (std::uint32_t op = 0, count = 1 + next(14); op < count; ++op) {
            const std::string& section = sections[next(std::size(sections))];
            const std::string& key = keys[next(std::size(keys))];
            const std::uint32_t kind = next(10);
            trace += std::to_string(kind) + " " + section + " " + key + "; ";
            if (kind == 0) {
                one.EraseSection(section);
                batch.EraseSection(section);
            } else if (kind == 1) {
                one.WriteInteger(section, key, -17);
                batch.WriteInteger(section, key, -17);
            } else if (kind == 2) {
                one.WriteBool(section, key, true);
                batch.WriteBool(section, key, true);
            } else {
                const std::string& value = values[next(std::size(values))];
                one.WriteString(section, key, value);
                batch.WriteString(section, key, value);
            }
            ASSERT_EQ(batch.KeyExists(section, key), one.KeyExists(section, key)) << trace;
        }
        EXPECT_EQ(dir.Read("batch.ini"), start) << "written before Save: " << trace;
        batch.Save();
        ASSERT_EQ(dir.Read("batch.ini"), dir.Read("one.ini")) << trace;
    }

    // A batch dropped without Save changes nothing; one on a read-only file fails as a single write.
    dir.Write("t.ini", "[Global]\r\nModel=2\r\n");
    {
        IniFile::Batch dropped{IniFile(dir / "t.ini")};
        dropped.WriteInteger("Global", "Model", 3);
    }
    EXPECT_EQ(dir.Read("t.ini"), "[Global]\r\nModel=2\r\n");
    fs::permissions(dir / "t.ini", fs::perms::owner_read);
    IniFile::Batch readOnly{IniFile(dir / "t.ini")};
    readOnly.EraseSection("Missing");
    EXPECT_THROW(readOnly.Save(), AppError);
}

} // namespace lumira
