#include "platform/line_list.h"

#include "platform/files.h"

namespace lumira {

LineList SplitLines(std::string_view bytes)
{
    const size_t zero = bytes.find('\0');
    if (zero != std::string_view::npos) bytes = bytes.substr(0, zero);
    LineList lines;
    size_t start = 0;
    size_t i = 0;
    while (i < bytes.size()) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(bytes.substr(start, i - start));
            i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
    return lines;
}

LineList SplitTextLines(std::string_view bytes, std::uint64_t* zeroBytes)
{
    const size_t firstZero = bytes.find('\0');
    if (zeroBytes) *zeroBytes = 0;
    if (firstZero == std::string_view::npos) return SplitLines(bytes);
    std::string kept;
    kept.reserve(bytes.size());
    for (const char c : bytes)
        if (c != '\0') kept += c;
    if (zeroBytes) *zeroBytes = bytes.size() - kept.size();
    return SplitLines(kept);
}

std::string JoinLines(const LineList& lines, size_t spare)
{
    size_t total = 0;
    for (const auto& line : lines) total += line.size() + 2;
    std::string out;
    out.reserve(total + spare);
    for (const auto& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

LineList ReadLineList(const std::filesystem::path& path)
{
    return SplitLines(ReadFileBytes(path));
}

void WriteLineList(const std::filesystem::path& path, const LineList& lines)
{
    WriteFileBytes(path, JoinLines(lines));
}

} // namespace lumira
