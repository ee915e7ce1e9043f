#pragma once
// The ZIP archive engine (on minizip): extracting the template and writing the .jar.
#include "book/deflate_engine.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace lumira {

// What a plain archive (no Zip64) can hold: entries, and bytes of sizes and offsets. Smaller
// limits make the refusals reachable without writing gigabytes.
struct ZipLimits {
    std::size_t entries = 0xFFFE;         // 0xFFFF already calls for Zip64 records
    std::uint64_t bytes = 0xFFFFFFFFull;  // reached or passed: refused
};

// Called while an archive is written: bytes of file content archived so far and in all.
using ZipProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

// Writes a new archive of every file and folder below `baseFolder`: files of a folder first, then
// each subfolder (its folder entry, then its contents), in name order compared without regard to
// case; names relative with "/", folder entries ending in "/"; Deflate level 9 for non-empty
// files, stored for empty ones; made-by and needed version 2.0 (MS-DOS); no Zip64, no comment.
// Names go in the OEM code page (866); a name that code page cannot spell goes in UTF-8 with the
// UTF-8 flag set. The archive itself is never added, should it lie below `baseFolder`. Symbolic
// links are skipped. The archive is written under a temporary name beside it and replaces an
// earlier file only when complete; a read-only earlier file is not replaced.
// Throws AppError naming the archive on failure (a file below `baseFolder` that cannot be read
// gives "Cannot open file %s" naming that file); more than 65534 entries or an archive that
// could reach 4 GiB (`limits`) are refused before anything is written, and a file that grows
// past that while it is archived stops the writing.
// Files are read and compressed as `compression` says (a thread count: on that many threads, 0 one
// per core), at most a few per thread ahead of the one being written; the archive's bytes do not
// depend on the number of threads.
// `progress` is called on the calling thread between entries and may throw to stop the writing.
void WriteFolderArchive(const std::filesystem::path& archive, const std::filesystem::path& baseFolder,
                        const ZipProgress& progress = {}, const ArchiveCompression& compression = {},
                        const ZipLimits& limits = {});

// Files compressed beforehand that the archive takes as if they lay in `folder` (relative to the
// base folder, which must hold it): they are listed among that folder's files in name order,
// stamped with the modification time of `stampFrom`, attribute "archive", and their raw Deflate
// streams copied as they are. `skip`, a file below the base folder where they are kept, is left out.
struct ReadyFile {
    std::string name;        // within `folder`, ASCII
    std::uint64_t size = 0;  // before compression
    std::uint32_t crc = 0;
    bool text = false;       // the entry's "text" attribute
};
struct ReadyFiles {
    std::filesystem::path folder;
    std::vector<ReadyFile> files;
    std::filesystem::path stampFrom;
    std::filesystem::path skip;
    // Replaces its second argument with file i's raw Deflate stream; called from any thread.
    std::function<void(std::size_t, std::vector<char>&)> fetch;
};

// The same archive written straight into `file` (created or truncated), for callers that put
// the file in place themselves. Failures name `shownAs`; neither `file` nor `shownAs` is added.
// `ready` adds files compressed beforehand (see ReadyFiles); its folder missing from the base
// folder gives "Cannot create file %s" naming the first of them there.
void WriteFolderArchiveFile(const std::filesystem::path& file, const std::filesystem::path& baseFolder,
                            const std::filesystem::path& shownAs, const ZipProgress& progress = {},
                            const ArchiveCompression& compression = {}, const ReadyFiles* ready = nullptr,
                            const ZipLimits& limits = {});

// Extracts every entry below `baseFolder`: folders created as needed, existing files replaced
// even when read-only, modification times and attributes restored. An entry with an absolute
// path or a ".." component is refused with a message naming it; nothing is written outside
// `baseFolder` or through a symbolic link (every name is checked before anything is written).
// The archive is read through ZipReader (formats/zip_reader.h), with its guards and messages: an
// encrypted entry, or one too large or compressed as only a bomb is, is refused by name before
// anything is written. A missing or damaged archive throws AppError naming it. An archive whose entries add up to more
// than `limit` bytes (as stored in it, or as actually read) is refused the same way: the template
// is small, and a damaged or hostile one must not fill the disk. The files are a build's working
// copy: each is whole under its name, but not flushed to the disk.
inline constexpr std::uint64_t kMaxExtractedBytes = 16u << 20;
void ExtractArchive(const std::filesystem::path& archive, const std::filesystem::path& baseFolder,
                    std::uint64_t limit = kMaxExtractedBytes);

} // namespace lumira
