// FB2 books from any bytes, handed to the reader in pieces of any size, laid out into cp1251.
#include "formats/cp1251_sink.h"
#include "formats/fb2_reader.h"
#include "formats/text_layout.h"
#include "platform/errors.h"

#include "fuzz_files.h"

#include <algorithm>
#include <cstring>

using namespace lumira;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes = fuzz::AsBytes(data, size);
    // The first byte chooses how much the source hands over per call (1 to 256 bytes, or all).
    const std::size_t piece = bytes.empty() || bytes[0] == 0 ? SIZE_MAX : static_cast<unsigned char>(bytes[0]);
    if (!bytes.empty()) bytes.remove_prefix(1);
    StringSink text;
    Cp1251TextSink sink(text);
    try {
        ReadFb2(
            [&](char* buffer, size_t count) {
                const size_t n = std::min({count, piece, bytes.size()});
                std::memcpy(buffer, bytes.data(), n);
                bytes.remove_prefix(n);
                return n;
            },
            "fuzz.fb2", sink);
        sink.Finish();
    } catch (const AppError&) {
        // a damaged book is refused with a message
    }
    return 0;
}
