#include "platform/scratch_folder.h"

#include "platform/errors.h"

#include <system_error>
#include <vector>

namespace lumira {

namespace fs = std::filesystem;

namespace {

// The mark inside each folder, held by its run.
constexpr const char* kLiveMarkName = ".lumira-live";
constexpr int kRandomLetters = 6;
constexpr int kNameAttempts = 16;

} // namespace

ScratchFolder::ScratchFolder(const fs::path& parent, const std::string& kind)
{
    for (int i = 0; i < kNameAttempts; ++i) {
        const fs::path folder = parent / (kScratchPrefix + kind + RandomLetters(kRandomLetters));
        std::error_code ec;
        if (!fs::create_directory(folder, ec) || ec) continue;
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, ec);
        // A cleaning run may take the folder in the moment before it is marked: another name then.
        if (mark_.Create(folder / kLiveMarkName)) {
            path_ = folder;
            return;
        }
        fs::remove_all(folder, ec);
    }
    ThrowCannotCreate(parent);
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ec;
    fs::remove_all(path_, ec);  // links inside go as links
    mark_.Release();
}

int RemoveAbandonedScratchFolders(const fs::path& parent)
{
    std::vector<fs::path> folders;
    std::error_code ec;
    for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) folders.push_back(it->path());
    int removed = 0;
    for (const fs::path& folder : folders) {
        std::error_code st;
        if (!folder.filename().string().starts_with(kScratchPrefix) || !fs::is_directory(fs::symlink_status(folder, st)))
            continue;
        const auto mark = LiveMark::TakeAbandoned(folder / kLiveMarkName);
        if (!mark) continue;
        fs::remove_all(folder, st);
        if (!st) ++removed;
    }
    return removed;
}

} // namespace lumira
