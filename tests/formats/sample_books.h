#pragma once
// Small books written by the tests: an FB2 with every feature the layout knows, the same book
// in windows-1251, in ZIP, an EPUB 2 and 3 whose reading order differs from the archive's, an
// HTML file, and the texts they must give.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lumira {

// The FB2 book's XML in UTF-8, declared as `encoding` (the caller encodes it to match).
std::string SampleFb2(const std::string& encoding = "UTF-8");
// Its title and laid-out text (UTF-8, CR LF).
extern const char* const kSampleFb2Title;
extern const char* const kSampleFb2Text;

// The same bytes in windows-1251, and the book zipped as `entryName`.
std::string SampleFb2Cp1251();
void WriteFb2Zip(const std::filesystem::path& archive, const std::string& entryName = "book.fb2");

// An EPUB (version 3, or 2 without epub:type marks) with chapters stored in reverse reading
// order; its title and text.
void WriteSampleEpub(const std::filesystem::path& archive, bool epub3 = true);
extern const char* const kSampleEpubTitle;
std::string SampleEpubText(bool epub3 = true);

// A laid-out text written plainly (titles as lines without the indent, empty lines as empty
// lines) with the layout's marks put in: the title mark before every title line, the spacer mark
// in every empty line.
std::string WithLayoutMarks(std::string_view plain);

// Archives of several named entries.
struct NamedEntry {
    std::string name;
    std::string content;
};
void WriteArchive(const std::filesystem::path& archive, const std::vector<NamedEntry>& entries);

// The package files of a minimal EPUB around the given OPF (at OEBPS/content.opf).
std::vector<NamedEntry> EpubFrame(const std::string& opf);

// A UTF-8 text in windows-1251.
std::string ToCp1251(const std::string& utf8);

} // namespace lumira
