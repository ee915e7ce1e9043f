#include "formats/html_reader.h"

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
#include <memory>
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

std::string_view Name(const xmlNode* n)
{
    return reinterpret_cast<const char*>(n->name);
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

// Footnotes, endnotes and the like, as EPUB 3 (epub:type) and ARIA (role) mark them.
bool MarkedAsNotes(const xmlNode* n)
{
    return HasToken(Attribute(n, "epub:type"), {"footnote", "footnotes", "endnote", "endnotes", "rearnote",
                                                "rearnotes", "note", "notes"}) ||
           HasToken(Attribute(n, "role"), {"doc-footnote", "doc-endnote", "doc-endnotes", "doc-footnotes"});
}

bool OneOf(std::string_view name, std::initializer_list<std::string_view> names)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool IsHeading(std::string_view n)
{
    return n.size() == 2 && n[0] == 'h' && n[1] >= '1' && n[1] <= '6';
}

bool IsSkipped(std::string_view n)
{
    return OneOf(n, {"head", "script", "style", "noscript", "template", "svg", "math", "object", "embed",
                     "iframe", "select", "button", "img", "image", "video", "audio", "map"});
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

class Walker {
public:
    Walker(LayoutWriter& main, LayoutWriter& notes, bool allNotes)
        : notes_(notes), out_(allNotes ? &notes : &main), inNotes_(allNotes)
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

    // True when the node's children are to be visited; Leave then follows. An element that is
    // not descended into gets its Leave here.
    bool Enter(xmlNode* n)
    {
        if (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) {
            if (n->content) out_->Text(reinterpret_cast<const char*>(n->content));
            return false;
        }
        if (n->type != XML_ELEMENT_NODE) return false;
        const std::string_view name = Name(n);
        if (IsSkipped(name)) return false;
        if (!inNotes_ && MarkedAsNotes(n)) {
            frames_.push_back({n, out_, inNotes_});
            out_->EndParagraph();
            out_ = &notes_;
            inNotes_ = true;
        }
        if (IsHeading(name)) {
            out_->EndParagraph();
            if (inNotes_) {
                // In notes a heading is the note's number; the notes' own heading is dropped.
                const std::string text = TextOf(n);
                if (!IsNotesHeading(text)) out_->SetMark(text);
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
        if (IsHeading(name)) {
            out_->EndTitleLine();
            out_->BlankLine();
            --inTitle_;
        } else if (IsBlock(name)) {
            if (inTitle_) out_->EndTitleLine();
            else out_->EndParagraph();
            if (name == "pre") out_->SetPreformatted(false);
            if (IsPoemPart(n)) out_->BlankLine();
        }
        LeaveFrame(n);
    }

    void LeaveFrame(const xmlNode* n)
    {
        if (frames_.empty() || frames_.back().node != n) return;
        out_->EndParagraph();
        out_ = frames_.back().out;
        inNotes_ = frames_.back().inNotes;
        frames_.pop_back();
    }

    // Verses are set apart by the classes books give them.
    static bool IsPoemPart(const xmlNode* n)
    {
        return HasToken(Attribute(n, "class"), {"poem", "stanza", "verse", "poetry"});
    }

    LayoutWriter& notes_;
    LayoutWriter* out_;
    bool inNotes_;
    int inTitle_ = 0;
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
    if (std::string xml = XmlDeclaredEncoding(bytes); !xml.empty()) return xml;
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
        if (j > i) return std::string(bytes.substr(at + i, j - i));
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

void LayoutHtml(std::string_view bytes, const std::string& encoding, const std::string& shownAs, LayoutWriter& main,
                LayoutWriter& notes, bool allNotes, std::string* title)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    if (bytes.size() > kHtmlFileLimit) throw AppError(FormatText(Translate("Books", "Книга %1 слишком велика для HTML."), {shownAs}));
    std::unique_ptr<xmlDoc, DocFree> doc(htmlReadMemory(
        bytes.data(), static_cast<int>(bytes.size()), nullptr, encoding.c_str(),
        HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET | HTML_PARSE_COMPACT));
    if (!doc) throw AppError(FormatText(Translate("Books", "Книгу %1 не удалось разобрать как HTML."), {shownAs}));
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    if (!root) return;
    if (title) {
        const xmlNode* head = FindElement(root, "head");
        const xmlNode* t = head ? FindElement(head->children, "title") : nullptr;
        *title = t ? TextOf(t) : std::string();
    }
    Walker walker(main, notes, allNotes);
    // The document node's layout begins as an element's does: the walk starts above the root.
    walker.Walk(reinterpret_cast<xmlNode*>(doc.get()));
    main.EndParagraph();
    notes.EndParagraph();
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
    StringSink notesText;
    LayoutWriter main(sink);
    LayoutWriter notes(notesText);
    LayoutHtml(bytes, encoding, shownAs, main, notes, false, &info.title);
    if (!notesText.text.empty()) {
        main.Title(kNotesTitle);
        main.AppendLaidOut(notesText.text);
    }
    return info;
}

} // namespace lumira
