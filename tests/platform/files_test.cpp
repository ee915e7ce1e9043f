// The file layer's messages, line lists, and the emptying of folders.
#include "platform/folders.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/line_list.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace lumira {

namespace fs = std::filesystem;

TEST(LineList, SplitsAtEveryKindOfBreak)
{
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (LineList{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n"), (LineList{"a"}));
    EXPECT_EQ(SplitLines("a\r\n\r\n"), (LineList{"a", ""}));
    EXPECT_EQ(SplitLines("\r\n\nx"), (LineList{"", "", "x"}));
    EXPECT_EQ(SplitLines(""), LineList{});
    EXPECT_EQ(SplitLines(std::string("ab\0cd\r\nef", 9)), (LineList{"ab"}));
    EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
    EXPECT_EQ(JoinLines({}), "");
}

TEST(FileLayer, FailuresCarryTheExactTexts)
{
    TempDir dir;
    const fs::path missing = dir / "nothing.txt";
    try {
        InFile in(missing);
        FAIL();
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + missing.string());
    }
    dir.Write("ro.bin", "old");
    fs::permissions(dir / "ro.bin", fs::perms::owner_read);
    try {
        OutFile out(dir / "ro.bin");
        FAIL();
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + (dir / "ro.bin").string());
    }
    EXPECT_EQ(dir.Read("ro.bin"), "old");
    dir.Write("short.bin", "abc");
    InFile in(dir / "short.bin");
    char buffer[8];
    try {
        in.ReadExact(buffer, 8);
        FAIL();
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), "Stream read error");
    }
    EXPECT_THROW(FileSizeOfPath(missing), AppError);
    EXPECT_EQ(FileSizeOfPath(dir / "short.bin"), 3u);
}

TEST(FileLayer, AtomicWriteReplacesWholeOrNothing)
{
    TempDir dir;
    dir.Write("f", "first");
    WriteFileAtomically(dir / "f", "second");
    EXPECT_EQ(dir.Read("f"), "second");
    dir.Write("blocker", "x");
    EXPECT_THROW(WriteFileAtomically(dir / "blocker" / "f", "x"), AppError);
}

TEST(ClearFolder, EmptiesNestedFoldersButKeepsDotFoldersAndNeverFollowsLinks)
{
    TempDir dir;
    TempDir outside;
    outside.Write("precious.txt", "keep");
    dir.Write("temp/a.txt", "1");
    dir.Write("temp/B/c/d.txt", "2");
    dir.Write("temp/text/.hidden/x", "3");
    dir.Write("temp/text/chunk.0", "4");
    dir.Write("temp/z.txt", "5");
    fs::create_directory_symlink(outside.Path(), dir / "temp" / "link");
    fs::create_symlink(outside / "precious.txt", dir / "temp" / "file-link");

    ClearFolder(dir / "temp");

    // The folder itself stays; "text" keeps its dot folder, so it cannot be removed, and the
    // entries listed after it ("z.txt") stay too. Entries before it are gone.
    EXPECT_TRUE(fs::exists(dir / "temp"));
    EXPECT_FALSE(fs::exists(dir / "temp" / "a.txt"));
    EXPECT_FALSE(fs::exists(dir / "temp" / "B"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "temp" / "link")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "temp" / "file-link")));
    EXPECT_TRUE(fs::exists(dir / "temp" / "text" / ".hidden" / "x"));
    EXPECT_FALSE(fs::exists(dir / "temp" / "text" / "chunk.0"));
    EXPECT_TRUE(fs::exists(dir / "temp" / "z.txt"));
    EXPECT_EQ(outside.Read("precious.txt"), "keep");

    ClearFolder(dir / "does-not-exist");

    // A link given as the folder itself is not followed, with or without a trailing separator.
    fs::create_directory_symlink(outside.Path(), dir / "temp-link");
    ClearFolder(dir / "temp-link");
    ClearFolder(fs::path((dir / "temp-link").string() + "/"));
    EXPECT_EQ(outside.Read("precious.txt"), "keep");
}

TEST(ClearFolder, ListsNamesWithoutRegardToCase)
{
    TempDir dir;
    for (const char* name : {"b", "A", "c", "B2", "a1"}) dir.Write(name, "");
    std::vector<std::string> names;
    for (const auto& e : ListFolder(dir.Path())) names.push_back(e.path().filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"A", "a1", "b", "B2", "c"}));
}

} // namespace lumira
