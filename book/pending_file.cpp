#include "book/pending_file.h"

#include "platform/errors.h"

#include <atomic>
#include <chrono>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

PendingFile::PendingFile(const fs::path& target) : target_(target)
{
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    temp_ = target_;
    temp_ += ".part" + std::to_string(stamp % 1000000007) + "_" + std::to_string(counter++);
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
        fs::remove(temp_, ec);
        committed_ = true;  // nothing left to remove
        ThrowUnableToWrite(target_);
    }
    committed_ = true;
}
