// Text decoding: every encoding, "Авто" with its detection and fall-back, whole and cut-off texts.
#include "platform/errors.h"
#include "platform/text_encoding.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace lumira;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    (void)DetectEncoding(bytes, false);
    for (const TextEncoding encoding : AllEncodings())
        for (const bool truncated : {false, true}) {
            try {
                (void)ConvertBytesToCp1251(bytes, encoding, truncated);
            } catch (const AppError&) {
                // a text invalid in that encoding is refused with a message: that is fine
            }
        }
    return 0;
}
