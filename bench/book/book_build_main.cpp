// Builds one book from the command line, for timing the package builder from a script:
//   bench_book_build <text> <template> <work folder> <package.jar> [encoding]
// The work folder must hold fonts/default.props and fonts/default.png. With an encoding (auto,
// cp1251, utf-8, utf-16, koi8-r, cp866) the text is read in it as Create does, a converted copy
// going beside the work folder. Prints the seconds taken, and with an encoding the seconds of
// the conversion after them.
#include "book/book_builder.h"
#include "book/book_text.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <optional>

int main(int argc, char** argv)
{
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
    t_profile phone;
    phone.Name = "Bench";
    phone.LSoft = -6;
    phone.RSoft = -7;
    phone.Menu = -5;
    BookRequest request;
    request.textFile = argv[1];
    request.templateArchive = argv[2];
    request.workFolder = argv[3];
    request.jarPath = argv[4];
    request.titleCp1251 = "Bench book";
    request.profile = &phone;
    request.background = 0xFFFFFF;
    request.syslineIndex = 1;
    SettingsRecord record{};
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    std::chrono::duration<double> converting{};
    try {
        if (encoding) {
            const BookText text(request.textFile, *encoding, request.workFolder.parent_path());
            converting = Clock::now() - start;
            request.textFile = text.File();
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
