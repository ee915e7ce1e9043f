#include "support/temp_dir.h"

#include "platform/files.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <cstdlib>
#include <random>
#include <system_error>

namespace lumira {

namespace fs = std::filesystem;

TempDir::TempDir()
{
    std::random_device rd;
    for (;;) {
        path_ = fs::temp_directory_path() / ("lumira-test-" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(path_, ec)) break;
    }
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Tests make files read-only; give every entry its write bit back before removing.
    for (fs::recursive_directory_iterator it(path_, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_symlink(ec)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(path_, ec);
}

QString TempDir::DirText() const
{
    QString dir = FromFsPath(path_);
    if (!dir.endsWith(QDir::separator())) dir += QDir::separator();
    return dir;
}

void TempDir::Write(const std::string& name, std::string_view bytes) const
{
    const fs::path file = path_ / name;
    fs::create_directories(file.parent_path());
    WriteFileBytes(file, bytes);
}

std::string TempDir::Read(const std::string& name) const
{
    return ReadFileBytes(path_ / name);
}

fs::path BuiltBinDir()
{
    const char* dir = std::getenv("LUMIRA_BIN_DIR");
    return dir ? fs::path(dir) : fs::path(LUMIRA_BIN_DIR_DEFAULT);
}

fs::path SourceDir()
{
    const char* dir = std::getenv("LUMIRA_SOURCE_DIR");
    return dir ? fs::path(dir) : fs::path(LUMIRA_SOURCE_DIR_DEFAULT);
}

AppFolder::AppFolder(bool withProfiles)
{
    const fs::path data = SourceDir() / "data";
    for (const char* name : {"sample", "sample.en", "iface.dat", "profiles.ini"}) {
        if (!withProfiles && std::string(name) == "profiles.ini") continue;
        std::error_code ec;
        fs::copy_file(data / name, Path() / name, ec);
    }
    std::error_code ec;
    if (fs::exists(BuiltBinDir() / "velmar.dat", ec)) fs::copy_file(BuiltBinDir() / "velmar.dat", Path() / "velmar.dat", ec);
}

SystemTempDir::SystemTempDir() : saved_(qgetenv("TMPDIR")), had_(qEnvironmentVariableIsSet("TMPDIR"))
{
    qputenv("TMPDIR", QFile::encodeName(FromFsPath(Path())));
}

SystemTempDir::~SystemTempDir()
{
    if (had_) qputenv("TMPDIR", saved_);
    else qunsetenv("TMPDIR");
}

} // namespace lumira
