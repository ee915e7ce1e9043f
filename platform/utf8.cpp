#include "platform/utf8.h"

namespace lumira {

size_t Utf8SequenceLength(std::string_view bytes, size_t i)
{
    if (i >= bytes.size()) return 0;
    const auto* const begin = reinterpret_cast<const unsigned char*>(bytes.data());
    const Utf8Char read = ReadUtf8(begin + i, begin + bytes.size());
    return read.length > 0 ? static_cast<size_t>(read.length) : 0;
}

Utf8Check CheckUtf8(std::string_view bytes, bool truncated)
{
    Utf8Check check;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const Utf8Char read = ReadUtf8(p, end);
        if (read.length == kUtf8Cut) {
            check.valid = truncated;
            return check;
        }
        if (read.length == 0) return check;
        check.multibyte = true;
        p += read.length;
    }
    check.valid = true;
    return check;
}

void AppendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

} // namespace lumira
