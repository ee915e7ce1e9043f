#pragma once
// A book's text read with soft hyphens put at its words' dictionary points, for the pieces of a
// book made with dictionary hyphenation.
#include "formats/hyphenator.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace lumira {

// The file beside the settings record that tells the reader how the book is laid out: byte 0 is
// 1 when words are split only at the text's soft hyphens.
inline constexpr const char* kLayoutRulesFile = "layout";

// Reads `Source` (anything with Read(buffer, n) -> count, 0 at its end) and hands its bytes on
// with the soft hyphens in. A word is held back until its end has been read, so the points do
// not depend on where the source's reads end.
template <typename Source>
class HyphenatedText {
public:
    HyphenatedText(Source& source, Hyphenator& hyphenator) : source_(source), hyphenator_(hyphenator) {}

    size_t Read(void* buffer, size_t count)
    {
        while (ready_.size() - taken_ < count && !ended_) Refill();
        const size_t n = std::min(count, ready_.size() - taken_);
        std::memcpy(buffer, ready_.data() + taken_, n);
        taken_ += n;
        return n;
    }

private:
    static constexpr size_t kBlock = 64 * 1024;
    // A "word" longer than this is hyphenated in parts rather than held back whole.
    static constexpr size_t kLongestHeld = 1 << 20;

    void Refill()
    {
        ready_.erase(0, taken_);
        taken_ = 0;
        const size_t held = input_.size();
        input_.resize(held + kBlock);
        const size_t got = source_.Read(input_.data() + held, kBlock);
        input_.resize(held + got);
        if (got == 0) ended_ = true;
        size_t keep = ended_ ? 0 : Hyphenator::OpenTail(input_);
        if (keep > kLongestHeld) keep = 0;
        hyphenator_.Hyphenate(std::string_view(input_).substr(0, input_.size() - keep), ready_);
        input_.erase(0, input_.size() - keep);
    }

    Source& source_;
    Hyphenator& hyphenator_;
    std::string input_;  // read, not yet hyphenated: the start of a word that may go on
    std::string ready_;  // hyphenated, from taken_ on not yet handed out
    size_t taken_ = 0;
    bool ended_ = false;
};

} // namespace lumira
