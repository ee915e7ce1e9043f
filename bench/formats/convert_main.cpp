// Times turning a book into the text a package is made from, stage by stage, for profiling
// the formats from a script:
//   bench_book_convert <book> [runs]
// Prints the best wall and CPU seconds (all threads) of: the layout alone into memory that is
// thrown away, and the whole conversion into a cp1251 file beside the book (BookTextFile).
#include "formats/book_format.h"
#include "formats/book_source.h"
#include "formats/text_layout.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <exception>
#include <functional>
#include <string>

using namespace lumira;

namespace {

class NullSink : public TextSink {
public:
    void Write(std::string_view bytes) override { size += bytes.size(); }
    std::uint64_t size = 0;
};

void Time(const char* label, int runs, const std::function<void()>& step)
{
    double wall = 1e9;
    double cpu = 1e9;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t started = std::clock();
        step();
        cpu = std::min(cpu, static_cast<double>(std::clock() - started) / CLOCKS_PER_SEC);
        wall = std::min(wall, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::printf("%-28s wall %7.3f s   cpu %7.3f s\n", label, wall, cpu);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s <book> [runs]\n", argv[0]);
        return 2;
    }
    const std::filesystem::path book = argv[1];
    const int runs = argc == 3 ? std::max(1, std::atoi(argv[2])) : 5;
    try {
        const std::optional<BookFormat> format = RecogniseBook(book);
        if (!format) {
            std::fprintf(stderr, "%s is no book\n", argv[1]);
            return 1;
        }
        Time("layout into memory", runs, [&] {
            NullSink sink;
            ConvertBook(book, *format, sink);
        });
        Time("cp1251 file (BookTextFile)", runs, [&] {
            const BookTextFile text(book, TextEncoding::Auto, std::filesystem::absolute(book).parent_path());
        });
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
