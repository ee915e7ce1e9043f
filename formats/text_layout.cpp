#include "formats/text_layout.h"

#include "platform/errors.h"
#include "platform/files.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace lumira {

namespace {

constexpr size_t kFileBuffer = 64 * 1024;

// The length of a UTF-8 sequence that counts as white space at `s` (0 when none): ASCII blanks
// and line breaks, and the no-break space.
size_t SpaceLength(std::string_view s)
{
    const unsigned char c = static_cast<unsigned char>(s[0]);
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') return 1;
    if (c == 0xC2 && s.size() > 1 && static_cast<unsigned char>(s[1]) == 0xA0) return 2;
    return 0;
}

// The length of a character to drop at `s` (0 when none): the soft hyphen, zero-width spaces
// and joiners, the byte-order mark.
size_t DroppedLength(std::string_view s)
{
    const unsigned char c = static_cast<unsigned char>(s[0]);
    if (c == 0xC2 && s.size() > 1 && static_cast<unsigned char>(s[1]) == 0xAD) return 2;
    if (c == 0xE2 && s.size() > 2 && static_cast<unsigned char>(s[1]) == 0x80) {
        const unsigned char d = static_cast<unsigned char>(s[2]);
        if (d >= 0x8B && d <= 0x8D) return 3;  // zero-width space, non-joiner, joiner
    }
    if (c == 0xEF && s.size() > 2 && static_cast<unsigned char>(s[1]) == 0xBB &&
        static_cast<unsigned char>(s[2]) == 0xBF)
        return 3;
    return 0;
}

// Bytes that are neither white space nor the start of one, nor of a dropped character.
constexpr std::array<bool, 256> kOrdinary = [] {
    std::array<bool, 256> t{};
    for (int c = 0x21; c < 256; ++c) t[static_cast<size_t>(c)] = c != 0xC2 && c != 0xE2 && c != 0xEF;
    return t;
}();

inline bool Ordinary(char b)
{
    return kOrdinary[static_cast<unsigned char>(b)];
}

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kLows = 0x7F7F7F7F7F7F7F7Full;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

// 0x80 in each byte of the word that is zero, 0 in the others.
constexpr std::uint64_t ZeroBytes(std::uint64_t v)
{
    return ~(((v & kLows) + kLows) | v) & kHighs;
}

// 0x80 in each byte of the word that is not ordinary: below 0x21, or 0xC2, 0xE2, 0xEF.
constexpr std::uint64_t SpecialBytes(std::uint64_t v)
{
    const std::uint64_t below = ~(((v & kLows) + kOnes * (0x80 - 0x21)) | v) & kHighs;
    return below | ZeroBytes(v ^ (kOnes * 0xC2)) | ZeroBytes(v ^ (kOnes * 0xE2)) | ZeroBytes(v ^ (kOnes * 0xEF));
}

// Where the run of bytes that go in as they are, starting at `i`, ends: at a byte that may
// start white space or a dropped character, save a single blank between two ordinary bytes,
// which is already what collapsing makes of it.
size_t RunEnd(std::string_view s, size_t i)
{
    const char* const d = s.data();
    const size_t n = s.size();
    size_t j = i;
    for (;;) {
        bool found = false;
        while (n - j >= 8) {
            std::uint64_t v;
            std::memcpy(&v, d + j, 8);
            if (const std::uint64_t special = SpecialBytes(v)) {
                j += static_cast<size_t>(std::countr_zero(special)) >> 3;
                found = true;
                break;
            }
            j += 8;
        }
        if (!found) {
            while (j < n && Ordinary(d[j])) ++j;
            if (j == n) return j;
        }
        if (d[j] == ' ' && j > i && j + 1 < n && Ordinary(d[j + 1])) {
            j += 2;
            continue;
        }
        return j;
    }
}

} // namespace

void HeadSink::Write(std::string_view bytes)
{
    if (head_.size() < keep_) head_.append(bytes.substr(0, keep_ - head_.size()));
    total_ += bytes.size();
}

FileSink::FileSink(const std::filesystem::path& path) : path_(path)
{
    file_ = OpenFileStream(path, "wb");
    if (!file_) ThrowCannotCreate(path);
    buffer_.reserve(kFileBuffer);
}

FileSink::~FileSink()
{
    if (file_) std::fclose(file_);
}

void FileSink::Write(std::string_view bytes)
{
    if (buffer_.size() + bytes.size() > kFileBuffer) {
        if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size())
            ThrowUnableToWrite(path_);
        buffer_.clear();
        if (bytes.size() > kFileBuffer) {
            if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) ThrowUnableToWrite(path_);
            return;
        }
    }
    buffer_.append(bytes);
}

void FileSink::Close()
{
    if (!file_) return;
    const bool written = buffer_.empty() || std::fwrite(buffer_.data(), 1, buffer_.size(), file_) == buffer_.size();
    buffer_.clear();
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!written || !closed) ThrowUnableToWrite(path_);
}

void LayoutWriter::Text(std::string_view s)
{
    size_t i = 0;
    while (i < s.size()) {
        // A run of ordinary bytes goes in at once.
        const size_t j = RunEnd(s, i);
        if (j > i) {
            if (space_) line_ += ' ';
            space_ = false;
            line_.append(s.data() + i, j - i);
            i = j;
            continue;
        }
        if (preformatted_ && s[i] == '\n') {
            EndParagraph();
            ++i;
            continue;
        }
        if (const size_t n = SpaceLength(s.substr(i))) {
            space_ = !line_.empty();
            i += n;
            continue;
        }
        if (const size_t n = DroppedLength(s.substr(i))) {
            i += n;
            continue;
        }
        if (space_) line_ += ' ';
        space_ = false;
        line_ += s[i++];
    }
}

// The marks the page layout reads at a line's start (the same bytes as preview/line_fitting.h's).
constexpr char kTitleMark = '\x01';
constexpr std::string_view kSpacerLine = "\x02\r\n";

// A paragraph that is only a row of asterisks, blanks between them or not: a section break.
bool IsSectionBreak(std::string_view line)
{
    return line.find('*') != std::string_view::npos && line.find_first_not_of("* ") == std::string_view::npos;
}

void LayoutWriter::WriteBlankLine()
{
    sink_->Write(kSpacerLine);
    ++lines_;
}

void LayoutWriter::Place(std::string name)
{
    openPlaces_.push_back(std::move(name));
}

void LayoutWriter::EndLine(bool indent)
{
    space_ = false;
    if (line_.empty()) return;
    if (indent && !preformatted_ && IsSectionBreak(line_)) {
        line_.clear();
        blank_ = true;
        return;
    }
    if (detached_ && !started_) {
        // What comes before a part's first line is settled when it is joined.
        part_.any = true;
        part_.blankBefore = blank_;
        part_.firstIndented = indent;
        part_.ownMark = markSet_;
    } else if (blank_ && started_) {
        WriteBlankLine();
    }
    blank_ = false;
    started_ = true;
    markSet_ = false;
    for (std::string& name : openPlaces_) places_.emplace_back(std::move(name), lines_);
    openPlaces_.clear();
    ++lines_;
    sink_->Write(indent ? std::string_view("   ") : std::string_view(&kTitleMark, 1));
    if (!mark_.empty()) {
        sink_->Write(mark_);
        sink_->Write(" ");
        mark_.clear();
    }
    line_ += "\r\n";
    sink_->Write(line_);
    line_.clear();
}

void LayoutWriter::EndParagraph()
{
    EndLine(true);
}

void LayoutWriter::EndTitleLine()
{
    EndLine(false);
}

void LayoutWriter::BlankLine()
{
    EndParagraph();
    blank_ = true;
}

void LayoutWriter::Title(std::string_view utf8)
{
    BlankLine();
    Text(utf8);
    EndTitleLine();
    BlankLine();
}

void LayoutWriter::AppendLaidOut(std::string_view lines)
{
    EndParagraph();
    if (lines.empty()) return;
    if (blank_ && started_) WriteBlankLine();
    blank_ = false;
    started_ = true;
    sink_->Write(lines);
    lines_ += static_cast<std::uint64_t>(std::count(lines.begin(), lines.end(), '\n'));
}

LayoutPart LayoutWriter::TakePart()
{
    EndParagraph();
    LayoutPart part = std::move(part_);
    part.blankAfter = blank_;
    part.markAfter = markSet_;
    part.mark = std::move(mark_);
    part.lines = std::move(part_sink_.text);
    part.lineCount = lines_;
    part.places = std::move(places_);
    part.openPlaces = std::move(openPlaces_);
    part_ = LayoutPart{};
    part_sink_.text.clear();
    mark_.clear();
    places_.clear();
    openPlaces_.clear();
    lines_ = 0;
    blank_ = started_ = markSet_ = false;
    return part;
}

void LayoutWriter::Join(LayoutPart&& part)
{
    EndParagraph();
    const auto keepOpen = [this, &part] {
        for (std::string& name : part.openPlaces) openPlaces_.push_back(std::move(name));
    };
    if (!part.any) {
        blank_ = blank_ || part.blankAfter;
        if (part.markAfter) SetMark(std::move(part.mark));
        keepOpen();
        return;
    }
    if ((blank_ || part.blankBefore) && started_) WriteBlankLine();
    // Places waiting here land on the part's first line; the part's own follow on from it.
    for (std::string& name : openPlaces_) places_.emplace_back(std::move(name), lines_);
    openPlaces_.clear();
    for (auto& [name, line] : part.places) places_.emplace_back(std::move(name), lines_ + line);
    lines_ += part.lineCount;
    keepOpen();
    std::string_view lines = part.lines;
    if (!part.ownMark && !mark_.empty()) {
        const size_t indent = part.firstIndented ? 3 : 1;
        sink_->Write(lines.substr(0, indent));
        sink_->Write(mark_);
        sink_->Write(" ");
        lines.remove_prefix(indent);
    }
    sink_->Write(lines);
    started_ = true;
    blank_ = part.blankAfter;
    mark_.clear();
    markSet_ = false;
    if (part.markAfter) SetMark(std::move(part.mark));
}

std::string CollapseSpaces(std::string_view utf8)
{
    StringSink sink;
    LayoutWriter writer(sink);
    writer.Text(utf8);
    writer.EndTitleLine();
    std::string& s = sink.text;
    if (s.size() >= 2) s.resize(s.size() - 2);
    if (!s.empty() && s.front() == kTitleMark) s.erase(0, 1);
    return s;
}

} // namespace lumira
