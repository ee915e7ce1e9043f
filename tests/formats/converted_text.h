#pragma once
// A book's laid-out text, as the tests of the formats read it: without the layout's title and
// spacer marks (bytes 1 and 2), which the layout's own tests check.
#include "formats/book_format.h"
#include "formats/text_layout.h"

#include <algorithm>
#include <filesystem>
#include <string>

namespace lumira {

inline std::string ConvertedText(const std::filesystem::path& file)
{
    StringSink sink;
    ConvertBook(file, *RecogniseBook(file), sink);
    std::string text = std::move(sink.text);
    std::erase_if(text, [](char c) { return c == '\x01' || c == '\x02'; });
    return text;
}

} // namespace lumira
