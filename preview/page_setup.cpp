#include "preview/page_setup.h"

#include "font/book_qfont.h"
#include "font/font_strip.h"
#include "formats/book_format.h"
#include "formats/hyphenator.h"
#include "formats/text_layout.h"
#include "platform/files.h"
#include "platform/line_list.h"
#include "platform/text_kind.h"

#include <array>

namespace lumira {

std::string ReadLayoutText(const TextFile& opened, TextEncoding encoding, std::string* language, TextEncoding* resolvedOut,
                           ConversionReport* report, BookOutline* outline)
{
    std::string bytes;
    if (language) language->clear();
    if (outline) *outline = BookOutline{};
    if (const auto format = RecogniseBook(opened)) {
        // A book is laid out as a UTF-8 text first, read from there on as any UTF-8 text.
        StringSink text;
        const BookInfo info = ConvertBook(opened, *format, text, encoding);
        if (language) *language = info.language;
        if (outline) *outline = info.outline;
        bytes = std::move(text.text);
        encoding = TextEncoding::Utf8;
    } else {
        RefuseNonText(opened);
        bytes = ReadFileBytes(opened);
    }
    const TextEncoding resolved = encoding == TextEncoding::Auto
                                      ? DetectEncoding(std::string_view(bytes).substr(0, kDetectionLimit),
                                                       bytes.size() > kDetectionLimit)
                                      : encoding;
    if (resolvedOut) *resolvedOut = resolved;
    if (resolved != TextEncoding::Cp1251) {
        // "Авто" goes on as such, so that a text broken past its beginning falls back as a book's does.
        bytes = ConvertBytesToCp1251(bytes, encoding, false, report);
    }
    // Room for the soft hyphens of dictionary hyphenation, put in where the text stands; room
    // that is not written costs nothing but address space.
    return JoinLines(SplitTextLines(bytes), bytes.size() / 8 + Hyphenator::kInPlaceRoom);
}

PageSetup MakePageSetup(std::string text, const PageChoices& choices, const std::string& bookLanguage,
                        BookOutline outline)
{
    PageSetup setup;
    setup.outline = std::move(outline);
    if (choices.dictionaryHyphens) {
        Hyphenator hyphenator(choices.hyphenationFolders, bookLanguage);
        hyphenator.HyphenateInPlace(text);
        setup.geometry.hyphenation = Hyphenation::SoftHyphens;
    }
    setup.text = std::move(text);
    const std::array<int, 256> advances = GlyphAdvances(MakeQFont(choices.font));
    setup.widths = CharWidthTable::ForLayout([&](unsigned char c) { return advances[c]; });
    setup.geometry.width = choices.screen.width();
    setup.geometry.height = choices.screen.height();
    setup.geometry.lineHeight = choices.lineHeight;
    setup.geometry.showSysline = choices.showSysline;
    setup.geometry.syslineIndex = choices.bandIndex;
    return setup;
}

} // namespace lumira
