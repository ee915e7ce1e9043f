#pragma once
// The file layer: binary files that fail with the system's own texts
// ("Cannot open file %s", "Cannot create file %s", "Unable to write to %s", "Stream read error").
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace lumira {

// fopen for a std::filesystem::path, whatever the platform's native path type.
std::FILE* OpenFileStream(const std::filesystem::path& path, const char* mode);

// fseek to a 64-bit offset (`whence` SEEK_SET, SEEK_CUR or SEEK_END); false on failure.
bool SeekFileStream(std::FILE* file, std::int64_t offset, int whence = SEEK_SET);

// A file opened once for reading and shared by everything that reads it: copies are the same
// open file, closed when the last one goes. Each reader keeps its own position (ReadAt), so the
// stages that read one text one after another, or at once, all read the file that was opened,
// whatever takes its name meanwhile. A folder is "Cannot open file %s"; a pipe, device or socket
// is refused at once instead of being waited on.
class TextFile {
public:
    TextFile() = default;  // no file: reading it is "Cannot open file" with an empty name
    // Opens `path` ("Cannot open file %s"). Not explicit: where a path is given for a text, the
    // file is opened there, once.
    TextFile(const std::filesystem::path& path);

    // The name it was opened by, for messages.
    const std::filesystem::path& Path() const;
    // The open file's size now.
    std::uint64_t Size() const;
    // Whether `path` names this open file: spelled alike, or (through ./, links and hard links)
    // the same file on disk. False when no file is open.
    bool IsNamedBy(const std::filesystem::path& path) const;
    // Reads up to `count` bytes at `offset`; fewer only at the end of the file ("Stream read error").
    size_t ReadAt(std::uint64_t offset, void* buffer, size_t count) const;

private:
    struct Handle;
    std::shared_ptr<const Handle> handle_;
};

// One reader of a file, from its beginning; closed by the destructor on every path.
class InFile {
public:
    explicit InFile(const std::filesystem::path& path);  // "Cannot open file %s"
    // Reads a file already open, from its beginning, independently of its other readers.
    explicit InFile(TextFile file);
    InFile(const InFile&) = delete;
    InFile& operator=(const InFile&) = delete;

    std::uint64_t Size() const { return file_.Size(); }
    // Reads up to `count` bytes; returns how many were read (0 at the end).
    size_t Read(void* buffer, size_t count);
    // Reads exactly `count` bytes or fails with "Stream read error".
    void ReadExact(void* buffer, size_t count);
    const std::filesystem::path& Path() const { return file_.Path(); }

private:
    TextFile file_;
    std::uint64_t offset_ = 0;
};

// A file created (or truncated) for writing; closed by the destructor on every path.
// A file whose write permission bits are all clear counts as read-only and is not replaced.
class OutFile {
public:
    explicit OutFile(const std::filesystem::path& path);  // "Cannot create file %s"
    ~OutFile();
    OutFile(const OutFile&) = delete;
    OutFile& operator=(const OutFile&) = delete;

    void Write(const void* data, size_t count);  // "Unable to write to %s"
    void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }
    // Flushes and closes; a failure to complete the file is "Unable to write to %s".
    void Close();
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
    std::FILE* file_ = nullptr;
};

// Whole-file helpers on top of the two classes.
std::string ReadFileBytes(const std::filesystem::path& path);
std::string ReadFileBytes(const TextFile& file);
void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

// Writes a file under a temporary name in the same folder and renames it over `path` only when
// complete, so a failure never leaves a half-written file. Any failure is "Unable to write to %s"
// naming `path`; an existing read-only `path` is refused the same way.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Size of a file, opening it for reading ("Cannot open file %s").
std::uint64_t FileSizeOfPath(const std::filesystem::path& path);

// Creates a folder with its missing parents; false on failure (nothing is thrown).
bool CreateFolderChain(const std::filesystem::path& folder);

// The Windows read-only attribute on this platform: no write permission bit set.
// (Permission checks alone are no guide when the program runs as root.)
bool IsReadOnlyFile(const std::filesystem::path& path);

// Why a file cannot be written at `path` whatever the folder allows, as an errno value: EISDIR for
// a folder (not a link to one), EACCES for a read-only file; 0 when nothing stands in the way.
int TargetRefusal(const std::filesystem::path& path);

} // namespace lumira
