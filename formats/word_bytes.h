#pragma once
// Where the words of a cp1251 text lie, as one bit per byte: a word is a run of letters, digits
// and soft hyphens. The bits are worked out sixteen bytes at a time, and the words' starts and
// ends then found a machine word of bits at a time, so that a long text is not walked byte by
// byte with a branch at every one.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace lumira {

// Whether byte `c` belongs to a word.
bool IsWordByte(unsigned char c);

class WordBytes {
public:
    // Marks the bytes of `text` that belong to a word; the text itself is not kept.
    void Mark(std::string_view text);
    size_t Size() const { return size_; }
    // The first byte from `from` on that belongs to a word, or Size() when there is none.
    size_t NextWordByte(size_t from) const { return Next(from, 0); }
    // The first byte from `from` on that belongs to no word, or Size() when there is none.
    size_t NextGapByte(size_t from) const { return Next(from, ~std::uint64_t{0}); }

private:
    // The first bit from `from` on that differs from `flip`'s.
    size_t Next(size_t from, std::uint64_t flip) const
    {
        size_t at = from / 64;
        if (at >= bits_.size()) return size_;
        std::uint64_t bits = (bits_[at] ^ flip) & (~std::uint64_t{0} << (from % 64));
        while (bits == 0) {
            if (++at == bits_.size()) return size_;
            bits = bits_[at] ^ flip;
        }
        const size_t found = at * 64 + static_cast<size_t>(std::countr_zero(bits));
        return found < size_ ? found : size_;
    }

    std::vector<std::uint64_t> bits_;  // bit i % 64 of bits_[i / 64]: byte i belongs to a word
    size_t size_ = 0;
};

} // namespace lumira
