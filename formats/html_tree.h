#pragma once
// An HTML document read as a stream: libxml2's HTML parser builds its tree as usual, from bytes
// fed in chunks, while a walk goes through the tree in document order right behind the parse,
// and what the walk has passed is freed. Memory holds the open elements and what the walk is
// waiting for, not the document: a walk that reads an element's text whole asks for that element
// to be complete first. The tree the walk sees is the one the parser makes of the whole
// document, so a walk gives what a walk over the whole tree would.
#include <cstddef>
#include <functional>
#include <string>

// libxml2's node, as its tree.h names it.
typedef struct _xmlNode xmlNode;

namespace lumira {

// Bytes of a document, `count` at most per call, 0 at its end.
using DocumentBytes = std::function<size_t(char* buffer, size_t count)>;

class TreeWalk {
public:
    virtual ~TreeWalk() = default;
    // True when `n` is entered only once it is complete (its text is read whole).
    virtual bool NeedsWhole(const xmlNode* n) = 0;
    // True when the node's children are walked; Leave follows them. Nodes of every kind come
    // here, the document's own children first.
    virtual bool Enter(xmlNode* n) = 0;
    virtual void Leave(xmlNode* n) = 0;
};

// Parses the document from `bytes` in `encoding` (a name libxml2 knows) and walks it. Broken
// markup is mended as browsers do; elements nest as deep as the book likes; no entity reaches
// outside. Throws what `bytes` or the walk throws; "Книгу %1 не удалось разобрать как HTML."
// when the parser cannot start.
void WalkHtml(const DocumentBytes& bytes, const std::string& encoding, const std::string& shownAs, TreeWalk& walk);

// The element's number in document order, from 1: the same in every walk of the same bytes.
size_t ElementNumber(const xmlNode* n);

// True when nothing more is added below `n` (during a walk; everything is complete after it).
bool IsComplete(const xmlNode* n);

} // namespace lumira
