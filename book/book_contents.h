#pragma once
// A book's contents: its titles and where each begins in the text the reader pages through (the
// final cp1251 bytes of its pieces). Titles are the lines the layout marks as titles (books); a
// plain text without marks gets the lines that read as headings ("Глава 5", "ГЛАВА V", "Часть
// первая", "Chapter 12", a line of Roman numerals, a short line in capitals between empty lines),
// taken only when there are two or more and they are few beside the ordinary lines.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lumira {

struct ContentsEntry {
    std::uint32_t position = 0;  // the title line's first byte in the text
    int level = 0;               // 0 top, 1 nested
    std::string title;           // cp1251, one line, blanks collapsed, at most kMaxContentsTitle bytes
};

inline constexpr std::size_t kMaxContentsTitle = 120;
// The phone keeps this many titles at most; a longer contents keeps its first ones.
inline constexpr std::size_t kMaxContentsEntries = 1000;
// The phone reads this many bytes of the entry at most.
inline constexpr std::size_t kMaxContentsBytes = 65536;
// The package entry that carries the contents; a book without contents has none.
inline constexpr const char* kContentsFile = "toc";

// Reads the text in order, piece by piece, and collects its contents.
class ContentsScanner {
public:
    void Feed(const char* bytes, std::size_t count);
    void Feed(std::string_view bytes) { Feed(bytes.data(), bytes.size()); }
    // The contents once the whole text was fed; empty when it has none.
    std::vector<ContentsEntry> Finish();

private:
    void EndLine();
    void PlainCandidate(bool nextEmpty);

    std::uint64_t position_ = 0;
    std::uint64_t lineStart_ = 0;
    std::string line_;              // the current line's first bytes
    std::size_t lineLength_ = 0;    // all its bytes but the line break
    bool previousTitle_ = false;    // the line before was a marked title line
    bool previousEmpty_ = true;     // the line before was empty (or the text starts)
    std::vector<ContentsEntry> marked_;
    // A plain line that may be a heading, waiting for the next line to show whether it stands alone.
    bool pending_ = false;
    bool pendingCapitals_ = false;  // a heading only between empty lines
    ContentsEntry pendingEntry_;
    std::vector<ContentsEntry> plain_;
    std::uint64_t ordinaryLines_ = 0;
};

// The contents of a whole text (cp1251).
std::vector<ContentsEntry> ContentsOf(std::string_view text);

// The package entry: per title its position (4 bytes, little-endian), the length of its row (1
// byte) and the row: two blanks a level, then the title. Empty for no contents; at most
// kMaxContentsBytes (the titles past that are left out).
std::string EncodeContents(const std::vector<ContentsEntry>& entries);

// Writes the entry into the book's work folder, or removes one left there when there are no contents.
void WriteContentsFile(const std::filesystem::path& folder, const std::vector<ContentsEntry>& entries);

} // namespace lumira
