#include "book/book_builder.h"

#include "platform/folders.h"
#include "book/pending_file.h"
#include "book/text_normaliser.h"
#include "book/zip_archive.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/language.h"
#include "platform/line_list.h"

#include <QString>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const kNoProfile = QT_TRANSLATE_NOOP("BookBuilder", "Не выбран профиль телефона.");

std::string TooLargeMessage()
{
    return FormatText(Translate("BookBuilder", "Текст слишком велик: не более %1 байт."), {std::to_string(kMaxTextSize)});
}

// A target that can be neither created nor replaced: a folder, or a read-only file.
void CheckReplaceable(const fs::path& target)
{
    std::error_code ec;
    if (IsReadOnlyFile(target) || fs::is_directory(fs::symlink_status(target, ec))) ThrowCannotCreate(target);
}

// Writes the whole of `bytes` under the pending file's temporary name; failures name the target.
void WritePending(const PendingFile& pending, std::string_view bytes)
{
    std::optional<OutFile> out;
    try {
        out.emplace(pending.TempPath());
    } catch (const AppError&) {
        ThrowCannotCreate(pending.Target());
    }
    try {
        out->Write(bytes);
        out->Close();
    } catch (const AppError&) {
        ThrowUnableToWrite(pending.Target());
    }
}

// The file name as it is spelled on disk: the system's own bytes, not re-encoded.
// The package's name as the descriptor's line gives it. A control character in it would split
// or corrupt that line, so such a name is refused before anything is written.
std::string BareFileName(const fs::path& path)
{
    const std::string name = path.filename().string();
    for (const unsigned char c : name)
        if (c < 0x20 || c == 0x7F)
            throw AppError(FormatText(
                Translate("BookBuilder", "Имя файла книги содержит управляющие символы (перевод строки и т. п.): %1"),
                {PathText(path)}));
    return name;
}

void CheckCancel(const BookRequest& request)
{
    if (request.cancel && request.cancel->load(std::memory_order_relaxed)) throw BookCancelled();
}

// Cuts the text into its pieces. `text` is anything with Read(buffer, n) -> count; `size` and
// `chunkCount` are what the record says of the text as read through it.
template <typename Reader>
void CopyTextPieces(const BookRequest& request, Reader& text, std::uint64_t size, std::uint64_t chunkCount)
{
    const fs::path textFolder = request.workFolder / "text";
    std::vector<char> buffer(kChunkSize);
    std::uint64_t done = 0;
    if (request.progress) request.progress(BookStage::Pieces, 0, size);
    for (std::uint64_t i = 0; i < chunkCount; ++i) {
        CheckCancel(request);
        OutFile piece(textFolder / ("chunk." + std::to_string(i)));
        const size_t n = text.Read(buffer.data(), buffer.size());
        piece.Write(buffer.data(), n);
        piece.Close();
        done += n;
        if (request.progress) request.progress(BookStage::Pieces, done, size);
    }
}

} // namespace

fs::path JadPathFor(const fs::path& jarPath)
{
    auto name = jarPath.filename().native();
    const auto dot = name.rfind('.');
    if (dot != decltype(name)::npos) name.erase(dot);
    name += fs::path(".jad").native();
    return jarPath.parent_path() / name;
}

namespace {

void BuildBookIn(const BookRequest& request, SettingsRecord& record)
{
    if (!request.profile) throw AppError(Translate("BookBuilder", kNoProfile));
    const std::string jarUrl = BareFileName(request.jarPath);
    const fs::path& work = request.workFolder;
    const fs::path jadPath = JadPathFor(request.jarPath);
    if (fs::absolute(jadPath).lexically_normal() == fs::absolute(request.jarPath).lexically_normal())
        throw AppError(Translate("BookBuilder", "Пакет не может носить расширение .jad: описатель записался бы поверх него."));

    // The text's size first, so that a text the record cannot describe changes nothing. The book
    // holds the text as the preview reads it (text_normaliser.h), so that is what is measured.
    const std::uint64_t size = NormalisedTextSize(request.textFile, kMaxTextSize, !request.openEnd);
    if (size > kMaxTextSize) throw AppError(TooLargeMessage());
    const std::uint64_t chunkCount = ChunkCountOf(size);

    // The pieces of an earlier book go first (a link in the folder's place is left for the
    // template's extraction to refuse, never emptied through).
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(work / "text", ec))) ClearFolder(work / "text");

    FillSettingsRecord(record, static_cast<std::uint32_t>(size), request.background, *request.profile,
                       static_cast<std::uint16_t>(chunkCount), request.syslineIndex);
    CreateFolderChain(work);
    {
        OutFile config(work / "config");
        config.Write(record.data(), record.size());
        config.Close();
    }

    ExtractArchive(request.templateArchive, work);

    {
        NormalisedText text(request.textFile, !request.openEnd);
        CopyTextPieces(request, text, size, chunkCount);
    }

    const fs::path manifestPath = work / "META-INF" / "MANIFEST.MF";
    LineList lines = ReadLineList(manifestPath);
    const std::string title = Cp1251ToUtf8(request.titleCp1251);
    lines.push_back("MIDlet-Name: " + title);
    lines.push_back("MIDlet-1: " + title + ", /book.png, BookReader");
    WriteLineList(manifestPath, lines);

    CheckReplaceable(request.jarPath);
    CheckReplaceable(jadPath);
    PendingFile jar(request.jarPath);
    PendingFile jad(jadPath);
    const ZipProgress archived = [&](std::uint64_t done, std::uint64_t total) {
        CheckCancel(request);
        if (request.progress) request.progress(BookStage::Archive, done, total);
    };
    WriteFolderArchiveFile(jar.TempPath(), work, request.jarPath, archived, request.threads);

    lines.push_back("MIDlet-Jar-URL: " + jarUrl);
    lines.push_back("MIDlet-Jar-Size: " + std::to_string(FileSizeOfPath(jar.TempPath())));
    WritePending(jad, JoinLines(lines));

    CheckCancel(request);
    jar.Commit();
    jad.Commit();
}

} // namespace

void BuildBook(const BookRequest& request, SettingsRecord& record)
{
    try {
        BuildBookIn(request, record);
    } catch (const BookCancelled&) {
        // The pieces cut so far are of no use to anyone.
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(request.workFolder / "text", ec)))
            ClearFolder(request.workFolder / "text");
        throw;
    }
}
