// Texts in other encodings: detection by the beginning, streamed conversion to cp1251, and what
// happens to characters cp1251 lacks and to broken input.
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/text_encoding.h"
#include "platform/utf8.h"
#include "support/encode.h"
#include "support/temp_dir.h"

#include <QStringDecoder>
#include <algorithm>
#include <cctype>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <random>

namespace lumira {

namespace {

const QString kRussian = QStringLiteral(
    "Мороз и солнце; день чудесный! Еще ты дремлешь, друг прелестный - пора, красавица, проснись: "
    "открой сомкнуты негой взоры навстречу северной Авроры, звездою севера явись!\r\n");

// Random bytes shaped like UTF-8 and like every way UTF-8 goes wrong: valid characters of each
// length, overlong forms, encoded surrogates, code points above U+10FFFF, lead bytes that cannot
// start anything, sequences cut short and stray continuation bytes.
std::string RandomUtf8Like(std::mt19937& random)
{
    auto pick = [&](std::uint32_t low, std::uint32_t high) {
        return std::uniform_int_distribution<std::uint32_t>(low, high)(random);
    };
    // `cp` in `length` bytes, whether or not that is its shortest form.
    auto encode = [](std::uint32_t cp, int length) {
        static const unsigned char kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
        std::string out(static_cast<size_t>(length), '\0');
        for (int i = length - 1; i > 0; --i, cp >>= 6) out[static_cast<size_t>(i)] = static_cast<char>(0x80 | (cp & 0x3F));
        out[0] = static_cast<char>(kLead[length] | cp);
        return out;
    };
    auto lengthOf = [](std::uint32_t cp) { return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4; };
    std::string text;
    for (std::uint32_t pieces = pick(0, 12); pieces > 0; --pieces) {
        switch (pick(0, 9)) {
        case 0: text += static_cast<char>(pick(0x20, 0x7E)); break;
        case 1: { const auto cp = pick(0x400, 0x4FF); text += encode(cp, 2); break; }  // Cyrillic
        case 2: { auto cp = pick(0x80, 0x10FFFF); if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xE000; text += encode(cp, lengthOf(cp)); break; }
        case 3: { const auto cp = pick(0, 0xFFFF); const int length = lengthOf(cp); if (length < 4) text += encode(cp, static_cast<int>(pick(static_cast<std::uint32_t>(length) + 1, 4))); break; }  // overlong
        case 4: text += encode(pick(0xD800, 0xDFFF), 3); break;  // a surrogate
        case 5: text += encode(pick(0x110000, 0x1FFFFF), 4); break;  // beyond Unicode
        case 6: text += static_cast<char>(pick(0xF5, 0xFF)); break;
        case 7: { const auto cp = pick(0x800, 0x10FFFF); std::string whole = encode(cp, lengthOf(cp)); text += whole.substr(0, pick(1, static_cast<std::uint32_t>(whole.size()) - 1)); break; }
        case 8: text += static_cast<char>(pick(0x80, 0xBF)); break;
        default: text += static_cast<char>(pick(0, 0xFF)); break;
        }
    }
    return text;
}

// What Qt's own strict decoder makes of `bytes`: the text, or nothing when it finds them broken.
std::optional<QString> QtDecoded(std::string_view bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError()) return std::nullopt;
    return text;
}

} // namespace

// Our decoders (the converting one and the detecting one) agree with Qt's on what is valid UTF-8,
// on what a valid text says, and on where a broken one first goes wrong.
TEST(EncodingConversion, Utf8AgreesWithQtsDecoderOnRandomInput)
{
    std::mt19937 random(19);
    int broken = 0;
    for (int round = 0; round < 20000; ++round) {
        const std::string bytes = RandomUtf8Like(random);
        SCOPED_TRACE(testing::PrintToString(bytes));
        const std::optional<QString> expected = QtDecoded(bytes);
        const bool nonAscii = std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        if (expected) {
            // Qt's reading of the text, through our UTF-16 path, gives the same book.
            ASSERT_EQ(ConvertBytesToCp1251(bytes, TextEncoding::Utf8),
                      ConvertBytesToCp1251("\xFF\xFE" + Encode(*expected, "UTF-16LE"), TextEncoding::Utf16));
            if (nonAscii) {
                ASSERT_EQ(DetectEncoding(bytes), TextEncoding::Utf8);
            }
            continue;
        }
        ++broken;
        ASSERT_NE(DetectEncoding(bytes), TextEncoding::Utf8);
        try {
            ConvertBytesToCp1251(bytes, TextEncoding::Utf8);
            FAIL() << "accepted what Qt finds broken";
        } catch (const InvalidTextError& e) {
            // The position named (1-based) is the first byte of the first broken sequence:
            // everything before it is valid, and the sequence starting there is not.
            const std::string message = e.what();
            const size_t digits = message.find_last_of("0123456789");
            ASSERT_NE(digits, std::string::npos) << message;
            size_t first = digits;
            while (first > 0 && std::isdigit(static_cast<unsigned char>(message[first - 1]))) --first;
            const size_t position = std::stoul(message.substr(first, digits + 1 - first));
            ASSERT_GE(position, 1u);
            ASSERT_LE(position, bytes.size());
            EXPECT_TRUE(QtDecoded(std::string_view(bytes).substr(0, position - 1))) << message;
        }
    }
    // The generator must exercise both sides.
    EXPECT_GT(broken, 2000);
    EXPECT_LT(broken, 18000);
}

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

// Without a byte-order mark UTF-16 is told by its zero bytes, in either order, whether "Авто" or
// UTF-16 itself is chosen; a text that merely holds a zero byte is not taken for it.
TEST(EncodingDetection, Utf16WithoutAMarkIsToldByItsZeroBytes)
{
    const QString texts[] = {kRussian.repeated(400), QStringLiteral("Да, это я."), QStringLiteral("Plain English, 1984.\r\n"),
                             QStringLiteral("The quick brown fox — «Слово» № 5… ").repeated(30), QStringLiteral("A")};
    for (const QString& text : texts) {
        const std::string cp1251 = Encode(text, "windows-1251");
        for (const char* order : {"UTF-16LE", "UTF-16BE"}) {
            const std::string bytes = Encode(text, order);
            const std::string head = bytes.substr(0, kDetectionLimit);
            EXPECT_EQ(DetectEncoding(head, head.size() < bytes.size()), TextEncoding::Utf16) << order << " " << text.left(20).toStdString();
            EXPECT_EQ(ConvertBytesToCp1251(bytes, TextEncoding::Auto), cp1251) << order;
            EXPECT_EQ(ConvertBytesToCp1251(bytes, TextEncoding::Utf16), cp1251) << order;
        }
    }
    for (const std::string& notUtf16 : {std::string("Hello world", 12), std::string(8, '\0'), Encode(kRussian, "windows-1251") + '\0',
                                        std::string("\0ab\0cd", 7)})
        EXPECT_NE(DetectEncoding(notUtf16), TextEncoding::Utf16) << notUtf16;
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
        {"utf16le-nomark", Encode(kRussian.repeated(50), "UTF-16LE")},
        {"utf16be-nomark", Encode(kRussian.repeated(50), "UTF-16BE")},
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

TEST(EncodingConversion, CharactersWithoutACp1251FormBecomeQuestionMarksAndAreCounted)
{
    TempDir dir;
    // ñ has a form (n); the others have none.
    dir.Write("t", Encode(QStringLiteral("Мир\r\nНаш 漢字 и ñ\r\n😀"), "UTF-8"));
    const auto report = ConvertFileToCp1251(dir / "t", TextEncoding::Utf8, dir / "t.out");
    EXPECT_EQ(dir.Read("t.out"), Encode(QStringLiteral("Мир\r\nНаш ?? и n\r\n?"), "windows-1251"));
    EXPECT_EQ(report.replaced, 3u);
    EXPECT_EQ(report.firstReplaced, U'漢');
    EXPECT_EQ(report.firstLine, 2u);
    EXPECT_EQ(report.firstColumn, 5u);
    EXPECT_TRUE(report.Summary().contains(QStringLiteral("3")));
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

} // namespace lumira

namespace lumira {

TEST(EncodingConversion, ClosestFormsAreTheSameFromEveryEncodingAndOnlyRealQuestionMarksCount)
{
    // Random texts of what cp1251 has and what it lacks: accented Latin, combining marks after
    // letters, Latin beyond Latin-1, typographic punctuation and spaces, ligatures, full-width
    // forms, CJK, Hebrew and emoji. UTF-8 and UTF-16 go through different decoders and must give
    // the same bytes; every "?" in the book is one counted, and no character takes more room than
    // the converters give it.
    const std::vector<std::pair<char32_t, char32_t>> ranges = {
        {0x0430, 0x044F}, {0x00C0, 0x00FF}, {0x0300, 0x036F}, {0x0100, 0x024F}, {0x2000, 0x206F},
        {0xFB00, 0xFB06}, {0xFF01, 0xFF5E}, {0x4E00, 0x4E40}, {0x05D0, 0x05EA}, {0x1F600, 0x1F640}, {0x20, 0x3E}};
    std::mt19937 random(28);
    for (int round = 0; round < 200; ++round) {
        std::u32string text;
        for (int i = 0; i < 300; ++i) {
            const auto& [low, high] = ranges[random() % ranges.size()];
            const char32_t c = static_cast<char32_t>(low + random() % (high - low + 1));
            // Question marks of other shapes are question marks in the book, not replacements.
            if (c == 0xFF1F || (c >= 0x2047 && c <= 0x2049)) continue;
            text += c;
        }
        const QString unicode = QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
        ConversionReport fromUtf8, fromUtf16;
        const std::string a = ConvertBytesToCp1251(Encode(unicode, "UTF-8"), TextEncoding::Utf8, false, &fromUtf8);
        const std::string b = ConvertBytesToCp1251("\xFF\xFE" + Encode(unicode, "UTF-16LE"), TextEncoding::Utf16, false, &fromUtf16);
        ASSERT_EQ(a, b) << "round " << round;
        EXPECT_EQ(fromUtf8.replaced, fromUtf16.replaced);
        EXPECT_EQ(static_cast<std::uint64_t>(std::count(a.begin(), a.end(), '?')), fromUtf8.replaced) << "round " << round;
        EXPECT_EQ(fromUtf8.bytesWritten, a.size());
    }
    // The forms themselves, a few that matter most.
    const auto cp = [](const QString& s) { return ConvertBytesToCp1251(Encode(s, "UTF-8"), TextEncoding::Utf8); };
    EXPECT_EQ(cp(QStringLiteral("Настоя\u0301щая ра\u0301боты")), Encode(QStringLiteral("Настоящая работы"), "windows-1251"));
    EXPECT_EQ(cp(QStringLiteral("и\u0306 И\u0306 е\u0308 Е\u0308")), Encode(QStringLiteral("й Й ё Ё"), "windows-1251"));
    EXPECT_EQ(cp(QStringLiteral("R\u00E9gime \u00C7a \u0141\u00F3d\u017A")), "Regime Ca Lodz");
    EXPECT_EQ(cp(QStringLiteral("\u2010\u2011\u2012\u2212\u2032\u00A0\u2009\u200A")), std::string("----'\xA0  ", 8));
    EXPECT_EQ(cp(QStringLiteral("\u05E9\u05DC\u05D5\u05DD \u65E5")), "???? ?");
}

} // namespace lumira

namespace lumira {

TEST(EncodingConversion, CombiningMarksJoinTheirLetterHoweverTheTextIsCutIntoReads)
{
    // Letters that join with a mark into one cp1251 letter (и + ̆ → й, е + ̈ → ё), others whose
    // marks are dropped, stress marks, and marks after blanks and line breaks. The file is read
    // 64 KiB at a time; a lead of random length puts that cut at every kind of place in the
    // marked stretch, and the book must equal the one read in a single piece.
    const std::u32string letters = U"иИеЕуaeoAE \r\n";
    const std::u32string marks = U"\u0306\u0308\u0301\u0300\u0327";
    std::mt19937 random(2801);
    TempDir dir;
    const size_t read = 64 * 1024;
    for (int round = 0; round < 24; ++round) {
        std::u32string marked;
        while (marked.size() < 400) {
            marked += letters[random() % letters.size()];
            for (unsigned k = random() % 3; k > 0; --k) marked += marks[random() % marks.size()];
        }
        const QString tail = QString::fromUcs4(marked.data(), static_cast<qsizetype>(marked.size()));
        const bool utf16 = round % 3 == 2;
        const std::string body = utf16 ? Encode(tail, "UTF-16LE") : Encode(tail, "UTF-8");
        // The read's end falls a random way into the marked stretch (an even way in UTF-16).
        size_t lead = read - random() % 600;
        if (utf16) lead &= ~size_t(1);
        const std::string bytes =
            (utf16 ? Encode(QString(static_cast<qsizetype>(lead / 2), QLatin1Char('x')), "UTF-16LE") : std::string(lead, 'x')) + body;
        const TextEncoding encoding = utf16 ? TextEncoding::Utf16 : TextEncoding::Utf8;
        dir.Write("t", bytes);
        const ConversionReport report = ConvertFileToCp1251(dir / "t", encoding, dir / "t.out");
        const std::string whole = ConvertBytesToCp1251(bytes, encoding);
        ASSERT_EQ(dir.Read("t.out"), whole) << "round " << round << ", lead " << lead;
        EXPECT_EQ(report.bytesWritten, whole.size());
    }
    // The plainest case: a letter ends one read, its breve begins the next.
    const std::string split = std::string(read - 2, 'x') + "и\u0306";
    dir.Write("s", split);
    ConvertFileToCp1251(dir / "s", TextEncoding::Utf8, dir / "s.out");
    EXPECT_EQ(dir.Read("s.out"), std::string(read - 2, 'x') + "\xE9");
}

// Every code point is written as Qt writes it, read back whole, and taken for cut short when its
// last byte is missing.
TEST(Utf8Codec, EveryCodePointRoundTrips)
{
    for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        std::string bytes;
        AppendUtf8(bytes, cp);
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
        const Utf8Char read = ReadUtf8(p, p + bytes.size());
        ASSERT_EQ(read.code, cp);
        ASSERT_EQ(read.length, static_cast<int>(bytes.size()));
        if (bytes.size() > 1) {
            ASSERT_EQ(ReadUtf8(p, p + bytes.size() - 1).length, kUtf8Cut);
        }
        if (cp % 61 == 0) {
            ASSERT_EQ(bytes, QString::fromUcs4(&cp, 1).toUtf8().toStdString());
        }
    }
}

// Wherever a read boundary falls, a text streamed from a file converts exactly as the same bytes
// in memory: the same cp1251, or the same refusal naming the same byte.
TEST(EncodingConversion, FilesCutAtAnyReadBoundaryConvertAsBytesInMemory)
{
    TempDir dir;
    std::mt19937 random(23);
    auto outcome = [](const std::function<std::string()>& convert) {
        try {
            return convert();
        } catch (const InvalidTextError& e) {
            return std::string("refused: ") + e.what();
        }
    };
    int refused = 0;
    for (int round = 0; round < 300; ++round) {
        const size_t lead = 64 * 1024 - std::uniform_int_distribution<size_t>(0, 4)(random);
        const std::string bytes = std::string(lead, 'a') + RandomUtf8Like(random);
        SCOPED_TRACE(testing::PrintToString(bytes.substr(lead - 4)));
        dir.Write("t", bytes);
        const std::string inMemory = outcome([&] { return ConvertBytesToCp1251(bytes, TextEncoding::Utf8); });
        const std::string fromFile = outcome([&] {
            ConvertFileToCp1251(dir / "t", TextEncoding::Utf8, dir / "t.out");
            return dir.Read("t.out");
        });
        ASSERT_EQ(fromFile, inMemory);
        refused += inMemory.starts_with("refused");
    }
    EXPECT_GT(refused, 30);
}

} // namespace lumira
