// The reader on the phone knows a character's width only from the book's font files: the
// difference of consecutive entries of default.props, and for the last code (255, "я") the
// distance from its entry to the strip's right edge. The desktop preview lays pages out with
// GlyphAdvance. The phone shows the preview's pages only when the two agree for every code, and
// it can draw a character only when its whole cell lies inside the strip.
#include "font/book_qfont.h"
#include "font/font_strip.h"
#include "platform/book_font_style.h"

#include <QFontMetrics>
#include <gtest/gtest.h>

namespace lumira {

namespace {

int Entry(const GlyphTableBytes& table, int c)
{
    return table[static_cast<size_t>(2 + 2 * c)] | (table[static_cast<size_t>(3 + 2 * c)] << 8);
}

BookFontStyle Font(const char* name, int points, bool bold, bool italic)
{
    BookFontStyle fontStyle;
    fontStyle.name = QString::fromLatin1(name);
    fontStyle.size = points;
    fontStyle.bold = bold;
    fontStyle.italic = italic;
    return fontStyle;
}

} // namespace

TEST(ReaderGlyphWidths, BookFontFilesGiveThePreviewsWidthsAndWholeCells)
{
    for (const BookFontStyle& fontStyle : {Font("DejaVu Sans", 8, false, false), Font("DejaVu Serif", 12, true, false),
                                 Font("DejaVu Sans Mono", 10, false, false), Font("Tahoma", 8, false, false),
                                 Font("DejaVu Sans", 14, false, true)}) {
        SCOPED_TRACE(fontStyle.name.toStdString() + " " + std::to_string(fontStyle.size));
        const FontStripImage files = RenderFontStrip(fontStyle, 0xFFFFFF, 0, 0);
        const std::array<int, 256> advances = GlyphAdvances(QFontMetrics(MakeQFont(fontStyle)));
        const int stripWidth = files.strip.width();
        for (int c = 32; c < 256; ++c) {
            const int readerWidth = (c < 255 ? Entry(files.table, c + 1) : stripWidth) - Entry(files.table, c);
            EXPECT_EQ(advances[static_cast<size_t>(c)], readerWidth) << "width of code " << c;
            EXPECT_LE(Entry(files.table, c) + advances[static_cast<size_t>(c)], stripWidth)
                << "the cell of code " << c << " is cut off by the strip's edge";
        }
    }
}

} // namespace lumira
