#pragma once
// Builds a text's page index on a worker thread, so that whoever shows the pages never waits: the
// first page is there as soon as the text is prepared, the rest follow while the reader reads.
// One build counts at a time: starting another (a new text, another setting) or cancelling stops
// the one under way at once, without waiting for its thread, whose result is thrown away.
#include "preview/page_index.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace lumira {

class PageIndexer {
public:
    // Makes the page setup of a build (reads and converts the text, hyphenates it); runs on the
    // worker thread. It may watch the stop token to give up early; an exception it throws is
    // the build's failure.
    using Prepare = std::function<PageSetup(std::stop_token)>;
    // Told on the worker thread that build `generation` has news: its first page, more pages (at
    // most every kNotifyInterval), its end, or its failure. Never told of a cancelled build.
    // A window posts this to its own thread and reads the index from there.
    using Listener = std::function<void(std::uint64_t generation)>;

    static constexpr std::chrono::milliseconds kNotifyInterval{50};

    explicit PageIndexer(Listener listener = {});
    // Cancels every build and waits for the threads.
    ~PageIndexer();
    PageIndexer(const PageIndexer&) = delete;
    PageIndexer& operator=(const PageIndexer&) = delete;

    // Cancels the build under way and starts a new one; returns its generation (1, 2, ...).
    std::uint64_t Start(Prepare prepare);
    // Cancels the build under way; Index() and Failure() are empty afterwards.
    void Cancel();

    // The generation of the latest build (0 before the first).
    std::uint64_t Generation() const;
    // The index of the latest build: empty while its text is being prepared, after a failure and
    // after Cancel. It grows while the build goes on.
    std::shared_ptr<const PageIndex> Index() const;
    // Why the latest build failed (UTF-8), if it did.
    std::optional<std::string> Failure() const;
    // The latest build is still preparing or walking.
    bool Busy() const;

private:
    struct Build;
    struct Worker {
        std::jthread thread;
        std::shared_ptr<std::atomic<bool>> finished;
    };

    void Run(const std::shared_ptr<Build>& build, const Prepare& prepare, std::stop_token stop);
    void Notify(const Build& build, std::stop_token stop) const;
    void DropFinishedWorkers();

    Listener listener_;
    mutable std::mutex mutex_;
    std::shared_ptr<Build> current_;
    std::uint64_t generation_ = 0;
    std::vector<Worker> workers_;
};

} // namespace lumira
