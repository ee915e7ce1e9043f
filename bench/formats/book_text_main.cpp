// Writes a book's laid-out text (UTF-8, the layout every format is turned into) to standard
// output, for comparing its words with another tool's:
//   bench_book_text <book>
#include "formats/book_format.h"
#include "formats/text_layout.h"

#include <cstdio>
#include <exception>

using namespace lumira;

namespace {

class StdoutSink : public TextSink {
public:
    void Write(std::string_view bytes) override { std::fwrite(bytes.data(), 1, bytes.size(), stdout); }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <book>\n", argv[0]);
        return 2;
    }
    try {
        const std::filesystem::path book = argv[1];
        const std::optional<BookFormat> format = RecogniseBook(book);
        if (!format) {
            std::fprintf(stderr, "%s is no book\n", argv[1]);
            return 1;
        }
        StdoutSink sink;
        ConvertBook(book, *format, sink);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
