// The book's contents beside the preview: its titles, found off the window's thread whenever the
// preview's text changes; a click shows the page a title begins, and paging marks the chapter read.
#include "app/main_window.h"

#include "platform/application.h"
#include "platform/cp1251.h"

#include <QListWidget>
#include <QScreen>
#include <QToolButton>
#include <QWindow>
#include <algorithm>
#include <limits>

namespace lumira {

namespace {

constexpr int kContentsWidth = 180;
constexpr int kLeastContentsHeight = 64;
constexpr int kContentsGap = 7;  // between the preview's column and the list

} // namespace

void MainWindow::CreateContentsList()
{
    contentsList = new QListWidget(client_);
    contentsList->setObjectName(QStringLiteral("contentsList"));
    contentsList->setFixedWidth(kContentsWidth);
    contentsList->setMinimumHeight(kLeastContentsHeight);
    contentsList->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
    contentsList->setSelectionMode(QAbstractItemView::SingleSelection);
    contentsList->setToolTip(tr("Содержание книги: щелчок показывает страницу заголовка"));
    contentsList->hide();
    contentsToggle = new QToolButton(client_);
    contentsToggle->setObjectName(QStringLiteral("contentsToggle"));
    contentsToggle->setText(tr("Содержание"));
    contentsToggle->setCheckable(true);
    contentsToggle->setChecked(Book.contentsShown);
    contentsToggle->setToolTip(tr("Показать или скрыть содержание книги"));
    contentsToggle->hide();
    connect(contentsList, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { Guarded([&] { ShowContentsEntry(contentsList->row(item)); })(); });
    connect(contentsList, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { Guarded([&] { ShowContentsEntry(contentsList->row(item)); })(); });
    connect(contentsToggle, &QToolButton::toggled, this, [this](bool shown) {
        Book.contentsShown = shown;
        ShowContentsList(shown && !contents_.empty());
    });
}

void MainWindow::ShowContentsList(bool shown)
{
    if (shown == !contentsList->isHidden()) return;
    contentsList->setVisible(shown);
    if (isMaximized() || isFullScreen() || !isVisible() || !screen()) return;
    // The window widens by the list's room, as far as the screen allows, and narrows again.
    const int change = (kContentsWidth + kContentsGap) * (shown ? 1 : -1);
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const int room = screen()->availableGeometry().width() - frame.left() - frame.right();
    resize(std::clamp(width() + change, 1, std::max(1, room)), height());
    FitOnScreen();
}

void MainWindow::RefreshContents()
{
    const std::shared_ptr<const PageIndex>& index = PreviewPages.Index();
    if (!index) return;
    std::shared_ptr<const PageSetup> setup = index->SharedSetup();
    // The same text laid out anew keeps its titles; only their pages move.
    if (contentsSource_ && (contentsSource_ == setup || contentsSource_->text == setup->text)) {
        contentsSource_ = std::move(setup);
        MarkCurrentChapter();
        return;
    }
    contentsSource_ = setup;
    const std::uint64_t generation = ++contentsGeneration_;
    // The old titles go at once; the list keeps its place until the new ones are known.
    contents_.clear();
    contentsList->clear();
    // Found on a thread of its own; the window takes them when they are still for its text (the
    // future is waited for before the window goes).
    if (contentsFinding_.valid()) contentsFinding_.wait();
    contentsFinding_ = std::async(std::launch::async, [this, setup = std::move(setup), generation] {
        std::vector<ContentsEntry> entries;
        try {
            entries = ContentsOf(setup->text, setup->outline.given ? &setup->outline : nullptr);
        } catch (...) {
            // A text whose contents cannot be found is shown without them.
        }
        QMetaObject::invokeMethod(
            this,
            [this, generation, entries = std::move(entries)]() mutable {
                if (generation == contentsGeneration_) ShowContents(std::move(entries));
            },
            Qt::QueuedConnection);
    });
}

void MainWindow::ShowContents(std::vector<ContentsEntry> entries)
{
    contents_ = std::move(entries);
    contentsList->clear();
    for (const ContentsEntry& entry : contents_)
        contentsList->addItem(QString(2 * entry.level, QLatin1Char(' ')) + Cp1251ToQString(entry.title));
    contentsToggle->setVisible(!contents_.empty());
    // The list shows as the button says.
    ShowContentsList(!contents_.empty() && Book.contentsShown);
    MarkCurrentChapter();
}

void MainWindow::MarkCurrentChapter()
{
    const std::shared_ptr<const PageIndex>& index = PreviewPages.Index();
    const int page = PreviewPages.Page();
    if (contents_.empty() || !index || page < 1) return;
    // The chapter read is the last whose title begins before the next page does.
    const std::int64_t nextStart =
        page < index->PageCount() ? index->PageStart(page + 1) : std::numeric_limits<std::int64_t>::max();
    int current = -1;
    for (std::size_t i = 0; i < contents_.size() && static_cast<std::int64_t>(contents_[i].position) + 1 < nextStart; ++i)
        current = static_cast<int>(i);
    if (current == contentsList->currentRow()) return;
    const QSignalBlocker quiet(contentsList);
    if (current < 0) contentsList->clearSelection();
    contentsList->setCurrentRow(current);
    if (current >= 0) contentsList->scrollToItem(contentsList->item(current));
}

void MainWindow::ShowContentsEntry(int row)
{
    const std::shared_ptr<const PageIndex>& index = PreviewPages.Index();
    if (row < 0 || static_cast<std::size_t>(row) >= contents_.size() || !index) return;
    // The page holding the title's first character (the index counts from 1), as the command
    // line's contents gives it.
    const int page = std::max(1, index->PageAt(static_cast<std::int64_t>(contents_[static_cast<std::size_t>(row)].position) + 1));
    if (!DrawIndexedPage()) return;
    PreviewPages.GoToPage(page);
    DrawIndexedPage();
    UpdatePageStatus();
}

} // namespace lumira
