// A book is laid out straight into cp1251: the text and the report of the characters cp1251
// lacks must be exactly what converting the book's UTF-8 layout as a text would give.
#include "formats/book_format.h"
#include "formats/book_source.h"
#include "formats/cp1251_sink.h"
#include "formats/text_layout.h"
#include "sample_books.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace lumira {

namespace fs = std::filesystem;

namespace {

// Lines mixing what cp1251 has (Cyrillic, «», dashes, the euro, U+0098) with what it lacks: a
// CJK character, an emoji (four bytes), a Latin ligature, a check mark, the replacement mark.
const char* const kMixed =
    "Ёлка — «ёж» € … ‘и’\r\n"
    "   中文 и 😀 ǅ\r\n"
    "\r\n"
    "\xC2\x98 ✓✓ \xEF\xBF\xBD конец\r\n";

void ExpectSameReport(const ConversionReport& got, const ConversionReport& want)
{
    EXPECT_EQ(got.replaced, want.replaced);
    EXPECT_EQ(got.firstReplaced, want.firstReplaced);
    EXPECT_EQ(got.firstLine, want.firstLine);
    EXPECT_EQ(got.firstColumn, want.firstColumn);
    EXPECT_EQ(got.bytesWritten, want.bytesWritten);
    EXPECT_EQ(got.encoding, want.encoding);
}

// What the text path makes of a UTF-8 text.
std::string AsText(const std::string& utf8, ConversionReport& report)
{
    return ConvertBytesToCp1251(utf8, TextEncoding::Utf8, false, &report);
}

} // namespace

TEST(Cp1251Text, PiecesOfAnySizeGiveWhatTheTextPathGives)
{
    std::string text;
    for (int i = 0; i < 3; ++i) text += kMixed;
    ConversionReport want;
    const std::string expected = AsText(text, want);
    ASSERT_GT(want.replaced, 0u);
    for (size_t piece : {size_t(1), size_t(2), size_t(3), size_t(5), size_t(7), text.size()}) {
        SCOPED_TRACE(piece);
        StringSink out;
        Cp1251TextSink sink(out);
        for (size_t at = 0; at < text.size(); at += piece) sink.Write(std::string_view(text).substr(at, piece));
        ExpectSameReport(sink.Finish(), want);
        EXPECT_EQ(out.text, expected);
    }
    // The first replacement far into a long text: its line and column still count.
    const std::string late = std::string(5000, 'a') + "\r\n" + std::string(70000, 'b') + "\r\nЖ😀\r\n";
    AsText(late, want);
    StringSink out;
    Cp1251TextSink sink(out);
    for (size_t at = 0; at < late.size(); at += 4096) sink.Write(std::string_view(late).substr(at, 4096));
    ExpectSameReport(sink.Finish(), want);
    EXPECT_EQ(want.firstLine, 3u);
    EXPECT_EQ(want.firstColumn, 2u);
}

TEST(Cp1251Text, CombiningMarksJoinTheirLetterWhereverTheTextIsCut)
{
    // A book's text reaches the sink in pieces of any size (text nodes, the parser's reads): a
    // mark at a piece's start joins with the letter that ended the piece before, as in one piece.
    const char* const parts[] = {"и", "И", "е", "a", "e", " ", "\r\n", "\u0306", "\u0308", "\u0301", "\u0327", "ж"};
    std::mt19937 random(2802);
    for (int round = 0; round < 200; ++round) {
        std::string text;
        for (int i = 0; i < 60; ++i) text += parts[random() % std::size(parts)];
        ConversionReport want;
        const std::string expected = AsText(text, want);
        StringSink out;
        Cp1251TextSink sink(out);
        for (size_t at = 0; at < text.size();) {
            const size_t piece = 1 + random() % 7;
            sink.Write(std::string_view(text).substr(at, piece));
            at += piece;
        }
        ExpectSameReport(sink.Finish(), want);
        ASSERT_EQ(out.text, expected) << "round " << round;
    }
}

TEST(Cp1251Text, EveryKindOfBookGivesWhatItsUtf8LayoutGivesAsAText)
{
    TempDir dir;
    // Characters cp1251 lacks in the title, the text and a note.
    std::string fb2 = SampleFb2();
    fb2.insert(fb2.find("<p>Глава 1.1") + 3, "ǅ ");
    fb2.insert(fb2.find("<p>Ветер") + 3, "中文 😀 ");
    fb2.insert(fb2.find("Море") + 4, " ✓");
    dir.Write("odd.fb2", fb2);
    dir.Write("plain.fb2", SampleFb2Cp1251());
    WriteFb2Zip(dir / "book.fb2.zip");
    WriteSampleEpub(dir / "book.epub");
    dir.Write("page.html", "<html><head><meta charset=\"utf-8\"><title>Т</title></head><body><h1>Повесть ✓</h1>"
                           "<p>Первый &laquo;абзац&raquo; &#x4e2d;<p>Второй<br>абзац<pre>a\n b  c\n</pre>"
                           "<div epub:type=\"footnote\"><h2>1</h2><p>сноска ✓</p></div></body></html>");
    for (const char* name : {"odd.fb2", "plain.fb2", "book.fb2.zip", "book.epub", "page.html"}) {
        SCOPED_TRACE(name);
        StringSink utf8;
        ConvertBook(dir / name, *RecogniseBook(dir / name), utf8);
        ConversionReport want;
        const std::string expected = AsText(utf8.text, want);
        const BookTextFile book(dir / name, TextEncoding::Auto, dir.Path());
        EXPECT_EQ(dir.Read(book.File().Path().filename().string()), expected);
        ExpectSameReport(book.Report(), want);
    }
}

// Random texts of every kind of character, line end and broken sequence, cut anywhere, give what
// they give whole; a valid one gives what the text path gives, its first "?" at the same line
// and column whichever way its lines end.
TEST(Cp1251Text, RandomTextsCutAnywhereGiveWhatTheyGiveWhole)
{
    const char* const kParts[] = {"a", "я", " ", "\r", "\n", "\r\n", "€", "中", "😀", "\xCC\x86",
                                  "\xE0\x80", "\xFF", "\x80", "\xED\xA0\x80", "\xF0\x9F", "\xC0\xAF"};
    constexpr size_t kValidParts = 10;
    std::mt19937 random(31);
    auto run = [](std::string_view text, const std::vector<size_t>& cuts, std::string& out) {
        StringSink sink;
        Cp1251TextSink cp1251(sink);
        size_t at = 0;
        for (size_t cut : cuts) {
            cp1251.Write(text.substr(at, cut - at));
            at = cut;
        }
        cp1251.Write(text.substr(at));
        const ConversionReport report = cp1251.Finish();
        out = sink.text;
        return report;
    };
    for (int round = 0; round < 3000; ++round) {
        const bool valid = round % 2 == 0;
        std::string text;
        for (int n = std::uniform_int_distribution<int>(1, 24)(random); n > 0; --n)
            text += kParts[std::uniform_int_distribution<size_t>(0, valid ? kValidParts - 1 : std::size(kParts) - 1)(random)];
        std::vector<size_t> cuts;
        for (int n = std::uniform_int_distribution<int>(0, 5)(random); n > 0; --n)
            cuts.push_back(std::uniform_int_distribution<size_t>(0, text.size())(random));
        std::sort(cuts.begin(), cuts.end());
        SCOPED_TRACE(testing::PrintToString(text) + " cut at " + testing::PrintToString(cuts));
        std::string whole;
        std::string pieces;
        const ConversionReport want = run(text, {}, whole);
        ExpectSameReport(run(text, cuts, pieces), want);
        ASSERT_EQ(pieces, whole);
        if (!valid) continue;
        ConversionReport asText;
        ASSERT_EQ(AsText(text, asText), whole);
        ExpectSameReport(asText, want);
    }
}

} // namespace lumira
