#include "settings/recent_texts.h"

#include "platform/cp1251.h"
#include "platform/ini_file.h"

#include <QDir>
#include <QUrl>
#include <algorithm>
#include <string>

namespace lumira {

namespace {

constexpr std::string_view kUtf8Mark = "utf-8:";

std::string Key(const char* name, size_t index)
{
    return name + std::to_string(index + 1);
}

bool NeedsUtf8(const QString& text)
{
    return !FitsCp1251(text) ||
           std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
}

// A value as config.ini keeps it: cp1251 where that holds the text whole (a title or path that
// happens to start with the mark included), the marked UTF-8 otherwise; in quotes where the
// reader would strip blanks or quotes at its ends.
std::string StoredValue(const QString& text)
{
    std::string value;
    if (NeedsUtf8(text) || text.startsWith(QLatin1String(kUtf8Mark.data(), static_cast<qsizetype>(kUtf8Mark.size()))))
        value = std::string(kUtf8Mark) + QUrl::toPercentEncoding(text, "/\\:. ").toStdString();
    else
        value = QStringToCp1251(text);
    if (value.empty()) return value;
    const auto special = [](char c) { return c == ' ' || c == '\t' || c == '"' || c == '\''; };
    if (special(value.front()) || special(value.back())) value = '"' + value + '"';
    return value;
}

QString ReadValue(const std::string& stored)
{
    if (stored.compare(0, kUtf8Mark.size(), kUtf8Mark) == 0)
        return QUrl::fromPercentEncoding(QByteArray::fromStdString(stored.substr(kUtf8Mark.size())));
    return Cp1251ToQString(stored);
}

} // namespace

bool SamePath(const QString& a, const QString& b)
{
#ifdef Q_OS_WIN
    const Qt::CaseSensitivity cs = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity cs = Qt::CaseSensitive;
#endif
    return QDir::cleanPath(QDir::fromNativeSeparators(a)).compare(QDir::cleanPath(QDir::fromNativeSeparators(b)), cs) == 0;
}

void RecentTexts::Add(const RecentText& text)
{
    Remove(text.path);
    entries_.insert(entries_.begin(), text);
    if (entries_.size() > static_cast<size_t>(kMaxRecentTexts)) entries_.resize(kMaxRecentTexts);
}

void RecentTexts::Update(const RecentText& text)
{
    for (RecentText& entry : entries_)
        if (SamePath(entry.path, text.path)) entry = text;
}

void RecentTexts::Remove(const QString& path)
{
    std::erase_if(entries_, [&](const RecentText& e) { return SamePath(e.path, path); });
}

RecentTexts RecentTexts::Read(const IniView& config)
{
    RecentTexts list;
    for (size_t i = 0; i < static_cast<size_t>(kMaxRecentTexts); ++i) {
        const QString path = ReadValue(config.ReadString(kRecentSection, Key("File", i), {}));
        if (path.isEmpty()) continue;
        if (std::any_of(list.entries_.begin(), list.entries_.end(), [&](const RecentText& e) { return SamePath(e.path, path); }))
            continue;
        RecentText entry;
        entry.path = path;
        entry.title = ReadValue(config.ReadString(kRecentSection, Key("Title", i), {}));
        entry.encoding = EncodingFromKey(config.ReadString(kRecentSection, Key("Encoding", i), "auto")).value_or(TextEncoding::Auto);
        list.entries_.push_back(entry);
    }
    return list;
}

std::vector<std::pair<std::string, std::string>> RecentTexts::Keys() const
{
    std::vector<std::pair<std::string, std::string>> keys;
    size_t index = 0;
    for (const RecentText& entry : entries_) {
        const std::string path = StoredValue(entry.path);
        std::string title = StoredValue(entry.title);
        if (path.size() > IniFile::kMaxText) continue;  // a value is read back cut at this length
        if (title.size() > IniFile::kMaxText) title.clear();
        keys.emplace_back(Key("File", index), path);
        keys.emplace_back(Key("Title", index), title);
        keys.emplace_back(Key("Encoding", index), EncodingKey(entry.encoding));
        ++index;
    }
    return keys;
}

void RecentTexts::Write(IniFile& config) const
{
    config.ReplaceSection(kRecentSection, Keys());
}

void RecentTexts::Write(IniFile::Batch& config) const
{
    config.ReplaceSection(kRecentSection, Keys());
}

} // namespace lumira
