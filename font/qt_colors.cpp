#include "font/qt_colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace lumira {

namespace {

// Windows system colour indices mapped onto the nearest palette roles.
QPalette::ColorRole SystemRole(int index, QPalette::ColorGroup& group)
{
    group = QPalette::Active;
    switch (index) {
    case 1: case 2: case 13: return QPalette::Highlight;        // background, caption, highlight
    case 14: case 9: return QPalette::HighlightedText;           // highlight text, caption text
    case 3: group = QPalette::Inactive; return QPalette::Highlight;
    case 5: return QPalette::Base;                               // window
    case 6: return QPalette::Dark;                               // window frame
    case 7: case 8: return QPalette::Text;                       // menu text, window text
    case 15: return QPalette::Button;                            // button face
    case 16: return QPalette::Mid;                               // button shadow
    case 17: group = QPalette::Disabled; return QPalette::Text;  // grey text
    case 18: return QPalette::ButtonText;
    case 20: return QPalette::Light;                             // button highlight
    case 21: return QPalette::Shadow;                            // dark shadow
    case 22: return QPalette::Midlight;
    case 23: return QPalette::ToolTipText;
    case 24: return QPalette::ToolTipBase;
    case 26: return QPalette::Link;
    default: return QPalette::Window;
    }
}

} // namespace

QColor ColorValueToQColor(ColorValue value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    if (bits & 0x80000000u) {
        QPalette::ColorGroup group;
        const auto role = SystemRole(static_cast<int>(bits & 0xFF), group);
        return QGuiApplication::palette().color(group, role);
    }
    return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                  static_cast<int>((bits >> 16) & 0xFF));
}

ColorValue QColorToColorValue(const QColor& color)
{
    return MakeColorValue(color.red(), color.green(), color.blue());
}

} // namespace lumira
