#include "platform/pending_file.h"

#include "platform/errors.h"

#include <random>
#include <string>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace lumira {

namespace fs = std::filesystem;

namespace {

constexpr int kRandomLetters = 8;

// A short name of fixed length, whatever the target's name: a dot, the program's mark and
// random letters, so that any target name the file system takes leaves room for it.
fs::path FreshTempName(const fs::path& folder)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof letters) - 2);
    fs::path name;
    std::error_code ec;
    do {
        std::string text = ".lumira-";
        for (int i = 0; i < kRandomLetters; ++i) text += letters[pick(random)];
        name = folder / text;
    } while (fs::exists(fs::symlink_status(name, ec)));
    return name;
}

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

PendingFile::PendingFile(const fs::path& target) : target_(target)
{
    if (NameTooLong(target_)) ThrowCannotCreate(target_, ENAMETOOLONG);
    temp_ = FreshTempName(target_.parent_path());
}

PendingFile::~PendingFile()
{
    if (committed_) return;
    std::error_code ec;
    fs::remove(temp_, ec);
}

void PendingFile::Commit()
{
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
        ThrowUnableToWrite(target_, error);
    }
    committed_ = true;
}

} // namespace lumira
