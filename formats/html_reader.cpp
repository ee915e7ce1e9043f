#include "formats/html_reader.h"
#include "formats/formula_text.h"
#include "formats/text_layout.h"
#include "formats/xml_support.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/language.h"

#include <libxml/HTMLparser.h>
#include <libxml/encoding.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace lumira {

namespace {

// A single HTML file is parsed in memory; larger ones are no books.
constexpr std::uint64_t kHtmlFileLimit = 512u << 20;

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// An element's name without its namespace prefix ("svg:text" is "text").
std::string_view Name(const xmlNode* n)
{
    const std::string_view name = reinterpret_cast<const char*>(n->name);
    const size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// The HTML parser gives element and attribute names in lower case.
std::string Attribute(const xmlNode* n, std::string_view name)
{
    for (const xmlAttr* a = n->properties; a; a = a->next) {
        if (name != reinterpret_cast<const char*>(a->name)) continue;
        xmlChar* v = xmlNodeGetContent(reinterpret_cast<const xmlNode*>(a));
        std::string out = v ? reinterpret_cast<const char*>(v) : "";
        xmlFree(v);
        return out;
    }
    return {};
}

bool HasToken(const std::string& list, std::initializer_list<std::string_view> tokens)
{
    size_t i = 0;
    const std::string lower = Lower(list);
    while (i < lower.size()) {
        while (i < lower.size() && std::isspace(static_cast<unsigned char>(lower[i]))) ++i;
        size_t j = i;
        while (j < lower.size() && !std::isspace(static_cast<unsigned char>(lower[j]))) ++j;
        const std::string_view token = std::string_view(lower).substr(i, j - i);
        for (std::string_view t : tokens)
            if (token == t) return true;
        i = j;
    }
    return false;
}

// A single note, or a part holding notes, as EPUB 3 (epub:type) and ARIA (role) mark them.
bool MarkedAsNotes(const xmlNode* n)
{
    return HasToken(Attribute(n, "epub:type"), {"footnote", "footnotes", "endnote", "endnotes", "rearnote",
                                                "rearnotes", "note", "notes"}) ||
           HasToken(Attribute(n, "role"), {"doc-footnote", "doc-endnote", "doc-endnotes", "doc-footnotes"});
}

// A single note: one that a plain link may refer to.
bool MarkedAsNote(const xmlNode* n)
{
    return HasToken(Attribute(n, "epub:type"), {"footnote", "endnote", "rearnote", "note"}) ||
           HasToken(Attribute(n, "role"), {"doc-footnote", "doc-endnote"});
}

bool MarkedAsNoteRef(const xmlNode* n)
{
    return HasToken(Attribute(n, "epub:type"), {"noteref"}) || HasToken(Attribute(n, "role"), {"doc-noteref"});
}

bool IsHeading(std::string_view n)
{
    return n.size() == 2 && n[0] == 'h' && n[1] >= '1' && n[1] <= '6';
}

bool IsSkipped(std::string_view n)
{
    return OneOf(n, {"head", "script", "style", "noscript", "template", "embed", "iframe", "select", "button", "img",
                     "image", "video", "audio", "map", "param"});
}

// Parts of a drawing that are no text to read: its name, its description, its definitions.
bool IsSkippedInside(std::string_view n)
{
    return OneOf(n, {"title", "desc", "metadata", "defs"});
}

bool IsBlock(std::string_view n)
{
    return OneOf(n, {"p", "div", "section", "article", "blockquote", "li", "dd", "dt", "tr", "td", "th", "table",
                     "ul", "ol", "dl", "figure", "figcaption", "header", "footer", "nav", "aside", "main", "pre",
                     "hr", "address", "center", "body", "html", "caption", "form", "fieldset", "details",
                     "summary", "tbody", "thead", "tfoot", "hgroup", "legend"});
}

// A heading over a notes part that merely says it is one.
bool IsNotesHeading(const std::string& text)
{
    const std::string t = Lower(text);
    return t == Lower(kNotesTitle) || t == "примечания" || t == "сноски" || t == "notes" || t == "footnotes" ||
           t == "endnotes" || t == "комментарии";
}

std::string TextOf(const xmlNode* n)
{
    xmlChar* v = xmlNodeGetContent(n);
    std::string out = v ? reinterpret_cast<const char*>(v) : "";
    xmlFree(v);
    return CollapseSpaces(out);
}

// Calls visit(n) for `root` and every node below it in document order, without recursion
// (a book may nest as deep as it likes); the children of a node are visited when visit returns
// true.
template <typename Visit>
void ForEachNode(xmlNode* root, Visit&& visit)
{
    xmlNode* n = root;
    while (n) {
        if (visit(n) && n->children) {
            n = n->children;
            continue;
        }
        while (n != root && !n->next) n = n->parent;
        if (n == root) return;
        n = n->next;
    }
}

const xmlNode* FirstLink(xmlNode* n)
{
    const xmlNode* found = nullptr;
    ForEachNode(n, [&](xmlNode* m) {
        if (found) return false;
        if (m->type == XML_ELEMENT_NODE && Name(m) == "a" && !Attribute(m, "href").empty()) found = m;
        return !found;
    });
    return found;
}

bool InLandmarks(const xmlNode* n)
{
    for (; n; n = n->parent)
        if (n->type == XML_ELEMENT_NODE && Name(n) == "nav" && HasToken(Attribute(n, "epub:type"), {"landmarks"}))
            return true;
    return false;
}

void CollectFrom(xmlDoc* doc, const std::string& path, NoteLinks& links)
{
    ForEachNode(reinterpret_cast<xmlNode*>(doc), [&](xmlNode* n) {
        if (n->type != XML_ELEMENT_NODE && n->type != XML_DOCUMENT_NODE && n->type != XML_HTML_DOCUMENT_NODE)
            return false;
        if (n->type != XML_ELEMENT_NODE) return true;
        const std::string_view name = Name(n);
        if (IsSkipped(name)) return false;
        if (MarkedAsNote(n)) {
            const std::string id = Attribute(n, "id");
            if (!id.empty()) links.notes.emplace(path + "#" + id, std::string());
        }
        const bool landmark = name == "a" && HasToken(Attribute(n, "epub:type"), {"footnotes", "endnotes", "rearnotes",
                                                                                   "notes", "footnote", "endnote", "rearnote"});
        if (landmark && InLandmarks(n)) {
            if (std::string place = LinkPlace(path, Attribute(n, "href")); !place.empty())
                links.containers.insert(std::move(place));
            return false;
        }
        const bool marked = MarkedAsNoteRef(n);
        if (!marked && name != "a") return true;
        const xmlNode* link = name == "a" ? n : FirstLink(n);
        if (!link) return true;
        const std::string href = Attribute(link, "href");
        const std::string place = LinkPlace(path, href);
        if (place.find('#') == std::string::npos) return false;
        const std::string text = TextOf(n);
        const bool superscript = (n->parent && n->parent->type == XML_ELEMENT_NODE && Name(n->parent) == "sup") ||
                                 (n->children && n->children->type == XML_ELEMENT_NODE && Name(n->children) == "sup");
        if (marked || (superscript && IsNoteLabel(text))) {
            // A reference found: its target is a note.
            auto [at, added] = links.notes.emplace(place, ShownReference(text));
            if (!added && at->second.empty()) at->second = ShownReference(text);
        } else if (IsNoteLabel(text)) {
            // A plain link: a reference only if its target is marked as a note.
            links.linkMarks.emplace(place, ShownReference(text));
        }
        return false;
    });
}

// Where a document's notes begin, worked out before it is laid out.
struct NotePlan {
    struct Start {
        std::string mark;
        const xmlNode* end;  // the note ends with this element
    };
    std::unordered_map<const xmlNode*, Start> starts;
    std::unordered_set<const xmlNode*> containers;
    bool wholeDocument = false;
};

// The element that holds the note whose target is `n`: `n` when it is a block or a heading,
// else the nearest one around it.
const xmlNode* NoteHolder(const xmlNode* n)
{
    for (const xmlNode* m = n; m && m->type == XML_ELEMENT_NODE; m = m->parent) {
        const std::string_view name = Name(m);
        if (name == "body" || name == "html") break;
        if (IsBlock(name) || IsHeading(name)) return m;
    }
    return n;
}

// True when `n` holds a heading that titles a chapter: no note does.
bool HoldsChapterHeading(xmlNode* n)
{
    bool found = false;
    ForEachNode(n, [&](xmlNode* m) {
        if (found || m->type != XML_ELEMENT_NODE) return false;
        if (IsHeading(Name(m))) {
            const std::string text = TextOf(m);
            found = !IsNoteLabel(text) && !IsNotesHeading(text);
            return false;
        }
        return true;
    });
    return found;
}

NotePlan PlanNotes(xmlDoc* doc, const std::string& path, const NoteLinks& links)
{
    NotePlan plan;
    plan.wholeDocument = links.containers.count(path) > 0;
    ForEachNode(reinterpret_cast<xmlNode*>(doc), [&](xmlNode* n) {
        if (n->type != XML_ELEMENT_NODE) return n->type == XML_DOCUMENT_NODE || n->type == XML_HTML_DOCUMENT_NODE;
        const std::string id = Attribute(n, "id");
        if (id.empty()) return true;
        const std::string place = path + "#" + id;
        if (links.containers.count(place)) plan.containers.insert(n);
        const auto note = links.notes.find(place);
        if (note == links.notes.end()) return true;
        std::string mark = note->second;
        if (mark.empty())
            if (const auto link = links.linkMarks.find(place); link != links.linkMarks.end()) mark = link->second;
        xmlNode* holder = const_cast<xmlNode*>(NoteHolder(n));
        if (IsHeading(Name(holder))) {
            // A heading names the note that follows it, to the end of the part it stands in.
            if (holder->parent && holder->parent->type == XML_ELEMENT_NODE) plan.starts[holder] = {mark, holder->parent};
        } else if (!HoldsChapterHeading(holder)) {
            plan.starts[holder] = {mark, holder};
        }
        return true;
    });
    return plan;
}

// The note's own number at its start, which its mark replaces: "1", "1.", "1)" or "[1]" for the
// mark "[1]"; the length to drop from `text`, 0 when it does not start so.
size_t LeadingLabel(std::string_view text, const std::string& mark)
{
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    std::string bare = mark;
    if (bare.size() > 2 && bare.front() == '[' && bare.back() == ']') bare = bare.substr(1, bare.size() - 2);
    for (const std::string& label : {mark, bare}) {
        if (label.empty() || text.substr(i, label.size()) != label) continue;
        size_t j = i + label.size();
        if (j < text.size() && (text[j] == '.' || text[j] == ')')) ++j;
        if (j == text.size() || std::isspace(static_cast<unsigned char>(text[j]))) return j;
    }
    return 0;
}

class Walker {
public:
    Walker(LayoutWriter& main, LayoutWriter& notes, const NotePlan& plan, const NoteLinks& links, const std::string& path)
        : notes_(notes), out_(plan.wholeDocument ? &notes : &main), inNotes_(plan.wholeDocument), plan_(plan),
          links_(links), path_(path)
    {
    }

    void Walk(xmlNode* root)
    {
        xmlNode* n = root->children;
        while (n) {
            if (Enter(n) && n->children) {
                n = n->children;
                continue;
            }
            while (n && !n->next) {
                n = n->parent;
                if (!n || n == root) return;
                Leave(n);
            }
            if (!n) return;
            n = n->next;
        }
    }

private:
    struct Frame {
        const xmlNode* node;
        LayoutWriter* out;
        bool inNotes;
    };

    // A paragraph's end waits for what follows: punctuation the book put after it still belongs
    // to it.
    void EndParagraphNow()
    {
        if (open_) open_->EndParagraph();
        open_ = nullptr;
    }

    void Text(std::string_view text)
    {
        if (open_) {
            if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) return;
            const auto [from, to] = LeadingClosingPunctuation(text);
            open_->Text(text.substr(from, to - from));
            text.remove_prefix(to);
            EndParagraphNow();
        }
        if (!label_.empty()) {
            if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) return out_->Text(text);
            const size_t label = LeadingLabel(text, label_);
            text.remove_prefix(label);
            label_.clear();
            // A number that was a text of its own (a link back) may have its full stop after it.
            labelTail_ = label > 0 && text.empty();
        } else if (labelTail_ && text.find_first_not_of(" \t\r\n") != std::string_view::npos) {
            labelTail_ = false;
            if (text.front() == '.' || text.front() == ')') text.remove_prefix(1);
        }
        out_->Text(text);
    }

    void EnterNotes(const xmlNode* end)
    {
        frames_.push_back({end, out_, inNotes_});
        out_->EndParagraph();
        out_ = &notes_;
        inNotes_ = true;
    }

    bool IsReference(const xmlNode* n) const
    {
        if (MarkedAsNoteRef(n)) return true;
        if (Name(n) != "a") return false;
        const std::string place = LinkPlace(path_, Attribute(n, "href"));
        return place.find('#') != std::string::npos && links_.notes.count(place);
    }

    // True when the node's children are to be visited; Leave then follows. An element that is
    // not descended into gets its Leave here.
    bool Enter(xmlNode* n)
    {
        if (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) {
            if (!n->content) return false;
            if (formula_.Inside()) formula_.Text(reinterpret_cast<const char*>(n->content));
            else Text(reinterpret_cast<const char*>(n->content));
            return false;
        }
        if (n->type != XML_ELEMENT_NODE) return false;
        const std::string_view name = Name(n);
        if (formula_.Inside() || name == "math") {
            formula_.Open(name, [n](std::string_view attribute) { return Attribute(n, attribute); });
            if (!n->children) Leave(n);
            return n->children != nullptr;
        }
        EndParagraphNow();
        if (IsSkipped(name) || (drawing_ && IsSkippedInside(name))) return false;
        if (name == "svg") {
            ++drawing_;
            out_->EndParagraph();
        } else if (drawing_ && name == "text") {
            out_->EndParagraph();  // each text of a drawing is a line of its own
        }
        if (!inNotes_ && IsReference(n)) {
            out_->Text(ShownReference(TextOf(n)));
            return false;
        }
        if (const auto start = plan_.starts.find(n); start != plan_.starts.end()) {
            if (inNotes_) out_->EndParagraph();
            else EnterNotes(start->second.end);
            if (!start->second.mark.empty()) out_->SetMark(start->second.mark);
            label_ = start->second.mark;
            labelTail_ = false;
        } else if (!inNotes_ && (MarkedAsNotes(n) || plan_.containers.count(n))) {
            EnterNotes(n);
        }
        if (IsHeading(name)) {
            out_->EndParagraph();
            const std::string text = inNotes_ ? TextOf(n) : std::string();
            if (inNotes_ && (IsNoteLabel(text) || IsNotesHeading(text))) {
                // In notes a heading that is a number is the note's mark; the notes' own heading
                // is dropped, as they come under one of ours.
                if (!label_.empty() && LeadingLabel(text, label_) == text.size()) label_.clear();
                else if (IsNoteLabel(text)) out_->SetMark(text);
                LeaveFrame(n);
                return false;
            }
            out_->BlankLine();
            ++inTitle_;
        } else if (name == "br") {
            if (inTitle_) out_->EndTitleLine();
            else if (out_->LineEmpty()) out_->BlankLine();
            else out_->EndParagraph();
            return false;
        } else if (IsBlock(name)) {
            out_->EndParagraph();
            if (name == "pre") out_->SetPreformatted(true);
            if (IsPoemPart(n)) out_->BlankLine();
        }
        if (!n->children) {
            Leave(n);
            return false;
        }
        return true;
    }

    void Leave(xmlNode* n)
    {
        if (n->type != XML_ELEMENT_NODE) return;
        const std::string_view name = Name(n);
        if (formula_.Inside()) {
            if (std::string reading; formula_.Close(name, reading) && !reading.empty()) Text(reading);
            return;
        }
        EndParagraphNow();
        if (name == "svg") --drawing_;
        if ((name == "svg" || (drawing_ && name == "text")) && !inTitle_) out_->EndParagraph();
        if (IsHeading(name)) {
            out_->EndTitleLine();
            out_->BlankLine();
            --inTitle_;
        } else if (IsBlock(name)) {
            if (inTitle_) out_->EndTitleLine();
            else open_ = out_;
            if (name == "pre") out_->SetPreformatted(false);
            if (IsPoemPart(n)) out_->BlankLine();
        }
        LeaveFrame(n);
    }

    void LeaveFrame(const xmlNode* n)
    {
        while (!frames_.empty() && frames_.back().node == n) {
            EndParagraphNow();
            out_->EndParagraph();
            out_ = frames_.back().out;
            inNotes_ = frames_.back().inNotes;
            frames_.pop_back();
            label_.clear();
            labelTail_ = false;
        }
    }

    // Verses are set apart by the classes books give them.
    static bool IsPoemPart(const xmlNode* n)
    {
        return HasToken(Attribute(n, "class"), {"poem", "stanza", "verse", "poetry"});
    }

    LayoutWriter& notes_;
    LayoutWriter* out_;
    bool inNotes_;
    const NotePlan& plan_;
    const NoteLinks& links_;
    const std::string& path_;
    int inTitle_ = 0;
    int drawing_ = 0;  // inside an SVG drawing
    FormulaText formula_;  // the MathML formula being read
    std::string label_;  // the mark of a note begun, whose own number at its start is dropped
    bool labelTail_ = false;
    LayoutWriter* open_ = nullptr;  // the writer whose paragraph has ended but for what follows
    std::vector<Frame> frames_;
};

const xmlNode* FindElement(const xmlNode* n, std::string_view name, int depth = 0)
{
    for (; n && depth < 4; n = n->next) {
        if (n->type != XML_ELEMENT_NODE) continue;
        if (Name(n) == name) return n;
        if (const xmlNode* found = FindElement(n->children, name, depth + 1)) return found;
    }
    return nullptr;
}

struct DocFree {
    void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};

} // namespace

const char* LibxmlEncodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8: return "UTF-8";
    case TextEncoding::Utf16: return "UTF-16";
    case TextEncoding::Koi8r: return "KOI8-R";
    case TextEncoding::Cp866: return "CP866";
    case TextEncoding::Auto:
    case TextEncoding::Cp1251: break;
    }
    return "windows-1251";
}

std::string HtmlDeclaredEncoding(std::string_view bytes)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return "UTF-8";
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") return "UTF-16";
    // A declaration read as ASCII cannot name an encoding of two or four bytes a character:
    // browsers ignore it, and so does this.
    const auto impossible = [](const std::string& name) {
        const std::string n = Lower(name);
        return n.starts_with("utf-16") || n.starts_with("utf-32") || n.starts_with("ucs") || n == "unicode" ||
               n == "utf16" || n == "utf32";
    };
    if (std::string xml = XmlDeclaredEncoding(bytes); !xml.empty()) return impossible(xml) ? std::string() : xml;
    const std::string head = Lower(bytes.substr(0, 4096));
    for (size_t at = head.find("<meta"); at != std::string::npos; at = head.find("<meta", at + 5)) {
        const size_t end = head.find('>', at);
        const std::string_view tag = std::string_view(head).substr(at, end == std::string::npos ? end : end - at);
        size_t i = tag.find("charset");
        if (i == std::string_view::npos) continue;
        i += 7;
        while (i < tag.size() && (tag[i] == ' ' || tag[i] == '=' || tag[i] == '"' || tag[i] == '\'')) ++i;
        size_t j = i;
        while (j < tag.size() && (std::isalnum(static_cast<unsigned char>(tag[j])) || tag[j] == '-' || tag[j] == '_' ||
                                  tag[j] == ':' || tag[j] == '.'))
            ++j;
        // Taken from the original, as the book spells it.
        if (j > i) {
            std::string name(bytes.substr(at + i, j - i));
            return impossible(name) ? std::string() : name;
        }
    }
    return {};
}

void CheckEncodingKnown(const std::string& encoding, const std::string& shownAs)
{
    xmlCharEncodingHandlerPtr handler = xmlFindCharEncodingHandler(encoding.c_str());
    if (!handler)
        throw AppError(FormatText(Translate("Books", "Книга %1 записана в кодировке «%2», которую программа не знает."),
                                  {shownAs, encoding}));
    xmlCharEncCloseFunc(handler);
}

namespace {

using HtmlDoc = std::unique_ptr<xmlDoc, DocFree>;

// The HTML parser knows no internal DTD subset ("<!DOCTYPE html [ <!ENTITY ...> ]>"): it would
// read the declarations, and the head after them, as text. The subset is taken out before the
// parse, and the entities it declares as plain text are put in place of their references, the
// text growing by at most the book's own size. Returns false when there is no subset.
bool TakeOutInternalSubset(std::string_view bytes, std::string& out)
{
    const std::string head = Lower(bytes.substr(0, 64 * 1024));
    const size_t doctype = head.find("<!doctype");
    if (doctype == std::string::npos) return false;
    size_t i = doctype;
    char quote = 0;
    for (; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quote) quote = c == quote ? 0 : quote;
        else if (c == '"' || c == '\'') quote = c;
        else if (c == '>' || c == '[') break;
    }
    if (i >= bytes.size() || bytes[i] != '[') return false;
    const size_t open = i;
    size_t close = std::string_view::npos;
    for (quote = 0, ++i; i < bytes.size() && close == std::string_view::npos; ++i) {
        const char c = bytes[i];
        if (quote) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ']') {
            size_t j = i + 1;
            while (j < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[j]))) ++j;
            if (j < bytes.size() && bytes[j] == '>') close = j;
        }
    }
    if (close == std::string_view::npos) return false;
    // Plain-text entities: <!ENTITY name "value">, the value without references or markup.
    std::map<std::string, std::string, std::less<>> entities;
    const std::string_view subset = bytes.substr(open + 1, close - open - 1);
    for (size_t at = subset.find("<!ENTITY"); at != std::string_view::npos; at = subset.find("<!ENTITY", at + 8)) {
        size_t k = at + 8;
        while (k < subset.size() && std::isspace(static_cast<unsigned char>(subset[k]))) ++k;
        size_t nameEnd = k;
        while (nameEnd < subset.size() && !std::isspace(static_cast<unsigned char>(subset[nameEnd]))) ++nameEnd;
        const std::string_view name = subset.substr(k, nameEnd - k);
        k = nameEnd;
        while (k < subset.size() && std::isspace(static_cast<unsigned char>(subset[k]))) ++k;
        if (name.empty() || name == "%" || k >= subset.size() || (subset[k] != '"' && subset[k] != '\'')) continue;
        const size_t valueEnd = subset.find(subset[k], k + 1);
        if (valueEnd == std::string_view::npos) break;
        const std::string_view value = subset.substr(k + 1, valueEnd - k - 1);
        if (value.find_first_of("&<") == std::string_view::npos) entities.emplace(std::string(name), std::string(value));
    }
    out.assign(bytes.substr(0, open));
    out += '>';
    const std::string_view rest = bytes.substr(close + 1);
    const size_t growth = bytes.size();
    size_t grown = 0;
    size_t from = 0;
    for (size_t amp = rest.find('&'); amp != std::string_view::npos; amp = rest.find('&', amp + 1)) {
        const size_t semicolon = rest.find(';', amp);
        if (semicolon == std::string_view::npos || semicolon - amp > 64) continue;
        const auto entity = entities.find(rest.substr(amp + 1, semicolon - amp - 1));
        if (entity == entities.end() || grown + entity->second.size() > growth) continue;
        out.append(rest.substr(from, amp - from));
        out += entity->second;
        grown += entity->second.size();
        from = semicolon + 1;
        amp = semicolon;
    }
    out.append(rest.substr(from));
    return true;
}

HtmlDoc ParseHtml(std::string_view bytes, const std::string& encoding, const std::string& shownAs)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    if (bytes.size() > kHtmlFileLimit) throw AppError(FormatText(Translate("Books", "Книга %1 слишком велика для HTML."), {shownAs}));
    std::string withoutSubset;
    if (TakeOutInternalSubset(bytes, withoutSubset)) bytes = withoutSubset;
    // No depth limit: text nested deeper than the parser's usual 256 levels is kept.
    HtmlDoc doc(htmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, encoding.c_str(),
                               HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET |
                                   HTML_PARSE_COMPACT | XML_PARSE_HUGE));
    if (!doc) throw AppError(FormatText(Translate("Books", "Книгу %1 не удалось разобрать как HTML."), {shownAs}));
    return doc;
}

// True when every line of laid-out `lines` is a heading that says "notes".
bool OnlyNotesHeadings(std::string_view lines)
{
    while (!lines.empty()) {
        const size_t end = std::min(lines.find("\r\n"), lines.size());
        std::string_view raw = lines.substr(0, end);
        // The layout's title and spacer marks lead their lines.
        while (!raw.empty() && (raw.front() == '\x01' || raw.front() == '\x02')) raw.remove_prefix(1);
        const std::string line = CollapseSpaces(raw);
        if (!line.empty() && !IsNotesHeading(line)) return false;
        lines.remove_prefix(std::min(end + 2, lines.size()));
    }
    return true;
}

} // namespace

bool MayMentionNotes(std::string_view bytes)
{
    return bytes.find("note") != std::string_view::npos || bytes.find("<sup") != std::string_view::npos ||
           bytes.find("<SUP") != std::string_view::npos;
}

void CollectNoteLinks(std::string_view bytes, const std::string& encoding, const std::string& path, NoteLinks& links)
{
    const HtmlDoc doc = ParseHtml(bytes, encoding, path);
    CollectFrom(doc.get(), path, links);
}

HtmlLayout LayoutHtml(const HtmlPage& page)
{
    const HtmlDoc doc = ParseHtml(page.bytes, page.encoding, page.shownAs);
    HtmlLayout out;
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    if (!root) return out;
    const xmlNode* head = FindElement(root, "head");
    const xmlNode* t = head ? FindElement(head->children, "title") : nullptr;
    out.head.title = t ? TextOf(t) : std::string();
    out.head.language = Attribute(root, "lang");
    if (out.head.language.empty()) out.head.language = Attribute(root, "xml:lang");

    NoteLinks own;
    if (!page.links) CollectFrom(doc.get(), page.path, own);
    const NoteLinks& links = page.links ? *page.links : own;
    const NotePlan plan = PlanNotes(doc.get(), page.path, links);
    LayoutWriter main;
    LayoutWriter notes;
    Walker walker(main, notes, plan, links, page.path);
    // The document node's layout begins as an element's does: the walk starts above the root.
    walker.Walk(reinterpret_cast<xmlNode*>(doc.get()));
    out.main = main.TakePart();
    out.notes = notes.TakePart();
    // A document of notes alone, under a heading that says so, is notes throughout.
    if (out.notes.any && OnlyNotesHeadings(out.main.lines)) out.main = LayoutPart{};
    return out;
}

BookInfo ReadHtmlFile(const TextFile& file, TextSink& sink, TextEncoding chosen)
{
    const std::string shownAs = PathText(file.Path());
    if (file.Size() > kHtmlFileLimit) throw AppError(FormatText(Translate("Books", "Книга %1 слишком велика для HTML."), {shownAs}));
    const std::string bytes = ReadFileBytes(file);
    BookInfo info;
    info.format = BookFormat::Html;
    info.declaredEncoding = HtmlDeclaredEncoding(bytes);
    std::string encoding = info.declaredEncoding;
    if (encoding.empty()) {
        const TextEncoding e = chosen != TextEncoding::Auto
                                   ? chosen
                                   : DetectEncoding(std::string_view(bytes).substr(0, kDetectionLimit),
                                                    bytes.size() > kDetectionLimit);
        info.readAs = e;
        encoding = LibxmlEncodingName(e);
    }
    CheckEncodingKnown(encoding, shownAs);
    HtmlLayout laid = LayoutHtml({bytes, encoding, shownAs, "", nullptr});
    info.title = laid.head.title;
    info.language = laid.head.language;
    LayoutWriter main(sink);
    main.Join(std::move(laid.main));
    if (laid.notes.any) {
        StringSink notesText;
        LayoutWriter notes(notesText);
        notes.Join(std::move(laid.notes));
        notes.EndParagraph();
        main.Title(NotesTitle(info.language));
        main.AppendLaidOut(notesText.text);
    }
    main.EndParagraph();
    return info;
}

} // namespace lumira
