// The preview's pages of the whole book: the page index built off the window's thread, the
// current page drawn from it, the line under the preview and the field that goes to a place.
#include "app/main_window.h"

#include "font/qt_colors.h"
#include "platform/application.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "preview/page_indexer.h"
#include "preview/page_painter.h"
#include "settings/settings_file.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
#include <QBoxLayout>
#include <QToolButton>
#include <algorithm>

namespace lumira {

MainWindow::PreviewSource MainWindow::CurrentPreviewSource()
{
    PreviewSource source;
    source.path = e_text->text();
    source.encoding = Book.encoding;
    if (source.path.isEmpty()) source.sample = JoinLines(PreviewText);
    source.choices.font = Book.font;
    source.choices.screen = i_scrBitmap.size();
    source.choices.lineHeight = FontStrip.isNull() ? 0 : FontStrip.height();
    source.choices.bandIndex = BandIndex(Book.band);
    source.choices.showSysline = ShowSysline;
    source.choices.dictionaryHyphens = DictionaryHyphens();
    if (source.choices.dictionaryHyphens) source.choices.hyphenationFolders = HyphenationFolders(Folders);
    return source;
}

void MainWindow::RefreshPageIndex()
{
    PreviewSource source = CurrentPreviewSource();
    if (indexedSource_ && *indexedSource_ == source) return;
    if (!indexedSource_ || indexedSource_->path != source.path || indexedSource_->sample != source.sample)
        newTextDue_ = true;
    if (!pageIndexer_) {
        pageIndexer_ = std::make_unique<PageIndexer>([this](std::uint64_t generation) {
            // From the worker: the news is taken on the window's thread, or not at all once the
            // window has gone.
            QMetaObject::invokeMethod(this, [this, generation] { TakePageIndexNews(generation); }, Qt::QueuedConnection);
        });
    }
    indexedSource_ = source;
    pageIndexer_->Start([source = std::move(source)](std::stop_token) {
        std::string language;
        BookOutline outline;
        std::string text = source.sample;
        if (!source.path.isEmpty())
            text = ReadLayoutText(TextFile(ToFsPath(source.path)), source.encoding, &language, nullptr, nullptr, &outline);
        return MakePageSetup(std::move(text), source.choices, language, std::move(outline));
    });
    UpdatePageStatus();
}

void MainWindow::TakePageIndexNews(std::uint64_t generation)
{
    if (!pageIndexer_ || generation != pageIndexer_->Generation()) return;  // a build given up since
    if (std::shared_ptr<const PageIndex> index = pageIndexer_->Index(); index && index != PreviewPages.Index()) {
        if (newTextDue_ || !PreviewPages.Index()) PreviewPages.ShowText(std::move(index));
        else PreviewPages.Relayout(std::move(index));
        newTextDue_ = false;
        RefreshContents();
    }
    DrawIndexedPage();
    UpdatePageStatus();
}

bool MainWindow::PageIndexBusy() const
{
    return pageIndexer_ && pageIndexer_->Busy();
}

bool MainWindow::DrawIndexedPage()
{
    if (!pageIndexer_ || !PreviewPages.Index() || PreviewPages.Index() != pageIndexer_->Index()) return false;
    const std::optional<PageLayout> page = PreviewPages.Layout();
    if (!page) return false;
    const QColor background = ColorValueToQColor(Book.background);
    i_scrBitmap.fill(background);
    if (page->bandY) PaintSysline(i_scrBitmap, *page->bandY, LoadSyslinePicture(Folders.DataFile("iface.dat")));
    PaintLines(i_scrBitmap, *page, FontStrip, GlyphTable, background);
    ShowPreviewImage();
    LinesPerPage = page->linesPerPage;
    NextPageStart = page->nextPageStart;
    Book.pageStart = PreviewPages.Index()->PageStart(PreviewPages.Page());
    b_p_up->setEnabled(PreviewPages.CanGoBack());
    b_p_down->setEnabled(PreviewPages.CanGoForward());
    MarkCurrentChapter();
    return true;
}

void MainWindow::UpdatePageStatus()
{
    if (!pageStatus) return;
    QString text;
    if (pageIndexer_) {
        if (const std::optional<std::string> failure = pageIndexer_->Failure())
            text = tr("Страницы не считаются: %1").arg(QString::fromStdString(*failure));
        else if (PreviewPages.Index() && PreviewPages.Index() == pageIndexer_->Index())
            text = PreviewPages.StatusText();
        else
            text = QCoreApplication::translate("BookPreviewModel", "Страницы считаются…");
    }
    pageStatus->setText(text);
    pageStatus->setToolTip(text);
}

bool MainWindow::GoToPreviewPlace(const QString& wanted)
{
    if (!DrawIndexedPage()) return false;
    QString place = wanted.simplified();
    const bool percent = place.endsWith(QLatin1Char('%'));
    if (percent) place = place.chopped(1).trimmed();
    bool number = false;
    const int value = place.toInt(&number);
    if (!number || value < 0 || (percent && value > 100)) return false;
    if (percent) PreviewPages.GoToPercent(value);
    else PreviewPages.GoToPage(value);
    DrawIndexedPage();
    UpdatePageStatus();
    return true;
}

void MainWindow::CreatePagePlaceControls(QHBoxLayout& row)
{
    constexpr int kRowHeight = 18;
    // Room for "Страница 12345 из 12345… · 100 %" however narrow the phone: the row reaches left
    // of the preview's column, below the window's own buttons.
    constexpr int kStatusWidth = 210;
    constexpr int kInputWidth = 56;
    zoomChoice = new ListField(client_);
    zoomChoice->setObjectName(QStringLiteral("zoomChoice"));
    zoomChoice->ReplaceItems({QStringLiteral("1×"), QStringLiteral("2×"), QStringLiteral("3×"), tr("по размеру окна")});
    zoomChoice->setFixedHeight(kRowHeight + 2);
    zoomChoice->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    // Each entry tells the keys (the list itself is as narrow as its entries).
    for (int i = 0; i < zoomChoice->count(); ++i)
        zoomChoice->setItemData(i, tr("Масштаб предпросмотра: крупнее Ctrl++, мельче Ctrl+-, 1× Ctrl+0"), Qt::ToolTipRole);
    zoomChoice->SetItemIndex(Book.previewZoom == kFitPreviewZoom ? kMaxPreviewZoom : Book.previewZoom - 1);
    connect(zoomChoice, &ListField::itemIndexChanged, this, Guarded([this] {
                const int index = zoomChoice->ItemIndex();
                if (index >= 0) SetPreviewZoom(index == kMaxPreviewZoom ? kFitPreviewZoom : index + 1);
            }));
    pageStatus = new QLabel(client_);
    pageStatus->setObjectName(QStringLiteral("pageStatus"));
    pageStatus->setFixedSize(kStatusWidth, kRowHeight);
    pageStatus->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    pageInput = new QLineEdit(client_);
    pageInput->setObjectName(QStringLiteral("pageInput"));
    pageInput->setFixedSize(kInputWidth, kRowHeight);
    pageInput->setPlaceholderText(tr("стр. / %"));
    pageInput->setToolTip(tr("Перейти к странице (номер) или к месту текста (число со знаком %), Enter (Ctrl+G)"));
    pageStatus->setBuddy(pageInput);
    row.addWidget(contentsToggle);
    row.addWidget(zoomChoice);
    row.addWidget(pageInput);
    row.addWidget(pageStatus);
    connect(pageInput, &QLineEdit::returnPressed, this, Guarded([this] {
                if (GoToPreviewPlace(pageInput->text())) {
                    pageInput->clear();
                    return;
                }
                pageInput->selectAll();
                // Until the next move the line says what the field takes.
                pageStatus->setText(PreviewPages.Index() ? tr("Номер страницы или процент: 120, 45 %")
                                                         : QCoreApplication::translate("BookPreviewModel", "Страницы считаются…"));
                pageStatus->setToolTip(pageStatus->text());
            }));
    auto* go = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_G), this);
    connect(go, &QShortcut::activated, this, [this] {
        pageInput->setFocus(Qt::ShortcutFocusReason);
        pageInput->selectAll();
    });
    // The zoom's keys, wherever the focus is: a step larger, a step smaller (from the step shown,
    // also when it fits the window), back to 1×.
    const auto zoomKey = [this](const QList<QKeySequence>& keys, auto step) {
        for (const QKeySequence& k : keys) {
            auto* s = new QShortcut(k, this);
            connect(s, &QShortcut::activated, this, Guarded([this, step] { SetPreviewZoom(step(PreviewZoomStep())); }));
        }
    };
    zoomKey({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)},
            [](int shown) { return std::min(shown + 1, kMaxPreviewZoom); });
    zoomKey({QKeySequence(Qt::CTRL | Qt::Key_Minus)}, [](int shown) { return std::clamp(shown - 1, 1, kMaxPreviewZoom); });
    zoomKey({QKeySequence(Qt::CTRL | Qt::Key_0)}, [](int) { return 1; });
}

} // namespace lumira
