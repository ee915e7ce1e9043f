#pragma once
// Folder helpers beside the file ones: emptying a folder (the working folder at start-up, during a
// build and at shutdown), listing it in the order the archive uses, a file's size.
#include <cstdint>
#include <filesystem>
#include <vector>

namespace lumira {

// Deletes the contents of a folder, not the folder itself, depth first, in name order.
// Subfolders whose names begin with "." stay; a subfolder that cannot be removed ends the
// emptying of its parent at once. Symbolic links are deleted as links, never followed.
// Nothing is reported.
void ClearFolder(const std::filesystem::path& folder);

// Entries of a folder in the order the archive and ClearFolder use: names compared without
// regard to case (ties broken by the exact name), as an NTFS folder lists them.
std::vector<std::filesystem::directory_entry> ListFolder(const std::filesystem::path& folder);
// The order ListFolder gives two names in: whether `a` comes before `b`.
bool ListedBefore(const std::filesystem::path& a, const std::filesystem::path& b);

} // namespace lumira
