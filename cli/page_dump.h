#pragma once
// The preview's pages of a whole text without a window: walked from the first page as the
// "next page" button walks them, printed line by line or drawn as the window draws one.
#include "cli/book_settings.h"
#include "font/font_strip.h"
#include "preview/page_layout.h"

#include <QImage>
#include <cstdio>
#include <functional>
#include <string>

namespace lumira {

// What the layout of a text's pages needs: the text as the layout reads it, the book font's
// widths and the phone's screen with the system line shown.
struct PageSetup {
    std::string text;
    CharWidthTable widths;
    PageGeometry geometry;
};

// `text` is the layout string (TextSource::LayoutString); `lineHeight` the glyph strip's height.
// With dictionary hyphenation the text gets its soft hyphens from the dictionaries in
// `hyphenationFolders`, chosen by the language the book names (`bookLanguage`), as the book's
// pieces do.
PageSetup MakePageSetup(std::string text, const BookSettings& settings, int lineHeight,
                        const std::vector<std::filesystem::path>& hyphenationFolders,
                        const std::string& bookLanguage = {});

// Lays out page after page from position 1, going on while the "next page" button would stay
// enabled (and the page start moves); `visit` gets the 1-based page number and the page, and
// returns false to stop early. Returns the number of pages visited.
int WalkPages(const PageSetup& setup, const std::function<bool(int number, const PageLayout& page)>& visit);

// Writes every page: each line in UTF-8 exactly as laid out, one per output line, pages
// separated by a line holding only a form feed.
void DumpPages(const PageSetup& setup, std::FILE* out);

// Draws a page as the window's preview shows it: background, the system-line band with the
// picture `iface` over it, and the lines from the book's glyph strip `glyphs`.
QImage DrawPage(const PageSetup& setup, const PageLayout& page, const BookSettings& settings, const FontStripImage& glyphs,
                const std::filesystem::path& iface);

} // namespace lumira
