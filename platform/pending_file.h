#pragma once
// A file written under a temporary name beside its target and put in place only when complete.
#include <filesystem>

namespace lumira {

class PendingFile {
public:
    // Picks a fresh temporary name in the target's folder, short and of fixed length whatever the
    // target's name; nothing is created yet. A target name longer than the folder's file system
    // takes is refused at once with "Cannot create file %s" naming the target.
    explicit PendingFile(const std::filesystem::path& target);
    // Removes the temporary file unless it was committed.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    const std::filesystem::path& Target() const { return target_; }
    const std::filesystem::path& TempPath() const { return temp_; }

    // Renames the temporary file over the target (replacing a read-only target too);
    // "Unable to write to %s" naming the target on failure, the temporary file then removed.
    void Commit();

private:
    std::filesystem::path target_;
    std::filesystem::path temp_;
    bool committed_ = false;
};

} // namespace lumira
