#pragma once
// Work done on several threads and handed back in order: item i is produced on any thread, but
// consumed on the calling thread only after items 0..i-1, so the result does not depend on the
// number of threads. At most `window` items are produced ahead of the one being consumed.
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace lumira {

// The number of threads to work on: `requested`, or one per core when it is 0.
inline unsigned WorkerThreads(unsigned requested)
{
    if (requested > 0) return requested;
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? cores : 1;
}

// Runs consume(i, produce(i)) for i = 0, 1, ... count-1 in that order. produce runs on up to
// `threads` worker threads (on the calling thread when `threads` is 1 or less). An exception from
// produce(i) is rethrown on the calling thread in item i's turn, after items 0..i-1 were consumed;
// an exception from consume stops the workers before it propagates. Nothing runs after return.
template <typename Result, typename Produce, typename Consume>
void RunInOrder(std::size_t count, unsigned threads, std::size_t window, Produce&& produce, Consume&& consume)
{
    if (threads <= 1 || count <= 1) {
        for (std::size_t i = 0; i < count; ++i) {
            Result r = produce(i);
            consume(i, r);
        }
        return;
    }
    if (window < threads) window = threads;

    struct Slot {
        std::optional<Result> value;
        std::exception_ptr error;
        bool ready = false;
    };
    std::vector<Slot> cells(window);
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t next = 0;      // the next item a worker takes
    std::size_t consumed = 0;  // items handed to consume so far
    bool stop = false;

    auto work = [&] {
        for (;;) {
            std::size_t i;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stop || next >= count || next < consumed + window; });
                if (stop || next >= count) return;
                i = next++;
            }
            Slot made;
            try {
                made.value.emplace(produce(i));
            } catch (...) {
                made.error = std::current_exception();
            }
            made.ready = true;
            {
                std::lock_guard lock(mutex);
                cells[i % window] = std::move(made);
            }
            changed.notify_all();
        }
    };

    std::vector<std::thread> workers;
    auto finish = [&] {
        {
            std::lock_guard lock(mutex);
            stop = true;
        }
        changed.notify_all();
        for (auto& t : workers) t.join();
    };
    try {
        for (unsigned t = 0; t < threads && t < count; ++t) workers.emplace_back(work);
        for (std::size_t i = 0; i < count; ++i) {
            Slot taken;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return cells[i % window].ready; });
                taken = std::move(cells[i % window]);
                cells[i % window] = Slot{};
                consumed = i + 1;
            }
            changed.notify_all();
            if (taken.error) std::rethrow_exception(taken.error);
            consume(i, *taken.value);
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

} // namespace lumira
