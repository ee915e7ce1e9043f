// The preview's place in the book.
#include "preview/book_preview_model.h"

#include <QCoreApplication>
#include <algorithm>

namespace lumira {

void BookPreviewModel::ShowText(std::shared_ptr<const PageIndex> index)
{
    index_ = std::move(index);
    position_ = 1;
}

void BookPreviewModel::Relayout(std::shared_ptr<const PageIndex> index)
{
    if (index_ && index && !index_->Setup().text.empty()) {
        // The same share of the text: dictionary hyphens make the two texts' lengths differ.
        const auto oldLength = static_cast<std::int64_t>(index_->Setup().text.size());
        const auto newLength = static_cast<std::int64_t>(index->Setup().text.size());
        position_ = 1 + (std::max<std::int64_t>(position_, 1) - 1) * newLength / oldLength;
    } else {
        position_ = 1;
    }
    index_ = std::move(index);
}

int BookPreviewModel::Page() const
{
    return index_ ? index_->PageAt(position_) : 0;
}

int BookPreviewModel::PageCount() const
{
    return index_ ? index_->PageCount() : 0;
}

bool BookPreviewModel::Complete() const
{
    return index_ && index_->Complete();
}

int BookPreviewModel::Percent() const
{
    const int page = Page();
    return page > 0 ? index_->Percent(page) : 0;
}

std::optional<PageLayout> BookPreviewModel::Layout() const
{
    const int page = Page();
    if (page == 0) return std::nullopt;
    return index_->Page(page);
}

bool BookPreviewModel::CanGoBack() const
{
    return Page() > 1;
}

bool BookPreviewModel::CanGoForward() const
{
    const int page = Page();
    return page > 0 && page < PageCount();
}

bool BookPreviewModel::MoveTo(int page)
{
    const int count = PageCount();
    if (count == 0) return false;
    const int before = Page();
    page = std::clamp(page, 1, count);
    position_ = index_->PageStart(page);
    return page != before;
}

bool BookPreviewModel::GoToPage(int page)
{
    return MoveTo(page);
}

bool BookPreviewModel::GoToPercent(int percent)
{
    return index_ && MoveTo(index_->PageForPercent(percent));
}

bool BookPreviewModel::Home()
{
    return MoveTo(1);
}

bool BookPreviewModel::End()
{
    return MoveTo(PageCount());
}

bool BookPreviewModel::Next()
{
    return CanGoForward() && MoveTo(Page() + 1);
}

bool BookPreviewModel::Previous()
{
    return CanGoBack() && MoveTo(Page() - 1);
}

QString BookPreviewModel::StatusText() const
{
    if (!index_) return {};
    const int page = Page();
    if (page == 0) return QCoreApplication::translate("BookPreviewModel", "Страницы считаются…");
    const QString format = Complete() ? QCoreApplication::translate("BookPreviewModel", "Страница %1 из %2 · %3 %")
                                      : QCoreApplication::translate("BookPreviewModel", "Страница %1 из %2… · %3 %");
    return format.arg(page).arg(PageCount()).arg(Percent());
}

} // namespace lumira
