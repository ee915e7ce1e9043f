#include "formats/fb2_reader.h"

#include "formats/text_layout.h"
#include "formats/xml_support.h"
#include "platform/errors.h"
#include "platform/language.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <cstring>
#include <map>
#include <memory>
#include <string_view>
#include <unordered_map>

namespace {

std::string_view Name(const xmlChar* s)
{
    return reinterpret_cast<const char*>(s);
}

struct Fb2Reader {
    Fb2Reader(const ByteSource& s, TextSink& sink) : source(s), writer(sink) {}

    const ByteSource& source;
    LayoutWriter writer;
    xmlParserCtxtPtr ctxt = nullptr;
    std::exception_ptr failure;
    XmlFault fault;
    std::string head;        // the first bytes, given back to the parser before the rest
    size_t headGiven = 0;

    int depth = 0;
    int skipFrom = 0;        // depth of an element whose content is skipped (0: none)
    bool inDescription = false;
    bool inTitleInfo = false;
    int bookTitleDepth = 0;
    bool titleTaken = false;
    std::string title;

    bool notesBody = false;
    bool notesStarted = false;
    int titleDepth = 0;      // a title or subtitle of the text
    int noteDepth = 0;       // a note's section
    int noteTitleDepth = 0;  // a note's own title, which becomes its mark
    std::string noteId;
    std::string noteTitle;
    int refDepth = 0;        // a reference to a note in the text
    std::string refId;
    std::string refText;
    std::unordered_map<std::string, std::string> marks;  // note id -> its reference's text
    std::map<std::string, std::unique_ptr<xmlEntity>, std::less<>> entities;

    void Start(std::string_view name, const xmlChar** attributes, int count);
    void End(std::string_view name);
    void Characters(std::string_view text);

    void Stop(std::exception_ptr e)
    {
        if (!failure) failure = e;
        xmlStopParser(ctxt);
    }
};

void Fb2Reader::Start(std::string_view name, const xmlChar** attributes, int count)
{
    ++depth;
    if (skipFrom) return;
    if (inDescription) {
        if (name == "title-info") inTitleInfo = true;
        else if (name == "book-title" && inTitleInfo && !titleTaken) bookTitleDepth = depth;
        return;
    }
    if (name == "description") {
        inDescription = true;
    } else if (name == "binary" || (depth == 2 && name != "body")) {
        skipFrom = depth;  // pictures, style sheets and the like are no text
    } else if (name == "body") {
        writer.EndParagraph();
        const std::string kind = SaxAttribute(attributes, count, "name");
        notesBody = kind == "notes" || kind == "comments" || kind == "footnotes";
        if (notesBody && !notesStarted) {
            writer.Title(kNotesTitle);
            notesStarted = true;
        }
    } else if (name == "title" || name == "subtitle") {
        if (notesBody) {
            if (noteDepth && !noteTitleDepth) {
                noteTitleDepth = depth;
                noteTitle.clear();
            } else if (!noteDepth) {
                skipFrom = depth;  // the notes' own heading: they come under one of ours
            }
            return;
        }
        writer.BlankLine();
        if (!titleDepth) titleDepth = depth;
    } else if (name == "section") {
        writer.EndParagraph();
        if (notesBody && !noteDepth) {
            noteDepth = depth;
            noteId = SaxAttribute(attributes, count, "id");
            // A note without a title of its own still starts with its reference's mark.
            if (const auto mark = marks.find(noteId); mark != marks.end()) writer.SetMark(mark->second);
        }
    } else if (name == "poem" || name == "stanza") {
        writer.BlankLine();
    } else if (name == "epigraph" || name == "cite" || name == "table" || name == "tr") {
        writer.EndParagraph();
    } else if (name == "empty-line") {
        if (titleDepth) writer.EndTitleLine();
        else writer.BlankLine();
    } else if (name == "a" && !notesBody && !refDepth) {
        std::string href = SaxAttribute(attributes, count, "href");
        if (href.size() > 1 && href[0] == '#') {
            refDepth = depth;
            refId = href.substr(1);
            refText.clear();
        }
    }
}

void Fb2Reader::End(std::string_view name)
{
    const int at = depth--;
    if (skipFrom) {
        if (at == skipFrom) skipFrom = 0;
        return;
    }
    if (inDescription) {
        if (name == "description") inDescription = false;
        else if (name == "title-info") inTitleInfo = false;
        else if (at == bookTitleDepth) {
            bookTitleDepth = 0;
            titleTaken = true;
            title = CollapseSpaces(title);
        }
        return;
    }
    if (noteTitleDepth) {
        if (at == noteTitleDepth) {
            noteTitleDepth = 0;
            const auto mark = marks.find(noteId);
            writer.SetMark(mark != marks.end() && !mark->second.empty() ? mark->second : CollapseSpaces(noteTitle));
        } else if (name == "p") {
            noteTitle += ' ';
        }
        return;
    }
    if (name == "p" || name == "v" || name == "text-author" || name == "date" || name == "td" ||
        name == "th") {
        if (titleDepth) writer.EndTitleLine();
        else writer.EndParagraph();
    } else if (name == "title" || name == "subtitle") {
        if (at == titleDepth) {
            writer.EndTitleLine();
            writer.BlankLine();
            titleDepth = 0;
        }
    } else if (name == "section") {
        writer.EndParagraph();
        if (at == noteDepth) {
            noteDepth = 0;
            writer.SetMark({});
        }
    } else if (name == "poem" || name == "stanza") {
        writer.BlankLine();
    } else if (name == "epigraph" || name == "cite" || name == "table" || name == "tr") {
        writer.EndParagraph();
    } else if (name == "a" && at == refDepth) {
        refDepth = 0;
        marks.emplace(refId, CollapseSpaces(refText));
    } else if (name == "body") {
        writer.EndParagraph();
        notesBody = false;
    }
}

void Fb2Reader::Characters(std::string_view text)
{
    if (skipFrom) return;
    if (inDescription) {
        if (bookTitleDepth) title.append(text);
        return;
    }
    if (depth < 2) return;  // nothing but white space lies between the book's parts
    if (noteTitleDepth) {
        noteTitle.append(text);
        return;
    }
    if (refDepth) refText.append(text);
    writer.Text(text);
}

Fb2Reader& Of(void* ctx)
{
    return *static_cast<Fb2Reader*>(ctx);
}

void OnStart(void* ctx, const xmlChar* localname, const xmlChar*, const xmlChar*, int, const xmlChar**,
             int count, int, const xmlChar** attributes)
{
    Fb2Reader& r = Of(ctx);
    try {
        r.Start(Name(localname), attributes, count);
    } catch (...) {
        r.Stop(std::current_exception());
    }
}

void OnEnd(void* ctx, const xmlChar* localname, const xmlChar*, const xmlChar*)
{
    Fb2Reader& r = Of(ctx);
    try {
        r.End(Name(localname));
    } catch (...) {
        r.Stop(std::current_exception());
    }
}

void OnCharacters(void* ctx, const xmlChar* text, int length)
{
    Fb2Reader& r = Of(ctx);
    try {
        r.Characters(std::string_view(reinterpret_cast<const char*>(text), static_cast<size_t>(length)));
    } catch (...) {
        r.Stop(std::current_exception());
    }
}

// Named references XML does not know (&nbsp;, &mdash;...) are common in FB2 made from HTML:
// they are taken as HTML's, as inline text.
xmlEntityPtr OnGetEntity(void* ctx, const xmlChar* name)
{
    Fb2Reader& r = Of(ctx);
    const std::string_view key = Name(name);
    auto it = r.entities.find(key);
    if (it == r.entities.end()) {
        const std::string text = HtmlEntityText(reinterpret_cast<const char*>(name));
        if (text.empty()) return nullptr;
        auto entity = std::make_unique<xmlEntity>();
        std::memset(entity.get(), 0, sizeof(xmlEntity));
        entity->type = XML_ENTITY_DECL;
        entity->etype = XML_INTERNAL_PREDEFINED_ENTITY;
        entity->name = xmlStrdup(name);
        entity->content = xmlStrdup(reinterpret_cast<const xmlChar*>(text.c_str()));
        entity->orig = xmlStrdup(entity->content);
        entity->length = static_cast<int>(text.size());
        it = r.entities.emplace(std::string(key), std::move(entity)).first;
    }
    return it->second.get();
}

void OnError(void* ctx, xmlErrorPtr error)
{
    Of(ctx).fault.Take(error);
}

int OnRead(void* ctx, char* buffer, int length)
{
    Fb2Reader& r = Of(ctx);
    try {
        if (r.headGiven < r.head.size()) {
            const size_t n = std::min(r.head.size() - r.headGiven, static_cast<size_t>(length));
            std::memcpy(buffer, r.head.data() + r.headGiven, n);
            r.headGiven += n;
            return static_cast<int>(n);
        }
        return static_cast<int>(r.source(buffer, static_cast<size_t>(length)));
    } catch (...) {
        if (!r.failure) r.failure = std::current_exception();
        return -1;
    }
}

int OnClose(void*)
{
    return 0;
}

} // namespace

BookInfo ReadFb2(const ByteSource& source, const std::string& shownAs, TextSink& sink)
{
    Fb2Reader reader(source, sink);
    // The declaration is read from the first bytes, before the parser takes them back.
    reader.head.resize(4096);
    size_t got = 0;
    while (got < reader.head.size()) {
        const size_t n = source(reader.head.data() + got, reader.head.size() - got);
        if (n == 0) break;
        got += n;
    }
    reader.head.resize(got);

    BookInfo info;
    info.format = BookFormat::Fb2;
    info.declaredEncoding = XmlDeclaredEncoding(reader.head);
    if (reader.head.starts_with("\xFF\xFE") || reader.head.starts_with("\xFE\xFF")) info.declaredEncoding = "UTF-16";
    if (info.declaredEncoding.empty()) info.declaredEncoding = "UTF-8";

    xmlSAXHandler sax;
    std::memset(&sax, 0, sizeof sax);
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = OnStart;
    sax.endElementNs = OnEnd;
    sax.characters = OnCharacters;
    sax.cdataBlock = OnCharacters;
    sax.getEntity = OnGetEntity;
    sax.serror = OnError;

    xmlParserCtxtPtr ctxt =
        xmlCreateIOParserCtxt(&sax, &reader, OnRead, OnClose, &reader, XML_CHAR_ENCODING_NONE);
    if (!ctxt) throw AppError(FormatText(Translate("Books", "Недостаточно памяти для чтения книги %1."), {shownAs}));
    reader.ctxt = ctxt;
    xmlCtxtUseOptions(ctxt, XML_PARSE_NONET | XML_PARSE_NOCDATA);
    xmlParseDocument(ctxt);
    const bool wellFormed = ctxt->wellFormed != 0;
    xmlFreeParserCtxt(ctxt);
    for (auto& [key, entity] : reader.entities) {
        xmlFree(const_cast<xmlChar*>(entity->name));
        xmlFree(entity->content);
        xmlFree(entity->orig);
    }
    if (reader.failure) std::rethrow_exception(reader.failure);
    if (!wellFormed) reader.fault.Throw(shownAs);
    reader.writer.EndParagraph();
    info.title = reader.title;
    return info;
}
