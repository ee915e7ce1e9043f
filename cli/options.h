#pragma once
// The command line of lumira-cli: what the user asked for, checked for form only (files,
// profiles and settings are looked at later).
#include "platform/errors.h"
#include "platform/language.h"
#include "platform/text_encoding.h"
#include "platform/version.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>
#include <string>

namespace lumira {

inline constexpr const char* kProgramName = "lumira-cli";

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;       // a text (or the page output) failed
inline constexpr int kExitUsage = 2;        // the command line or the settings it names are wrong
inline constexpr int kExitInterrupted = 130;

// A mistake in the command line; the message is for the user (UTF-8).
class UsageError : public AppError {
public:
    explicit UsageError(const std::string& messageUtf8) : AppError(messageUtf8) {}
};

// A colour of the command line, #RRGGBB (the "#" may be left out).
struct RgbColor {
    int red = 0;
    int green = 0;
    int blue = 0;
};

struct CliOptions {
    bool help = false;
    bool version = false;
    bool listProfiles = false;
    bool verbose = false;

    QStringList texts;               // as given
    std::optional<QString> appDir;   // where config.ini, profiles.ini, iface.dat, velmar.dat lie
    std::optional<Language> language;  // of the messages
    std::optional<QString> title;
    std::optional<QString> profile;
    std::optional<QString> fontName;
    std::optional<int> fontSize;     // points
    std::optional<bool> bold;
    std::optional<bool> italic;
    std::optional<bool> underline;
    std::optional<RgbColor> color;
    std::optional<RgbColor> background;
    std::optional<int> upperCut;
    std::optional<int> bottomCut;
    std::optional<int> sysline;      // 0 top, 1 bottom
    std::optional<TextEncoding> encoding;  // how the texts are read
    std::optional<bool> dictionaryHyphens;  // --hyphenation dictionary|simple
    std::optional<QString> out;      // the package of the one text
    std::optional<QString> outDir;   // the folder of every package
    std::optional<int> jobs;         // books built at once; none: one per core
    std::optional<int> maxJarSize;   // KB; 0: no limit; none: the profile's

    bool dumpPages = false;
    bool countPages = false;            // --pages
    bool contents = false;              // --toc: the titles with their pages
    std::optional<int> previewPage;     // 1-based
    std::optional<int> previewPercent;  // --preview P%: the first page reaching P % of the text
    std::optional<QString> png;

    // Checking the page layout instead of building books.
    bool PageMode() const { return dumpPages || countPages || contents || png.has_value(); }
};

// Reads the arguments that follow the program name. Options take their value as the next
// argument or after "=" ("--size 9", "--size=9"); "--" ends the options. Throws UsageError.
CliOptions ParseOptions(const QStringList& arguments);

// The value of --lang among the arguments (the last one given, before "--"), and that of
// --app-dir: read before the options are, so that their messages are in the language asked for.
// Values that are not valid are left for ParseOptions to report.
std::optional<Language> LanguageAsked(const QStringList& arguments);
std::optional<QString> AppDirAsked(const QStringList& arguments);

// The text of --help (UTF-8).
std::string HelpText();

} // namespace lumira
