// Builds one book from the command line, for timing the package builder from a script:
//   bench_book_build [--threads N] <text> <template> <work folder> <package.jar> [encoding]
//   bench_book_build --engines <text>
// The work folder must hold fonts/default.props and fonts/default.png. With an encoding (auto,
// cp1251, utf-8, utf-16, koi8-r, cp866) the text is read in it as Create does, a converted copy
// going beside the work folder (a book is laid out while the package is built). Prints the
// seconds taken, and with an encoding the seconds of the conversion before the build after them. --engines compresses the text's 32767-byte pieces with zlib and
// with libdeflate at the archive's level on one thread and prints each one's best CPU time and
// total size, then libdeflate's own levels 6, 8 and 9 (run_bench.sh runs it on each kind of text
// it makes).
#include "book/book_builder.h"
#include "book/book_text.h"
#include "book/deflate_engine.h"
#include "platform/files.h"

#include <libdeflate.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <vector>

using namespace lumira;

namespace {

// Best CPU time of three runs and the total size of the text's 32767-byte pieces compressed one
// by one by `compress`.
template <class Compress>
void TimePieces(const char* label, const std::string& text, Compress compress)
{
    constexpr std::size_t kPiece = 32767;
    double best = 1e9;
    std::size_t size = 0;
    for (int run = 0; run < 3; ++run) {
        const std::clock_t start = std::clock();
        size = 0;
        for (std::size_t at = 0; at < text.size(); at += kPiece)
            size += compress(text.data() + at, std::min(kPiece, text.size() - at));
        best = std::min(best, static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
    }
    std::printf("%-24s %7.3f s of CPU, %10zu bytes (%.2f%% of %zu)\n", label, best, size,
                100.0 * static_cast<double>(size) / static_cast<double>(text.size()), text.size());
}

int CompareEngines(const char* textFile)
{
    const std::string text = ReadFileBytes(textFile);
    std::vector<char> packed;
    for (const DeflateEngine engine : {DeflateEngine::Zlib, DeflateEngine::Libdeflate}) {
        RawDeflater deflater(engine, kArchiveLevel);
        const std::string label = std::string(DeflateEngineName(engine)) + " at level " + std::to_string(kArchiveLevel);
        TimePieces(label.c_str(), text, [&](const char* data, std::size_t size) {
            deflater.Compress(data, size, packed);
            return packed.size();
        });
    }
    // libdeflate's own levels around the one it is used at, for the choice of that level.
    for (const int level : {6, 8, 9}) {
        libdeflate_compressor* c = libdeflate_alloc_compressor(level);
        packed.resize(libdeflate_deflate_compress_bound(c, 32767));
        const std::string label = "  libdeflate's own " + std::to_string(level);
        TimePieces(label.c_str(), text, [&](const char* data, std::size_t size) {
            return libdeflate_deflate_compress(c, data, size, packed.data(), packed.size());
        });
        libdeflate_free_compressor(c);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--engines") return CompareEngines(argv[2]);
    unsigned threads = 0;
    if (argc > 2 && std::string(argv[1]) == "--threads") {
        threads = static_cast<unsigned>(std::stoul(argv[2]));
        argv += 2;
        argc -= 2;
    }
    if (argc != 5 && argc != 6) {
        std::fprintf(stderr, "usage: %s <text> <template> <work folder> <package.jar> [encoding]\n", argv[0]);
        return 2;
    }
    std::optional<TextEncoding> encoding;
    if (argc == 6) {
        encoding = EncodingFromKey(argv[5]);
        if (!encoding) {
            std::fprintf(stderr, "unknown encoding %s\n", argv[5]);
            return 2;
        }
    }
    PhoneProfile phone;
    phone.Name = "Bench";
    phone.LSoft = -6;
    phone.RSoft = -7;
    phone.Menu = -5;
    BookRequest request;
    request.templateArchive = argv[2];
    request.workFolder = argv[3];
    request.jarPath = argv[4];
    request.title = "Bench book";
    request.profile = &phone;
    request.background = 0xFFFFFF;
    request.syslineIndex = 1;
    request.threads = threads;
    SettingsRecord record{};
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    std::chrono::duration<double> converting{};
    try {
        request.textFile = TextFile(std::filesystem::path(argv[1]));
        if (encoding) {
            // A book is laid out while the package is built, as Create does it.
            const BookText text(request.textFile, *encoding, request.workFolder.parent_path(), BookText::Streamed{});
            converting = Clock::now() - start;
            text.Into(request);
            BuildBook(request, record);
        } else {
            BuildBook(request, record);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    const std::chrono::duration<double> took = Clock::now() - start;
    if (encoding) std::printf("%.3f %.3f\n", took.count(), converting.count());
    else std::printf("%.3f\n", took.count());
    return 0;
}
