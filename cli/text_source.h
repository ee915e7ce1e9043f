#pragma once
// A text named on the command line, and the two ways it is read: whole by the book builder, and
// as a list of lines by the page layout, both in cp1251 converted from the text's encoding.
// Every reading of a text goes through here, and through the one file Open gives: whatever takes
// the text's name meanwhile, every stage reads the text that was opened.
#include "book/book_text.h"
#include "formats/book_format.h"
#include "platform/text_encoding.h"

#include <QString>
#include <filesystem>
#include <optional>
#include <string>

namespace lumira {

class TextSource {
public:
    // `given` is the name as typed; a relative name is taken from the current folder.
    explicit TextSource(const QString& given);

    // The name as the user typed it, for messages.
    const QString& Given() const { return given_; }
    // The absolute path, native separators.
    const QString& Path() const { return path_; }
    // The file name without its folder.
    QString FileName() const;
    // Opens the text, once for all its readings below ("Cannot open file %s"; a pipe, device or
    // socket is refused at once).
    TextFile Open() const;

    // What a book (FB2, EPUB, HTML) tells of itself (its title, its language), read through
    // once; nothing for a plain text.
    std::optional<BookInfo> Book(const TextFile& opened, TextEncoding encoding) const;
    // The book's title: a book's own, else the one its file name gives.
    QString DefaultTitle(const std::optional<BookInfo>& book) const;

    // The cp1251 text the book is made from, read in `encoding`: the file itself when it is
    // cp1251, else a converted copy in `scratch`, a private folder outside the book's working
    // folder, removed when the result goes; a book (FB2, EPUB, HTML) is laid out as the
    // package is built, through the result's stream (BookText::Into).
    BookText BookFile(const TextFile& opened, const std::filesystem::path& scratch, TextEncoding encoding) const;

    // The whole text as the page layout reads it: converted to cp1251 from `encoding`, split
    // into lines, every line followed by CR LF, zero bytes left out; never shortened.
    // `notice` receives what the user should be told of the conversion: the encoding "Авто" chose
    // (AutoChoiceNotice) and what ConversionNotice tells, a line each. `language` receives the
    // language a book names (empty for a plain text).
    // `outline` receives a book's own contents.
    std::string LayoutString(const TextFile& opened, TextEncoding encoding, QString* notice = nullptr,
                             std::string* language = nullptr, BookOutline* outline = nullptr) const;

private:
    QString given_;
    QString path_;
};

// One line telling which encoding "Авто" read a text in, when that was not cp1251, so that a wrong
// guess shows; empty when the encoding was chosen by hand or the text was read as cp1251.
QString AutoChoiceNotice(TextEncoding chosen, TextEncoding read);

} // namespace lumira
