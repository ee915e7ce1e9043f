#pragma once
// A private folder of one run inside a temporary folder, "<prefix>" and six random letters,
// marked live (live_mark.h) while its run lives and removed with all in it when it goes. What a
// killed run leaves, a later run removes with RemoveAbandonedScratchFolders.
#include "platform/live_mark.h"

#include <filesystem>
#include <string>

namespace lumira {

// Every scratch folder's name begins with this.
inline constexpr const char* kScratchPrefix = "lumira-";

class ScratchFolder {
public:
    // Makes the folder (owner only) in `parent`; "Cannot create file %s" naming `parent` on failure.
    // `kind` follows kScratchPrefix: "cli-" gives "lumira-cli-XXXXXX".
    ScratchFolder(const std::filesystem::path& parent, const std::string& kind);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
    LiveMark mark_;
};

// Removes, with everything in them, the scratch folders in `parent` whose runs have ended; a
// folder that ScratchFolder did not mark, or whose run lives, is left alone. Returns how many.
int RemoveAbandonedScratchFolders(const std::filesystem::path& parent);

} // namespace lumira
