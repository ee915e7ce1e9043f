#pragma once
// Files that say "my run is alive": each is created afresh and held locked by the process that
// made it for as long as it keeps it, so a later run can tell what a killed run left behind (the
// lock is free) from what a live run is still writing (the lock is held) and never touch the
// latter. The lock goes with the process, however it ends.
#include <filesystem>
#include <optional>
#include <string>

namespace lumira {

class LiveMark {
public:
    LiveMark() = default;
    ~LiveMark();
    LiveMark(LiveMark&& other) noexcept;
    LiveMark& operator=(LiveMark&& other) noexcept;
    LiveMark(const LiveMark&) = delete;
    LiveMark& operator=(const LiveMark&) = delete;

    // Creates `path`, which must not exist yet (never through a link), and holds it locked.
    // False when the name is taken, cannot be created, or was removed by a cleaning run before
    // the lock was taken: the caller picks another name.
    bool Create(const std::filesystem::path& path);
    // Opens a file that another run made and takes its lock, which only succeeds once that run
    // has ended: empty when the file is gone, is not a regular file of this user, or its run is
    // alive. The returned mark is held while the caller cleans up after the dead run.
    static std::optional<LiveMark> TakeAbandoned(const std::filesystem::path& path);

    bool Held() const { return fd_ >= 0; }
    // Flushes the file's content to the disk, whichever descriptor wrote it; false on failure.
    bool Sync() const;
    // Lets go of the file (and its lock).
    void Release();

private:
    int fd_ = -1;
};

// `count` random lowercase letters and digits, for fresh file and folder names.
std::string RandomLetters(int count);

// Flushes a folder's entries (renames, new and removed names) to the disk; best effort.
void SyncFolder(const std::filesystem::path& folder);

} // namespace lumira
