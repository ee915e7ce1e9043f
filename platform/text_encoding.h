#pragma once
// Texts in other encodings. A book always carries cp1251 text; a text in UTF-8, UTF-16, KOI8-R or
// CP866 is converted while the book is made, streamed through a working copy, and a cp1251 text
// passes byte for byte.
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/line_counter.h"
#include "platform/utf8.h"
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace lumira {

// A text that is not valid in the encoding it is read in. Only this failure lets "Авто" fall back
// from UTF-8 to a single-byte reading; a file that cannot be read or written stays a failure.
class InvalidTextError : public AppError {
public:
    using AppError::AppError;
};

enum class TextEncoding { Auto, Cp1251, Utf8, Utf16, Koi8r, Cp866 };

// How much of a text detection reads at most.
inline constexpr size_t kDetectionLimit = 64 * 1024;

// The name a person reads ("Авто", "Windows-1251", "UTF-8", "UTF-16", "KOI8-R", "CP866").
QString EncodingDisplayName(TextEncoding encoding);
// The name on the command line and in config.ini ("auto", "cp1251", "utf-8", "utf-16", "koi8-r",
// "cp866").
const char* EncodingKey(TextEncoding encoding);
// The encoding of a key, compared without regard to case; nothing for an unknown key.
std::optional<TextEncoding> EncodingFromKey(std::string_view key);
// Every choice, "Авто" first, in the order the window offers them.
const std::array<TextEncoding, 6>& AllEncodings();

enum class ByteOrder { Little, Big };

// The byte order of a UTF-16 text without a byte-order mark, told by where its zero bytes fall:
// the high byte of Latin letters, digits, blanks, punctuation and line breaks is zero, that of
// Cyrillic letters 0x04. Nothing when `head` does not look like UTF-16 text (no zero bytes, or
// zero bytes on both sides alike, or high bytes of other scripts).
std::optional<ByteOrder> Utf16OrderWithoutMark(std::string_view head);

// The encoding a text's beginning shows: a byte-order mark decides, then the zero bytes of
// UTF-16 without one (Utf16OrderWithoutMark); valid UTF-8 with non-ASCII
// bytes is UTF-8; otherwise the single-byte encoding among cp1251, KOI8-R and CP866 whose
// decoding looks most like Russian text; pure ASCII is cp1251. Never answers Auto. A UTF-8
// sequence cut off at the very end of `head` does not count against UTF-8 when `truncated`.
TextEncoding DetectEncoding(std::string_view head, bool truncated = false);
// Detection over at most the first 64 KiB of a file ("Cannot open file %s").
TextEncoding DetectFileEncoding(const TextFile& file);
// The encoding to read a file in: `chosen` itself, or the detected one for Auto.
TextEncoding ResolveEncoding(const TextFile& file, TextEncoding chosen);

// What a conversion did: characters cp1251 cannot hold took their closest cp1251 form
// (cp1251_fallback.h), and those with none became "?".
struct ConversionReport {
    std::uint64_t replaced = 0;       // how many characters became "?"
    char32_t firstReplaced = 0;       // the first of them
    std::uint64_t firstLine = 0;      // its line (1-based)
    std::uint64_t firstColumn = 0;    // its character position in that line (1-based)
    std::uint64_t bytesWritten = 0;   // size of the cp1251 text
    TextEncoding encoding = TextEncoding::Cp1251;  // the encoding actually read

    // Counts a character that became "?", the first one at the place `lines` has counted to.
    void CountReplaced(char32_t u, const LineCounter& lines)
    {
        if (replaced++ == 0) {
            firstReplaced = u;
            firstLine = lines.Line();
            firstColumn = lines.Column();
        }
    }

    // "Заменено символов: N (первый — «c», строка L, позиция P)." or empty when none was.
    QString Summary() const;
};

// Streams `source`, read in `encoding` (Auto detects, and falls back to the best single-byte
// encoding when a text taken for UTF-8 turns out broken later on), into `target` as cp1251,
// 64 KiB at a time. A byte-order mark is dropped. A text that is not valid in the chosen
// encoding is refused with a message naming the byte position; nothing of `target` is then
// left. File failures carry the file layer's messages.
ConversionReport ConvertFileToCp1251(const TextFile& source, TextEncoding encoding,
                                     const std::filesystem::path& target);

// The same for bytes already in memory (the preview's beginning of a text, or a whole text laid
// out in pages), Auto falling back in the same way. An incomplete sequence at the very end is
// dropped when `truncated`, as a cut-off beginning may end inside one.
std::string ConvertBytesToCp1251(std::string_view bytes, TextEncoding encoding, bool truncated = false,
                                 ConversionReport* report = nullptr);

} // namespace lumira
