#pragma once
// The cp1251 code page: book text, settings files and titles are cp1251 bytes held in
// std::string; conversion to Unicode happens only at the edge to Qt and UTF-8.
#include <QString>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace lumira {

// Unicode code point of a cp1251 byte (the one unassigned byte 0x98 maps to U+0098).
char32_t Cp1251ToUnicode(unsigned char c);
// cp1251 byte of a code point, or -1 when the code page has no such character.
int UnicodeToCp1251(char32_t u);
// The same as a table for code points below kCp1251ReverseSize (every character cp1251 has lies
// there), for converters that look up every character of a long text.
inline constexpr char32_t kCp1251ReverseSize = 0x2200;
using Cp1251ReverseTable = std::array<std::int16_t, kCp1251ReverseSize>;
const Cp1251ReverseTable& UnicodeToCp1251Table();

// Lower case by the cp1251 rules: A..Z, А..Я and Ё; every other byte unchanged.
inline unsigned char Cp1251Lower(unsigned char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDF)) return static_cast<unsigned char>(c + 32);
    return c == 0xA8 ? 0xB8 : c;
}
// Case-insensitive equality of two cp1251 texts.
bool Cp1251EqualsNoCase(std::string_view a, std::string_view b);

std::string Cp1251ToUtf8(std::string_view text);

QString Cp1251ToQString(std::string_view text);
// Characters that cp1251 lacks become `replacement`.
std::string QStringToCp1251(const QString& text, char replacement = '?');
// True when every character of the text has a cp1251 byte.
bool FitsCp1251(const QString& text);

// True for exactly A..Z, a..z, Ё, ё and А..я (cp1251 codes 65..90, 97..122, 168, 184, 192..255).
inline bool IsLetter(unsigned char c)
{
    return (c >= 65 && c <= 90) || (c >= 97 && c <= 122) || c == 168 || c == 184 || c >= 192;
}

// The soft hyphen: 0 wide and never drawn inside a line; where the dictionary rule splits a word
// at it, the line ends in a "-".
inline constexpr unsigned char kSoftHyphen = 0xAD;

} // namespace lumira
