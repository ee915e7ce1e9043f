#include "formats/zip_reader.h"

#include "formats/zip_streams.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/language.h"

#include <minizip/unzip.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace lumira {

namespace fs = std::filesystem;

namespace {

unzFile Handle(void* p)
{
    return static_cast<unzFile>(p);
}

constexpr unsigned long kUtf8NameFlag = 0x800;
constexpr size_t kCopyBuffer = 256 * 1024;

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

bool LooksLikeZip(std::string_view head)
{
    return head.size() >= 4 && head[0] == 'P' && head[1] == 'K' &&
           ((head[2] == 3 && head[3] == 4) || (head[2] == 5 && head[3] == 6));
}

ZipReader::ZipReader(const TextFile& archive) : file_(archive), path_(archive.Path())
{
    zlib_filefunc64_def def = OpenFileStreams();
    unz_ = unzOpen2_64(&file_, &def);
    if (!unz_) throw AppError(FormatText(Translate("Books", "Архив %1 повреждён или не является архивом ZIP."), {PathText(path_)}));
    auto unreadable = [&] {
        unzClose(Handle(unz_));
        unz_ = nullptr;
        throw AppError(FormatText(Translate("Books", "Архив %1 повреждён: его оглавление не читается."), {PathText(path_)}));
    };
    for (int rc = unzGoToFirstFile(Handle(unz_)); rc != UNZ_END_OF_LIST_OF_FILE; rc = unzGoToNextFile(Handle(unz_))) {
        unz_file_info64 info{};
        if (rc != UNZ_OK || unzGetCurrentFileInfo64(Handle(unz_), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
            unreadable();
        ZipEntry e;
        e.name.resize(info.size_filename);
        if (unzGetCurrentFileInfo64(Handle(unz_), &info, e.name.data(), static_cast<uLong>(e.name.size()), nullptr, 0,
                                    nullptr, 0) != UNZ_OK)
            unreadable();
        e.size = info.uncompressed_size;
        e.packed = info.compressed_size;
        e.encrypted = (info.flag & 1) != 0;
        e.utf8Name = (info.flag & kUtf8NameFlag) != 0;
        const tm_unz& t = info.tmu_date;
        e.modified = {static_cast<int>(t.tm_year), static_cast<int>(t.tm_mon), static_cast<int>(t.tm_mday),
                      static_cast<int>(t.tm_hour), static_cast<int>(t.tm_min), static_cast<int>(t.tm_sec)};
        e.madeBy = static_cast<unsigned>(info.version);
        e.attributes = static_cast<std::uint32_t>(info.external_fa);
        unz64_file_pos at{};
        unzGetFilePos64(Handle(unz_), &at);
        e.directoryAt = at.pos_in_zip_directory;
        e.entryNumber = at.num_of_file;
        entries_.push_back(std::move(e));
    }
}

ZipReader::~ZipReader()
{
    if (!unz_) return;
    if (open_) unzCloseCurrentFile(Handle(unz_));
    unzClose(Handle(unz_));
}

const ZipEntry* ZipReader::Find(std::string_view name) const
{
    for (const ZipEntry& e : entries_)
        if (e.name == name) return &e;
    for (const ZipEntry& e : entries_)
        if (SameIgnoringCase(e.name, name)) return &e;
    return nullptr;
}

void ZipReader::Damaged(const std::string& entry) const
{
    throw AppError(FormatText(Translate("Books", "Архив %1 повреждён: файл «%2» в нём не читается."), {PathText(path_), entry}));
}

void ZipReader::Check(const ZipEntry& entry) const
{
    const std::string archive = PathText(path_);
    if (entry.encrypted)
        throw AppError(FormatText(Translate("Books", "Файл «%1» в архиве %2 зашифрован паролем; его нельзя прочитать."),
                                  {entry.name, archive}));
    if (entry.size > kZipEntryLimit)
        throw AppError(FormatText(Translate("Books", "Файл «%1» в архиве %2 больше 2 ГБ после распаковки; такие файлы не читаются."),
                                  {entry.name, archive}));
    if (entry.size > kZipRatioFloor && entry.size / std::max<std::uint64_t>(entry.packed, 1) > kZipRatioLimit)
        throw AppError(FormatText(Translate("Books", "Файл «%1» в архиве %2 сжат в %3 раз — так сжимаются только архивы-бомбы, "
                                                     "не книги; он не читается."),
                                  {entry.name, archive, std::to_string(entry.size / std::max<std::uint64_t>(entry.packed, 1))}));
}

void ZipReader::Open(const ZipEntry& entry)
{
    Close();
    Check(entry);
    const unz64_file_pos at{entry.directoryAt, entry.entryNumber};
    if (unzGoToFilePos64(Handle(unz_), &at) != UNZ_OK || unzOpenCurrentFile(Handle(unz_)) != UNZ_OK)
        Damaged(entry.name);
    open_ = &entry;
    readSoFar_ = 0;
    atEnd_ = false;
}

size_t ZipReader::Read(char* buffer, size_t count)
{
    if (!open_ || atEnd_) return 0;
    const unsigned piece = static_cast<unsigned>(std::min<size_t>(count, 1u << 20));
    const int n = unzReadCurrentFile(Handle(unz_), buffer, piece);
    if (n < 0) Damaged(open_->name);
    readSoFar_ += static_cast<std::uint64_t>(n);
    // The directory's size is what the guards judged: an entry that yields more lies about itself.
    if (readSoFar_ > open_->size) Damaged(open_->name);
    if (n == 0) atEnd_ = true;
    return static_cast<size_t>(n);
}

void ZipReader::Close()
{
    if (!open_) return;
    const ZipEntry* entry = open_;
    open_ = nullptr;
    const int rc = unzCloseCurrentFile(Handle(unz_));
    if (atEnd_ && (rc == UNZ_CRCERROR || readSoFar_ != entry->size)) Damaged(entry->name);
}

std::string ZipReader::ReadWhole(const ZipEntry& entry, std::uint64_t limit)
{
    if (entry.size > limit && entry.size <= kZipEntryLimit)
        throw AppError(FormatText(Translate("Books", "Файл «%1» в архиве %2 слишком велик (%3 МБ) для одной главы книги."),
                                  {entry.name, PathText(path_), std::to_string(entry.size >> 20)}));
    Open(entry);
    std::string out(static_cast<size_t>(entry.size), '\0');
    size_t at = 0;
    char tail[1];
    while (at < out.size()) {
        const size_t n = Read(out.data() + at, out.size() - at);
        if (n == 0) Damaged(entry.name);
        at += n;
    }
    if (Read(tail, 1) != 0) Damaged(entry.name);
    Close();
    return out;
}

void ZipReader::CopyTo(const ZipEntry& entry, OutFile& out, const fs::path& shownAs)
{
    Open(entry);
    std::vector<char> buffer(kCopyBuffer);
    while (const size_t n = Read(buffer.data(), buffer.size())) {
        try {
            out.Write(buffer.data(), n);
        } catch (const AppError& e) {
            ThrowUnableToWrite(shownAs, e.SystemError());
        }
    }
    Close();
}

} // namespace lumira
