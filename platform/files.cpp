#include "platform/files.h"

#include "platform/errors.h"
#include "platform/pending_file.h"

#include <cerrno>
#include <mutex>
#include <system_error>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace lumira {

namespace fs = std::filesystem;

namespace {

bool IsRegularOrMissing(const fs::path& path)
{
    std::error_code ec;
    const auto st = fs::symlink_status(path, ec);
    return ec || !fs::exists(st) || fs::is_regular_file(st);
}

} // namespace

int TargetRefusal(const fs::path& path)
{
    std::error_code ec;
    const auto st = fs::symlink_status(path, ec);
    if (fs::is_directory(st)) return EISDIR;
    return IsReadOnlyFile(path) ? EACCES : 0;
}

std::FILE* OpenFileStream(const fs::path& path, const char* mode)
{
#ifdef _WIN32
    std::wstring wmode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(path.c_str(), wmode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

bool SeekFileStream(std::FILE* file, std::int64_t offset, int whence)
{
#ifdef _WIN32
    return _fseeki64(file, static_cast<__int64>(offset), whence) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), whence) == 0;
#endif
}

struct TextFile::Handle {
    fs::path path;
#ifdef _WIN32
    std::FILE* file = nullptr;
    mutable std::mutex lock;  // one position for every reader: each read seeks first
#else
    int fd = -1;
#endif
    Handle() = default;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle()
    {
#ifdef _WIN32
        if (file) std::fclose(file);
#else
        if (fd >= 0) ::close(fd);
#endif
    }
};

TextFile::TextFile(const fs::path& path)
{
    auto handle = std::make_shared<Handle>();
    handle->path = path;
    std::error_code ec;
    if (fs::is_directory(path, ec)) ThrowCannotOpen(path, EISDIR);
#ifdef _WIN32
    handle->file = OpenFileStream(path, "rb");
    if (!handle->file) ThrowCannotOpen(path);
#else
    // Opened without waiting, then checked on the open descriptor itself: a pipe, device or
    // socket is refused at once instead of blocking the program until someone writes to it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) ThrowCannotOpen(path);
    handle->fd = fd;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (S_ISDIR(st.st_mode)) ThrowCannotOpen(path, EISDIR);
        ThrowNotRegularFile(path);
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
#endif
    handle_ = std::move(handle);
}

const fs::path& TextFile::Path() const
{
    static const fs::path none;
    return handle_ ? handle_->path : none;
}

std::uint64_t TextFile::Size() const
{
    if (!handle_) return 0;
#ifdef _WIN32
    std::error_code ec;
    const auto size = fs::file_size(handle_->path, ec);
    return ec ? 0 : size;
#else
    struct stat st {};
    return ::fstat(handle_->fd, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
#endif
}

bool TextFile::IsNamedBy(const fs::path& path) const
{
    if (!handle_) return false;
    std::error_code ec;
    if (fs::absolute(path, ec).lexically_normal() == fs::absolute(handle_->path, ec).lexically_normal()) return true;
#ifdef _WIN32
    return fs::equivalent(path, handle_->path, ec) && !ec;
#else
    struct stat open {}, named {};
    return ::fstat(handle_->fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
#endif
}

size_t TextFile::ReadAt(std::uint64_t offset, void* buffer, size_t count) const
{
    if (!handle_) ThrowCannotOpen(fs::path(), ENOENT);
    char* out = static_cast<char*>(buffer);
    size_t done = 0;
#ifdef _WIN32
    const std::lock_guard<std::mutex> hold(handle_->lock);
    if (!SeekFileStream(handle_->file, static_cast<std::int64_t>(offset))) ThrowStreamReadError();
    done = std::fread(out, 1, count, handle_->file);
    if (done < count && std::ferror(handle_->file)) ThrowStreamReadError();
#else
    while (done < count) {
        const ssize_t n = ::pread(handle_->fd, out + done, count - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowStreamReadError();
        }
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
#endif
    return done;
}

InFile::InFile(const fs::path& path) : file_(path)
{
}

InFile::InFile(TextFile file) : file_(std::move(file))
{
}

size_t InFile::Read(void* buffer, size_t count)
{
    const size_t n = file_.ReadAt(offset_, buffer, count);
    offset_ += n;
    return n;
}

void InFile::ReadExact(void* buffer, size_t count)
{
    if (Read(buffer, count) != count) ThrowStreamReadError(0);  // the file ended early
}

OutFile::OutFile(const fs::path& path) : path_(path)
{
    if (IsReadOnlyFile(path)) ThrowCannotCreate(path, EACCES);
    if (!IsRegularOrMissing(path)) ThrowCannotCreate(path, TargetRefusal(path));
    file_ = OpenFileStream(path, "wb");
    if (!file_) ThrowCannotCreate(path);
}

OutFile::~OutFile()
{
    if (file_) std::fclose(file_);
}

void OutFile::Write(const void* data, size_t count)
{
    if (!file_) ThrowUnableToWrite(path_, 0);
    if (count && std::fwrite(data, 1, count, file_) != count) ThrowUnableToWrite(path_);
}

void OutFile::Close()
{
    if (!file_) return;
    const bool ok = std::fflush(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!ok || !closed) ThrowUnableToWrite(path_);
}

std::string ReadFileBytes(const fs::path& path)
{
    return ReadFileBytes(TextFile(path));
}

std::string ReadFileBytes(const TextFile& file)
{
    InFile in(file);
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const size_t n = in.Read(buffer, sizeof buffer);
        if (n == 0) break;
        bytes.append(buffer, n);
    }
    return bytes;
}

void WriteFileBytes(const fs::path& path, std::string_view bytes)
{
    OutFile out(path);
    out.Write(bytes);
    out.Close();
}

void WriteFileAtomically(const fs::path& path, std::string_view bytes)
{
    if (IsReadOnlyFile(path)) ThrowUnableToWrite(path, EACCES);
    PendingFile pending(path);
    std::FILE* f = OpenFileStream(pending.TempPath(), "wb");
    if (!f) ThrowUnableToWrite(path);
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fflush(f) == 0 && ok;
#ifndef _WIN32
    ok = ::fsync(fileno(f)) == 0 && ok;
#endif
    ok = std::fclose(f) == 0 && ok;
    if (!ok) ThrowUnableToWrite(path);  // the temporary file goes with `pending`
    // Keep the permissions of the file being replaced.
    std::error_code ec;
    const auto st = fs::status(path, ec);
    if (!ec && fs::exists(st)) fs::permissions(pending.TempPath(), st.permissions(), ec);
    pending.Commit();
}

std::uint64_t FileSizeOfPath(const fs::path& path)
{
    InFile in(path);
    return in.Size();
}

bool CreateFolderChain(const fs::path& folder)
{
    std::error_code ec;
    fs::create_directories(folder, ec);
    return fs::is_directory(folder, ec);
}

bool IsReadOnlyFile(const fs::path& path)
{
    std::error_code ec;
    const auto st = fs::status(path, ec);
    if (ec || !fs::is_regular_file(st)) return false;
    constexpr auto anyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (st.permissions() & anyWrite) == fs::perms::none;
}

} // namespace lumira
