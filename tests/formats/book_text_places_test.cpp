// Text is kept wherever a book holds it: in drawings, formulas and the fallback of embedded
// objects; a book with no text at all is refused.
#include "formats/book_format.h"
#include "formats/text_layout.h"
#include "converted_text.h"
#include "sample_books.h"
#include "support/temp_dir.h"
#include "support/text_checks.h"

#include <array>
#include <gtest/gtest.h>

namespace lumira {

namespace {

// An EPUB of the given (name, media type, content) documents, in spine order.
void WriteEpub(const std::filesystem::path& file, const std::vector<std::array<std::string, 3>>& docs)
{
    std::string items;
    std::string spine;
    std::vector<NamedEntry> entries;
    for (size_t i = 0; i < docs.size(); ++i) {
        const std::string id = "i" + std::to_string(i);
        items += "<item id=\"" + id + "\" href=\"" + docs[i][0] + "\" media-type=\"" + docs[i][1] + "\"/>";
        spine += "<itemref idref=\"" + id + "\"/>";
        entries.push_back({"OEBPS/" + docs[i][0], docs[i][2]});
    }
    std::vector<NamedEntry> all = EpubFrame("<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\"><manifest>" +
                                            items + "</manifest><spine>" + spine + "</spine></package>");
    all.insert(all.end(), entries.begin(), entries.end());
    WriteArchive(file, all);
}

std::string Xhtml(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><html xmlns=\"http://www.w3.org/1999/xhtml\" "
           "xmlns:m=\"http://www.w3.org/1998/Math/MathML\"><head><title>t</title></head><body>" + body + "</body></html>";
}

const char* const kXhtml = "application/xhtml+xml";

} // namespace

TEST(BookTextPlaces, DrawingsFormulasAndObjectFallbacksKeepTheirWords)
{
    TempDir dir;
    const std::string drawing =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 10 10\">"
        "<title>Рисунок</title><desc>описание</desc><text x=\"1\" y=\"1\">Страница <tspan>первая</tspan></text>"
        "<text x=\"1\" y=\"2\">строка два</text></svg>";
    const std::string chapter = Xhtml(
        "<p>До рисунка</p><svg xmlns=\"http://www.w3.org/2000/svg\"><defs><text id=\"d\">нет</text></defs>"
        "<svg:text xmlns:svg=\"http://www.w3.org/2000/svg\">Внутри рисунка</svg:text></svg>"
        "<p>The basis <math><mi>C</mi></math> yields <m:math><m:mi>x</m:mi><m:mo>=</m:mo><m:mn>2</m:mn>"
        "<m:annotation encoding=\"TeX\">x=2</m:annotation></m:math>, and <math alttext=\"a+b\"><annotation-xml>"
        "<apply/></annotation-xml></math> too, <math alttext=\"Alternative text not available\"><mi>z</mi><mo>(</mo>"
        "<mn>1</mn>\n<mo>)</mo><msup><mi>e</mi><mi>t</mi></msup></math>, "
        "<math><mn>1</mn><mn>2</mn><mi>x</mi><mo>=</mo><mfenced open=\"[\" close=\"]\"><mn>1</mn><mi>y</mi></mfenced>"
        "<mfenced><mi>z</mi></mfenced></math>, <math><semantics><none/><annotation>p - q"
        "</annotation></semantics></math>.</p>"
        "<object data=\"quiz.swf\" type=\"application/x-shockwave-flash\"><param name=\"q\" value=\"1\"/>"
        "<p>Вопрос викторины?</p></object><p>Конец.</p>");
    WriteEpub(dir / "places.epub", {{"cover.xhtml", kXhtml, Xhtml("<img src=\"c.png\" alt=\"обложка\"/>")},
                                    {"page.svg", "image/svg+xml", drawing},
                                    {"c1.xhtml", kXhtml, chapter}});
    EXPECT_EQ(ConvertedText(dir / "places.epub"), "   Страница первая\r\n   строка два\r\n   До рисунка\r\n   Внутри рисунка\r\n"
                                            "   The basis C yields x = 2, and a+b too, z (1) e t, 12x = [1y] (z), p - q.\r\n   Вопрос викторины?\r\n"
                                            "   Конец.\r\n");
}

TEST(BookTextPlaces, ABookWithoutTextIsRefusedInEveryFormat)
{
    TempDir dir;
    WriteEpub(dir / "pictures.epub", {{"p1.xhtml", kXhtml, Xhtml("<div><img src=\"1.png\"/></div>")},
                                      {"p2.xhtml", kXhtml, Xhtml("<p> </p><img src=\"2.png\"/>")}});
    dir.Write("pictures.html", "<html><head><title>Альбом</title></head><body><img src=\"a.png\"></body></html>");
    dir.Write("pictures.fb2", "<?xml version=\"1.0\"?><FictionBook xmlns:l=\"http://www.w3.org/1999/xlink\"><description>"
                              "<title-info><book-title>Альбом</book-title></title-info></description><body><section>"
                              "<image l:href=\"#p\"/></section></body><binary id=\"p\">AAAA</binary></FictionBook>");
    for (const char* name : {"pictures.epub", "pictures.html", "pictures.fb2"}) {
        const std::string error = ErrorOf([&] { ConvertedText(dir / name); });
        EXPECT_EQ(error, "В книге нет текста: " + (dir / name).string()) << name;
    }
}

} // namespace lumira

namespace lumira {

TEST(BookTextPlaces, PunctuationLeftAfterAVerseEndsThatVerseAndStartsNoLine)
{
    // Books made by hand often close the verse before its comma: the comma then began the next
    // line on the phone.
    TempDir dir;
    dir.Write("poem.fb2", "<?xml version=\"1.0\" encoding=\"utf-8\"?><FictionBook><body><section><poem><stanza>"
                          "<v>Буря мглою небо кроет</v>, <v>Вихри снежные крутя</v>;\n<v>То, как зверь</v>\n"
                          "<v>она завоет</v>… и <v>дитя</v></stanza></poem><p>«Конец</p>».</section></body></FictionBook>");
    EXPECT_EQ(ConvertedText(dir / "poem.fb2"), "   Буря мглою небо кроет,\r\n   Вихри снежные крутя;\r\n   То, как зверь\r\n"
                                         "   она завоет…\r\n   и дитя\r\n\r\n   «Конец».\r\n");
    dir.Write("poem.html", "<html><body><div class=\"poem\"><p>Буря мглою небо кроет</p>, <p>Вихри снежные крутя</p>"
                           "<p>То, как зверь</p> <p>она завоет</p>\n . </div></body></html>");
    EXPECT_EQ(ConvertedText(dir / "poem.html"), "   Буря мглою небо кроет,\r\n   Вихри снежные крутя\r\n   То, как зверь\r\n"
                                          "   она завоет.\r\n");
}

} // namespace lumira
