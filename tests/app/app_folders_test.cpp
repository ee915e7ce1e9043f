// Where the program's files lie: portable (everything in the program folder) or installed (data
// read from share/lumira, settings and the working folder in the user's folders).
#include "settings/app_folders.h"
#include "app/main_window.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "profiles/profile.h"
#include "support/scripted_desktop.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <map>
#include <unistd.h>

namespace lumira {

namespace fs = std::filesystem;

namespace {

using Environment = std::map<std::string, std::string>;

EnvironmentLookup Lookup(const Environment& env)
{
    return [env](const char* name) -> std::optional<std::string> {
        const auto it = env.find(name);
        if (it == env.end()) return std::nullopt;
        return it->second;
    };
}

// Every file below `dir` with its bytes: what a run may not change.
std::map<fs::path, std::string> Snapshot(const fs::path& dir)
{
    std::map<fs::path, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        files[entry.path()] = entry.is_regular_file() ? ReadFileBytes(entry.path()) : std::string();
    return files;
}

// A prefix as `cmake --install` lays it out: prefix/bin (the programs only) and
// prefix/share/lumira (the data), and a home folder beside it.
struct InstalledLayout : ::testing::Test {
    TempDir root;
    AppFolder data;
    fs::path bin = root / "prefix/bin";
    fs::path share = root / "prefix/share/lumira";
    fs::path home = root / "home";
    void SetUp() override
    {
        fs::create_directories(bin);
        fs::create_directories(home);
        fs::create_directories(share.parent_path());
        fs::copy(data.Path(), share, fs::copy_options::recursive);
    }
};

} // namespace

TEST(AppFolders, WritableProgramFolderWithItsDataIsPortable)
{
    AppFolder app;
    const AppFolders f = ChooseAppFolders(app.Path(), Lookup({{"HOME", "/nonexistent"}}));
    EXPECT_FALSE(f.installed);
    for (const fs::path& dir : {f.dataDir, f.configDir, f.workDir, f.documentDir}) EXPECT_EQ(dir, app.Path());
    PrepareAppFolders(f);  // nothing to make
    EXPECT_FALSE(fs::exists("/nonexistent"));
}

TEST_F(InstalledLayout, UserFoldersFollowXdgElseHome)
{
    // XDG folders when set and absolute; a relative one is ignored as the base directory rules say.
    AppFolders f = ChooseAppFolders(bin, Lookup({{"HOME", home.string()},
                                                 {"XDG_CONFIG_HOME", (root / "cfg").string()},
                                                 {"XDG_CACHE_HOME", "relative/cache"}}));
    EXPECT_TRUE(f.installed);
    EXPECT_EQ(f.dataDir, share);
    EXPECT_EQ(f.configDir, root / "cfg/lumira");
    EXPECT_EQ(f.workDir, home / ".cache/lumira");
    EXPECT_EQ(f.documentDir, home);

    f = ChooseAppFolders(bin, Lookup({{"HOME", home.string()}}));
    EXPECT_EQ(f.configDir, home / ".config/lumira");
    EXPECT_EQ(f.TempDir(), home / ".cache/lumira/temp");

    try {
        ChooseAppFolders(bin, Lookup({}));
        FAIL() << "no user folder without HOME";
    } catch (const AppError& e) {
        EXPECT_NE(std::string(e.what()).find("HOME"), std::string::npos) << e.what();
    }
}

TEST_F(InstalledLayout, FirstStartCopiesTheShippedProfilesOnce)
{
    const AppFolders f = ChooseAppFolders(bin, Lookup({{"HOME", home.string()}}));
    fs::permissions(share / "profiles.ini", fs::perms::owner_write, fs::perm_options::remove);
    PrepareAppFolders(f);
    EXPECT_TRUE(fs::is_directory(f.workDir));
    EXPECT_EQ(root.Read("home/.config/lumira/profiles.ini"), data.Read("profiles.ini"));
    // The copy is the user's to edit, and a later start keeps the user's edits.
    IniFile(f.ConfigFile("profiles.ini")).WriteInteger("Mine", "Width", 100);
    const std::string edited = root.Read("home/.config/lumira/profiles.ini");
    PrepareAppFolders(f);
    EXPECT_EQ(root.Read("home/.config/lumira/profiles.ini"), edited);
    for (const auto& entry : fs::directory_iterator(f.configDir))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << "left behind: " << entry.path();
}

TEST_F(InstalledLayout, UserFolderThatCannotBeMadeIsNamed)
{
    root.Write("blocked", "a file where the folder should be");
    const AppFolders f = ChooseAppFolders(bin, Lookup({{"HOME", home.string()}, {"XDG_CONFIG_HOME", (root / "blocked").string()}}));
    try {
        PrepareAppFolders(f);
        FAIL() << "a folder below a file cannot be made";
    } catch (const AppError& e) {
        // The folder whole, and the system's reason in the interface language.
        EXPECT_EQ(std::string(e.what()),
                  "Не удаётся создать папку «" + (root / "blocked/lumira").string() + "»: часть пути не является папкой");
    }
}

TEST(AppFolders, ReadOnlyProgramFolderKeepsItsDataAndUsesTheUsersFolders)
{
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    AppFolder app;
    TempDir home;
    fs::permissions(app.Path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const AppFolders f = ChooseAppFolders(app.Path(), Lookup({{"HOME", home.Path().string()}}));
    EXPECT_TRUE(f.installed);
    EXPECT_EQ(f.dataDir, app.Path());
    EXPECT_EQ(f.configDir, home / ".config/lumira");
}

// The window started installed: reads the data from share/lumira, keeps everything it writes in
// the user's folders, and leaves the install tree as it was.
TEST_F(InstalledLayout, WindowWritesOnlyIntoTheUsersFolders)
{
    ScriptedDesktop desktop;
    const AppFolders f = ChooseAppFolders(bin, Lookup({{"HOME", home.string()}}));
    PrepareAppFolders(f);
    const auto before = Snapshot(root / "prefix");
    {
        MainWindow form(f);
        EXPECT_EQ(form.Profiles.size(), ReadProfiles(IniFile(share / "profiles.ini")).size());
        EXPECT_TRUE(fs::is_directory(home / ".cache/lumira/temp/fonts"));
        EXPECT_EQ(form.Book.openDir.toStdString(), home.string() + "/");
        form.FormClose();
    }
    EXPECT_TRUE(fs::exists(home / ".config/lumira/config.ini"));
    EXPECT_FALSE(fs::exists(home / ".cache/lumira/temp"));
    EXPECT_EQ(Snapshot(root / "prefix"), before);
    EXPECT_TRUE(desktop.errors.isEmpty());
}

} // namespace lumira
