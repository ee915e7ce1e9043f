// Cutting a text into volumes: wherever the planner asks for a cut, it is past the volume's start,
// never past the asked end unless nothing earlier will do, and the whole text is covered.
#include "book/book_volumes.h"

#include "fuzz_files.h"

#include <cstdlib>

using namespace lumira;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) return 0;
    // The first two bytes choose the volume lengths asked for; the rest is the text.
    const std::size_t stepA = data[0], stepB = std::size_t{data[1]} * 37;
    const std::string_view text = fuzz::AsBytes(data + 2, size - 2);
    std::size_t start = 0;
    for (int volume = 0; start < text.size(); ++volume) {
        const std::size_t end = start + (volume % 2 ? stepB : stepA);
        const std::size_t cut = VolumeSplitPoint(text, start, end);
        if (cut <= start || cut > text.size()) std::abort();
        if (end >= text.size() ? cut != text.size() : cut > std::max(end, start + 1)) std::abort();
        start = cut;
    }
    return 0;
}
