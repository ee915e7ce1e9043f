#include "settings/app_folders.h"

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/live_mark.h"
#include "platform/pending_file.h"
#include "platform/language.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

namespace lumira {

namespace fs = std::filesystem;

namespace {

// True when a file can be made in `dir` (permissions, read-only mounts and the like all count).
// The probe has a temporary file's name and mark: should the run die meanwhile, a later one
// removes it like any other leftover.
bool CanWriteIn(const fs::path& dir)
{
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return false;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const fs::path probe = dir / (std::string(kPendingPrefix) + RandomLetters(8));
        LiveMark mark;
        if (!mark.Create(probe)) {
            if (fs::exists(fs::symlink_status(probe, ec))) continue;  // the name was taken
            return false;
        }
        fs::remove(probe, ec);
        return true;
    }
    return false;
}

std::optional<fs::path> AbsoluteFromEnvironment(const EnvironmentLookup& environment, const char* name)
{
    const auto value = environment(name);
    if (!value || value->empty()) return std::nullopt;
    fs::path p(*value);
    // XDG base directories must be absolute: a relative value is ignored.
    if (!p.is_absolute()) return std::nullopt;
    return p;
}

// $name, else $HOME/fallback (on Windows %name%, else %LOCALAPPDATA%).
fs::path UserFolder(const EnvironmentLookup& environment, const char* name, const char* homeFallback)
{
    if (auto p = AbsoluteFromEnvironment(environment, name)) return *p;
#ifdef _WIN32
    if (auto p = AbsoluteFromEnvironment(environment, "LOCALAPPDATA")) return *p;
#endif
    if (auto home = AbsoluteFromEnvironment(environment, "HOME")) return *home / homeFallback;
    throw AppError(FormatText(
        Translate("AppFolders", "Не найдена папка пользователя для настроек программы: не заданы ни %1, ни HOME."), {name}));
}

void MakeFolder(const fs::path& dir)
{
    std::error_code ec;
    fs::create_directories(dir, ec);
    std::error_code look;
    if (!fs::is_directory(dir, look)) {
        const int error = ec ? ec.value() : look ? look.value() : EEXIST;
        throw AppError(CannotCreateFolderText(dir, error), error);
    }
}

} // namespace

std::optional<std::string> ProcessEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
}

AppFolders PortableFolders(const fs::path& dir)
{
    AppFolders f;
    f.installed = false;
    f.programDir = f.dataDir = f.configDir = f.workDir = f.documentDir = dir;
    return f;
}

AppFolders ChooseAppFolders(const fs::path& programDir, const EnvironmentLookup& environment)
{
    const fs::path installedData = (programDir / ".." / "share" / kInstalledDataName).lexically_normal();
    std::error_code ec;
    const bool dataBeside = fs::exists(programDir / "sample", ec);
    const bool dataInstalled = fs::exists(installedData / "sample", ec);
    // A folder with the data beside the program that can be written is a portable program folder,
    // exactly as before. A "bin" folder whose data lies in ../share/lumira is an installed program
    // even when it can be written (a program installed under /usr and started by root).
    if (!(!dataBeside && dataInstalled) && CanWriteIn(programDir)) return PortableFolders(programDir);

    AppFolders f;
    f.installed = true;
    f.programDir = programDir;
    f.dataDir = dataBeside ? programDir : installedData;
    f.configDir = UserFolder(environment, "XDG_CONFIG_HOME", ".config") / kInstalledDataName;
    f.workDir = UserFolder(environment, "XDG_CACHE_HOME", ".cache") / kInstalledDataName;
#ifdef _WIN32
    const auto home = AbsoluteFromEnvironment(environment, "USERPROFILE");
#else
    const auto home = AbsoluteFromEnvironment(environment, "HOME");
#endif
    f.documentDir = home ? *home : f.configDir;
    return f;
}

void PrepareAppFolders(const AppFolders& folders)
{
    if (!folders.installed) return;
    MakeFolder(folders.configDir);
    MakeFolder(folders.workDir);
    const fs::path mine = folders.ConfigFile("profiles.ini");
    const fs::path shipped = folders.DataFile("profiles.ini");
    std::error_code ec;
    if (fs::exists(mine, ec) || !fs::exists(shipped, ec)) return;
    // Written whole or not at all, so an interrupted copy never leaves half a list; the copy is
    // the user's own to change, whatever the shipped file's permissions.
    try {
        WriteFileAtomically(mine, ReadFileBytes(shipped));
    } catch (const AppError& e) {
        const std::string reason = SystemReason(e.SystemError());
        throw AppError(FormatText(Translate("AppFolders", "Не удаётся скопировать «%1» в «%2»"), {PathText(shipped), PathText(mine)}) +
                           (reason.empty() ? std::string() : ": " + reason),
                       e.SystemError());
    }
}

void PrepareWorkFolder(const fs::path& temp)
{
    std::error_code ec;
    const auto st = fs::symlink_status(temp, ec);
    if (fs::is_symlink(st) && !fs::remove(temp, ec))
        throw AppError(FormatText(Translate("AppFolders", "Рабочая папка %1 — ссылка, и её не удаётся заменить папкой."),
                                  {PathText(temp)}));
    // Anything else in its place stays as it is; the first file written there reports it.
    fs::create_directories(temp, ec);
}

std::vector<std::filesystem::path> HyphenationFolders(const AppFolders& folders)
{
    std::vector<std::filesystem::path> result{folders.dataDir / "hyphen", folders.dataDir.parent_path() / "hyphen"};
    const std::filesystem::path system = "/usr/share/hyphen";
    if (std::find(result.begin(), result.end(), system) == result.end()) result.push_back(system);
    return result;
}

} // namespace lumira
