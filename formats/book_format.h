#pragma once
// Books as people keep them: FB2, FB2 in a ZIP archive, EPUB and single HTML files, recognised
// by their content (the file name is never consulted) and turned into the common text layout
// (text_layout.h), UTF-8, which book_source.h lays out straight into the book's cp1251 text.
#include "formats/book_outline.h"
#include "platform/files.h"
#include "platform/text_encoding.h"

#include <QString>
#include <filesystem>
#include <optional>
#include <string>

namespace lumira {

class TextSink;

enum class BookFormat { Fb2, Fb2Zip, Epub, Html };

struct BookInfo {
    BookFormat format = BookFormat::Fb2;
    // The encoding the book declares ("windows-1251", "UTF-8"...), as it spells it; empty when
    // it declares none (an HTML file without a charset), which is then read in the chosen one.
    std::string declaredEncoding;
    // The encoding an undeclared HTML file was read in.
    std::optional<TextEncoding> readAs;
    std::string title;  // UTF-8, white space collapsed; empty when the book names none
    std::string language = {};  // the book's language as it names it ("ru", "en-GB"); empty when unnamed
    BookOutline outline = {};   // its contents, the lines of the text written to the sink
};

// "FB2", "FB2 в ZIP", "EPUB", "HTML".
QString FormatDisplayName(BookFormat format);

// The kind of book `file` holds, or nothing for a plain text. A ZIP archive with no book in it
// is refused with a message; an unreadable file gives the file layer's message.
std::optional<BookFormat> RecogniseBook(const TextFile& file);

// Reads the whole book and writes its text to `sink` in the common layout, notes last under
// "Примечания". `chosen` is the encoding for an HTML file that declares none (Auto detects).
// Damaged or unreadable books are refused with a message saying what is wrong (for broken XML
// its line and column).
BookInfo ConvertBook(const TextFile& file, BookFormat format, TextSink& sink,
                     TextEncoding chosen = TextEncoding::Auto);

// A title fit for the title field: at most 20 characters, cut at a word boundary where the
// first word allows it, without blanks or punctuation left dangling at the end.
QString ShortBookTitle(const std::string& titleUtf8);

// The title line the notes come under.
inline constexpr const char* kNotesTitle = "Примечания";

// That title in the book's own language (a language tag such as "ru" or "en-US"); a book that
// names none gets the interface's.
std::string NotesTitle(const std::string& language);

} // namespace lumira
