#pragma once
// UTF-8 read and written one way throughout: strictly, with no overlong forms, no surrogates and
// nothing above U+10FFFF. The readers here run over whole books, so the common cases are inline.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace lumira {

// One character read from UTF-8.
struct Utf8Char {
    char32_t code = 0;
    // Bytes of a well-formed character; 0 when the bytes there are broken; kUtf8Cut when the
    // bytes end inside a character that is well-formed so far.
    int length = 0;
};
inline constexpr int kUtf8Cut = -1;

// Reads the character that starts at `p` (p < end).
inline Utf8Char ReadUtf8(const unsigned char* p, const unsigned char* end)
{
    const unsigned c = *p;
    if (c < 0x80) return {c, 1};
    int length;
    char32_t code;
    char32_t least;
    if (c >= 0xC2 && c <= 0xDF) { length = 2; code = c & 0x1F; least = 0x80; }
    else if (c >= 0xE0 && c <= 0xEF) { length = 3; code = c & 0x0F; least = 0x800; }
    else if (c >= 0xF0 && c <= 0xF4) { length = 4; code = c & 0x07; least = 0x10000; }
    else return {0, 0};
    for (int i = 1; i < length; ++i) {
        if (p + i == end) return {0, kUtf8Cut};
        if ((p[i] & 0xC0) != 0x80) return {0, 0};
        code = code << 6 | (p[i] & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {0, 0};
    return {code, length};
}

// Length of the well-formed UTF-8 character that starts at bytes[i], or 0 when none does there.
size_t Utf8SequenceLength(std::string_view bytes, size_t i);

// What a check of a whole UTF-8 text found.
struct Utf8Check {
    bool valid = false;
    bool multibyte = false;  // a character beyond ASCII was among them
};
// Checks `bytes`; a character cut off at their very end counts as well-formed when `truncated`.
Utf8Check CheckUtf8(std::string_view bytes, bool truncated);

void AppendUtf8(std::string& out, char32_t code);

// Converts, from `p` on, the plain run of ASCII and of two-byte characters that `toCp1251` (a
// table of code points below 0x800 at least, -1 for none) maps, as Russian text is mostly made
// of; stops at anything else, or one byte before the end, and returns where. `dst` moves past
// what was written, one byte for each character.
inline const unsigned char* Utf8RunToCp1251(const unsigned char* p, const unsigned char* end, char*& dst,
                                            const std::int16_t* toCp1251)
{
    char* out = dst;
    while (end - p >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ull) break;
        std::memcpy(out, p, 8);
        p += 8;
        out += 8;
    }
    while (end - p >= 2) {
        const unsigned c = p[0];
        const unsigned t = p[1];
        const bool ascii = c < 0x80;
        const bool pair = c - 0xC2u <= 0xDFu - 0xC2u && (t & 0xC0u) == 0x80u;
        const int mapped = toCp1251[(c & 0x1Fu) << 6 | (t & 0x3Fu)];
        const int b = ascii ? static_cast<int>(c) : mapped;
        if (!(ascii || pair) || b < 0) break;
        *out++ = static_cast<char>(b);
        p += 1 + static_cast<int>(pair);
    }
    dst = out;
    return p;
}

// The start of a character cut at the end of one piece of a stream, finished by the next piece.
class Utf8Carry {
public:
    bool Empty() const { return size_ == 0; }
    // Where the held character starts, counted in bytes from the stream's start.
    std::uint64_t Position() const { return position_; }
    size_t Size() const { return size_; }

    // Keeps the bytes [p, end), a character cut off (ReadUtf8 said kUtf8Cut), starting at
    // `position` in the stream.
    void Hold(const unsigned char* p, const unsigned char* end, std::uint64_t position)
    {
        size_ = static_cast<size_t>(end - p);
        std::memcpy(bytes_, p, size_);
        position_ = position;
    }

    // Reads the held character on with the start of `next`. Well-formed: `taken` is how many
    // bytes of `next` it used, and nothing is held any more. Broken: `taken` is 0 and the held
    // bytes stay for the caller to drop (Clear). Still cut: all of `next` joins the held bytes.
    Utf8Char Resume(std::string_view next, size_t& taken)
    {
        unsigned char joined[8];
        const size_t added = next.size() < 4 ? next.size() : 4;
        std::memcpy(joined, bytes_, size_);
        std::memcpy(joined + size_, next.data(), added);
        const Utf8Char read = ReadUtf8(joined, joined + size_ + added);
        taken = 0;
        if (read.length == kUtf8Cut) {
            taken = added;
            size_ += added;
            std::memcpy(bytes_, joined, size_);
        } else if (read.length > 0) {
            taken = static_cast<size_t>(read.length) - size_;
            size_ = 0;
        }
        return read;
    }

    void Clear() { size_ = 0; }

private:
    unsigned char bytes_[4] = {};
    size_t size_ = 0;
    std::uint64_t position_ = 0;
};

} // namespace lumira
