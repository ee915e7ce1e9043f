#include "platform/font_spec.h"

#include <cmath>

int FontPixelSize(int points)
{
    return static_cast<int>(std::lround(points * static_cast<double>(kFontDpi) / 72.0));
}

QFont MakeQFont(const FontSpec& spec)
{
    QFont font(spec.name);
    font.setPixelSize(std::max(1, FontPixelSize(spec.size)));
    font.setBold(spec.bold);
    font.setItalic(spec.italic);
    font.setUnderline(spec.underline);
    font.setStrikeOut(spec.strikeOut);
    // Hinting chosen here, not by the desktop: left to the default it follows the user's font
    // settings and is switched off altogether under a scaled display, so the same book would get
    // other glyphs on another machine. Vertical hinting keeps small sizes crisp without changing
    // advances.
    font.setHintingPreference(QFont::PreferVerticalHinting);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
    return font;
}

FontSpec FontSpecFromQFont(const QFont& font, ColorValue color)
{
    FontSpec spec;
    spec.name = font.family();
    if (font.pointSize() > 0) spec.size = font.pointSize();
    else if (font.pixelSize() > 0) spec.size = static_cast<int>(std::lround(font.pixelSize() * 72.0 / kFontDpi));
    spec.color = color;
    spec.bold = font.bold();
    spec.italic = font.italic();
    spec.underline = font.underline();
    spec.strikeOut = font.strikeOut();
    return spec;
}
