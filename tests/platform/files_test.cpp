// The file layer's messages, line lists, and the emptying of folders.
#include "platform/folders.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/file_set.h"
#include "platform/language.h"
#include "platform/line_list.h"
#include "platform/scratch_folder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <set>
#include <functional>
#include <vector>

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
    // A folder a person may have: non-Latin, blanks, deep; the messages name it whole.
    const fs::path books = dir / "Мои книги" / std::string(120, 'd') / "ещё одна папка";
    fs::create_directories(books);
    const std::string shown = books.string();
    const std::string ownFolder = shown + "/papka";
    fs::create_directory(ownFolder);
    dir.Write("ro.bin", "old");
    fs::permissions(dir / "ro.bin", fs::perms::owner_read);
    dir.Write("short.bin", "abc");
    const auto failure = [](const std::function<void()>& act) -> std::string {
        try {
            act();
        } catch (const AppError& e) {
            return e.what();
        }
        return "no failure";
    };
    struct Case {
        const char* what;
        std::function<void()> act;
        std::string russian;
        std::string english;
    };
    const std::vector<Case> cases = {
        {"missing file", [&] { InFile in(books / "Нет.txt"); },
         "Не удаётся открыть файл «" + shown + "/Нет.txt»: нет такого файла или папки",
         "Cannot open file “" + shown + "/Нет.txt”: No such file or directory"},
        {"a folder opened as a file", [&] { InFile in(ownFolder); },
         "Не удаётся открыть файл «" + ownFolder + "»: это папка", "Cannot open file “" + ownFolder + "”: Is a directory"},
        {"a folder in the target's place", [&] { OutFile out(ownFolder); },
         "Не удаётся создать файл «" + ownFolder + "»: это папка", "Cannot create file “" + ownFolder + "”: Is a directory"},
        {"read-only target", [&] { OutFile out(dir / "ro.bin"); },
         "Не удаётся создать файл «" + (dir / "ro.bin").string() + "»: отказано в доступе",
         "Cannot create file “" + (dir / "ro.bin").string() + "”: Permission denied"},
        {"read-only target replaced", [&] { WriteFileAtomically(dir / "ro.bin", "new"); },
         "Не удаётся записать файл «" + (dir / "ro.bin").string() + "»: отказано в доступе",
         "Unable to write to “" + (dir / "ro.bin").string() + "”: Permission denied"},
        {"missing folder", [&] { OutFile out(books / "нет" / "x.jar"); },
         "Не удаётся создать файл «" + shown + "/нет/x.jar»: нет такого файла или папки",
         "Cannot create file “" + shown + "/нет/x.jar”: No such file or directory"},
        {"a file on the way", [&] { OutFile out(dir / "short.bin" / "x.jar"); },
         "Не удаётся создать файл «" + (dir / "short.bin/x.jar").string() + "»: часть пути не является папкой",
         "Cannot create file “" + (dir / "short.bin/x.jar").string() + "”: Not a directory"},
        {"name too long", [&] { OutFile out(books / std::string(300, 'n')); },
         "Не удаётся создать файл «" + (books / std::string(300, 'n')).string() + "»: слишком длинное имя файла",
         "Cannot create file “" + (books / std::string(300, 'n')).string() + "”: File name too long"},
        {"file ends early", [&] {
             InFile in(dir / "short.bin");
             char buffer[8];
             in.ReadExact(buffer, 8);
         },
         "Ошибка чтения файла", "Stream read error"},
    };
    for (const Language language : {Language::Russian, Language::English}) {
        ApplyLanguage(language);
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            EXPECT_EQ(failure(c.act), language == Language::Russian ? c.russian : c.english);
        }
    }
    ApplyLanguage(Language::Russian);
    EXPECT_EQ(dir.Read("ro.bin"), "old");
    // A reason without words of our own still says something.
    EXPECT_FALSE(SystemReason(EXDEV).empty());
    EXPECT_EQ(SystemReason(0), "");
    EXPECT_THROW(FileSizeOfPath(books / "Нет.txt"), AppError);
    EXPECT_EQ(FileSizeOfPath(dir / "short.bin"), 3u);
}

// A failure of the system reported by the standard library rather than by our file layer reads
// the same way: what, where, and the reason in the interface language.
TEST(FileLayer, StandardLibraryFailuresAreToldLikeOurOwn)
{
    const fs::path where = "/нет/такой/папки";
    const std::filesystem::filesystem_error missing("status", where, std::make_error_code(std::errc::permission_denied));
    const std::filesystem::filesystem_error pathless("space", std::make_error_code(std::errc::no_space_on_device));
    const std::bad_alloc memory;
    const AppError own("Своё сообщение");
    ApplyLanguage(Language::Russian);
    EXPECT_EQ(FailureText(missing), "Ошибка файловой системы: «/нет/такой/папки»: отказано в доступе");
    EXPECT_EQ(FailureText(pathless), "Ошибка файловой системы: на устройстве не осталось места");
    EXPECT_EQ(FailureText(memory), "Недостаточно памяти");
    EXPECT_EQ(FailureText(own), "Своё сообщение");
    ApplyLanguage(Language::English);
    EXPECT_EQ(FailureText(missing), "File system error: “/нет/такой/папки”: Permission denied");
    EXPECT_EQ(FailureText(pathless), "File system error: No space left on device");
    EXPECT_EQ(FailureText(memory), "Out of memory");
    ApplyLanguage(Language::Russian);
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

// What a killed run left: finished or removed by the next run; a live run's files and names
// that are not ours stay.
TEST(Leftovers, EndedRunsAreFinishedOrClearedAndLiveOnesAndOthersAreLeftAlone)
{
    TempDir dir;
    dir.Write("book.jar", "old jar");
    dir.Write("book.jad", "old jad");
    dir.Write("book_2.jar", "stale");
    dir.Write("book_3.jar", "stale, but changed since");
    // A run killed among its renames: its complete record, one file already in place.
    dir.Write(".lumira-aaaaaaa1", "new jad");
    dir.Write(".lumira-aaaaaaa1.commit", "lumira-commit 1\nrename\t.lumira-aaaaaaa0\tbook.jar\nrename\t"
                                         ".lumira-aaaaaaa1\tbook.jad\nremove\tbook_2.jar\t5\nremove\tbook_3.jar\t5\nend\n");
    // A run killed while writing its record, and one killed while writing its package.
    dir.Write(".lumira-bbbbbbb1", "half");
    dir.Write(".lumira-bbbbbbb1.commit", "lumira-commit 1\nrename\t.lumira-bbbbbbb1\tbook.jar\n");
    dir.Write(".lumira-ccccccc1", "partial package");
    // Not ours.
    for (const char* name : {".lumira-write-123", ".lumira-ABCDEFGH", "lumira-x"}) dir.Write(name, "theirs");
    // A live run's file.
    PendingFile live(dir / "other.jar");
    RecoverFolder(dir.Path());
    EXPECT_EQ(dir.Read("book.jad"), "new jad");
    EXPECT_EQ(dir.Read("book.jar"), "old jar");  // was in place before the kill
    EXPECT_FALSE(fs::exists(dir / "book_2.jar"));
    EXPECT_EQ(dir.Read("book_3.jar"), "stale, but changed since");
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.Path())) left.insert(entry.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"book.jar", "book.jad", "book_3.jar", ".lumira-write-123", ".lumira-ABCDEFGH",
                                           "lumira-x", live.TempPath().filename().string()}));

    // Private run folders: a live one, one whose run ended, one that is not ours.
    const ScratchFolder running(dir.Path(), "cli-");
    {
        // As a killed run leaves it: marked, the mark no longer held.
        const ScratchFolder gone(dir.Path(), "cli-");
        fs::rename(gone.Path(), dir / "lumira-cli-ended");
    }
    const fs::path ended = dir / "lumira-cli-ended";
    dir.Write("lumira-cli-notours/file", "theirs");
    ASSERT_TRUE(fs::exists(ended / ".lumira-live"));
    EXPECT_EQ(RemoveAbandonedScratchFolders(dir.Path()), 1);
    EXPECT_FALSE(fs::exists(ended));
    EXPECT_TRUE(fs::is_directory(running.Path()));
    EXPECT_EQ(dir.Read("lumira-cli-notours/file"), "theirs");
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
