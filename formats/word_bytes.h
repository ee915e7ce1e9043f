#pragma once
// Where the words of a cp1251 text lie, as one bit per byte: a word is a run of letters, digits
// and soft hyphens. The bits are worked out sixteen bytes at a time, and the words' starts and
// ends then read off a machine word of bits at a time, so that a long text is not walked byte
// by byte with a branch at every one.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace lumira {

// Whether byte `c` belongs to a word.
bool IsWordByte(unsigned char c);

// A word's bytes in a text: [start, end).
struct WordSpan {
    std::uint32_t start;
    std::uint32_t end;
};

class WordBytes {
public:
    // The words of `text` at least `shortest` bytes long, in order, into `words` (emptied first).
    // `text` may be at most 4 GiB long.
    void Find(std::string_view text, size_t shortest, std::vector<WordSpan>& words);

private:
    std::vector<std::uint64_t> bits_;  // bit i % 64 of bits_[i / 64]: byte i belongs to a word
};

} // namespace lumira
