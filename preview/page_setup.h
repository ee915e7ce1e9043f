#pragma once
// The one way a text's page setup is made, for the window's preview and the command line's page
// dump alike: the text as the layout reads it (a book converted, every line followed by CR LF),
// the soft hyphens of dictionary hyphenation, the book font's widths and the phone's screen.
#include "formats/book_outline.h"
#include "platform/book_font_style.h"
#include "platform/text_encoding.h"
#include "preview/page_index.h"

#include <QSize>
#include <filesystem>
#include <string>
#include <vector>

namespace lumira {

class TextFile;

// What of the book's settings the pages depend on.
struct PageChoices {
    BookFontStyle font;
    QSize screen;
    int lineHeight = 0;          // the glyph strip's height
    int bandIndex = 0;           // where the system line is (BandIndex)
    bool showSysline = true;
    bool dictionaryHyphens = true;
    std::vector<std::filesystem::path> hyphenationFolders;

    bool operator==(const PageChoices&) const = default;
};

// The whole text of `opened` as the layout reads it: a book (FB2, EPUB, HTML) converted, a plain
// text read in `encoding` (Auto detects), converted to cp1251, split into lines, every line
// followed by CR LF, zero bytes left out. `language` receives the language a book names (empty
// for a plain text); `resolved` the encoding the text was taken to be in (a book's: UTF-8);
// `report` what the conversion from it met, when it was not cp1251.
// `outline` receives a book's own contents (BookOutline), lines of the returned text.
std::string ReadLayoutText(const TextFile& opened, TextEncoding encoding, std::string* language = nullptr,
                           TextEncoding* resolved = nullptr, ConversionReport* report = nullptr,
                           BookOutline* outline = nullptr);

// The setup of a layout text (ReadLayoutText). With dictionary hyphenation the soft hyphens come
// from the dictionaries chosen by `bookLanguage`, as the book's pieces get theirs. `outline`: the
// book's own contents, as ReadLayoutText gave them.
PageSetup MakePageSetup(std::string text, const PageChoices& choices, const std::string& bookLanguage = {},
                        BookOutline outline = {});

} // namespace lumira
