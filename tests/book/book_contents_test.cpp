// The contents a book carries: titles marked by the layout (FB2, EPUB, HTML) and headings found in
// plain texts, at the positions of their lines in the final text, and the package entry for them.
#include "book/book_contents.h"
#include "formats/book_format.h"
#include "formats/hyphenator.h"
#include "formats/text_layout.h"
#include "platform/cp1251.h"
#include "sample_books.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

using namespace lumira;

namespace {

// The titles (UTF-8) and levels of a text's contents; every position checked to be its line's start.
std::vector<std::pair<std::string, int>> Titles(const std::string& cp1251)
{
    std::vector<std::pair<std::string, int>> out;
    std::uint32_t previous = 0;
    for (const ContentsEntry& e : ContentsOf(cp1251)) {
        EXPECT_LT(e.position, cp1251.size());
        EXPECT_TRUE(e.position == 0 || cp1251[e.position - 1] == '\n') << e.position;
        EXPECT_TRUE(out.empty() || e.position > previous) << "in reading order";
        previous = e.position;
        out.emplace_back(Cp1251ToUtf8(e.title), e.level);
    }
    return out;
}

std::string LaidOut(const std::filesystem::path& file)
{
    StringSink sink;
    ConvertBook(file, *RecogniseBook(file), sink);
    return ToCp1251(sink.text);
}

using Expected = std::vector<std::pair<std::string, int>>;

} // namespace

TEST(BookContents, MarkedTitlesOfBooksWithTheirLinesJoined)
{
    TempDir dir;
    dir.Write("book.fb2", SampleFb2());
    const Expected fb2 = Titles(LaidOut(dir / "book.fb2"));
    ASSERT_GE(fb2.size(), 3u);
    EXPECT_EQ((std::pair<std::string, int>{"Глава 1 Начало", 0}), fb2[1]) << "a title of two lines is one entry";
    EXPECT_EQ("Глава 1.1", fb2[2].first);

    WriteSampleEpub(dir / "book.epub");
    const Expected epub = Titles(LaidOut(dir / "book.epub"));
    ASSERT_GE(epub.size(), 2u);
    EXPECT_EQ("Глава первая", epub[0].first) << "chapters in reading order, not in stored order";
    EXPECT_EQ("Глава вторая", epub[1].first);

    dir.Write("page.html", "<html><head><meta charset=\"utf-8\"><title>T</title></head><body>"
                           "<h1>Первая</h1><p>Текст.</p><h2>Вторая\nчасть</h2><p>Ещё.</p><h3>Третья</h3><p>Всё.</p></body></html>");
    EXPECT_EQ((Expected{{"Первая", 0}, {"Вторая часть", 0}, {"Третья", 0}}), Titles(LaidOut(dir / "page.html")));
}

TEST(BookContents, HeadingsOfPlainTexts)
{
    // Chapters of several paragraphs each: headings are few beside the ordinary lines.
    std::string paragraph;
    for (int i = 0; i < 4; ++i) paragraph += "   Обычный абзац текста, длинный настолько, насколько бывает обычный абзац.\r\n";
    std::string parts = "Часть первая\r\n\r\nГлава 1\r\n" + paragraph + paragraph + "Глава 2. Встреча\r\n" + paragraph +
                        paragraph + "\r\nЧАСТЬ II\r\n\r\nГлава 3\r\n" + paragraph + paragraph + paragraph + "Эпилог\r\n" +
                        paragraph + paragraph;
    EXPECT_EQ((Expected{{"Часть первая", 0}, {"Глава 1", 1}, {"Глава 2. Встреча", 1}, {"ЧАСТЬ II", 0},
                        {"Глава 3", 1}, {"Эпилог", 1}}),
              Titles(ToCp1251(parts)));

    // Chapters without parts are all at the top; Roman numerals and lines in capitals between
    // empty lines count, a line in capitals inside the text does not.
    std::string roman = "I\r\n\r\n" + paragraph + paragraph + "\r\nII.\r\n" + paragraph + paragraph +
                        "\r\nПРОЛОГ В НЕБЕСАХ\r\n\r\n" + paragraph + "ВНИМАНИЕ\r\n" + paragraph + paragraph + paragraph;
    EXPECT_EQ((Expected{{"I", 0}, {"II.", 0}, {"ПРОЛОГ В НЕБЕСАХ", 0}}), Titles(ToCp1251(roman)));
    EXPECT_EQ((Expected{{"Chapter 1", 0}, {"Chapter XII", 0}}),
              Titles("Chapter 1\r\n" + paragraph + paragraph + paragraph + "Chapter XII\r\n" + paragraph + paragraph));

    // The soft hyphens of dictionary hyphenation are no part of a line's length: a heading near
    // the longest there are is found in the hyphenated text as in the plain one.
    const std::string heading = ToCp1251("Глава 4. Возвращение через непроходимые болотистые леса");
    const std::string text = ToCp1251(parts) + heading + "\r\n" + ToCp1251(paragraph + paragraph);
    std::string hyphenated;
    Hyphenator({"/usr/share/hyphen"}).Hyphenate(text, hyphenated);
    std::string hyphenatedHeading;
    Hyphenator({"/usr/share/hyphen"}).Hyphenate(heading, hyphenatedHeading);
    ASSERT_GT(hyphenatedHeading.size(), 60u);
    const Expected plain = Titles(text);
    EXPECT_EQ(Titles(hyphenated), plain);
    EXPECT_EQ(plain.back(), (std::pair<std::string, int>{"Глава 4. Возвращение через непроходимые болотистые леса", 1}));
}

TEST(BookContents, NoFalseContents)
{
    const std::string paragraph = "   Обычный абзац текста, длинный настолько, насколько бывает обычный абзац.\r\n";
    const std::vector<std::string> texts = {
        "",
        "Глава 1\r\n" + paragraph + paragraph,  // one heading is no contents
        // Verses: short lines, some in capitals, none standing alone.
        "ВЕТЕР\r\nШумит листва,\r\nИ ночь темна.\r\nВЕТЕР\r\nПоёт волна,\r\nИ даль видна.\r\n",
        // A list of short lines in capitals between empty lines: all of them alike, none a heading.
        "\r\nЯБЛОКО\r\n\r\nГРУША\r\n\r\nСЛИВА\r\n\r\nВИШНЯ\r\n\r\nАЙВА\r\n",
        // Sentences that begin with a keyword are paragraphs.
        "Глава семьи сказал всем, что пора идти.\r\n" + paragraph + "Часть пути мы прошли пешком, часть проехали.\r\n" + paragraph,
        // Roman numerals as every other line: numbered verses, not chapters.
        "I\r\nстрока\r\nII\r\nстрока\r\nIII\r\nстрока\r\n",
    };
    for (const std::string& text : texts) EXPECT_TRUE(ContentsOf(ToCp1251(text)).empty()) << text;
}

TEST(BookContents, PiecesFedAnyHowGiveTheSameContents)
{
    const std::string paragraph = "   Абзац текста, в котором есть слова.\r\n";
    std::string text = "\x02\r\n\x01Название\r\n\x01книги\r\n\x02\r\n";
    for (int i = 1; i <= 40; ++i) text += "\x01Глава " + std::to_string(i) + "\r\n\x02\r\n" + paragraph + paragraph;
    text = ToCp1251(text);
    const std::vector<ContentsEntry> whole = ContentsOf(text);
    ASSERT_EQ(41u, whole.size());
    std::mt19937 random(7);
    for (int run = 0; run < 20; ++run) {
        ContentsScanner scanner;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t n = std::min<std::size_t>(text.size() - at, 1 + random() % 50);
            scanner.Feed(std::string_view(text).substr(at, n));
            at += n;
        }
        const std::vector<ContentsEntry> fed = scanner.Finish();
        ASSERT_EQ(whole.size(), fed.size());
        for (std::size_t i = 0; i < fed.size(); ++i) {
            EXPECT_EQ(whole[i].position, fed[i].position);
            EXPECT_EQ(whole[i].title, fed[i].title);
        }
    }
}

TEST(BookContents, PackageEntryLayoutAndLimits)
{
    const std::vector<ContentsEntry> entries = {{0x01020304, 0, "A"}, {70000, 1, "Bc"}};
    EXPECT_EQ(std::string("\x04\x03\x02\x01\x01" "A" "\x70\x11\x01\x00\x04" "  Bc", 15), EncodeContents(entries));

    std::vector<ContentsEntry> many(kMaxContentsEntries, {5, 0, std::string(kMaxContentsTitle + 30, 'x')});
    const std::string packed = EncodeContents(many);
    EXPECT_LE(packed.size(), kMaxContentsBytes);
    EXPECT_EQ(0u, packed.size() % (5 + kMaxContentsTitle)) << "whole entries, titles cut";

    TempDir dir;
    WriteContentsFile(dir.Path(), entries);
    EXPECT_EQ(EncodeContents(entries), dir.Read(kContentsFile));
    WriteContentsFile(dir.Path(), {});
    EXPECT_FALSE(std::filesystem::exists(dir / kContentsFile)) << "no contents: no entry, none left from before";
}

namespace {

// A book's own contents as the builder finds them in its final text: per entry its title and
// level, each position checked to be a line's start whose line shows `shows[title]` (the title
// itself when not named there).
Expected OwnContents(const std::filesystem::path& file, const std::map<std::string, std::string>& shows = {})
{
    StringSink sink;
    const BookInfo info = ConvertBook(file, *RecogniseBook(file), sink);
    EXPECT_TRUE(info.outline.given);
    const std::string text = ToCp1251(sink.text);
    Expected out;
    for (const ContentsEntry& e : ContentsOf(text, &info.outline)) {
        const std::string title = Cp1251ToUtf8(e.title);
        EXPECT_TRUE(e.position == 0 || text[e.position - 1] == '\n') << title;
        const std::string line = Cp1251ToUtf8(text.substr(e.position, text.find('\r', e.position) - e.position));
        const auto named = shows.find(title);
        const std::string expected = named == shows.end() ? title.substr(0, title.find(' ')) : named->second;
        EXPECT_NE(std::string::npos, line.find(expected)) << title << " at: " << line;
        out.emplace_back(title, e.level);
    }
    return out;
}

std::string Page(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><html xmlns=\"http://www.w3.org/1999/xhtml\" "
           "xmlns:epub=\"http://www.idpf.org/2007/ops\"><head><title>T</title></head><body>" + body + "</body></html>";
}

// An EPUB of two chapters (the first with sections inside it) in `version`, with the package
// items `items` and the files `more` besides.
void WriteEpub(const std::filesystem::path& archive, const std::string& version, const std::string& items,
               const std::vector<NamedEntry>& more)
{
    std::vector<NamedEntry> entries = EpubFrame(
        "<?xml version=\"1.0\"?><package xmlns=\"http://www.idpf.org/2007/opf\" version=\"" + version +
        "\" unique-identifier=\"id\"><metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:identifier id=\"id\">x"
        "</dc:identifier><dc:title>T</dc:title></metadata><manifest>"
        "<item id=\"a\" href=\"Text/a.xhtml\" media-type=\"application/xhtml+xml\"/>"
        "<item id=\"b\" href=\"Text/b.xhtml\" media-type=\"application/xhtml+xml\"/>" + items +
        "</manifest><spine><itemref idref=\"a\"/><itemref idref=\"b\"/></spine></package>");
    entries.push_back({"OEBPS/Text/a.xhtml", Page("<h1>Заголовок первый</h1><p>Вступление.</p>"
                                                  "<h4>Мелкий</h4><p id=\"s1\">Раздел один начат.</p><p>Дальше.</p>"
                                                  "<h2 id=\"s2\">Раздел второй</h2><p>Текст <a id=\"mid\"/>середины.</p>")});
    entries.push_back({"OEBPS/Text/b.xhtml", Page("<p>Без заголовка вторая глава.</p>")});
    entries.insert(entries.end(), more.begin(), more.end());
    WriteArchive(archive, entries);
}

} // namespace

TEST(BookContents, Fb2TitlesNestAsTheirSectionsAndOnlyChaptersEnter)
{
    TempDir dir;
    dir.Write("nested.fb2", R"(<?xml version="1.0" encoding="UTF-8"?>
<FictionBook xmlns="http://www.gribuser.ru/xml/fictionbook/2.0" xmlns:l="http://www.w3.org/1999/xlink">
<description><title-info><book-title>Книга</book-title><lang>ru</lang></title-info></description>
<body><title><p>Автор</p><p>Книга</p></title><epigraph><title><p>Эпиграф</p></title><p>Слова.</p></epigraph>
<section><title><p>Часть первая</p></title>
 <section><title><p>Глава 1</p><p>Начало</p></title><p>Текст<a l:href="#n1" type="note">1</a>.</p>
  <poem><title><p>Стихи</p></title><stanza><title><p>I</p></title><v>Строка</v></stanza></poem>
  <cite><title><p>Цитата</p></title><p>Слова.</p></cite><subtitle>Подзаголовок</subtitle>
  <section><title><p>Глава 1.1</p></title><p>Вложенный текст.</p></section>
 </section>
 <section><title/><section><title><p>Глава 2</p></title><p>Ещё.</p></section></section>
</section>
<section><title><p>Часть вторая</p></title><p>Текст.</p></section>
</body>
<body name="notes"><title><p>Сноски</p></title><section id="n1"><title><p>1</p></title><p>Сноска.</p></section></body>
</FictionBook>)");
    // Poems', epigraphs', citations' and notes' titles and subtitles are no chapters; an untitled
    // section adds no level; the notes are reached under the title they come under.
    EXPECT_EQ((Expected{{"Автор Книга", 0}, {"Часть первая", 0}, {"Глава 1 Начало", 1}, {"Глава 1.1", 2},
                        {"Глава 2", 1}, {"Часть вторая", 0}, {"Примечания", 0}}),
              OwnContents(dir / "nested.fb2"));
}

TEST(BookContents, EpubContentsComeFromItsNavigationWithTheirNestingAndAnchors)
{
    TempDir dir;
    const std::string nav = "<item id=\"nav\" href=\"nav.xhtml\" properties=\"nav\" media-type=\"application/xhtml+xml\"/>";
    const std::string ncx = "<item id=\"ncx\" href=\"toc.ncx\" media-type=\"application/x-dtbncx+xml\"/>";
    // Targets: a file's start, an element's id, an anchor inside a paragraph; one that is nowhere.
    const NamedEntry navFile{"OEBPS/nav.xhtml",
                             Page("<nav epub:type=\"landmarks\"><ol><li><a href=\"Text/b.xhtml\">Не это</a></li></ol></nav>"
                                  "<nav epub:type=\"toc\"><ol><li><a href=\"Text/a.xhtml\">Первая</a><ol>"
                                  "<li><a href=\"Text/a.xhtml#s1\">Раздел один</a></li>"
                                  "<li><span>Без ссылки</span><ol><li><a href=\"Text/a.xhtml#s2\">Раздел два</a><ol>"
                                  "<li><a href=\"Text/a.xhtml#mid\">Середина</a></li></ol></li></ol></li>"
                                  "<li><a href=\"Text/a.xhtml#gone\">Пропавший</a></li></ol></li>"
                                  "<li><a href=\"Text/missing.xhtml\">Нет файла</a></li>"
                                  "<li><a href=\"Text/b.xhtml\">Вторая</a></li></ol></nav>")};
    const NamedEntry ncxFile{"OEBPS/toc.ncx",
                             "<?xml version=\"1.0\"?><ncx xmlns=\"http://www.daisy.org/z3986/2005/ncx/\"><navMap>"
                             "<navPoint id=\"p1\"><navLabel><text>Глава А</text></navLabel><content src=\"Text/a.xhtml\"/>"
                             "<navPoint id=\"p2\"><navLabel><text>Часть Б</text></navLabel><content src=\"Text/a.xhtml#s2\"/>"
                             "</navPoint></navPoint><navPoint id=\"p3\"><navLabel><text>Глава В</text></navLabel>"
                             "<content src=\"Text/b.xhtml\"/></navPoint></navMap></ncx>"};
    const std::map<std::string, std::string> shows = {{"Первая", "Заголовок первый"}, {"Раздел один", "Раздел один начат"},
                                                      {"Раздел два", "Раздел второй"}, {"Середина", "середины"},
                                                      {"Вторая", "Без заголовка"}, {"Глава А", "Заголовок первый"},
                                                      {"Часть Б", "Раздел второй"}, {"Глава В", "Без заголовка"}};

    // EPUB 3: the navigation document wins over the NCX beside it.
    WriteEpub(dir / "nav.epub", "3.0", nav + ncx, {navFile, ncxFile});
    EXPECT_EQ((Expected{{"Первая", 0}, {"Раздел один", 1}, {"Раздел два", 1}, {"Середина", 2}, {"Вторая", 0}}),
              OwnContents(dir / "nav.epub", shows));
    // EPUB 2: the NCX, nested.
    WriteEpub(dir / "ncx.epub", "2.0", ncx, {ncxFile});
    EXPECT_EQ((Expected{{"Глава А", 0}, {"Часть Б", 1}, {"Глава В", 0}}), OwnContents(dir / "ncx.epub", shows));

    // A navigation that leads nowhere, or no navigation at all: the h1-h3 headings stand in.
    const Expected headings{{"Заголовок первый", 0}, {"Раздел второй", 1}};
    WriteEpub(dir / "lost.epub", "3.0", nav,
              {{"OEBPS/nav.xhtml", Page("<nav epub:type=\"toc\"><ol><li><a href=\"Text/x.xhtml\">Нигде</a></li>"
                                        "<li><a href=\"Text/b.xhtml\">Одна</a></li></ol></nav>")}});
    EXPECT_EQ(headings, OwnContents(dir / "lost.epub"));
    WriteEpub(dir / "bare.epub", "3.0", "", {});
    EXPECT_EQ(headings, OwnContents(dir / "bare.epub"));

    // A single HTML file: h1-h3 nested by level; notes at the top level under their title.
    dir.Write("page.html", "<html><head><meta charset=\"utf-8\"><title>T</title></head><body>"
                           "<h2>Первая</h2><p>Текст<a epub:type=\"noteref\" href=\"#n\">1</a>.</p><h3>Вторая\nчасть</h3>"
                           "<p>Ещё.</p><h4>Мелкая</h4><p>Всё.</p><h1>Большая</h1><p>Конец.</p>"
                           "<aside epub:type=\"footnote\" id=\"n\"><p>Сноска.</p></aside></body></html>");
    EXPECT_EQ((Expected{{"Первая", 1}, {"Вторая часть", 2}, {"Большая", 0}, {"Примечания", 0}}),
              OwnContents(dir / "page.html"));
}
