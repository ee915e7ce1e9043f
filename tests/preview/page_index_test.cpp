// The page index of a whole text: its pages are those of a walk from the first page, its
// positions and percentages answer consistently, it can be read while it grows, the worker
// cancels an old build when a new one starts, and the preview model moves through it.
#include "preview/book_preview_model.h"
#include "preview/page_index.h"
#include "preview/page_indexer.h"
#include "test_widths.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

namespace lumira {

namespace {

using namespace std::chrono_literals;

// A text touching every rule: indentation, titles, spacers, hyphenation, a word wider than the
// screen, paragraph ends, a last line without its break.
std::string MixedText(int paragraphs)
{
    std::string utf8;
    for (int i = 0; i < paragraphs; ++i) {
        if (i % 9 == 0) utf8 += "\x01Глава " + std::to_string(i) + ". Очень длинное название главы в две строки\r\n\x02\r\n";
        utf8 += "   Абзац " + std::to_string(i) + ": слова,слова;перенос необыкновенный, (скобки) и/или a+b=c.\r\n";
        utf8 += "продолжение строки без отступа\r\n";
        if (i % 7 == 3) utf8 += "ШШШШШШШШШШШШШШШШШШШШШШШШШШШШШШШШШШШШШШШШ\r\n";
        utf8 += "\r\n";
    }
    return Cp(utf8) + Cp("Последнее слово.");
}

std::shared_ptr<const PageSetup> MakeSetup(std::string text, CharWidthTable widths, PageGeometry geometry)
{
    return std::make_shared<const PageSetup>(PageSetup{std::move(text), widths, geometry, {}});
}

std::vector<std::shared_ptr<const PageSetup>> Setups()
{
    const PageGeometry small{128, 160, 12, true, 1};
    const PageGeometry wide{240, 320, 14, false, 1, Hyphenation::Simple};
    const PageGeometry noRoom{128, 10, 12, true, 1};  // no line fits: a page that reads nothing
    return {MakeSetup(MixedText(60), ProportionalWidths(), small), MakeSetup(MixedText(25), FixedWidths(7), wide),
            MakeSetup("", ProportionalWidths(), small),        MakeSetup(Cp("Одна строка.\r\n"), FixedWidths(), small),
            MakeSetup(MixedText(3), ProportionalWidths(), noRoom)};
}

// The pages as the "next page" button walks them, laid out one after another.
std::vector<std::pair<std::int32_t, PageLayout>> WalkedPages(const PageSetup& s)
{
    std::vector<std::pair<std::int32_t, PageLayout>> pages;
    bool down = true;
    for (std::int32_t start = 1;;) {
        PageLayout page = LayoutPage(s.text, s.widths, s.geometry, start);
        const std::int32_t next = page.nextPageStart;
        if (page.downEnabled) down = *page.downEnabled;
        pages.emplace_back(start, std::move(page));
        if (!down || next <= start) break;
        start = next;
    }
    return pages;
}

std::shared_ptr<PageIndex> BuiltIndex(std::shared_ptr<const PageSetup> setup)
{
    auto index = std::make_shared<PageIndex>(std::move(setup));
    index->Build({});
    return index;
}

// Waits until the indexer's latest build ends.
void AwaitIdle(const PageIndexer& indexer)
{
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (indexer.Busy() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
    ASSERT_FALSE(indexer.Busy());
}

} // namespace

TEST(PageIndex, PagesAreThoseOfTheWalkFromTheFirstPage)
{
    for (const auto& setup : Setups()) {
        const auto walked = WalkedPages(*setup);
        const auto index = BuiltIndex(setup);
        ASSERT_TRUE(index->Complete());
        EXPECT_EQ(index->Progress(), 100);
        ASSERT_EQ(index->PageCount(), static_cast<int>(walked.size())) << setup->text.size();
        for (int n = 1; n <= index->PageCount(); ++n) {
            const auto& [start, page] = walked[static_cast<size_t>(n - 1)];
            EXPECT_EQ(index->PageStart(n), start) << "page " << n;
            const PageLayout again = index->Page(n);
            EXPECT_EQ(again.lines, page.lines) << "page " << n;
            EXPECT_EQ(again.nextPageStart, page.nextPageStart) << "page " << n;
        }
        EXPECT_THROW(index->Page(0), std::out_of_range);
        EXPECT_THROW(index->PageStart(index->PageCount() + 1), std::out_of_range);
        EXPECT_THROW(index->Percent(index->PageCount() + 1), std::out_of_range);
    }
    EXPECT_GT(WalkedPages(*Setups()[0]).size(), 20u);
}

TEST(PageIndex, PositionsAndPercentagesRoundTrip)
{
    for (const auto& setup : Setups()) {
        const auto index = BuiltIndex(setup);
        const int count = index->PageCount();
        EXPECT_EQ(index->PageAt(-5), 1);
        EXPECT_EQ(index->PageAt(INT64_MAX), count);
        int previousPercent = 0;
        for (int n = 1; n <= count; ++n) {
            const std::int32_t start = index->PageStart(n);
            EXPECT_EQ(index->PageAt(start), n);
            if (n < count) {
                EXPECT_EQ(index->PageAt(index->PageStart(n + 1) - 1), n);
            }
            const int percent = index->Percent(n);
            EXPECT_GE(percent, previousPercent) << "page " << n;
            previousPercent = percent;
            // A page's own percentage leads to the first page showing it, never a later one.
            const int back = index->PageForPercent(percent);
            EXPECT_LE(back, n);
            EXPECT_EQ(index->Percent(back), percent);
        }
        EXPECT_EQ(index->Percent(count), 100);
        for (int p = -3; p <= 103; ++p) {
            int first = 1;
            while (first < count && index->Percent(first) < std::clamp(p, 0, 100)) ++first;
            EXPECT_EQ(index->PageForPercent(p), first) << p << "%";
        }
    }
}

TEST(PageIndex, AnIndexStoppedHalfwayAnswersForItsPages)
{
    const auto setup = Setups()[0];
    PageIndex empty(setup);
    EXPECT_EQ(empty.PageCount(), 0);
    EXPECT_EQ(empty.PageForPercent(50), 0);
    EXPECT_EQ(empty.PageAt(1), 0);
    EXPECT_EQ(empty.Progress(), 0);
    EXPECT_THROW(empty.Page(1), std::out_of_range);

    PageIndex index(setup);
    std::stop_source stop;
    index.Build(stop.get_token(), [&](int number, const PageLayout&) {
        if (number == 7) stop.request_stop();
    });
    EXPECT_FALSE(index.Complete());
    EXPECT_EQ(index.PageCount(), 7);
    EXPECT_GT(index.Progress(), 0);
    EXPECT_LT(index.Progress(), 100);
    EXPECT_LT(index.Percent(7), 100);
    EXPECT_EQ(index.PageForPercent(100), 7);  // the last page laid out so far
    EXPECT_EQ(index.PageAt(INT64_MAX), 7);
    EXPECT_EQ(index.Page(7).lines, WalkedPages(*setup)[6].second.lines);
}

TEST(PageIndexer, ReadersSeeTheIndexGrowWhileItIsBuilt)
{
    std::string text;
    while (text.size() < 3u << 20) text += MixedText(40);
    const auto setup = MakeSetup(text, ProportionalWidths(), PageGeometry{128, 160, 12, true, 1});
    std::atomic<int> told{0};
    PageIndexer indexer([&](std::uint64_t) { ++told; });
    indexer.Start([&](std::stop_token) { return *setup; });
    int seen = 0;
    bool sawPartial = false;
    while (indexer.Busy()) {
        if (const auto index = indexer.Index()) {
            const int count = index->PageCount();
            EXPECT_GE(count, seen);
            seen = count;
            if (count > 0 && !index->Complete()) {
                sawPartial = true;
                EXPECT_EQ(index->Page(count).lines, LayoutPage(text, setup->widths, setup->geometry, index->PageStart(count)).lines);
            }
        }
        std::this_thread::sleep_for(1ms);
    }
    const auto index = indexer.Index();
    ASSERT_TRUE(index);
    EXPECT_TRUE(index->Complete());
    EXPECT_EQ(index->PageCount(), static_cast<int>(WalkedPages(*setup).size()));
    EXPECT_TRUE(sawPartial);
    EXPECT_GE(told.load(), 2);  // the first page, and the end
}

TEST(PageIndexer, ANewBuildCancelsTheOneUnderWayAndFailuresAreKept)
{
    std::mutex mutex;
    std::set<std::uint64_t> told;
    PageIndexer indexer([&](std::uint64_t generation) {
        const std::lock_guard lock(mutex);
        told.insert(generation);
    });
    std::atomic<bool> firstStopped{false};
    std::atomic<bool> firstReturned{false};
    // The first text takes as long as it is let to: it is prepared until it is cancelled.
    const std::uint64_t first = indexer.Start([&](std::stop_token stop) {
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (!stop.stop_requested() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
        firstStopped = stop.stop_requested();
        firstReturned = true;
        return *Setups()[0];
    });
    EXPECT_TRUE(indexer.Busy());
    EXPECT_FALSE(indexer.Index());

    const auto before = std::chrono::steady_clock::now();
    const std::uint64_t second = indexer.Start([](std::stop_token) { return *Setups()[1]; });
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);  // no waiting for the old build
    EXPECT_EQ(second, first + 1);
    EXPECT_EQ(indexer.Generation(), second);
    AwaitIdle(indexer);
    const auto index = indexer.Index();
    ASSERT_TRUE(index);
    EXPECT_EQ(index->Setup().text, Setups()[1]->text);
    EXPECT_TRUE(index->Complete());
    EXPECT_FALSE(indexer.Failure());

    // A text that cannot be prepared is the build's failure, told like its pages would be.
    const std::uint64_t third = indexer.Start([](std::stop_token) -> PageSetup { throw std::runtime_error("unreadable"); });
    AwaitIdle(indexer);
    EXPECT_FALSE(indexer.Index());
    EXPECT_EQ(indexer.Failure().value_or(""), "unreadable");

    indexer.Start([](std::stop_token) { return *Setups()[0]; });
    indexer.Cancel();
    EXPECT_FALSE(indexer.Index());
    EXPECT_FALSE(indexer.Busy());
    {
        const std::lock_guard lock(mutex);
        EXPECT_EQ(told.count(first), 0u);  // a cancelled build is never told of
        EXPECT_EQ(told.count(second), 1u);
        EXPECT_EQ(told.count(third), 1u);
    }
    // The cancelled build is not waited for: it stops at its next look, however late its thread runs.
    for (const auto until = std::chrono::steady_clock::now() + 10s; !firstReturned && std::chrono::steady_clock::now() < until;)
        std::this_thread::sleep_for(1ms);
    EXPECT_TRUE(firstStopped);
}

TEST(BookPreviewModel, MovesThroughTheBookAndStartsEachTextAtItsFirstPage)
{
    BookPreviewModel model;
    EXPECT_EQ(model.Page(), 0);
    EXPECT_EQ(model.StatusText(), QString());
    EXPECT_FALSE(model.Next());
    EXPECT_FALSE(model.Layout());

    const auto book = BuiltIndex(Setups()[0]);
    const int count = book->PageCount();
    model.ShowText(book);
    EXPECT_EQ(model.Page(), 1);
    EXPECT_FALSE(model.CanGoBack());
    EXPECT_FALSE(model.Previous());
    EXPECT_TRUE(model.Next());
    EXPECT_TRUE(model.Next());
    EXPECT_EQ(model.Page(), 3);
    EXPECT_EQ(model.Layout()->lines, book->Page(3).lines);
    EXPECT_EQ(model.StatusText(), QStringLiteral("Страница 3 из %1 · %2 %").arg(count).arg(book->Percent(3)));
    EXPECT_TRUE(model.End());
    EXPECT_EQ(model.Page(), count);
    EXPECT_FALSE(model.CanGoForward());
    EXPECT_FALSE(model.Next());
    EXPECT_EQ(model.Percent(), 100);
    EXPECT_TRUE(model.Previous());
    EXPECT_EQ(model.Page(), count - 1);
    EXPECT_TRUE(model.Home());
    EXPECT_FALSE(model.Home());
    EXPECT_TRUE(model.GoToPage(count + 50));
    EXPECT_EQ(model.Page(), count);
    EXPECT_TRUE(model.GoToPercent(50));
    EXPECT_EQ(model.Page(), book->PageForPercent(50));
    EXPECT_GE(model.Percent(), 50);

    // Another text opens at its first page, whatever page the last one was on.
    model.ShowText(BuiltIndex(Setups()[1]));
    EXPECT_EQ(model.Page(), 1);
    EXPECT_EQ(model.Layout()->lines, BuiltIndex(Setups()[1])->Page(1).lines);

    // The same text laid out anew stays at the same share of it.
    model.ShowText(book);
    model.GoToPercent(60);
    const auto narrower = BuiltIndex(MakeSetup(book->Setup().text, FixedWidths(8), PageGeometry{128, 160, 12, true, 1}));
    model.Relayout(narrower);
    const std::int64_t share = (narrower->PageStart(model.Page()) - 1) * 100 / static_cast<std::int64_t>(book->Setup().text.size());
    EXPECT_NEAR(static_cast<double>(share), 57.0, 5.0);

    // While pages are still counted the count is marked as unfinished; before any, a notice.
    auto growing = std::make_shared<PageIndex>(Setups()[0]);
    model.ShowText(growing);
    EXPECT_EQ(model.Page(), 0);
    EXPECT_EQ(model.StatusText(), QStringLiteral("Страницы считаются…"));
    std::stop_source stop;
    growing->Build(stop.get_token(), [&](int number, const PageLayout&) {
        if (number == 4) stop.request_stop();
    });
    EXPECT_TRUE(model.End());
    EXPECT_EQ(model.StatusText(), QStringLiteral("Страница 4 из 4… · %1 %").arg(growing->Percent(4)));
}

} // namespace lumira
