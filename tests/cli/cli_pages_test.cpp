// --dump-pages, --pages and --preview: the preview's pages of a whole text, line by line or
// drawn, on the chosen phone's screen.
#include "cli_fixture.h"

#include "cli/book_settings.h"
#include "cli/page_dump.h"
#include "cli/text_source.h"
#include "formats/sample_books.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "profiles/profile.h"
#include "settings/book_model.h"
#include "font/book_qfont.h"
#include "font/font_strip.h"
#include "platform/cp1251.h"
#include "platform/line_list.h"
#include "preview/page_layout.h"

#include <QFontMetrics>
#include <QImage>
#include <gtest/gtest.h>

namespace lumira {

namespace {

CliRun Dump(const CliFolder& f, const std::string& text, QStringList extra = {})
{
    f.work.Write("t.txt", text);
    return f.Run(QStringList{f.Arg("t.txt"), QStringLiteral("--dump-pages")} + extra);
}

} // namespace

TEST(CliPages, LinesComeOutExactlyAsLaidOut)
{
    CliFolder f;
    const QStringList wide{QStringLiteral("--profile"), QStringLiteral("большой")};
    struct Case {
        std::string text;
        std::string dump;
    };
    const Case cases[] = {
        {"A\r\nB\r\n", "A  B  \n"},                    // a single break inside a paragraph: two blanks
        {"A\r\n\r\nB\r\n", "A \n  B  \n"},              // an empty line ends the paragraph and indents the next
        {"A\r\n\r\n\r\nB\r\n", "A \n \n  B  \n"},       // two empty lines: a line of one blank
        {"     five\r\n", "   five  \n"},              // indentation kept up to three blanks
        {"a  \t b\r\n", "a \t b  \n"},                 // blanks collapse, a tab stays in the line
        {"AB\nCD", "AB  CD  \n"},                      // a lone LF and a last line without a break
        {std::string("AB\0CD\r\n", 7), "ABCD  \n"},    // a zero byte is left out
        {"", "\n"},                                    // an empty text is one empty line
    };
    for (const Case& c : cases) {
        const CliRun run = Dump(f, c.text, wide);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, c.dump) << "text: " << c.text;
    }
}

TEST(CliPages, WholeTextIsPagedAsThePreviewLaysItOut)
{
    CliFolder f;
    f.app.Write("config.ini", "[Global]\r\nModel=0\r\nSysline=0\r\n");  // the small phone, band at the top
    // Every rule on a narrow screen: indentation, breaks after punctuation, hyphenation, a word
    // wider than the screen, control characters, paragraph ends; long past the window's limit.
    std::string utf8;
    for (int i = 0; i < 40; ++i) {
        utf8 += "     Абзац " + std::to_string(i) + ": слова,слова;перенос\tнеобыкновенный, (скобки) и/или a+b=c.\r\n";
        utf8 += "продолжение строки без отступа\r\n";
        if (i % 7 == 0) utf8 += "ШШШШШШШШШШШШШШШШШШШШШШШШШШШШШШШШШШШШШШШ 1234567890123456789012345678901234567890\r\n";
        utf8 += i % 3 == 0 ? "\r\n" : "  \r\n";
    }
    utf8 += "Последнее слово.";
    const std::string text = Cp(utf8.c_str());
    ASSERT_GT(text.size(), 4096u);

    const CliRun run = Dump(f, text);
    ASSERT_EQ(run.exitCode, 0) << run.err;

    // The same pages from the layout itself, with the book font's widths and the phone's screen.
    const BookFontStyle font;
    const std::array<int, 256> advances = GlyphAdvances(QFontMetrics(MakeQFont(font)));
    const CharWidthTable widths = CharWidthTable::ForLayout([&](unsigned char c) { return advances[c]; });
    const PageGeometry geometry{128, 160, RenderFontStrip(font, 0xFFFFFF, 0, 0).strip.height(), true, 0};
    const std::string laidOut = JoinLines(SplitLines(text));
    std::string expected;
    int pages = 0;
    for (std::int32_t start = 1;;) {
        const PageLayout page = LayoutPage(laidOut, widths, geometry, start);
        if (pages++ > 0) expected += "\f\n";
        EXPECT_LE(page.lines.size(), static_cast<size_t>((160 - 6) / geometry.lineHeight));
        for (const auto& line : page.lines) expected += Cp1251ToUtf8(line) + "\n";
        if (!page.downEnabled.value_or(true)) break;
        start = page.nextPageStart;
    }
    EXPECT_GT(pages, 5);
    EXPECT_EQ(run.out, expected);
    EXPECT_NE(run.out.find("Последнее слово."), std::string::npos);  // not cut at the window's 2047 bytes
    EXPECT_NE(run.out.find('\t'), std::string::npos);
}

namespace {

// The page setup of `name` as lumira-cli makes it for `options`, made in this process.
std::shared_ptr<const PageSetup> SetupInProcess(const CliFolder& f, const std::string& name,
                                                const BookSettings& settings)
{
    const TextSource text(f.Arg(name));
    const int lineHeight =
        RenderFontStrip(settings.font, settings.background, settings.upperCut, settings.bottCut).strip.height();
    return std::make_shared<const PageSetup>(
        MakePageSetup(text.LayoutString(text.Open(), settings.encoding), settings, lineHeight, {}));
}

std::vector<std::string> SplitPages(const std::string& dump)
{
    std::vector<std::string> pages(1);
    for (size_t at = 0; at < dump.size();) {
        const size_t end = dump.find('\n', at);
        const std::string line = dump.substr(at, end - at + 1);
        at = end + 1;
        if (line == "\f\n") pages.emplace_back();
        else pages.back() += line;
    }
    return pages;
}

} // namespace

// Every page of a whole book, the FB2's converted text and a plain text alike, is the page of the
// index: the count --pages tells, the lines --dump-pages prints and the picture --preview draws,
// by number or by percentage.
TEST(CliPages, EveryPageOfAWholeBookIsThePageOfItsIndex)
{
    CliFolder f;
    f.app.Write("config.ini", "[Global]\r\nModel=0\r\nSysline=1\r\n");  // the small phone, band at the bottom
    std::string plain;
    for (int i = 0; plain.size() < 20000; ++i)
        plain += Cp(("   Абзац " + std::to_string(i) + ": переносы необыкновенных слов, выключка; и снова.\r\n").c_str());
    f.work.Write("plain.txt", plain);
    f.work.Write("book.fb2", SampleFb2());

    const QStringList common{QStringLiteral("--app-dir"), FromFsPath(f.app.Path()), QStringLiteral("--hyphenation"),
                             QStringLiteral("simple"), QStringLiteral("--dump-pages")};
    for (const std::string name : {"plain.txt", "book.fb2"}) {
        SCOPED_TRACE(name);
        const StoredSettings stored = ReadStoredSettings(IniFile(f.app / "config.ini"), FromFsPath(f.app.Path()));
        const BookSettings settings = ResolveSettings(ModelFromStored(stored), stored.notices, ReadProfiles(IniFile(f.app / "profiles.ini")),
                                                      ParseOptions(common + QStringList{f.Arg(name)}));
        const auto setup = SetupInProcess(f, name, settings);
        PageIndex index(setup);
        index.Build({});
        const int count = index.PageCount();
        ASSERT_GE(count, 3);

        const CliRun counted = f.Run({f.Arg(name), QStringLiteral("--pages")});
        ASSERT_EQ(counted.exitCode, 0) << counted.err;
        EXPECT_EQ(counted.out, std::to_string(count) + "\n");

        const CliRun dumped = f.Run({f.Arg(name), QStringLiteral("--dump-pages")});
        ASSERT_EQ(dumped.exitCode, 0) << dumped.err;
        const std::vector<std::string> pages = SplitPages(dumped.out);
        ASSERT_EQ(pages.size(), static_cast<size_t>(count));
        for (int n = 1; n <= count; ++n) {
            std::string lines;
            for (const std::string& line : index.Page(n).lines) lines += Cp1251ToUtf8(line) + "\n";
            EXPECT_EQ(pages[static_cast<size_t>(n - 1)], lines) << "page " << n;
        }

        const FontStripImage glyphs = RenderFontStrip(settings.font, settings.background, settings.upperCut, settings.bottCut);
        const std::pair<QString, int> asked[] = {{QStringLiteral("1"), 1},
                                                 {QString::number(count / 2), count / 2},
                                                 {QString::number(count), count},
                                                 {QStringLiteral("0%"), 1},
                                                 {QStringLiteral("50%"), index.PageForPercent(50)},
                                                 {QStringLiteral("100%"), count}};
        for (const auto& [value, page] : asked) {
            const CliRun run = f.Run({f.Arg(name), QStringLiteral("--preview"), value, QStringLiteral("--png"), f.Arg("page.png")});
            ASSERT_EQ(run.exitCode, 0) << run.err;
            const QImage drawn(f.Arg("page.png"), "PNG");
            const QImage expected = DrawPage(*setup, index.Page(page), settings, glyphs, f.app / "iface.dat");
            EXPECT_EQ(drawn.convertToFormat(QImage::Format_RGB32), expected.convertToFormat(QImage::Format_RGB32))
                << value.toStdString();
        }
        EXPECT_GT(index.PageForPercent(50), 1);
        EXPECT_LT(index.PageForPercent(50), count);
    }
    const CliRun past = f.Run({f.Arg("book.fb2"), QStringLiteral("--preview"), QStringLiteral("101%"), QStringLiteral("--png"),
                               f.Arg("page.png")});
    EXPECT_EQ(past.exitCode, 2);
}

// --toc: every title with the number of the preview's page it begins on, the same page
// --dump-pages shows it on; nested ones indented; a text without headings says so.
TEST(CliPages, ContentsGiveThePagesTheTitlesBeginOn)
{
    CliFolder f;
    f.app.Write("config.ini", "[Global]\r\nModel=0\r\nSysline=0\r\n");
    std::string utf8;
    const std::vector<std::string> titles = {"Часть первая", "Глава 1", "Глава 2", "Часть вторая", "Глава 3"};
    for (const std::string& title : titles) {
        const bool part = title.rfind("Часть", 0) == 0;
        utf8 += part ? "\r\n" + title + "\r\n\r\n" : title + "\r\n";
        if (!part)
            for (int i = 0; i < 12; ++i) utf8 += "   Обычный абзац главы, в котором много самых обычных слов подряд.\r\n";
    }
    f.work.Write("t.txt", QStringToCp1251(QString::fromStdString(utf8)));
    const CliRun toc = f.Run({f.Arg("t.txt"), "--toc"});
    ASSERT_EQ(0, toc.exitCode) << toc.err;
    const CliRun dump = f.Run({f.Arg("t.txt"), "--dump-pages"});
    std::vector<std::string> pages(1);
    for (char c : dump.out) {
        if (c == '\f') pages.emplace_back();
        else pages.back() += c;
    }
    std::vector<std::string> lines;
    for (size_t at = 0; at < toc.out.size();) {
        const size_t end = toc.out.find('\n', at);
        lines.push_back(toc.out.substr(at, end - at));
        at = end + 1;
    }
    ASSERT_EQ(titles.size(), lines.size()) << toc.out;
    int previous = 0;
    for (size_t i = 0; i < titles.size(); ++i) {
        const std::string indent = titles[i].rfind("Глава", 0) == 0 ? "  " : "";
        const std::string head = indent + titles[i] + " … стр. ";
        ASSERT_EQ(head, lines[i].substr(0, head.size())) << lines[i];
        const int page = std::stoi(lines[i].substr(head.size()));
        ASSERT_TRUE(page >= 1 && page <= static_cast<int>(pages.size())) << lines[i];
        EXPECT_NE(std::string::npos, pages[page - 1].find(titles[i])) << "page " << page << " shows " << titles[i];
        EXPECT_GE(page, previous);
        previous = page;
    }
    EXPECT_GT(previous, 2) << "the titles spread over the pages";

    f.work.Write("plain.txt", QStringToCp1251(QStringLiteral("ЯБЛОКО\r\nГРУША\r\nСЛИВА\r\n")));
    const CliRun none = f.Run({"--lang", "en", f.Arg("plain.txt"), "--toc"});
    EXPECT_EQ(0, none.exitCode) << none.err;
    EXPECT_NE(std::string::npos, none.out.find("no contents")) << none.out;

    const CliRun refused = f.Run({f.Arg("t.txt"), "--toc", "--out", f.Arg("t.jar")});
    EXPECT_NE(0, refused.exitCode);
    EXPECT_FALSE(std::filesystem::exists(f.work / "t.jar"));
}

} // namespace lumira

namespace lumira {

// --toc of a book gives its own contents: an FB2's titles nested as its sections, each on the
// page --dump-pages shows it on; a poem's title is no chapter.
TEST(CliPages, ABooksContentsNestAsItsSections)
{
    CliFolder f;
    f.app.Write("config.ini", "[Global]\r\nModel=0\r\nSysline=0\r\n");
    std::string paragraphs;
    for (int i = 0; i < 15; ++i) paragraphs += "<p>Обычный абзац главы, в котором много самых обычных слов подряд.</p>";
    const std::string chapter = "<poem><title><p>Стихи</p></title><stanza><v>Строка</v></stanza></poem>" + paragraphs;
    f.work.Write("nested.fb2", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\">"
                               "<description><title-info><book-title>Б</book-title></title-info></description><body>"
                               "<section><title><p>Часть первая</p></title><section><title><p>Глава 1</p></title>" + chapter +
                               "<section><title><p>Глава 1.1</p></title>" + chapter + "</section></section></section>"
                               "<section><title><p>Часть вторая</p></title>" + chapter + "</section></body></FictionBook>");
    const CliRun toc = f.Run({f.Arg("nested.fb2"), "--toc"});
    ASSERT_EQ(0, toc.exitCode) << toc.err;
    const CliRun dump = f.Run({f.Arg("nested.fb2"), "--dump-pages"});
    std::vector<std::string> pages(1);
    for (char c : dump.out) {
        if (c == '\f') pages.emplace_back();
        else pages.back() += c;
    }
    const std::vector<std::string> rows = {"Часть первая", "  Глава 1", "    Глава 1.1", "Часть вторая"};
    size_t at = 0;
    for (const std::string& row : rows) {
        const size_t end = toc.out.find('\n', at);
        ASSERT_NE(std::string::npos, end) << toc.out;
        const std::string line = toc.out.substr(at, end - at);
        at = end + 1;
        const std::string head = row + " … стр. ";
        ASSERT_EQ(head, line.substr(0, head.size())) << toc.out;
        const int page = std::stoi(line.substr(head.size()));
        ASSERT_TRUE(page >= 1 && page <= static_cast<int>(pages.size())) << line;
        EXPECT_NE(std::string::npos, pages[page - 1].find(row.substr(row.find_first_not_of(' ')))) << line;
    }
    EXPECT_EQ(at, toc.out.size()) << toc.out;
}

} // namespace lumira
