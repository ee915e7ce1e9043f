#pragma once
// The texts opened last, newest first, with the title and the encoding each was read in. They
// live in config.ini in a section of their own ([Recent]: File1, Title1, Encoding1, ...), which
// the other sections' readers pass over.
#include "platform/ini_file.h"
#include "platform/text_encoding.h"

#include <QString>
#include <string>
#include <utility>
#include <vector>

namespace lumira {

class IniView;

inline constexpr const char* kRecentSection = "Recent";
inline constexpr int kMaxRecentTexts = 10;

struct RecentText {
    QString path;   // absolute
    QString title;  // the book's title as last given
    TextEncoding encoding = TextEncoding::Auto;

    bool operator==(const RecentText&) const = default;
};

class RecentTexts {
public:
    const std::vector<RecentText>& Entries() const { return entries_; }
    bool Empty() const { return entries_.empty(); }

    // Puts `text` first; an entry of the same file goes, and the oldest beyond ten.
    void Add(const RecentText& text);
    // Updates the title and encoding of the entry of `path`, where it stands; nothing when absent.
    void Update(const RecentText& text);
    void Remove(const QString& path);
    void Clear() { entries_.clear(); }

    // The list as config.ini holds it: entries without a file name are passed over, as are
    // repeats and what lies beyond ten; an unknown encoding reads as "Авто".
    static RecentTexts Read(const IniView& config);
    // Replaces the section with the list in one write ("Unable to write to %s" on failure). A
    // text the file cannot hold as it stands (characters cp1251 lacks, line breaks) is kept as
    // "utf-8:" and its percent-encoded UTF-8; an entry too long for a value is left out.
    void Write(IniFile& config) const;
    // The same, as part of a batch of writes saved together.
    void Write(IniFile::Batch& config) const;

private:
    // The section's keys and values, in order.
    std::vector<std::pair<std::string, std::string>> Keys() const;

    std::vector<RecentText> entries_;
};

// Two paths name the same file (letter case counts where the file system's does).
bool SamePath(const QString& a, const QString& b);

} // namespace lumira
