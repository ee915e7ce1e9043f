#pragma once
// Character widths of the layout tests' own: one where every character is equally wide, and one
// with narrow, middle and wide characters and a narrow blank, as a proportional font has.
#include "platform/cp1251.h"
#include "preview/line_fitting.h"
#include "support/cp1251_text.h"

#include <string>
#include <string_view>

namespace lumira {

inline CharWidthTable FixedWidths(int width = 6)
{
    return CharWidthTable::ForLayout([width](unsigned char) { return width; });
}

inline int ProportionalWidth(unsigned char c)
{
    if (c == ' ') return 3;
    if (std::string_view("il.,;:!'|").find(static_cast<char>(c)) != std::string_view::npos) return 2;
    if (std::string_view("mwMW").find(static_cast<char>(c)) != std::string_view::npos) return 9;
    if (c == 0xD8 || c == 0xD9 || c == 0xC6 || c == 0xF8 || c == 0xF9 || c == 0xE6) return 10;  // Ш Щ Ж ш щ ж
    if (c >= '0' && c <= '9') return 6;
    return 5 + c % 3;
}

inline CharWidthTable ProportionalWidths()
{
    return CharWidthTable::ForLayout(ProportionalWidth);
}

// cp1251 bytes of a UTF-8 literal.
inline std::string Cp(std::string_view utf8)
{
    return Utf8ToCp1251(utf8);
}

// A line as it is drawn: with the control characters 1..31 removed.
inline std::string DrawnText(std::string_view line)
{
    std::string drawn;
    for (char ch : line)
        if (static_cast<unsigned char>(ch) == 0 || static_cast<unsigned char>(ch) >= 32) drawn.push_back(ch);
    return drawn;
}

} // namespace lumira
