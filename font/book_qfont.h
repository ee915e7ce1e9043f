#pragma once
// The book's font as Qt draws it: the QFont a BookFontStyle describes, and back.
#include "platform/book_font_style.h"

#include <QFont>

namespace lumira {

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
