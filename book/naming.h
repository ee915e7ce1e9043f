#pragma once
// Book naming from a text's file name: the title and the Latin package name.
#include <QString>
#include <string>
#include <string_view>

namespace lumira {

// The transliteration tables: 34 two-character cells each, cell for cell.
extern const std::string_view TranslitKeys;
extern const std::string_view TranslitValues;

// Each character stays when it is a letter, a blank or one of "0".."9", ":"; anything else
// becomes "_". The result has the same length.
std::string SanitizeCaption(std::string_view text);
// A Cyrillic letter of either case becomes its lower-case Latin form, a blank "_", "ъ"/"Ъ" a
// blank, a control character (codes 0..31 and 127) "_"; every other character stays as it is.
std::string TransliterateChar(unsigned char c);
std::string TransliterateName(std::string_view text);

// The same rules over Unicode file names: a character that cp1251 has follows the rules above,
// any other character is "any other character" (kept by the transliteration, "_" in a title).
QString SanitizeCaption(const QString& text);
QString TransliterateName(const QString& text);

// The pieces of a chosen file name used by the text choice: N with its extension replaced by
// ".jar" (appended when N has no "."), and N with its extension removed.
QString WithJarExtension(const QString& fileName);
QString WithoutExtension(const QString& fileName);

} // namespace lumira
