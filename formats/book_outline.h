#pragma once
// A book's contents as its own structure gives them: FB2's nested sections, an EPUB's navigation
// document or NCX, HTML's headings. Each entry names the line of the laid-out text where it
// begins; the book's builder turns lines into positions in the final text.
#include "formats/text_layout.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lumira {

struct OutlineEntry {
    std::uint64_t line = 0;  // the laid-out text's line (0 the first, empty lines counted)
    int level = 0;           // 0 top, one more for each level of nesting
    std::string label;       // UTF-8; empty: the title written on that line
};

struct BookOutline {
    // The book's reader told its contents (possibly none): titles outside them are no chapters.
    bool given = false;
    std::vector<OutlineEntry> entries;
};

// A title or target wanted in the contents, by the place named for it (LayoutWriter::Place).
struct OutlineWish {
    std::string place;
    int level = 0;
    std::string label;
};

// The wishes whose places were written, in the wishes' order; the others are left out. Levels
// are moved so that the highest one present is 0.
std::vector<OutlineEntry> ResolveOutline(const std::vector<OutlineWish>& wishes, const LayoutWriter& writer);

} // namespace lumira
