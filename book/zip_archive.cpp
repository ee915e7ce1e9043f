#include "book/zip_archive.h"

#include "book/deflate_engine.h"
#include "platform/folders.h"
#include "platform/ordered_work.h"
#include "formats/zip_reader.h"
#include "formats/zip_streams.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/pending_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>
#include <minizip/zip.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <unordered_set>
#include <vector>

namespace lumira {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kCopyBuffer = 256 * 1024;
constexpr std::uint64_t kWholeFileLimit = 1 << 20;  // larger files are compressed as they are read
constexpr unsigned long kMadeByMsDos20 = 20;            // host 0 (MS-DOS), version 2.0
constexpr unsigned long kUtf8NameFlag = 0x800;

constexpr unsigned long kDosReadOnly = 0x01;
constexpr unsigned long kDosFolder = 0x10;
constexpr unsigned long kDosArchive = 0x20;

std::string Utf8(const QString& s)
{
    return s.toStdString();
}

// ---- times -----------------------------------------------------------------------------------

std::tm LocalTime(std::time_t t)
{
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    return tm;
}

tm_zip DosStamp(const fs::path& path)
{
    std::error_code ec;
    const auto ftime = fs::last_write_time(path, ec);
    std::time_t t = ec ? std::time(nullptr)
                       : std::chrono::system_clock::to_time_t(
                             std::chrono::time_point_cast<std::chrono::system_clock::duration>(
                                 std::chrono::file_clock::to_sys(ftime)));
    std::tm tm = LocalTime(t);
    tm_zip z{};
    // An MS-DOS stamp covers 1980 to 2107.
    if (tm.tm_year < 80) {
        z.tm_year = 1980; z.tm_mon = 0; z.tm_mday = 1;
    } else if (tm.tm_year > 207) {
        z.tm_year = 2107; z.tm_mon = 11; z.tm_mday = 31; z.tm_hour = 23; z.tm_min = 59; z.tm_sec = 58;
    } else {
        z.tm_year = static_cast<uInt>(tm.tm_year + 1900);
        z.tm_mon = static_cast<uInt>(tm.tm_mon);
        z.tm_mday = static_cast<uInt>(tm.tm_mday);
        z.tm_hour = static_cast<uInt>(tm.tm_hour);
        z.tm_min = static_cast<uInt>(tm.tm_min);
        z.tm_sec = static_cast<uInt>(tm.tm_sec);
    }
    return z;
}

void SetModificationTime(const fs::path& path, const ZipTime& stamp)
{
    std::tm tm{};
    tm.tm_year = stamp.year - 1900;
    tm.tm_mon = stamp.month;
    tm.tm_mday = stamp.day;
    tm.tm_hour = stamp.hour;
    tm.tm_min = stamp.minute;
    tm.tm_sec = stamp.second;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1)) return;
    std::error_code ec;
    fs::last_write_time(path, std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(t)), ec);
}

// ---- names -----------------------------------------------------------------------------------

// Bytes of an entry name and the flag telling how they are encoded.
struct EncodedName {
    std::string bytes;
    unsigned long flag = 0;
};

EncodedName EncodeName(const QString& name)
{
    QStringEncoder oem("IBM866");
    if (oem.isValid()) {
        QByteArray bytes = oem.encode(name);
        if (!oem.hasError()) return {bytes.toStdString(), 0};
    } else {
        bool ascii = true;
        for (QChar c : name) ascii = ascii && c.unicode() < 0x80;
        if (ascii) return {name.toStdString(), 0};
    }
    return {name.toStdString(), kUtf8NameFlag};
}

QString DecodeName(const std::string& bytes, unsigned long flag)
{
    if (flag & kUtf8NameFlag) return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QStringDecoder oem("IBM866");
    if (oem.isValid()) return oem.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// ---- writing ---------------------------------------------------------------------------------

constexpr std::size_t kNotReady = static_cast<std::size_t>(-1);

// One entry of the archive as the folder walk meets it.
struct FolderEntry {
    const fs::path& source;  // empty for a ready file
    const QString& name;     // relative, "/" separated, folders ending in "/"
    bool folder;
    std::uint64_t size;
    std::size_t ready = kNotReady;  // the ReadyFiles index of a file compressed beforehand
};

bool SamePath(const fs::path& a, const fs::path& b)
{
    if (b.empty() || a.filename() != b.filename()) return false;
    std::error_code ec;
    if (fs::equivalent(a, b, ec) && !ec) return true;
    return fs::absolute(a, ec).lexically_normal() == fs::absolute(b, ec).lexically_normal();
}

// What the walk leaves out and what it adds.
struct WalkRules {
    fs::path skipA, skipB, skipC;
    const ReadyFiles* ready = nullptr;
    QString readyPrefix;     // the ready files' folder as entry names begin with it
    bool readyMet = false;   // that folder was walked
};

// Visits every file and folder below `folder` in archive order: the files of a folder first,
// then each subfolder's entry followed by its contents. Links and the skipped paths are left
// out; the ready files join their folder's files, in name order, in place of files of the same
// name. Only one folder's listing is held at a time, whatever the size of the tree.
template <typename Visit>
void WalkFolder(const fs::path& folder, const QString& prefix, WalkRules& rules, Visit&& visit)
{
    struct FileItem {
        fs::path source, name;
        std::uint64_t size;
        std::size_t ready;
    };
    const bool readyHere = rules.ready && prefix == rules.readyPrefix;
    std::unordered_set<std::string> readyNames;
    if (readyHere) {
        rules.readyMet = true;
        for (const ReadyFile& f : rules.ready->files) readyNames.insert(f.name);
    }
    std::vector<FileItem> files;
    std::vector<fs::path> subfolders;
    for (const auto& e : ListFolder(folder)) {
        std::error_code ec;
        const auto st = e.symlink_status(ec);
        if (ec || fs::is_symlink(st)) continue;
        if (fs::is_directory(st)) {
            subfolders.push_back(e.path());
        } else if (fs::is_regular_file(st)) {
            if (SamePath(e.path(), rules.skipA) || SamePath(e.path(), rules.skipB) || SamePath(e.path(), rules.skipC))
                continue;
            if (readyNames.count(e.path().filename().string())) continue;
            const std::uint64_t size = e.file_size(ec);
            files.push_back({e.path(), e.path().filename(), ec ? 0 : size, kNotReady});
        }
    }
    if (readyHere) {
        for (std::size_t i = 0; i < rules.ready->files.size(); ++i)
            files.push_back({fs::path(), fs::path(rules.ready->files[i].name), rules.ready->files[i].size, i});
        std::stable_sort(files.begin(), files.end(),
                         [](const FileItem& a, const FileItem& b) { return ListedBefore(a.name, b.name); });
    }
    for (const FileItem& f : files) {
        const QString name = prefix + FromFsPath(f.name);
        visit(FolderEntry{f.source, name, false, f.size, f.ready});
    }
    files.clear();
    for (const auto& sub : subfolders) {
        const QString name = prefix + FromFsPath(sub.filename()) + "/";
        visit(FolderEntry{sub, name, true, 0});
        WalkFolder(sub, name, rules, visit);
    }
}

// What an entry can add to the archive at most: local and central headers, and the worst case
// of Deflate on data that does not compress.
std::uint64_t EntryBound(std::uint64_t nameBytes, std::uint64_t size)
{
    return 30 + 46 + 2 * nameBytes + size + (size >> 11) + 64;
}

// Closes an unfinished archive on every failure path.
struct ZipCloser {
    zipFile zip = nullptr;
    ~ZipCloser()
    {
        if (zip) zipClose(zip, nullptr);
    }
};

// An entry as listed before writing.
struct ListedEntry {
    fs::path source;
    EncodedName name;
    bool folder;
    std::uint64_t size;
    std::size_t ready;
};

// An entry ready to be written: its stamp and attributes, and for a file held whole its
// compressed bytes, CRC and size.
struct PackedEntry {
    zip_fileinfo info{};
    bool streamed = false;  // too large to hold: compressed while written
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    std::vector<char> data;
};

// A file compressed beforehand, as the caller keeps it.
PackedEntry PackReady(const ReadyFiles& ready, std::size_t index, const tm_zip& stamp)
{
    const ReadyFile& f = ready.files[index];
    PackedEntry packed;
    packed.info.tmz_date = stamp;
    packed.info.external_fa = kDosArchive;
    packed.info.internal_fa = f.text ? 1 : 0;
    packed.size = f.size;
    packed.crc = f.crc;
    if (f.size > 0) ready.fetch(index, packed.data);
    return packed;
}

PackedEntry PackEntry(const ListedEntry& e, RawDeflater& deflater)
{
    PackedEntry packed;
    packed.info.tmz_date = DosStamp(e.source);
    packed.info.external_fa = (e.folder ? kDosFolder : kDosArchive) | (IsReadOnlyFile(e.source) ? kDosReadOnly : 0);
    if (e.folder || e.size == 0) return packed;
    if (e.size > kWholeFileLimit) {
        packed.streamed = true;
        return packed;
    }
    InFile in(e.source);
    std::vector<char> bytes(static_cast<std::size_t>(e.size));
    std::size_t have = 0;
    for (;;) {
        if (have == bytes.size()) bytes.resize(bytes.size() + kCopyBuffer);  // the file grew
        const std::size_t n = in.Read(bytes.data() + have, bytes.size() - have);
        if (n == 0) break;
        have += n;
    }
    bytes.resize(have);
    packed.size = have;
    packed.crc = Crc32Of(bytes.data(), bytes.size());
    // The "text" attribute: zlib's judgement, as an entry streamed through it gets it.
    packed.info.internal_fa = deflater.Compress(bytes.data(), bytes.size(), packed.data) ? 1 : 0;
    return packed;
}

} // namespace

void WriteFolderArchiveFile(const fs::path& file, const fs::path& baseFolder, const fs::path& shownAs,
                            const ZipProgress& progress, const ArchiveCompression& compression,
                            const ReadyFiles* ready, const ZipLimits& limits)
{
    const QString shown = FromFsPath(fs::path(shownAs).make_preferred());
    const auto tooMany = [&] {
        throw AppError(Utf8(QCoreApplication::translate("ZipArchive", "Слишком много файлов для архива %1: не более %2.")
                                .arg(shown).arg(limits.entries)));
    };
    const auto tooLarge = [&] {
        throw AppError(Utf8(QCoreApplication::translate("ZipArchive", "Архив %1 получился бы больше 4 ГБ.").arg(shown)));
    };

    // A first walk lists and measures the tree, so that what a plain archive cannot hold is
    // refused before the file is created.
    std::vector<ListedEntry> entries;
    std::uint64_t total = 0, bound = 22;
    WalkRules rules;
    rules.skipA = file;
    rules.skipB = shownAs;
    if (ready) {
        rules.skipC = ready->skip;
        rules.ready = ready;
        rules.readyPrefix = QDir::fromNativeSeparators(FromFsPath(ready->folder)) + "/";
    }
    WalkFolder(baseFolder, QString(), rules, [&](const FolderEntry& e) {
        if (entries.size() + 1 > limits.entries) tooMany();
        EncodedName name = EncodeName(e.name);
        total += e.size;
        bound += EntryBound(name.bytes.size(), e.size);
        if (bound >= limits.bytes) tooLarge();
        entries.push_back(ListedEntry{e.source, std::move(name), e.folder, e.size, e.ready});
    });
    if (ready && !ready->files.empty() && !rules.readyMet)
        ThrowCannotCreate(baseFolder / ready->folder / ready->files.front().name, ENOENT);

    zlib_filefunc64_def streams = PathStreams();
    ZipCloser out;
    out.zip = zipOpen2_64(&file, APPEND_STATUS_CREATE, nullptr, &streams);
    if (!out.zip) ThrowCannotCreate(shownAs);

    std::vector<char> buffer;
    std::uint64_t done = 0;
    bound = 22;
    if (progress) progress(0, total);
    const tm_zip readyStamp = ready ? DosStamp(ready->stampFrom) : tm_zip{};

    // Files are read and compressed ahead on every thread, a few at a time, and written here in
    // the walk's order; a file too large to hold whole is compressed here as it is read.
    const auto pack = [&](std::size_t i) {
        if (entries[i].ready != kNotReady) return PackReady(*ready, entries[i].ready, readyStamp);
        return PackEntry(entries[i], compression.ThreadDeflater(kCopyBuffer));
    };
    const auto write = [&](std::size_t i, PackedEntry& packed) {
        const ListedEntry& e = entries[i];
        const bool deflate = !e.folder && e.size > 0;
        const bool raw = deflate && !packed.streamed;
        if (zipOpenNewFileInZip4_64(out.zip, e.name.bytes.c_str(), &packed.info, nullptr, 0, nullptr, 0, nullptr,
                                    deflate ? Z_DEFLATED : 0, deflate ? kArchiveLevel : 0, raw ? 1 : 0, -MAX_WBITS,
                                    DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, kMadeByMsDos20, e.name.flag,
                                    0) != ZIP_OK)
            ThrowUnableToWrite(shownAs);
        std::uint64_t copied = 0;
        if (raw) {
            copied = packed.size;
            if (bound + EntryBound(e.name.bytes.size(), copied) >= limits.bytes) tooLarge();
            if (!packed.data.empty() &&
                zipWriteInFileInZip(out.zip, packed.data.data(), static_cast<unsigned>(packed.data.size())) != ZIP_OK)
                ThrowUnableToWrite(shownAs);
            done += copied;
            if (zipCloseFileInZipRaw64(out.zip, packed.size, packed.crc) != ZIP_OK) ThrowUnableToWrite(shownAs);
        } else {
            std::optional<InFile> in;
            if (deflate) in.emplace(e.source);
            buffer.resize(kCopyBuffer);
            while (in) {
                const size_t n = in->Read(buffer.data(), buffer.size());
                if (n == 0) break;
                copied += n;
                if (bound + EntryBound(e.name.bytes.size(), copied) >= limits.bytes) tooLarge();
                if (zipWriteInFileInZip(out.zip, buffer.data(), static_cast<unsigned>(n)) != ZIP_OK)
                    ThrowUnableToWrite(shownAs);
                done += n;
                if (progress) progress(done, total);
            }
            if (zipCloseFileInZip(out.zip) != ZIP_OK) ThrowUnableToWrite(shownAs);
        }
        bound += EntryBound(e.name.bytes.size(), copied);
        if (progress) progress(done, total);
    };
    RunInOrder<PackedEntry>(entries.size(), compression.Threads(), 4 * std::size_t{compression.Threads()}, pack,
                            write);

    zipFile zip = out.zip;
    out.zip = nullptr;
    if (zipClose(zip, nullptr) != ZIP_OK) ThrowUnableToWrite(shownAs);
}

void WriteFolderArchive(const fs::path& archive, const fs::path& baseFolder, const ZipProgress& progress,
                        const ArchiveCompression& compression, const ZipLimits& limits)
{
    if (const int refusal = TargetRefusal(archive)) ThrowCannotCreate(archive, refusal);
    PendingFile pending(archive);
    WriteFolderArchiveFile(pending.TempPath(), baseFolder, archive, progress, compression, nullptr, limits);
    pending.Commit();
}

namespace {

struct ArchiveEntry {
    QString name;                      // as stored, decoded
    std::vector<fs::path> components;  // safe path components below the base folder
    bool folder = false;
};

[[noreturn]] void ThrowBadEntry(const fs::path& archive, const QString& entry)
{
    throw AppError(Utf8(QCoreApplication::translate("ZipArchive", "Архив %1 содержит недопустимое имя: %2")
                            .arg(FromFsPath(fs::path(archive).make_preferred()), entry)));
}

// Splits a stored name into the path components it may create; absolute names, drive letters and
// ".." are refused.
ArchiveEntry CheckEntryName(const fs::path& archive, const QString& name)
{
    ArchiveEntry entry;
    entry.name = name;
    if (name.isEmpty() || name.startsWith('/') || name.startsWith('\\') || name.contains(QChar(0)))
        ThrowBadEntry(archive, name);
    entry.folder = name.endsWith('/') || name.endsWith('\\');
    QString unified = name;
    unified.replace('\\', '/');
    for (const QString& part : unified.split('/', Qt::SkipEmptyParts)) {
        if (part == ".") continue;
        if (part == ".." || part.contains(':')) ThrowBadEntry(archive, name);
        entry.components.push_back(fs::path(part.toStdU16String()));
    }
    if (entry.components.empty()) {
        if (entry.folder) return entry;  // "./" names the base folder itself
        ThrowBadEntry(archive, name);
    }
    return entry;
}

// Creates the folders of `parts` below `base`; a link on the way is refused.
fs::path MakeFolders(const fs::path& archive, const fs::path& base, const std::vector<fs::path>& parts,
                     size_t count, const QString& entryName)
{
    fs::path at = base;
    for (size_t i = 0; i < count; ++i) {
        at /= parts[i];
        std::error_code ec;
        const auto st = fs::symlink_status(at, ec);
        if (fs::is_symlink(st))
            throw AppError(Utf8(QCoreApplication::translate("ZipArchive", "Архив %1: запись %2 ведёт через символическую ссылку.")
                                    .arg(FromFsPath(fs::path(archive).make_preferred()), entryName)));
        if (fs::is_directory(st)) continue;
        if (fs::exists(st)) ThrowCannotCreate(at, EEXIST);
        if (!fs::create_directory(at, ec) || ec) ThrowCannotCreate(at, ec ? ec.value() : EEXIST);
    }
    return at;
}

void RestoreAttributes(const fs::path& file, const ZipEntry& entry)
{
    const unsigned host = (entry.madeBy >> 8) & 0xFF;
    std::error_code ec;
    if (host == 3) {  // Unix: permission bits in the high word
        const auto mode = static_cast<unsigned>(entry.attributes >> 16) & 0777;
        if (mode != 0)
            fs::permissions(file, static_cast<fs::perms>(mode) | fs::perms::owner_read, fs::perm_options::replace, ec);
    }
    if (entry.attributes & kDosReadOnly) {
        constexpr auto anyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
        fs::permissions(file, anyWrite, fs::perm_options::remove, ec);
    }
}

[[noreturn]] void ThrowTooLarge(const fs::path& archive, std::uint64_t limit)
{
    throw AppError(Utf8(QCoreApplication::translate("ZipArchive", "Архив %1 распаковывается больше чем в %2 байт: он повреждён.")
                            .arg(FromFsPath(fs::path(archive).make_preferred()))
                            .arg(static_cast<qulonglong>(limit))));
}

} // namespace

void ExtractArchive(const fs::path& archive, const fs::path& baseFolder, std::uint64_t limit)
{
    std::error_code ec;
    if (!fs::is_regular_file(archive, ec))
        throw AppError(Utf8(QCoreApplication::translate("ZipArchive", "Не найден файл %1").arg(FromFsPath(fs::path(archive).make_preferred()))));
    ZipReader reader{TextFile(archive)};

    // First every name and entry is checked, so a bad archive writes nothing at all.
    std::vector<ArchiveEntry> entries;
    std::uint64_t declared = 0;
    for (const ZipEntry& stored : reader.Entries()) {
        entries.push_back(CheckEntryName(archive, DecodeName(stored.name, stored.utf8Name ? kUtf8NameFlag : 0)));
        if (!entries.back().folder) reader.Check(stored);
        // Each entry yields no more than its stored size (the reader makes sure), so the sum of
        // those bounds what is written.
        declared += stored.size;
        if (stored.size > limit || declared > limit) ThrowTooLarge(archive, limit);
    }

    if (!CreateFolderChain(baseFolder)) ThrowCannotCreate(baseFolder);
    for (size_t index = 0; index < entries.size(); ++index) {
        const ArchiveEntry& entry = entries[index];
        const ZipEntry& stored = reader.Entries()[index];
        if (entry.folder) {
            MakeFolders(archive, baseFolder, entry.components, entry.components.size(), entry.name);
            continue;
        }
        const fs::path folder =
            MakeFolders(archive, baseFolder, entry.components, entry.components.size() - 1, entry.name);
        const fs::path target = folder / entry.components.back();
        if (fs::is_directory(fs::symlink_status(target, ec))) ThrowCannotCreate(target, EISDIR);

        // Written beside the target and renamed over it: a read-only file or a link in its place
        // is replaced, never written through.
        PendingFile pending(target);
        {
            std::unique_ptr<OutFile> made;
            try {
                made = std::make_unique<OutFile>(pending.TempPath());
            } catch (const AppError& e) {
                ThrowCannotCreate(target, e.SystemError());
            }
            reader.CopyTo(stored, *made, target);
            try {
                made->Close();
            } catch (const AppError& e) {
                ThrowUnableToWrite(target, e.SystemError());
            }
        }
        SetModificationTime(pending.TempPath(), stored.modified);
        RestoreAttributes(pending.TempPath(), stored);
        pending.Commit(PendingFile::Durability::Scratch);  // the build's own working copy
    }
}

} // namespace lumira
