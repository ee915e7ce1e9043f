#pragma once
// HTML and XHTML through libxml2's HTML parser, which takes broken markup and HTML's named
// character references: a single HTML file, and the chapters of an EPUB. Documents are read as
// streams (html_tree.h), each pass from their start again: memory does not grow with their size.
#include "formats/book_format.h"
#include "formats/book_outline.h"
#include "formats/html_tree.h"
#include "formats/text_layout.h"

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>

namespace lumira {

// The encoding an HTML text declares: a byte-order mark, an XML declaration or a meta charset
// in its first 4 KiB; empty when none.
std::string HtmlDeclaredEncoding(std::string_view bytes);

// The name to read a document in that declares `declared` (HtmlDeclaredEncoding) and starts
// with `head`.
std::string ParserEncoding(const std::string& declared, std::string_view head);

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

// A document's bytes from their start, anew for every pass over them.
using OpenDocument = std::function<DocumentBytes()>;

// Its first bytes, as many as encoding detection reads (kDetectionLimit) at most.
std::string DocumentHead(const OpenDocument& open);

// True when the bytes may hold a note or a reference to one: only then is a document read ahead
// for CollectNoteLinks.
bool MayMentionNotes(const DocumentBytes& bytes);

// One HTML document to read.
struct HtmlPage {
    OpenDocument open;
    std::uint64_t size = 0;         // its bytes
    std::string head;               // DocumentHead
    std::string encoding;
    std::string shownAs;            // names the book in messages
    std::string path;               // the document's place in the book ("" for a single file)
    const NoteLinks* links = nullptr;
    // Places ("path#id", or "path" for the document's start) the book's contents lead to, to be
    // named in the layout (LayoutWriter::Place) where they land; none when null.
    const std::set<std::string>* targets = nullptr;
    std::function<void()> checkGoing;  // between chunks; throws when the text is no longer wanted
};

// Adds what the page says of notes to `links`.
void CollectNoteLinks(const HtmlPage& page, NoteLinks& links);

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
    // The chapters' headings (h1 to h3) by the places named for them in `main`, h1 at level 0.
    std::vector<OutlineWish> headings;
};

// Lays out the page's body, `page.links` saying where notes are; in the notes a heading that is
// a note's number becomes the mark of the note that follows it.
HtmlLayout LayoutHtml(const HtmlPage& page);

// The notes laid out apart (`notes`), placed after the text under the notes' title, which joins
// the contents; ends the text.
void AppendNotes(LayoutWriter& main, std::string_view notes, const std::string& language,
                 std::vector<OutlineWish>& contents);
inline constexpr const char* kNotesPlace = "\nnotes";

// A single HTML file; `chosen` is the encoding for a file that declares none (Auto detects).
BookInfo ReadHtmlFile(const TextFile& file, TextSink& sink, TextEncoding chosen);

// The libxml2 name of one of the program's encodings.
const char* LibxmlEncodingName(TextEncoding encoding);

} // namespace lumira
