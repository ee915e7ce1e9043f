#pragma once
// Several files of one folder put in place as one, so that a kill at any moment never leaves a
// mix: the new files are written under temporary names and flushed, then a small record of the
// renames and removals to come is written beside them, then the renames and removals are done
// and the record goes. A run killed after the record was written is finished by the next run
// that looks at the folder (RecoverFolder): every name then holds its new content. A run killed
// before leaves every name as it was, and its temporary files are removed by that next run.
#include "platform/pending_file.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

namespace lumira {

// A file that goes when a set is put in place, as long as it still has the size it had when chosen.
struct RemovedFile {
    std::filesystem::path path;
    std::uint64_t size = 0;
};

class FileSetCommit {
public:
    FileSetCommit() = default;
    FileSetCommit(const FileSetCommit&) = delete;
    FileSetCommit& operator=(const FileSetCommit&) = delete;

    // A new file for `target`, to be written under the pending file's temporary name. Every
    // target of a set lies in one folder.
    PendingFile& Add(const std::filesystem::path& target);
    // Removed together with the renames.
    void RemoveWith(const RemovedFile& file);

    // Puts everything in place in the order it was added. A failure before the first rename
    // leaves every name as it was ("Unable to write to %s" naming the first target); a rename
    // that fails is reported the same way naming its target, after the others were done.
    void Commit();

private:
    std::vector<std::unique_ptr<PendingFile>> files_;
    std::vector<RemovedFile> removals_;
};

// Finishes in `folder` what killed runs left: a commit whose record is complete is carried out,
// an incomplete record and the temporary files of ended runs are removed. Files that a live run
// holds are never touched.
void RecoverFolder(const std::filesystem::path& folder);

} // namespace lumira
