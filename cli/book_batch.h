#pragma once
// Building one book per text, each in a fresh working folder inside a private temporary
// folder, with the same code and in the same order as the window's Create.
#include "cli/book_settings.h"
#include "cli/options.h"
#include "cli/text_source.h"

#include <cstdio>
#include <vector>

namespace lumira {

struct BatchReport {
    int built = 0;
    int failed = 0;
    bool interrupted = false;
};

// Where the packages go: --out for the one text, else --out-dir or the current folder. A folder
// that does not exist is a UsageError.
struct OutputPlan {
    std::optional<QString> jar;  // --out, absolute
    QString folder;              // ends in the native separator
};
OutputPlan PlanOutput(const CliOptions& options);

// Builds every text in order; a failing text is reported on `err` (naming it, with the message
// the window shows) and the next one goes on.
BatchReport BuildBooks(const std::vector<TextSource>& texts, const BookSettings& settings, const ProgramFolder& program,
                       const CliOptions& options, const OutputPlan& plan, std::FILE* err, bool errIsTerminal);

} // namespace lumira
