// The page index: a walk over the whole text recording where each page begins.
#include "preview/page_index.h"

#include "platform/errors.h"
#include "platform/language.h"

#include <algorithm>
#include <climits>
#include <mutex>
#include <stdexcept>

namespace lumira {

PageIndex::PageIndex(std::shared_ptr<const PageSetup> setup) : setup_(std::move(setup))
{
    if (!setup_) throw std::invalid_argument("PageIndex needs a page setup");
}

void PageIndex::Build(std::stop_token stop, const std::function<void(int, const PageLayout&)>& visit)
{
    const PageSetup& setup = *setup_;
    {
        const std::shared_lock lock(mutex_);
        if (!bounds_.empty()) throw std::logic_error("a page index is built once");
    }
    // Positions are 32-bit: a longer text cannot be paged.
    if (setup.text.size() > static_cast<size_t>(INT32_MAX - 2))
        throw AppError(Translate("PageIndex", "Текст слишком велик для просмотра страниц."));
    bool downEnabled = true;
    std::int32_t start = 1;
    for (int number = 1;; ++number) {
        if (stop.stop_requested()) return;
        const PageLayout page = LayoutPage(setup.text, setup.widths, setup.geometry, start);
        {
            const std::unique_lock lock(mutex_);
            if (bounds_.empty()) bounds_.push_back(start);
            bounds_.push_back(page.nextPageStart);
        }
        if (visit) visit(number, page);
        if (page.downEnabled) downEnabled = *page.downEnabled;
        // A page that reads nothing (no room for a line) would be shown again and again.
        if (!downEnabled || page.nextPageStart <= start) break;
        start = page.nextPageStart;
    }
    const std::unique_lock lock(mutex_);
    complete_ = true;
}

int PageIndex::PageCount() const
{
    const std::shared_lock lock(mutex_);
    return bounds_.empty() ? 0 : static_cast<int>(bounds_.size() - 1);
}

bool PageIndex::Complete() const
{
    const std::shared_lock lock(mutex_);
    return complete_;
}

int PageIndex::PercentOfEnd(std::int64_t end) const
{
    const auto length = static_cast<std::int64_t>(setup_->text.size());
    if (length == 0) return 100;
    return static_cast<int>(std::clamp<std::int64_t>((end - 1) * 100 / length, 0, 100));
}

int PageIndex::Progress() const
{
    const std::shared_lock lock(mutex_);
    if (complete_) return 100;
    return bounds_.empty() ? 0 : PercentOfEnd(bounds_.back());
}

namespace {

void CheckPage(int page, size_t boundCount)
{
    if (page < 1 || boundCount == 0 || static_cast<size_t>(page) >= boundCount)
        throw std::out_of_range("page " + std::to_string(page) + " is not in the index");
}

} // namespace

std::int32_t PageIndex::PageStart(int page) const
{
    const std::shared_lock lock(mutex_);
    CheckPage(page, bounds_.size());
    return bounds_[static_cast<size_t>(page - 1)];
}

PageLayout PageIndex::Page(int page) const
{
    return LayoutPage(setup_->text, setup_->widths, setup_->geometry, PageStart(page));
}

int PageIndex::Percent(int page) const
{
    const std::shared_lock lock(mutex_);
    CheckPage(page, bounds_.size());
    if (complete_ && static_cast<size_t>(page) == bounds_.size() - 1) return 100;
    return PercentOfEnd(bounds_[static_cast<size_t>(page)]);
}

int PageIndex::PageForPercent(int percent) const
{
    percent = std::clamp(percent, 0, 100);
    const std::shared_lock lock(mutex_);
    if (bounds_.size() < 2) return 0;
    const int count = static_cast<int>(bounds_.size() - 1);
    // The pages' ends grow page by page, and so does their share of the text.
    const auto ends = bounds_.begin() + 1;
    const auto first = std::partition_point(ends, bounds_.end(), [&](std::int32_t end) { return PercentOfEnd(end) < percent; });
    return std::min(count, static_cast<int>(first - ends) + 1);
}

int PageIndex::PageAt(std::int64_t position) const
{
    const std::shared_lock lock(mutex_);
    if (bounds_.size() < 2) return 0;
    const auto starts_end = bounds_.end() - 1;
    const auto after = std::upper_bound(bounds_.begin(), starts_end, position,
                                        [](std::int64_t p, std::int32_t start) { return p < start; });
    return std::max(1, static_cast<int>(after - bounds_.begin()));
}

} // namespace lumira
