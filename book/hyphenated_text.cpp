// The hyphenation thread of a book's text.
#include "book/hyphenated_text.h"

namespace lumira {

HyphenationThread::HyphenationThread(Hyphenator& hyphenator) : hyphenator_(hyphenator), thread_([this] { Run(); }) {}

HyphenationThread::~HyphenationThread()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        queue_.clear();
    }
    changed_.notify_all();
    thread_.join();
}

void HyphenationThread::Submit(std::string& words)
{
    std::shared_ptr<Block> block;
    if (spares_.empty()) {
        block = std::make_shared<Block>();
    } else {
        block = std::move(spares_.back());
        spares_.pop_back();
        block->done = false;
        block->error = nullptr;
    }
    block->words.swap(words);
    words.clear();
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(block);
    }
    order_.push_back(std::move(block));
    changed_.notify_all();
}

void HyphenationThread::Take(std::string& result)
{
    std::shared_ptr<Block> block = std::move(order_.front());
    order_.pop_front();
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return block->done; });
    }
    if (block->error) std::rethrow_exception(block->error);
    result.swap(block->result);
    block->result.clear();
    spares_.push_back(std::move(block));
}

void HyphenationThread::Run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stop_ || !queue_.empty(); });
        if (stop_) return;
        const std::shared_ptr<Block> block = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        try {
            hyphenator_.Hyphenate(block->words, block->result);
        } catch (...) {
            block->error = std::current_exception();
        }
        lock.lock();
        block->done = true;
        changed_.notify_all();
    }
}

} // namespace lumira
