#include "platform/folders.h"

#include "platform/files.h"

#include <QString>
#include <algorithm>
#include <system_error>

namespace lumira {

namespace fs = std::filesystem;

std::vector<fs::directory_entry> ListFolder(const fs::path& folder)
{
    std::vector<fs::directory_entry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(*it);
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return ListedBefore(a.path().filename(), b.path().filename()); });
    return entries;
}

bool ListedBefore(const fs::path& a, const fs::path& b)
{
    const QString ka = QString::fromStdU16String(a.u16string()), kb = QString::fromStdU16String(b.u16string());
    const int c = ka.compare(kb, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : ka < kb;
}

void ClearFolder(const fs::path& folder)
{
    // A link in place of the folder is not followed either.
    std::error_code linkCheck;
    const fs::path self = folder.has_filename() ? folder : folder.parent_path();
    if (fs::is_symlink(fs::symlink_status(self, linkCheck))) return;
    for (const auto& entry : ListFolder(folder)) {
        std::error_code ec;
        const bool isLink = entry.is_symlink(ec);
        const bool isFolder = !isLink && entry.is_directory(ec);
        const std::string name = entry.path().filename().string();
        if (isFolder && !name.starts_with(".")) {
            ClearFolder(entry.path());
            if (!fs::remove(entry.path(), ec) || ec) return;
        } else if (!isFolder) {
            fs::remove(entry.path(), ec);  // a link goes as a link; failures are ignored
        }
    }
}

} // namespace lumira
