// Texts in other encodings: detection by the beginning, streamed conversion to cp1251, and what
// happens to characters cp1251 lacks and to broken input.
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/text_encoding.h"
#include "support/temp_dir.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {

const QString kRussian = QStringLiteral(
    "Мороз и солнце; день чудесный! Еще ты дремлешь, друг прелестный - пора, красавица, проснись: "
    "открой сомкнуты негой взоры навстречу северной Авроры, звездою севера явись!\r\n");

std::string Encode(const QString& text, const char* name)
{
    QStringEncoder encoder(name);
    const QByteArray bytes = encoder.encode(text);
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

} // namespace

TEST(EncodingDetection, RecognisesEachEncodingLongAndShort)
{
    for (const QString& text : {kRussian.repeated(20), QStringLiteral("Привет"), QStringLiteral("Да, это я.")}) {
        EXPECT_EQ(DetectEncoding(Encode(text, "windows-1251")), TextEncoding::Cp1251) << text.toStdString();
        EXPECT_EQ(DetectEncoding(Encode(text, "KOI8-R")), TextEncoding::Koi8r) << text.toStdString();
        EXPECT_EQ(DetectEncoding(Encode(text, "IBM866")), TextEncoding::Cp866) << text.toStdString();
        EXPECT_EQ(DetectEncoding(Encode(text, "UTF-8")), TextEncoding::Utf8) << text.toStdString();
        EXPECT_EQ(DetectEncoding("\xEF\xBB\xBF" + Encode(text, "UTF-8")), TextEncoding::Utf8);
        EXPECT_EQ(DetectEncoding("\xFF\xFE" + Encode(text, "UTF-16LE")), TextEncoding::Utf16);
        EXPECT_EQ(DetectEncoding("\xFE\xFF" + Encode(text, "UTF-16BE")), TextEncoding::Utf16);
    }
    // Mostly Latin with a few Russian words.
    const QString mixed = QStringLiteral("The quick brown fox jumps over the lazy dog. Слово. ").repeated(10);
    EXPECT_EQ(DetectEncoding(Encode(mixed, "windows-1251")), TextEncoding::Cp1251);
    EXPECT_EQ(DetectEncoding(Encode(mixed, "KOI8-R")), TextEncoding::Koi8r);
    EXPECT_EQ(DetectEncoding(Encode(mixed, "IBM866")), TextEncoding::Cp866);
    EXPECT_EQ(DetectEncoding("plain ASCII text\r\n"), TextEncoding::Cp1251);
    EXPECT_EQ(DetectEncoding(""), TextEncoding::Cp1251);
}

TEST(EncodingDetection, CapitalsCountAsSmallLettersAndWeakEvidenceKeepsCp1251)
{
    // Headings and whole texts in capitals, each encoding read as itself.
    const QString capitals = kRussian.toUpper().repeated(60);  // about 18 KB
    for (const QString& text : {QStringLiteral("ГЛАВА ПЕРВАЯ"), QStringLiteral("ВОЙНА И МИР. ТОМ ПЕРВЫЙ"),
                                QStringLiteral("ГЛАВА 1\r\n"), capitals}) {
        SCOPED_TRACE(text.left(30).toStdString());
        EXPECT_EQ(DetectEncoding(Encode(text, "windows-1251")), TextEncoding::Cp1251);
        EXPECT_EQ(DetectEncoding(Encode(text, "KOI8-R")), TextEncoding::Koi8r);
        EXPECT_EQ(DetectEncoding(Encode(text, "IBM866")), TextEncoding::Cp866);
    }
    // A few Russian words among Latin text, in capitals too.
    for (const QString& text : {QStringLiteral("See the word Москва here, and Правда in English.\n"),
                                QStringLiteral("CHAPTER ONE: ГЛАВА ПЕРВАЯ, THE END\n")}) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(DetectEncoding(Encode(text, "windows-1251")), TextEncoding::Cp1251);
        EXPECT_EQ(DetectEncoding(Encode(text, "KOI8-R")), TextEncoding::Koi8r);
        EXPECT_EQ(DetectEncoding(Encode(text, "IBM866")), TextEncoding::Cp866);
    }
    // One, two and three bytes tell too little: cp1251 whatever they are, unless UTF-8 or marked.
    for (const QString& text : {QStringLiteral("П"), QStringLiteral("Да"), QStringLiteral("Ура"), QStringLiteral("Щи")}) {
        SCOPED_TRACE(text.toStdString());
        for (const char* encoding : {"windows-1251", "KOI8-R", "IBM866"})
            EXPECT_EQ(DetectEncoding(Encode(text, encoding)), TextEncoding::Cp1251) << encoding;
        EXPECT_EQ(DetectEncoding(Encode(text, "UTF-8")), TextEncoding::Utf8);
        EXPECT_EQ(DetectEncoding("\xFF\xFE" + Encode(text, "UTF-16LE")), TextEncoding::Utf16);
    }
    // The whole text in capitals converts back to itself, not to another alphabet's nonsense.
    EXPECT_EQ(ConvertBytesToCp1251(Encode(capitals, "windows-1251"), TextEncoding::Auto),
              Encode(capitals, "windows-1251"));
}

TEST(EncodingDetection, Cp1251BytesThatLookLikeUtf8AreNotTakenForIt)
{
    // "Г©" is C3 A9 in cp1251, which alone is valid UTF-8 ("é"); the rest of the text is not.
    const std::string text = Encode(QStringLiteral("Г© — знак авторского права, Гёте"), "windows-1251");
    ASSERT_NE(text.find("\xC3\xA9"), std::string::npos);
    EXPECT_EQ(DetectEncoding(text), TextEncoding::Cp1251);
    // A UTF-8 sequence cut off by the detection limit does not count against UTF-8.
    const std::string utf8 = Encode(QStringLiteral("ж"), "UTF-8");
    EXPECT_EQ(DetectEncoding(utf8.substr(0, 1), true), TextEncoding::Cp1251);  // nothing complete seen
    EXPECT_EQ(DetectEncoding("abc" + utf8 + utf8.substr(0, 1), true), TextEncoding::Utf8);
    EXPECT_NE(DetectEncoding("abc" + utf8 + utf8.substr(0, 1), false), TextEncoding::Utf8);
}

TEST(EncodingConversion, FilesStreamToCp1251AndCp1251PassesUnchanged)
{
    TempDir dir;
    const std::string cp1251 = Encode(kRussian.repeated(50), "windows-1251");
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"koi8", Encode(kRussian.repeated(50), "KOI8-R")},
        {"866", Encode(kRussian.repeated(50), "IBM866")},
        {"utf8", Encode(kRussian.repeated(50), "UTF-8")},
        {"utf8bom", "\xEF\xBB\xBF" + Encode(kRussian.repeated(50), "UTF-8")},
        {"utf16le", "\xFF\xFE" + Encode(kRussian.repeated(50), "UTF-16LE")},
        {"utf16be", "\xFE\xFF" + Encode(kRussian.repeated(50), "UTF-16BE")},
        {"cp1251", cp1251},
    };
    for (const auto& c : cases) {
        dir.Write(c.name, c.bytes);
        const auto report = ConvertFileToCp1251(dir / c.name, TextEncoding::Auto, dir / (std::string(c.name) + ".out"));
        EXPECT_EQ(dir.Read(std::string(c.name) + ".out"), cp1251) << c.name;
        EXPECT_EQ(report.replaced, 0u) << c.name;
        EXPECT_EQ(report.bytesWritten, cp1251.size()) << c.name;
    }
    const std::string ascii = "Only ASCII here.\r\nSecond line\n";
    dir.Write("ascii", ascii);
    EXPECT_EQ(ConvertFileToCp1251(dir / "ascii", TextEncoding::Auto, dir / "ascii.out").encoding, TextEncoding::Cp1251);
    EXPECT_EQ(dir.Read("ascii.out"), ascii);
}

TEST(EncodingConversion, MultiByteCharactersAcrossReadBoundariesSurvive)
{
    TempDir dir;
    // A two-byte letter split by the 64 KiB read and by the 32767-byte piece boundaries.
    for (size_t lead : {size_t(65535), size_t(32766), size_t(65534)}) {
        const std::string text = std::string(lead, 'a') + Encode(QStringLiteral("жёлудь ") .repeated(9000), "UTF-8");
        dir.Write("t", text);
        ConvertFileToCp1251(dir / "t", TextEncoding::Utf8, dir / "t.out");
        EXPECT_EQ(dir.Read("t.out"), std::string(lead, 'a') + Encode(QStringLiteral("жёлудь ").repeated(9000), "windows-1251"));
    }
    // The same in UTF-16, a code unit split at an odd offset.
    const std::string utf16 = "\xFF\xFE" + Encode(QStringLiteral("я").repeated(40000), "UTF-16LE");
    dir.Write("u", utf16);
    ConvertFileToCp1251(dir / "u", TextEncoding::Utf16, dir / "u.out");
    EXPECT_EQ(dir.Read("u.out"), std::string(40000, '\xFF'));
}

TEST(EncodingConversion, CharactersOutsideCp1251BecomeQuestionMarksAndAreCounted)
{
    TempDir dir;
    dir.Write("t", Encode(QStringLiteral("Мир\r\nНаш 漢字 и ñ\r\n😀"), "UTF-8"));
    const auto report = ConvertFileToCp1251(dir / "t", TextEncoding::Utf8, dir / "t.out");
    EXPECT_EQ(dir.Read("t.out"), Encode(QStringLiteral("Мир\r\nНаш ?? и ?\r\n?"), "windows-1251"));
    EXPECT_EQ(report.replaced, 4u);
    EXPECT_EQ(report.firstReplaced, U'漢');
    EXPECT_EQ(report.firstLine, 2u);
    EXPECT_EQ(report.firstColumn, 5u);
    EXPECT_TRUE(report.Summary().contains(QStringLiteral("4")));
    EXPECT_TRUE(report.Summary().contains(QStringLiteral("漢")));

    // Lines are counted across the 64 KiB reads, a CR LF split by them counting once.
    for (const char* name : {"UTF-8", "UTF-16LE"}) {
        const bool utf8 = name == std::string("UTF-8");
        const QString text = QString(65535, QLatin1Char('a')) + QStringLiteral("\r\n\nb\rx漢\n");
        dir.Write("far", std::string(utf8 ? "" : "\xFF\xFE") + Encode(text, name));
        const auto far = ConvertFileToCp1251(dir / "far", utf8 ? TextEncoding::Utf8 : TextEncoding::Utf16, dir / "far.out");
        EXPECT_EQ(far.replaced, 1u) << name;
        EXPECT_EQ(far.firstLine, 4u) << name;
        EXPECT_EQ(far.firstColumn, 2u) << name;
    }
}

TEST(EncodingConversion, BrokenUtf8IsRefusedWithItsPositionUnlessAutoFallsBack)
{
    TempDir dir;
    std::string text = Encode(QStringLiteral("Всё хорошо "), "UTF-8");
    const size_t bad = text.size() + 1;
    text += "\xD0";  // a lead byte without its continuation
    text += "x";
    dir.Write("t", text);
    try {
        ConvertFileToCp1251(dir / "t", TextEncoding::Utf8, dir / "t.out");
        FAIL() << "broken UTF-8 accepted";
    } catch (const AppError& e) {
        EXPECT_NE(std::string(e.what()).find(std::to_string(bad)), std::string::npos) << e.what();
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "t.out"));

    // Valid UTF-8 for the first 64 KiB, broken after it: "Авто" reads it as single-byte text.
    std::string late = Encode(QStringLiteral("слово ").repeated(7000), "UTF-8");
    ASSERT_GT(late.size(), kDetectionLimit);
    late += "\xFF";
    dir.Write("late", late);
    const auto report = ConvertFileToCp1251(dir / "late", TextEncoding::Auto, dir / "late.out");
    EXPECT_NE(report.encoding, TextEncoding::Utf8);
    EXPECT_EQ(dir.Read("late.out").size(), late.size());
    // A text in memory falls back alike, to the same bytes.
    EXPECT_EQ(ConvertBytesToCp1251(late, TextEncoding::Auto), dir.Read("late.out"));
    EXPECT_THROW(ConvertBytesToCp1251(late, TextEncoding::Utf8), AppError);
}

TEST(EncodingConversion, BeginningsCutInsideACharacterAreAccepted)
{
    const std::string utf8 = Encode(QStringLiteral("Юла"), "UTF-8");
    EXPECT_EQ(ConvertBytesToCp1251(utf8.substr(0, 5), TextEncoding::Utf8, true), "\xDE\xEB");
    EXPECT_THROW(ConvertBytesToCp1251(utf8.substr(0, 5), TextEncoding::Utf8, false), AppError);
    EXPECT_EQ(ConvertBytesToCp1251(Encode(QStringLiteral("Юла и лыжи"), "KOI8-R"), TextEncoding::Auto),
              Encode(QStringLiteral("Юла и лыжи"), "windows-1251"));
}

TEST(EncodingNames, KeysRoundTrip)
{
    for (TextEncoding e : AllEncodings()) EXPECT_EQ(EncodingFromKey(EncodingKey(e)), e);
    EXPECT_EQ(EncodingFromKey("UTF8"), TextEncoding::Utf8);
    EXPECT_EQ(EncodingFromKey("latin1"), std::nullopt);
    EXPECT_EQ(EncodingDisplayName(TextEncoding::Auto), QStringLiteral("Авто"));
}
