#pragma once
// EPUB 2 and 3: the chapters in the order of the package's spine, notes last.
#include "formats/book_format.h"

namespace lumira {

BookInfo ReadEpub(const TextFile& file, TextSink& sink);

} // namespace lumira
