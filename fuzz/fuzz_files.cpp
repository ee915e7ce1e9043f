#include "fuzz_files.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <stdexcept>
#include <unistd.h>

namespace lumira::fuzz {

namespace fs = std::filesystem;

namespace {

void Put16(std::string& out, unsigned v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void Put32(std::string& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void WriteFile(const fs::path& path, std::string_view bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write " + path.string());
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !written) throw std::runtime_error("cannot write " + path.string());
}

} // namespace

fs::path InputPath(const char* name)
{
    static const fs::path& folder = [] () -> const fs::path& {
        static const fs::path dir = fs::temp_directory_path() / ("lumira-fuzz-" + std::to_string(getpid()));
        fs::create_directories(dir);
        // The folder goes when the run ends (a crash leaves it, with the input, for a look).
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(dir, ec);
        });
        return dir;
    }();
    return folder / name;
}

fs::path WriteInput(std::string_view bytes, const char* name)
{
    const fs::path path = InputPath(name);
    WriteFile(path, bytes);
    return path;
}

std::vector<std::string_view> SplitParts(std::string_view bytes, std::size_t count)
{
    static constexpr std::string_view kSeparator = "\n====\n";
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < count) {
        const std::size_t at = bytes.find(kSeparator);
        if (at == std::string_view::npos) break;
        parts.push_back(bytes.substr(0, at));
        bytes.remove_prefix(at + kSeparator.size());
    }
    parts.push_back(bytes);
    parts.resize(count);
    return parts;
}

void WriteStoredZip(const fs::path& archive, const std::vector<StoredEntry>& entries)
{
    std::string out, directory;
    for (const StoredEntry& e : entries) {
        const auto crc = static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(e.content.data()), static_cast<uInt>(e.content.size())));
        const auto size = static_cast<std::uint32_t>(e.content.size());
        const auto offset = static_cast<std::uint32_t>(out.size());
        Put32(out, 0x04034b50);
        Put16(out, 20), Put16(out, 0), Put16(out, 0), Put16(out, 0), Put16(out, 0x21);
        Put32(out, crc), Put32(out, size), Put32(out, size);
        Put16(out, static_cast<unsigned>(e.name.size())), Put16(out, 0);
        out += e.name;
        out += e.content;
        Put32(directory, 0x02014b50);
        Put16(directory, 20), Put16(directory, 20), Put16(directory, 0), Put16(directory, 0);
        Put16(directory, 0), Put16(directory, 0x21);
        Put32(directory, crc), Put32(directory, size), Put32(directory, size);
        Put16(directory, static_cast<unsigned>(e.name.size()));
        Put16(directory, 0), Put16(directory, 0), Put16(directory, 0), Put16(directory, 0);
        Put32(directory, 0), Put32(directory, offset);
        directory += e.name;
    }
    const auto directoryAt = static_cast<std::uint32_t>(out.size());
    out += directory;
    Put32(out, 0x06054b50);
    Put16(out, 0), Put16(out, 0);
    Put16(out, static_cast<unsigned>(entries.size())), Put16(out, static_cast<unsigned>(entries.size()));
    Put32(out, static_cast<std::uint32_t>(directory.size())), Put32(out, directoryAt);
    Put16(out, 0);
    WriteFile(archive, out);
}

} // namespace lumira::fuzz
