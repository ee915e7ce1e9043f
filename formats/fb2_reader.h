#pragma once
// FB2 (FictionBook 2): streamed through libxml2's SAX parser, so that a book of any size, and
// embedded images of hundreds of megabytes, never sit in memory.
#include "formats/book_format.h"

#include <functional>

namespace lumira {

// Bytes of the book, `count` at most per call, 0 at its end.
using ByteSource = std::function<size_t(char* buffer, size_t count)>;

// Reads an FB2 document from `source` into `sink`; `shownAs` names it in messages.
// Returns the declared encoding and the title.
BookInfo ReadFb2(const ByteSource& source, const std::string& shownAs, TextSink& sink);

} // namespace lumira
