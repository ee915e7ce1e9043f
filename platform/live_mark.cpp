#include "platform/live_mark.h"

#include <random>
#include <utility>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace lumira {

namespace fs = std::filesystem;

namespace {

#ifndef _WIN32
int LockWaiting(int fd)
{
    int r;
    while ((r = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    return r;
}

// Whether `fd` is still the file named `path`: a cleaning run may have removed it in the moment
// between its creation and its lock.
bool StillNamed(int fd, const fs::path& path)
{
    struct stat own {}, named {};
    return ::fstat(fd, &own) == 0 && own.st_nlink > 0 && ::lstat(path.c_str(), &named) == 0 &&
           own.st_dev == named.st_dev && own.st_ino == named.st_ino;
}
#endif

} // namespace

LiveMark::~LiveMark()
{
    Release();
}

LiveMark::LiveMark(LiveMark&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

LiveMark& LiveMark::operator=(LiveMark&& other) noexcept
{
    if (this != &other) {
        Release();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

bool LiveMark::Create(const fs::path& path)
{
    Release();
#ifdef _WIN32
    // No advisory locks here: the open file itself keeps others from removing it.
    fd_ = ::_wopen(path.c_str(), _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY, _S_IREAD | _S_IWRITE);
    return fd_ >= 0;
#else
    fd_ = ::open(path.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd_ < 0) return false;
    if (LockWaiting(fd_) != 0 || !StillNamed(fd_, path)) {
        Release();
        return false;
    }
    return true;
#endif
}

std::optional<LiveMark> LiveMark::TakeAbandoned(const fs::path& path)
{
#ifdef _WIN32
    (void)path;
    return std::nullopt;  // whether its run lives cannot be told: left alone
#else
    LiveMark mark;
    mark.fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (mark.fd_ < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(mark.fd_, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) return std::nullopt;
    if (::flock(mark.fd_, LOCK_EX | LOCK_NB) != 0) return std::nullopt;
    if (!StillNamed(mark.fd_, path)) return std::nullopt;  // another run cleaned it meanwhile
    return mark;
#endif
}

bool LiveMark::Sync() const
{
    if (fd_ < 0) return false;
#ifdef _WIN32
    return ::_commit(fd_) == 0;
#else
    return ::fsync(fd_) == 0;
#endif
}

void LiveMark::Release()
{
    if (fd_ < 0) return;
#ifdef _WIN32
    ::_close(fd_);
#else
    ::close(fd_);
#endif
    fd_ = -1;
}

std::string RandomLetters(int count)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof letters) - 2);
    std::string text;
    for (int i = 0; i < count; ++i) text += letters[pick(random)];
    return text;
}

void SyncFolder(const fs::path& folder)
{
#ifdef _WIN32
    (void)folder;
#else
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
#endif
}

} // namespace lumira
