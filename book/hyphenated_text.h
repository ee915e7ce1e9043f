#pragma once
// A book's text read with soft hyphens put at its words' dictionary points, for the pieces of a
// book made with dictionary hyphenation.
#include "formats/hyphenator.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lumira {

// The file beside the settings record that tells the reader how the book is laid out: byte 0 is
// 1 when words are split only at the text's soft hyphens.
inline constexpr const char* kLayoutRulesFile = "layout";

// Runs a Hyphenator on a thread of its own over blocks of whole words, handing the results back
// in the order the blocks came: the hyphenation of one block overlaps the reading of the next and
// whatever the caller does with the last.
class HyphenationThread {
public:
    explicit HyphenationThread(Hyphenator& hyphenator);
    // Waits for the block being worked on, if any; the rest are dropped.
    ~HyphenationThread();
    HyphenationThread(const HyphenationThread&) = delete;
    HyphenationThread& operator=(const HyphenationThread&) = delete;

    // Hands the whole words in `words` over; `words` is left empty, holding the room of a block
    // handed back earlier, so that the same few buffers serve the whole text (fresh memory for
    // every block costs a page fault per page).
    void Submit(std::string& words);
    // Blocks handed in and not yet taken back.
    size_t Pending() const { return order_.size(); }
    // The oldest pending block's result, waiting for it, swapped into `result` (whose room serves a
    // later block); an error hyphenating it (a dictionary that cannot be read) is thrown here.
    void Take(std::string& result);

private:
    struct Block {
        std::string words;
        std::string result;
        std::exception_ptr error;
        bool done = false;
    };
    void Run();

    Hyphenator& hyphenator_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<Block>> queue_;  // waiting for the thread
    std::deque<std::shared_ptr<Block>> order_;  // handed in, not yet taken back
    std::vector<std::shared_ptr<Block>> spares_;  // taken back, their buffers' room kept
    bool stop_ = false;
    std::thread thread_;
};

// Reads `Source` (anything with Read(buffer, n) -> count, 0 at its end) and hands its bytes on
// with the soft hyphens in. A word is held back until its end has been read, so the points do
// not depend on where the source's reads end. The source is read on the calling thread, a few
// blocks ahead; the words are hyphenated on a HyphenationThread meanwhile.
template <typename Source>
class HyphenatedText {
public:
    HyphenatedText(Source& source, Hyphenator& hyphenator) : source_(source), worker_(hyphenator) {}

    size_t Read(void* buffer, size_t count)
    {
        size_t n = 0;
        while (n < count) {
            if (taken_ == ready_.size()) {
                // The next block's result is handed over whole, not copied.
                while (!ended_ && worker_.Pending() < kAhead) Submit();
                if (worker_.Pending() == 0) break;
                worker_.Take(ready_);
                taken_ = 0;
                continue;
            }
            const size_t part = std::min(count - n, ready_.size() - taken_);
            std::memcpy(static_cast<char*>(buffer) + n, ready_.data() + taken_, part);
            taken_ += part;
            n += part;
        }
        return n;
    }

private:
    static constexpr size_t kBlock = 64 * 1024;
    // A "word" longer than this is hyphenated in parts rather than held back whole.
    static constexpr size_t kLongestHeld = 1 << 20;
    // Blocks read ahead of the one handed out.
    static constexpr size_t kAhead = 4;

    // Reads a block and hands its whole words over; the start of a word that may go on stays.
    void Submit()
    {
        const size_t held = input_.size();
        input_.resize(held + kBlock);
        const size_t got = source_.Read(input_.data() + held, kBlock);
        input_.resize(held + got);
        if (got == 0) ended_ = true;
        size_t keep = ended_ ? 0 : Hyphenator::OpenTail(input_);
        if (keep > kLongestHeld) keep = 0;
        open_.assign(input_, input_.size() - keep, keep);
        input_.resize(input_.size() - keep);
        worker_.Submit(input_);
        input_ += open_;
    }

    Source& source_;
    std::string input_;  // read, not yet handed over: the start of a word that may go on
    std::string open_;   // that start, while the block before it is handed over
    std::string ready_;  // a block hyphenated, from taken_ on not yet handed out
    size_t taken_ = 0;
    bool ended_ = false;
    HyphenationThread worker_;  // last: its thread ends before the rest goes
};

} // namespace lumira
