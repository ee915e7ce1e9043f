#include "book/book_contents.h"

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/text_encoding.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <system_error>

namespace lumira {

namespace {

constexpr char kTitleMark = '\x01';
constexpr char kSpacerMark = '\x02';
constexpr std::size_t kMaxHeadingLength = 60;

unsigned char Byte(char c) { return static_cast<unsigned char>(c); }

bool IsBlank(unsigned char c) { return c == ' ' || c == '\t' || c == 0xA0; }
bool IsUpper(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDF) || c == 0xA8; }
bool IsLower(unsigned char c) { return (c >= 'a' && c <= 'z') || c >= 0xE0 || c == 0xB8; }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

unsigned char Lower(unsigned char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDF)) return static_cast<unsigned char>(c + 0x20);
    return c == 0xA8 ? 0xB8 : c;
}

// The line as a title shows it: control bytes and soft hyphens dropped, blanks collapsed and
// trimmed, cut to kMaxContentsTitle bytes.
std::string Cleaned(std::string_view line)
{
    std::string out;
    bool space = false;
    for (char ch : line) {
        const unsigned char c = Byte(ch);
        if (c < ' ' && c != '\t') continue;
        if (c == 0xAD) continue;
        if (IsBlank(c)) {
            space = !out.empty();
            continue;
        }
        if (space) out += ' ';
        space = false;
        out += ch;
    }
    if (out.size() > kMaxContentsTitle) out.resize(kMaxContentsTitle);
    return out;
}

bool IsRoman(std::string_view word)
{
    if (!word.empty() && word.back() == '.') word.remove_suffix(1);
    if (word.empty() || word.size() > 10) return false;
    return std::all_of(word.begin(), word.end(), [](char c) { return std::string_view("IVXLCDM").find(c) != std::string_view::npos; });
}

// What a plain line may be as a heading.
enum class Heading { None, Part, Chapter, Capitals };

// "Глава 5", "Часть первая", "Chapter XII", "Пролог": a keyword, then a number or a short rest.
Heading KeywordHeading(std::string_view t)
{
    struct Keyword {
        std::string_view word;
        Heading kind;
        bool alone;  // the word is the whole heading
    };
    static constexpr std::array<Keyword, 12> kKeywords{{
        {"\xE3\xEB\xE0\xE2\xE0", Heading::Chapter, false},                  // глава
        {"\xF7\xE0\xF1\xF2\xFC", Heading::Part, false},                     // часть
        {"\xEA\xED\xE8\xE3\xE0", Heading::Part, false},                     // книга
        {"\xEF\xF0\xEE\xEB\xEE\xE3", Heading::Chapter, true},               // пролог
        {"\xFD\xEF\xE8\xEB\xEE\xE3", Heading::Chapter, true},               // эпилог
        {"\xEF\xF0\xE5\xE4\xE8\xF1\xEB\xEE\xE2\xE8\xE5", Heading::Chapter, true},  // предисловие
        {"\xEF\xEE\xF1\xEB\xE5\xF1\xEB\xEE\xE2\xE8\xE5", Heading::Chapter, true},  // послесловие
        {"chapter", Heading::Chapter, false},
        {"part", Heading::Part, false},
        {"book", Heading::Part, false},
        {"prologue", Heading::Chapter, true},
        {"epilogue", Heading::Chapter, true},
    }};
    std::string lower;
    for (char c : t) lower += static_cast<char>(Lower(Byte(c)));
    for (const Keyword& k : kKeywords) {
        if (lower.compare(0, k.word.size(), k.word) != 0) continue;
        std::string_view rest = std::string_view(t).substr(k.word.size());
        if (k.alone) {
            if (rest.empty() || rest == ".") return k.kind;
            continue;
        }
        if (rest.size() < 2 || rest[0] != ' ') continue;
        rest.remove_prefix(1);
        const std::string_view first = rest.substr(0, rest.find(' '));
        std::string_view number = first;
        while (!number.empty() && (number.back() == '.' || number.back() == ':')) number.remove_suffix(1);
        const bool numbered = !number.empty() && (std::all_of(number.begin(), number.end(), [](char c) { return IsDigit(Byte(c)); })
                                                  || IsRoman(number));
        // "Часть первая": a word instead of a number only in a short line that is no sentence.
        const bool worded = t.size() <= 25 && t.back() != '.' && t.back() != ',' && IsLower(Byte(first[0]));
        if (numbered || worded) return k.kind;
    }
    return Heading::None;
}

} // namespace

void ContentsScanner::Feed(const char* bytes, std::size_t count)
{
    const char* p = bytes;
    const char* const end = bytes + count;
    while (p < end) {
        const auto* newline = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        const char* const stop = newline ? newline : end;
        // Only a line's first bytes are looked at: one that shows kLineKept bytes is no heading,
        // however long it goes on. A soft hyphen shows nowhere but at a line's end, so dictionary
        // hyphenation leaves a line as long, and a heading a heading, as it was without. The bytes
        // are copied without a branch on each: every one is written, and the kept ones counted.
        while (p < stop && lineLength_ < kLineKept) {
            const std::size_t take = std::min(static_cast<std::size_t>(stop - p), kLineKept - lineLength_);
            char* out = line_.data() + lineLength_;
            for (const char* const last = p + take; p < last; ++p) {
                const char c = *p;
                *out = c;
                out += static_cast<std::size_t>(c != '\r') & static_cast<std::size_t>(c != '\xAD');
            }
            lineLength_ = static_cast<std::size_t>(out - line_.data());
        }
        p = stop;
        if (!newline) break;
        EndLine();
        lineStart_ = position_ + static_cast<std::size_t>(newline - bytes) + 1;
        p = newline + 1;
    }
    position_ += count;
}

void ContentsScanner::PlainCandidate(bool nextEmpty)
{
    if (!pending_) return;
    pending_ = false;
    if (pendingCapitals_ && !nextEmpty) {
        ++ordinaryLines_;
        return;
    }
    plain_.push_back(pendingEntry_);
}

void ContentsScanner::EndLine()
{
    const std::size_t length = lineLength_;
    lineLength_ = 0;
    LineEnded(std::string_view(line_.data(), length), length);
}

void ContentsScanner::LineEnded(std::string_view line, std::size_t length)
{
    if (keepLines_) lineStarts_.push_back(static_cast<std::uint32_t>(lineStart_));
    const bool title = length > 0 && line[0] == kTitleMark;
    if (title) {
        const std::string text = Cleaned(line);
        if (previousTitle_ && !marked_.empty()) {
            std::string& joined = marked_.back().title;
            if (!text.empty()) joined = Cleaned(joined + " " + text);
        } else if (!text.empty() && (keepLines_ || marked_.size() < kMaxContentsEntries)) {
            marked_.push_back({static_cast<std::uint32_t>(lineStart_), 0, text});
        }
        previousTitle_ = !text.empty() || previousTitle_;
        previousEmpty_ = false;
        PlainCandidate(false);
        return;
    }
    previousTitle_ = false;
    if (length > kMaxHeadingLength) {
        // Too long for a heading: all that matters is whether it shows anything.
        const bool empty = std::none_of(line.begin(), line.end(), [](char c) { return Byte(c) > ' ' && Byte(c) != 0xAD && Byte(c) != 0xA0; });
        PlainCandidate(empty);
        previousEmpty_ = empty;
        if (!empty) ++ordinaryLines_;
        return;
    }
    const std::string text = Cleaned(line);
    const bool empty = text.empty() || (length == 1 && line[0] == kSpacerMark);
    PlainCandidate(empty);
    if (empty) {
        previousEmpty_ = true;
        return;
    }
    const bool wasEmpty = previousEmpty_;
    previousEmpty_ = false;
    Heading kind = Heading::None;
    if (length <= kMaxHeadingLength) {
        kind = KeywordHeading(text);
        if (kind == Heading::None && IsRoman(text)) kind = Heading::Chapter;
        if (kind == Heading::None && wasEmpty) {
            const auto upper = std::count_if(text.begin(), text.end(), [](char c) { return IsUpper(Byte(c)); });
            const bool lower = std::any_of(text.begin(), text.end(), [](char c) { return IsLower(Byte(c)); });
            if (upper >= 2 && !lower) kind = Heading::Capitals;
        }
    }
    if (kind == Heading::None) {
        ++ordinaryLines_;
        return;
    }
    pending_ = true;
    pendingCapitals_ = kind == Heading::Capitals;
    pendingEntry_ = {static_cast<std::uint32_t>(lineStart_), kind == Heading::Part ? 0 : 1, text};
}

std::vector<ContentsEntry> ContentsScanner::Finish(const BookOutline* outline)
{
    if (lineLength_ > 0) {
        EndLine();
        lineStart_ = position_;
    }
    PlainCandidate(true);
    if (outline && outline->given) return FromOutline(*outline);
    if (marked_.size() > kMaxContentsEntries) marked_.resize(kMaxContentsEntries);
    if (!marked_.empty()) return std::move(marked_);
    // Headings are few beside the ordinary lines: in a text of short lines they are none.
    if (plain_.size() < 2 || plain_.size() * 3 > ordinaryLines_) return {};
    // Chapters nest under parts only where the text has parts.
    const bool parts = std::any_of(plain_.begin(), plain_.end(), [](const ContentsEntry& e) { return e.level == 0; });
    if (!parts)
        for (ContentsEntry& e : plain_) e.level = 0;
    if (plain_.size() > kMaxContentsEntries) plain_.resize(kMaxContentsEntries);
    return std::move(plain_);
}

std::vector<ContentsEntry> ContentsScanner::FromOutline(const BookOutline& outline)
{
    std::vector<ContentsEntry> out;
    for (const OutlineEntry& e : outline.entries) {
        if (e.line >= lineStarts_.size()) continue;  // past the text: a volume's neighbour's
        const std::uint32_t position = lineStarts_[e.line];
        std::string title;
        if (e.label.empty()) {
            const auto at = std::lower_bound(marked_.begin(), marked_.end(), position,
                                             [](const ContentsEntry& m, std::uint32_t p) { return m.position < p; });
            if (at == marked_.end() || at->position != position) continue;  // no title was written there
            title = at->title;
        } else {
            title = Cleaned(ConvertBytesToCp1251(e.label, TextEncoding::Utf8));
        }
        if (title.empty()) continue;
        out.push_back({position, std::clamp(e.level, 0, kMaxContentsLevel), std::move(title)});
        if (out.size() == kMaxContentsEntries) break;
    }
    // The phone takes the chapter being read for the last one starting before it.
    std::stable_sort(out.begin(), out.end(), [](const ContentsEntry& a, const ContentsEntry& b) { return a.position < b.position; });
    return out;
}

std::vector<ContentsEntry> ContentsOf(std::string_view text, const BookOutline* outline)
{
    ContentsScanner scanner(outline != nullptr);
    scanner.Feed(text);
    return scanner.Finish(outline);
}

std::string EncodeContents(const std::vector<ContentsEntry>& entries)
{
    std::string out;
    for (const ContentsEntry& e : entries) {
        std::string row(2 * static_cast<std::size_t>(std::clamp(e.level, 0, kMaxContentsLevel)), ' ');
        row += e.title.substr(0, kMaxContentsTitle);
        if (out.size() + 5 + row.size() > kMaxContentsBytes) break;
        for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((e.position >> shift) & 0xFF);
        out += static_cast<char>(row.size());
        out += row;
    }
    return out;
}

void WriteContentsFile(const std::filesystem::path& folder, const std::vector<ContentsEntry>& entries)
{
    const std::filesystem::path file = folder / kContentsFile;
    if (entries.empty()) {
        // Left from an earlier book, it would give this one a stranger's contents.
        std::error_code ec;
        if (std::filesystem::exists(std::filesystem::symlink_status(file, ec)) && !std::filesystem::remove(file, ec))
            ThrowUnableToWrite(file);
        return;
    }
    OutFile out(file);
    out.Write(EncodeContents(entries));
    out.Close();
}

} // namespace lumira
