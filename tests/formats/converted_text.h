#pragma once
// A book's laid-out text, as the tests of the formats read it.
#include "formats/book_format.h"
#include "formats/text_layout.h"

#include <filesystem>
#include <string>

namespace lumira {

inline std::string ConvertedText(const std::filesystem::path& file)
{
    StringSink sink;
    ConvertBook(file, *RecogniseBook(file), sink);
    return sink.text;
}

} // namespace lumira
