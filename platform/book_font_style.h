#pragma once
// A font as the book uses it: face, size in points, colour and style.
#include "platform/colors.h"

#include <QFont>
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

// The QFont of a fontStyle: pixel-sized at 96 DPI, grayscale antialiasing, no subpixel rendering.
// A face the machine lacks falls back through the font system; the description keeps its name.
QFont MakeQFont(const BookFontStyle& fontStyle);
// The same QFont without adding the program's antialiasing rule to the font configuration: for a
// second thread that must leave the configuration alone (the window's fonts made meanwhile would
// otherwise depend on timing). Its glyphs equal MakeQFont's only where the configuration already
// antialiases the face.
QFont BookQFontAsConfigured(const BookFontStyle& fontStyle);
// The description of a QFont, keeping `color` (a QFont carries no colour).
BookFontStyle BookFontStyleFromQFont(const QFont& font, ColorValue color);

} // namespace lumira
