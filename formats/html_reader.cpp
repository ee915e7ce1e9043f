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
#include <cstring>
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

// What a document says of notes, gathered in a walk over it.
class CollectWalk : public TreeWalk {
public:
    CollectWalk(const std::string& path, NoteLinks& links) : path_(path), links_(links) {}

    // A link's text is read whole.
    bool NeedsWhole(const xmlNode* n) override { return Name(n) == "a" || MarkedAsNoteRef(n); }

    bool Enter(xmlNode* n) override
    {
        if (n->type != XML_ELEMENT_NODE) return false;
        const std::string_view name = Name(n);
        if (IsSkipped(name)) return false;
        if (MarkedAsNote(n)) {
            const std::string id = Attribute(n, "id");
            if (!id.empty()) links_.notes.emplace(path_ + "#" + id, std::string());
        }
        const bool landmark = name == "a" && HasToken(Attribute(n, "epub:type"), {"footnotes", "endnotes", "rearnotes",
                                                                                   "notes", "footnote", "endnote", "rearnote"});
        if (landmark && InLandmarks(n)) {
            if (std::string place = LinkPlace(path_, Attribute(n, "href")); !place.empty())
                links_.containers.insert(std::move(place));
            return false;
        }
        const bool marked = MarkedAsNoteRef(n);
        if (!marked && name != "a") return true;
        const xmlNode* link = name == "a" ? n : FirstLink(n);
        if (!link) return true;
        const std::string href = Attribute(link, "href");
        const std::string place = LinkPlace(path_, href);
        if (place.find('#') == std::string::npos) return false;
        const std::string text = TextOf(n);
        const bool superscript = (n->parent && n->parent->type == XML_ELEMENT_NODE && Name(n->parent) == "sup") ||
                                 (n->children && n->children->type == XML_ELEMENT_NODE && Name(n->children) == "sup");
        if (marked || (superscript && IsNoteLabel(text))) {
            // A reference found: its target is a note.
            auto [at, added] = links_.notes.emplace(place, ShownReference(text));
            if (!added && at->second.empty()) at->second = ShownReference(text);
        } else if (IsNoteLabel(text)) {
            // A plain link: a reference only if its target is marked as a note.
            links_.linkMarks.emplace(place, ShownReference(text));
        }
        return false;
    }

    void Leave(xmlNode*) override {}

private:
    const std::string& path_;
    NoteLinks& links_;
};

// Where a document's notes begin, worked out in a walk before the one that lays it out, by the
// numbers of its elements (ElementNumber).
struct NotePlan {
    struct Start {
        std::string mark;
        size_t end;  // the note ends with this element
    };
    std::unordered_map<size_t, Start> starts;
    std::unordered_set<size_t> containers;
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

// True when the heading titles a chapter: no note does.
bool IsChapterHeading(const xmlNode* heading)
{
    const std::string text = TextOf(heading);
    return !IsNoteLabel(text) && !IsNotesHeading(text);
}

// The walk that plans the notes. A block holding a note is its start unless a chapter's heading
// stands in it (the outermost headings below it decide), known when the block ends.
class PlanWalk : public TreeWalk {
public:
    PlanWalk(const std::string& path, const NoteLinks& links, NotePlan& plan) : path_(path), links_(links), plan_(plan)
    {
        plan_.wholeDocument = links.containers.count(path) > 0;
    }

    bool NeedsWhole(const xmlNode* n) override { return IsHeading(Name(n)); }

    bool Enter(xmlNode* n) override
    {
        if (n->type != XML_ELEMENT_NODE) return false;
        const size_t number = ElementNumber(n);
        const bool heading = IsHeading(Name(n));
        const bool chapter = heading && IsChapterHeading(n);
        if (const std::string id = Attribute(n, "id"); !id.empty()) Target(n, path_ + "#" + id);
        if (n->children) {
            open_.push_back({number, heading, chapter, false});
            return true;
        }
        Finish({number, heading, chapter, false});
        return false;
    }

    void Leave(xmlNode*) override
    {
        const Open done = open_.back();
        open_.pop_back();
        Finish(done);
    }

private:
    struct Open {
        size_t number;
        bool heading;
        bool chapter;         // a heading that titles a chapter
        bool holdsChapter;    // a chapter's heading stands below it, under no other heading
    };

    void Target(const xmlNode* n, const std::string& place)
    {
        const size_t number = ElementNumber(n);
        if (links_.containers.count(place)) plan_.containers.insert(number);
        const auto note = links_.notes.find(place);
        if (note == links_.notes.end()) return;
        std::string mark = note->second;
        if (mark.empty())
            if (const auto link = links_.linkMarks.find(place); link != links_.linkMarks.end()) mark = link->second;
        const xmlNode* holder = NoteHolder(n);
        if (IsHeading(Name(holder))) {
            // A heading names the note that follows it, to the end of the part it stands in.
            if (holder->parent && holder->parent->type == XML_ELEMENT_NODE)
                plan_.starts[ElementNumber(holder)] = {std::move(mark), ElementNumber(holder->parent)};
        } else {
            waiting_[ElementNumber(holder)] = std::move(mark);
        }
    }

    void Finish(const Open& done)
    {
        if (const auto w = waiting_.find(done.number); w != waiting_.end()) {
            if (!done.holdsChapter) plan_.starts[done.number] = {std::move(w->second), done.number};
            waiting_.erase(w);
        }
        const bool chapter = done.heading ? done.chapter : done.holdsChapter;
        if (chapter && !open_.empty()) open_.back().holdsChapter = true;
    }

    const std::string& path_;
    const NoteLinks& links_;
    NotePlan& plan_;
    std::vector<Open> open_;
    std::unordered_map<size_t, std::string> waiting_;  // blocks holding a note, by number: its mark
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

// The walk that lays a document out.
class Walker : public TreeWalk {
public:
    Walker(LayoutWriter& main, LayoutWriter& notes, const NotePlan& plan, const NoteLinks& links, const HtmlPage& page,
           std::vector<OutlineWish>& headings)
        : notes_(notes), out_(plan.wholeDocument ? &notes : &main), inNotes_(plan.wholeDocument), plan_(plan),
          links_(links), path_(page.path), targets_(page.targets), headings_(headings)
    {
        if (!inNotes_ && targets_ && targets_->count(path_)) out_->Place(path_);
    }

    // What the document's head and root say, once the walk has passed them.
    const HtmlHead& Head() const { return head_; }

    // A reference's text, a heading's in the notes, and the head are read whole.
    bool NeedsWhole(const xmlNode* n) override
    {
        const std::string_view name = Name(n);
        if (name == "head" && !headTaken_) return true;
        if (IsSkipped(name) || ((drawing_ || formula_.Inside()) && IsSkippedInside(name))) return false;
        if (!inNotes_ && IsReference(n)) return true;
        if (!IsHeading(name)) return false;
        const size_t number = ElementNumber(n);
        return inNotes_ || plan_.starts.count(number) || MarkedAsNotes(n) || plan_.containers.count(number);
    }

    bool Enter(xmlNode* n) override
    {
        if (n->type == XML_ELEMENT_NODE) TakeHead(n);
        return EnterNode(n);
    }

    void Leave(xmlNode* n) override { LeaveNode(n); }

private:
    struct Frame {
        size_t end;  // the element whose end closes the frame
        LayoutWriter* out;
        bool inNotes;
    };

    // The title in the first head, the language on the root element.
    void TakeHead(const xmlNode* n)
    {
        if (!rootTaken_ && n->parent && n->parent->type != XML_ELEMENT_NODE) {
            rootTaken_ = true;
            head_.language = Attribute(n, "lang");
            if (head_.language.empty()) head_.language = Attribute(n, "xml:lang");
        }
        if (!headTaken_ && Name(n) == "head") {
            headTaken_ = true;
            const xmlNode* t = FindElement(n->children, "title");
            head_.title = t ? TextOf(t) : std::string();
        }
    }

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

    void EnterNotes(size_t end)
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
    bool EnterNode(xmlNode* n)
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
        const size_t number = ElementNumber(n);
        if (const auto start = plan_.starts.find(number); start != plan_.starts.end()) {
            if (inNotes_) out_->EndParagraph();
            else EnterNotes(start->second.end);
            if (!start->second.mark.empty()) out_->SetMark(start->second.mark);
            label_ = start->second.mark;
            labelTail_ = false;
        } else if (!inNotes_ && (MarkedAsNotes(n) || plan_.containers.count(number))) {
            EnterNotes(number);
        }
        if (!inNotes_ && targets_) PlaceTargets(n);
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
            if (!inNotes_ && !inTitle_ && name[1] <= '3') {
                // The chapters' headings, h1 to h3, make the contents when the book gives none.
                std::string place = path_ + "\n" + std::to_string(number);
                out_->Place(place);
                headings_.push_back({std::move(place), name[1] - '1', {}});
            }
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
            LeaveNode(n);
            return false;
        }
        return true;
    }

    void LeaveNode(xmlNode* n)
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
        while (!frames_.empty() && frames_.back().end == ElementNumber(n)) {
            EndParagraphNow();
            out_->EndParagraph();
            out_ = frames_.back().out;
            inNotes_ = frames_.back().inNotes;
            frames_.pop_back();
            label_.clear();
            labelTail_ = false;
        }
    }

    // An element a link of the book's contents leads to: its id, or an old anchor's name.
    void PlaceTargets(const xmlNode* n)
    {
        for (const char* attribute : {"id", "name"}) {
            const std::string id = Attribute(n, attribute);
            if (id.empty()) continue;
            std::string place = path_ + "#" + id;
            if (targets_->count(place)) out_->Place(std::move(place));
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
    const std::set<std::string>* targets_;
    std::vector<OutlineWish>& headings_;
    int inTitle_ = 0;
    int drawing_ = 0;  // inside an SVG drawing
    FormulaText formula_;  // the MathML formula being read
    std::string label_;  // the mark of a note begun, whose own number at its start is dropped
    bool labelTail_ = false;
    LayoutWriter* open_ = nullptr;  // the writer whose paragraph has ended but for what follows
    std::vector<Frame> frames_;
    HtmlHead head_;
    bool rootTaken_ = false;
    bool headTaken_ = false;
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

std::string ParserEncoding(const std::string& declared, std::string_view head)
{
    // libxml2's "UTF-16" reads little-endian: big-endian text says so by its mark.
    if (declared == "UTF-16" && head.starts_with("\xFE\xFF")) return "UTF-16BE";
    return declared;
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

// The HTML parser knows no internal DTD subset ("<!DOCTYPE html [ <!ENTITY ...> ]>"): it would
// read the declarations, and the head after them, as text. The subset is taken out before the
// parse, and the entities it declares as plain text are put in place of their references, the
// text growing by at most the book's own size.
struct InternalSubset {
    size_t open = 0;   // its "["
    size_t close = 0;  // the ">" that ends the document type
    std::map<std::string, std::string, std::less<>> entities;
};

enum class SubsetFound { None, Found, Unended };

// Looks for the subset in `bytes`, the document's first bytes.
SubsetFound FindInternalSubset(std::string_view bytes, InternalSubset& subset)
{
    const std::string head = Lower(bytes.substr(0, 64 * 1024));
    const size_t doctype = head.find("<!doctype");
    if (doctype == std::string::npos) return SubsetFound::None;
    size_t i = doctype;
    char quote = 0;
    for (; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quote) quote = c == quote ? 0 : quote;
        else if (c == '"' || c == '\'') quote = c;
        else if (c == '>' || c == '[') break;
    }
    if (i >= bytes.size()) return SubsetFound::Unended;
    if (bytes[i] != '[') return SubsetFound::None;
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
            if (j >= bytes.size()) return SubsetFound::Unended;
            if (bytes[j] == '>') close = j;
        }
    }
    if (close == std::string_view::npos) return SubsetFound::Unended;
    subset.open = open;
    subset.close = close;
    // Plain-text entities: <!ENTITY name "value">, the value without references or markup.
    const std::string_view declarations = bytes.substr(open + 1, close - open - 1);
    for (size_t at = declarations.find("<!ENTITY"); at != std::string_view::npos;
         at = declarations.find("<!ENTITY", at + 8)) {
        size_t k = at + 8;
        while (k < declarations.size() && std::isspace(static_cast<unsigned char>(declarations[k]))) ++k;
        size_t nameEnd = k;
        while (nameEnd < declarations.size() && !std::isspace(static_cast<unsigned char>(declarations[nameEnd]))) ++nameEnd;
        const std::string_view name = declarations.substr(k, nameEnd - k);
        k = nameEnd;
        while (k < declarations.size() && std::isspace(static_cast<unsigned char>(declarations[k]))) ++k;
        if (name.empty() || name == "%" || k >= declarations.size() || (declarations[k] != '"' && declarations[k] != '\''))
            continue;
        const size_t valueEnd = declarations.find(declarations[k], k + 1);
        if (valueEnd == std::string_view::npos) break;
        const std::string_view value = declarations.substr(k + 1, valueEnd - k - 1);
        if (value.find_first_of("&<") == std::string_view::npos)
            subset.entities.emplace(std::string(name), std::string(value));
    }
    return SubsetFound::Found;
}

// Puts the subset's entities in place of their references ("&name;", the name at most 64
// bytes), in text that comes in pieces.
class EntityFilter {
public:
    EntityFilter(const std::map<std::string, std::string, std::less<>>& entities, std::uint64_t growth)
        : entities_(entities), growth_(growth)
    {
    }

    // Appends to `out` what `in` gives; `last` at the end of the text.
    void Feed(std::string_view in, std::string& out, bool last)
    {
        if (entities_.empty()) {
            out.append(in);
            return;
        }
        pending_.append(in);
        size_t from = 0;
        for (size_t amp = pending_.find('&'); amp != std::string::npos; amp = pending_.find('&', amp + 1)) {
            const size_t semicolon = pending_.find(';', amp);
            if (semicolon == std::string::npos || semicolon - amp > 64) {
                if (!last && semicolon == std::string::npos && pending_.size() - amp <= 64) {
                    // The reference may end in the next piece.
                    out.append(pending_, from, amp - from);
                    pending_.erase(0, amp);
                    return;
                }
                continue;
            }
            const auto entity = entities_.find(std::string_view(pending_).substr(amp + 1, semicolon - amp - 1));
            if (entity == entities_.end() || grown_ + entity->second.size() > growth_) continue;
            out.append(pending_, from, amp - from);
            out += entity->second;
            grown_ += entity->second.size();
            from = semicolon + 1;
            amp = semicolon;
        }
        out.append(pending_, from);
        pending_.clear();
    }

private:
    const std::map<std::string, std::string, std::less<>>& entities_;
    std::uint64_t growth_;
    std::uint64_t grown_ = 0;
    std::string pending_;
};

// How far the document type with its subset is followed into the document.
constexpr size_t kSubsetLimit = 16u << 20;
constexpr size_t kPiece = 64 * 1024;

// Reads up to `limit` bytes from the start of `bytes`.
std::string ReadUpTo(const DocumentBytes& bytes, size_t limit)
{
    std::string out(limit, '\0');
    size_t got = 0;
    while (got < limit) {
        const size_t n = bytes(out.data() + got, limit - got);
        if (n == 0) break;
        got += n;
    }
    out.resize(got);
    return out;
}

// The bytes the parser reads: the page without its UTF-8 byte-order mark and internal subset.
class ParsedBytes {
public:
    explicit ParsedBytes(const HtmlPage& page) : page_(page)
    {
        std::string head = page.head;
        skip_ = head.starts_with("\xEF\xBB\xBF") ? 3 : 0;
        if (page.size - skip_ > kHtmlFileLimit)
            throw AppError(FormatText(Translate("Books", "Книга %1 слишком велика для HTML."), {page.shownAs}));
        SubsetFound found = FindInternalSubset(std::string_view(head).substr(skip_), subset_);
        if (found == SubsetFound::Unended && head.size() < page.size && head.size() < kSubsetLimit) {
            head = ReadUpTo(page.open(), kSubsetLimit);
            found = FindInternalSubset(std::string_view(head).substr(skip_), subset_);
        }
        if (found != SubsetFound::Found) return;
        hasSubset_ = true;
        kept_ = head.substr(skip_, subset_.open) + ">";
    }

    // A reader of them from their start.
    DocumentBytes Open() const
    {
        struct Reading {
            DocumentBytes raw;
            EntityFilter filter;
            std::uint64_t toSkip;
            std::string out;
            size_t outAt = 0;
            std::string piece;
            bool ended = false;
        };
        const std::uint64_t toSkip = hasSubset_ ? skip_ + subset_.close + 1 : skip_;
        static const std::map<std::string, std::string, std::less<>> none;
        auto r = std::make_shared<Reading>(Reading{page_.open(), EntityFilter(hasSubset_ ? subset_.entities : none,
                                                                              page_.size - skip_),
                                                   toSkip, kept_, 0, std::string(kPiece, '\0'), false});
        const std::function<void()>& checkGoing = page_.checkGoing;
        return [r, &checkGoing](char* buffer, size_t count) -> size_t {
            if (checkGoing) checkGoing();
            while (r->outAt == r->out.size()) {
                if (r->ended) return 0;
                r->out.clear();
                r->outAt = 0;
                size_t n = r->raw(r->piece.data(), r->piece.size());
                if (n == 0) {
                    r->ended = true;
                    r->filter.Feed({}, r->out, true);
                    continue;
                }
                std::string_view got(r->piece.data(), n);
                const size_t dropped = static_cast<size_t>(std::min<std::uint64_t>(r->toSkip, n));
                got.remove_prefix(dropped);
                r->toSkip -= dropped;
                r->filter.Feed(got, r->out, false);
            }
            const size_t n = std::min(count, r->out.size() - r->outAt);
            std::memcpy(buffer, r->out.data() + r->outAt, n);
            r->outAt += n;
            return n;
        };
    }

private:
    const HtmlPage& page_;
    size_t skip_ = 0;
    bool hasSubset_ = false;
    InternalSubset subset_;
    std::string kept_;  // what comes before the subset, and the document type's end
};

void WalkPage(const HtmlPage& page, const ParsedBytes& bytes, TreeWalk& walk)
{
    WalkHtml(bytes.Open(), page.encoding, page.shownAs, walk);
}

// True when `links` name a place in the document at `path` (a note, or a part of notes in it).
bool NamesPlacesIn(const NoteLinks& links, const std::string& path)
{
    const std::string prefix = path + "#";
    const auto inPath = [&](const auto& places) {
        const auto at = places.lower_bound(prefix);
        return at != places.end() && std::string_view(*at).starts_with(prefix);
    };
    const auto note = links.notes.lower_bound(prefix);
    return (note != links.notes.end() && note->first.starts_with(prefix)) || inPath(links.containers);
}

// The passes over a page after what it says of notes is known: its notes planned, where it
// names any, then laid out into `main` and `notes`.
HtmlHead LayOutPage(const HtmlPage& page, const ParsedBytes& bytes, const NoteLinks& links, LayoutWriter& main,
                    LayoutWriter& notes, std::vector<OutlineWish>& headings)
{
    NotePlan plan;
    if (NamesPlacesIn(links, page.path)) {
        PlanWalk planning(page.path, links, plan);
        WalkPage(page, bytes, planning);
    } else {
        plan.wholeDocument = links.containers.count(page.path) > 0;
    }
    Walker walker(main, notes, plan, links, page, headings);
    WalkPage(page, bytes, walker);
    return walker.Head();
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


// Holds laid-out lines back while they are only headings that say "notes": a document of notes
// alone is notes throughout, and such headings are then dropped.
class NotesHeadingsHeld : public TextSink {
public:
    explicit NotesHeadingsHeld(TextSink& out) : out_(out) {}
    void Write(std::string_view bytes) override
    {
        if (passing_) return out_.Write(bytes);
        held_.append(bytes);
        // Only whole lines are judged.
        const size_t end = held_.rfind("\r\n");
        if (end == std::string::npos || OnlyNotesHeadings(std::string_view(held_).substr(0, end + 2))) return;
        passing_ = true;
        out_.Write(held_);
        held_.clear();
    }
    void CheckGoing() override { out_.CheckGoing(); }
    // True while everything written is such headings.
    bool OnlyHeadings() const { return !passing_; }
    // Writes what is held.
    void Release()
    {
        passing_ = true;
        out_.Write(held_);
        held_.clear();
    }

private:
    TextSink& out_;
    std::string held_;
    bool passing_ = false;
};

// Bytes from `open`'s start: a whole file read anew each time.
OpenDocument FileDocument(const TextFile& file)
{
    return [file] {
        auto in = std::make_shared<InFile>(file);
        return DocumentBytes([in](char* buffer, size_t count) { return in->Read(buffer, count); });
    };
}

// The encodings whose markup is not ASCII: looking for words in their bytes tells nothing.
bool MarkupNotAscii(const std::string& encoding)
{
    const std::string e = Lower(encoding);
    return e.starts_with("utf-16") || e.starts_with("utf16") || e.starts_with("utf-32") || e.starts_with("utf32") ||
           e.starts_with("ucs") || e == "unicode";
}

// True when the bytes hold "note" or "<sup" ("<SUP" too; in any case of letters when `anyCase`).
bool MentionsNotes(const DocumentBytes& bytes, bool anyCase)
{
    std::string piece(kPiece + 3, '\0');
    size_t carried = 0;
    for (;;) {
        const size_t n = bytes(piece.data() + carried, kPiece);
        if (n == 0) return false;
        const size_t size = carried + n;
        if (anyCase)
            for (size_t i = carried; i < size; ++i)
                piece[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(piece[i])));
        const std::string_view text(piece.data(), size);
        if (text.find("note") != std::string_view::npos || text.find("<sup") != std::string_view::npos ||
            text.find("<SUP") != std::string_view::npos)
            return true;
        // A word cut between two pieces is found in the next.
        carried = std::min<size_t>(3, size);
        std::memmove(piece.data(), piece.data() + size - carried, carried);
    }
}

} // namespace

std::string DocumentHead(const OpenDocument& open)
{
    // The byte-order mark beside what detection reads.
    return ReadUpTo(open(), kDetectionLimit + 3);
}

bool MayMentionNotes(const DocumentBytes& bytes)
{
    return MentionsNotes(bytes, false);
}

void CollectNoteLinks(const HtmlPage& page, NoteLinks& links)
{
    const ParsedBytes bytes(page);
    CollectWalk collecting(page.path, links);
    WalkPage(page, bytes, collecting);
}

HtmlLayout LayoutHtml(const HtmlPage& page)
{
    const ParsedBytes bytes(page);
    HtmlLayout out;
    LayoutWriter main;
    LayoutWriter notes;
    out.head = LayOutPage(page, bytes, *page.links, main, notes, out.headings);
    out.main = main.TakePart();
    out.notes = notes.TakePart();
    // A document of notes alone, under a heading that says so, is notes throughout.
    if (out.notes.any && OnlyNotesHeadings(out.main.lines)) out.main = LayoutPart{};
    return out;
}

void AppendNotes(LayoutWriter& main, std::string_view notes, const std::string& language, std::vector<OutlineWish>& contents)
{
    if (!notes.empty()) {
        // The notes are reached from the contents too, at its top level.
        main.Place(kNotesPlace);
        contents.push_back({kNotesPlace, 0, {}});
        main.Title(NotesTitle(language));
        main.AppendLaidOut(notes);
    }
    main.EndParagraph();
}

BookInfo ReadHtmlFile(const TextFile& file, TextSink& sink, TextEncoding chosen)
{
    const std::string shownAs = PathText(file.Path());
    if (file.Size() > kHtmlFileLimit) throw AppError(FormatText(Translate("Books", "Книга %1 слишком велика для HTML."), {shownAs}));
    HtmlPage page;
    page.open = FileDocument(file);
    page.size = file.Size();
    page.head = DocumentHead(page.open);
    page.shownAs = shownAs;
    page.checkGoing = [&sink] { sink.CheckGoing(); };
    BookInfo info;
    info.format = BookFormat::Html;
    info.declaredEncoding = HtmlDeclaredEncoding(page.head);
    page.encoding = ParserEncoding(info.declaredEncoding, page.head);
    if (page.encoding.empty()) {
        const std::string_view head = std::string_view(page.head).substr(0, kDetectionLimit);
        const TextEncoding e = chosen != TextEncoding::Auto ? chosen : DetectEncoding(head, page.size > kDetectionLimit);
        info.readAs = e;
        page.encoding = LibxmlEncodingName(e);
        if (e == TextEncoding::Utf16 && Utf16OrderWithoutMark(head) == ByteOrder::Big) page.encoding = "UTF-16BE";
    }
    CheckEncodingKnown(page.encoding, shownAs);

    const ParsedBytes bytes(page);
    NoteLinks links;
    if (MarkupNotAscii(page.encoding) || MentionsNotes(bytes.Open(), true)) {
        CollectWalk collecting(page.path, links);
        WalkPage(page, bytes, collecting);
    }
    // The text goes straight on; the notes wait for its end.
    NotesHeadingsHeld held(sink);
    StringSink notesText;
    LayoutWriter main(held);
    LayoutWriter notes(notesText);
    std::vector<OutlineWish> headings;
    const HtmlHead head = LayOutPage(page, bytes, links, main, notes, headings);
    main.EndParagraph();
    notes.EndParagraph();
    info.title = head.title;
    info.language = head.language;
    info.outline.given = true;
    if (notesText.text.empty() || !held.OnlyHeadings()) {
        held.Release();
        AppendNotes(main, notesText.text, info.language, headings);
        info.outline.entries = ResolveOutline(headings, main);
        return info;
    }
    // Notes alone: the headings over them give way to ours.
    LayoutWriter notesOnly(sink);
    headings.clear();
    AppendNotes(notesOnly, notesText.text, info.language, headings);
    info.outline.entries = ResolveOutline(headings, notesOnly);
    return info;
}

} // namespace lumira
