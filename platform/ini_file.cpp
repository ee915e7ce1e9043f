#include "platform/ini_file.h"

#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/line_list.h"

#include <system_error>

namespace lumira {

namespace fs = std::filesystem;

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string Trim(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return std::string(s.substr(b, e - b));
}

// The name of a section line ("[name]"), or nothing for any other line.
std::optional<std::string> SectionName(const std::string& line)
{
    const std::string t = Trim(line);
    if (t.empty() || t.front() != '[') return std::nullopt;
    const size_t close = t.rfind(']');
    const std::string inner = close == std::string::npos || close == 0 ? t.substr(1) : t.substr(1, close - 1);
    return Trim(inner);
}

// The key of a "key=value" line, or nothing.
std::optional<std::string> KeyName(const std::string& line)
{
    const size_t eq = line.find('=');
    if (eq == std::string::npos) return std::nullopt;
    return Trim(std::string_view(line).substr(0, eq));
}

std::string LoadText(const fs::path& path)
{
    // Only a file that is not there reads as empty. One that is there but cannot be read is a
    // failure: taking it as empty would let the next write replace its other sections.
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (st.type() == fs::file_type::not_found) return {};
    if (ec || !fs::is_regular_file(st)) ThrowCannotOpen(path, ec ? ec.value() : TargetRefusal(path));
    return ReadFileBytes(path);
}

LineList LoadLines(const fs::path& path)
{
    return SplitLines(LoadText(path));
}

struct SectionSpan {
    size_t header;  // index of the section line
    size_t end;     // one past the section's last line
};

std::optional<SectionSpan> FindSection(const LineList& lines, const std::string& section)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(lines[i]);
        if (!name || !Cp1251EqualsNoCase(*name, section)) continue;
        size_t end = i + 1;
        while (end < lines.size() && !SectionName(lines[end])) ++end;
        return SectionSpan{i, end};
    }
    return std::nullopt;
}

std::optional<size_t> FindKey(const LineList& lines, const SectionSpan& span, const std::string& key)
{
    for (size_t i = span.header + 1; i < span.end; ++i) {
        const auto name = KeyName(lines[i]);
        if (name && !SectionName(lines[i]) && Cp1251EqualsNoCase(*name, key)) return i;
    }
    return std::nullopt;
}

} // namespace

IniView::IniView(std::string_view text) : lines_(SplitLines(text)) {}

std::optional<std::string> IniView::RawValue(const std::string& section, const std::string& key) const
{
    const auto span = FindSection(lines_, section);
    if (!span) return std::nullopt;
    const auto at = FindKey(lines_, *span, key);
    if (!at) return std::nullopt;
    const std::string& line = lines_[*at];
    std::string value = Trim(std::string_view(line).substr(line.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    if (value.size() > IniFile::kMaxText) value.resize(IniFile::kMaxText);
    return value;
}

std::string IniView::ReadString(const std::string& section, const std::string& key, const std::string& def) const
{
    auto value = RawValue(section, key);
    return value ? *value : def;
}

std::int32_t IniView::ReadInteger(const std::string& section, const std::string& key, std::int32_t def) const
{
    const auto value = RawValue(section, key);
    if (!value || value->empty()) return def;
    return IniFile::ParseInteger(*value).value_or(def);
}

bool IniView::ReadBool(const std::string& section, const std::string& key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

std::vector<std::string> IniView::ReadSections() const
{
    std::vector<std::string> names;
    size_t used = 0;
    for (const auto& line : lines_) {
        const auto name = SectionName(line);
        if (!name) continue;
        // Each name takes its length plus a zero; one more zero ends the list.
        if (used + name->size() + 1 + 1 > IniFile::kSectionBuffer) break;
        used += name->size() + 1;
        names.push_back(*name);
    }
    return names;
}

bool IniView::SectionExists(const std::string& section) const
{
    return FindSection(lines_, section).has_value();
}

bool IniView::KeyExists(const std::string& section, const std::string& key) const
{
    return RawValue(section, key).has_value();
}

IniFile::IniFile(fs::path path) : path_(std::move(path)) {}

IniView IniFile::Snapshot() const
{
    return IniView(LoadText(path_));
}

std::string IniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const
{
    return Snapshot().ReadString(section, key, def);
}

std::optional<std::int32_t> IniFile::ParseInteger(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return std::nullopt;
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return std::nullopt;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    if (base == 16) {
        // Hexadecimal covers all 32 bits: $FFFFFFFF is -1.
        const auto bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
        return negative ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(bits)) : bits;
    }
    if (negative) {
        if (value > 0x80000000ull) return std::nullopt;
        return static_cast<std::int32_t>(-static_cast<std::int64_t>(value));
    }
    if (value > 0x7FFFFFFFull) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::int32_t IniFile::ReadInteger(const std::string& section, const std::string& key, std::int32_t def) const
{
    return Snapshot().ReadInteger(section, key, def);
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool def) const
{
    return Snapshot().ReadBool(section, key, def);
}

std::vector<std::string> IniFile::ReadSections() const
{
    return Snapshot().ReadSections();
}

bool IniFile::KeyExists(const std::string& section, const std::string& key) const
{
    return Snapshot().KeyExists(section, key);
}

bool IniFile::SectionExists(const std::string& section) const
{
    return Snapshot().SectionExists(section);
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    Batch batch(*this);
    batch.WriteString(section, key, value);
    batch.Save();
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, std::int32_t value)
{
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

void IniFile::EraseSection(const std::string& section)
{
    Batch batch(*this);
    batch.EraseSection(section);
    batch.Save();
}

IniFile::Batch::Batch(const IniFile& file) : path_(file.Path()), lines_(LoadLines(path_)) {}

void IniFile::Batch::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    LineList& lines = lines_;
    const std::string entry = key + "=" + value;
    if (const auto span = FindSection(lines, section)) {
        if (const auto at = FindKey(lines, *span, key)) {
            lines[*at] = Trim(std::string_view(lines[*at]).substr(0, lines[*at].find('='))) + "=" + value;
        } else {
            size_t insertAt = span->end;
            while (insertAt > span->header + 1 && Trim(lines[insertAt - 1]).empty()) --insertAt;
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
        }
    } else {
        if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    }
    // A line break or zero byte in a name or value splits the line when the file is read again:
    // the next write sees the lines the file will hold.
    if ((section + entry).find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
        lines = SplitLines(JoinLines(lines));
    changed_ = true;
}

void IniFile::Batch::WriteInteger(const std::string& section, const std::string& key, std::int32_t value)
{
    WriteString(section, key, std::to_string(value));
}

void IniFile::Batch::WriteBool(const std::string& section, const std::string& key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

void IniFile::Batch::EraseSection(const std::string& section)
{
    const auto span = FindSection(lines_, section);
    if (!span) {
        mustBeWritable_ = true;
        return;
    }
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(span->header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(span->end));
    changed_ = true;
}

bool IniFile::Batch::KeyExists(const std::string& section, const std::string& key) const
{
    const auto span = FindSection(lines_, section);
    return span && FindKey(lines_, *span, key).has_value();
}

void IniFile::Batch::Save()
{
    if (changed_) WriteFileAtomically(path_, JoinLines(lines_));
    else if (mustBeWritable_ && IsReadOnlyFile(path_)) ThrowUnableToWrite(path_, EACCES);
    changed_ = mustBeWritable_ = false;
}

namespace {

// Puts `entries` in place of the section's keys, or adds the section at the end.
void ReplaceSectionIn(LineList& lines, const std::string& section,
                      const std::vector<std::pair<std::string, std::string>>& entries)
{
    LineList body;
    for (const auto& [key, value] : entries) body.push_back(key + "=" + value);
    if (const auto span = FindSection(lines, section)) {
        // Blank lines that close the section stay to part it from the next one.
        size_t end = span->end;
        while (end > span->header + 1 && Trim(lines[end - 1]).empty()) --end;
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(span->header + 1),
                    lines.begin() + static_cast<std::ptrdiff_t>(end));
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(span->header + 1), body.begin(), body.end());
    } else {
        if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
        lines.push_back("[" + section + "]");
        lines.insert(lines.end(), body.begin(), body.end());
    }
}

} // namespace

void IniFile::ReplaceSection(const std::string& section,
                             const std::vector<std::pair<std::string, std::string>>& entries)
{
    if (entries.empty()) {
        EraseSection(section);
        return;
    }
    LineList lines = LoadLines(path_);
    ReplaceSectionIn(lines, section, entries);
    WriteFileAtomically(path_, JoinLines(lines));
}

void IniFile::Batch::ReplaceSection(const std::string& section,
                                    const std::vector<std::pair<std::string, std::string>>& entries)
{
    if (entries.empty()) {
        EraseSection(section);
        return;
    }
    ReplaceSectionIn(lines_, section, entries);
    changed_ = true;
}

} // namespace lumira
