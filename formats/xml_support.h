#pragma once
// Small pieces shared by the XML-based readers.
#include <libxml/parser.h>

#include <algorithm>
#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace lumira {

// True when `name` is one of `names`.
inline bool OneOf(std::string_view name, std::initializer_list<std::string_view> names)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The encoding named by an XML declaration at the start of `head` (after a UTF-8 byte-order
// mark), or empty when there is none or it names none.
std::string XmlDeclaredEncoding(std::string_view head);

// The archive name of `href` (percent-encoded, relative to `folder`, which ends in "/" or is
// empty), without its fragment; empty when it leaves the archive.
std::string ResolveHref(const std::string& folder, std::string_view href);

// The place "path#fragment" (or "path" alone) a link in the document at `path` leads to inside
// the book; a link to its own document's fragment keeps `path`. Empty for a link outside the book.
std::string LinkPlace(const std::string& path, std::string_view href);

// A reference to a note as the text shows it: a number or a name goes in brackets ("1" gives
// "[1]"); one already bracketed ("[1]", "(1)") or made of signs ("*", "†") stays as it is.
std::string ShownReference(std::string_view text);

// True for a note's number rather than a title: short, without blanks, holding a digit or no
// letter at all ("1", "[12]", "2.", "*", "†").
bool IsNoteLabel(std::string_view text);

// Punctuation that closes what came before it (",", ".", "»"...) at the start of `text`, after
// white space: {where it starts, where it ends}; both 0 when the text starts otherwise. Such text
// right after a paragraph's end belongs to that paragraph, not to the next.
std::pair<size_t, size_t> LeadingClosingPunctuation(std::string_view text);

// The first error libxml2 reports about a document, as the user reads it.
struct XmlFault {
    bool set = false;
    int line = 0;
    int column = 0;
    std::string message;  // libxml2's own wording, trimmed

    void Take(const xmlError* error);
    // "Книга «name» повреждена: ошибка XML в строке L, позиции C (message)."
    [[noreturn]] void Throw(const std::string& shownAs) const;
};

// The value of an attribute from a SAX2 attribute array, by local name; empty when absent.
std::string SaxAttribute(const xmlChar** attributes, int count, std::string_view localName);

// An HTML named character reference ("nbsp", "mdash"...) as UTF-8, or empty when unknown.
std::string HtmlEntityText(const char* name);

} // namespace lumira
