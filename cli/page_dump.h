#pragma once
// The preview's pages of a whole text without a window: the setup their page index is built
// from, the pages printed line by line as the index is built, or one drawn as the window draws it.
#include "cli/book_settings.h"
#include "formats/book_outline.h"
#include "font/font_strip.h"
#include "preview/page_index.h"

#include <QImage>
#include <cstdio>
#include <string>

namespace lumira {

// The layout of a text's pages: the text as the layout reads it, the book font's widths and the
// phone's screen with the system line shown.
// `text` is the layout string (TextSource::LayoutString); `lineHeight` the glyph strip's height.
// With dictionary hyphenation the text gets its soft hyphens from the dictionaries in
// `hyphenationFolders`, chosen by the language the book names (`bookLanguage`), as the book's
// pieces do. `outline`: the book's own contents (ReadLayoutText), kept with the setup.
PageSetup MakePageSetup(std::string text, const BookSettings& settings, int lineHeight,
                        const std::vector<std::filesystem::path>& hyphenationFolders,
                        const std::string& bookLanguage = {}, BookOutline outline = {});

// Writes pages as the page index is built (PageIndex::Build's visitor): each line in UTF-8
// exactly as laid out, one per output line, pages separated by a line holding only a form feed.
class PageDumpWriter {
public:
    explicit PageDumpWriter(std::FILE* out) : out_(out) {}
    void Write(int number, const PageLayout& page);
    // Writes what is still buffered; a failed write is an error.
    void Finish();

private:
    std::FILE* out_;
    std::string buffer_;
};

// Writes the contents of the indexed text: per title, two blanks a level, the title and the
// number of the preview's page it begins on (the book's own contents, when the index's setup
// holds them); a text without contents says so.
void PrintContents(const PageIndex& index, std::FILE* out);

// Draws a page as the window's preview shows it: background, the system-line band with the
// picture `iface` over it, and the lines from the book's glyph strip `glyphs`.
QImage DrawPage(const PageSetup& setup, const PageLayout& page, const BookSettings& settings, const FontStripImage& glyphs,
                const std::filesystem::path& iface);

} // namespace lumira
