// The contents a book carries: titles marked by the layout (FB2, EPUB, HTML) and headings found in
// plain texts, at the positions of their lines in the final text, and the package entry for them.
#include "book/book_contents.h"
#include "formats/book_format.h"
#include "formats/text_layout.h"
#include "platform/cp1251.h"
#include "sample_books.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

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
