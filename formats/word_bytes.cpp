#include "formats/word_bytes.h"

#include "platform/cp1251.h"

#include <array>
#include <bit>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lumira {

namespace {

const std::array<bool, 256> kWordByte = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c) {
        const auto b = static_cast<unsigned char>(c);
        table[b] = IsLetter(b) || (b >= '0' && b <= '9') || b == kSoftHyphen;
    }
    return table;
}();

// The word bits of 16 bytes from `p`.
[[gnu::always_inline]] inline std::uint64_t SixteenBits(const char* p)
{
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const auto inRange = [](__m128i x, char first, char count) {  // first <= x < first + count, unsigned
        const __m128i shifted = _mm_sub_epi8(x, _mm_set1_epi8(first));
        return _mm_cmpeq_epi8(_mm_min_epu8(shifted, _mm_set1_epi8(static_cast<char>(count - 1))), shifted);
    };
    // Cyrillic А..я; Latin letters of either case; digits; Ё, ё and the soft hyphen.
    __m128i word = _mm_cmpeq_epi8(_mm_max_epu8(v, _mm_set1_epi8(static_cast<char>(0xC0))), v);
    word = _mm_or_si128(word, inRange(_mm_or_si128(v, _mm_set1_epi8(0x20)), 'a', 26));
    word = _mm_or_si128(word, inRange(v, '0', 10));
    word = _mm_or_si128(word, _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xA8))));
    word = _mm_or_si128(word, _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xB8))));
    word = _mm_or_si128(word, _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(kSoftHyphen))));
    return static_cast<std::uint16_t>(_mm_movemask_epi8(word));
#else
    std::uint64_t bits = 0;
    for (int i = 0; i < 16; ++i)
        bits |= std::uint64_t{kWordByte[static_cast<unsigned char>(p[i])]} << i;
    return bits;
#endif
}

} // namespace

bool IsWordByte(unsigned char c)
{
    return kWordByte[c];
}

std::span<const WordSpan> WordBytes::Find(std::string_view text, size_t shortest)
{
    const size_t size = text.size();
    // Words and gaps alternate, so there are at most half as many words as bytes, and one more
    // slot is written past the last word.
    if (size / 2 + 2 > capacity_) {
        capacity_ = size / 2 + 2;
        words_ = std::make_unique<WordSpan[]>(capacity_);
    }
    WordSpan* const out = words_.get();
    size_t count = 0;
    // A word starts at a word byte after a gap and ends at a gap byte after a word: the set bits
    // of a block's bits against the same shifted by one. Each edge is written as the end of a
    // word begun at the last start; only an end that closes a word long enough is kept.
    const char* const p = text.data();
    std::uint64_t carry = 0;  // the last bit of the block before
    std::uint32_t start = 0;
    std::uint32_t inWord = 0;
    for (size_t i = 0; i < size; i += 64) {
        std::uint64_t bits = 0;
        if (i + 64 <= size) {
            bits = SixteenBits(p + i) | SixteenBits(p + i + 16) << 16 | SixteenBits(p + i + 32) << 32 | SixteenBits(p + i + 48) << 48;
        } else {
            for (size_t k = i; k < size; ++k) bits |= std::uint64_t{kWordByte[static_cast<unsigned char>(p[k])]} << (k - i);
        }
        const std::uint64_t before = bits << 1 | carry;
        carry = bits >> 63;
        for (std::uint64_t edges = bits ^ before; edges != 0; edges &= edges - 1) {
            const auto at = static_cast<std::uint32_t>(i + static_cast<size_t>(std::countr_zero(edges)));
            start = inWord ? start : at;
            out[count] = {start, at};
            count += inWord & static_cast<std::uint32_t>(at - start >= shortest);
            inWord ^= 1;
        }
    }
    // A word running to the end; bits past the end are clear, so one that stops short of a
    // whole block was ended above.
    if (inWord && size - start >= shortest) out[count++] = {start, static_cast<std::uint32_t>(size)};
    return {out, count};
}

} // namespace lumira
