// The ZIP engine on its own: what the written archive looks like byte for byte, and how the
// template is extracted (replacing, times, attributes, unsafe names, links).
#include "book/zip_archive.h"
#include "platform/errors.h"
#include "book/zip_test_util.h"
#include "formats/zip_reader.h"
#include "platform/files.h"
#include "support/temp_dir.h"
#include "support/text_checks.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

namespace lumira {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> TreeOf(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        names.push_back(fs::relative(e.path(), folder).generic_string());
    std::sort(names.begin(), names.end());
    return names;
}

// A local time as a file's modification time.
void SetLocalTime(const fs::path& file, int year, int month, int day, int hour, int minute, int second)
{
    std::tm tm{};
    tm.tm_year = year - 1900, tm.tm_mon = month - 1, tm.tm_mday = day;
    tm.tm_hour = hour, tm.tm_min = minute, tm.tm_sec = second, tm.tm_isdst = -1;
    const auto when = std::chrono::system_clock::from_time_t(std::mktime(&tm));
    fs::last_write_time(file, std::chrono::file_clock::from_sys(when));
}

// Every file left in `folder` besides those named.
std::vector<std::string> Strays(const fs::path& folder, const std::vector<std::string>& known)
{
    std::vector<std::string> strays;
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (std::find(known.begin(), known.end(), name) == known.end()) strays.push_back(name);
    }
    return strays;
}

} // namespace

TEST(ZipWriter, EntriesGoFilesFirstThenFoldersInCaseInsensitiveOrder)
{
    TempDir dir;
    dir.Write("base/zeta", "z");
    dir.Write("base/Alpha", "a");
    dir.Write("base/beta", "");
    dir.Write("base/sub/Inner", "i");
    dir.Write("base/sub/deeper/x", "x");
    dir.Write("base/sub/after", "after");
    fs::create_directories(dir / "base/Empty");
    dir.Write("base/META-INF/MANIFEST.MF", "m");
    fs::create_symlink(dir / "base/zeta", dir / "base/link");  // links are never archived
    WriteFolderArchive(dir / "out.zip", dir / "base");

    const RawArchive raw = ReadRawArchive(dir / "out.zip");
    std::vector<std::string> names;
    for (const auto& e : raw.entries) names.push_back(e.name);
    const std::vector<std::string> expected = {"Alpha", "beta", "zeta", "Empty/", "META-INF/", "META-INF/MANIFEST.MF",
                                               "sub/", "sub/after", "sub/Inner", "sub/deeper/", "sub/deeper/x"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(EntryNames(dir / "out.zip"), expected);  // minizip reads the same directory

    EXPECT_EQ(raw.commentLength, 0);
    EXPECT_FALSE(raw.hasZip64Records);
    for (const auto& e : raw.entries) {
        SCOPED_TRACE(e.name);
        EXPECT_EQ(e.madeBy, 0x0014);  // version 2.0, host MS-DOS
        EXPECT_EQ(e.versionNeeded, 20);
        EXPECT_EQ(e.localVersionNeeded, 20);
        EXPECT_EQ(e.extraLength, 0);
        EXPECT_EQ(e.localExtraLength, 0);
        EXPECT_EQ(e.commentLength, 0);
        EXPECT_EQ(e.localName, e.name);
        const bool folder = e.name.ends_with('/');
        const bool empty = e.name == "beta" || folder;
        EXPECT_EQ(e.method, empty ? 0 : 8);
        EXPECT_EQ(e.localMethod, e.method);
        EXPECT_EQ(e.flags & 6, empty ? 0 : 2);  // 2: Deflate at its highest level
        EXPECT_EQ(e.externalAttr & 0x10, folder ? 0x10u : 0u);
        EXPECT_EQ(e.compressedSize == 0, empty);
    }
    EXPECT_EQ(EntryContent(dir / "out.zip", "sub/after"), "after");
}

TEST(ZipWriter, ArchiveInsideItsBaseFolderIsNotAddedAndReplacesTheOldOne)
{
    TempDir dir;
    dir.Write("base/a", "aaa");
    dir.Write("base/book.jar", "earlier package");
    WriteFolderArchive(dir / "base/book.jar", dir / "base");
    EXPECT_EQ(EntryNames(dir / "base/book.jar"), std::vector<std::string>{"a"});
    // No temporary file is left beside it.
    EXPECT_EQ(TreeOf(dir / "base"), (std::vector<std::string>{"a", "book.jar"}));
}

TEST(ZipWriter, NamesTravelInTheOemCodePageAndComeBackIntact)
{
    TempDir dir;
    dir.Write("base/Книга.txt", "k");
    dir.Write("base/€uro", "e");  // not in code page 866: UTF-8 with the UTF-8 flag
    WriteFolderArchive(dir / "out.zip", dir / "base");
    const RawArchive raw = ReadRawArchive(dir / "out.zip");
    ASSERT_EQ(raw.entries.size(), 2u);
    EXPECT_EQ(raw.entries[0].name, "\x8A\xAD\xA8\xA3\xA0.txt");  // "Книга" in 866
    EXPECT_EQ(raw.entries[0].flags & 0x800, 0);
    EXPECT_EQ(raw.entries[1].name, "€uro");
    EXPECT_EQ(raw.entries[1].flags & 0x800, 0x800);

    ExtractArchive(dir / "out.zip", dir / "back");
    EXPECT_EQ(dir.Read("back/Книга.txt"), "k");
    EXPECT_EQ(dir.Read("back/€uro"), "e");
}

TEST(ZipExtract, CreatesFoldersReplacesReadOnlyFilesRestoresTimesAndAttributes)
{
    TempDir dir;
    TemplateEntry stamped{"deep/er/stamped.txt", "new text"};
    stamped.year = 2001, stamped.month = 2, stamped.day = 3, stamped.hour = 4, stamped.minute = 5, stamped.second = 6;
    TemplateEntry readOnly{"ro.txt", "locked", 0x21};
    TemplateEntry script{"run.sh", "#!", 0100755u << 16, 0x0314};
    MakeZip(dir / "t.zip", {{"empty/", ""}, stamped, readOnly, script, {"zero", ""}});

    dir.Write("base/deep/er/stamped.txt", "old text that is longer");
    fs::permissions(dir / "base/deep/er/stamped.txt", fs::perms::owner_read, fs::perm_options::replace);
    ExtractArchive(dir / "t.zip", dir / "base");

    EXPECT_TRUE(fs::is_directory(dir / "base/empty"));
    EXPECT_EQ(dir.Read("base/deep/er/stamped.txt"), "new text");
    EXPECT_EQ(dir.Read("base/zero"), "");

    const auto mtime = std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(
            std::chrono::file_clock::to_sys(fs::last_write_time(dir / "base/deep/er/stamped.txt"))));
    std::tm tm{};
    localtime_r(&mtime, &tm);
    EXPECT_EQ(tm.tm_year + 1900, 2001);
    EXPECT_EQ(tm.tm_mon + 1, 2);
    EXPECT_EQ(tm.tm_mday, 3);
    EXPECT_EQ(tm.tm_hour, 4);
    EXPECT_EQ(tm.tm_min, 5);
    EXPECT_EQ(tm.tm_sec, 6);

    EXPECT_TRUE(IsReadOnlyFile(dir / "base/ro.txt"));
    EXPECT_EQ(fs::status(dir / "base/run.sh").permissions() & fs::perms::all, static_cast<fs::perms>(0755));

    // A second extraction replaces the read-only file it made itself.
    ExtractArchive(dir / "t.zip", dir / "base");
    EXPECT_EQ(dir.Read("base/ro.txt"), "locked");
}

TEST(ZipExtract, UnsafeNamesAreRefusedBeforeAnythingIsWritten)
{
    for (const std::string bad : {"../evil.txt", "/abs.txt", "a/../../evil.txt", "ok/..\\..\\evil.txt", "C:/evil.txt",
                                  "\\abs.txt"}) {
        SCOPED_TRACE(bad);
        TempDir dir;
        fs::create_directories(dir / "base");
        MakeZip(dir / "t.zip", {{"first.txt", "harmless"}, {bad, "payload"}});
        const std::string msg = ErrorOf([&] { ExtractArchive(dir / "t.zip", dir / "base"); });
        EXPECT_TRUE(Contains(msg, bad)) << msg;
        EXPECT_TRUE(Contains(msg, (dir / "t.zip").string())) << msg;
        EXPECT_TRUE(fs::is_empty(dir / "base"));
        EXPECT_FALSE(fs::exists(dir / "evil.txt"));
        EXPECT_FALSE(fs::exists("/abs.txt"));
    }
}

TEST(ZipExtract, NothingIsWrittenThroughALink)
{
    TempDir dir;
    fs::create_directories(dir / "outside");
    dir.Write("outside/target", "precious");
    fs::create_directories(dir / "base");
    fs::create_directory_symlink(dir / "outside", dir / "base/linked");
    fs::create_symlink(dir / "outside/target", dir / "base/file");

    // A file entry where a link to a file lies replaces the link, not what it points to.
    MakeZip(dir / "file.zip", {{"file", "fresh"}});
    ExtractArchive(dir / "file.zip", dir / "base");
    EXPECT_FALSE(fs::is_symlink(dir / "base/file"));
    EXPECT_EQ(dir.Read("base/file"), "fresh");
    EXPECT_EQ(dir.Read("outside/target"), "precious");

    // A path through a linked folder is refused.
    MakeZip(dir / "folder.zip", {{"linked/target", "overwritten"}, {"linked/new", "new"}});
    const std::string msg = ErrorOf([&] { ExtractArchive(dir / "folder.zip", dir / "base"); });
    EXPECT_TRUE(Contains(msg, "linked/target")) << msg;
    EXPECT_EQ(dir.Read("outside/target"), "precious");
    EXPECT_FALSE(fs::exists(dir / "outside/new"));
}

TEST(ZipExtract, MissingAndDamagedArchivesAreNamed)
{
    TempDir dir;
    fs::create_directories(dir / "base");
    std::string msg = ErrorOf([&] { ExtractArchive(dir / "velmar.dat", dir / "base"); });
    EXPECT_TRUE(Contains(msg, (dir / "velmar.dat").string())) << msg;
    EXPECT_TRUE(Contains(msg, "Не найден")) << msg;

    dir.Write("junk.dat", "this is not an archive at all, just some words");
    msg = ErrorOf([&] { ExtractArchive(dir / "junk.dat", dir / "base"); });
    EXPECT_TRUE(Contains(msg, (dir / "junk.dat").string())) << msg;

    // A damaged entry (its content changed after the checksum was taken) is reported too.
    MakeZip(dir / "t.zip", {{"stored.txt", std::string(1000, 'a')}});
    std::string bytes = dir.Read("t.zip");
    const auto at = bytes.find("stored.txt") + 10 + 3;  // inside the compressed data
    bytes[at] = static_cast<char>(bytes[at] ^ 0x55);
    dir.Write("t.zip", bytes);
    msg = ErrorOf([&] { ExtractArchive(dir / "t.zip", dir / "base"); });
    EXPECT_TRUE(Contains(msg, (dir / "t.zip").string())) << msg;
    EXPECT_FALSE(fs::exists(dir / "base/stored.txt"));

    // A name that is not UTF-8 (cp1251 "Весна") is named all the same, never a conversion failure.
    const std::string odd = "\xC2\xE5\xF1\xED\xE0.dat";
    for (const bool present : {false, true}) {
        if (present) dir.Write(odd, "not an archive either");
        try {
            ExtractArchive(dir / odd, dir / "base");
            ADD_FAILURE() << "extracted";
        } catch (const AppError& e) {
            EXPECT_TRUE(Contains(e.what(), dir.Path().string())) << e.what();
            EXPECT_TRUE(Contains(e.what(), ".dat")) << e.what();
        } catch (const std::exception& e) {
            ADD_FAILURE() << "not the archive's failure: " << e.what();
        }
    }
}

// An MS-DOS stamp holds 1980 to 2107: earlier times become its first moment, later ones its last,
// and the times between keep every field (seconds in steps of two).
TEST(ZipWriter, TimesOutsideTheMsDosRangeAreClampedToItsEnds)
{
    TempDir dir;
    dir.Write("base/a_old", "1");
    dir.Write("base/b_mid", "2");
    dir.Write("base/c_new", "3");
    dir.Write("base/d_last", "4");
    SetLocalTime(dir / "base/a_old", 1979, 12, 31, 23, 59, 59);
    SetLocalTime(dir / "base/b_mid", 2024, 2, 29, 13, 45, 58);
    SetLocalTime(dir / "base/c_new", 2200, 1, 1, 0, 0, 0);
    SetLocalTime(dir / "base/d_last", 2107, 12, 31, 23, 59, 58);
    WriteFolderArchive(dir / "t.zip", dir / "base");

    const auto stamp = [](int year, int month, int day, int hour, int minute, int second) {
        return std::pair<std::uint16_t, std::uint16_t>(
            static_cast<std::uint16_t>((year - 1980) << 9 | month << 5 | day),
            static_cast<std::uint16_t>(hour << 11 | minute << 5 | second / 2));
    };
    const RawArchive raw = ReadRawArchive(dir / "t.zip");
    ASSERT_EQ(raw.entries.size(), 4u);
    const std::vector<std::pair<std::uint16_t, std::uint16_t>> expected = {
        stamp(1980, 1, 1, 0, 0, 0), stamp(2024, 2, 29, 13, 45, 58), stamp(2107, 12, 31, 23, 59, 58),
        stamp(2107, 12, 31, 23, 59, 58)};
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(raw.entries[i].name);
        EXPECT_EQ(raw.entries[i].dosDate, expected[i].first);
        EXPECT_EQ(raw.entries[i].dosTime, expected[i].second);
    }
}

// What a plain archive cannot hold (too many entries, 4 GiB) is refused: before anything is
// written when the tree shows it, and while writing when a file grows past it. Either way an
// earlier archive stays as it was and no temporary file is left.
TEST(ZipWriter, ArchivesPastThePlainLimitsAreRefusedAndTheOldOneStays)
{
    TempDir dir;
    for (const char* name : {"a", "b", "c"}) dir.Write(std::string("base/") + name, std::string(1000, 'x'));
    WriteFolderArchive(dir / "t.zip", dir / "base", {}, 0, ZipLimits{3, 1u << 20});
    const std::string old = dir.Read("t.zip");
    const auto refused = [&](const ZipLimits& limits, const ZipProgress& progress = {}) {
        const std::string error = ErrorOf([&] { WriteFolderArchive(dir / "t.zip", dir / "base", progress, 0, limits); });
        EXPECT_EQ(dir.Read("t.zip"), old);
        EXPECT_EQ(Strays(dir.Path(), {"base", "t.zip"}), std::vector<std::string>{});
        return error;
    };
    // One entry past the limit (65,535 entries for a plain archive) is one too many.
    const std::string tooMany = refused(ZipLimits{2, 1u << 20});
    EXPECT_TRUE(Contains(tooMany, "Слишком много файлов для архива")) << tooMany;
    EXPECT_TRUE(Contains(tooMany, "не более 2")) << tooMany;
    EXPECT_TRUE(Contains(refused(ZipLimits{3, 3000}), "больше 4 ГБ"));

    // A file large enough to be compressed as it is read grows after the tree was measured.
    dir.Write("base/big", std::string(2u << 20, 'y'));
    bool grown = false;
    const ZipProgress grow = [&](std::uint64_t, std::uint64_t) {
        if (grown) return;
        grown = true;
        std::ofstream(dir / "base/big", std::ios::binary | std::ios::app) << std::string(1u << 20, 'z');
    };
    EXPECT_TRUE(Contains(refused(ZipLimits{10, (5u << 19)}, grow), "больше 4 ГБ"));
    EXPECT_TRUE(grown);
}

// Random archives extract to exactly what the reader lists: every file with its content, time
// and read-only mark, every folder, nothing else; an entry the reader cannot read stops it.
TEST(ZipExtract, RandomArchivesExtractToWhatTheReaderLists)
{
    std::mt19937 random(7);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        TempDir dir;
        std::vector<TemplateEntry> made;
        for (int n = pick(1, 8); n > 0; --n) {
            TemplateEntry e;
            e.name = std::string(pick(0, 1) ? "sub/" : "") + (pick(0, 2) ? "" : "deep/") + "f" + std::to_string(n);
            if (pick(0, 4) == 0) e.name += "/";
            else e.content = std::string(static_cast<size_t>(pick(0, 3000)), static_cast<char>('a' + n));
            e.externalAttr = pick(0, 2) == 0 ? 0x21 : 0x20;
            e.year = pick(1981, 2100), e.month = pick(1, 12), e.day = pick(1, 28);
            e.hour = pick(4, 23), e.minute = pick(0, 59), e.second = 2 * pick(0, 29);
            made.push_back(e);
        }
        MakeZip(dir / "t.zip", made);
        ExtractArchive(dir / "t.zip", dir / "base");

        ZipReader reader{TextFile(dir / "t.zip")};
        std::vector<std::string> expected;
        for (const ZipEntry& entry : reader.Entries()) {
            std::string path = entry.name;
            for (size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1))
                if (slash + 1 < path.size()) expected.push_back(path.substr(0, slash));
            if (path.ends_with('/')) {
                path.pop_back();
                expected.push_back(path);
                EXPECT_TRUE(fs::is_directory(dir / "base" / path)) << path;
                continue;
            }
            expected.push_back(path);
            EXPECT_EQ(dir.Read("base/" + path), reader.ReadWhole(entry, 1 << 20)) << path;
            EXPECT_EQ(IsReadOnlyFile(dir / "base" / path), (entry.attributes & 1) != 0) << path;
            const auto mtime = std::chrono::system_clock::to_time_t(
                std::chrono::time_point_cast<std::chrono::system_clock::duration>(
                    std::chrono::file_clock::to_sys(fs::last_write_time(dir / "base" / path))));
            std::tm tm{};
            localtime_r(&mtime, &tm);
            const ZipTime& t = entry.modified;
            EXPECT_EQ(std::vector<int>({tm.tm_year + 1900, tm.tm_mon, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec}),
                      std::vector<int>({t.year, t.month, t.day, t.hour, t.minute, t.second})) << path;
        }
        std::sort(expected.begin(), expected.end());
        expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
        EXPECT_EQ(TreeOf(dir / "base"), expected);
    }

    // An entry marked as encrypted is refused by its name before anything is written.
    TempDir dir;
    MakeZip(dir / "t.zip", {{"first.txt", "plain"}, {"secret.txt", "hidden"}});
    std::string bytes = dir.Read("t.zip");
    const size_t central = bytes.find("PK\x01\x02", bytes.find("PK\x01\x02") + 1);  // the second entry's
    ASSERT_NE(central, std::string::npos);
    bytes[central + 8] = static_cast<char>(bytes[central + 8] | 1);
    dir.Write("t.zip", bytes);
    const std::string msg = ErrorOf([&] { ExtractArchive(dir / "t.zip", dir / "base"); });
    EXPECT_TRUE(Contains(msg, "secret.txt")) << msg;
    EXPECT_TRUE(Contains(msg, (dir / "t.zip").string())) << msg;
    EXPECT_FALSE(fs::exists(dir / "base"));
}

} // namespace lumira
