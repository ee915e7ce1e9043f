// Builds one book from the command line, for timing the package builder from a script:
//   bench_book_build <text> <template> <work folder> <package.jar>
// The work folder must hold fonts/default.props and fonts/default.png. Prints the seconds taken.
#include "book/book_builder.h"

#include <chrono>
#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s <text> <template> <work folder> <package.jar>\n", argv[0]);
        return 2;
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
    const auto start = std::chrono::steady_clock::now();
    try {
        BuildBook(request, record);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%.3f\n", took.count());
    return 0;
}
