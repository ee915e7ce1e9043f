// Page layout over any text, any character widths and any screen: every page of the text in turn.
#include "preview/line_fitting.h"
#include "preview/page_layout.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

using namespace lumira;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 8) return 0;
    // The first bytes choose the screen; the rest is the text and, read as widths, its font.
    PageGeometry geometry;
    geometry.width = static_cast<int>(data[0]) * 4 - 64;
    geometry.height = static_cast<int>(data[1]) * 4 - 64;
    geometry.lineHeight = static_cast<int>(data[2] % 64) - 4;
    geometry.showSysline = (data[3] & 1) != 0;
    geometry.syslineIndex = data[3] >> 1 & 1;
    const int widthShift = data[4] % 6;
    const std::string_view text(reinterpret_cast<const char*>(data + 5), size - 5);
    const CharWidthTable widths = CharWidthTable::ForLayout(
        [&](unsigned char c) { return text.empty() ? 1 : static_cast<int>(static_cast<unsigned char>(text[c % text.size()])) >> widthShift; });

    std::int32_t start = 1;
    for (int page = 0; page < 2000; ++page) {
        const PageLayout layout = LayoutPage(text, widths, geometry, start);
        if (layout.nextPageStart <= start || layout.nextPageStart > static_cast<std::int64_t>(text.size()) + 1) break;
        start = layout.nextPageStart;
    }
    return 0;
}
