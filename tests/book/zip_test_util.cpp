#include "book/zip_test_util.h"

#include "platform/files.h"

#include <algorithm>
#include <minizip/unzip.h>
#include <minizip/zip.h>
#include <stdexcept>

namespace lumira {

namespace fs = std::filesystem;

void MakeZip(const fs::path& archive, const std::vector<TemplateEntry>& entries)
{
    zipFile zf = zipOpen64(archive.c_str(), APPEND_STATUS_CREATE);
    if (!zf) throw std::runtime_error("cannot create test archive");
    for (const auto& e : entries) {
        zip_fileinfo info{};
        info.tmz_date.tm_year = static_cast<uInt>(e.year);
        info.tmz_date.tm_mon = static_cast<uInt>(e.month - 1);
        info.tmz_date.tm_mday = static_cast<uInt>(e.day);
        info.tmz_date.tm_hour = static_cast<uInt>(e.hour);
        info.tmz_date.tm_min = static_cast<uInt>(e.minute);
        info.tmz_date.tm_sec = static_cast<uInt>(e.second);
        info.external_fa = e.externalAttr;
        const bool deflate = !e.content.empty();
        if (zipOpenNewFileInZip4_64(zf, e.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, deflate ? Z_DEFLATED : 0,
                                    deflate ? 6 : 0, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0,
                                    e.madeBy, 0, 0) != ZIP_OK)
            throw std::runtime_error("cannot add test entry");
        if (!e.content.empty())
            zipWriteInFileInZip(zf, e.content.data(), static_cast<unsigned>(e.content.size()));
        zipCloseFileInZip(zf);
    }
    zipClose(zf, nullptr);
}

std::vector<TemplateEntry> StandardTemplate(const std::string& manifest)
{
    return {
        {"META-INF/", ""},
        {"META-INF/MANIFEST.MF", manifest},
        {"book.png", std::string("\x89PNG\r\n\x1a\n", 8) + "fake image"},
        {"BookReader.class", std::string("\xCA\xFE\xBA\xBE", 4) + "fake class"},
        {"text/", ""},
    };
}

void LayOutBookFolder(const fs::path& folder)
{
    fs::create_directories(folder / "work" / "fonts");
    fs::create_directories(folder / "copies");
    WriteFileBytes(folder / "work" / "fonts" / "default.props", std::string(514, '\x01'));
    WriteFileBytes(folder / "work" / "fonts" / "default.png", "strip");
    MakeZip(folder / "template.dat", StandardTemplate());
}

void LayOutWindowFolder(const fs::path& folder)
{
    fs::create_directories(folder / "temp" / "fonts");
    fs::create_directories(folder / "out");
    fs::create_directories(folder / "scratch");
    WriteFileBytes(folder / "temp" / "fonts" / "default.props", std::string(514, '\x01'));
    WriteFileBytes(folder / "temp" / "fonts" / "default.png", "glyph strip");
    MakeZip(folder / "velmar.dat", StandardTemplate());
}

std::vector<std::string> EntryNames(const fs::path& archive)
{
    std::vector<std::string> names;
    unzFile uf = unzOpen64(archive.c_str());
    if (!uf) throw std::runtime_error("cannot open archive " + archive.string());
    for (int rc = unzGoToFirstFile(uf); rc == UNZ_OK; rc = unzGoToNextFile(uf)) {
        char name[1024];
        unz_file_info64 info{};
        unzGetCurrentFileInfo64(uf, &info, name, sizeof name, nullptr, 0, nullptr, 0);
        names.emplace_back(name);
    }
    unzClose(uf);
    return names;
}

std::string EntryContent(const fs::path& archive, const std::string& name)
{
    unzFile uf = unzOpen64(archive.c_str());
    if (!uf) throw std::runtime_error("cannot open archive " + archive.string());
    if (unzLocateFile(uf, name.c_str(), 1) != UNZ_OK) {
        unzClose(uf);
        throw std::runtime_error("no entry " + name);
    }
    std::string content;
    unzOpenCurrentFile(uf);
    char buffer[65536];
    for (int n; (n = unzReadCurrentFile(uf, buffer, sizeof buffer)) > 0;) content.append(buffer, static_cast<size_t>(n));
    const int rc = unzCloseCurrentFile(uf);
    unzClose(uf);
    if (rc != UNZ_OK) throw std::runtime_error("bad entry " + name);
    return content;
}

std::string BookTextOf(const fs::path& jar)
{
    const std::vector<std::string> names = EntryNames(jar);
    std::string text;
    for (int i = 0;; ++i) {
        const std::string name = "text/chunk." + std::to_string(i);
        if (std::find(names.begin(), names.end(), name) == names.end()) return text;
        text += EntryContent(jar, name);
    }
}

namespace {

std::uint32_t U16(const std::string& b, size_t at)
{
    if (at + 2 > b.size()) throw std::runtime_error("archive truncated");
    return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}

std::uint32_t U32(const std::string& b, size_t at)
{
    return U16(b, at) | U16(b, at + 2) << 16;
}

} // namespace

RawArchive ReadRawArchive(const fs::path& archive)
{
    const std::string b = ReadFileBytes(archive);
    RawArchive raw;
    if (b.size() < 22) throw std::runtime_error("archive too short");
    size_t end = b.size() - 22;
    while (U32(b, end) != 0x06054b50) {
        if (end == 0) throw std::runtime_error("no end record");
        --end;
    }
    raw.entryCount = static_cast<std::uint16_t>(U16(b, end + 10));
    raw.commentLength = static_cast<std::uint16_t>(U16(b, end + 20));
    raw.hasZip64Records = b.find(std::string("PK\x06\x06", 4)) != std::string::npos ||
                          b.find(std::string("PK\x06\x07", 4)) != std::string::npos;
    size_t at = U32(b, end + 16);
    for (unsigned i = 0; i < raw.entryCount; ++i) {
        if (U32(b, at) != 0x02014b50) throw std::runtime_error("bad central header");
        RawEntry e;
        e.madeBy = static_cast<std::uint16_t>(U16(b, at + 4));
        e.versionNeeded = static_cast<std::uint16_t>(U16(b, at + 6));
        e.flags = static_cast<std::uint16_t>(U16(b, at + 8));
        e.method = static_cast<std::uint16_t>(U16(b, at + 10));
        e.dosTime = static_cast<std::uint16_t>(U16(b, at + 12));
        e.dosDate = static_cast<std::uint16_t>(U16(b, at + 14));
        e.compressedSize = U32(b, at + 20);
        e.size = U32(b, at + 24);
        const size_t nameLength = U16(b, at + 28);
        e.extraLength = static_cast<std::uint16_t>(U16(b, at + 30));
        e.commentLength = static_cast<std::uint16_t>(U16(b, at + 32));
        e.internalAttr = static_cast<std::uint16_t>(U16(b, at + 36));
        e.externalAttr = U32(b, at + 38);
        e.localOffset = U32(b, at + 42);
        e.name = b.substr(at + 46, nameLength);
        at += 46 + nameLength + e.extraLength + e.commentLength;

        const size_t local = e.localOffset;
        if (U32(b, local) != 0x04034b50) throw std::runtime_error("bad local header");
        e.localVersionNeeded = static_cast<std::uint16_t>(U16(b, local + 4));
        e.localMethod = static_cast<std::uint16_t>(U16(b, local + 8));
        e.localExtraLength = static_cast<std::uint16_t>(U16(b, local + 28));
        e.localName = b.substr(local + 30, U16(b, local + 26));
        raw.entries.push_back(e);
    }
    return raw;
}

} // namespace lumira
