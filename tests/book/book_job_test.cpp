// The one job that makes a book for the window and for lumira-cli: it gives the package the
// builder gives for the same text and settings, takes the band from its position, reads texts
// in their encoding, and refuses before writing anything what neither caller may make.
#include "book/book_job.h"
#include "book/zip_test_util.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "support/temp_dir.h"
#include "support/text_checks.h"

#include <gtest/gtest.h>

namespace lumira {

namespace {

namespace fs = std::filesystem;

struct BookJobTest : ::testing::Test {
    TempDir dir;
    PhoneProfile phone;

    BookJobTest()
    {
        phone.Name = "Phone";
        LayOutWindowFolder(dir.Path());
    }

    BookJob Job(const std::string& text, const std::string& jarName = "out/book.jar")
    {
        dir.Write("book.txt", text);
        BookJob job;
        job.text = TextFile(dir / "book.txt");
        job.encoding = TextEncoding::Cp1251;
        job.title = QStringLiteral("Book");
        job.profile = phone;
        job.dictionaryHyphens = false;  // as the builder's own request, with no dictionary folders
        job.workFolder = dir / "temp";
        job.templateFile = dir / "velmar.dat";
        job.jar = dir / jarName;
        job.scratch = dir / "scratch";
        return job;
    }
};

} // namespace

TEST_F(BookJobTest, GivesTheBuildersPackageWithTheBandWhereItIsAsked)
{
    const std::string text = "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0!\r\n\xC2\xF2\xEE\xF0\xE0\xFF \xF1\xF2\xF0\xEE\xEA\xE0.\r\n";
    for (const BandPosition band : {BandPosition::Top, BandPosition::Bottom, BandPosition::None}) {
        BookJob job = Job(text);
        job.band = band;
        SettingsRecord fromJob{};
        const BookJobResult result = RunBookJob(job, fromJob);
        ASSERT_EQ(result.made.volumes.size(), 1u);
        EXPECT_EQ(result.encoding, TextEncoding::Cp1251);
        EXPECT_FALSE(result.fromBook);
        const std::string jobJar = ReadFileBytes(dir / "out/book.jar");

        BookRequest direct = MakeBookRequest(QStringLiteral("Book"), &phone, job.background, BandIndex(band), dir / "temp",
                                             dir / "velmar.dat", dir / "out/direct.jar");
        direct.textFile = dir / "book.txt";
        SettingsRecord fromBuilder{};
        BuildBook(direct, fromBuilder);
        EXPECT_EQ(fromJob, fromBuilder) << static_cast<int>(band);
        EXPECT_EQ(EntryContent(dir / "out/book.jar", "config"), EntryContent(dir / "out/direct.jar", "config"));
        EXPECT_EQ(EntryNames(dir / "out/book.jar"), EntryNames(dir / "out/direct.jar"));
        EXPECT_FALSE(jobJar.empty());
    }
}

TEST_F(BookJobTest, ReadsATextInItsEncodingAndTellsWhatItWasReadIn)
{
    // "Привет" in KOI8-R: the same book as the cp1251 text of it.
    BookJob job = Job("\xF0\xD2\xC9\xD7\xC5\xD4\r\n");
    job.encoding = TextEncoding::Koi8r;
    SettingsRecord record{};
    const BookJobResult result = RunBookJob(job, record);
    EXPECT_EQ(result.encoding, TextEncoding::Koi8r);
    EXPECT_TRUE(result.conversionNotice.isEmpty()) << result.conversionNotice.toStdString();
    BookJob plain = Job("\xCF\xF0\xE8\xE2\xE5\xF2\r\n", "out/plain.jar");
    SettingsRecord plainRecord{};
    RunBookJob(plain, plainRecord);
    EXPECT_EQ(EntryContent(dir / "out/book.jar", "text/chunk.0"), EntryContent(dir / "out/plain.jar", "text/chunk.0"));
}

TEST_F(BookJobTest, RefusesBeforeWritingWhatNoCallerMayMake)
{
    const std::string text = "own text\r\n";
    SettingsRecord record{};
    record.fill(0x5A);
    const SettingsRecord before = record;

    BookJob noPhone = Job(text);
    noPhone.profile.reset();
    EXPECT_EQ(ErrorOf([&] { RunBookJob(noPhone, record); }), "Не выбран профиль телефона.");

    BookJob blank = Job(text);
    blank.title = QStringLiteral("   ");
    EXPECT_FALSE(ErrorOf([&] { RunBookJob(blank, record); }).empty());

    // A package named as the text it is made from, directly or through another spelling.
    for (const std::string& name : {std::string("book.txt"), std::string("out/../book.txt")}) {
        BookJob over = Job(text, name);
        EXPECT_FALSE(ErrorOf([&] { RunBookJob(over, record); }).empty()) << name;
        EXPECT_EQ(dir.Read("book.txt"), text) << name;
    }
    EXPECT_EQ(record, before);
    EXPECT_TRUE(fs::is_empty(dir / "out"));
}

} // namespace lumira
