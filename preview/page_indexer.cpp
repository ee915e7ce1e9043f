// The page index's worker threads.
#include "preview/page_indexer.h"

#include "platform/language.h"

#include <exception>

namespace lumira {

struct PageIndexer::Build {
    std::uint64_t generation = 0;
    std::shared_ptr<PageIndex> index;    // set once the text is prepared
    std::optional<std::string> failure;
    bool busy = true;
};

PageIndexer::PageIndexer(Listener listener) : listener_(std::move(listener)) {}

PageIndexer::~PageIndexer()
{
    std::vector<Worker> workers;
    {
        const std::lock_guard lock(mutex_);
        workers.swap(workers_);
        current_.reset();
    }
    for (Worker& worker : workers) worker.thread.request_stop();
    // The threads are joined as `workers` goes, outside the lock the builds take.
}

std::uint64_t PageIndexer::Start(Prepare prepare)
{
    const std::lock_guard lock(mutex_);
    for (Worker& worker : workers_) worker.thread.request_stop();
    DropFinishedWorkers();
    auto build = std::make_shared<Build>();
    build->generation = ++generation_;
    current_ = build;
    auto finished = std::make_shared<std::atomic<bool>>(false);
    workers_.push_back(Worker{std::jthread([this, build, finished, prepare = std::move(prepare)](std::stop_token stop) {
                                  Run(build, prepare, stop);
                                  finished->store(true);
                              }),
                              finished});
    return build->generation;
}

void PageIndexer::Cancel()
{
    const std::lock_guard lock(mutex_);
    for (Worker& worker : workers_) worker.thread.request_stop();
    DropFinishedWorkers();
    current_.reset();
}

void PageIndexer::DropFinishedWorkers()
{
    // A finished thread has only its return left to do: joining it does not wait.
    std::erase_if(workers_, [](const Worker& worker) { return worker.finished->load(); });
}

std::uint64_t PageIndexer::Generation() const
{
    const std::lock_guard lock(mutex_);
    return generation_;
}

std::shared_ptr<const PageIndex> PageIndexer::Index() const
{
    const std::lock_guard lock(mutex_);
    return current_ ? current_->index : nullptr;
}

std::optional<std::string> PageIndexer::Failure() const
{
    const std::lock_guard lock(mutex_);
    return current_ ? current_->failure : std::nullopt;
}

bool PageIndexer::Busy() const
{
    const std::lock_guard lock(mutex_);
    return current_ && current_->busy;
}

void PageIndexer::Notify(const Build& build, std::stop_token stop) const
{
    if (listener_ && !stop.stop_requested()) listener_(build.generation);
}

void PageIndexer::Run(const std::shared_ptr<Build>& build, const Prepare& prepare, std::stop_token stop)
{
    try {
        auto setup = std::make_shared<const PageSetup>(prepare(stop));
        if (stop.stop_requested()) return;
        auto index = std::make_shared<PageIndex>(std::move(setup));
        {
            const std::lock_guard lock(mutex_);
            build->index = index;
        }
        auto told = std::chrono::steady_clock::now();
        index->Build(stop, [&](int number, const PageLayout&) {
            if (number > 1 && (number & 63) != 0) return;
            const auto now = std::chrono::steady_clock::now();
            if (number == 1 || now - told >= kNotifyInterval) {
                told = now;
                Notify(*build, stop);
            }
        });
    } catch (const std::exception& e) {
        const std::lock_guard lock(mutex_);
        build->failure = e.what();
        build->index.reset();
    } catch (...) {
        // Whatever else a preparation throws must not end the program from a worker thread.
        const std::lock_guard lock(mutex_);
        build->failure = Translate("PageIndex", "Непредвиденная ошибка при подсчёте страниц.");
        build->index.reset();
    }
    {
        const std::lock_guard lock(mutex_);
        build->busy = false;
    }
    Notify(*build, stop);
}

} // namespace lumira
