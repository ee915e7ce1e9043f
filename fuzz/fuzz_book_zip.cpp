// The archive reader books are read through: any bytes as an archive, every entry opened,
// streamed and read whole; an entry never yields more than its directory promised.
#include "formats/zip_reader.h"
#include "platform/errors.h"

#include "fuzz_files.h"

#include <cstdlib>
#include <vector>

using namespace lumira;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto file = fuzz::WriteInput(fuzz::AsBytes(data, size), "book.zip");
    try {
        ZipReader zip(file);
        std::vector<char> buffer(4096);
        for (const ZipEntry& entry : zip.Entries()) {
            if (zip.Find(entry.name) == nullptr) std::abort();
            try {
                zip.Open(entry);
                std::uint64_t total = 0;
                for (size_t n; (n = zip.Read(buffer.data(), buffer.size())) > 0;) total += n;
                zip.Close();
                if (total != entry.size) std::abort();
            } catch (const AppError&) {
            }
            try {
                if (zip.ReadWhole(entry, 1 << 20).size() != entry.size) std::abort();
            } catch (const AppError&) {
            }
        }
    } catch (const AppError&) {
        // not an archive, or a damaged one: refused with a message
    }
    return 0;
}
