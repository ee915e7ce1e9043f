#pragma once
// A book's text read with soft hyphens put at its words' dictionary points, for the pieces of a
// book made with dictionary hyphenation.
#include "formats/hyphenator.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace lumira {

// The file beside the settings record that tells the reader how the book is laid out: byte 0 is
// 1 when words are split only at the text's soft hyphens.
inline constexpr const char* kLayoutRulesFile = "layout";

// Reads `Source` (anything with Read(buffer, n) -> count, 0 at its end) and hands its bytes on
// with the soft hyphens in. A word is held back until its end has been read, so the points do
// not depend on where the source's reads end. The text is read and hyphenated a small block at a
// time on the reading thread itself: the packer's threads read their pieces in turn and
// compress them side by side, so the hyphenation of one piece overlaps the compression of
// another, and each block is still in the cache from reading to compressing. The hyphenator
// serves this text alone while it is read: the bytes still to be handed out lie in its room.
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
        ready_ = {};
        taken_ = 0;
        while (ready_.empty()) {
            if (ended_) return false;
            if (input_.size() < held_ + kBlock) input_.resize(held_ + kBlock);
            const size_t got = source_.Read(input_.data() + held_, kBlock);
            held_ += got;
            if (got == 0) ended_ = true;
            const std::string_view input(input_.data(), held_);
            size_t keep = ended_ ? 0 : Hyphenator::OpenTail(input);
            if (keep > kLongestHeld) keep = 0;
            ready_ = hyphenator_.Hyphenate(input.substr(0, held_ - keep));
            std::memmove(input_.data(), input_.data() + held_ - keep, keep);
            held_ = keep;
        }
        return true;
    }

    Source& source_;
    Hyphenator& hyphenator_;
    std::vector<char> input_;  // its first held_ bytes read, not yet hyphenated: the start of a word that may go on
    size_t held_ = 0;
    std::string_view ready_;  // hyphenated (in the hyphenator's room), from taken_ on not yet handed out
    size_t taken_ = 0;
    bool ended_ = false;
};

} // namespace lumira
