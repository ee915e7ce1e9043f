#pragma once
// Test helpers for ZIP archives: making templates entry by entry with minizip, reading entries
// back with minizip, and reading the raw header fields straight from the archive's bytes.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace lumira {

struct TemplateEntry {
    std::string name;              // stored bytes of the name
    std::string content;           // empty for folder entries
    unsigned long externalAttr = 0;
    unsigned long madeBy = 20;     // MS-DOS 2.0; 0x0314 for Unix 3.0
    int year = 2020, month = 1, day = 1, hour = 12, minute = 0, second = 0;
};

void MakeZip(const std::filesystem::path& archive, const std::vector<TemplateEntry>& entries);

// The reader template the builder expects: manifest (LF breaks), book.png, the reader class and
// the empty text/ folder entry.
std::vector<TemplateEntry> StandardTemplate(const std::string& manifest = "Manifest-Version: 1.0\n"
                                                                          "MIDlet-Vendor: Test\n"
                                                                          "MicroEdition-Profile: MIDP-2.0\n");

// A folder to build books in: `folder`/work with its glyph files, `folder`/template.dat made of
// the standard template, and an empty `folder`/copies for converted texts.
void LayOutBookFolder(const std::filesystem::path& folder);

// The same as the window lays it out: `folder`/temp with its glyph files, `folder`/velmar.dat made
// of the standard template, and empty `folder`/out and `folder`/scratch.
void LayOutWindowFolder(const std::filesystem::path& folder);

// Entry names in archive order and the content of one entry, read through minizip.
std::vector<std::string> EntryNames(const std::filesystem::path& archive);
std::string EntryContent(const std::filesystem::path& archive, const std::string& name);

// The book's text as a package holds it: its pieces text/chunk.0, text/chunk.1, … joined in that
// order (the archive may list them in another).
std::string BookTextOf(const std::filesystem::path& jar);

struct RawEntry {
    std::string name;
    std::uint16_t madeBy = 0, versionNeeded = 0, flags = 0, method = 0;
    std::uint16_t extraLength = 0, commentLength = 0, internalAttr = 0;
    std::uint16_t dosTime = 0, dosDate = 0;  // MS-DOS modification stamp
    std::uint32_t compressedSize = 0, size = 0, externalAttr = 0, localOffset = 0;
    // The same fields as the local header repeats them.
    std::uint16_t localVersionNeeded = 0, localMethod = 0, localExtraLength = 0;
    std::string localName;
};

struct RawArchive {
    std::vector<RawEntry> entries;  // central directory order
    std::uint16_t commentLength = 0;
    std::uint16_t entryCount = 0;   // as the end record states it
    bool hasZip64Records = false;
};

// Parses the end record, the central directory and each local header; throws on malformed data.
RawArchive ReadRawArchive(const std::filesystem::path& archive);

} // namespace lumira
