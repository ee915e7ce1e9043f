// Template extraction from any archive: names, sizes, damage; nothing may land outside the folder.
#include "book/zip_archive.h"
#include "platform/errors.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace lumira;

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const fs::path root = fs::temp_directory_path() / ("lumira-fuzz-zip-" + std::to_string(getpid()));
    std::error_code ec;
    fs::remove_all(root, ec);
    fs::create_directories(root / "out", ec);
    const fs::path archive = root / "template.dat";
    if (std::FILE* f = std::fopen(archive.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    try {
        ExtractArchive(archive, root / "out", 1 << 20);
    } catch (const AppError&) {
        // a damaged or hostile archive is refused with a message
    }
    fs::remove_all(root, ec);
    return 0;
}
