#pragma once
// The settings a book is made with: the window's stored settings from the program folder, with
// what the command line overrides.
#include "settings/app_folders.h"
#include "settings/book_model.h"
#include "cli/options.h"
#include "platform/colors.h"
#include "platform/book_font_style.h"
#include "profiles/profile.h"

#include <QSize>
#include <QString>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace lumira {

// The files of the program that a run reads.
struct ProgramFolder {
    AppFolders folders;
    QString dir;  // the folder the file dialogs would start in, ending in the native separator
    // A data file (iface.dat, velmar.dat).
    std::filesystem::path File(const char* name) const;
    // A settings file (config.ini, profiles.ini).
    std::filesystem::path Setting(const char* name) const;
};

// The program's folders: everything in --app-dir when given, else the executable's folder,
// portable or installed like the window's (the user's folders made when installed). A folder
// given that does not exist is a UsageError.
ProgramFolder ChooseProgramFolder(const CliOptions& options);

struct BookSettings {
    BookFontStyle font;
    ColorValue background = 16777215;
    int upperCut = 0;
    int bottCut = 0;
    std::optional<PhoneProfile> profile;  // none when profiles.ini has none to select
    BandPosition band = BandPosition::Bottom;
    TextEncoding encoding = TextEncoding::Auto;  // how the texts are read
    bool dictionaryHyphens = true;     // words split by the language's dictionary, else by the vowel rule
    // Stored values the window would not apply either, as the window tells about them (UTF-8).
    std::vector<std::string> notices;

    // The preview's screen: the phone's, or the window's stand-in without one.
    QSize Screen() const;
};

// Resolves the settings as the window would start with them from `model` (its stored values,
// `notices` telling of those replaced on reading), then applies the options. A profile named but
// not found, or cut values from the options that leave the strip without a row, are UsageErrors.
BookSettings ResolveSettings(const BookModel& model, std::vector<std::string> notices,
                             const std::vector<PhoneProfile>& profiles, const CliOptions& options);

} // namespace lumira
