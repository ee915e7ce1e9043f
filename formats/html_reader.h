#pragma once
// HTML and XHTML through libxml2's HTML parser, which takes broken markup and HTML's named
// character references: a single HTML file, and the chapters of an EPUB.
#include "formats/book_format.h"
#include "formats/text_layout.h"

#include <map>
#include <set>
#include <string>
#include <string_view>

namespace lumira {

// The encoding an HTML text declares: a byte-order mark, an XML declaration or a meta charset
// in its first 4 KiB; empty when none.
std::string HtmlDeclaredEncoding(std::string_view bytes);

// Refuses an encoding name libxml2 cannot read, naming the book.
void CheckEncodingKnown(const std::string& encoding, const std::string& shownAs);

// What a book says of its notes, across its documents. Places are "path#id" (the path of the
// document inside the book, "" for a single file); notes are told by meaning only: marks such as
// epub:type="footnote" or role="doc-endnote", the targets of note references, landmarks.
struct NoteLinks {
    // A note's place and the mark its reference shows ("[1]"; empty when none refers to it).
    std::map<std::string, std::string> notes;
    // Places the book names as holding notes (a landmark), whole documents as "path".
    std::set<std::string> containers;
    // The marks of plain links, by the place they lead to: such a link refers to a note when its
    // target is marked as one.
    std::map<std::string, std::string> linkMarks;
};

// Adds what the document at `path` says of notes to `links`.
void CollectNoteLinks(std::string_view bytes, const std::string& encoding, const std::string& path, NoteLinks& links);

// True when `bytes` may hold a note or a reference to one: only then is a document read ahead
// for CollectNoteLinks.
bool MayMentionNotes(std::string_view bytes);

// One HTML document to lay out.
struct HtmlPage {
    std::string_view bytes;
    std::string encoding;
    std::string shownAs;            // names the book in messages
    std::string path;               // the document's place in the book ("" for a single file)
    const NoteLinks* links = nullptr;
};

// What a document's head and root say.
struct HtmlHead {
    std::string title;
    std::string language;  // the root's lang (xml:lang), as written
};

// A document laid out: its text and its notes apart, to be joined where they belong.
struct HtmlLayout {
    HtmlHead head;
    LayoutPart main;
    LayoutPart notes;
};

// Parses the page and lays out its body; in the notes a heading that is a note's number becomes
// the mark of the note that follows it.
HtmlLayout LayoutHtml(const HtmlPage& page);

// A single HTML file; `chosen` is the encoding for a file that declares none (Auto detects).
BookInfo ReadHtmlFile(const TextFile& file, TextSink& sink, TextEncoding chosen);

// The libxml2 name of one of the program's encodings.
const char* LibxmlEncodingName(TextEncoding encoding);

} // namespace lumira
