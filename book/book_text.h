#pragma once
// The text a book is made from. A cp1251 text is used where it lies, byte for byte; a text in
// another encoding is converted into a working copy of cp1251 that lasts as long as this object,
// so that the record's size and the pieces come from the converted text.
#include "book/text_stream.h"
#include "formats/book_outline.h"
#include "platform/text_encoding.h"

#include <QString>
#include <filesystem>
#include <memory>
#include <thread>

namespace lumira {

struct BookRequest;

class BookText {
public:
    struct Streamed {};
    // Reads `source` in `chosen` (Auto detects). A converted copy is made in `copyFolder` under a
    // name of its own; that folder must not be the one the book is assembled in, whose whole
    // content goes into the package. A text not valid in the chosen encoding is refused with a
    // message naming the byte position, and nothing of the copy is left.
    BookText(const TextFile& source, TextEncoding chosen, const std::filesystem::path& copyFolder);
    // The same, except that a book (FB2, EPUB, HTML) is laid out on a thread of its own while the
    // caller goes on, and its text is read through Stream() as it is made: no copy is made, and a
    // book that cannot be read fails the stream's reading with the book's own message. A plain
    // text is handled as above.
    BookText(const TextFile& source, TextEncoding chosen, const std::filesystem::path& copyFolder, Streamed);
    ~BookText();
    BookText(const BookText&) = delete;
    BookText& operator=(const BookText&) = delete;

    // The cp1251 file to build the book from, open: the source itself or the copy; none for a stream.
    const TextFile& File() const { return file_; }
    // The book's text as it is being made; null when there is a file instead. It is read once.
    TextStream* Stream() const { return stream_.get(); }
    // Points the request at the text: its stream, else its file.
    void Into(BookRequest& request) const;
    // True when a converted copy was made.
    bool Converted() const { return !copy_.empty(); }
    // The encoding the text was read in.
    // For a stream, these wait for the book's end (a stream not read to its end is given up).
    TextEncoding Encoding() const { return Report().encoding; }
    const ConversionReport& Report() const;
    // True when "Авто" took the text for UTF-8 by its beginning, found it broken further on and
    // read it as a single-byte text instead.
    bool FellBack() const { return fellBack_; }
    // True when the source is a book (FB2, EPUB, HTML) that declares or implies its own encoding.
    bool FromBook() const { return fromBook_; }
    // What the user should be told once the book is made; see ConversionNotice.
    QString Notice() const;

private:
    void Open(const TextFile& source, TextEncoding chosen, const std::filesystem::path& copyFolder);
    // Waits for the thread laying out a streamed book.
    void Settle() const;

    TextFile file_;
    std::filesystem::path copy_;
    BookOutline outline_;  // a book's own contents, complete once its text is
    mutable ConversionReport report_;
    std::unique_ptr<TextStream> stream_;
    mutable std::thread maker_;
    bool fellBack_ = false;
    bool fromBook_ = false;
};

// What the user should be told after a text taken for `resolved` was converted: that "Авто" fell
// back from UTF-8 to a single-byte encoding, and how many characters became "?"; empty when
// there is nothing to tell.
QString ConversionNotice(TextEncoding resolved, const ConversionReport& report);

} // namespace lumira
