#include "formats/xml_support.h"

#include "platform/errors.h"
#include "platform/language.h"
#include "platform/utf8.h"

#include <libxml/HTMLparser.h>

#include <algorithm>
#include <cctype>
#include <vector>

namespace lumira {

namespace {

int Hex(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

} // namespace

std::string ResolveHref(const std::string& folder, std::string_view href)
{
    href = href.substr(0, href.find_first_of("#?"));
    std::string decoded;
    for (size_t i = 0; i < href.size(); ++i) {
        if (href[i] == '%' && i + 2 < href.size() && Hex(href[i + 1]) >= 0 && Hex(href[i + 2]) >= 0) {
            decoded += static_cast<char>(Hex(href[i + 1]) * 16 + Hex(href[i + 2]));
            i += 2;
        } else {
            decoded += href[i];
        }
    }
    const std::string joined = !decoded.empty() && decoded[0] == '/' ? decoded.substr(1) : folder + decoded;
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= joined.size()) {
        const size_t j = std::min(joined.find('/', i), joined.size());
        const std::string part = joined.substr(i, j - i);
        if (part == "..") {
            if (parts.empty()) return {};
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        i = j + 1;
    }
    std::string out;
    for (const std::string& p : parts) out += (out.empty() ? "" : "/") + p;
    return out;
}

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
    std::string out;
    AppendUtf8(out, static_cast<char32_t>(e->value));
    return out;
}

std::string LinkPlace(const std::string& path, std::string_view href)
{
    const size_t colon = href.find(':');
    if (colon != std::string_view::npos && colon < href.find_first_of("/#?")) return {};  // another scheme
    const size_t hash = href.find('#');
    const std::string_view fragment = hash == std::string_view::npos ? std::string_view() : href.substr(hash + 1);
    std::string place;
    if (href.substr(0, hash).empty()) {
        place = path;
    } else {
        place = ResolveHref(path.substr(0, path.rfind('/') + 1), href);
        if (place.empty()) return {};
    }
    if (!fragment.empty()) place += "#" + std::string(fragment);
    return place;
}

namespace {

bool HasAsciiDigit(std::string_view s)
{
    return std::any_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string_view Trimmed(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

} // namespace

std::string ShownReference(std::string_view text)
{
    text = Trimmed(text);
    if (text.empty() || text.front() == '[' || text.front() == '(' || text.front() == '{') return std::string(text);
    const bool named = std::any_of(text.begin(), text.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
    return named ? "[" + std::string(text) + "]" : std::string(text);
}

bool IsNoteLabel(std::string_view text)
{
    text = Trimmed(text);
    if (text.empty() || text.size() > 12) return false;
    size_t characters = 0;
    bool letter = false;
    for (unsigned char c : text) {
        if (std::isspace(c)) return false;
        if ((c & 0xC0) != 0x80) ++characters;
        if (std::isalpha(c)) letter = true;
    }
    // Signs beyond ASCII: the dagger, the double dagger, the section and the pilcrow.
    std::string rest(text);
    for (std::string_view sign : {"\u2020", "\u2021", "\u00A7", "\u00B6"})
        for (size_t at = rest.find(sign); at != std::string::npos; at = rest.find(sign)) rest.erase(at, sign.size());
    if (std::any_of(rest.begin(), rest.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) letter = true;
    return characters <= 8 && (HasAsciiDigit(text) || !letter);
}

std::pair<size_t, size_t> LeadingClosingPunctuation(std::string_view text)
{
    size_t start = 0;
    while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start]))) ++start;
    size_t end = start;
    for (;;) {
        const std::string_view rest = text.substr(end);
        if (!rest.empty() && std::string_view(",.;:!?)]}").find(rest.front()) != std::string_view::npos) {
            ++end;
            continue;
        }
        bool found = false;
        for (std::string_view sign : {"\u00BB", "\u2026", "\u201D", "\u2019"})
            if (rest.starts_with(sign)) {
                end += sign.size();
                found = true;
                break;
            }
        if (!found) break;
    }
    return end > start ? std::pair{start, end} : std::pair<size_t, size_t>{0, 0};
}

} // namespace lumira
