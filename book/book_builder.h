#pragma once
// The book package builder: assembles a book in a work folder from the reader template, the text
// and the settings, and writes the .jar with its .jad descriptor.
#include "book/settings_record.h"
#include "formats/book_outline.h"
#include "platform/colors.h"
#include "platform/errors.h"
#include "platform/file_set.h"
#include "platform/files.h"
#include "platform/language.h"
#include "profiles/profile.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace lumira {

// What a build is doing when it reports progress: Pieces once, as the text starts being cut
// (0 of the text's size); then Archive, while the pieces are compressed and the package is written.
enum class BookStage { Pieces, Archive };
// Bytes handled so far and in all during one stage; the archive stage counts the text's bytes
// as they are compressed and an eighth more for the writing, so its share follows the time.
using BookProgress = std::function<void(BookStage stage, std::uint64_t done, std::uint64_t total)>;

class TextStream;

struct BookRequest {
    TextFile textFile;                      // the book's text, open: cp1251 bytes, line breaks made CR LF
    TextFile sourceText;                    // the text the user chose, open, where textFile is a copy:
                                            // no file of the build may take its place
    TextStream* textStream = nullptr;       // instead of textFile: the text as it is being made
    // A book's own contents, lines of the text; read once the whole text was read (a stream's
    // maker completes it before the stream's end). Null for a plain text.
    const BookOutline* outline = nullptr;
    std::string title;                      // the book's title, UTF-8: its own letters, whatever the code page
    const PhoneProfile* profile = nullptr;     // the phone; none is refused
    ColorValue background = 0;              // 0x00BBGGRR
    int syslineIndex = -1;                  // 0 top, 1 bottom, -1 none selected
    std::filesystem::path workFolder;       // where the book is assembled (the glyph files are there)
    std::filesystem::path templateArchive;  // the reader template
    std::filesystem::path jarPath;          // the package; the descriptor goes beside it
    BookProgress progress;                  // optional; may throw to stop the build
    unsigned threads = 0;                   // threads compressing the archive; 0: one per core
    bool referenceCompression = false;      // zlib on the calling thread instead (ArchiveCompression)
    const std::atomic<bool>* cancel = nullptr;  // optional; when set, the build stops at the next piece
    bool openEnd = false;  // the text is a volume of a longer one: a last line without a break stays open
    // Words split by the language's dictionary: the book's text carries a soft hyphen at every
    // point, and its "layout" file tells the reader to split only there. Without, the vowel rule.
    bool dictionaryHyphens = false;
    std::vector<std::filesystem::path> hyphenationFolders;  // where the dictionaries are looked up
    std::string bookLanguage;  // the language the book names, which may choose the dictionary; empty for a text
};

// A request filled from the settings the book is made with, the same for the window and lumira-cli:
// the title (UTF-8), the phone (none is refused by the build),
// the background, the system line, the working folder, the reader template and the package. The
// text, the progress, the threads and the cancel flag are the caller's to add.
BookRequest MakeBookRequest(const QString& title, const PhoneProfile* profile, ColorValue background, int syslineIndex,
                            const std::filesystem::path& workFolder, const std::filesystem::path& templateArchive,
                            const std::filesystem::path& jarPath);

// Shown when a book is asked for without a phone (UTF-8; translated in "BookBuilder").
inline constexpr const char* kNoProfileMessage = QT_TRANSLATE_NOOP("BookBuilder", "Не выбран профиль телефона.");
// Shown when the title is empty or only blanks: phones refuse a suite without a name.
inline constexpr const char* kBlankTitleMessage =
    QT_TRANSLATE_NOOP("BookBuilder", "Название книги пусто: телефоны не устанавливают книгу без названия.");
// True when a title (UTF-8) holds nothing but blanks, tabs and no-break spaces (or nothing at all).
bool IsBlankTitle(std::string_view title);
// Refuses a request without a phone or without a title (the messages above).
void CheckBookRequest(const BookRequest& request);

// Thrown when a build stops because `BookRequest::cancel` was set. Nothing of the package is
// left, an earlier book stays as it was, and the work folder holds no pieces.
class BookCancelled : public Cancelled {
public:
    BookCancelled() : Cancelled(Translate("BookBuilder", "Создание книги отменено.")) {}
};

// The descriptor's path: the package's extension replaced by ".jad", or ".jad" appended.
std::filesystem::path JadPathFor(const std::filesystem::path& jarPath);

// Refuses with AppError, naming `target`, a file the build would write that is the user's text
// itself (request.sourceText or request.textFile), whether spelled alike or through ./, a link
// or a hard link.
void CheckNotOverText(const BookRequest& request, const std::filesystem::path& target);

// Builds the book. `record` receives the settings record (its byte 4 is never written).
// Order: the text's size, the record written to <work>/config, the template extracted into the
// work folder, the text (as NormalisedText reads it: the preview's text) cut into pieces of 32767
// bytes that are compressed as they are read, on `threads` threads, the two name lines appended
// to <work>/META-INF/MANIFEST.MF, the archive of the whole work folder with the pieces in it as
// text/chunk.0, chunk.1, ..., then the descriptor. The pieces are not laid out as files: they
// go from the text into the package, the first few MiB held in memory and the rest in one
// temporary file in the work folder (never packed, removed on every path); they carry the
// record's modification time, so the package is byte for byte the archive of the work folder
// with the pieces as files of that time. Cancelling is seen before each piece and between the
// archive's entries; a template without the text/ folder gives "Cannot create file" naming
// <work>/text/chunk.0. With dictionary hyphenation the pieces are cut from the text with its
// soft hyphens put in, and <work>/layout (one byte, 1) tells the reader so; without, no such
// file is left in the work folder. The .jar and .jad are written under temporary names beside their targets
// and put in place together (FileSetCommit) only when both are complete, so a failure leaves an
// earlier book at those paths as it was, and a kill leaves the old pair or the new one;
// `removedWith` goes in the same step. Refused before anything is written: no profile, a text
// of more than 65535 pieces, a package path whose descriptor would be the package itself, a
// package or descriptor that would take the text's place.
// Failures are AppError with the user's message; every file opened is closed on every path.
// Returns how many zero bytes the text held: they are left out, as the preview leaves them out.
// A text that comes as a stream is cut and compressed as it arrives, before anything else is
// done in the work folder; its size is known, and the record written, once it has ended. A
// failure of the stream (the book could not be read), a text too large, a cancel: each stops the
// build with the work folder's earlier content untouched but for its creation.
std::uint64_t BuildBook(const BookRequest& request, SettingsRecord& record, const std::vector<RemovedFile>& removedWith = {});

// The same book written straight at request.jarPath and its descriptor, without temporary names:
// for a private folder that nothing else reads.
std::uint64_t BuildBookInPlace(const BookRequest& request, SettingsRecord& record);

// What the user is told about the zero bytes left out of a text (UTF-8, translated); empty for none.
std::string ZeroBytesNotice(std::uint64_t zeroBytes);

} // namespace lumira
