#pragma once
// The line that tells about one book while it is made. On a terminal it is rewritten in place
// (with the share of bytes archived for a large text) and finished with the result; elsewhere
// only the result is written, and only when asked to be verbose.
#include <cstdint>
#include <cstdio>
#include <string>

namespace lumira {

class ProgressLine {
public:
    // `stream` is where the line goes; `terminal` whether it is a terminal.
    ProgressLine(std::FILE* stream, bool terminal, bool verbose);

    // A book begins: `label` names the text and its package (UTF-8).
    void Begin(const std::string& label);
    // Bytes of the archive written so far and in all.
    void Archived(std::uint64_t done, std::uint64_t total);
    // The book is complete; `label`, when given, names what was written in place of the label
    // it began with (the volumes of a book that did not fit one package).
    void Done(const std::string& label = {});
    // The book failed; the line is cleared so the message that follows stands alone.
    void Abandon();

    // Texts at least this large show how far the archive has got.
    static constexpr std::uint64_t kLargeText = 1024 * 1024;

private:
    void Show(const std::string& text);

    std::FILE* stream_;
    bool terminal_;
    bool verbose_;
    std::string label_;
    size_t shown_ = 0;  // characters of the line now on the terminal
    int percent_ = -1;
};

} // namespace lumira
