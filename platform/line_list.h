#pragma once
// Line lists: text files read as lines and written back with CR LF after every line.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lumira {

using LineList = std::vector<std::string>;

// Splits at CR LF, a lone CR and a lone LF; a final line without a break is still a line; a break
// at the very end adds no empty line; blank lines elsewhere stay; reading stops at a zero byte.
LineList SplitLines(std::string_view bytes);
// A text as the preview and the book read it: split as SplitLines does, except that a zero byte
// does not end it but is left out (a stray one is damage, not the text's end); `zeroBytes`
// receives how many were left out.
LineList SplitTextLines(std::string_view bytes, std::uint64_t* zeroBytes = nullptr);
// Every line, the last included, followed by CR LF; no byte-order mark. The string has room for
// `spare` bytes more, for a text that grows where it stands.
std::string JoinLines(const LineList& lines, size_t spare = 0);

LineList ReadLineList(const std::filesystem::path& path);  // "Cannot open file %s"
void WriteLineList(const std::filesystem::path& path, const LineList& lines);

} // namespace lumira
