// lumira-cli and texts in other encodings: --encoding and its default from config.ini, books of
// converted text, the characters replaced told per text, broken texts refused on their own, and
// pages laid out from the converted text.
#include "cli_fixture.h"

#include "book/zip_test_util.h"
#include "cli/options.h"
#include "support/encode.h"

#include <gtest/gtest.h>

namespace lumira {

namespace fs = std::filesystem;

namespace {

// The text size the package's record gives.
std::uint32_t RecordedSize(const fs::path& jar)
{
    const std::string record = EntryContent(jar, "config");
    std::uint32_t size = 0;
    for (int i = 3; i >= 0; --i) size = size << 8 | static_cast<unsigned char>(record[static_cast<size_t>(i)]);
    return size;
}

} // namespace

TEST(CliEncoding, EncodingNamesAreCheckedWithTheOtherOptions)
{
    const auto parse = [](const QStringList& args) { return ParseOptions(QStringList{QStringLiteral("t.txt")} + args); };
    EXPECT_EQ(parse({}).encoding, std::nullopt);
    EXPECT_EQ(parse({QStringLiteral("--encoding"), QStringLiteral("KOI8-R")}).encoding, TextEncoding::Koi8r);
    EXPECT_EQ(parse({QStringLiteral("--encoding=utf-16")}).encoding, TextEncoding::Utf16);
    EXPECT_EQ(parse({QStringLiteral("--encoding=auto")}).encoding, TextEncoding::Auto);

    CliFolder f;
    f.work.Write("a.txt", "Text.\r\n");
    const CliRun unknown = f.Run({f.Arg("a.txt"), QStringLiteral("--encoding"), QStringLiteral("latin-1")});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_EQ(unknown.err, "lumira-cli: Неизвестная кодировка --encoding «latin-1»: нужна одна из auto, cp1251, utf-8, "
                           "utf-16, koi8-r, cp866.\nlumira-cli: Справка: lumira-cli --help\n");
    const CliRun missing = f.Run({f.Arg("a.txt"), QStringLiteral("--encoding")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err, "lumira-cli: Ключу --encoding нужно значение.\nlumira-cli: Справка: lumira-cli --help\n");
    EXPECT_FALSE(fs::exists(f.work / "a.jar"));
    EXPECT_TRUE(f.ScratchEmpty());
}

TEST(CliEncoding, BooksHoldTheCp1251TextAndReplacementsAreToldPerText)
{
    CliFolder f;
    std::string ascii;
    for (int i = 0; ascii.size() < 40000; ++i) ascii += "Line " + std::to_string(i) + "\r\n";
    f.work.Write("ascii.txt", ascii);
    // A two-byte letter across the source's first piece boundary.
    const QString russian = QString(32766, QLatin1Char('a')) + QStringLiteral("щука и ёрш\r\n").repeated(2000);
    f.work.Write("utf8.txt", Encode(russian, "UTF-8"));
    f.work.Write("emoji.txt", Encode(QStringLiteral("Улыбка 😀, ещё 😀 и ✓.\r\n"), "UTF-8"));
    fs::create_directory(f.work / "out");

    const CliRun run = f.Run({f.Arg("ascii.txt"), f.Arg("utf8.txt"), f.Arg("emoji.txt"), QStringLiteral("--out-dir"), f.Arg("out")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(BookTextOf(f.work / "out" / "ascii.jar"), ascii);
    const std::string cp1251 = Encode(russian, "windows-1251");
    EXPECT_EQ(BookTextOf(f.work / "out" / "utf8.jar"), cp1251);
    EXPECT_EQ(RecordedSize(f.work / "out" / "utf8.jar"), cp1251.size());
    EXPECT_EQ(EntryContent(f.work / "out" / "utf8.jar", "text/chunk.0"), cp1251.substr(0, 32767));
    EXPECT_EQ(BookTextOf(f.work / "out" / "emoji.jar"), Encode(QStringLiteral("Улыбка ?, ещё ? и ?.\r\n"), "windows-1251"));
    // Quiet but for the encoding "Авто" chose where it was not cp1251 and the text that lost characters.
    EXPECT_EQ(run.err, "lumira-cli: " + f.Arg("utf8.txt").toStdString() + ": Кодировка определена автоматически: UTF-8.\n"
                       "lumira-cli: " + f.Arg("emoji.txt").toStdString() + ": Кодировка определена автоматически: UTF-8.\n"
                       "lumira-cli: " + f.Arg("emoji.txt").toStdString() +
                           ": Символов, которых нет в кодировке Windows-1251, заменено на «?»: 3 "
                           "(первый — «😀», строка 1, позиция 8).\n");
    EXPECT_TRUE(f.ScratchEmpty());
}

TEST(CliEncoding, CapitalsStayCp1251AndAnotherGuessIsToldPerText)
{
    CliFolder f;
    const QString text = QStringLiteral("ГЛАВА ПЕРВАЯ\r\n\r\nВОЙНА И МИР. ТОМ ПЕРВЫЙ\r\n");
    f.work.Write("caps.txt", Encode(text, "windows-1251"));
    f.work.Write("koi.txt", Encode(text, "KOI8-R"));
    fs::create_directory(f.work / "out");
    const CliRun run = f.Run({f.Arg("caps.txt"), f.Arg("koi.txt"), QStringLiteral("--out-dir"), f.Arg("out")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(BookTextOf(f.work / "out" / "caps.jar"), Encode(text, "windows-1251"));
    EXPECT_EQ(BookTextOf(f.work / "out" / "koi.jar"), Encode(text, "windows-1251"));
    EXPECT_EQ(run.err, "lumira-cli: " + f.Arg("koi.txt").toStdString() + ": Кодировка определена автоматически: KOI8-R.\n");
}

TEST(CliEncoding, StoredChoiceIsTheDefaultAndTheOptionOverridesIt)
{
    CliFolder f;
    f.app.Write("config.ini", "[Global]\r\nEncoding=cp866\r\n");
    const QString text = QStringLiteral("Досье: ничего нет.\r\n");
    const std::string cp866 = Encode(text, "IBM866");
    f.work.Write("t.txt", cp866);
    ASSERT_EQ(f.Run({f.Arg("t.txt"), QStringLiteral("--out"), f.Arg("stored.jar")}).exitCode, 0);
    EXPECT_EQ(BookTextOf(f.work / "stored.jar"), Encode(text, "windows-1251"));
    ASSERT_EQ(f.Run({f.Arg("t.txt"), QStringLiteral("--encoding"), QStringLiteral("cp1251"), QStringLiteral("--out"), f.Arg("raw.jar")}).exitCode, 0);
    EXPECT_EQ(BookTextOf(f.work / "raw.jar"), cp866);
}

TEST(CliEncoding, BrokenTextFailsOnItsOwnWithItsPosition)
{
    CliFolder f;
    std::string broken = Encode(QStringLiteral("Начало "), "UTF-8");
    const size_t position = broken.size() + 1;
    broken += "\xE2\x82";  // a three-byte letter cut short at the end
    f.work.Write("broken.txt", broken);
    f.work.Write("good.txt", Encode(QStringLiteral("Хорошо\r\n"), "UTF-8"));
    const CliRun run = f.Run({f.Arg("broken.txt"), f.Arg("good.txt"), QStringLiteral("--encoding=utf-8")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "lumira-cli: " + f.Arg("broken.txt").toStdString() +
                           ": Текст не читается как UTF-8: неверная последовательность байтов в позиции " +
                           std::to_string(position) + ".\n");
    EXPECT_FALSE(fs::exists(f.work / "broken.jar"));
    EXPECT_EQ(BookTextOf(f.work / "good.jar"), Encode(QStringLiteral("Хорошо\r\n"), "windows-1251"));
    EXPECT_TRUE(f.ScratchEmpty());
}

TEST(CliEncoding, PagesAreLaidOutFromTheConvertedText)
{
    CliFolder f;
    const QString text = QStringLiteral("   Глава первая\r\n\r\nЖили-были дед да баба, и была у них курочка Ряба.\r\n").repeated(30);
    f.work.Write("cp1251.txt", Encode(text, "windows-1251"));
    f.work.Write("utf16.txt", "\xFE\xFF" + Encode(text, "UTF-16BE"));
    const CliRun expected = f.Run({f.Arg("cp1251.txt"), QStringLiteral("--dump-pages")});
    ASSERT_EQ(expected.exitCode, 0) << expected.err;
    const CliRun run = f.Run({f.Arg("utf16.txt"), QStringLiteral("--dump-pages")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, expected.out);
    EXPECT_EQ(expected.err, "");
    EXPECT_EQ(run.err, "lumira-cli: " + f.Arg("utf16.txt").toStdString() + ": Кодировка определена автоматически: UTF-16.\n");

    f.work.Write("emoji.txt", Encode(QStringLiteral("Смайлик 😀\r\n"), "UTF-8"));
    const CliRun emoji = f.Run({f.Arg("emoji.txt"), QStringLiteral("--dump-pages")});
    ASSERT_EQ(emoji.exitCode, 0) << emoji.err;
    EXPECT_NE(emoji.out.find("Смайлик ?"), std::string::npos) << emoji.out;
    EXPECT_NE(emoji.err.find(": 1 (первый — «😀», строка 1, позиция 9)."), std::string::npos) << emoji.err;
}

} // namespace lumira
