#pragma once
// Drawing a laid-out page (page_layout.h) into an image, as the phone shows it: every character
// in a cell as wide as its CharWidth and as high as the line, the text cell's top at -upperCut,
// on an opaque background, characters placed side by side at their summed widths, exactly as the
// reader on the phone places the cells of the glyph strip.
#include "preview/page_layout.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <filesystem>
#include <memory>

class QPainter;

// What the glyph cells look like.
struct GlyphStyle {
    QFont font;
    QColor ink;
    QColor background;
    int upperCut = 0;
    int lineHeight = 0;
    CharWidthTable widths;  // the layout's CharWidth

    bool operator==(const GlyphStyle& other) const;
};

// The cells of the characters 32..255 drawn once, then copied for every character of a line.
class GlyphCells {
public:
    explicit GlyphCells(const GlyphStyle& style);
    // The cells as `drawn` holds them: the characters 32..255 side by side in this style, as the
    // glyph strip made for the same font, colours and cuts is. An image of another size is not
    // taken; the cells are drawn afresh.
    GlyphCells(const GlyphStyle& style, const QImage& drawn);
    const GlyphStyle& Style() const { return style_; }

    // Draws `line` (control characters are skipped, they take no room) with its left edge at x
    // and its top at y: each character's cell copied opaque, clipped to what the painter allows.
    void DrawLine(QPainter& painter, int x, int y, std::string_view line) const;

private:
    int PlaceCells();  // the offsets; returns the cells' total width
    void Draw(int total);

    GlyphStyle style_;
    QImage atlas_;                 // the cells side by side
    std::array<int, 256> offset_{};
};

// Keeps the cells of the last style asked for; a new style draws them again, or takes them from
// `drawn` when given (see GlyphCells).
class GlyphCellCache {
public:
    const GlyphCells& For(const GlyphStyle& style, const QImage* drawn = nullptr);

private:
    std::unique_ptr<GlyphCells> cells_;
};

// Fills the band of a page (0, bandY)..(width, bandY + 6) with the band's colour and copies
// `picture` over it at (0, bandY), at its own size.
void PaintSysline(QImage& surface, int bandY, const QImage& picture);

// The band's picture: a Windows bitmap file. A missing or unreadable file fails as the file layer
// does; a file that is no bitmap fails naming it.
QImage LoadSyslinePicture(const std::filesystem::path& path);

// Draws the page's lines: line n on a strip as wide as the surface and one line high, filled
// with the background colour, at (0, page.LineY(n)).
void PaintLines(QImage& surface, const PageLayout& page, const GlyphCells& cells);
