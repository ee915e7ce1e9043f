#pragma once
// HTML and XHTML through libxml2's HTML parser, which takes broken markup and HTML's named
// character references: a single HTML file, and the chapters of an EPUB.
#include "formats/book_format.h"

#include <string>
#include <string_view>

namespace lumira {

class LayoutWriter;

// The encoding an HTML text declares: a byte-order mark, an XML declaration or a meta charset
// in its first 4 KiB; empty when none.
std::string HtmlDeclaredEncoding(std::string_view bytes);

// Refuses an encoding name libxml2 cannot read, naming the book.
void CheckEncodingKnown(const std::string& encoding, const std::string& shownAs);

// Parses `bytes` in `encoding` and lays out its body into `main`; parts marked as notes
// (footnotes, endnotes), or the whole document when `allNotes`, go into `notes`, where a heading
// becomes the mark of the note that follows it. `title` receives the document's title.
void LayoutHtml(std::string_view bytes, const std::string& encoding, const std::string& shownAs,
                LayoutWriter& main, LayoutWriter& notes, bool allNotes, std::string* title = nullptr);

// A single HTML file; `chosen` is the encoding for a file that declares none (Auto detects).
BookInfo ReadHtmlFile(const TextFile& file, TextSink& sink, TextEncoding chosen);

// The libxml2 name of one of the program's encodings.
const char* LibxmlEncodingName(TextEncoding encoding);

} // namespace lumira
