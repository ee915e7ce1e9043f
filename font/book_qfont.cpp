#include "font/book_qfont.h"

#include <algorithm>
#include <cmath>

#ifdef LUMIRA_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace lumira {

namespace {

// The user's font configuration may switch antialiasing off for every font, and Qt follows it
// whatever the QFont asks for. The book's glyphs are always drawn with grayscale antialiasing,
// so a rule of the program's own, read after the user's, keeps it on for the fonts made from
// then on. (Only the first book font adds it; fonts the window already uses stay as they were.)
void KeepAntialiasing()
{
#ifdef LUMIRA_HAVE_FONTCONFIG
    static const bool added = [] {
        static const char rules[] =
            "<?xml version=\"1.0\"?><!DOCTYPE fontconfig SYSTEM \"fonts.dtd\"><fontconfig>"
            "<match target=\"font\"><edit name=\"antialias\" mode=\"assign\"><bool>true</bool></edit></match>"
            "</fontconfig>";
        FcConfig* config = FcConfigGetCurrent();
        return config && FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(rules), FcFalse);
    }();
    (void)added;
#endif
}

} // namespace

QFont MakeQFont(const BookFontStyle& fontStyle)
{
    KeepAntialiasing();
    return BookQFontAsConfigured(fontStyle);
}

QFont BookQFontAsConfigured(const BookFontStyle& fontStyle)
{
    QFont font(fontStyle.name);
    font.setPixelSize(std::max(1, FontPixelSize(fontStyle.size)));
    font.setBold(fontStyle.bold);
    font.setItalic(fontStyle.italic);
    font.setUnderline(fontStyle.underline);
    font.setStrikeOut(fontStyle.strikeOut);
    // Hinting chosen here, not by the desktop: left to the default it follows the user's font
    // settings and is switched off altogether under a scaled display, so the same book would get
    // other glyphs on another machine. Vertical hinting keeps small sizes crisp without changing
    // advances.
    font.setHintingPreference(QFont::PreferVerticalHinting);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
    return font;
}

BookFontStyle BookFontStyleFromQFont(const QFont& font, ColorValue color)
{
    BookFontStyle fontStyle;
    fontStyle.name = font.family();
    if (font.pointSize() > 0) fontStyle.size = font.pointSize();
    else if (font.pixelSize() > 0) fontStyle.size = static_cast<int>(std::lround(font.pixelSize() * 72.0 / kFontDpi));
    fontStyle.color = color;
    fontStyle.bold = font.bold();
    fontStyle.italic = font.italic();
    fontStyle.underline = font.underline();
    fontStyle.strikeOut = font.strikeOut();
    return fontStyle;
}

} // namespace lumira
