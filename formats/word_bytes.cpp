#include "formats/word_bytes.h"

#include "platform/cp1251.h"

#include <array>
#include <bit>
#include <cstring>

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
std::uint64_t SixteenBits(const char* p)
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

void WordBytes::Find(std::string_view text, size_t shortest, std::vector<WordSpan>& words)
{
    words.clear();
    const size_t size = text.size();
    bits_.assign((size + 63) / 64, 0);
    const char* p = text.data();
    size_t i = 0;
    for (; i + 64 <= size; i += 64)
        bits_[i / 64] = SixteenBits(p + i) | SixteenBits(p + i + 16) << 16 | SixteenBits(p + i + 32) << 32 |
                        SixteenBits(p + i + 48) << 48;
    for (; i < size; ++i)
        if (kWordByte[static_cast<unsigned char>(p[i])]) bits_[i / 64] |= std::uint64_t{1} << (i % 64);

    // A word starts at a word byte after a gap and ends at a gap byte after a word; the two
    // alternate, so the set bits of both together are read off in order.
    std::uint64_t carry = 0;  // the last bit of the block before
    std::uint32_t start = 0;
    bool inWord = false;
    for (size_t block = 0; block < bits_.size(); ++block) {
        const std::uint64_t word = bits_[block];
        const std::uint64_t before = word << 1 | carry;
        carry = word >> 63;
        for (std::uint64_t edges = word ^ before; edges != 0; edges &= edges - 1) {
            const auto at = static_cast<std::uint32_t>(block * 64 + static_cast<size_t>(std::countr_zero(edges)));
            if (!inWord) {
                start = at;
            } else if (at - start >= shortest) {
                words.push_back({start, at});
            }
            inWord = !inWord;
        }
    }
    // A word running to the end; bits past the end are clear, so one that stops short of a
    // whole block was ended above.
    if (inWord && size - start >= shortest) words.push_back({start, static_cast<std::uint32_t>(size)});
}

} // namespace lumira
