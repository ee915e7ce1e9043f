// Telling books from plain texts by their content, and the encoding of a plain text; an FB2 in an
// archive, once recognised, is read to its end.
#include "formats/book_format.h"
#include "formats/cp1251_sink.h"
#include "formats/text_layout.h"
#include "platform/errors.h"
#include "platform/text_encoding.h"

#include "fuzz_files.h"

using namespace lumira;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto path = fuzz::WriteInput(fuzz::AsBytes(data, size), "book");
    try {
        const TextFile file(path);
        (void)DetectFileEncoding(file);
        const std::optional<BookFormat> format = RecogniseBook(file);
        if (format == BookFormat::Fb2Zip) {
            StringSink text;
            Cp1251TextSink sink(text);
            ConvertBook(file, *format, sink);
            sink.Finish();
        }
    } catch (const AppError&) {
        // an archive without a book, or a damaged one, is refused with a message
    }
    return 0;
}
