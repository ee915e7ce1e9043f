#include "formats/epub_reader.h"

#include "platform/ordered_work.h"

#include "formats/html_reader.h"
#include "formats/text_layout.h"
#include "formats/xml_support.h"
#include "formats/zip_reader.h"
#include "platform/errors.h"
#include "platform/language.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace lumira {

namespace {

// The package's small XML files, and one chapter, are read whole; beyond these sizes they are
// no real book's.
constexpr std::uint64_t kPackageFileLimit = 16u << 20;
constexpr std::uint64_t kChapterLimit = 256u << 20;

struct DocFree {
    void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
using Doc = std::unique_ptr<xmlDoc, DocFree>;

std::string_view Local(const xmlNode* n)
{
    return reinterpret_cast<const char*>(n->name);
}

std::string Prop(const xmlNode* n, const char* name)
{
    xmlChar* v = xmlGetProp(n, reinterpret_cast<const xmlChar*>(name));
    std::string out = v ? reinterpret_cast<const char*>(v) : "";
    xmlFree(v);
    return out;
}

std::string Content(const xmlNode* n)
{
    xmlChar* v = xmlNodeGetContent(n);
    std::string out = v ? reinterpret_cast<const char*>(v) : "";
    xmlFree(v);
    return out;
}

// Every element below `n` (itself included) of that local name, in document order.
void Collect(xmlNode* n, std::string_view name, std::vector<xmlNode*>& out)
{
    for (; n; n = n->next) {
        if (n->type != XML_ELEMENT_NODE) continue;
        if (Local(n) == name) out.push_back(n);
        Collect(n->children, name, out);
    }
}

std::vector<xmlNode*> Elements(xmlDoc* doc, std::string_view name)
{
    std::vector<xmlNode*> out;
    Collect(xmlDocGetRootElement(doc), name, out);
    return out;
}

Doc ParseXml(const std::string& bytes, XmlFault* fault = nullptr)
{
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt) return nullptr;
    Doc doc(xmlCtxtReadMemory(ctxt, bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (fault && (!doc || !ctxt->wellFormed)) fault->Take(xmlCtxtGetLastError(ctxt));
    xmlFreeParserCtxt(ctxt);
    return doc;
}

std::string Lower(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Font obfuscation hides only fonts; any other encryption hides the text.
void RefuseProtected(ZipReader& zip, const std::string& shownAs)
{
    const std::string message =
        FormatText(Translate("Books", "Книга %1 защищена от копирования (DRM): её текст зашифрован, прочитать его нельзя."), {shownAs});
    if (zip.Find("META-INF/rights.xml") || zip.Find("META-INF/sinf.xml")) throw AppError(message);
    const ZipEntry* encryption = zip.Find("META-INF/encryption.xml");
    if (!encryption) return;
    const Doc doc = ParseXml(zip.ReadWhole(*encryption, kPackageFileLimit));
    if (!doc) throw AppError(message);
    for (xmlNode* method : Elements(doc.get(), "EncryptionMethod")) {
        const std::string algorithm = Prop(method, "Algorithm");
        if (algorithm != "http://www.idpf.org/2008/embedding" && algorithm != "http://ns.adobe.com/pdf/enc#RC")
            throw AppError(message);
    }
}

// Readers of one archive for chapters read at the same time, one each: minizip reads one entry
// at a time.
class ReaderPool {
public:
    explicit ReaderPool(const TextFile& file) : file_(file) {}

    // A reader to keep, given back with Return.
    std::unique_ptr<ZipReader> Take()
    {
        {
            std::lock_guard lock(mutex_);
            if (!free_.empty()) {
                std::unique_ptr<ZipReader> reader = std::move(free_.back());
                free_.pop_back();
                return reader;
            }
        }
        return std::make_unique<ZipReader>(file_);
    }
    void Return(std::unique_ptr<ZipReader> reader)
    {
        std::lock_guard lock(mutex_);
        free_.push_back(std::move(reader));
    }

private:
    TextFile file_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<ZipReader>> free_;
};

bool HasWord(const std::string& words, std::string_view word)
{
    return (" " + words + " ").find(" " + std::string(word) + " ") != std::string::npos;
}

// The entries of a navigation document's list (EPUB 3), each item's link at `level` and its own
// list one deeper. An item without a link (a heading over others, such as an author's name)
// gives no entry, and its list stays at its level.
void NavEntries(const xmlNode* list, const std::string& path, int level, std::vector<OutlineWish>& out)
{
    for (const xmlNode* item = list->children; item; item = item->next) {
        if (item->type != XML_ELEMENT_NODE || Local(item) != "li") continue;
        bool linked = false;
        for (const xmlNode* c = item->children; c; c = c->next) {
            if (c->type != XML_ELEMENT_NODE) continue;
            if (Local(c) == "a" && !linked) {
                std::string place = LinkPlace(path, Prop(c, "href"));
                std::string label = CollapseSpaces(Content(c));
                linked = !place.empty() && !label.empty();
                if (linked) out.push_back({std::move(place), level, std::move(label)});
            } else if (Local(c) == "ol" || Local(c) == "ul") {
                NavEntries(c, path, linked ? level + 1 : level, out);
            }
        }
    }
}

// The table of contents of the navigation document at `path`: its nav marked "toc".
std::vector<OutlineWish> NavContents(xmlDoc* doc, const std::string& path)
{
    std::vector<OutlineWish> out;
    for (xmlNode* nav : Elements(doc, "nav")) {
        if (!HasWord(Prop(nav, "type"), "toc") && !HasWord(Prop(nav, "role"), "doc-toc")) continue;
        for (const xmlNode* c = nav->children; c; c = c->next)
            if (c->type == XML_ELEMENT_NODE && (Local(c) == "ol" || Local(c) == "ul")) NavEntries(c, path, 0, out);
        break;
    }
    return out;
}

// The navigation points of an NCX (EPUB 2) at `path`, nested as they are.
void NcxPoints(const xmlNode* parent, const std::string& path, int level, std::vector<OutlineWish>& out)
{
    for (const xmlNode* point = parent->children; point; point = point->next) {
        if (point->type != XML_ELEMENT_NODE || Local(point) != "navPoint") continue;
        std::string label;
        std::string place;
        for (const xmlNode* c = point->children; c; c = c->next) {
            if (c->type != XML_ELEMENT_NODE) continue;
            if (Local(c) == "navLabel" && label.empty()) label = CollapseSpaces(Content(c));
            else if (Local(c) == "content" && place.empty()) place = LinkPlace(path, Prop(c, "src"));
        }
        if (!place.empty() && !label.empty()) out.push_back({std::move(place), level, std::move(label)});
        NcxPoints(point, path, level + 1, out);
    }
}

std::vector<OutlineWish> NcxContents(xmlDoc* doc, const std::string& path)
{
    std::vector<OutlineWish> out;
    const std::vector<xmlNode*> maps = Elements(doc, "navMap");
    if (!maps.empty()) NcxPoints(maps.front(), path, 0, out);
    return out;
}

} // namespace

BookInfo ReadEpub(const TextFile& file, TextSink& sink)
{
    const std::string shownAs = PathText(file.Path());
    // The reason why the book has no readable spine completes the one message.
    const auto noSpine = [&shownAs](const std::string& reason) {
        return FormatText(Translate("Books", "В книге EPUB %1 нет читаемого порядка глав (spine): %2."), {shownAs, reason});
    };
    ZipReader zip(file);
    RefuseProtected(zip, shownAs);

    const ZipEntry* container = zip.Find("META-INF/container.xml");
    if (!container) throw AppError(noSpine(Translate("Books", "нет файла META-INF/container.xml")));
    XmlFault fault;
    const Doc containerDoc = ParseXml(zip.ReadWhole(*container, kPackageFileLimit), &fault);
    if (!containerDoc) throw AppError(noSpine(Translate("Books", "файл META-INF/container.xml повреждён")));
    std::string opfPath;
    for (xmlNode* root : Elements(containerDoc.get(), "rootfile")) {
        const std::string type = Prop(root, "media-type");
        if (type.empty() || type == "application/oebps-package+xml") {
            opfPath = ResolveHref("", Prop(root, "full-path"));
            break;
        }
    }
    const ZipEntry* opf = opfPath.empty() ? nullptr : zip.Find(opfPath);
    if (!opf) throw AppError(noSpine(Translate("Books", "описание книги (OPF) не найдено")));
    const Doc package = ParseXml(zip.ReadWhole(*opf, kPackageFileLimit), &fault);
    if (!package) {
        const std::string detail =
            fault.set ? FormatText(Translate("Books", "описание книги %1 повреждено (строка %2, позиция %3)"),
                                   {opfPath, std::to_string(fault.line), std::to_string(fault.column)})
                      : FormatText(Translate("Books", "описание книги %1 повреждено"), {opfPath});
        throw AppError(noSpine(detail));
    }
    const std::string folder = opfPath.substr(0, opfPath.rfind('/') + 1);

    BookInfo info;
    info.format = BookFormat::Epub;
    for (xmlNode* t : Elements(package.get(), "title")) {
        if (!t->ns || std::string_view(reinterpret_cast<const char*>(t->ns->href)) != "http://purl.org/dc/elements/1.1/")
            continue;
        info.title = CollapseSpaces(Content(t));
        if (!info.title.empty()) break;
    }

    for (xmlNode* l : Elements(package.get(), "language")) {
        info.language = CollapseSpaces(Content(l));
        if (!info.language.empty()) break;
    }

    struct Item {
        std::string href;
        std::string type;
        bool navigation = false;  // EPUB 3's table of contents, not part of the text
    };
    std::map<std::string, Item> manifest;
    std::string navigation;
    std::string ncx;
    for (xmlNode* item : Elements(package.get(), "item")) {
        const bool nav = HasWord(Prop(item, "properties"), "nav");
        manifest[Prop(item, "id")] = {Prop(item, "href"), Prop(item, "media-type"), nav};
        if (nav && navigation.empty()) navigation = ResolveHref(folder, Prop(item, "href"));
        if (ncx.empty() && Lower(Prop(item, "media-type")) == "application/x-dtbncx+xml")
            ncx = ResolveHref(folder, Prop(item, "href"));
    }
    // The book's own contents, EPUB 3's and EPUB 2's, whose targets the layout places.
    std::vector<OutlineWish> navContents;
    std::vector<OutlineWish> ncxContents;
    if (const ZipEntry* entry = navigation.empty() ? nullptr : zip.Find(navigation))
        if (const Doc doc = ParseXml(zip.ReadWhole(*entry, kPackageFileLimit))) navContents = NavContents(doc.get(), navigation);
    if (const ZipEntry* entry = ncx.empty() ? nullptr : zip.Find(ncx))
        if (const Doc doc = ParseXml(zip.ReadWhole(*entry, kPackageFileLimit))) ncxContents = NcxContents(doc.get(), ncx);
    std::set<std::string> targets;
    for (const auto* list : {&navContents, &ncxContents})
        for (const OutlineWish& wish : *list) targets.insert(wish.place);

    // Every document in the order of the spine, whether in the reading flow or beside it, each
    // once however often the spine lists it.
    std::vector<std::string> chapters;
    std::set<std::string> listed;
    for (xmlNode* ref : Elements(package.get(), "itemref")) {
        const auto item = manifest.find(Prop(ref, "idref"));
        if (item == manifest.end() || item->second.navigation) continue;
        const std::string type = Lower(item->second.type);
        const std::string href = Lower(item->second.href);
        const bool html = type == "application/xhtml+xml" || type == "text/html" || type == "image/svg+xml" ||
                          (type.empty() && (href.ends_with(".xhtml") || href.ends_with(".html") ||
                                            href.ends_with(".htm") || href.ends_with(".svg")));
        if (!html) continue;
        std::string path = ResolveHref(folder, item->second.href);
        if (listed.insert(path).second) chapters.push_back(std::move(path));
    }
    if (chapters.empty()) throw AppError(noSpine(Translate("Books", "в нём нет ни одной главы")));

    ReaderPool readers(file);
    xmlInitParser();  // before libxml2 is used on several threads
    const auto chapterEntry = [&](const std::string& path) -> const ZipEntry& {
        const ZipEntry* entry = path.empty() ? nullptr : zip.Find(path);
        if (!entry)
            throw AppError(FormatText(Translate("Books", "В книге EPUB %1 нет главы «%2», названной в порядке глав."),
                                      {shownAs, path}));
        if (entry->size > kChapterLimit && entry->size <= kZipEntryLimit)
            throw AppError(FormatText(Translate("Books", "Файл «%1» в архиве %2 слишком велик (%3 МБ) для одной главы книги."),
                                      {entry->name, shownAs, std::to_string(entry->size >> 20)}));
        return *entry;
    };
    const auto encodingOf = [&](const std::string& head) {
        std::string encoding = HtmlDeclaredEncoding(head);
        if (encoding.empty()) encoding = "UTF-8";
        CheckEncodingKnown(encoding, shownAs);
        return encoding;
    };
    // A chapter's bytes, inflated as they are read, each reading from the start with a reader
    // of its own; a damaged entry is reported at its end.
    const auto openChapter = [&](const ZipEntry& entry) -> OpenDocument {
        return [&readers, &entry] {
            struct Reading {
                Reading(ReaderPool& from, std::unique_ptr<ZipReader> taken) : pool(from), reader(std::move(taken)) {}
                Reading(const Reading&) = delete;
                Reading& operator=(const Reading&) = delete;
                ReaderPool& pool;
                std::unique_ptr<ZipReader> reader;
                bool ended = false;
                ~Reading()
                {
                    if (reader) pool.Return(std::move(reader));
                }
            };
            auto r = std::make_shared<Reading>(readers, readers.Take());
            r->reader->Open(entry);
            return DocumentBytes([r](char* buffer, size_t count) -> size_t {
                if (r->ended) return 0;
                const size_t n = r->reader->Read(buffer, count);
                if (n == 0) {
                    r->ended = true;
                    r->reader->Close();
                }
                return n;
            });
        };
    };
    const auto chapterPage = [&](size_t i) {
        const ZipEntry& entry = chapterEntry(chapters[i]);
        HtmlPage page;
        page.open = openChapter(entry);
        page.size = entry.size;
        page.head = DocumentHead(page.open);
        page.encoding = ParserEncoding(encodingOf(page.head), page.head);
        page.shownAs = shownAs + " (" + chapters[i] + ")";
        page.path = chapters[i];
        page.checkGoing = [&sink] { sink.CheckGoing(); };
        page.targets = &targets;
        return page;
    };
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());

    // What the book says of its notes, gathered from every document before any is laid out:
    // a reference in one chapter makes a note of a passage in another.
    NoteLinks links;
    for (xmlNode* reference : Elements(package.get(), "reference")) {
        const std::string type = Lower(Prop(reference, "type"));
        if (type == "notes" || type == "footnotes" || type == "endnotes" || type == "rearnotes")
            if (std::string place = LinkPlace(opfPath, Prop(reference, "href")); !place.empty())
                links.containers.insert(std::move(place));
    }
    if (const ZipEntry* nav = navigation.empty() ? nullptr : zip.Find(navigation)) {
        const std::string bytes = zip.ReadWhole(*nav, kPackageFileLimit);
        HtmlPage page;
        page.open = [&bytes] {
            return DocumentBytes([&bytes, at = size_t(0)](char* buffer, size_t count) mutable {
                const size_t n = std::min(count, bytes.size() - at);
                std::memcpy(buffer, bytes.data() + at, n);
                at += n;
                return n;
            });
        };
        page.size = bytes.size();
        page.head = bytes.substr(0, kDetectionLimit + 3);
        page.encoding = ParserEncoding(encodingOf(page.head), page.head);
        page.shownAs = navigation;
        page.path = navigation;
        CollectNoteLinks(page, links);
    }
    RunInOrder<NoteLinks>(
        chapters.size(), threads, 2 * threads,
        [&](size_t i) {
            NoteLinks found;
            if (!MayMentionNotes(openChapter(chapterEntry(chapters[i]))())) return found;
            HtmlPage page = chapterPage(i);
            page.shownAs = chapters[i];
            CollectNoteLinks(page, found);
            return found;
        },
        [&](size_t, NoteLinks& found) {
            for (auto& [place, mark] : found.notes) {
                auto [at, added] = links.notes.emplace(place, mark);
                if (!added && at->second.empty()) at->second = mark;
            }
            links.containers.merge(found.containers);
            links.linkMarks.merge(found.linkMarks);
        });

    // Chapters are read and laid out on every core, each apart, and joined in reading order.
    struct Laid {
        std::string encoding;
        LayoutPart main;
        LayoutPart notes;
        std::vector<OutlineWish> headings;
    };
    const auto layChapter = [&](size_t i) {
        HtmlPage page = chapterPage(i);
        page.links = &links;
        Laid laid;
        laid.encoding = encodingOf(page.head);
        HtmlLayout layout = LayoutHtml(page);
        laid.main = std::move(layout.main);
        laid.notes = std::move(layout.notes);
        laid.headings = std::move(layout.headings);
        return laid;
    };
    StringSink notesText;
    LayoutWriter main(sink);
    LayoutWriter notes(notesText);
    std::vector<OutlineWish> headings;
    RunInOrder<Laid>(chapters.size(), threads, 2 * threads, layChapter, [&](size_t i, Laid& laid) {
        if (i == 0) info.declaredEncoding = laid.encoding;
        main.Join(std::move(laid.main));
        notes.Join(std::move(laid.notes));
        std::move(laid.headings.begin(), laid.headings.end(), std::back_inserter(headings));
    });
    notes.EndParagraph();
    // The notes, moved to the end, are an entry of whichever contents the book gets.
    std::vector<OutlineWish> notesEntry;
    AppendNotes(main, notesText.text, info.language, notesEntry);
    // The navigation document, else the NCX, else the chapters' headings: a list of which fewer
    // than two entries lead anywhere tells nothing the headings would not.
    info.outline.given = true;
    for (std::vector<OutlineWish>* contents : {&navContents, &ncxContents, &headings}) {
        contents->insert(contents->end(), notesEntry.begin(), notesEntry.end());
        info.outline.entries = ResolveOutline(*contents, main);
        if (info.outline.entries.size() >= 2 + notesEntry.size()) break;
    }
    return info;
}

} // namespace lumira
