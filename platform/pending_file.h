#pragma once
// A file written under a temporary name beside its target and put in place only when complete.
// The temporary file is ".lumira-" and eight random letters, held as a live mark (live_mark.h)
// until it is put in place or removed: what a killed run leaves under such a name, a later run
// removes (RemoveAbandonedFiles in file_set.h).
#include "platform/live_mark.h"

#include <filesystem>
#include <string>

namespace lumira {

// How every temporary file's name begins; eight random letters and digits follow.
inline constexpr const char* kPendingPrefix = ".lumira-";
// Whether `name` is such a temporary file's name, and nothing else.
bool IsPendingName(const std::string& name);

class PendingFile {
public:
    // Creates an empty temporary file under a fresh name in the target's folder, short and of
    // fixed length whatever the target's name (when the folder takes no new file, the name is
    // only picked and the caller's own opening of it fails). A target name longer than the
    // folder's file system takes is refused at once with "Cannot create file %s" naming the target.
    explicit PendingFile(const std::filesystem::path& target);
    // Removes the temporary file unless it was committed.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    const std::filesystem::path& Target() const { return target_; }
    const std::filesystem::path& TempPath() const { return temp_; }

    // What a commit promises once it returns.
    enum class Durability {
        Synced,  // the content is on the disk before the name points at it
        Scratch  // a working copy of our own, worthless after a crash: not flushed
    };
    // Renames the temporary file over the target (replacing a read-only target too), its content
    // flushed to the disk first unless it is scratch; "Unable to write to %s" naming the target on
    // failure, the temporary file then removed. The writer has closed its own handle before.
    void Commit(Durability durability = Durability::Synced);
    // Flushes the temporary file's content to the disk before it is put in place; false on failure.
    bool Sync() const { return mark_.Sync(); }

private:
    std::filesystem::path target_;
    std::filesystem::path temp_;
    LiveMark mark_;
    bool committed_ = false;
};

} // namespace lumira
