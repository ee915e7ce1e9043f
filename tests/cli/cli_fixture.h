#pragma once
// Running the built lumira-cli in tests: a program folder of its own (profiles, settings, the
// band picture and a small reader template), a private temporary folder the run must leave
// empty, and the run's exit status and output.
#include "support/temp_dir.h"

#include <QProcessEnvironment>
#include <QStringList>
#include <filesystem>
#include <string>

namespace lumira {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Two phones: "Small" 128 × 160 with known key codes, and "Большой" (cp1251) 240 × 320.
extern const char* const kTestProfiles;

class CliFolder {
public:
    // `profiles` is the content of profiles.ini; nullptr leaves the file out.
    explicit CliFolder(const char* profiles = kTestProfiles);

    TempDir app;      // program folder (--app-dir)
    TempDir work;     // texts and packages
    TempDir scratch;  // TMPDIR of the runs

    // The environment of a run: offscreen, TMPDIR = scratch, the C locale (Russian messages).
    QProcessEnvironment Environment() const;
    // Runs lumira-cli with --app-dir and `arguments`.
    CliRun Run(const QStringList& arguments) const;
    // Runs lay pages out with the vowel rule, which the figures of most tests are for, unless
    // this is set (then the stored setting or the run's own option decides).
    bool dictionaryHyphens = false;
    CliRun RunWith(const QStringList& arguments, const QProcessEnvironment& env) const;

    // A path in `work` as an argument.
    QString Arg(const std::string& name) const;
    // True when the runs left nothing of theirs in `scratch`.
    bool ScratchEmpty() const;
};

// The cp1251 bytes of a UTF-8 text.
std::string Cp(const char* utf8);

} // namespace lumira
