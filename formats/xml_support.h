#pragma once
// Small pieces shared by the XML-based readers.
#include <libxml/parser.h>

#include <exception>
#include <string>
#include <string_view>

namespace lumira {

// The encoding named by an XML declaration at the start of `head` (after a UTF-8 byte-order
// mark), or empty when there is none or it names none.
std::string XmlDeclaredEncoding(std::string_view head);

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
