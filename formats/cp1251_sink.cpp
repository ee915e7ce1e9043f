#include "formats/cp1251_sink.h"

#include "platform/cp1251.h"
#include "platform/cp1251_fallback.h"

#include <array>
#include <cstring>

namespace lumira {

namespace {

inline bool Continuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// The length of the UTF-8 character a lead byte starts (1 for a byte that starts none).
inline size_t SequenceLength(unsigned char c)
{
    if (c >= 0xC2 && c <= 0xDF) return 2;
    if (c >= 0xE0 && c <= 0xEF) return 3;
    if (c >= 0xF0 && c <= 0xF4) return 4;
    return 1;
}

} // namespace

Cp1251TextSink::Cp1251TextSink(TextSink& out) : out_(out)
{
    report_.encoding = TextEncoding::Utf8;
}

void Cp1251TextSink::Write(std::string_view utf8)
{
    if (!pending_.empty()) {
        // Finish the character cut at the end of the last call, then go on with the rest.
        const size_t want = SequenceLength(static_cast<unsigned char>(pending_[0]));
        const size_t take = std::min(want - pending_.size(), utf8.size());
        pending_.append(utf8.substr(0, take));
        utf8.remove_prefix(take);
        if (pending_.size() < want && utf8.empty()) return;
        std::string whole = std::move(pending_);
        pending_.clear();
        Write(whole);
    }
    if (utf8.empty()) return;
    const std::int16_t* const table = UnicodeToCp1251Table().data();
    // The output begins with the letter held back from the last call, so that a combining mark
    // this call starts with still joins with it (и + ̆ → й), as it would within one call.
    buffer_.resize(1 + utf8.size());
    char* const start = buffer_.data();
    *start = heldBack_;
    char* dst = start + holding_;
    counted_ = dst;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* const end = p + utf8.size();
    while (p < end) {
        // ASCII eight bytes at a time, then ASCII and two-byte characters cp1251 has (Cyrillic
        // among them) one by one; anything else below.
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if (word & 0x8080808080808080ull) break;
            std::memcpy(dst, p, 8);
            p += 8;
            dst += 8;
        }
        while (p < end) {
            const unsigned c = p[0];
            if (c < 0x80) {
                *dst++ = static_cast<char>(c);
                ++p;
                continue;
            }
            if (c - 0xC2u > 0xDFu - 0xC2u || end - p < 2 || !Continuation(p[1])) break;
            const int b = table[(c & 0x1Fu) << 6 | (p[1] & 0x3Fu)];
            if (b < 0) break;
            *dst++ = static_cast<char>(b);
            p += 2;
        }
        if (p == end) break;
        const unsigned char c = *p;
        const size_t n = SequenceLength(c);
        if (static_cast<size_t>(end - p) < n) {
            bool cut = true;  // a character's start at the very end waits for the next call
            for (const auto* q = p + 1; q < end; ++q) cut = cut && Continuation(*q);
            if (cut && n > 1) {
                pending_.assign(reinterpret_cast<const char*>(p), static_cast<size_t>(end - p));
                break;
            }
        }
        char32_t u = 0xFFFD;  // a broken sequence counts as one character cp1251 lacks
        size_t used = 1;
        if (n == 2 && Continuation(p[1])) {
            u = (c & 0x1Fu) << 6 | (p[1] & 0x3Fu);
            used = 2;
        } else if (n == 3 && static_cast<size_t>(end - p) >= 3 && Continuation(p[1]) && Continuation(p[2])) {
            const char32_t v = (c & 0x0Fu) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
            if (v >= 0x800 && (v < 0xD800 || v > 0xDFFF)) {
                u = v;
                used = 3;
            }
        } else if (n == 4 && static_cast<size_t>(end - p) >= 4 && Continuation(p[1]) && Continuation(p[2]) &&
                   Continuation(p[3])) {
            const char32_t v = (c & 0x07u) << 18 | (p[1] & 0x3Fu) << 12 | (p[2] & 0x3Fu) << 6 | (p[3] & 0x3Fu);
            if (v >= 0x10000 && v <= 0x10FFFF) {
                u = v;
                used = 4;
            }
        }
        p += used;
        const int b = u < kCp1251ReverseSize ? table[u] : -1;
        if (b >= 0) *dst++ = static_cast<char>(b);
        else if (char* formEnd = PutCp1251Form(u, start, dst)) dst = formEnd;  // its closest form
        else dst = Replace(u, dst);
    }
    if (report_.replaced == 0) Count(dst);
    // All but the last byte goes out; that one is held back in turn.
    holding_ = dst > start;
    if (!holding_) return;
    heldBack_ = dst[-1];
    const size_t ready = static_cast<size_t>(dst - start) - 1;
    report_.bytesWritten += ready;
    if (ready > 0) out_.Write(std::string_view(start, ready));
}

const ConversionReport& Cp1251TextSink::Finish()
{
    if (holding_) {
        holding_ = false;
        report_.bytesWritten += 1;
        out_.Write(std::string_view(&heldBack_, 1));
    }
    if (!pending_.empty()) {
        // Nothing more comes: the cut character is broken.
        pending_.clear();
        char mark;
        counted_ = &mark;
        Replace(0xFFFD, &mark);
        report_.bytesWritten += 1;
        out_.Write("?");
    }
    return report_;
}

char* Cp1251TextSink::Replace(char32_t u, char* dst)
{
    if (report_.replaced++ == 0) {
        Count(dst);
        report_.firstReplaced = u;
        report_.firstLine = line_;
        report_.firstColumn = column_ + 1;
    }
    *dst = '?';
    return dst + 1;
}

// Lines and the column over this call's output up to `end`; the laid-out text breaks its lines
// with CR LF only, so each LF ends one.
void Cp1251TextSink::Count(const char* end)
{
    const char* p = counted_;
    const char* lineStart = nullptr;
    while (p < end) {
        const void* at = std::memchr(p, '\n', static_cast<size_t>(end - p));
        if (!at) break;
        ++line_;
        p = static_cast<const char*>(at) + 1;
        lineStart = p;
    }
    column_ = lineStart ? static_cast<std::uint64_t>(end - lineStart) : column_ + static_cast<std::uint64_t>(end - counted_);
    counted_ = end;
}

} // namespace lumira
