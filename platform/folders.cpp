#include "platform/folders.h"

#include "platform/files.h"

#include <QString>
#include <algorithm>
#include <system_error>

namespace fs = std::filesystem;

std::vector<fs::directory_entry> ListFolder(const fs::path& folder)
{
    std::vector<fs::directory_entry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(*it);
    auto key = [](const fs::directory_entry& e) { return QString::fromStdU16String(e.path().filename().u16string()); };
    std::sort(entries.begin(), entries.end(), [&](const auto& a, const auto& b) {
        const QString ka = key(a), kb = key(b);
        const int c = ka.compare(kb, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : ka < kb;
    });
    return entries;
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

std::uint32_t FileSizeOf(const fs::path& file)
{
    return static_cast<std::uint32_t>(FileSizeOfPath(file));
}
