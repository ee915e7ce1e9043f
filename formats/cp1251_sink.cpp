#include "formats/cp1251_sink.h"

#include "platform/cp1251.h"
#include "platform/cp1251_fallback.h"
#include "platform/utf8.h"

namespace lumira {

Cp1251TextSink::Cp1251TextSink(TextSink& out) : out_(out)
{
    report_.encoding = TextEncoding::Utf8;
}

void Cp1251TextSink::Write(std::string_view utf8)
{
    if (utf8.empty()) return;
    const std::int16_t* const table = UnicodeToCp1251Table().data();
    // The output begins with the letter held back from the last call, so that a combining mark
    // this call starts with still joins with it (и + ̆ → й), as it would within one call. A
    // character cut at the end of the last call may add as many bytes as it held.
    buffer_.resize(1 + carry_.Size() + utf8.size());
    char* const start = buffer_.data();
    *start = heldBack_;
    char* dst = start + holding_;
    counted_ = dst;
    if (!carry_.Empty()) {
        // Finish the character cut at the end of the last call, then go on with the rest.
        size_t taken = 0;
        const Utf8Char read = carry_.Resume(utf8, taken);
        if (read.length == kUtf8Cut) return;
        if (read.length > 0) {
            dst = Put(read.code, start, dst);
            utf8.remove_prefix(taken);
        } else {
            // Broken: its lead and each byte after it count as one character cp1251 lacks.
            for (size_t i = 0; i < carry_.Size(); ++i) dst = Put(0xFFFD, start, dst);
            carry_.Clear();
        }
    }
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* const end = p + utf8.size();
    while (p < end) {
        p = Utf8RunToCp1251(p, end, dst, table);
        if (p == end) break;
        const Utf8Char read = ReadUtf8(p, end);
        if (read.length == kUtf8Cut) {
            // A character's start at the very end waits for the next call.
            carry_.Hold(p, end, 0);
            break;
        }
        // A broken sequence: its first byte counts as one character cp1251 lacks.
        dst = Put(read.length > 0 ? read.code : 0xFFFD, start, dst);
        p += read.length > 0 ? read.length : 1;
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
    if (!carry_.Empty()) {
        // Nothing more comes: the cut character is broken.
        carry_.Clear();
        char mark;
        counted_ = &mark;
        Replace(0xFFFD, &mark);
        report_.bytesWritten += 1;
        out_.Write("?");
    }
    return report_;
}

char* Cp1251TextSink::Put(char32_t u, char* start, char* dst)
{
    const int b = u < kCp1251ReverseSize ? UnicodeToCp1251Table()[u] : -1;
    if (b >= 0) {
        *dst = static_cast<char>(b);
        return dst + 1;
    }
    if (char* formEnd = PutCp1251Form(u, start, dst)) return formEnd;  // its closest form
    return Replace(u, dst);
}

char* Cp1251TextSink::Replace(char32_t u, char* dst)
{
    if (report_.replaced == 0) Count(dst);
    report_.CountReplaced(u, lines_);
    *dst = '?';
    return dst + 1;
}

// Lines and the column over this call's output up to `end`.
void Cp1251TextSink::Count(const char* end)
{
    lines_.Count(counted_, end);
    counted_ = end;
}

} // namespace lumira
