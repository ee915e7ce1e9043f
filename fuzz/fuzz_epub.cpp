// EPUB books: the input is cut into the package's files (container, OPF, NCX, navigation
// document and two chapters) stored in a ZIP archive, so that every one of them is mutated.
#include "formats/cp1251_sink.h"
#include "formats/epub_reader.h"
#include "formats/text_layout.h"
#include "platform/errors.h"

#include "fuzz_files.h"

using namespace lumira;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto parts = fuzz::SplitParts(fuzz::AsBytes(data, size), 6);
    const auto book = fuzz::InputPath("book.epub");
    fuzz::WriteStoredZip(book, {{"mimetype", "application/epub+zip"},
                                {"META-INF/container.xml", parts[0]},
                                {"OEBPS/content.opf", parts[1]},
                                {"OEBPS/toc.ncx", parts[2]},
                                {"OEBPS/nav.xhtml", parts[3]},
                                {"OEBPS/one.xhtml", parts[4]},
                                {"OEBPS/two.xhtml", parts[5]}});
    StringSink text;
    Cp1251TextSink sink(text);
    try {
        ReadEpub(book, sink);
        sink.Finish();
    } catch (const AppError&) {
        // a damaged book is refused with a message
    }
    return 0;
}
