// A book under a package limit: one package when it fits, else volumes that each fit, cut at
// paragraph ends, with names of their own, and that together hold the whole text.
#include "book/book_volumes.h"
#include "book/zip_test_util.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <random>
#include <set>

namespace lumira {

namespace fs = std::filesystem;

namespace {

// A cp1251 novel of random Cyrillic words in lines of about 70 characters; a paragraph starts
// with an indent or after a blank line, as `paragraphs` says. Without paragraphs and without
// `lines` it is one line of words.
std::string Novel(size_t size, bool paragraphs, bool lines = true)
{
    std::mt19937 random(20);
    std::string text;
    size_t line = 0;
    while (text.size() < size) {
        const size_t letters = 2 + random() % 9;
        for (size_t i = 0; i < letters; ++i) text += static_cast<char>(0xE0 + random() % 32);
        line += letters + 1;
        if (lines && line > 70) {
            text += "\r\n";
            line = 0;
            if (paragraphs && random() % 6 == 0) text += random() % 2 ? "  " : "\r\n";
        } else {
            text += ' ';
        }
    }
    return text + "\r\n";
}

struct VolumesTest : ::testing::Test {
    TempDir dir;
    PhoneProfile phone;
    SettingsRecord record{};

    VolumesTest()
    {
        phone.Name = "Phone";
        LayOutWindowFolder(dir.Path());
    }

    BookRequest Request(const std::string& text, const std::string& title = "Book")
    {
        dir.Write("book.txt", text);
        BookRequest r;
        r.textFile = dir / "book.txt";
        r.title = title;
        r.profile = &phone;
        r.workFolder = dir / "temp";
        r.templateArchive = dir / "velmar.dat";
        r.jarPath = dir / "out" / "book.jar";
        return r;
    }

    VolumesResult Build(const std::string& text, std::uint64_t limit, const std::string& title = "Book")
    {
        return BuildBookWithin(Request(text, title), limit, dir / "scratch", record);
    }

    // The size of the one package of `text`, built without a limit.
    std::uint64_t Whole(const std::string& text)
    {
        BuildBook(Request(text), record);
        const auto size = fs::file_size(dir / "out/book.jar");
        fs::remove_all(dir / "out");
        fs::create_directories(dir / "out");
        return size;
    }

    static std::string TextOf(const fs::path& jar)
    {
        std::string text;
        for (int i = 0;; ++i) {
            const auto names = EntryNames(jar);
            const std::string name = "text/chunk." + std::to_string(i);
            if (std::find(names.begin(), names.end(), name) == names.end()) return text;
            text += EntryContent(jar, name);
        }
    }

    // What every volume must be, and the volumes' texts in order.
    std::vector<std::string> CheckVolumes(const VolumesResult& made, const std::string& text, std::uint64_t limit)
    {
        std::vector<std::string> parts;
        std::set<std::string> names;
        std::string joined;
        const bool split = made.volumes.size() > 1;
        for (size_t i = 0; i < made.volumes.size(); ++i) {
            const BookVolume& v = made.volumes[i];
            SCOPED_TRACE(v.jar.filename().string());
            const std::string stem = split ? "book_" + std::to_string(i + 1) : "book";
            EXPECT_EQ(v.jar, dir / "out" / (stem + ".jar"));
            EXPECT_LE(fs::file_size(v.jar), limit);
            EXPECT_EQ(v.jarSize, fs::file_size(v.jar));
            const std::string title = split ? "Book " + std::to_string(i + 1) : "Book";
            EXPECT_EQ(v.titleUtf8, title);
            const std::string manifest = EntryContent(v.jar, "META-INF/MANIFEST.MF");
            EXPECT_NE(manifest.find("MIDlet-Name: " + title + "\r\n"), std::string::npos);
            const std::string jad = dir.Read("out/" + stem + ".jad");
            EXPECT_NE(jad.find("MIDlet-Jar-URL: " + stem + ".jar\r\n"), std::string::npos);
            EXPECT_NE(jad.find("MIDlet-Jar-Size: " + std::to_string(fs::file_size(v.jar)) + "\r\n"), std::string::npos);
            names.insert(title);
            parts.push_back(TextOf(v.jar));
            joined += parts.back();
        }
        EXPECT_EQ(names.size(), made.volumes.size());
        EXPECT_EQ(joined, text);
        // Nothing of the trials is left behind.
        EXPECT_TRUE(fs::is_empty(dir / "scratch"));
        return parts;
    }
};

bool EndsWith(const std::string& s, const std::string& end)
{
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

} // namespace

TEST_F(VolumesTest, OneTwoAndFiveVolumesFitAndAreCutAtParagraphEnds)
{
    const std::string text = Novel(400000, true);
    const std::uint64_t overhead = Whole({});
    const std::uint64_t whole = Whole(text);
    for (int wanted : {1, 2, 5}) {
        SCOPED_TRACE(wanted);
        fs::remove_all(dir / "out");
        fs::create_directories(dir / "out");
        // Room for a little less than the text over `wanted` - 1 volumes, so no fewer than `wanted` do.
        const std::uint64_t limit = wanted == 1 ? whole : overhead + (whole - overhead) * 10 / (wanted * 10 - 5);
        const VolumesResult made = Build(text, limit);
        // A limit the whole book keeps to leaves the single package as it is without one.
        if (wanted == 1) {
            EXPECT_FALSE(fs::exists(dir / "out/book_1.jar"));
        }
        ASSERT_GE(made.volumes.size(), size_t(wanted));
        EXPECT_LE(made.volumes.size(), size_t(wanted) + 1);
        EXPECT_TRUE(made.warnings.empty());
        const auto parts = CheckVolumes(made, text, limit);
        for (size_t i = 0; i + 1 < parts.size(); ++i) {
            // A paragraph's end: a blank line closes the volume, or the next one begins with the indent.
            EXPECT_TRUE(EndsWith(parts[i], "\r\n\r\n") || (EndsWith(parts[i], "\r\n") && parts[i + 1].starts_with("  ")))
                << "volume " << i + 1;
        }
    }
}

TEST_F(VolumesTest, AVolumeThatCannotBePutInPlaceLeavesEveryEarlierFileAsItWas)
{
    const std::string text = Novel(200000, true);
    const std::uint64_t overhead = Whole({});
    const std::uint64_t limit = overhead + (Whole(text) - overhead) / 2;
    dir.Write("out/book_1.jar", "earlier volume");
    dir.Write("out/book_1.jad", "earlier descriptor");
    fs::create_directories(dir / "out/book_2.jad");  // a folder where a descriptor would go
    try {
        Build(text, limit);
        FAIL() << "built";
    } catch (const AppError& e) {
        EXPECT_NE(std::string(e.what()).find("book_2.jad"), std::string::npos) << e.what();
    }
    EXPECT_EQ(dir.Read("out/book_1.jar"), "earlier volume");
    EXPECT_EQ(dir.Read("out/book_1.jad"), "earlier descriptor");
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir / "out")) left.insert(entry.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"book_1.jar", "book_1.jad", "book_2.jad"}));
    EXPECT_TRUE(fs::is_empty(dir / "scratch"));
}

TEST_F(VolumesTest, WithoutParagraphsTheCutIsAtALineBreakElseAtABlank)
{
    for (bool lines : {true, false}) {
        SCOPED_TRACE(lines);
        fs::remove_all(dir / "out");
        fs::create_directories(dir / "out");
        const std::string text = Novel(150000, false, lines);
        const std::uint64_t overhead = Whole({});
        const std::uint64_t limit = overhead + (Whole(text) - overhead) / 3;
        const auto parts = CheckVolumes(Build(text, limit), text, limit);
        ASSERT_GE(parts.size(), 3u);
        for (size_t i = 0; i + 1 < parts.size(); ++i) EXPECT_TRUE(EndsWith(parts[i], lines ? "\r\n" : " ")) << i;
    }
}

TEST_F(VolumesTest, SplitPointPrefersParagraphThenLineThenBlankNearTheLimit)
{
    const std::string text = "aaa\r\n  bbb\r\nccc ddd\r\n\r\neee fff ggg";
    EXPECT_EQ(VolumeSplitPoint(text, 0, 11), 5u);     // before the indent
    EXPECT_EQ(VolumeSplitPoint(text, 0, 24), 23u);    // after the blank line
    EXPECT_EQ(VolumeSplitPoint(text, 23, 33), 31u);   // no break after 23: the last blank
    EXPECT_EQ(VolumeSplitPoint(text, 0, 100), text.size());
    const std::string solid(2000, 'x');
    EXPECT_EQ(VolumeSplitPoint(solid, 0, 1500), 1500u);
    EXPECT_EQ(VolumeSplitPoint(solid, 10, 10), 11u);  // never stuck at the start
}

TEST_F(VolumesTest, TemplateAndFontOverTheLimitAreRefusedWithBothSizes)
{
    // Glyphs that do not compress make the template alone larger than 4 KB.
    std::string noise(8000, '\0');
    std::mt19937 random(1);
    for (char& c : noise) c = static_cast<char>(random());
    dir.Write("temp/fonts/default.png", noise);
    try {
        Build(Novel(20000, true), 4096);
        FAIL() << "built";
    } catch (const AppError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("4 КБ (4096 байт)"), std::string::npos) << message;
        EXPECT_NE(message.find("Шаблон и шрифт книги занимают 9 КБ"), std::string::npos) << message;
    }
    EXPECT_TRUE(fs::is_empty(dir / "out"));
    EXPECT_TRUE(fs::is_empty(dir / "scratch"));
}

TEST_F(VolumesTest, LongVolumeNamesAreWarnedAboutOnceTheBookIsSplit)
{
    // The title itself is warned about as it is chosen (LongTitleWarning); a book kept whole,
    // under a limit or not, bears no other name.
    const std::string title = QStringLiteral("Двадцать букв в имени").toStdString();  // 18 letters and 3 blanks
    EXPECT_TRUE(Build("text\r\n", 0, title).warnings.empty());
    EXPECT_TRUE(Build("text\r\n", 1 << 20, title).warnings.empty());
    // Split, each volume's name grows by its number: "<title> 1" is 41 bytes.
    const std::string text = Novel(400000, true);
    const std::uint64_t overhead = Whole({});
    const VolumesResult made = Build(text, overhead + (Whole(text) - overhead) * 2 / 3, title);
    ASSERT_GT(made.volumes.size(), 1u);
    ASSERT_EQ(made.warnings.size(), 1u);
    EXPECT_NE(made.warnings[0].find("41 байт"), std::string::npos) << made.warnings[0];
    EXPECT_TRUE(Build(text, overhead + (Whole(text) - overhead) * 2 / 3, "Short").warnings.empty());
}

} // namespace lumira

namespace lumira {

TEST(PhoneNotes, TitleLengthAndPackageSizeAreNotedAtTheirLimitsOnly)
{
    // 16 two-byte letters are exactly the 32 bytes phones take.
    std::string letters;
    for (int i = 0; i < 16; ++i) letters += "Ж";
    EXPECT_EQ(LongTitleWarning(letters), "");
    EXPECT_NE(LongTitleWarning(letters + "Ж").find("34 байт"), std::string::npos);
    EXPECT_EQ(LongTitleWarning(std::string(32, 'a')), "");
    EXPECT_NE(LongTitleWarning(std::string(33, 'a')), "");

    EXPECT_EQ(LargePackageNote(kCommonPackageLimit, 0), "");
    EXPECT_EQ(LargePackageNote(kCommonPackageLimit + 1, 0),
              "Пакет занимает 1,0 МБ: большинство телефонов не примут пакет больше 1 МБ. Задайте в профиле телефона "
              "предел размера пакета, и книга будет разделена на тома.");
    EXPECT_NE(LargePackageNote(22'754'099, 0).find("21,7 МБ"), std::string::npos);
    // With a limit the book is already kept to what the phone takes.
    EXPECT_EQ(LargePackageNote(5 << 20, 300 * 1024), "");
}

} // namespace lumira
