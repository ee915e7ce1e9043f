#include "book/book_builder.h"

#include "book/book_contents.h"

#include "book/deflate_engine.h"
#include "book/hyphenated_text.h"
#include "platform/ordered_work.h"
#include "book/piece_store.h"
#include "platform/folders.h"
#include "book/text_normaliser.h"
#include "book/text_stream.h"
#include "book/zip_archive.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/language.h"
#include "platform/line_list.h"

#include <QString>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <vector>

namespace lumira {

namespace fs = std::filesystem;

namespace {

std::string TooLargeMessage()
{
    return FormatText(Translate("BookBuilder", "Текст слишком велик: не более %1 байт."), {std::to_string(kMaxTextSize)});
}

// A target that can be neither created nor replaced: a folder, or a read-only file.
void CheckReplaceable(const fs::path& target)
{
    if (const int refusal = TargetRefusal(target)) ThrowCannotCreate(target, refusal);
}

// Writes the whole of `bytes` to `file`; failures name `shownAs`, the file it becomes.
void WriteNaming(const fs::path& file, const fs::path& shownAs, std::string_view bytes)
{
    std::optional<OutFile> out;
    try {
        out.emplace(file);
    } catch (const AppError& e) {
        ThrowCannotCreate(shownAs, e.SystemError());
    }
    try {
        out->Write(bytes);
        out->Close();
    } catch (const AppError& e) {
        ThrowUnableToWrite(shownAs, e.SystemError());
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

// Compressed pieces past this many bytes wait in the store's spill file.
constexpr std::size_t kPiecesInMemory = 4 << 20;
// The spill file, in the work folder but never in the package.
constexpr const char* kPieceStoreName = "pieces.tmp";

// Progress of the archive stage: the text's bytes as its pieces are compressed, then an eighth
// more for writing the package, which is mostly copying.
std::uint64_t ArchiveWeight(std::uint64_t textSize)
{
    return textSize + textSize / 8 + 1;
}

// How the request's archive is compressed, its pieces included.
ArchiveCompression CompressionOf(const BookRequest& request)
{
    return request.referenceCompression ? ArchiveCompression::Reference() : ArchiveCompression(request.threads);
}

// A piece goes to zlib in one feed: pieces are smaller than that.
constexpr std::size_t kPieceFeed = 256 * 1024;

// The calling thread's buffer for the piece it reads and then compresses.
std::vector<char>& PieceBuffer()
{
    thread_local std::vector<char> bytes;
    return bytes;
}

// Cuts the text into its pieces and compresses them on the archive's threads as they are read,
// keeping them in `store` for the archive and describing them in `files`. `text` is anything with
// Read(buffer, n) -> count, read in order by one thread at a time. With `size` known, the text is
// `chunkCount` pieces as the record says; without it, the text is read to its end (refused once
// it passes kMaxTextSize) and its size is returned. `expected` is the size progress is told
// against while the real one is not known. `contents` sees every byte of the text in order.
template <typename Reader>
std::uint64_t PackTextPieces(const BookRequest& request, Reader& text, std::optional<std::uint64_t> size,
                             std::uint64_t expected, PieceStore& store, std::vector<ReadyFile>& files,
                             ContentsScanner& contents)
{
    struct Piece {
        std::vector<char> packed;
        std::uint64_t size = 0;
        std::uint32_t crc = 0;
        bool text = false;
    };
    // The piece after the text's last one, read where the size is not known beforehand.
    struct TextEnded {};
    const ArchiveCompression compression = CompressionOf(request);
    // Pieces are read in order, each by the thread that then compresses it, into that thread's
    // buffer; a failed read ends the rest.
    bool readFailed = false;
    const auto read = [&](std::size_t) {
        if (readFailed) throw std::runtime_error("an earlier piece could not be read");
        std::vector<char>& bytes = PieceBuffer();
        bytes.resize(kChunkSize);
        try {
            bytes.resize(text.Read(bytes.data(), bytes.size()));
            contents.Feed(bytes.data(), bytes.size());
        } catch (...) {
            readFailed = true;
            throw;
        }
        return &bytes;
    };
    const auto produce = [&](std::size_t, const std::vector<char>* readBytes) {
        const std::vector<char>& bytes = *readBytes;
        Piece piece;
        piece.size = bytes.size();
        if (bytes.empty() && !size) return piece;
        piece.crc = Crc32Of(bytes.data(), bytes.size());
        piece.text = compression.ThreadDeflater(kPieceFeed).Compress(bytes.data(), bytes.size(), piece.packed);
        return piece;
    };
    std::uint64_t done = 0;
    const auto keep = [&](std::size_t i, Piece& piece) {
        if (!size && piece.size == 0) throw TextEnded{};
        try {
            CheckCancel(request);
            done += piece.size;
            if (done > kMaxTextSize) throw AppError(TooLargeMessage());
            store.Add(piece.packed);
            files.push_back({"chunk." + std::to_string(i), piece.size, piece.crc, piece.text});
            if (request.progress)
                request.progress(BookStage::Archive, done, ArchiveWeight(size ? *size : std::max(expected, done)));
        } catch (...) {
            // Nothing more is read: a text still being made stops, and no reader waits for it.
            if (request.textStream) request.textStream->Abandon();
            throw;
        }
    };
    if (request.progress) {
        request.progress(BookStage::Pieces, 0, size ? *size : expected);
        request.progress(BookStage::Archive, 0, ArchiveWeight(size ? *size : expected));
    }
    CheckCancel(request);
    const unsigned threads = compression.Threads();
    // Without a size, one piece more than a text may have: reading it shows the end, or a text too large.
    const std::size_t count = static_cast<std::size_t>(size ? ChunkCountOf(*size) : std::uint64_t{kMaxChunkCount} + 1);
    try {
        // Pieces are small: the calling thread wakes for half the window at a time.
        const std::size_t window = 4 * std::size_t{threads};
        RunInOrderPrepared<Piece>(count, threads, window, window / 2, read, produce, keep);
    } catch (const TextEnded&) {
    }
    return done;
}

} // namespace

BookRequest MakeBookRequest(const QString& title, const PhoneProfile* profile, ColorValue background, int syslineIndex,
                            const fs::path& workFolder, const fs::path& templateArchive, const fs::path& jarPath)
{
    BookRequest request;
    request.title = title.toStdString();
    request.profile = profile;
    request.background = background;
    request.syslineIndex = syslineIndex;
    request.workFolder = workFolder;
    request.templateArchive = templateArchive;
    request.jarPath = jarPath;
    return request;
}

std::string ZeroBytesNotice(std::uint64_t zeroBytes)
{
    if (zeroBytes == 0) return {};
    return FormatText(Translate("BookBuilder", "В тексте нулевых байтов: %1. Они пропущены и в книге, и в просмотре."),
                      {std::to_string(zeroBytes)});
}

fs::path JadPathFor(const fs::path& jarPath)
{
    auto name = jarPath.filename().native();
    const auto dot = name.rfind('.');
    if (dot != decltype(name)::npos) name.erase(dot);
    name += fs::path(".jad").native();
    return jarPath.parent_path() / name;
}

bool IsBlankTitle(std::string_view title)
{
    for (size_t i = 0; i < title.size();) {
        if (title[i] == ' ' || title[i] == '\t') ++i;
        else if (title.substr(i, 2) == "\xC2\xA0") i += 2;  // a no-break space
        else return false;
    }
    return true;
}

void CheckBookRequest(const BookRequest& request)
{
    if (!request.profile) throw AppError(Translate("BookBuilder", kNoProfileMessage));
    if (IsBlankTitle(request.title)) throw AppError(Translate("BookBuilder", kBlankTitleMessage));
}

namespace {

// Builds the book; with `commit`, under temporary names put in place by it, else straight at
// the request's paths. Returns how many zero bytes the text held.
std::uint64_t BuildBookIn(const BookRequest& request, SettingsRecord& record, FileSetCommit* commit)
{
    CheckBookRequest(request);
    const std::string jarUrl = BareFileName(request.jarPath);
    const fs::path& work = request.workFolder;
    const fs::path jadPath = JadPathFor(request.jarPath);
    if (fs::absolute(jadPath).lexically_normal() == fs::absolute(request.jarPath).lexically_normal())
        throw AppError(Translate("BookBuilder", "Пакет не может носить расширение .jad: описатель записался бы поверх него."));

    PieceStore* packed = nullptr;
    ReadyFiles pieces;
    pieces.folder = "text";
    pieces.stampFrom = work / "config";  // the book's own data all carry one time
    // The record, the template and the text/ folder for the pieces: what the book is assembled
    // from besides its text, once the text's size is known.
    const auto assemble = [&](std::uint64_t size) {
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

        // The pieces go into the package as text/chunk.0, chunk.1, ... straight from the store; the
        // template's text/ folder is where they belong, so without it there is nowhere to put them.
        if (chunkCount > 0 && !fs::is_directory(work / "text", ec)) ThrowCannotCreate(work / "text" / "chunk.0", ENOENT);
    };
    const auto openStore = [&](std::optional<PieceStore>& store) {
        store.emplace(work / kPieceStoreName, kPiecesInMemory);
        packed = &*store;
        pieces.skip = store->SpillPath();
        pieces.fetch = [packed](std::size_t i, std::vector<char>& bytes) { packed->Fetch(i, bytes); };
    };
    // The text is cut into pieces as it is read (or, for a book, as it is laid out); the record,
    // the template and the text/ folder wait for its end, when its size is known. A text the record
    // cannot describe is refused as it passes the limit, before any of them is touched.
    std::optional<PieceStore> store;
    CreateFolderChain(work);
    openStore(store);
    std::uint64_t size = 0;
    std::uint64_t zeroBytes = 0;
    ContentsScanner contents(request.outline != nullptr);
    const auto pack = [&](NormalisedText& text, std::uint64_t expected) {
        if (!request.dictionaryHyphens) return PackTextPieces(request, text, std::nullopt, expected, *store, pieces.files, contents);
        Hyphenator hyphenator(request.hyphenationFolders, request.bookLanguage);
        HyphenatedText hyphenated(text, hyphenator);
        return PackTextPieces(request, hyphenated, std::nullopt, expected, *store, pieces.files, contents);
    };
    if (request.textStream) {
        // A Cancel is heard while the text's maker has not yet written.
        if (request.cancel) request.textStream->SetWaitCheck([&request] { CheckCancel(request); });
        NormalisedText text(*request.textStream, !request.openEnd);
        size = pack(text, request.textStream->SizeHint());
        zeroBytes = text.ZeroBytes();
    } else {
        NormalisedText text(request.textFile, !request.openEnd);
        size = pack(text, request.textFile.Size());
        zeroBytes = text.ZeroBytes();
    }
    assemble(size);
    WriteContentsFile(work, contents.Finish(request.outline));
    const fs::path rules = work / kLayoutRulesFile;
    if (request.dictionaryHyphens) {
        OutFile out(rules);
        out.Write(std::string(1, '\x01'));
        out.Close();
    } else {
        // Left from a book made with the dictionary, it would make the reader split this one wrong.
        std::error_code ec;
        if (fs::exists(fs::symlink_status(rules, ec)) && !fs::remove(rules, ec)) ThrowUnableToWrite(rules);
    }

    const fs::path manifestPath = work / "META-INF" / "MANIFEST.MF";
    LineList lines = ReadLineList(manifestPath);
    // The manifest and the descriptor are UTF-8: the title keeps every letter of its own.
    lines.push_back("MIDlet-Name: " + request.title);
    lines.push_back("MIDlet-1: " + request.title + ", /book.png, BookReader");
    WriteLineList(manifestPath, lines);

    CheckReplaceable(request.jarPath);
    CheckReplaceable(jadPath);
    const fs::path jarFile = commit ? commit->Add(request.jarPath).TempPath() : request.jarPath;
    const fs::path jadFile = commit ? commit->Add(jadPath).TempPath() : jadPath;
    const ZipProgress archived = [&](std::uint64_t done, std::uint64_t total) {
        CheckCancel(request);
        const std::uint64_t writing = ArchiveWeight(size) - size;
        if (request.progress)
            request.progress(BookStage::Archive, size + (total == 0 ? writing : done * writing / total), ArchiveWeight(size));
    };
    WriteFolderArchiveFile(jarFile, work, request.jarPath, archived, CompressionOf(request), &pieces);

    lines.push_back("MIDlet-Jar-URL: " + jarUrl);
    lines.push_back("MIDlet-Jar-Size: " + std::to_string(FileSizeOfPath(jarFile)));
    WriteNaming(jadFile, jadPath, JoinLines(lines));

    CheckCancel(request);
    if (commit) commit->Commit();
    return zeroBytes;
}

// Runs a build; a cancelled one leaves no pieces in the work folder.
std::uint64_t BuildCleaningUp(const BookRequest& request, SettingsRecord& record, FileSetCommit* commit)
{
    try {
        return BuildBookIn(request, record, commit);
    } catch (const BookCancelled&) {
        // The pieces cut so far are of no use to anyone.
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(request.workFolder / "text", ec)))
            ClearFolder(request.workFolder / "text");
        throw;
    }
}

} // namespace

void CheckNotOverText(const BookRequest& request, const fs::path& target)
{
    if (request.sourceText.IsNamedBy(target) || request.textFile.IsNamedBy(target))
        throw AppError(FormatText(Translate("BookBuilder", "Файл %1 записался бы поверх самого текста."), {PathText(target)}));
}

std::uint64_t BuildBook(const BookRequest& request, SettingsRecord& record, const std::vector<RemovedFile>& removedWith)
{
    CheckNotOverText(request, request.jarPath);
    CheckNotOverText(request, JadPathFor(request.jarPath));
    FileSetCommit commit;
    for (const RemovedFile& file : removedWith) commit.RemoveWith(file);
    return BuildCleaningUp(request, record, &commit);
}

std::uint64_t BuildBookInPlace(const BookRequest& request, SettingsRecord& record)
{
    return BuildCleaningUp(request, record, nullptr);
}

} // namespace lumira
