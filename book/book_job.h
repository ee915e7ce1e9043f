#pragma once
// Making one book from one text: the same steps for the window's "Создать" and for lumira-cli.
// The text is read in its encoding (a book is laid out while the package is built), the package
// is written, split into volumes where the phone's limit asks for it, and never over the text
// it is made from.
#include "book/book_builder.h"
#include "book/book_volumes.h"
#include "book/settings_record.h"
#include "platform/colors.h"
#include "platform/text_encoding.h"
#include "profiles/profile.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lumira {

struct BookJob {
    TextFile text;  // the text as chosen, open: every step reads this file, whatever takes its name
    TextEncoding encoding = TextEncoding::Auto;
    QString title;
    std::optional<PhoneProfile> profile;  // none is refused
    ColorValue background = 16777215;
    BandPosition band = BandPosition::Bottom;
    bool dictionaryHyphens = true;
    std::vector<std::filesystem::path> hyphenationFolders;
    std::string bookLanguage;  // the language the book declares (a BCP 47 tag); "" when none
    std::filesystem::path workFolder;    // holds the glyph files; its whole content goes into the package
    std::filesystem::path templateFile;  // the reader's template (velmar.dat)
    std::filesystem::path jar;           // the package asked for
    std::filesystem::path scratch;       // a private folder outside workFolder for a converted copy
    std::uint64_t maxJarBytes = 0;       // the phone's package limit; 0 for none
    unsigned threads = 0;                // 0: as many as the machine has
    const std::atomic<bool>* cancel = nullptr;
    // Asked while a book's text is awaited from its converter; throws to stop the job. The
    // window's `cancel` is heard there anyway; this is for a caller's own stop requests.
    std::function<void()> stopCheck;
    BookProgress progress;
};

struct BookJobResult {
    VolumesResult made;
    TextEncoding encoding = TextEncoding::Auto;  // what the text was read in
    bool fromBook = false;                       // the text was a book with an encoding of its own
    QString conversionNotice;                    // what the reading did that the user should know
};

// Builds the book. A blank title or a missing phone is refused before anything is read or
// written. `record` is that of the last package written. Failures are thrown.
BookJobResult RunBookJob(const BookJob& job, SettingsRecord& record);

} // namespace lumira
