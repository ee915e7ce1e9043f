#pragma once
// A book's contents: its titles and where each begins in the text the reader pages through (the
// final cp1251 bytes of its pieces). A book's titles are those its own structure gives
// (BookOutline: FB2 sections, an EPUB's navigation, HTML headings), else the lines the layout
// marks as titles; a plain text without marks gets the lines that read as headings ("Глава 5",
// "ГЛАВА V", "Часть первая", "Chapter 12", a line of Roman numerals, a short line in capitals
// between empty lines), taken only when there are two or more and they are few beside the
// ordinary lines.
#include "formats/book_outline.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lumira {

struct ContentsEntry {
    std::uint32_t position = 0;  // the title line's first byte in the text
    int level = 0;               // 0 top, one more for each level of nesting
    std::string title;           // cp1251, one line, blanks collapsed, at most kMaxContentsTitle bytes
};

inline constexpr std::size_t kMaxContentsTitle = 120;
// Titles nested deeper are shown at this level: the phone's list has no room for more indent.
inline constexpr int kMaxContentsLevel = 4;
// The phone keeps this many titles at most; a longer contents keeps its first ones.
inline constexpr std::size_t kMaxContentsEntries = 1000;
// The phone reads this many bytes of the entry at most.
inline constexpr std::size_t kMaxContentsBytes = 65536;
// The package entry that carries the contents; a book without contents has none.
inline constexpr const char* kContentsFile = "toc";

// Reads the text in order, piece by piece, and collects its contents.
class ContentsScanner {
public:
    // `bookOutline`: the text is a book's, whose own contents (BookOutline) come with Finish;
    // every line's start is kept to find their lines.
    explicit ContentsScanner(bool bookOutline = false) : keepLines_(bookOutline) {}
    void Feed(const char* bytes, std::size_t count);
    void Feed(std::string_view bytes) { Feed(bytes.data(), bytes.size()); }
    // The contents once the whole text was fed; empty when it has none. A book's own contents,
    // when its reader gave them, are these: each entry where its line begins, titled by its
    // label or else by the title written there, in the order of the text.
    std::vector<ContentsEntry> Finish(const BookOutline* outline = nullptr);

private:
    void EndLine();
    void LineEnded(std::string_view line, std::size_t length);
    void PlainCandidate(bool nextEmpty);
    std::vector<ContentsEntry> FromOutline(const BookOutline& outline);

    std::uint64_t position_ = 0;
    std::uint64_t lineStart_ = 0;
    // Bytes of a line looked at: a heading is short, a longer line is an ordinary one.
    static constexpr std::size_t kLineKept = 256;
    std::array<char, kLineKept> line_;  // the current line's first bytes shown
    std::size_t lineLength_ = 0;        // how many of them there are
    bool previousTitle_ = false;    // the line before was a marked title line
    bool previousEmpty_ = true;     // the line before was empty (or the text starts)
    std::vector<ContentsEntry> marked_;
    // A plain line that may be a heading, waiting for the next line to show whether it stands alone.
    bool pending_ = false;
    bool pendingCapitals_ = false;  // a heading only between empty lines
    ContentsEntry pendingEntry_;
    std::vector<ContentsEntry> plain_;
    std::uint64_t ordinaryLines_ = 0;
    bool keepLines_ = false;
    std::vector<std::uint32_t> lineStarts_;
};

// The contents of a whole text (cp1251), with its book's outline when there is one.
std::vector<ContentsEntry> ContentsOf(std::string_view text, const BookOutline* outline = nullptr);

// The package entry: per title its position (4 bytes, little-endian), the length of its row (1
// byte) and the row: two blanks a level, then the title. Empty for no contents; at most
// kMaxContentsBytes (the titles past that are left out).
std::string EncodeContents(const std::vector<ContentsEntry>& entries);

// Writes the entry into the book's work folder, or removes one left there when there are no contents.
void WriteContentsFile(const std::filesystem::path& folder, const std::vector<ContentsEntry>& entries);

} // namespace lumira
