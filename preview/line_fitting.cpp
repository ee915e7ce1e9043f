// Character classes, width tables, justification and the shortening of overflowing lines.
#include "preview/line_fitting.h"

#include <algorithm>

namespace lumira {

namespace {

constexpr unsigned char kBlank = ' ';

// 1-based access, as the rules are written.
unsigned char At(const std::string& line, int pos)
{
    return static_cast<unsigned char>(line[static_cast<size_t>(pos - 1)]);
}

// Removes the characters from 1-based position `pos` to the end.
void CutFrom(std::string& line, int pos)
{
    line.resize(static_cast<size_t>(pos - 1));
}

} // namespace

bool IsVowel(unsigned char c)
{
    switch (c) {
    case 'a': case 'e': case 'i': case 'j': case 'o': case 'u': case 'y':
    case 184:  // ё
    case 224:  // а
    case 229:  // е
    case 232:  // и
    case 238:  // о
    case 243:  // у
    case 254:  // ю
    case 255:  // я
        return true;
    default:
        return false;
    }
}

bool IsConsonant(unsigned char c)
{
    return IsLetter(c) && !IsVowel(c);
}

bool IsBreakChar(unsigned char c)
{
    switch (c) {
    case ' ': case '!': case '.': case ',': case ';': case '?': case '-': case '+':
    case '=': case ')': case '}': case ']': case '\\': case '/': case ':': case '>':
        return true;
    default:
        return false;
    }
}

CharWidthTable CharWidthTable::ForLayout(const CharWidthFunction& measure)
{
    CharWidthTable table;
    for (int c = 32; c < 256; ++c) table.width_[c] = std::max(0, measure(static_cast<unsigned char>(c)));
    return table;
}

CharWidthTable CharWidthTable::Measured(const CharWidthFunction& measure)
{
    CharWidthTable table;
    for (int c = 0; c < 256; ++c) table.width_[c] = std::max(0, measure(static_cast<unsigned char>(c)));
    return table;
}

int CharWidthTable::TextWidth(std::string_view text) const
{
    int sum = 0;
    for (unsigned char c : text) sum += width_[c];
    return sum;
}

void JustifyLine(std::string& line, int k)
{
    if (k <= 0) return;
    const size_t length = line.size();
    const size_t first = line.find_first_not_of(static_cast<char>(kBlank));
    if (first == std::string::npos) return;
    // Counted blanks: after the first non-blank, before the last character (0-based indexes).
    int n = 0;
    for (size_t i = first + 1; i + 1 < length; ++i)
        if (line[i] == static_cast<char>(kBlank)) ++n;
    if (n == 0) return;
    const int q = k / n;
    int r = k % n;
    // Walk from the end so that insertions never shift the blanks still to visit.
    for (size_t i = length - 1; i-- > first + 1;) {
        if (line[i] != static_cast<char>(kBlank)) continue;
        int extra = q;
        if (r > 0) {
            ++extra;
            --r;
        }
        line.insert(i, static_cast<size_t>(extra), static_cast<char>(kBlank));
    }
}

FitResult FitLine(std::string& line, int w, int screenWidth, const CharWidthTable& widths, Hyphenation rule,
                  bool justify)
{
    const int length = static_cast<int>(line.size());
    const int blank = widths.Blank();
    FitResult result;
    auto finish = [&](int g) {
        result.g = g;
        result.width = w;
        if (blank > 0 && justify) JustifyLine(line, (screenWidth - w) / blank);
        return result;
    };
    if (length <= 1) {
        // A single character wider than the screen stands alone.
        result.g = -1;
        result.width = w;
        return result;
    }

    // 1. The character before the overflowing one.
    const unsigned char before = At(line, length - 1);
    if (before == kBlank) {
        w -= widths(At(line, length)) + blank;
        CutFrom(line, length - 1);
        return finish(1);
    }
    if (IsBreakChar(before)) {
        w -= widths(At(line, length));
        CutFrom(line, length);
        return finish(0);
    }

    // 2. Backward scan: in each pass the break after line[k-2], then the split after line[k-1].
    for (int k = length; k >= 3; --k) {
        w -= widths(At(line, k));  // now the width of line[1..k-1]
        const unsigned char breakChar = At(line, k - 2);
        if (IsBreakChar(breakChar)) {
            w -= widths(At(line, k - 1));
            if (breakChar == kBlank) {
                w -= blank;
                CutFrom(line, k - 2);
            } else {
                CutFrom(line, k - 1);
            }
            return finish(length - k + 1);
        }
        const unsigned char x = At(line, k - 1);
        if (rule == Hyphenation::SoftHyphens) {
            if (x == kSoftHyphen && w - widths(x) + widths('-') <= screenWidth) {
                CutFrom(line, k - 1);
                line.push_back('-');
                w += widths('-') - widths(x);
                result.hyphenated = true;
                return finish(length - k);
            }
            continue;
        }
        const unsigned char y = At(line, k);
        if (k + 1 < length && IsLetter(At(line, k + 1)) &&
            ((IsVowel(x) && IsLetter(y)) || (IsConsonant(x) && IsConsonant(y)))) {
            CutFrom(line, k);
            line.push_back('-');
            w += widths('-');
            result.hyphenated = true;
            return finish(length - k);
        }
    }

    // 3. Nowhere to break: cut at the last character that fits, the overflowing one goes alone.
    w = widths.TextWidth(line.substr(0, static_cast<size_t>(length - 1)));
    CutFrom(line, length);
    return finish(0);
}

} // namespace lumira
