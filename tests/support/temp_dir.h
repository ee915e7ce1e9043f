#pragma once
// Test fixtures on disk: a fresh folder removed at the end, and a program folder laid out like
// build/bin (sample, iface.dat, profiles.ini copied from the built program unless replaced).
#include <QByteArray>
#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

namespace lumira {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // The folder as a QString ending in the native separator (the form AppDir takes).
    QString DirText() const;

    void Write(const std::string& name, std::string_view bytes) const;
    std::string Read(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// A fresh folder that is the system's temporary folder (TMPDIR) while this object lives; the
// earlier TMPDIR, or none, comes back when it goes.
class SystemTempDir : public TempDir {
public:
    SystemTempDir();
    ~SystemTempDir();

private:
    QByteArray saved_;
    bool had_ = false;
};

// A program folder with the files that ship beside the program. `withProfiles` false leaves
// profiles.ini out.
class AppFolder : public TempDir {
public:
    explicit AppFolder(bool withProfiles = true);
};

// The built program folder (build/bin), from the test's environment.
std::filesystem::path BuiltBinDir();
// The repository's root, from the test's environment.
std::filesystem::path SourceDir();

} // namespace lumira
