#pragma once
// What the preview shows of the book being made: the current page of the text's page index, the
// ways to move through it (a page, a percentage, first, last, next, previous) and the line
// under the preview. Plain C++; the window holds one, hands it each new index as the page
// indexer makes it, and draws Layout().
//
// The current page is kept as the text position it begins at, so it stays put while the index
// grows and is found again in an index made with other settings.
#include "preview/page_index.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

namespace lumira {

class BookPreviewModel {
public:
    // A new text: shown from its first page. An empty index shows nothing.
    void ShowText(std::shared_ptr<const PageIndex> index);
    // The same text laid out anew (another font, profile, cut, band or hyphenation): the page
    // holding the same share of the text becomes current, as soon as the index reaches it.
    void Relayout(std::shared_ptr<const PageIndex> index);

    const std::shared_ptr<const PageIndex>& Index() const { return index_; }

    // The current page, 1-based; 0 while no page is laid out.
    int Page() const;
    // Pages laid out so far (the whole book's once Complete()).
    int PageCount() const;
    bool Complete() const;
    // The current page's share of the text (PageIndex::Percent); 0 while no page is laid out.
    int Percent() const;
    // The current page laid out; none while no page is.
    std::optional<PageLayout> Layout() const;

    bool CanGoBack() const;
    bool CanGoForward() const;

    // Each move returns whether the current page changed. Pages past those laid out so far end
    // at the last one laid out.
    bool GoToPage(int page);        // clamped to the pages there are
    bool GoToPercent(int percent);  // the first page reaching that share of the text
    bool Home();
    bool End();
    bool Next();
    bool Previous();

    // "Страница N из M · P %" (M followed by "…" while pages are still being counted); a notice
    // while no page is laid out yet, empty without a text.
    QString StatusText() const;

private:
    bool MoveTo(int page);

    std::shared_ptr<const PageIndex> index_;
    std::int64_t position_ = 1;  // where the current page begins
};

} // namespace lumira
