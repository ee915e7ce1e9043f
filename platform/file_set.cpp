#include "platform/file_set.h"

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/folders.h"

#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <system_error>

namespace lumira {

namespace fs = std::filesystem;

namespace {

// The record: a first line, then one line per step, then a last line, so that a record cut
// short by a kill while it was being written is known as such.
constexpr const char* kRecordHeader = "lumira-commit 1";
constexpr const char* kRecordEnd = "end";
constexpr const char* kRecordSuffix = ".commit";
constexpr const char* kRename = "rename";
constexpr const char* kRemove = "remove";

// A file name in a record line: bytes that would break the line, and "%" itself, as %XX.
std::string Escape(const std::string& name)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : name) {
        if (c < 0x20 || c == 0x7F || c == '%') {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::optional<std::string> Unescape(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        try {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
        } catch (const std::exception&) {
            return std::nullopt;
        }
        i += 2;
    }
    return out;
}

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

// A bare name in the folder: no separator, not "." or "..".
bool PlainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\\') == std::string::npos;
}

struct Record {
    std::vector<std::pair<std::string, std::string>> renames;  // temporary name, target name
    std::vector<std::pair<std::string, std::uint64_t>> removals;
    bool complete = false;
};

// Reads a record; a record that does not parse counts as incomplete.
Record ReadRecord(const fs::path& path)
{
    Record record;
    std::string bytes;
    try {
        bytes = ReadFileBytes(path);
    } catch (const AppError&) {
        return record;
    }
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(bytes.substr(start, end - start));
    if (lines.size() < 2 || lines.front() != kRecordHeader || lines.back() != kRecordEnd) return record;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        const auto fields = SplitTabs(lines[i]);
        if (fields.size() != 3) return record;
        const auto first = Unescape(fields[1]);
        if (!first || !PlainName(*first)) return record;
        if (fields[0] == kRename) {
            const auto target = Unescape(fields[2]);
            if (!IsPendingName(*first) || !target || !PlainName(*target)) return record;
            record.renames.emplace_back(*first, *target);
        } else if (fields[0] == kRemove) {
            try {
                record.removals.emplace_back(*first, std::stoull(fields[2]));
            } catch (const std::exception&) {
                return record;
            }
        } else {
            return record;
        }
    }
    record.complete = true;
    return record;
}

bool IsRecordName(const std::string& name)
{
    const std::string suffix = kRecordSuffix;
    return name.size() > suffix.size() && name.ends_with(suffix) &&
           IsPendingName(name.substr(0, name.size() - suffix.size()));
}

// Removes `target` if it is still a regular file of `size` bytes (never a link or a folder).
void RemoveIfUnchanged(const fs::path& target, std::uint64_t size)
{
    std::error_code ec;
    const auto st = fs::symlink_status(target, ec);
    if (ec || !fs::is_regular_file(st) || fs::file_size(target, ec) != size || ec) return;
    fs::remove(target, ec);
}

// Carries out a complete record of a run that has ended: what was not yet renamed is renamed.
void Finish(const fs::path& folder, const Record& record)
{
    for (const auto& [temp, target] : record.renames) {
        std::error_code ec;
        if (fs::is_regular_file(fs::symlink_status(folder / temp, ec))) fs::rename(folder / temp, folder / target, ec);
    }
    for (const auto& [name, size] : record.removals) RemoveIfUnchanged(folder / name, size);
    SyncFolder(folder);
}

// The temporary files that complete records name.
std::set<std::string> NamedByRecords(const fs::path& folder)
{
    std::set<std::string> named;
    for (const auto& entry : ListFolder(folder)) {
        if (!IsRecordName(entry.path().filename().string())) continue;
        const Record record = ReadRecord(entry.path());
        if (record.complete)
            for (const auto& rename : record.renames) named.insert(rename.first);
    }
    return named;
}

} // namespace

PendingFile& FileSetCommit::Add(const fs::path& target)
{
    if (!files_.empty() && target.parent_path() != files_.front()->Target().parent_path())
        throw std::logic_error("the files of one set lie in one folder");
    files_.push_back(std::make_unique<PendingFile>(target));
    return *files_.back();
}

void FileSetCommit::RemoveWith(const RemovedFile& file)
{
    removals_.push_back(file);
}

void FileSetCommit::Commit()
{
    if (files_.empty()) return;
    const fs::path folder = files_.front()->Target().parent_path();
    for (const auto& file : files_)
        if (!file->Sync()) ThrowUnableToWrite(file->Target());

    // A single rename is whole by itself; anything more is recorded first.
    std::optional<PendingFile> recordFile;
    LiveMark recordMark;
    fs::path recordPath;
    if (files_.size() > 1 || !removals_.empty()) {
        std::string text = std::string(kRecordHeader) + "\n";
        for (const auto& file : files_)
            text += std::string(kRename) + "\t" + Escape(file->TempPath().filename().string()) + "\t" +
                    Escape(file->Target().filename().string()) + "\n";
        for (const RemovedFile& gone : removals_)
            text += std::string(kRemove) + "\t" + Escape(gone.path.filename().string()) + "\t" + std::to_string(gone.size) + "\n";
        text += std::string(kRecordEnd) + "\n";
        for (int attempt = 0; attempt < 16 && !recordMark.Held(); ++attempt) {
            recordPath = folder / (std::string(kPendingPrefix) + RandomLetters(8) + kRecordSuffix);
            recordMark.Create(recordPath);
        }
        if (!recordMark.Held()) ThrowUnableToWrite(files_.front()->Target());
        try {
            WriteFileBytes(recordPath, text);
            if (!recordMark.Sync()) ThrowUnableToWrite(recordPath);
        } catch (const AppError&) {
            std::error_code ec;
            fs::remove(recordPath, ec);
            ThrowUnableToWrite(files_.front()->Target());
        }
        SyncFolder(folder);
    }

    std::optional<fs::path> failed;
    for (const auto& file : files_) {
        try {
            file->Commit();
        } catch (const AppError&) {
            if (!failed) failed = file->Target();
        }
    }
    for (const RemovedFile& gone : removals_) RemoveIfUnchanged(gone.path, gone.size);
    SyncFolder(folder);
    if (recordMark.Held()) {
        std::error_code ec;
        fs::remove(recordPath, ec);
        recordMark.Release();
    }
    if (failed) ThrowUnableToWrite(*failed);
}

void RecoverFolder(const fs::path& folder)
{
    for (const auto& entry : ListFolder(folder)) {
        const fs::path& path = entry.path();
        const std::string name = path.filename().string();
        if (IsRecordName(name)) {
            const auto mark = LiveMark::TakeAbandoned(path);
            if (!mark) continue;
            const Record record = ReadRecord(path);
            if (record.complete) Finish(folder, record);
            std::error_code ec;
            fs::remove(path, ec);
        } else if (IsPendingName(name)) {
            const auto mark = LiveMark::TakeAbandoned(path);
            // Its run has ended; if that run got as far as its record, the file is the record's
            // to put in place, and goes with it once the record is finished.
            if (!mark || NamedByRecords(folder).count(name)) continue;
            std::error_code ec;
            fs::remove(path, ec);
        }
    }
}

} // namespace lumira
