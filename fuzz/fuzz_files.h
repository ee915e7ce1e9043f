#pragma once
// What the book harnesses share: the input as a file (the readers take open files), and an
// input cut into the named entries of a stored ZIP archive, so that mutations reach the XML
// inside an archive instead of breaking its checksums.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lumira::fuzz {

// A file `name` in a folder of this process's own under the temporary folder.
std::filesystem::path InputPath(const char* name);
// That file, holding `bytes`; rewritten per input.
std::filesystem::path WriteInput(std::string_view bytes, const char* name);

// The parts of `bytes` between separator lines "\n====\n"; missing parts are empty.
std::vector<std::string_view> SplitParts(std::string_view bytes, std::size_t count);

struct StoredEntry {
    std::string name;
    std::string_view content;
};
// Writes the entries, uncompressed, as a ZIP archive at `archive`.
void WriteStoredZip(const std::filesystem::path& archive, const std::vector<StoredEntry>& entries);

inline std::string_view AsBytes(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

} // namespace lumira::fuzz
