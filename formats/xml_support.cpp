#include "formats/xml_support.h"

#include "platform/errors.h"
#include "platform/language.h"

#include <libxml/HTMLparser.h>

#include <algorithm>
#include <cctype>

namespace lumira {

std::string XmlDeclaredEncoding(std::string_view head)
{
    if (head.substr(0, 3) == "\xEF\xBB\xBF") head.remove_prefix(3);
    if (head.substr(0, 5) != "<?xml") return {};
    const size_t end = head.find("?>");
    const std::string_view decl = head.substr(0, end);
    const size_t at = decl.find("encoding");
    if (at == std::string_view::npos) return {};
    size_t i = at + 8;
    while (i < decl.size() && (decl[i] == ' ' || decl[i] == '=' || decl[i] == '\t')) ++i;
    if (i >= decl.size() || (decl[i] != '"' && decl[i] != '\'')) return {};
    const char quote = decl[i++];
    const size_t close = decl.find(quote, i);
    if (close == std::string_view::npos) return {};
    return std::string(decl.substr(i, close - i));
}

void XmlFault::Take(const xmlError* error)
{
    // Only what breaks the document counts: an undeclared namespace prefix, common in books
    // made by hand, does not.
    if (set || !error || error->level < XML_ERR_FATAL) return;
    set = true;
    line = error->line;
    column = error->int2;
    message = error->message ? error->message : "";
    while (!message.empty() && std::isspace(static_cast<unsigned char>(message.back()))) message.pop_back();
}

void XmlFault::Throw(const std::string& shownAs) const
{
    std::string text =
        line > 0 ? FormatText(Translate("Books", "Книга %1 повреждена: ошибка XML в строке %2, позиции %3"),
                              {shownAs, std::to_string(line), std::to_string(std::max(column, 1))})
                 : FormatText(Translate("Books", "Книга %1 повреждена: ошибка XML"), {shownAs});
    if (!message.empty()) text += " (" + message + ")";
    throw AppError(text + ".");
}

std::string SaxAttribute(const xmlChar** attributes, int count, std::string_view localName)
{
    for (int i = 0; i < count; ++i) {
        const xmlChar** a = attributes + 5 * i;
        if (localName == reinterpret_cast<const char*>(a[0]))
            return std::string(reinterpret_cast<const char*>(a[3]), static_cast<size_t>(a[4] - a[3]));
    }
    return {};
}

std::string HtmlEntityText(const char* name)
{
    const htmlEntityDesc* e = htmlEntityLookup(reinterpret_cast<const xmlChar*>(name));
    if (!e) return {};
    const unsigned c = e->value;
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

} // namespace lumira
