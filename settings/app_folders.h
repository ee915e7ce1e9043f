#pragma once
// Where the program finds its files, for the window and the command line alike.
//
// Portable: everything lies in the program folder (the executable's), as it always has:
// sample, iface.dat, velmar.dat, config.ini, profiles.ini, the working folder "temp" and the
// one-copy lock.
// Installed: the program folder cannot be written (or is a system "bin" folder with the data in
// "../share/lumira"). The read-only data is read from the installed data folder; config.ini and
// profiles.ini live in the user's configuration folder ($XDG_CONFIG_HOME/lumira), where the
// shipped profiles.ini is copied on the first start; "temp" and the lock live in the user's
// cache folder ($XDG_CACHE_HOME/lumira), one per user.
#include <filesystem>
#include <vector>
#include <functional>
#include <optional>
#include <string>

namespace lumira {

struct AppFolders {
    bool installed = false;
    std::filesystem::path programDir;  // the executable's folder
    std::filesystem::path dataDir;     // sample, iface.dat, velmar.dat, the shipped profiles.ini
    std::filesystem::path configDir;   // config.ini, profiles.ini
    std::filesystem::path workDir;     // holds the working folder "temp" and the lock
    std::filesystem::path documentDir; // where the file dialogs start before anything is remembered

    std::filesystem::path DataFile(const std::string& name) const { return dataDir / name; }
    std::filesystem::path ConfigFile(const std::string& name) const { return configDir / name; }
    std::filesystem::path TempDir() const { return workDir / "temp"; }
    std::filesystem::path LockFile() const { return workDir / "lumira.lock"; }
    // Hyphenation dictionaries in parsed form, kept across starts.
    std::filesystem::path DictionaryCacheDir() const { return workDir / "hyphen-cache"; }
};

// Looks up an environment variable; nullopt when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;
std::optional<std::string> ProcessEnvironment(const char* name);

// Every file in `dir`: the portable layout (also what --app-dir and the tests ask for).
AppFolders PortableFolders(const std::filesystem::path& dir);

// The layout for a program started from `programDir`. Throws AppError when the program is
// installed and the user's folders cannot be named (neither XDG_* nor HOME set).
AppFolders ChooseAppFolders(const std::filesystem::path& programDir,
                            const EnvironmentLookup& environment = ProcessEnvironment);

// Makes the user's folders of an installed layout and copies the shipped profiles.ini into the
// configuration folder when the user has none yet. Does nothing for a portable layout. Throws
// AppError with the folder or file that could not be made.
void PrepareAppFolders(const AppFolders& folders);

// Makes the working folder `temp` a real folder: a symbolic link in its place is removed (never
// its target) and a folder made instead, so nothing is ever written through a link (AppError
// naming it when the link cannot be removed). Any other file in its place is left as it is, for
// the first file written there to report.
void PrepareWorkFolder(const std::filesystem::path& temp);

// The folders hyphenation dictionaries are looked up in: the data folder's "hyphen" (where a
// portable copy may carry its own), then the system's share/hyphen beside the data folder and
// /usr/share/hyphen.
std::vector<std::filesystem::path> HyphenationFolders(const AppFolders& folders);

// The name of the folder below share/ that holds the installed data.
inline constexpr const char* kInstalledDataName = "lumira";

} // namespace lumira
