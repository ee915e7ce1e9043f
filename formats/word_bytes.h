#pragma once
// Where the words of a cp1251 text lie, as one bit per byte: a word is a run of letters, digits
// and soft hyphens. The bits are worked out sixteen bytes at a time, and the words' starts and
// ends then read off a machine word of bits at a time, without a branch on each word, so that a
// long text is not walked byte by byte with a branch at every one.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

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
    // The words of `text` at least `shortest` bytes long, in order; valid until the next Find.
    // `text` may be at most 4 GiB long.
    std::span<const WordSpan> Find(std::string_view text, size_t shortest);

private:
    std::unique_ptr<WordSpan[]> words_;
    size_t capacity_ = 0;
};

} // namespace lumira
