#pragma once
// A text handed from the thread that makes it to the thread that reads it while it is still
// being made: a book laid out while its package is being built. At most a few blocks wait
// between the two, so memory stays flat whatever the text's size.
#include "platform/errors.h"
#include "platform/language.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace lumira {

// Thrown to the writer when the reader has given the text up, and to a reader reading after that.
class TextStreamAbandoned : public Cancelled {
public:
    TextStreamAbandoned() : Cancelled(Translate("BookBuilder", "Создание книги отменено.")) {}
};

class TextStream {
public:
    explicit TextStream(std::size_t blockSize = 64 * 1024, std::size_t blocks = 8);
    TextStream(const TextStream&) = delete;
    TextStream& operator=(const TextStream&) = delete;

    // The writer's side. Write waits while `blocks` blocks are waiting for the reader, and throws
    // TextStreamAbandoned once the reader has gone. End hands over what is left and marks the
    // end; Fail ends the text with an error the reader gets instead of the end.
    void Write(std::string_view bytes);
    void End();
    void Fail(std::exception_ptr error);
    // Throws TextStreamAbandoned once the reader has gone: a writer busy without writing asks.
    void CheckGoing();

    // The reader's side. Read fills up to `count` bytes, waiting for the writer; fewer only at
    // the end, 0 once it is over; the writer's failure is thrown once the bytes before it are read.
    std::size_t Read(void* buffer, std::size_t count);
    // Called by Read every tenth of a second while it waits for the writer (a writer may go a
    // long way before its first line): it throws to stop the reader, who then gives the text up.
    void SetWaitCheck(std::function<void()> check) { waitCheck_ = std::move(check); }
    // The reader stops: the writer's next Write throws, and nothing waits on the reader any more;
    // a Read after it throws too (TextStreamAbandoned).
    void Abandon();
    // A rough size of the whole text for progress, given by the writer; 0 when unknown.
    void SetSizeHint(std::uint64_t bytes) { sizeHint_ = bytes; }
    std::uint64_t SizeHint() const { return sizeHint_; }

private:
    void Hand(std::string& block);

    const std::size_t blockSize_;
    const std::size_t blocks_;
    std::string writing_;            // the writer's block being filled, not yet shared
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::string> ready_;  // blocks handed over, oldest first
    std::vector<std::string> spare_; // emptied blocks, kept for the writer to fill again
    std::string reading_;            // the reader's current block
    std::size_t readAt_ = 0;
    bool ended_ = false;
    bool abandoned_ = false;
    std::exception_ptr error_;
    std::uint64_t sizeHint_ = 0;
    std::function<void()> waitCheck_;
};

} // namespace lumira
