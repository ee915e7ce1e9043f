// The preview: one page of the book as the phone shows it, and its paging.
#include "app/main_window.h"

#include "font/book_qfont.h"
#include "font/font_strip.h"
#include "font/qt_colors.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/line_list.h"
#include "formats/hyphenator.h"
#include "preview/page_layout.h"
#include "preview/page_painter.h"
#include "settings/settings_file.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QThreadPool>
#include <algorithm>
#include <future>
#include <memory>
#include <optional>

namespace lumira {

namespace {

// The band's picture beside the program.
const char* const kSyslinePicture = "iface.dat";

// Character widths of a font: the layout's CharWidth (the glyph strip's cell widths, 0 for
// control characters) and the direct measure of the backward page estimate. The second lays the
// control characters out as text, which sets up the text shaper for the face: it is measured
// only when a page is first stepped back from, not for the first paint.
struct FontWidths {
    BookFontStyle font;
    CharWidthTable layout;
    std::optional<CharWidthTable> measured;
};

FontWidths LayoutWidths(const BookFontStyle& font)
{
    const std::array<int, 256> advances = GlyphAdvances(MakeQFont(font));
    return FontWidths{font, CharWidthTable::ForLayout([&](unsigned char c) { return advances[c]; }), std::nullopt};
}

CharWidthTable MeasuredWidths(const BookFontStyle& font)
{
    const QFont qfont = MakeQFont(font);
    const QFontMetrics metrics(qfont);
    const std::array<int, 256> advances = GlyphAdvances(qfont);
    return CharWidthTable::Measured([&](unsigned char c) {
        if (c >= kFirstStripCode) return advances[c];
        if (c == 0) return 0;
        return metrics.horizontalAdvance(QString(QChar(static_cast<char16_t>(c))));
    });
}

// What the preview keeps between paints so that paging does not measure the font's characters
// again: the widths of the last font. It lives as a child of the window and goes with it.
class PreviewCaches : public QObject {
public:
    using QObject::QObject;

    const FontWidths& WidthsOf(const BookFontStyle& font) { return Widths(font); }

    const CharWidthTable& MeasuredOf(const BookFontStyle& font)
    {
        FontWidths& widths = Widths(font);
        if (!widths.measured) widths.measured = MeasuredWidths(font);
        return *widths.measured;
    }

    // The preview text as laid out: with soft hyphens when `hyphenator` is given. Made again only
    // when the text or the way of splitting (the dictionaries, by the book's language) changed.
    const std::string& LayoutTextOf(const LineList& lines, Hyphenator* hyphenator)
    {
        std::string joined = JoinLines(lines);
        const std::optional<std::string> dictionary =
            hyphenator ? std::optional<std::string>(hyphenator->DictionaryNames()) : std::nullopt;
        if (joined != source_ || dictionary != dictionary_ || !laidOut_) {
            std::string text;
            if (dictionary) hyphenator->Hyphenate(joined, text);
            else text = joined;
            source_ = std::move(joined);
            dictionary_ = dictionary;
            laidOut_ = std::move(text);
        }
        return *laidOut_;
    }

private:
    FontWidths& Widths(const BookFontStyle& font)
    {
        if (!widths_ || !(widths_->font == font)) widths_ = LayoutWidths(font);
        return *widths_;
    }

    std::optional<FontWidths> widths_;
    std::string source_;
    std::optional<std::string> dictionary_;  // the dictionaries the text was split by, if any
    std::optional<std::string> laidOut_;
};

PreviewCaches& CachesOf(MainWindow& form)
{
    const QString name = QStringLiteral("previewCaches");
    if (QObject* found = form.findChild<QObject*>(name, Qt::FindDirectChildrenOnly))
        return *static_cast<PreviewCaches*>(found);
    auto* caches = new PreviewCaches(&form);
    caches->setObjectName(name);
    return *caches;
}

// Shows the drawing surface in the image control when the paint ends, however it ends.
class ShowWhenDone {
public:
    explicit ShowWhenDone(MainWindow& form) : form_(form) {}
    ~ShowWhenDone() { form_.ShowPreviewImage(); }
    ShowWhenDone(const ShowWhenDone&) = delete;
    ShowWhenDone& operator=(const ShowWhenDone&) = delete;

private:
    MainWindow& form_;
};

} // namespace

void MainWindow::StartPictureDrawing()
{
    // Reading the band's picture the first time loads the image readers, which takes longer than
    // the picture itself: done once after the window's pictures, the first preview finds them
    // loaded. Its result is dropped; the preview reads the file itself. On a thread of Qt's own
    // pool: painting there, Qt starts no further threads to share its shading with.
    auto pictures = std::make_shared<std::promise<WindowPictures>>();
    const bool started = QThreadPool::globalInstance()->tryStart([pictures, path = Folders.DataFile(kSyslinePicture)] {
        try {
            pictures->set_value(DrawWindowPictures());
        } catch (...) {
            pictures->set_exception(std::current_exception());
        }
        try {
            LoadSyslinePicture(path);
        } catch (...) {
            // The preview reports it.
        }
    });
    // Without a thread to spare the pictures are drawn as the controls are made, the image readers
    // loaded by the first preview.
    if (started) windowPictures_ = pictures->get_future();
}

void MainWindow::RenderPreview()
{
    if (startingUp_) return;  // drawn once construction ends
    // The page of the whole book's index when it is laid out for these settings; until then the
    // beginning of the text read at once.
    RefreshPageIndex();
    if (DrawIndexedPage()) {
        UpdatePageStatus();
        return;
    }
    const ShowWhenDone show(*this);
    const QColor background = ColorValueToQColor(Book.background);
    i_scrBitmap.fill(background);

    PreviewCaches& caches = CachesOf(*this);
    const FontWidths& widths = caches.WidthsOf(Book.font);
    PageGeometry geometry;
    geometry.width = i_scrBitmap.width();
    geometry.height = i_scrBitmap.height();
    geometry.lineHeight = FontStrip.isNull() ? 0 : FontStrip.height();
    geometry.showSysline = ShowSysline;
    geometry.syslineIndex = BandIndex(Book.band);
    geometry.hyphenation = DictionaryHyphens() ? Hyphenation::SoftHyphens : Hyphenation::Simple;
    const PageLayout page = LayoutPage(PreviewLayoutText(), widths.layout, geometry, Book.pageStart);

    // The band first: without its picture the page keeps only the background, and nothing of the
    // new layout is taken over.
    if (page.bandY) {
        const QImage picture = LoadSyslinePicture(Folders.DataFile(kSyslinePicture));
        PaintSysline(i_scrBitmap, *page.bandY, picture);
    }

    // The lines from the book's own glyph strip.
    PaintLines(i_scrBitmap, page, FontStrip, GlyphTable, background);

    LinesPerPage = page.linesPerPage;
    NextPageStart = page.nextPageStart;
    if (page.downEnabled) b_p_down->setEnabled(*page.downEnabled);
}

int MainWindow::PreviewZoomStep() const
{
    if (Book.previewZoom != kFitPreviewZoom) return std::clamp(Book.previewZoom, 1, kMaxPreviewZoom);
    // The largest whole step at which the page fits its frame; 1 when not even that does (the
    // page then scrolls in its frame).
    constexpr int kLargestFitStep = 8;
    const QSize page = previewSize_.expandedTo(QSize(1, 1));
    const QSize room = previewFrame_->size();
    return std::clamp(std::min(room.width() / page.width(), room.height() / page.height()), 1, kLargestFitStep);
}

void MainWindow::SetPreviewZoom(int zoom)
{
    Book.previewZoom = zoom >= kFitPreviewZoom && zoom <= kMaxPreviewZoom ? zoom : 1;
    if (zoomChoice) zoomChoice->SetItemIndex(Book.previewZoom == kFitPreviewZoom ? kMaxPreviewZoom : Book.previewZoom - 1);
    ShowPreviewImage();
    // A larger step asks for room to show the page whole; "по размеру окна" keeps the window.
    if (Book.previewZoom != kFitPreviewZoom) SizeForPreview();
}

void MainWindow::SizeForPreview()
{
    const int step = Book.previewZoom == kFitPreviewZoom ? 1 : PreviewZoomStep();
    const QSize outer = OuterSizeFor(previewSize_ * step);
    SetOuterSize(outer.width(), outer.height());
}

void MainWindow::ShowPreviewImage()
{
    // Each pixel of the page becomes a square of step × step pixels: no smoothing, so the
    // preview stays as crisp as the phone's screen.
    const int step = PreviewZoomStep();
    i_scr->resize(previewSize_ * step);
    if (step == 1) i_scr->setPixmap(QPixmap::fromImage(i_scrBitmap));
    else i_scr->setPixmap(QPixmap::fromImage(i_scrBitmap.scaled(i_scrBitmap.size() * step, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
}

bool MainWindow::DictionaryHyphens() const
{
    return e_hyphenation->ItemIndex() != 1;
}

const std::string& MainWindow::PreviewLayoutText()
{
    if (!DictionaryHyphens()) return CachesOf(*this).LayoutTextOf(PreviewText, nullptr);
    // The book's language may choose the dictionaries, as it does for the book's pieces.
    const std::string language = ChosenBook ? ChosenBook->language : std::string();
    if (!hyphenator_ || hyphenator_->BookLanguage() != language)
        hyphenator_ = std::make_shared<Hyphenator>(HyphenationFolders(Folders), language);
    return CachesOf(*this).LayoutTextOf(PreviewText, hyphenator_.get());
}

void MainWindow::e_hyphenationPropertiesChange()
{
    // The positions of one layout text mean nothing in the other: the preview starts over.
    Book.pageStart = 1;
    b_p_up->setEnabled(false);
    RenderPreview();
}

void MainWindow::StepBackLines(int n)
{
    const StepBackResult back = lumira::StepBackLines(PreviewLayoutText(), CachesOf(*this).MeasuredOf(Book.font),
                                                i_scrBitmap.width(), Book.pageStart, n);
    Book.pageStart = back.pageStart;
    if (back.downEnabled) b_p_down->setEnabled(*back.downEnabled);
}

bool MainWindow::MoveIndexedPage(bool (BookPreviewModel::*step)())
{
    if (!DrawIndexedPage()) return false;
    (PreviewPages.*step)();
    DrawIndexedPage();
    UpdatePageStatus();
    return true;
}

void MainWindow::b_p_downClick()
{
    if (MoveIndexedPage(&BookPreviewModel::Next)) return;
    Book.pageStart = NextPageStart;
    RenderPreview();
    b_p_up->setEnabled(Book.pageStart > 1);
}

void MainWindow::b_p_upClick()
{
    if (MoveIndexedPage(&BookPreviewModel::Previous)) return;
    StepBackLines(LinesPerPage);
    RenderPreview();
    b_p_up->setEnabled(Book.pageStart > 1);
}

void MainWindow::FirstPage()
{
    if (MoveIndexedPage(&BookPreviewModel::Home)) return;
    Book.pageStart = 1;
    RenderPreview();
    b_p_up->setEnabled(false);
}

void MainWindow::LastPage()
{
    // The whole book's last page, or the last laid out while the pages are still being counted.
    if (MoveIndexedPage(&BookPreviewModel::End)) return;
    // Page by page to the end of the text the preview holds; each step moves on, so the end is
    // reached, and the guard only keeps a fault from hanging the window.
    for (std::size_t guard = 0; b_p_down->isEnabled() && guard <= PreviewLayoutText().size() + 16; ++guard) {
        const std::int32_t before = Book.pageStart;
        b_p_downClick();
        if (Book.pageStart == before) break;
    }
}

void MainWindow::b_p_fireClick()
{
    ShowSysline = !ShowSysline;
    RenderPreview();
}

} // namespace lumira
