// A single HTML or XHTML file in each encoding a person may choose for it.
#include "formats/cp1251_sink.h"
#include "formats/html_reader.h"
#include "formats/text_layout.h"
#include "platform/errors.h"

#include "fuzz_files.h"

using namespace lumira;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto file = fuzz::WriteInput(fuzz::AsBytes(data, size), "page.html");
    // One encoding per input, chosen by its size, so that each is met as often as the others.
    const TextEncoding chosen = AllEncodings()[size % AllEncodings().size()];
    StringSink text;
    Cp1251TextSink sink(text);
    try {
        ReadHtmlFile(file, sink, chosen);
        sink.Finish();
    } catch (const AppError&) {
        // a page that cannot be read is refused with a message
    }
    return 0;
}
