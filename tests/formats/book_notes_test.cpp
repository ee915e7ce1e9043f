// Notes are found by what the book says they are, never by the names of its files or ids, and
// every document keeps its place in the reading order.
#include "formats/book_format.h"
#include "formats/text_layout.h"
#include "platform/language.h"
#include "converted_text.h"
#include "sample_books.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace lumira {

namespace {

std::string Page(const std::string& body, const std::string& lang = "")
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><html xmlns=\"http://www.w3.org/1999/xhtml\" "
           "xmlns:epub=\"http://www.idpf.org/2007/ops\"" + (lang.empty() ? "" : " lang=\"" + lang + "\"") +
           "><head><title>t</title></head><body>" + body + "</body></html>";
}

struct Doc {
    std::string name;
    std::string body;
    std::string spineAttributes = {};
};

// An EPUB whose spine lists `docs` in order; `extra` goes into the OPF after the spine.
void WriteEpub(const std::filesystem::path& file, const std::vector<Doc>& docs, const std::string& language = "ru",
               const std::string& extra = "", const std::string& nav = "")
{
    std::string items;
    std::string spine;
    std::vector<NamedEntry> entries;
    for (size_t i = 0; i < docs.size(); ++i) {
        const std::string id = "i" + std::to_string(i);
        items += "<item id=\"" + id + "\" href=\"" + docs[i].name + "\" media-type=\"application/xhtml+xml\"/>";
        spine += "<itemref idref=\"" + id + "\"" + docs[i].spineAttributes + "/>";
        entries.push_back({"OEBPS/" + docs[i].name, Page(docs[i].body)});
    }
    if (!nav.empty()) {
        items += "<item id=\"nav\" href=\"nav.xhtml\" media-type=\"application/xhtml+xml\" properties=\"nav\"/>";
        entries.push_back({"OEBPS/nav.xhtml", Page(nav)});
    }
    std::vector<NamedEntry> all = EpubFrame(
        "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\"><metadata "
        "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>Книга</dc:title><dc:language>" + language +
        "</dc:language></metadata><manifest>" + items + "</manifest><spine>" + spine + "</spine>" + extra + "</package>");
    all.insert(all.end(), entries.begin(), entries.end());
    WriteArchive(file, all);
}

} // namespace

TEST(BookNotes, ChaptersNamedLikeNotesKeepTheirPlaceAndTheirHeadings)
{
    TempDir dir;
    WriteEpub(dir / "named.epub", {{"c1.xhtml", "<h1>Начало</h1><p>Первая глава.</p>"},
                                   {"processing_of_notes.xhtml", "<h2>О заметках</h2><p>Вторая глава.</p>"},
                                   {"chapter_002_notebook.xhtml", "<h2>Тетрадь</h2><p>Третья глава.</p>",
                                    " id=\"notes\" linear=\"no\""},
                                   {"c4.xhtml", "<h2>Конец</h2><p>Четвёртая глава.</p>"}});
    EXPECT_EQ(ConvertedText(dir / "named.epub"), "Начало\r\n\r\n   Первая глава.\r\n\r\nО заметках\r\n\r\n   Вторая глава.\r\n\r\n"
                                           "Тетрадь\r\n\r\n   Третья глава.\r\n\r\nКонец\r\n\r\n   Четвёртая глава.\r\n");
}

TEST(BookNotes, NotesAreFoundByMarksReferencesAndLandmarks)
{
    TempDir dir;
    // A reference in one chapter makes a note of an element in another; the note's own number
    // (a link back) gives way to the reference's mark.
    const std::string chapter = "<h1>Глава</h1><p>Саванна<a epub:type=\"noteref\" href=\"endnotes.xhtml#e1\">1</a> и "
                                "лес<sup><a href=\"endnotes.xhtml#e2\">2</a></sup>.</p>";
    const std::string endnotes = "<h1>Примечания</h1><ol><li id=\"e1\"><a href=\"c1.xhtml#r1\">1</a> Степь.</li>"
                                 "<li id=\"e2\"><p>2. Чаща.</p></li></ol>";
    WriteEpub(dir / "refs.epub", {{"c1.xhtml", chapter}, {"endnotes.xhtml", endnotes}});
    const std::string expected = "Глава\r\n\r\n   Саванна[1] и лес[2].\r\n\r\nПримечания\r\n\r\n   [1] Степь.\r\n   [2] Чаща.\r\n";
    EXPECT_EQ(ConvertedText(dir / "refs.epub"), expected);

    // Landmarks and the guide name a whole document of notes, here in the middle of the spine:
    // its notes go with the others, the chapters keep their order.
    const std::string notes = "<h2>Комментарий</h2><p>Пояснение.</p>";
    const std::vector<Doc> docs = {{"a.xhtml", "<p>Раз.</p>"}, {"x.xhtml", notes}, {"b.xhtml", "<p>Два.</p>"}};
    WriteEpub(dir / "landmarks.epub", docs, "ru", "",
              "<nav epub:type=\"landmarks\"><ol><li><a epub:type=\"endnotes\" href=\"x.xhtml\">N</a></li></ol></nav>");
    WriteEpub(dir / "guide.epub", docs, "ru", "<guide><reference type=\"notes\" href=\"x.xhtml\"/></guide>");
    for (const char* name : {"landmarks.epub", "guide.epub"})
        EXPECT_EQ(ConvertedText(dir / name), "   Раз.\r\n   Два.\r\n\r\nПримечания\r\n\r\nКомментарий\r\n\r\n   Пояснение.\r\n")
            << name;

    // An aside marked as a footnote, in an English book: its words follow the book's language.
    WriteEpub(dir / "en.epub", {{"c.xhtml", "<p>Word<a epub:type=\"noteref\" href=\"#f\">*</a>.</p>"
                                            "<aside epub:type=\"footnote\" id=\"f\"><p>* A note.</p></aside>"}},
              "en-US");
    EXPECT_EQ(ConvertedText(dir / "en.epub"), "   Word*.\r\n\r\nNotes\r\n\r\n   * A note.\r\n");
}

} // namespace lumira

namespace lumira {

TEST(BookNotes, ReferencesReadAsMarksAndTheNotesTitleFollowsTheBooksLanguage)
{
    TempDir dir;
    const auto fb2 = [](const std::string& lang) {
        return "<?xml version=\"1.0\" encoding=\"utf-8\"?><FictionBook xmlns:l=\"http://www.w3.org/1999/xlink\">"
               "<description><title-info><book-title>B</book-title><lang>" + lang + "</lang></title-info></description>"
               "<body><p>Savannah<a l:href=\"#n1\" type=\"note\">1</a> and <a l:href=\"#c2\">chapter 2</a>.</p></body>"
               "<body name=\"notes\"><section id=\"n1\"><title><p>1</p></title><p>Grass.</p></section></body></FictionBook>";
    };
    dir.Write("en.fb2", fb2("en"));
    dir.Write("ru.fb2", fb2("ru"));
    EXPECT_EQ(ConvertedText(dir / "en.fb2"), "   Savannah[1] and chapter 2.\r\n\r\nNotes\r\n\r\n   [1] Grass.\r\n");
    EXPECT_EQ(ConvertedText(dir / "ru.fb2"), "   Savannah[1] and chapter 2.\r\n\r\nПримечания\r\n\r\n   [1] Grass.\r\n");

    const auto html = [](const std::string& lang) {
        return "<html" + lang + "><body><p>Word<sup><a href=\"#f1\">1</a></sup>.</p>"
               "<div role=\"doc-endnotes\"><h2>Notes</h2><p id=\"f1\"><a href=\"#r1\">1</a>. Text.</p></div></body></html>";
    };
    dir.Write("en.html", html(" lang=\"en-GB\""));
    dir.Write("none.html", html(""));
    const std::string english = "   Word[1].\r\n\r\nNotes\r\n\r\n   [1] Text.\r\n";
    EXPECT_EQ(ConvertedText(dir / "en.html"), english);
    // A book that names no language takes the interface's.
    EXPECT_EQ(ConvertedText(dir / "none.html"), "   Word[1].\r\n\r\nПримечания\r\n\r\n   [1] Text.\r\n");
    ApplyLanguage(Language::English);
    const std::string inEnglish = ConvertedText(dir / "none.html");
    ApplyLanguage(Language::Russian);
    EXPECT_EQ(inEnglish, english);
}

} // namespace lumira
