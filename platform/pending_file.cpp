#include "platform/pending_file.h"

#include "platform/errors.h"

#include <string>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace lumira {

namespace fs = std::filesystem;

namespace {

constexpr int kRandomLetters = 8;
// Names tried before the folder is taken to refuse new files.
constexpr int kNameAttempts = 16;

// True when the folder's file system cannot take a name as long as `target`'s.
bool NameTooLong(const fs::path& target)
{
#ifdef _WIN32
    (void)target;
    return false;
#else
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const long max = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return max > 0 && target.filename().native().size() > static_cast<size_t>(max);
#endif
}

} // namespace

bool IsPendingName(const std::string& name)
{
    const std::string prefix = kPendingPrefix;
    if (name.size() != prefix.size() + kRandomLetters || !name.starts_with(prefix)) return false;
    for (std::size_t i = prefix.size(); i < name.size(); ++i)
        if (!((name[i] >= 'a' && name[i] <= 'z') || (name[i] >= '0' && name[i] <= '9'))) return false;
    return true;
}

PendingFile::PendingFile(const fs::path& target) : target_(target)
{
    if (NameTooLong(target_)) ThrowCannotCreate(target_, ENAMETOOLONG);
    for (int i = 0; i < kNameAttempts; ++i) {
        temp_ = target_.parent_path() / (std::string(kPendingPrefix) + RandomLetters(kRandomLetters));
        if (mark_.Create(temp_)) return;
    }
}

PendingFile::~PendingFile()
{
    if (committed_ || !mark_.Held()) return;
    std::error_code ec;
    fs::remove(temp_, ec);
}

void PendingFile::Commit(Durability durability)
{
    if (durability == Durability::Synced && !Sync()) {
        const int error = errno;
        std::error_code ec;
        fs::remove(temp_, ec);
        committed_ = true;
        mark_.Release();
        ThrowUnableToWrite(target_, error);
    }
    std::error_code ec;
    const auto st = fs::symlink_status(target_, ec);
    if (!ec && fs::is_regular_file(st)) {
        // Some systems refuse to replace a read-only file; a fresh file takes its place anyway.
        constexpr auto ownerWrite = fs::perms::owner_write;
        if ((st.permissions() & ownerWrite) == fs::perms::none)
            fs::permissions(target_, ownerWrite, fs::perm_options::add, ec);
    }
    ec.clear();
    fs::rename(temp_, target_, ec);
    if (ec) {
        const int error = ec.value();
        fs::remove(temp_, ec);
        committed_ = true;  // nothing left to remove
        mark_.Release();
        ThrowUnableToWrite(target_, error);
    }
    committed_ = true;
    mark_.Release();
}

} // namespace lumira
