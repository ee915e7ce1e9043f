// The package builder on its own: record, text pieces, manifest, .jar and .jad, built from a
// template made here and read back with minizip and from the raw header bytes.
#include "book/book_builder.h"
#include "book/book_text.h"
#include "book/book_volumes.h"
#include "book/text_stream.h"
#include "book/zip_archive.h"
#include "book/zip_test_util.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/line_list.h"
#include "support/temp_dir.h"
#include "support/text_checks.h"
#include "support/cp1251_text.h"
#include "support/text_feed.h"

#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <thread>
#include <gtest/gtest.h>

namespace lumira {

namespace fs = std::filesystem;

namespace {

// A text whose every byte tells its position, so a shifted or repeated piece shows; it ends in
// CR LF, so the book holds it byte for byte.
std::string TextOfSize(size_t size)
{
    std::string text(size, '\0');
    for (size_t i = 0; i < size; ++i) text[i] = static_cast<char>('A' + (i * 7 + i / 251) % 53);
    if (size >= 2) text.replace(size - 2, 2, "\r\n");
    return text;
}

std::vector<std::string> Listing(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

int OpenDescriptors()
{
    int n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

struct BookBuilderTest : ::testing::Test {
    TempDir dir;
    PhoneProfile phone;
    SettingsRecord record{};

    BookBuilderTest()
    {
        phone.Name = "Phone";
        dir.Write("temp/fonts/default.props", std::string(514, '\x01'));
        dir.Write("temp/fonts/default.png", "glyph strip");
        fs::create_directories(dir / "out");
        MakeZip(dir / "velmar.dat", StandardTemplate());
    }

    BookRequest Request(const std::string& text, const std::string& jarName = "book.jar")
    {
        dir.Write("book.txt", text);
        // As the window and lumira-cli fill it.
        BookRequest r = MakeBookRequest(QStringLiteral("Book"), &phone, 0xFFFFFF, 1, dir / "temp", dir / "velmar.dat",
                                        dir / "out" / jarName);
        r.textFile = dir / "book.txt";
        return r;
    }

    fs::path Jar() const { return dir / "out/book.jar"; }

    // Every entry's name and content, in archive order.
    std::vector<std::pair<std::string, std::string>> Entries(const fs::path& jar) const
    {
        std::vector<std::pair<std::string, std::string>> entries;
        for (const auto& name : EntryNames(jar)) entries.emplace_back(name, EntryContent(jar, name));
        return entries;
    }

    std::vector<std::string> Pieces(const fs::path& jar) const
    {
        std::vector<std::string> pieces;
        for (const auto& name : EntryNames(jar))
            if (name.starts_with("text/") && name != "text/") pieces.push_back(name);
        return pieces;
    }
};

} // namespace

TEST_F(BookBuilderTest, TextIsCutIntoPiecesAndCountedInTheRecord)
{
    struct Case {
        size_t size;
        std::vector<size_t> pieces;
    };
    const std::vector<Case> cases = {
        {0, {}},
        {2, {2}},
        {32767, {32767}},
        {32768, {32767, 1}},
        {100000, {32767, 32767, 32767, 1699}},
        {10 * 32767 + 5, {32767, 32767, 32767, 32767, 32767, 32767, 32767, 32767, 32767, 32767, 5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        const std::string text = TextOfSize(c.size);
        BuildBook(Request(text), record);

        const std::string config = EntryContent(Jar(), "config");
        ASSERT_EQ(config.size(), 27u);
        EXPECT_EQ(config, std::string(record.begin(), record.end()));
        EXPECT_EQ(dir.Read("temp/config"), config);
        const auto byte = [&](size_t i) { return static_cast<unsigned char>(config[i]); };
        EXPECT_EQ(byte(0) | byte(1) << 8 | byte(2) << 16 | static_cast<size_t>(byte(3)) << 24, c.size);
        EXPECT_EQ(byte(20) | byte(21) << 8, c.pieces.size());

        ASSERT_EQ(Pieces(Jar()).size(), c.pieces.size());
        std::string joined;
        for (size_t i = 0; i < c.pieces.size(); ++i) {
            const std::string piece = EntryContent(Jar(), "text/chunk." + std::to_string(i));
            EXPECT_EQ(piece.size(), c.pieces[i]);
            joined += piece;
        }
        EXPECT_EQ(joined, text);
        const auto names = EntryNames(Jar());
        EXPECT_NE(std::find(names.begin(), names.end(), "text/"), names.end());
        if (c.pieces.size() == 11) {  // listed as the folder lists them: by name
            const std::vector<std::string> order = {"text/chunk.0", "text/chunk.1", "text/chunk.10", "text/chunk.2"};
            const auto listed = Pieces(Jar());
            EXPECT_EQ(std::vector<std::string>(listed.begin(), listed.begin() + 4), order);
        }
    }
    // 100000 bytes in the record's own words.
    BuildBook(Request(TextOfSize(100000)), record);
    EXPECT_EQ(std::vector<int>(record.begin(), record.begin() + 4), (std::vector<int>{0xA0, 0x86, 0x01, 0x00}));
    EXPECT_EQ(std::vector<int>(record.begin() + 20, record.begin() + 22), (std::vector<int>{0x04, 0x00}));
}

TEST(SettingsRecordTest, FieldsAsTheReaderExpectsThem)
{
    PhoneProfile p;
    p.Width = 176, p.Height = 204, p.setFullScreen = true, p.LSoft = -6, p.RSoft = -7, p.Menu = 0;
    p.OnUp = 2, p.OnDown = 5, p.OnLeft = 0, p.OnRight = 3;
    SettingsRecord r{};
    r[4] = 0xAB;  // not the builder's byte: stays as it is
    FillSettingsRecord(r, 100000, MakeColorValue(0x33, 0x22, 0x11), p, 4, 1);
    const std::vector<int> expected = {0xA0, 0x86, 0x01, 0x00, 0xAB, 0x11, 0x22, 0x33, 0xB0, 0x00, 0xCC, 0x00, 0x01, 0xFA,
                                       0xF9, 0x00, 0x02, 0x05, 0x00, 0x03, 0x04, 0x00, 0xFF, 0x7F, 0x00, 0x00, 0x02};
    EXPECT_EQ(std::vector<int>(r.begin(), r.end()), expected);

    p.OnUp = p.OnDown = p.OnLeft = p.OnRight = -1;
    p.setFullScreen = false;
    p.Width = 0x12345;  // only the low 16 bits fit
    FillSettingsRecord(r, 0, 0, p, 0, -1);
    EXPECT_EQ(std::vector<int>(r.begin() + 16, r.begin() + 20), (std::vector<int>{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(r[8], 0x45);
    EXPECT_EQ(r[9], 0x23);
    EXPECT_EQ(r[12], 0);
    EXPECT_EQ(r[26], 0);  // no system-line position selected
    FillSettingsRecord(r, 0, 0, p, 0, 0);
    EXPECT_EQ(r[26], 1);
    EXPECT_EQ(r[4], 0xAB);

    EXPECT_EQ(ChunkCountOf(0), 0u);
    EXPECT_EQ(ChunkCountOf(32767), 1u);
    EXPECT_EQ(ChunkCountOf(32768), 2u);
    EXPECT_EQ(ChunkCountOf(kMaxTextSize), 65535u);
}

TEST_F(BookBuilderTest, ArchiveHoldsTemplateBookAndGlyphsInListingOrder)
{
    BuildBook(Request(TextOfSize(40000)), record);
    const RawArchive raw = ReadRawArchive(Jar());
    std::vector<std::string> names;
    for (const auto& e : raw.entries) names.push_back(e.name);
    const std::vector<std::string> expected = {"book.png",     "BookReader.class",     "config",
                                               "fonts/",       "fonts/default.png",    "fonts/default.props",
                                               "META-INF/",    "META-INF/MANIFEST.MF", "text/",
                                               "text/chunk.0", "text/chunk.1"};
    EXPECT_EQ(names, expected);
    for (const auto& e : raw.entries) EXPECT_EQ(e.method, e.name.ends_with('/') ? 0 : 8) << e.name;
    EXPECT_EQ(EntryContent(Jar(), "fonts/default.png"), "glyph strip");
}

TEST_F(BookBuilderTest, ManifestAndDescriptorCarryTheTitleUnfolded)
{
    // Twenty Cyrillic letters: forty bytes of UTF-8, a 73-byte "MIDlet-1: " line.
    const std::string title = Utf8ToCp1251("АБВГДЕЖЗИЙКЛМНОПРСТУ");
    ASSERT_EQ(title.size(), 20u);
    BookRequest r = Request("text");
    r.title = Cp1251ToUtf8(title);
    BuildBook(r, record);

    const std::string utf8 = Cp1251ToUtf8(title);
    ASSERT_EQ(utf8.size(), 40u);
    const std::string manifest = EntryContent(Jar(), "META-INF/MANIFEST.MF");
    const std::string lines = "Manifest-Version: 1.0\r\nMIDlet-Vendor: Test\r\nMicroEdition-Profile: MIDP-2.0\r\n"
                              "MIDlet-Name: " + utf8 + "\r\nMIDlet-1: " + utf8 + ", /book.png, BookReader\r\n";
    EXPECT_EQ(manifest, lines);
    EXPECT_EQ(("MIDlet-1: " + utf8 + ", /book.png, BookReader").size(), 73u);

    const std::string jad = dir.Read("out/book.jad");
    EXPECT_EQ(jad, lines + "MIDlet-Jar-URL: book.jar\r\nMIDlet-Jar-Size: " + std::to_string(fs::file_size(Jar())) + "\r\n");
}

TEST_F(BookBuilderTest, TemplateManifestEndingInABlankLineKeepsIt)
{
    MakeZip(dir / "velmar.dat", StandardTemplate("Manifest-Version: 1.0\r\n\r\n"));
    BuildBook(Request("text"), record);
    EXPECT_EQ(EntryContent(Jar(), "META-INF/MANIFEST.MF"),
              "Manifest-Version: 1.0\r\n\r\nMIDlet-Name: Book\r\nMIDlet-1: Book, /book.png, BookReader\r\n");
}

TEST_F(BookBuilderTest, SecondCreateWithAShorterTextLeavesNoStalePieces)
{
    BuildBook(Request(TextOfSize(5 * 32767)), record);
    EXPECT_EQ(Pieces(Jar()).size(), 5u);
    BuildBook(Request("short"), record);
    EXPECT_EQ(Pieces(Jar()), std::vector<std::string>{"text/chunk.0"});
    // The pieces go from the text into the package without being laid out as files.
    EXPECT_TRUE(Listing(dir / "temp/text").empty());
    const LineList manifest = SplitLines(EntryContent(Jar(), "META-INF/MANIFEST.MF"));
    EXPECT_EQ(std::count_if(manifest.begin(), manifest.end(), [](auto& l) { return l.starts_with("MIDlet-Name: "); }), 1);
    EXPECT_EQ(std::count_if(manifest.begin(), manifest.end(), [](auto& l) { return l.starts_with("MIDlet-1: "); }), 1);
    // Replaced without asking; nothing else is left in the target folder.
    EXPECT_EQ(Listing(dir / "out"), (std::vector<std::string>{"book.jad", "book.jar"}));
    EXPECT_TRUE(Contains(dir.Read("out/book.jad"), "MIDlet-Jar-Size: " + std::to_string(fs::file_size(Jar())) + "\r\n"));
}

TEST_F(BookBuilderTest, DescriptorNamesThePackageAsOnDisk)
{
    const std::string name = "Моя книга 2.jar";
    BuildBook(Request("text", name), record);
    ASSERT_TRUE(fs::exists(dir / "out" / name));
    const LineList jad = ReadLineList(dir / "out/Моя книга 2.jad");
    ASSERT_GE(jad.size(), 2u);
    EXPECT_EQ(jad[jad.size() - 2], "MIDlet-Jar-URL: " + name);  // the name's own bytes, no escaping
    EXPECT_EQ(jad.back(), "MIDlet-Jar-Size: " + std::to_string(fs::file_size(dir / "out" / name)));

    EXPECT_EQ(JadPathFor("/a/b.jar"), fs::path("/a/b.jad"));
    EXPECT_EQ(JadPathFor("/a/book"), fs::path("/a/book.jad"));
    EXPECT_EQ(JadPathFor("/a.b/book"), fs::path("/a.b/book.jad"));
    EXPECT_EQ(JadPathFor("/a/x.tar.JAR"), fs::path("/a/x.tar.jad"));
}

TEST_F(BookBuilderTest, RefusalsBeforeAnythingIsWritten)
{
    dir.Write("temp/text/chunk.7", "earlier piece");
    record.fill(0x5A);
    const SettingsRecord before = record;

    BookRequest noPhone = Request("text");
    noPhone.profile = nullptr;
    EXPECT_EQ(ErrorOf([&] { BuildBook(noPhone, record); }), "Не выбран профиль телефона.");

    BookRequest sameName = Request("text", "book.jad");
    EXPECT_TRUE(Contains(ErrorOf([&] { BuildBook(sameName, record); }), ".jad"));

    EXPECT_EQ(record, before);
    EXPECT_FALSE(fs::exists(dir / "temp/config"));
    EXPECT_TRUE(fs::exists(dir / "temp/text/chunk.7"));
    EXPECT_TRUE(fs::is_empty(dir / "out"));
}

TEST_F(BookBuilderTest, ZeroBytesAreLeftOutAndCountedHoweverLongTheFile)
{
    // One byte more than 65535 pieces could hold, all zero bytes (a sparse file): the text is
    // empty, as the preview reads it, and every byte is counted.
    BookRequest huge = Request("");
    fs::resize_file(huge.textFile.Path(), kMaxTextSize + 1);
    EXPECT_EQ(BuildBook(huge, record), kMaxTextSize + 1);
    EXPECT_TRUE(Pieces(Jar()).empty());
    EXPECT_EQ(std::vector<int>(record.begin(), record.begin() + 4), (std::vector<int>{0, 0, 0, 0}));
}

TEST_F(BookBuilderTest, AnyPackageNameTheFileSystemTakesWorks)
{
    const std::string stem(246, 'k');
    BuildBook(Request("text\r\n", stem + ".jar"), record);
    EXPECT_EQ(Listing(dir / "out"), (std::vector<std::string>{stem + ".jad", stem + ".jar"}));
    EXPECT_EQ(EntryContent(dir / "out" / (stem + ".jar"), "text/chunk.0"), "text\r\n");

    // A name without an extension that fits gets a descriptor name that does not: refused
    // before anything is written, naming the descriptor.
    const std::string bare(253, 'b');
    const std::string msg = ErrorOf([&] { BuildBook(Request("text", bare), record); });
    EXPECT_EQ(msg, CannotCreateText(dir / "out" / (bare + ".jad"), ENAMETOOLONG));
    const std::string tooLong(256, 'x');
    EXPECT_EQ(ErrorOf([&] { BuildBook(Request("text", tooLong + ".jar"), record); }),
              CannotCreateText(dir / "out" / (tooLong + ".jar"), ENAMETOOLONG));
    EXPECT_EQ(Listing(dir / "out"), (std::vector<std::string>{stem + ".jad", stem + ".jar"}));
}

TEST_F(BookBuilderTest, FailuresGiveTheirMessageKeepTheEarlierBookAndCloseEveryFile)
{
    BuildBook(Request("first book"), record);
    const std::string jar = dir.Read("out/book.jar");
    const std::string jad = dir.Read("out/book.jad");
    const int descriptors = OpenDescriptors();
    const auto unchanged = [&] {
        EXPECT_EQ(Listing(dir / "out"), (std::vector<std::string>{"book.jad", "book.jar"}));
        EXPECT_EQ(dir.Read("out/book.jar"), jar);
        EXPECT_EQ(dir.Read("out/book.jad"), jad);
        EXPECT_EQ(OpenDescriptors(), descriptors);
    };

    {
        SCOPED_TRACE("no text open");
        BookRequest r = Request("x");
        r.textFile = TextFile();
        EXPECT_EQ(ErrorOf([&] { BuildBook(r, record); }), CannotOpenText({}, ENOENT));
        unchanged();
    }
    {
        SCOPED_TRACE("a title of blanks");
        for (const char* blank : {"", "   ", " \t\xC2\xA0"}) {
            BookRequest r = Request("x");
            r.title = blank;
            EXPECT_EQ(ErrorOf([&] { BuildBook(r, record); }), "Название книги пусто: телефоны не устанавливают книгу без названия.");
        }
        unchanged();
    }
    {
        SCOPED_TRACE("template missing");
        fs::rename(dir / "velmar.dat", dir / "saved.dat");
        const std::string msg = ErrorOf([&] { BuildBook(Request("second"), record); });
        EXPECT_TRUE(Contains(msg, (dir / "velmar.dat").string())) << msg;
        EXPECT_TRUE(fs::exists(dir / "temp/config"));  // written before the template is read
        unchanged();
        fs::rename(dir / "saved.dat", dir / "velmar.dat");
    }
    {
        SCOPED_TRACE("template without text/");
        fs::remove_all(dir / "temp/text");
        auto entries = StandardTemplate();
        entries.pop_back();
        MakeZip(dir / "velmar.dat", entries);
        EXPECT_EQ(ErrorOf([&] { BuildBook(Request("second"), record); }),
                  CannotCreateText(dir / "temp/text/chunk.0", ENOENT));
        unchanged();
    }
    {
        SCOPED_TRACE("no room for the compressed pieces");
        MakeZip(dir / "velmar.dat", StandardTemplate());
        fs::create_directory(dir / "temp/pieces.tmp");
        EXPECT_EQ(ErrorOf([&] { BuildBook(Request("second"), record); }),
                  CannotCreateText(dir / "temp/pieces.tmp", EISDIR));
        EXPECT_TRUE(fs::is_empty(dir / "temp/pieces.tmp"));
        fs::remove(dir / "temp/pieces.tmp");
        unchanged();
    }
    {
        SCOPED_TRACE("template without manifest");
        fs::remove_all(dir / "temp/META-INF");
        MakeZip(dir / "velmar.dat", {{"book.png", "png"}, {"text/", ""}});
        EXPECT_EQ(ErrorOf([&] { BuildBook(Request("second"), record); }),
                  CannotOpenText(dir / "temp/META-INF/MANIFEST.MF", ENOENT));
        unchanged();
        MakeZip(dir / "velmar.dat", StandardTemplate());
    }
    {
        SCOPED_TRACE("read-only package or descriptor");
        fs::permissions(dir / "out/book.jar", fs::perms::owner_read, fs::perm_options::replace);
        EXPECT_EQ(ErrorOf([&] { BuildBook(Request("second"), record); }), CannotCreateText(Jar(), EACCES));
        fs::permissions(dir / "out/book.jar", fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
        fs::permissions(dir / "out/book.jad", fs::perms::owner_read, fs::perm_options::replace);
        EXPECT_EQ(ErrorOf([&] { BuildBook(Request("second"), record); }),
                  CannotCreateText(dir / "out/book.jad", EACCES));
        fs::permissions(dir / "out/book.jad", fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
        unchanged();
    }
    {
        SCOPED_TRACE("target folder is a file");
        dir.Write("plain", "not a folder");
        {
            BookRequest r = Request("second");  // holds its text open
            r.jarPath = dir / "plain/book.jar";
            EXPECT_EQ(ErrorOf([&] { BuildBook(r, record); }), CannotCreateText(dir / "plain/book.jar", ENOTDIR));
        }
        EXPECT_EQ(dir.Read("plain"), "not a folder");
        unchanged();
    }
    {
        SCOPED_TRACE("text folder replaced by a link");
        dir.Write("elsewhere/keep.txt", "keep");
        fs::remove_all(dir / "temp/text");
        fs::create_directory_symlink(dir / "elsewhere", dir / "temp/text");
        const std::string msg = ErrorOf([&] { BuildBook(Request("second"), record); });
        EXPECT_TRUE(Contains(msg, "text/")) << msg;
        EXPECT_EQ(Listing(dir / "elsewhere"), std::vector<std::string>{"keep.txt"});
        fs::remove(dir / "temp/text");
        unchanged();
    }
    {
        SCOPED_TRACE("template with unsafe entries");
        auto entries = StandardTemplate();
        entries.push_back({"../../escaped.txt", "payload"});
        MakeZip(dir / "velmar.dat", entries);
        const std::string msg = ErrorOf([&] { BuildBook(Request("second"), record); });
        EXPECT_TRUE(Contains(msg, "../../escaped.txt")) << msg;
        EXPECT_FALSE(fs::exists(dir.Path().parent_path() / "escaped.txt"));
        EXPECT_FALSE(fs::exists(dir / "escaped.txt"));
        unchanged();
    }
}

TEST_F(BookBuilderTest, ABuiltBookTestsCleanAsAPlainMsDosArchive)
{
    const QString unzip = QStandardPaths::findExecutable("unzip");
    const QString zipinfo = QStandardPaths::findExecutable("zipinfo");
    if (unzip.isEmpty() || zipinfo.isEmpty()) GTEST_SKIP() << "Info-ZIP tools not installed";
    BuildBook(Request(TextOfSize(40000)), record);
    const auto run = [&](const QString& tool, const QString& option) {
        QProcess process;
        process.start(tool, {option, QString::fromStdString(Jar().string())});
        EXPECT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), 0) << tool.toStdString();
        return QString::fromLocal8Bit(process.readAllStandardOutput());
    };
    EXPECT_TRUE(run(unzip, "-t").contains("No errors detected"));
    const QString info = run(zipinfo, "-v");
    EXPECT_EQ(info.count("file system or operating system of origin:      MS-DOS"), 11);
    EXPECT_EQ(info.count("minimum software version required to extract:   2.0"), 11);
    EXPECT_FALSE(info.contains("Zip64", Qt::CaseInsensitive));
    EXPECT_TRUE(info.contains("There is no zipfile comment."));
}

TEST_F(BookBuilderTest, CancelledBuildKeepsTheEarlierBookAndLeavesNoPieceOrTemporaryFile)
{
    BookRequest first = Request(TextOfSize(40000));
    // The archive stage's share only grows, and reaches the whole.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> shares;
    first.progress = [&](BookStage s, std::uint64_t done, std::uint64_t total) {
        if (s == BookStage::Archive) shares.emplace_back(done, total);
    };
    BuildBook(first, record);
    ASSERT_FALSE(shares.empty());
    for (std::size_t i = 1; i < shares.size(); ++i) {
        EXPECT_GE(shares[i].first, shares[i - 1].first);
        EXPECT_EQ(shares[i].second, shares[0].second);
    }
    EXPECT_EQ(shares.back().first, shares.back().second);
    const std::string jar = ReadFileBytes(Jar());
    const std::string jad = ReadFileBytes(dir / "out/book.jad");
    const std::vector<std::string> work = Listing(dir / "temp");

    // Stopped once the first piece is compressed, halfway through, and once the last entry is in.
    struct Moment {
        const char* name;
        std::function<bool(BookStage, std::uint64_t, std::uint64_t)> reached;
    };
    const std::vector<Moment> moments = {
        {"early", [](BookStage s, std::uint64_t done, std::uint64_t) { return s == BookStage::Archive && done > 0; }},
        {"middle", [](BookStage s, std::uint64_t done, std::uint64_t total) {
             return s == BookStage::Archive && done > total / 2;
         }},
        {"last piece", [](BookStage s, std::uint64_t done, std::uint64_t total) {
             return s == BookStage::Archive && done == total && total > 0;
         }},
    };
    for (const Moment& moment : moments) {
        SCOPED_TRACE(moment.name);
        std::atomic<bool> cancel{false};
        BookRequest r = Request(TextOfSize(300000));
        r.cancel = &cancel;
        r.progress = [&](BookStage s, std::uint64_t done, std::uint64_t total) {
            if (moment.reached(s, done, total)) cancel = true;
        };
        EXPECT_THROW(BuildBook(r, record), BookCancelled);
        EXPECT_TRUE(ReadFileBytes(Jar()) == jar);
        EXPECT_TRUE(ReadFileBytes(dir / "out/book.jad") == jad);
        EXPECT_EQ(Listing(dir / "out"), (std::vector<std::string>{"book.jad", "book.jar"}));
        EXPECT_TRUE(Listing(dir / "temp/text").empty());
        EXPECT_EQ(Listing(dir / "temp"), work);  // the compressed pieces' store is gone too
    }
}

TEST_F(BookBuilderTest, PackageIsTheSameForAnyNumberOfThreadsAndAsTheArchiveOfItsWorkFolder)
{
    std::string packages[3];
    const unsigned counts[3] = {1, 2, 8};
    const auto stamp = fs::file_time_type::clock::now() - std::chrono::hours(1);
    const std::string text = TextOfSize(700000);
    for (int i = 0; i < 3; ++i) {
        BookRequest r = Request(text);
        r.threads = counts[i];
        // Every file of the work folder gets one time, as the archive records it to the second:
        // once the text is compressed, and again as the package starts being written.
        r.progress = [&](BookStage s, std::uint64_t done, std::uint64_t) {
            if (s == BookStage::Archive && done == text.size())
                for (const auto& e : fs::recursive_directory_iterator(dir / "temp")) fs::last_write_time(e.path(), stamp);
        };
        BuildBook(r, record);
        packages[i] = ReadFileBytes(Jar());
    }
    EXPECT_EQ(Pieces(Jar()).size(), 22u);
    EXPECT_TRUE(packages[0] == packages[1]);
    EXPECT_TRUE(packages[0] == packages[2]);

    // The pieces never lie in text/, yet the package is byte for byte the archive of the work
    // folder holding them as files of that time.
    for (std::size_t at = 0, i = 0; at < text.size(); at += 32767, ++i)
        dir.Write("temp/text/chunk." + std::to_string(i), text.substr(at, 32767));
    for (const auto& e : fs::recursive_directory_iterator(dir / "temp")) fs::last_write_time(e.path(), stamp);
    WriteFolderArchive(dir / "folder.jar", dir / "temp", {}, 2);
    EXPECT_TRUE(ReadFileBytes(dir / "folder.jar") == packages[0]);
}

TEST_F(BookBuilderTest, ABookCompressedThePlainReferenceWayHoldsWhatTheFastWayPutsIn)
{
    // Piece borders, a text zlib takes for binary, and one long enough for every thread.
    std::string binary = TextOfSize(70000);
    binary[5] = '\x01';
    for (const std::string& text : {TextOfSize(0), TextOfSize(32767), TextOfSize(32768), binary, TextOfSize(400000)}) {
        SCOPED_TRACE(text.size());
        BookRequest fast = Request(text);
        fast.threads = 3;
        BuildBook(fast, record);
        const auto expected = Entries(Jar());
        const RawArchive fastRaw = ReadRawArchive(Jar());
        const SettingsRecord fastRecord = record;

        BookRequest reference = Request(text);
        reference.referenceCompression = true;
        BuildBook(reference, record);
        EXPECT_TRUE(Entries(Jar()) == expected);
        EXPECT_TRUE(record == fastRecord);
        const RawArchive raw = ReadRawArchive(Jar());
        ASSERT_EQ(raw.entries.size(), fastRaw.entries.size());
        for (std::size_t i = 0; i < raw.entries.size(); ++i) {
            EXPECT_EQ(raw.entries[i].size, fastRaw.entries[i].size) << raw.entries[i].name;
            EXPECT_EQ(raw.entries[i].internalAttr, fastRaw.entries[i].internalAttr) << raw.entries[i].name;
        }
    }
}

TEST_F(BookBuilderTest, APackageNameWithAControlCharacterIsRefusedBeforeAnythingIsWritten)
{
    for (const std::string name : {"a\nb.jar", "a\rb.jar", "tab\t.jar", "del\x7f.jar"}) {
        EXPECT_THROW(BuildBook(Request("text", name), record), AppError) << name;
        EXPECT_FALSE(fs::exists(dir / "out" / name));
    }
    EXPECT_TRUE(fs::is_empty(dir / "out"));
}

TEST_F(BookBuilderTest, ATemplateThatUnpacksPastTheLimitIsRefused)
{
    const fs::path archive = dir / "big.dat";
    MakeZip(archive, {{"a.bin", std::string(3000, 'a')}, {"b.bin", std::string(3000, 'b')}});
    // Each entry fits on its own; together they pass the limit, so nothing is written.
    try {
        ExtractArchive(archive, dir / "big", 5000);
        ADD_FAILURE() << "extracted";
    } catch (const AppError& e) {
        EXPECT_NE(std::string(e.what()).find("5000"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(fs::exists(dir / "big" / "a.bin"));
    ExtractArchive(archive, dir / "fits", 6000);
    EXPECT_EQ(fs::file_size(dir / "fits" / "b.bin"), 3000u);
    EXPECT_EQ(kMaxExtractedBytes, 16u << 20);
}

TEST_F(BookBuilderTest, AStreamedTextGivesTheBookItsFileGives)
{
    // Piece borders, a text without a last break, lone CR and LF, and a zero byte with a long
    // text after it (left out alike, the rest read on).
    const std::vector<std::string> texts = {TextOfSize(0), TextOfSize(2), TextOfSize(32767), TextOfSize(32768),
                                            TextOfSize(10 * 32767 + 5), "open\rlast\nline",
                                            "zero" + std::string(1, '\0') + TextOfSize(200000)};
    for (const std::string& text : texts) {
        for (const unsigned threads : {1u, 3u}) {
            SCOPED_TRACE(std::to_string(text.size()) + " bytes on " + std::to_string(threads) + " threads");
            BookRequest fromFile = Request(text);
            fromFile.threads = threads;
            BuildBook(fromFile, record);
            const auto expected = Entries(Jar());
            const SettingsRecord expectedRecord = record;
            const auto work = Listing(dir / "temp");

            TextStream stream;
            TextFeed feed(stream, text);
            BookRequest r = Request("not this file");
            r.textStream = &stream;
            r.threads = threads;
            std::uint64_t told = 0;
            r.progress = [&](BookStage s, std::uint64_t done, std::uint64_t) { told = s == BookStage::Archive ? done : told; };
            BuildBook(r, record);
            EXPECT_TRUE(Entries(Jar()) == expected);
            EXPECT_TRUE(record == expectedRecord);
            EXPECT_EQ(Listing(dir / "temp"), work);
            // The progress ends on the whole, as a file's does: the size and an eighth for the writing.
            std::uint64_t size = 0;
            for (int i = 3; i >= 0; --i) size = size << 8 | expectedRecord[i];
            EXPECT_EQ(told, size + size / 8 + 1);
        }
    }

    // Under a package limit the stream is read whole and the volumes are those of the file.
    const std::string text = TextOfSize(400000);
    const auto volumes = [&](bool streamed, std::uint64_t limit) {
        TextStream stream;
        TextFeed feed(stream, text);
        BookRequest r = Request(text);
        if (streamed) r.textStream = &stream;
        std::vector<std::vector<std::pair<std::string, std::string>>> made;
        for (const BookVolume& v : BuildBookWithin(r, limit, dir.Path(), record).volumes) made.push_back(Entries(v.jar));
        return made;
    };
    BuildBook(Request(text), record);
    const std::uint64_t whole = fs::file_size(Jar());
    for (const std::uint64_t limit : {whole, whole * 3 / 4}) {
        SCOPED_TRACE(limit);
        const auto expected = volumes(false, limit);
        EXPECT_EQ(expected.size() > 1, limit < whole);
        EXPECT_TRUE(volumes(true, limit) == expected);
    }
}

TEST_F(BookBuilderTest, AStreamThatFailsOrIsCancelledChangesNothing)
{
    BuildBook(Request(TextOfSize(50000)), record);
    const std::string jar = ReadFileBytes(Jar());
    const std::string config = dir.Read("temp/config");
    const auto work = Listing(dir / "temp");
    const auto unchanged = [&] {
        EXPECT_TRUE(ReadFileBytes(Jar()) == jar);
        EXPECT_EQ(Listing(dir / "out"), (std::vector<std::string>{"book.jad", "book.jar"}));
        EXPECT_EQ(dir.Read("temp/config"), config);
        EXPECT_EQ(Listing(dir / "temp"), work);  // the compressed pieces' store is gone too
    };
    // The book's own message (a line and a column) reaches the caller as it was thrown, after
    // megabytes of the text have been packed.
    const std::string big = TextOfSize(9 << 20);
    {
        TextStream stream;
        TextFeed feed(stream, big, std::make_exception_ptr(AppError("Книга повреждена: строка 3, столбец 7.")));
        BookRequest r = Request("");
        r.textStream = &stream;
        EXPECT_EQ(ErrorOf([&] { BuildBook(r, record); }), "Книга повреждена: строка 3, столбец 7.");
        unchanged();
    }
    {
        TextStream stream;
        TextFeed feed(stream, big);
        std::atomic<bool> cancel{false};
        BookRequest r = Request("");
        r.textStream = &stream;
        r.cancel = &cancel;
        r.progress = [&](BookStage s, std::uint64_t done, std::uint64_t) { cancel = s == BookStage::Archive && done > (5 << 20); };
        EXPECT_THROW(BuildBook(r, record), BookCancelled);
        unchanged();
    }
    {
        // A cancel while the book's next bytes are long in coming does not wait for them: the
        // writer here goes on only once the build has returned.
        TextStream stream;
        std::promise<void> returned;
        std::thread writer([&] {
            try {
                stream.Write(TextOfSize(100000));
                returned.get_future().wait();
                stream.End();
            } catch (const TextStreamAbandoned&) {
            }
        });
        std::atomic<bool> cancel{false};
        BookRequest r = Request("");
        r.textStream = &stream;
        r.cancel = &cancel;
        r.threads = 2;
        r.progress = [&](BookStage s, std::uint64_t done, std::uint64_t) { cancel = s == BookStage::Archive && done > 0; };
        EXPECT_THROW(BuildBook(r, record), BookCancelled);
        returned.set_value();
        writer.join();
        unchanged();
    }
}

} // namespace lumira

namespace lumira {

// A book's own contents (an FB2's nested sections) reach its package through the stream it is
// laid out into, each title at its line in the package's text; each volume of it carries the
// titles of its own text at their places there, and together they are the whole book's.
TEST_F(BookBuilderTest, ABooksOwnContentsGoIntoItsPackageAndItsVolumes)
{
    std::string fb2 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\">"
                      "<description><title-info><book-title>Б</book-title></title-info></description><body>";
    std::vector<std::string> rows;
    for (int part = 1; part <= 3; ++part) {
        rows.push_back("Часть " + std::to_string(part));
        fb2 += "<section><title><p>" + rows.back() + "</p></title>";
        for (int chapter = 1; chapter <= 3; ++chapter) {
            const std::string title = "Глава " + std::to_string(part) + "." + std::to_string(chapter);
            rows.push_back("  " + title);
            fb2 += "<section><title><p>" + title + "</p></title>";
            for (int p = 0; p < 80; ++p)
                fb2 += "<p>Абзац " + std::to_string(p * 7919 % 1000) + " главы " + title + ", в нём слова и " +
                       std::to_string(p * p * 31 + chapter) + " число.</p>";
            fb2 += "</section>";
        }
        fb2 += "</section>";
    }
    dir.Write("book.fb2", fb2 + "</body></FictionBook>");

    // The titles of a package's contents entry, each checked against the package's own text.
    const auto contentsOf = [&](const fs::path& jar) {
        std::string text;
        for (size_t i = 0; i < Pieces(jar).size(); ++i) text += EntryContent(jar, "text/chunk." + std::to_string(i));
        const std::string toc = EntryContent(jar, "toc");
        std::vector<std::string> out;
        for (size_t at = 0; at + 5 <= toc.size();) {
            std::uint32_t position = 0;
            for (int i = 3; i >= 0; --i) position = position << 8 | static_cast<unsigned char>(toc[at + i]);
            const std::string row = toc.substr(at + 5, static_cast<unsigned char>(toc[at + 4]));
            at += 5 + row.size();
            const std::string title = row.substr(row.find_first_not_of(' '));
            EXPECT_TRUE(position == 0 || text[position - 1] == '\n') << Cp1251ToUtf8(row);
            EXPECT_EQ(text.substr(position, 1 + title.size()), "\x01" + title) << Cp1251ToUtf8(row);
            out.push_back(Cp1251ToUtf8(row));
        }
        return out;
    };
    const auto request = [&](const BookText& text) {
        BookRequest r = Request("not this text");
        text.Into(r);
        return r;
    };
    {
        const BookText streamed(dir / "book.fb2", TextEncoding::Auto, dir.Path(), BookText::Streamed{});
        BuildBook(request(streamed), record);
    }
    EXPECT_EQ(rows, contentsOf(Jar()));
    const std::uint64_t whole = fs::file_size(Jar());

    const BookText streamed(dir / "book.fb2", TextEncoding::Auto, dir.Path(), BookText::Streamed{});
    const VolumesResult made = BuildBookWithin(request(streamed), whole * 2 / 3, dir.Path(), record);
    ASSERT_GE(made.volumes.size(), 2u);
    std::vector<std::string> joined;
    for (const BookVolume& volume : made.volumes) {
        const std::vector<std::string> own = contentsOf(volume.jar);
        EXPECT_FALSE(own.empty()) << volume.jar;
        joined.insert(joined.end(), own.begin(), own.end());
    }
    EXPECT_EQ(rows, joined);
}

} // namespace lumira
