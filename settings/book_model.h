#pragma once
// The book being made, as plain values: what the window shows and edits, what config.ini keeps
// between runs, and what lumira-cli starts from before its options apply.
#include "platform/book_font_style.h"
#include "platform/colors.h"
#include "platform/text_encoding.h"
#include "profiles/profile.h"
#include "settings/recent_texts.h"
#include "settings/settings_file.h"

#include <QString>
#include <cstdint>

namespace lumira {

class IniFile;

struct BookModel {
    QString text;   // the chosen text's path; empty before one is chosen
    QString title;
    BookFontStyle font;
    ColorValue background = 16777215;  // white
    std::int32_t upperCut = 0;
    std::int32_t bottCut = 0;
    std::int32_t profile = 1;  // position in the phone list; -1 none
    BandPosition band = BandPosition::Bottom;
    bool dictionaryHyphens = true;  // words split by the language's dictionary, else by the vowel rule
    TextEncoding encoding = TextEncoding::Auto;  // how texts are read
    std::int32_t pageStart = 1;  // the preview's first character on the page shown (1-based)
    RecentTexts recent;          // the texts opened last, newest first
    int previewZoom = 1;         // the preview's zoom: 1..kMaxPreviewZoom, or kFitPreviewZoom
    bool contentsShown = true;   // the contents list beside the preview, when the book has contents
    QString openDir;             // where the open dialog starts
    QString saveDir;             // where the save dialog starts
};

// The model a start begins with: the stored settings, no text chosen, the first page.
BookModel ModelFromStored(const StoredSettings& stored);

// Writes the model into config.ini in one rewrite, every key in its usual place; the text in hand
// is remembered first on the recent list with the title and encoding it has now. A folder the file
// cannot hold is kept as its nearest parent that it can. Throws when the file cannot be written.
void WriteBookModel(const IniFile& config, const BookModel& model);

// `folder` as config.ini (cp1251) can hold it: itself, else its nearest parent whose name fits,
// rather than a path of question marks that names no folder at all.
QString StorableFolder(const QString& folder);

} // namespace lumira
