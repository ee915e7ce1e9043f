#include "book/text_stream.h"

#include <chrono>

#include <algorithm>
#include <cstring>

namespace lumira {

TextStream::TextStream(std::size_t blockSize, std::size_t blocks)
    : blockSize_(std::max<std::size_t>(1, blockSize)), blocks_(std::max<std::size_t>(1, blocks))
{
    writing_.reserve(blockSize_);
}

void TextStream::Hand(std::string& block)
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return abandoned_ || ready_.size() < blocks_; });
    if (abandoned_) throw TextStreamAbandoned();
    ready_.push_back(std::move(block));
    block.clear();
    if (!spare_.empty()) {
        block = std::move(spare_.back());
        spare_.pop_back();
    }
    lock.unlock();
    changed_.notify_all();
    block.clear();
    block.reserve(blockSize_);
}

void TextStream::Write(std::string_view bytes)
{
    while (!bytes.empty()) {
        const std::size_t n = std::min(bytes.size(), blockSize_ - writing_.size());
        writing_.append(bytes.data(), n);
        bytes.remove_prefix(n);
        if (writing_.size() == blockSize_) Hand(writing_);
    }
}

void TextStream::CheckGoing()
{
    std::lock_guard lock(mutex_);
    if (abandoned_) throw TextStreamAbandoned();
}

void TextStream::End()
{
    if (!writing_.empty()) Hand(writing_);
    {
        std::lock_guard lock(mutex_);
        ended_ = true;
    }
    changed_.notify_all();
}

void TextStream::Fail(std::exception_ptr error)
{
    {
        std::lock_guard lock(mutex_);
        if (ended_ || error_) return;
        // What was written before the failure is still read first (one block past the bound at most).
        if (!writing_.empty() && !abandoned_) ready_.push_back(std::move(writing_));
        writing_.clear();
        error_ = std::move(error);
        ended_ = true;
    }
    changed_.notify_all();
}

std::size_t TextStream::Read(void* buffer, std::size_t count)
{
    {
        std::lock_guard lock(mutex_);
        if (abandoned_) throw TextStreamAbandoned();
    }
    char* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        if (readAt_ == reading_.size()) {
            std::unique_lock lock(mutex_);
            const auto arrived = [&] { return !ready_.empty() || ended_ || abandoned_; };
            while (!changed_.wait_for(lock, std::chrono::milliseconds(100), arrived)) {
                if (!waitCheck_) continue;
                lock.unlock();
                try {
                    waitCheck_();
                } catch (...) {
                    Abandon();
                    throw;
                }
                lock.lock();
            }
            if (abandoned_) throw TextStreamAbandoned();
            if (ready_.empty()) {
                // Everything written was read: the end, or the writer's failure.
                if (error_ && done == 0) std::rethrow_exception(error_);
                break;
            }
            reading_.clear();
            if (spare_.size() < 2) spare_.push_back(std::move(reading_));
            reading_ = std::move(ready_.front());
            ready_.pop_front();
            readAt_ = 0;
            lock.unlock();
            changed_.notify_all();
        }
        const std::size_t n = std::min(count - done, reading_.size() - readAt_);
        std::memcpy(out + done, reading_.data() + readAt_, n);
        readAt_ += n;
        done += n;
    }
    return done;
}

void TextStream::Abandon()
{
    {
        std::lock_guard lock(mutex_);
        abandoned_ = true;
        ready_.clear();
    }
    changed_.notify_all();
}

} // namespace lumira
