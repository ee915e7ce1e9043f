#pragma once
// Files that are not texts: documents, e-books in other formats, pictures, archives and other
// binary data, told by their content, never by their name, so that a book is never made of them.
#include "platform/files.h"

#include <QString>
#include <optional>
#include <string_view>

namespace lumira {

// What a file's beginning shows it to be when it is not a text ("документ PDF", "изображение
// PNG", "двоичные данные"...), translated; nothing for a text. Known signatures decide first;
// then a text in any encoding read here has almost no control characters (a stray zero byte
// aside), where binary data has them throughout. An empty file is an (empty) text.
std::optional<QString> NotTextKind(std::string_view head);

// Refuses a file that is not a text, with a message naming it and what it is. Reads at most the
// first 64 KiB ("Cannot open file %s").
void RefuseNonText(const TextFile& file);

} // namespace lumira
