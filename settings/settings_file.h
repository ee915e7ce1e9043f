#pragma once
// The user's settings in config.ini beside the program, as the main window reads them at start:
// the book's font, the background colour, the two cut values, the remembered positions of the
// phone and system-line lists, the last folders of the file dialogs and the texts' encoding.
#include "platform/colors.h"
#include "platform/book_font_style.h"
#include "platform/language.h"
#include "platform/text_encoding.h"
#include "settings/recent_texts.h"

#include <QSize>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumira {

class IniFile;
struct PhoneProfile;

// Section names of config.ini.
inline constexpr const char* kFontSection = "Font";
inline constexpr const char* kGlobalSection = "Global";
// [Preview] Zoom: the preview's whole-pixel zoom, 1..kMaxPreviewZoom, or kFitPreviewZoom for the
// largest step that fits the window; Contents: the contents list beside it shown (1) or hidden (0).
inline constexpr const char* kPreviewSection = "Preview";
inline constexpr int kFitPreviewZoom = 0;
inline constexpr int kMaxPreviewZoom = 3;

// Bounds that keep the glyph strip's memory and arithmetic sound. A stored cut outside a spin
// field's 0..10 is still used as stored, but only within these bounds.
// The largest point size: the glyph strip of a larger font grows past what phones load.
inline constexpr int kMaxFontSize = 200;
inline constexpr int kMaxStoredCut = 1000;

// What config.ini holds, each key read with its default. A stored value outside a control's range
// is kept as stored; only a font size or cut outside the sound bounds above is replaced by its
// default, with a notice saying so.
struct StoredSettings {
    BookFontStyle font;                         // Name, Size, Color, Bold, Italic, Underline; never strike-out
    ColorValue background = 16777215;      // white
    std::int32_t bottCut = 0;
    std::int32_t upperCut = 0;
    std::int32_t model = 1;                // position in the phone list
    std::int32_t sysline = 1;              // 0 top, 1 bottom
    QString saveDir;                       // the program folder when absent
    QString openDir;
    TextEncoding encoding = TextEncoding::Auto;  // "Авто" when absent or not a known name
    bool dictionaryHyphens = true;         // Hyphenation: "dictionary" (also when absent or unknown) or "simple"
    RecentTexts recent;                    // the texts opened last, newest first
    int previewZoom = 1;                   // 1..kMaxPreviewZoom or kFitPreviewZoom; 1 when absent or unknown
    bool contentsShown = true;             // the contents list beside the preview
    std::vector<std::string> notices;      // one line per value replaced by its default (UTF-8)
};

// [Global] Hyphenation: where words at a line's end are split. "dictionary": by the language's
// hyphenation dictionary; "simple": by the vowel/consonant rule.
inline constexpr const char* kHyphenationKey = "Hyphenation";
inline constexpr const char* kDictionaryHyphens = "dictionary";
inline constexpr const char* kSimpleHyphens = "simple";
// True for "dictionary", false for "simple" (any case), nullopt for anything else.
std::optional<bool> HyphenationFromKey(const std::string& key);
inline const char* HyphenationKey(bool dictionary) { return dictionary ? kDictionaryHyphens : kSimpleHyphens; }

// Reads every key of config.ini. `appDir` (ending in a separator) is the default of the two
// folders. A missing file reads as all defaults.
StoredSettings ReadStoredSettings(const IniFile& config, const QString& appDir);

// [Global] Language: "ru" or "en"; nullopt when absent or anything else. The window and the
// command line read it before anything is shown; nothing writes it.
std::optional<Language> ReadStoredLanguage(const IniFile& config);
// The language of a run: the one asked for on the command line, else the stored one, else the
// system's (DefaultLanguage).
Language ChooseLanguage(std::optional<Language> asked, std::optional<Language> stored);

// The position a freshly filled drop-down list of `count` entries takes from a stored one: the
// stored position when it lies in -1 .. count - 1, else none (-1).
int StoredListPosition(std::int32_t stored, int count);

// The preview's screen for a phone (ProfileScreenSize), never below 1 × 1.
QSize PreviewScreenSize(const PhoneProfile* profile);

} // namespace lumira
