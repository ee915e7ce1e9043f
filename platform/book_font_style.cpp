#include "platform/book_font_style.h"

#include <cmath>

namespace lumira {

int FontPixelSize(int points)
{
    return static_cast<int>(std::lround(points * static_cast<double>(kFontDpi) / 72.0));
}

} // namespace lumira
