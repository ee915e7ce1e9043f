#pragma once
// A font as the book uses it: face, size in points, colour and style.
#include "platform/colors.h"

#include <QString>

namespace lumira {

struct BookFontStyle {
    QString name = QStringLiteral("Tahoma");
    int size = 8;  // points
    ColorValue color = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;

    bool operator==(const BookFontStyle&) const = default;
};

// Pixels per inch every font is sized at, whatever the desktop's scaling, so a book's glyphs and
// the preview are the same on every machine.
constexpr int kFontDpi = 96;

// Pixel size of a point size at 96 DPI (points × 96 ÷ 72, rounded).
int FontPixelSize(int points);

} // namespace lumira
