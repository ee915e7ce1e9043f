#include "formats/html_tree.h"

#include "platform/errors.h"
#include "platform/language.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>
#include <libxml/SAX2.h>
#include <libxml/parserInternals.h>

#include <cstdint>
#include <cstring>
#include <exception>

namespace lumira {

namespace {

// An element the parser has begun and not yet ended carries this in its `extra`.
constexpr unsigned short kOpen = 1;

// One parse and its walk.
struct StreamedTree {
    StreamedTree(const DocumentBytes& b, TreeWalk& w) : bytes(b), walk(w) {}

    const DocumentBytes& bytes;
    TreeWalk& walk;
    htmlParserCtxtPtr ctxt = nullptr;
    std::exception_ptr failure;
    size_t elements = 0;
    bool finished = false;  // the parse is over: every node is complete

    // Where the walk stands: about to enter `at`, or done with `at`'s subtree.
    xmlNode* at = nullptr;
    bool entering = true;
    bool done = false;

    bool Complete(const xmlNode* n) const
    {
        if (finished) return true;
        if (!n || n->type == XML_DOCUMENT_NODE || n->type == XML_HTML_DOCUMENT_NODE) return false;
        // An element at the top of the document may still get children: the parser puts an
        // element begun after the root's end into the root.
        if (n->type == XML_ELEMENT_NODE)
            return !(n->extra & kOpen) && n->parent && n->parent->type == XML_ELEMENT_NODE;
        return n->next || Complete(n->parent);
    }

    bool Ready(const xmlNode* n)
    {
        if (n->type == XML_ELEMENT_NODE) {
            if (!n->children && !Complete(n)) return false;
            return !walk.NeedsWhole(n) || Complete(n);
        }
        return n->type != XML_TEXT_NODE && n->type != XML_CDATA_SECTION_NODE ? true : Complete(n);
    }

    // A node the walk has passed goes, unless it lies at the top, where the parser still looks.
    static void Free(xmlNode* n)
    {
        if (!n->parent || n->parent->type != XML_ELEMENT_NODE) return;
        xmlUnlinkNode(n);
        xmlFreeNode(n);
    }

    // Walks as far as the tree built so far allows.
    void Advance()
    {
        if (done || failure) return;
        if (!at) {
            if (!ctxt->myDoc || !ctxt->myDoc->children) return;
            at = ctxt->myDoc->children;
            entering = true;
        }
        for (;;) {
            if (entering) {
                if (!Ready(at)) return;
                if (walk.Enter(at) && at->children) {
                    at = at->children;
                    continue;
                }
                entering = false;
            }
            if (at->next) {
                xmlNode* next = at->next;
                Free(at);
                at = next;
                entering = true;
                continue;
            }
            xmlNode* parent = at->parent;
            if (!Complete(parent)) return;
            Free(at);
            if (!parent || parent->type != XML_ELEMENT_NODE) {
                done = true;
                return;
            }
            walk.Leave(parent);
            at = parent;
        }
    }

    void Step()
    {
        try {
            Advance();
        } catch (...) {
            Stop(std::current_exception());
        }
    }

    void Stop(std::exception_ptr e)
    {
        if (!failure) failure = e;
        xmlStopParser(ctxt);
    }
};

StreamedTree& Of(void* ctx)
{
    return *static_cast<StreamedTree*>(static_cast<xmlParserCtxtPtr>(ctx)->_private);
}

void OnStart(void* ctx, const xmlChar* name, const xmlChar** attributes)
{
    StreamedTree& t = Of(ctx);
    if (t.failure) return;
    if (t.ctxt->myDoc) t.ctxt->myDoc->_private = &t;
    const xmlNode* before = t.ctxt->node;
    xmlSAX2StartElement(ctx, name, attributes);
    xmlNode* made = t.ctxt->node;
    if (!made || made == before) return;
    made->extra |= kOpen;
    made->psvi = reinterpret_cast<void*>(static_cast<std::uintptr_t>(++t.elements));
    t.Step();
}

void OnEnd(void* ctx, const xmlChar* name)
{
    StreamedTree& t = Of(ctx);
    if (t.failure) return;
    if (t.ctxt->node) t.ctxt->node->extra &= static_cast<unsigned short>(~kOpen);
    xmlSAX2EndElement(ctx, name);
    t.Step();
}

// A document type met again replaces the first, which the walk may stand on.
void OnDocumentType(void* ctx, const xmlChar* name, const xmlChar* publicId, const xmlChar* systemId)
{
    StreamedTree& t = Of(ctx);
    const xmlDoc* doc = t.ctxt->myDoc;
    const bool onIt = doc && t.at && t.at == reinterpret_cast<const xmlNode*>(doc->intSubset);
    xmlSAX2InternalSubset(ctx, name, publicId, systemId);
    if (onIt) {
        t.at = t.ctxt->myDoc->children;
        t.entering = false;
    }
}

int OnRead(void* context, char* buffer, int length)
{
    StreamedTree& t = *static_cast<StreamedTree*>(context);
    if (t.failure) return -1;
    try {
        // The parser takes a short read for the end of what there is: the request is filled.
        size_t got = 0;
        while (got < static_cast<size_t>(length)) {
            const size_t n = t.bytes(buffer + got, static_cast<size_t>(length) - got);
            if (n == 0) break;
            got += n;
        }
        return static_cast<int>(got);
    } catch (...) {
        t.failure = std::current_exception();
        return -1;
    }
}

int OnClose(void*)
{
    return 0;
}

struct ContextFree {
    void operator()(htmlParserCtxtPtr c) const
    {
        if (c->myDoc) xmlFreeDoc(c->myDoc);
        c->myDoc = nullptr;
        htmlFreeParserCtxt(c);
    }
};

} // namespace

size_t ElementNumber(const xmlNode* n)
{
    return static_cast<size_t>(reinterpret_cast<std::uintptr_t>(n->psvi));
}

bool IsComplete(const xmlNode* n)
{
    const auto* tree = n && n->doc ? static_cast<const StreamedTree*>(n->doc->_private) : nullptr;
    return !tree || tree->Complete(n);
}

void WalkHtml(const DocumentBytes& bytes, const std::string& encoding, const std::string& shownAs, TreeWalk& walk)
{
    StreamedTree tree(bytes, walk);
    std::unique_ptr<xmlParserCtxt, ContextFree> ctxt(htmlNewParserCtxt());
    if (!ctxt) throw AppError(FormatText(Translate("Books", "Книгу %1 не удалось разобрать как HTML."), {shownAs}));
    tree.ctxt = ctxt.get();
    ctxt->_private = &tree;
    ctxt->sax->startElement = OnStart;
    ctxt->sax->endElement = OnEnd;
    ctxt->sax->internalSubset = OnDocumentType;
    // No depth limit: text nested deeper than the parser's usual 256 levels is kept.
    htmlDocPtr doc = htmlCtxtReadIO(ctxt.get(), OnRead, OnClose, &tree, nullptr, encoding.c_str(),
                                    HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                        HTML_PARSE_NONET | HTML_PARSE_COMPACT | XML_PARSE_HUGE);
    // The parser hands its document over at its end.
    ctxt->myDoc = doc;
    if (tree.failure) std::rethrow_exception(tree.failure);
    if (!doc) throw AppError(FormatText(Translate("Books", "Книгу %1 не удалось разобрать как HTML."), {shownAs}));
    doc->_private = &tree;
    tree.finished = true;
    tree.Advance();
    doc->_private = nullptr;
}

} // namespace lumira
