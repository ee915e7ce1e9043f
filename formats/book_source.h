#pragma once
// The seam between books and the text path: a chosen file that is a book is laid out straight
// into a cp1251 text (CR LF line breaks), the encoding every book carries, in a folder of the
// caller's, with the report of the characters cp1251 lacks that a UTF-8 text's conversion would
// give; a plain text is left where it is.
#include "formats/book_format.h"
#include "platform/text_encoding.h"

#include <filesystem>
#include <optional>

namespace lumira {

class BookTextFile {
public:
    // Recognises `source` and, for a book, writes its text into a file of its own in `folder`,
    // removed again with this object. A book that cannot be read is refused with a message and
    // leaves nothing behind.
    BookTextFile(const TextFile& source, TextEncoding chosen, const std::filesystem::path& folder);
    ~BookTextFile();
    BookTextFile(const BookTextFile&) = delete;
    BookTextFile& operator=(const BookTextFile&) = delete;

    // The text to read: the converted book, or the source itself, open.
    const TextFile& File() const { return file_; }
    // The encoding to read File() in: cp1251 for a book, else the one chosen.
    TextEncoding Encoding() const { return encoding_; }
    const std::optional<BookInfo>& Book() const { return book_; }
    // For a book: the characters that became "?" on the way into cp1251.
    const ConversionReport& Report() const { return report_; }
    // Hands the converted book's file over to the caller, who removes it; empty for a plain text.
    std::filesystem::path Release();

private:
    TextFile file_;
    std::filesystem::path copy_;
    TextEncoding encoding_;
    std::optional<BookInfo> book_;
    ConversionReport report_;
};

} // namespace lumira
