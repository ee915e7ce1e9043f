#include "settings/settings_file.h"

#include "platform/cp1251.h"
#include "platform/ini_file.h"
#include "platform/language.h"
#include "profiles/profile.h"

#include <algorithm>

namespace lumira {

namespace {

// A stored number outside `min`..`max` becomes `def`, and the notice says so.
std::int32_t Bounded(StoredSettings& s, const IniView& config, const char* section, const char* key, std::int32_t def,
                     std::int32_t min, std::int32_t max)
{
    const std::int32_t value = config.ReadInteger(section, key, def);
    if (value >= min && value <= max) return value;
    s.notices.push_back(FormatText(Translate("SettingsFile", "config.ini: %1=%2 вне пределов %3..%4, взято %5."),
                                   {key, std::to_string(value), std::to_string(min), std::to_string(max), std::to_string(def)}));
    return def;
}

} // namespace

StoredSettings ReadStoredSettings(const IniFile& file, const QString& appDir)
{
    const IniView config = file.Snapshot();  // one reading for every key
    StoredSettings s;
    s.font.name = Cp1251ToQString(config.ReadString(kFontSection, "Name", "Tahoma"));
    s.font.size = Bounded(s, config, kFontSection, "Size", 8, 1, kMaxFontSize);
    s.font.color = config.ReadInteger(kFontSection, "Color", 0);
    s.font.bold = config.ReadBool(kFontSection, "Bold", false);
    s.font.italic = config.ReadBool(kFontSection, "Italic", false);
    s.font.underline = config.ReadBool(kFontSection, "Underline", false);
    s.font.strikeOut = false;
    s.background = config.ReadInteger(kGlobalSection, "Background", 16777215);
    s.bottCut = Bounded(s, config, kGlobalSection, "BottCut", 0, -kMaxStoredCut, kMaxStoredCut);
    s.upperCut = Bounded(s, config, kGlobalSection, "UpperCut", 0, -kMaxStoredCut, kMaxStoredCut);
    s.model = config.ReadInteger(kGlobalSection, "Model", 1);
    s.sysline = config.ReadInteger(kGlobalSection, "Sysline", 1);
    // A missing folder key means the program folder itself, whatever characters its path holds.
    auto folder = [&](const char* key) {
        return config.KeyExists(kGlobalSection, key) ? Cp1251ToQString(config.ReadString(kGlobalSection, key, {}))
                                                     : appDir;
    };
    s.saveDir = folder("SaveDir");
    s.openDir = folder("OpenDir");
    s.encoding = EncodingFromKey(config.ReadString(kGlobalSection, "Encoding", "auto")).value_or(TextEncoding::Auto);
    s.dictionaryHyphens = HyphenationFromKey(config.ReadString(kGlobalSection, kHyphenationKey, kDictionaryHyphens))
                              .value_or(true);
    s.recent = RecentTexts::Read(config);
    const int zoom = config.ReadInteger(kPreviewSection, "Zoom", 1);
    s.previewZoom = zoom >= kFitPreviewZoom && zoom <= kMaxPreviewZoom ? zoom : 1;
    s.contentsShown = config.ReadBool(kPreviewSection, "Contents", true);
    return s;
}

std::optional<bool> HyphenationFromKey(const std::string& key)
{
    const QString k = QString::fromStdString(key).trimmed().toLower();
    if (k == QLatin1String(kDictionaryHyphens)) return true;
    if (k == QLatin1String(kSimpleHyphens)) return false;
    return std::nullopt;
}

int StoredListPosition(std::int32_t stored, int count)
{
    return stored >= -1 && stored < count ? stored : -1;
}

QSize PreviewScreenSize(const PhoneProfile* profile)
{
    const ScreenSize size = ProfileScreenSize(profile);
    return QSize(std::max(1, size.width), std::max(1, size.height));
}

std::optional<Language> ReadStoredLanguage(const IniFile& config)
{
    return LanguageFromKey(config.ReadString(kGlobalSection, "Language", ""));
}

Language ChooseLanguage(std::optional<Language> asked, std::optional<Language> stored)
{
    if (asked) return *asked;
    if (stored) return *stored;
    return DefaultLanguage(SystemLocaleName());
}

} // namespace lumira
