// The C++ side of the reader tests: renders glyph fonts, builds books with the package builder,
// and dumps the desktop preview's pages of a text, so the Java tests can run the reader on the
// same book and compare its pages with the preview's.
//
//   midlet_book_tool <job file>
//
// Each line of the job file is one command, its words separated by tabs:
//   font  <work folder> <family> <points> <bold 0|1> <background 0xBBGGRR>
//         writes <work folder>/fonts/default.props and default.png
//   book  <template> <text> <work folder> <jar> <width> <height> <full screen 0|1> <left soft>
//         <right soft> <menu> <up> <down> <left> <right> <system line index> <background>
//         [dictionary]
//         builds the book (the title is "Test"); with "dictionary", words split by the
//         hyphenation dictionaries of /usr/share/hyphen
//   pages <text> <font folder> <start|-> - <width> <height> <system line 0|1|2> <out file> [dictionary]
//         the preview's pages of the text read as its line list, from the start to the last, laid out with the glyph widths and line
//         height of the font files in <font folder>/fonts: system line 0 hidden, 1 top, 2 bottom;
//         with a start (counted from 1, as the preview does), only the one page from there
//   convert <book> <text>
//         lays an FB2, EPUB or HTML book out into the cp1251 text the program makes of it
// The page file holds, for every page, "page <start> <next start> <down> <lines per page> <lines>"
// and then one "L <hex bytes> <x>" line for each laid-out line, x where the line begins.
#include "book/book_builder.h"
#include "font/font_strip.h"
#include "platform/errors.h"
#include "platform/book_font_style.h"
#include "platform/line_list.h"
#include "formats/book_source.h"
#include "formats/hyphenator.h"
#include "preview/page_index.h"
#include "support/font_files.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace lumira;

namespace fs = std::filesystem;

namespace {

const fs::path kSystemHyphenation = "/usr/share/hyphen";

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> words;
    std::string word;
    std::istringstream in(line);
    while (std::getline(in, word, '\t')) words.push_back(word);
    return words;
}

int Number(const std::string& word)
{
    return static_cast<int>(std::stol(word, nullptr, 0));
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) ThrowCannotOpen(path);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

BookFontStyle Style(const std::string& family, const std::string& points, const std::string& bold)
{
    BookFontStyle fontStyle;
    fontStyle.name = QString::fromStdString(family);
    fontStyle.size = Number(points);
    fontStyle.bold = bold == "1";
    return fontStyle;
}

void MakeFont(const std::vector<std::string>& w)
{
    BuildFontFiles(fs::path(w.at(1)), Style(w.at(2), w.at(3), w.at(4)), static_cast<ColorValue>(Number(w.at(5))), 0, 0);
}

void MakeBook(const std::vector<std::string>& w)
{
    PhoneProfile profile;
    profile.Name = "Test";
    profile.Width = Number(w.at(5));
    profile.Height = Number(w.at(6));
    profile.setFullScreen = w.at(7) == "1";
    profile.LSoft = Number(w.at(8));
    profile.RSoft = Number(w.at(9));
    profile.Menu = Number(w.at(10));
    profile.OnUp = Number(w.at(11));
    profile.OnDown = Number(w.at(12));
    profile.OnLeft = Number(w.at(13));
    profile.OnRight = Number(w.at(14));
    BookRequest request;
    request.templateArchive = w.at(1);
    request.textFile = TextFile(fs::path(w.at(2)));
    request.workFolder = w.at(3);
    request.jarPath = w.at(4);
    request.title = "Test";
    request.profile = &profile;
    request.syslineIndex = Number(w.at(15));
    request.background = static_cast<ColorValue>(Number(w.at(16)));
    request.dictionaryHyphens = w.size() > 17 && w[17] == "dictionary";
    request.hyphenationFolders = {kSystemHyphenation};
    SettingsRecord record{};
    BuildBook(request, record);
}

void ConvertBook(const std::vector<std::string>& w)
{
    const fs::path out = w.at(2);
    BookTextFile book(TextFile(fs::path(w.at(1))), TextEncoding::Auto, out.parent_path());
    if (!book.Book()) throw AppError(w.at(1) + " is not a book");
    fs::rename(book.Release(), out);
}

std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// The widths of the book's characters as the reader finds them in the package: the difference of
// consecutive entries of default.props, the last one up to the strip's right edge; 0 for control
// characters and for anything negative.
CharWidthTable BookWidths(const fs::path& fontsFolder, int& lineHeight)
{
    const std::string props = ReadBytes(fontsFolder / kGlyphTableFileName);
    const QImage strip(QString::fromStdString((fontsFolder / kGlyphStripFileName).string()));
    if (props.size() != kGlyphTableSize || strip.isNull()) throw AppError("bad font files in " + fontsFolder.string());
    lineHeight = strip.height();
    auto entry = [&](int c) {
        return static_cast<unsigned char>(props[2 + 2 * c]) | (static_cast<unsigned char>(props[3 + 2 * c]) << 8);
    };
    return CharWidthTable::ForLayout([&](unsigned char c) {
        const int next = c < 255 ? entry(c + 1) : strip.width();
        return next - entry(c);
    });
}

void DumpPages(const std::vector<std::string>& w)
{
    // The text as the preview reads it: its line list, every line followed by CR LF.
    std::string text = JoinLines(SplitTextLines(ReadBytes(w.at(1))));
    PageGeometry geometry;
    if (w.size() > 9 && w[9] == "dictionary") {
        Hyphenator hyphenator({kSystemHyphenation});
        std::string hyphenated;
        hyphenator.Hyphenate(text, hyphenated);
        text = std::move(hyphenated);
        geometry.hyphenation = Hyphenation::SoftHyphens;
    }
    const CharWidthTable widths = BookWidths(fs::path(w.at(2)) / "fonts", geometry.lineHeight);
    geometry.width = Number(w.at(5));
    geometry.height = Number(w.at(6));
    const int sysline = Number(w.at(7));
    geometry.showSysline = sysline != 0;
    geometry.syslineIndex = sysline == 1 ? 0 : 1;

    std::ofstream out(w.at(8), std::ios::binary | std::ios::trunc);
    if (!out) ThrowCannotCreate(w.at(8));
    const auto write = [&](std::int32_t start, const PageLayout& page) {
        out << "page " << start << ' ' << page.nextPageStart << ' '
            << (page.downEnabled ? (*page.downEnabled ? "1" : "0") : "-") << ' ' << page.linesPerPage << ' '
            << page.lines.size() << '\n';
        for (size_t n = 0; n < page.lines.size(); ++n) out << "L " << Hex(page.lines[n]) << ' ' << page.lineX[n] << '\n';
    };
    if (w.at(3) != "-") {
        // One page, laid out from the given start as the preview lays out any page.
        const std::int32_t start = Number(w.at(3));
        write(start, LayoutPage(text, widths, geometry, start));
    } else {
        // The pages of the preview's page index, each laid out again from its start as the preview does.
        PageIndex index(std::make_shared<const PageSetup>(PageSetup{std::move(text), widths, geometry, {}}));
        index.Build({});
        for (int n = 1; n <= index.PageCount(); ++n) write(index.PageStart(n), index.Page(n));
    }
    if (!out.flush()) ThrowUnableToWrite(w.at(8));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: midlet_book_tool <job file>\n";
        return 2;
    }
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    std::ifstream jobs(argv[1]);
    if (!jobs) {
        std::cerr << "cannot read " << argv[1] << "\n";
        return 2;
    }
    std::string line;
    int number = 0;
    while (std::getline(jobs, line)) {
        ++number;
        if (line.empty()) continue;
        const std::vector<std::string> words = SplitTabs(line);
        try {
            if (words[0] == "font") MakeFont(words);
            else if (words[0] == "book") MakeBook(words);
            else if (words[0] == "pages") DumpPages(words);
            else if (words[0] == "convert") ConvertBook(words);
            else throw AppError("unknown command " + words[0]);
        } catch (const std::exception& e) {
            std::cerr << "job " << number << " (" << words[0] << "): " << e.what() << "\n";
            return 1;
        }
    }
    return 0;
}
