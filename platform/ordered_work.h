#pragma once
// Work done on several threads and handed back in order: item i is produced on any thread, but
// consumed on the calling thread only after items 0..i-1, so the result does not depend on the
// number of threads. At most `window` items are produced ahead of the one being consumed.
#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <vector>

namespace lumira {

// The number of threads to work on: `requested`, or one per core when it is 0.
inline unsigned WorkerThreads(unsigned requested)
{
    if (requested > 0) return requested;
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? cores : 1;
}

// Runs consume(i, produce(i, prepare(i))) for i = 0, 1, ... count-1, consume in that order.
// prepare runs in the order of i, one call at a time, on the worker that then runs produce (the
// in-order part of making an item, such as reading it from a stream); produce runs on up to
// `threads` worker threads at once (everything on the calling thread when `threads` is 1 or less).
// The calling thread waits until `batch` items in a row are ready (or the rest, if fewer, or
// whatever is ready when no item is being made), then consumes all that are: fewer wake-ups when
// items are small. An exception from prepare(i) or
// produce(i) is rethrown on the calling thread in item i's turn, after items 0..i-1 were consumed;
// an exception from consume stops the workers before it propagates. Nothing runs after return.
template <typename Result, typename Prepare, typename Produce, typename Consume>
void RunInOrderPrepared(std::size_t count, unsigned threads, std::size_t window, std::size_t batch, Prepare&& prepare,
                        Produce&& produce, Consume&& consume)
{
    if (threads <= 1 || count <= 1) {
        for (std::size_t i = 0; i < count; ++i) {
            auto prepared = prepare(i);
            Result r = produce(i, prepared);
            consume(i, r);
        }
        return;
    }
    if (window < threads) window = threads;
    batch = batch < 1 ? 1 : batch > window ? window : batch;

    struct Slot {
        std::optional<Result> value;
        std::exception_ptr error;
        bool ready = false;
    };
    std::vector<Slot> cells(window);
    std::mutex claiming;  // held while an item is claimed and prepared: prepare runs in order
    std::mutex mutex;
    std::condition_variable room;   // for workers: an item may be claimed, or stop
    std::condition_variable ready;  // for the calling thread: a batch is ready
    std::size_t next = 0;      // the next item a worker takes
    std::size_t consumed = 0;  // items handed to consume so far
    std::size_t producing = 0; // items prepared and not yet made
    bool stop = false;
    // Under `mutex`: whether the calling thread should take what is ready: the next item is, and
    // so is the batch or nothing more is on its way (the workers may be waiting on prepare).
    const auto takeNow = [&] {
        if (!cells[consumed % window].ready) return false;
        if (producing == 0) return true;
        const std::size_t want = std::min(batch, count - consumed);
        for (std::size_t k = 1; k < want; ++k)
            if (!cells[(consumed + k) % window].ready) return false;
        return true;
    };

    auto work = [&] {
        for (;;) {
            std::size_t i;
            Slot made;
            std::optional<std::invoke_result_t<Prepare&, std::size_t>> prepared;
            {
                std::lock_guard claim(claiming);
                {
                    std::unique_lock lock(mutex);
                    room.wait(lock, [&] { return stop || next >= count || next < consumed + window; });
                    if (stop || next >= count) return;
                    i = next++;
                }
                try {
                    prepared.emplace(prepare(i));
                } catch (...) {
                    made.error = std::current_exception();
                }
            }
            if (!made.error) {
                {
                    std::lock_guard lock(mutex);
                    ++producing;
                }
                try {
                    made.value.emplace(produce(i, *prepared));
                } catch (...) {
                    made.error = std::current_exception();
                }
            }
            const bool produced = prepared.has_value();
            made.ready = true;
            bool wake;
            {
                std::lock_guard lock(mutex);
                cells[i % window] = std::move(made);
                if (produced) --producing;
                wake = takeNow();
            }
            if (wake) ready.notify_one();
        }
    };

    std::vector<std::thread> workers;
    auto finish = [&] {
        {
            std::lock_guard lock(mutex);
            stop = true;
        }
        room.notify_all();
        for (auto& t : workers) t.join();
    };
    try {
        for (unsigned t = 0; t < threads && t < count; ++t) workers.emplace_back(work);
        std::vector<Slot> taken;
        for (std::size_t i = 0; i < count;) {
            taken.clear();
            {
                std::unique_lock lock(mutex);
                ready.wait(lock, takeNow);
                while (i + taken.size() < count && cells[(i + taken.size()) % window].ready) {
                    Slot& cell = cells[(i + taken.size()) % window];
                    taken.push_back(std::move(cell));
                    cell = Slot{};
                }
            }
            // A taken item still counts against the window until it is consumed.
            for (Slot& slot : taken) {
                if (slot.error) std::rethrow_exception(slot.error);
                consume(i, *slot.value);
                ++i;
                {
                    std::lock_guard lock(mutex);
                    consumed = i;
                }
                room.notify_all();
            }
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

// RunInOrderPrepared with nothing to prepare, handing items back one by one as they are ready.
template <typename Result, typename Produce, typename Consume>
void RunInOrder(std::size_t count, unsigned threads, std::size_t window, Produce&& produce, Consume&& consume)
{
    struct Nothing {};
    RunInOrderPrepared<Result>(
        count, threads, window, 1, [](std::size_t) { return Nothing{}; },
        [&](std::size_t i, Nothing&) { return produce(i); }, consume);
}

} // namespace lumira
