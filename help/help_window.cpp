// The help window and the update check.
#include "help/help_window.h"

#include "font/book_qfont.h"
#include "help/help_text.h"
#include "help/html_label.h"
#include "platform/background_work.h"
#include "platform/cp1251.h"
#include "platform/desktop.h"
#include "platform/book_font_style.h"

#include <QEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace lumira {

namespace {

constexpr int kWidth = 411;
constexpr int kHeight = 306;

// A scroll box whose content is as wide as the box and scrolls only vertically.
class WidthFittingScrollArea : public QScrollArea {
public:
    using QScrollArea::QScrollArea;

protected:
    bool viewportEvent(QEvent* event) override
    {
        if (event->type() == QEvent::Resize && widget())
            widget()->resize(viewport()->width(), widget()->heightForWidth(viewport()->width()));
        return QScrollArea::viewportEvent(event);
    }
};

} // namespace

HelpWindow::HelpWindow(const QString& programVersion, QWidget* owner)
    : QDialog(owner), programVersion_(programVersion)
{
    setWindowTitle(tr("Справка"));
    setFont(MakeQFont(BookFontStyle{}));  // Tahoma, 8 points
    setSizeGripEnabled(false);       // the status bar carries the grip
    setMinimumSize(kWidth, kHeight);
    resize(kWidth, kHeight);

    http.accept = "text/html, */*";
    http.userAgent = "Velmar";

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    pages = new QTabWidget(this);
    pages->setDocumentMode(true);
    layout->addWidget(pages, 1);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::Base, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    // A white, borderless box that scrolls a label of `lines` vertically.
    const auto page = [&](const QStringList& lines, QScrollArea*& box, HtmlLabel*& label) {
        box = new WidthFittingScrollArea;
        box->setFrameShape(QFrame::NoFrame);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        box->setAlignment(Qt::AlignTop | Qt::AlignLeft);
        box->setWidgetResizable(false);
        box->viewport()->setPalette(white);
        box->viewport()->setBackgroundRole(QPalette::Base);
        box->viewport()->setAutoFillBackground(true);
        label = new HtmlLabel;
        label->setPalette(white);
        label->SetLines(lines);
        box->setWidget(label);
        box->verticalScrollBar()->setSingleStep(label->fontMetrics().height());
    };
    page(HowToText(), how_to_box, how_to);
    page(StoredHelpText(), scroll_box, help_text);
    pages->addTab(how_to_box, tr("Как пользоваться"));
    pages->addTab(scroll_box, tr("О программе"));
    connect(help_text, &HtmlLabel::AnchorClick, this,
            [this](const QString& anchor) { help_textAnchorClick(help_text, anchor); });

    status_bar = new QStatusBar(this);
    status_bar->setSizeGripEnabled(true);
    layout->addWidget(status_bar);
}

HelpWindow::~HelpWindow() = default;

void HelpWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (placed_ || !parentWidget()) return;
    placed_ = true;
    QRect frame = frameGeometry();
    frame.moveCenter(parentWidget()->window()->frameGeometry().center());
    move(frame.topLeft());
}

void HelpWindow::help_textAnchorClick(QObject*, const QString& anchor)
{
    if (anchor != QLatin1String("get_updates") || checking_) return;
    std::string received;
    bool fetched = false;
    {
        // The request goes on a thread of its own; the windows meanwhile repaint and take input.
        BusyCursor hourglass;
        checking_ = true;
        try {
            RunWhileEventsTurn([&] { received = http.Get(VersionAddress(updateServer)); });
            fetched = true;
        } catch (...) {
            // Whatever went wrong, the user learns only that the check failed.
        }
        checking_ = false;
    }
    if (!fetched) {
        TheDesktop().ShowMessage(this, tr("Не удалось выполнить проверку"));
        return;
    }
    help_text->SetText(UpdateResultText(received, QStringToCp1251(programVersion_), updateServer));
}

} // namespace lumira
