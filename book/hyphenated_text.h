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
// not depend on where the source's reads end. The text is read and hyphenated a small block at a
// time on the reading thread itself: the packer's threads read their pieces in turn and
// compress them side by side, so the hyphenation of one piece overlaps the compression of
// another, and each block is still in the cache from reading to compressing.
template <typename Source>
class HyphenatedText {
public:
    HyphenatedText(Source& source, Hyphenator& hyphenator) : source_(source), hyphenator_(hyphenator) {}

    size_t Read(void* buffer, size_t count)
    {
        size_t n = 0;
        while (n < count) {
            if (taken_ == ready_.size() && !Refill()) break;
            const size_t part = std::min(count - n, ready_.size() - taken_);
            std::memcpy(static_cast<char*>(buffer) + n, ready_.data() + taken_, part);
            taken_ += part;
            n += part;
        }
        return n;
    }

private:
    static constexpr size_t kBlock = 16 * 1024;
    // A "word" longer than this is hyphenated in parts rather than held back whole.
    static constexpr size_t kLongestHeld = 1 << 20;

    // Reads blocks until some of the text is hyphenated; false at the text's end. The start of a
    // word that may go on is kept for the next block.
    bool Refill()
    {
        ready_.clear();
        taken_ = 0;
        while (ready_.empty()) {
            if (ended_) return false;
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
        return true;
    }

    Source& source_;
    Hyphenator& hyphenator_;
    std::string input_;  // read, not yet hyphenated: the start of a word that may go on
    std::string ready_;  // hyphenated, from taken_ on not yet handed out
    size_t taken_ = 0;
    bool ended_ = false;
};

} // namespace lumira
