// HTML read as a stream: the text does not depend on how the bytes arrive, a conversion stops
// between chunks once its text is no longer wanted, and UTF-16 in either byte order is read.
#include "formats/book_format.h"
#include "formats/html_reader.h"
#include "formats/text_layout.h"
#include "converted_text.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace lumira {

namespace {

// A page of `html` whose every read gives at most `piece` bytes.
HtmlPage PageInPieces(const std::string& html, size_t piece)
{
    HtmlPage page;
    page.open = [&html, piece] {
        return DocumentBytes([&html, piece, at = size_t(0)](char* buffer, size_t count) mutable {
            const size_t n = std::min({count, piece, html.size() - at});
            std::memcpy(buffer, html.data() + at, n);
            at += n;
            return n;
        });
    };
    page.size = html.size();
    page.head = DocumentHead(page.open);
    page.encoding = "UTF-8";
    page.shownAs = "page";
    page.path = "text/page.xhtml";
    return page;
}

struct Laid {
    std::string title;
    std::string language;
    std::string main;
    std::string notes;
    bool operator==(const Laid&) const = default;
};

Laid LayOut(const std::string& html, size_t piece)
{
    HtmlPage page = PageInPieces(html, piece);
    NoteLinks links;
    CollectNoteLinks(page, links);
    page.links = &links;
    HtmlLayout laid = LayoutHtml(page);
    return {laid.head.title, laid.head.language, laid.main.lines, laid.notes.lines};
}

// A chapter with all the walk waits for: notes and references, headings in the notes, a title in
// the head, an internal subset whose entities are cut between pieces, text after the root's end.
std::string Chapter()
{
    std::string html =
        "\xEF\xBB\xBF<!DOCTYPE html [ <!ENTITY author \"Анна Павловна\"> ]>\n"
        "<html lang=\"ru\"><head><title>Глава &author;</title></head><body>"
        "<h1>Первая</h1><p>Начало<sup><a href=\"#n1\">1</a></sup> и <a epub:type=\"noteref\" href=\"#n2\">*</a>.</p>";
    for (int i = 0; i < 300; ++i)
        html += "<p>Абзац " + std::to_string(i) + " — &author;, <i>курсив</i> <b>жирный</b></p>, хвост <br/>";
    html += "<pre>строка\n  с отступом\n</pre>"
            "<section epub:type=\"footnotes\"><h2>Примечания</h2><h3 id=\"n1\">1</h3><p>Первое примечание.</p>"
            "<aside epub:type=\"footnote\" id=\"n2\"><p>* Второе.</p></aside></section></body></html>"
            "<p>После конца.</p>";
    return html;
}

// A sink that counts the checks between chunks and, from the `stopAt`-th, says the text is no
// longer wanted.
class StoppingSink : public TextSink {
public:
    explicit StoppingSink(int stopAt) : stopAt_(stopAt) {}
    void Write(std::string_view bytes) override { written += bytes.size(); }
    void CheckGoing() override
    {
        if (++checks >= stopAt_) throw std::runtime_error("no longer wanted");
    }
    int checks = 0;
    size_t written = 0;

private:
    int stopAt_;
};

} // namespace

TEST(HtmlStream, TheTextDoesNotDependOnHowTheBytesArrive)
{
    const std::string html = Chapter();
    const Laid whole = LayOut(html, html.size());
    EXPECT_EQ(whole.title, "Глава Анна Павловна");
    EXPECT_EQ(whole.language, "ru");
    EXPECT_NE(whole.main.find("Абзац 299 — Анна Павловна, курсив жирный,\r\n   хвост"), std::string::npos) << whole.main;
    EXPECT_NE(whole.main.find("После конца."), std::string::npos);
    EXPECT_NE(whole.main.find("Начало[1] и *."), std::string::npos) << whole.main;
    EXPECT_NE(whole.notes.find("[1] Первое примечание."), std::string::npos) << whole.notes;
    EXPECT_NE(whole.notes.find("* Второе."), std::string::npos) << whole.notes;
    for (size_t piece : {size_t(1), size_t(7), size_t(4096)}) {
        SCOPED_TRACE(piece);
        EXPECT_TRUE(LayOut(html, piece) == whole);
    }
}

TEST(HtmlStream, AConversionStopsBetweenChunksOnceItsTextIsNoLongerWanted)
{
    TempDir dir;
    // About 2 MB with notes: every pass (notes named, notes planned, text) reads it whole.
    std::string html = "<html><body>";
    for (int i = 0; i < 20000; ++i)
        html += "<p>Абзац номер " + std::to_string(i) + " с текстом<sup><a href=\"#n" + std::to_string(i % 50) + "\">" +
                std::to_string(i % 50) + "</a></sup>.</p>\n";
    for (int i = 0; i < 50; ++i) html += "<p id=\"n" + std::to_string(i) + "\">" + std::to_string(i) + " Примечание.</p>";
    dir.Write("big.html", html + "</body></html>");

    StoppingSink finished(1 << 30);
    ConvertBook(dir / "big.html", BookFormat::Html, finished);
    // Asked between chunks, pass after pass, not once at the end.
    EXPECT_GT(finished.checks, 3 * static_cast<int>(html.size() / (64 * 1024)));
    EXPECT_GT(finished.written, 0u);

    // Stopped in the first pass, before any text was written; and stopped in the middle of the text.
    for (int stopAt : {3, finished.checks - 5}) {
        SCOPED_TRACE(stopAt);
        StoppingSink stopped(stopAt);
        EXPECT_THROW(ConvertBook(dir / "big.html", BookFormat::Html, stopped), std::runtime_error);
        EXPECT_EQ(stopped.checks, stopAt);
        EXPECT_LT(stopped.written, finished.written);
    }
}

TEST(HtmlStream, Utf16InEitherByteOrderWithOrWithoutItsMarkIsRead)
{
    TempDir dir;
    const std::u16string text = u"<html><head><title>Заглавие</title></head><body><p>Привет, мир! Hello, world.</p>"
                                u"<p>Вторая строка: 1, 2, 3.</p></body></html>";
    const auto encoded = [&](bool big, bool mark) {
        std::string out = mark ? (big ? "\xFE\xFF" : "\xFF\xFE") : "";
        for (char16_t c : text) {
            const char high = static_cast<char>(c >> 8);
            const char low = static_cast<char>(c & 0xFF);
            out += big ? std::string{high, low} : std::string{low, high};
        }
        return out;
    };
    const std::string expected = "   Привет, мир! Hello, world.\r\n   Вторая строка: 1, 2, 3.\r\n";
    for (bool big : {false, true})
        for (bool mark : {false, true}) {
            SCOPED_TRACE(std::string(big ? "big-endian" : "little-endian") + (mark ? ", marked" : ""));
            dir.Write("utf16.html", encoded(big, mark));
            EXPECT_EQ(ConvertedText(dir / "utf16.html"), expected);
            StringSink sink;
            EXPECT_EQ(ConvertBook(dir / "utf16.html", BookFormat::Html, sink).title, "Заглавие");
        }
}

} // namespace lumira
