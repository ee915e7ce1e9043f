#pragma once
// Where in a text a character falls, by line and column, counted over the text as it is written
// in stretches. CR LF, a lone CR and a lone LF each end a line; every byte is one character
// (the text is cp1251).
#include <cstdint>

namespace lumira {

class LineCounter {
public:
    // Counts the stretch [begin, end), which follows the stretches counted before it.
    void Count(const char* begin, const char* end)
    {
        if (begin >= end) return;
        const char* lineStart = nullptr;  // just after the last break in this stretch
        std::uint64_t lines = 0;
        for (const char* p = begin; p < end; ++p) {
            const char c = *p;
            if (static_cast<unsigned char>(c) > '\r') continue;
            if (c != '\n' && c != '\r') continue;
            const bool afterCr = p > begin ? p[-1] == '\r' : lastWasCr_;
            if (!(c == '\n' && afterCr)) ++lines;
            lineStart = p + 1;
        }
        line_ += lines;
        column_ = lineStart ? static_cast<std::uint64_t>(end - lineStart) : column_ + static_cast<std::uint64_t>(end - begin);
        lastWasCr_ = end[-1] == '\r';
    }

    // The line (1-based) and column (1-based) of the character that comes next.
    std::uint64_t Line() const { return line_; }
    std::uint64_t Column() const { return column_ + 1; }

private:
    std::uint64_t line_ = 1;
    std::uint64_t column_ = 0;
    bool lastWasCr_ = false;
};

} // namespace lumira
