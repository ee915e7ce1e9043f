#pragma once
// The pages of a whole text, held as positions only: where each page begins and where the last
// one ends. A page is laid out again from its start whenever it is shown, so the index stays
// small (four bytes a page) however long the book is.
//
// Pages are walked from position 1 as the "next page" button walks them: each page begins where
// the one before it ended, and the walk stops at the first page after which the button goes off
// (or which reads nothing). Page N of the index is therefore page N of the command line's page
// dump and of the phone.
//
// The index is filled by one thread (Build) and read by any number of others while it grows:
// every reading function answers for the pages laid out so far.
#include "formats/book_outline.h"
#include "preview/page_layout.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <shared_mutex>
#include <stop_token>
#include <string>
#include <vector>

namespace lumira {

// What laying out a text's pages needs: the text as the layout reads it (every line followed by
// CR LF), the book font's widths (CharWidthTable::ForLayout) and the screen; with them the
// book's own contents (none for a plain text), lines of the text, so that whatever shows the
// pages lists the same titles.
struct PageSetup {
    std::string text;
    CharWidthTable widths;
    PageGeometry geometry;
    BookOutline outline;
};

class PageIndex {
public:
    explicit PageIndex(std::shared_ptr<const PageSetup> setup);

    const PageSetup& Setup() const { return *setup_; }
    const std::shared_ptr<const PageSetup>& SharedSetup() const { return setup_; }

    // Walks the pages from the first, recording each as soon as it is laid out. `visit`, when
    // given, gets every page with its 1-based number as it is recorded (the page dump prints
    // them); it runs on the building thread and may throw to end the walk. A stop request ends
    // the walk between two pages, leaving the index incomplete. Called once, by one thread.
    // A text too long for 32-bit positions is refused with an error.
    void Build(std::stop_token stop, const std::function<void(int number, const PageLayout& page)>& visit = {});

    // Pages laid out so far: 0 before the first one, the book's page count once Complete().
    int PageCount() const;
    // The walk reached the book's last page.
    bool Complete() const;
    // How far the walk has come through the text, 0..100 (100 once complete).
    int Progress() const;

    // The 1-based text position page `page` (1..PageCount()) begins at; std::out_of_range for
    // any other page.
    std::int32_t PageStart(int page) const;
    // Page `page` (1..PageCount()) laid out; std::out_of_range for any other page.
    PageLayout Page(int page) const;
    // The share of the text read at the end of page `page` (1..PageCount()), 0..100 rounded down;
    // the last page of a complete index reads 100. std::out_of_range for any other page.
    int Percent(int page) const;
    // The first page whose Percent is at least `percent` (clamped to 0..100); the last page laid
    // out so far when none is yet. 0 when no page is laid out.
    int PageForPercent(int percent) const;
    // The page holding 1-based text position `position` (of Setup().text): the last page that
    // begins at or before it. A position before the text gives page 1, one past the pages laid
    // out so far the last of them. 0 when no page is laid out.
    // Setup().text is the book's text with every line followed by CR LF; with dictionary
    // hyphenation it also holds the soft hyphens put in, so a position counted in the text
    // without them moves on by the soft hyphens before it.
    int PageAt(std::int64_t position) const;

private:
    int PercentOfEnd(std::int64_t end) const;

    std::shared_ptr<const PageSetup> setup_;
    mutable std::shared_mutex mutex_;
    // bounds_[i] is where page i + 1 begins; the last entry is where the last page laid out ends
    // (so PageCount() == bounds_.size() - 1 once a page is laid out).
    std::vector<std::int32_t> bounds_;
    bool complete_ = false;
};

} // namespace lumira
