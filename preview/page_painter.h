#pragma once
// Drawing a laid-out page (page_layout.h) into an image, as the phone shows it: the characters'
// cells copied out of the book's glyph strip (font_strip.h) and placed side by side, exactly as
// the reader on the phone places them.
#include "font/font_strip.h"
#include "preview/page_layout.h"

#include <QColor>
#include <QImage>
#include <filesystem>

namespace lumira {

// Fills the band of a page (0, bandY)..(width, bandY + 6) with the band's colour and copies
// `picture` over it at (0, bandY), at its own size.
void PaintSysline(QImage& surface, int bandY, const QImage& picture);

// The band's picture: a Windows bitmap file. A missing or unreadable file fails as the file layer
// does; a file that is no bitmap fails naming it.
QImage LoadSyslinePicture(const std::filesystem::path& path);

// Draws the page's lines: line n on a band as wide as the surface and as high as the glyph strip,
// filled with `background`, at (0, page.LineY(n)); in it the line's characters from x = 0, each
// the cell the table gives it (control characters are skipped, they take no room), copied opaque.
void PaintLines(QImage& surface, const PageLayout& page, const QImage& strip, const GlyphTableBytes& table,
                const QColor& background);

} // namespace lumira
