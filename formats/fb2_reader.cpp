#include "formats/fb2_reader.h"

#include "formats/text_layout.h"
#include "formats/xml_support.h"
#include "platform/errors.h"
#include "platform/language.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

namespace lumira {

namespace {

std::string_view Name(const xmlChar* s)
{
    return reinterpret_cast<const char*>(s);
}

// The book's text laid out from the parser's events, on a thread of its own.
struct Fb2Layout {
    explicit Fb2Layout(TextSink& sink) : writer(sink) {}

    LayoutWriter writer;
    int depth = 0;
    int skipFrom = 0;        // depth of an element whose content is skipped (0: none)
    bool inDescription = false;
    bool inTitleInfo = false;
    int bookTitleDepth = 0;
    bool titleTaken = false;
    std::string title;
    int langDepth = 0;
    std::string language;
    int sourceLangDepth = 0;
    std::string sourceLanguage;  // the original's, for a book that names no language of its own

    bool notesBody = false;
    bool notesStarted = false;
    int titleDepth = 0;      // a title or subtitle of the text
    int noteDepth = 0;       // a note's section
    int noteTitleDepth = 0;  // a note's own title, which becomes its mark
    std::string noteId;
    std::string noteTitle;
    int refDepth = 0;        // a reference to a note in the text
    bool refToNote = false;  // marked as one (type="note")
    std::string refId;
    std::string refText;
    std::unordered_map<std::string, std::string> marks;  // note id -> its reference's text

    // The contents: the titles of the text's body and of its sections, nested as the titled
    // sections are, and the notes' title; a poem's, an epigraph's or a note's title is no chapter.
    int bodyDepth = 0;
    struct OpenSection {
        int depth;
        bool titled;  // its title is in the contents
    };
    std::vector<OpenSection> sections;  // the text's open sections
    bool chapterTitle = false;          // the title being read is its section's, in the contents
    std::vector<OutlineWish> chapters;
    void PlaceChapter(int level)
    {
        std::string name = "t" + std::to_string(chapters.size());
        writer.Place(name);
        chapters.push_back({std::move(name), level, {}});
    }

    // A paragraph's end waits for what follows: punctuation the book put after it still
    // belongs to it.
    bool paragraphOpen = false;
    void EndParagraphNow()
    {
        if (paragraphOpen) writer.EndParagraph();
        paragraphOpen = false;
    }

    void Start(std::string_view name, const xmlChar** attributes, int count);
    void End(std::string_view name);
    void Characters(std::string_view text);
    // Plays a block of recorded events (EventRecorder).
    void Replay(const std::string& block);
};

void Fb2Layout::Start(std::string_view name, const xmlChar** attributes, int count)
{
    EndParagraphNow();
    ++depth;
    if (skipFrom) return;
    if (inDescription) {
        if (name == "title-info") inTitleInfo = true;
        else if (name == "book-title" && inTitleInfo && !titleTaken) bookTitleDepth = depth;
        else if (name == "lang" && inTitleInfo && language.empty()) langDepth = depth;
        else if (name == "src-lang" && inTitleInfo && sourceLanguage.empty()) sourceLangDepth = depth;
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
        bodyDepth = depth;
        if (notesBody && !notesStarted) {
            PlaceChapter(0);
            writer.Title(NotesTitle(CollapseSpaces(language)));
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
        const bool ownSection = !sections.empty() && sections.back().depth == depth - 1;
        if (name == "title" && !titleDepth && (depth - 1 == bodyDepth || ownSection)) {
            const auto titled = std::count_if(sections.begin(), sections.end(), [](const OpenSection& o) { return o.titled; });
            PlaceChapter(static_cast<int>(titled));
            chapterTitle = ownSection;
        }
        if (!titleDepth) titleDepth = depth;
    } else if (name == "section") {
        writer.EndParagraph();
        if (!notesBody) sections.push_back({depth, false});
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
            refToNote = SaxAttribute(attributes, count, "type") == "note";
            refId = href.substr(1);
            refText.clear();
        }
    }
}

void Fb2Layout::End(std::string_view name)
{
    EndParagraphNow();
    const int at = depth--;
    if (skipFrom) {
        if (at == skipFrom) skipFrom = 0;
        return;
    }
    if (inDescription) {
        if (name == "description") inDescription = false;
        else if (name == "title-info") inTitleInfo = false;
        else if (at == langDepth) langDepth = 0;
        else if (at == sourceLangDepth) sourceLangDepth = 0;
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
        else paragraphOpen = true;
    } else if (name == "title" || name == "subtitle") {
        if (at == titleDepth) {
            writer.EndTitleLine();
            // A title with no text leaves its section out of the nesting.
            if (chapterTitle && !writer.Places().empty() && writer.Places().back().first == chapters.back().place)
                sections.back().titled = true;
            chapterTitle = false;
            writer.BlankLine();
            titleDepth = 0;
        }
    } else if (name == "section") {
        writer.EndParagraph();
        if (!sections.empty() && sections.back().depth == at) sections.pop_back();
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
        // A note's reference reads as one ("[1]"), and so does its mark; other links as written.
        const std::string text = CollapseSpaces(refText);
        const bool number = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
        const std::string shown = refToNote || number ? ShownReference(text) : text;
        writer.Text(refToNote || number ? shown : refText);
        marks.emplace(refId, shown);
    } else if (name == "body") {
        writer.EndParagraph();
        notesBody = false;
    }
}

void Fb2Layout::Characters(std::string_view text)
{
    if (skipFrom) return;
    if (inDescription) {
        if (bookTitleDepth) title.append(text);
        if (langDepth) language.append(text);
        if (sourceLangDepth) sourceLanguage.append(text);
        return;
    }
    if (depth < 2) return;  // nothing but white space lies between the book's parts
    if (noteTitleDepth) {
        noteTitle.append(text);
        return;
    }
    if (refDepth) {
        refText.append(text);  // written when the reference ends
        return;
    }
    if (paragraphOpen) {
        if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) return;
        const auto [from, to] = LeadingClosingPunctuation(text);
        writer.Text(text.substr(from, to - from));
        text.remove_prefix(to);
        EndParagraphNow();
    }
    writer.Text(text);
}

// Events of the parse go from the parsing thread to the laying-out one in blocks of bytes:
// 'S' name attributes, 'E' name, 'T' text; names NUL-terminated after their sizes.
constexpr char kStart = 'S';
constexpr char kEnd = 'E';
constexpr char kText = 'T';
constexpr size_t kBlockSize = 64 * 1024;
constexpr size_t kBlocksAhead = 8;  // the most blocks waiting: memory stays flat

void PutSize(std::string& block, size_t n)
{
    const auto v = static_cast<std::uint32_t>(n);
    block.append(reinterpret_cast<const char*>(&v), sizeof v);
}

std::uint32_t GetSize(const std::string& block, size_t& at)
{
    std::uint32_t v;
    std::memcpy(&v, block.data() + at, sizeof v);
    at += sizeof v;
    return v;
}

void PutName(std::string& block, std::string_view name)
{
    PutSize(block, name.size());
    block.append(name);
    block += '\0';
}

std::string_view GetName(const std::string& block, size_t& at)
{
    const std::uint32_t n = GetSize(block, at);
    const std::string_view name(block.data() + at, n);
    at += n + 1;
    return name;
}

void Fb2Layout::Replay(const std::string& block)
{
    std::vector<const xmlChar*> attributes;
    size_t at = 0;
    while (at < block.size()) {
        const char kind = block[at++];
        if (kind == kText) {
            const std::uint32_t n = GetSize(block, at);
            Characters(std::string_view(block.data() + at, n));
            at += n;
            continue;
        }
        const std::string_view name = GetName(block, at);
        if (kind == kEnd) {
            End(name);
            continue;
        }
        const std::uint32_t count = GetSize(block, at);
        // In libxml2's own form: local name, prefix, URI, value and its end, for each.
        attributes.assign(size_t(count) * 5, nullptr);
        for (std::uint32_t i = 0; i < count; ++i) {
            attributes[5 * i] = reinterpret_cast<const xmlChar*>(GetName(block, at).data());
            const std::uint32_t n = GetSize(block, at);
            attributes[5 * i + 3] = reinterpret_cast<const xmlChar*>(block.data() + at);
            attributes[5 * i + 4] = reinterpret_cast<const xmlChar*>(block.data() + at + n);
            at += n;
        }
        Start(name, attributes.data(), static_cast<int>(count));
    }
}

// Blocks of events on their way, at most kBlocksAhead of them.
class BlockQueue {
public:
    void Push(std::string&& block)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return blocks_.size() < kBlocksAhead || abandoned_; });
        if (abandoned_) return;
        blocks_.push_back(std::move(block));
        changed_.notify_all();
    }
    // The next block, or false once the queue is closed and empty.
    bool Pop(std::string& block)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !blocks_.empty() || closed_; });
        if (blocks_.empty()) return false;
        block = std::move(blocks_.front());
        blocks_.pop_front();
        changed_.notify_all();
        return true;
    }
    // No more blocks come.
    void Close()
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        changed_.notify_all();
    }
    // No more blocks are taken: the laying out failed.
    void Abandon()
    {
        std::lock_guard lock(mutex_);
        abandoned_ = true;
        blocks_.clear();
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::string> blocks_;
    bool closed_ = false;
    bool abandoned_ = false;
};

// The parsing side: libxml2's callbacks record events into blocks for the layout's thread.
struct Fb2Parser {
    explicit Fb2Parser(const ByteSource& s) : source(s) {}

    const ByteSource& source;
    xmlParserCtxtPtr ctxt = nullptr;
    std::exception_ptr failure;  // of reading the book, or of recording
    XmlFault fault;
    std::string head;            // the first bytes, given back to the parser before the rest
    size_t headGiven = 0;
    std::map<std::string, std::unique_ptr<xmlEntity>, std::less<>> entities;

    BlockQueue queue;
    std::atomic<bool> layoutFailed{false};
    std::string block;
    size_t textAt = std::string::npos;  // the size field of the block's last event when it is text

    // The book's parts that are no text (pictures, style sheets) are left out here already, so
    // that images of any size are not copied between threads; the layout skips them as well.
    int depth = 0;
    int skipFrom = 0;
    bool rootIsDescription = false;

    void Stop(std::exception_ptr e)
    {
        if (!failure) failure = e;
        xmlStopParser(ctxt);
    }
    // True when the layout failed: the parse then stops.
    bool Stopped()
    {
        if (!layoutFailed.load(std::memory_order_relaxed)) return false;
        xmlStopParser(ctxt);
        return true;
    }
    void Flush()
    {
        if (block.empty()) return;
        queue.Push(std::move(block));
        block = std::string();
        block.reserve(kBlockSize + 4096);
        textAt = std::string::npos;
    }
    void Full()
    {
        if (block.size() >= kBlockSize) Flush();
    }

    void Start(std::string_view name, const xmlChar** attributes, int count)
    {
        ++depth;
        if (skipFrom) return;
        if (depth == 1) rootIsDescription = name == "description";
        const bool skipped = depth == 2 && !rootIsDescription && name != "body" && name != "description";
        if (skipped) skipFrom = depth;
        textAt = std::string::npos;
        block += kStart;
        PutName(block, name);
        PutSize(block, skipped ? 0 : static_cast<size_t>(count));
        for (int i = 0; !skipped && i < count; ++i) {
            const xmlChar** a = attributes + 5 * i;
            PutName(block, reinterpret_cast<const char*>(a[0]));
            PutSize(block, static_cast<size_t>(a[4] - a[3]));
            block.append(reinterpret_cast<const char*>(a[3]), static_cast<size_t>(a[4] - a[3]));
        }
        Full();
    }
    void End(std::string_view name)
    {
        const int at = depth--;
        if (skipFrom && at != skipFrom) return;
        skipFrom = 0;
        textAt = std::string::npos;
        block += kEnd;
        PutName(block, name);
        Full();
    }
    void Characters(std::string_view text)
    {
        if (skipFrom) return;
        if (textAt == std::string::npos) {
            block += kText;
            textAt = block.size();
            PutSize(block, 0);
        }
        std::uint32_t n;
        std::memcpy(&n, block.data() + textAt, sizeof n);
        n += static_cast<std::uint32_t>(text.size());
        std::memcpy(block.data() + textAt, &n, sizeof n);
        block.append(text);
        Full();
    }
};

Fb2Parser& Of(void* ctx)
{
    return *static_cast<Fb2Parser*>(ctx);
}

void OnStart(void* ctx, const xmlChar* localname, const xmlChar*, const xmlChar*, int, const xmlChar**,
             int count, int, const xmlChar** attributes)
{
    Fb2Parser& r = Of(ctx);
    if (r.Stopped()) return;
    try {
        r.Start(Name(localname), attributes, count);
    } catch (...) {
        r.Stop(std::current_exception());
    }
}

void OnEnd(void* ctx, const xmlChar* localname, const xmlChar*, const xmlChar*)
{
    Fb2Parser& r = Of(ctx);
    if (r.Stopped()) return;
    try {
        r.End(Name(localname));
    } catch (...) {
        r.Stop(std::current_exception());
    }
}

void OnCharacters(void* ctx, const xmlChar* text, int length)
{
    Fb2Parser& r = Of(ctx);
    if (r.Stopped()) return;
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
    Fb2Parser& r = Of(ctx);
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
    Fb2Parser& r = Of(ctx);
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
    Fb2Parser reader(source);
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
    if (reader.head.starts_with("\xFF\xFE") || reader.head.starts_with("\xFE\xFF") || Utf16OrderWithoutMark(reader.head))
        info.declaredEncoding = "UTF-16";
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

    // The parse (this thread) and the layout (another) go on side by side.
    Fb2Layout layout(sink);
    std::exception_ptr layoutFailure;
    std::thread layoutThread([&] {
        try {
            std::string block;
            while (reader.queue.Pop(block)) layout.Replay(block);
        } catch (...) {
            layoutFailure = std::current_exception();
            reader.layoutFailed = true;
            reader.queue.Abandon();
        }
    });
    try {
        reader.block.reserve(kBlockSize + 4096);
        xmlParseDocument(ctxt);
        if (!reader.failure) reader.Flush();
    } catch (...) {
        if (!reader.failure) reader.failure = std::current_exception();
    }
    reader.queue.Close();
    layoutThread.join();
    const bool wellFormed = ctxt->wellFormed != 0;
    xmlFreeParserCtxt(ctxt);
    for (auto& [key, entity] : reader.entities) {
        xmlFree(const_cast<xmlChar*>(entity->name));
        xmlFree(entity->content);
        xmlFree(entity->orig);
    }
    // What went wrong first in the book's order: the layout lags behind the parse.
    if (layoutFailure) std::rethrow_exception(layoutFailure);
    if (reader.failure) std::rethrow_exception(reader.failure);
    if (!wellFormed) reader.fault.Throw(shownAs);
    layout.EndParagraphNow();
    layout.writer.EndParagraph();
    info.title = layout.title;
    info.outline.given = true;
    info.outline.entries = ResolveOutline(layout.chapters, layout.writer);
    info.language = CollapseSpaces(layout.language);
    if (info.language.empty()) info.language = CollapseSpaces(layout.sourceLanguage);
    return info;
}

} // namespace lumira
