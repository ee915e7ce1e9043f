#pragma once
// Line fitting for the book's page layout: the cp1251 character classes, character widths, and
// the two operations that shorten an overflowing line (FitLine) and widen its inner blanks
// (JustifyLine). Plain C++ over cp1251 byte strings; no window, no font object. The same rules
// lay out the page on the desktop preview, in the command-line page dump and in the reader on
// the phone, so every detail below is part of the page format.
//
// Positions in this header are 1-based where a comment says "position"; the strings themselves
// are ordinary std::string values of cp1251 bytes.
#include "platform/cp1251.h"  // IsLetter: A..Z, a..z, Ё (168), ё (184), 192..255

#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace lumira {

// ---- Character classes (cp1251 codes) ----

// Marks a text line may start with. They take no room, and a text without them lays out as if
// they did not exist:
//  - a text line starting with kTitleMark is a title: it starts a screen line of its own without
//    indentation, its end ends the screen line, and none of its screen lines is justified;
//  - a text line holding only kSpacerMark is one empty screen line (none at the top of a page).
inline constexpr unsigned char kTitleMark = 0x01;
inline constexpr unsigned char kSpacerMark = 0x02;

// Where a word at a line's end may be split.
enum class Hyphenation {
    Simple,      // the vowel/consonant rule below
    SoftHyphens  // only at the soft hyphens the text holds (a dictionary put them there)
};

// Exactly a e i j o u y ё а е и о у ю я (97 101 105 106 111 117 121 184 224 229 232 238 243
// 254 255): lower case only; the Latin j counts, ы (251) and э (253) do not.
bool IsVowel(unsigned char c);
// A letter (IsLetter) that is not a vowel: every capital letter, й ъ ы ь э, the Latin
// consonants.
bool IsConsonant(unsigned char c);
// A line may be broken after one of these 16: blank ! . , ; ? - + = ) } ] \ / : >
// Nothing above 127 is a break character.
bool IsBreakChar(unsigned char c);

// ---- Widths ----

// Width in pixels of one cp1251 character in the book's font.
using CharWidthFunction = std::function<int(unsigned char)>;

// The width of every code at once (index = cp1251 code), so layout asks the font only once per
// page. Negative measures are taken as 0.
class CharWidthTable {
public:
    CharWidthTable() = default;  // every width 0

    // The book's CharWidth: `measure` for codes 32..255, 0 for codes 0..31 (control characters
    // take no room), whatever `measure` says about them.
    static CharWidthTable ForLayout(const CharWidthFunction& measure);
    // Every code as `measure` gives it, control characters included (0 stays 0 only if the
    // measure says so). The backward page estimate measures characters this way.
    static CharWidthTable Measured(const CharWidthFunction& measure);

    int operator()(unsigned char c) const { return width_[c]; }
    int Blank() const { return width_[' ']; }
    // Sum of the widths of the bytes of `text`.
    int TextWidth(std::string_view text) const;

private:
    std::array<int, 256> width_{};
};

// ---- Fitting ----

// Spreads `k` extra blanks over the inner blanks of `line`. With f the first non-blank
// character, the counted blanks are those after f and before the line's last character (leading
// and trailing blanks never grow; each blank of a run counts by itself). With n counted blanks,
// every counted blank gets k / n more next to it and the k % n counted blanks nearest the line's
// end one more besides. Nothing changes when k <= 0, when the line is empty or all blanks, or
// when there is no counted blank.
// Example: "a b c" with k = 3 becomes "a  b   c".
void JustifyLine(std::string& line, int k);

// What FitLine did with a line.
struct FitResult {
    // Reading resumes this many positions before the overflowing character (the line's last
    // character when FitLine was called): 0 means the next line begins with it.
    int g = 0;
    // The width of the line after the cut and before justification, with the hyphen if one was
    // appended (so it may exceed the screen width by the hyphen's width).
    int width = 0;
    bool hyphenated = false;
};

// Shortens an overflowing line in place and justifies it.
//
// `line` holds L >= 1 characters; its last one made its width `w` exceed `screenWidth`, while
// the characters before it fit. In this order:
//  1. The character before the overflowing one, line[L-1]:
//     - a blank: the blank and the overflowing character go; g = 1 (reading resumes at that
//       blank);
//     - another break character: only the overflowing character goes; g = 0.
//  2. Otherwise, for k = L, L-1, ..., 3 (w becomes the width of line[1..k-1] at each step):
//     - break test: line[k-2] is a break character. A blank is dropped with what follows it
//       (cut from k-2); any other break character stays at the line's end (cut from k-1);
//       g = L-k+1, so the next line begins with line[k-1].
//     - hyphenation test, between X = line[k-1] and Y = line[k]: when at least three characters
//       move (k+1 < L), line[k+1] is a letter, and X is a vowel and Y a letter, or X and Y are
//       both consonants: cut from k and append "-" (its width is never checked against the
//       screen); g = L-k, so the next line begins with Y.
//     The break test of a pass comes before its hyphenation test.
//     With Hyphenation::SoftHyphens the hyphenation test is instead: X is a soft hyphen and the
//     kept characters with a "-" fit the screen; the soft hyphen goes, "-" is appended, g = L-k.
//  3. No cut found (a run of digits, asterisks or underscores; a line of two characters): the
//     line is cut at the last character that fits, that is, only the overflowing character goes;
//     g = 0.
// Every cut is followed by JustifyLine(line, (screenWidth - width) / blank width), the division
// truncated toward zero (skipped when the blank width is not positive, or when `justify` is false,
// as for a title).
//
// A line of a single character (L = 1) has nothing to give up: it is left as it is, with g = -1
// (reading goes on after it). Callers that need the next line to begin after the line's first
// reading position check that themselves (LayoutPage does).
FitResult FitLine(std::string& line, int w, int screenWidth, const CharWidthTable& widths,
                  Hyphenation rule = Hyphenation::Simple, bool justify = true);

} // namespace lumira
