#pragma once
// The seam between books and the text path: a chosen file that is a book is turned into a
// UTF-8 text (CR LF line breaks) in a folder of the caller's, which the program then reads as it
// reads any UTF-8 text; a plain text is left where it is.
#include "formats/book_format.h"

#include <filesystem>
#include <optional>

class BookTextFile {
public:
    // Recognises `source` and, for a book, writes its text into a file of its own in `folder`,
    // removed again with this object. A book that cannot be read is refused with a message and
    // leaves nothing behind.
    BookTextFile(const std::filesystem::path& source, TextEncoding chosen, const std::filesystem::path& folder);
    ~BookTextFile();
    BookTextFile(const BookTextFile&) = delete;
    BookTextFile& operator=(const BookTextFile&) = delete;

    // The text to read: the converted book, or the source itself.
    const std::filesystem::path& File() const { return file_; }
    // The encoding to read File() in: UTF-8 for a book, else the one chosen.
    TextEncoding Encoding() const { return encoding_; }
    const std::optional<BookInfo>& Book() const { return book_; }

private:
    std::filesystem::path file_;
    std::filesystem::path copy_;
    TextEncoding encoding_;
    std::optional<BookInfo> book_;
};
