#pragma once
// Reading books out of ZIP archives (FB2 in ZIP, EPUB), with guards against archives made to
// exhaust the machine: an entry larger than 2 GiB, or one whose compression ratio no real text
// reaches, is refused before it is read, and no entry yields more than its directory promised.
#include "platform/files.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lumira {

// An entry's modification time as stored (local time, to the even second).
struct ZipTime {
    int year = 1980;
    int month = 0;  // 0 = January, as in std::tm
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

struct ZipEntry {
    std::string name;             // as stored, "/" separators
    std::uint64_t size = 0;       // uncompressed
    std::uint64_t packed = 0;     // compressed
    bool encrypted = false;
    bool utf8Name = false;        // the name is UTF-8 by its flag, else in code page 866
    ZipTime modified;
    unsigned madeBy = 0;          // "version made by": its high byte is the system (3: Unix)
    std::uint32_t attributes = 0; // external: MS-DOS bits low, Unix mode high
    std::uint64_t directoryAt = 0;  // where minizip finds it again without a search
    std::uint64_t entryNumber = 0;
};

// True when the file starts like a ZIP archive.
bool LooksLikeZip(std::string_view head);

class ZipReader {
public:
    // A file that is not a readable ZIP archive is refused with a message naming it. The archive
    // is read through `archive` as it was opened; several readers may read one open file at once.
    explicit ZipReader(const TextFile& archive);
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    const std::vector<ZipEntry>& Entries() const { return entries_; }
    // The entry of that name (compared exactly, then without regard to ASCII case), or nullptr.
    const ZipEntry* Find(std::string_view name) const;

    // Refuses an entry the guards below do not let through (encrypted, too large, a bomb's
    // ratio), with a message naming it.
    void Check(const ZipEntry& entry) const;
    // Opens an entry for reading in pieces; `Read` returns 0 at its end. Only one entry is open
    // at a time. Guards are checked on opening.
    void Open(const ZipEntry& entry);
    size_t Read(char* buffer, size_t count);
    // Ends reading; a damaged entry (CRC) is reported when it was read to its end.
    void Close();

    // A whole entry in memory; entries above `limit` bytes are refused.
    std::string ReadWhole(const ZipEntry& entry, std::uint64_t limit);
    // Streams an entry into `out`, checked as Read and Close check it; a failure to write names
    // `shownAs`.
    void CopyTo(const ZipEntry& entry, OutFile& out, const std::filesystem::path& shownAs);

    const std::filesystem::path& Path() const { return path_; }

private:
    [[noreturn]] void Damaged(const std::string& entry) const;

    TextFile file_;
    std::filesystem::path path_;
    void* unz_ = nullptr;
    std::vector<ZipEntry> entries_;
    const ZipEntry* open_ = nullptr;
    std::uint64_t readSoFar_ = 0;
    bool atEnd_ = false;
};

// Largest uncompressed entry taken, and the ratio above which a large entry counts as a bomb.
inline constexpr std::uint64_t kZipEntryLimit = std::uint64_t(2) << 30;
inline constexpr std::uint64_t kZipRatioLimit = 200;
inline constexpr std::uint64_t kZipRatioFloor = 1 << 20;  // smaller entries are never refused for ratio

} // namespace lumira
