// The main window's small control handlers: font and colour choosers, the Create button's
// enabling, sizing to the phone's screen, closing.
#include "app/main_window.h"
#include "font/book_qfont.h"
#include "font/qt_colors.h"

#include "app/create_panel.h"
#include "book/book_volumes.h"
#include "platform/cp1251.h"

#include <QAction>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace lumira {

namespace {

// The label's font at the book's size, or smaller where the text would not fit its box: a large
// size is shown whole, scaled down, rather than cut off.
QFont FittingFont(const QLabel& label, QFont font)
{
    const QRect box = label.contentsRect();
    const auto fits = [&](const QFont& f) {
        const QRect needed = QFontMetrics(f).boundingRect(box, Qt::AlignCenter | Qt::TextWordWrap, label.text());
        return needed.width() <= box.width() && needed.height() <= box.height();
    };
    if (fits(font)) return font;
    int low = 1, high = std::max(1, font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize());
    while (low < high) {  // the largest pixel size that fits
        const int middle = (low + high + 1) / 2;
        font.setPixelSize(middle);
        if (fits(font)) low = middle;
        else high = middle - 1;
    }
    font.setPixelSize(low);
    return font;
}

} // namespace

void MainWindow::UpdateFontLabel()
{
    font_label->setText(QStringLiteral(" ") + Book.font.name + QStringLiteral(", ") + QString::number(Book.font.size));
    font_label->setFont(FittingFont(*font_label, MakeQFont(Book.font)));
    QPalette palette = font_label->palette();
    palette.setColor(QPalette::Window, ColorValueToQColor(Book.background));
    palette.setColor(QPalette::WindowText, ColorValueToQColor(Book.font.color));
    font_label->setPalette(palette);
}

void MainWindow::b_fontClick()
{
    const auto chosen = TheDesktop().ChooseFont(this, font_dialog);
    if (!chosen) return;
    font_dialog = *chosen;
    Book.font = *chosen;
    ClearCreateStatus();
    UpdateFontLabel();
    BuildFontStrip();
}

void MainWindow::b_backClick()
{
    // The chooser opens on the background as it is now.
    ColorDialog1 = Book.background;
    const auto chosen = TheDesktop().ChooseColor(this, ColorDialog1);
    if (!chosen) return;
    ColorDialog1 = *chosen;
    Book.background = *chosen;
    ClearCreateStatus();
    UpdateFontLabel();
    BuildFontStrip();
}

void MainWindow::e_captionPropertiesChange()
{
    // A title of blanks would name the book with nothing that a phone shows.
    const bool titled = !e_caption->text().trimmed().isEmpty();
    const bool texted = !e_text->text().isEmpty();
    b_ok->setEnabled(titled && texted);
    if (titled && texted) b_ok->setToolTip(QString());
    else if (texted) b_ok->setToolTip(tr("Чтобы создать книгу, введите её название"));
    else if (titled) b_ok->setToolTip(tr("Чтобы создать книгу, выберите текст"));
    else b_ok->setToolTip(tr("Чтобы создать книгу, выберите текст и введите её название"));

    // The title stands beside the warning: the warning gives its length only.
    const std::size_t bytes = Cp1251ToUtf8(QStringToCp1251(e_caption->text())).size();
    const QString warning = bytes <= kPhoneNameLimit ? QString()
                                                     : tr("Название занимает %1 байт в UTF-8: некоторые телефоны не принимают названия длиннее %2 байт.")
                                                           .arg(bytes)
                                                           .arg(kPhoneNameLimit);
    titleWarning->setToolTip(warning);
    titleWarning->setVisible(!warning.isEmpty());
    e_caption->setToolTip(warning);
    ClearCreateStatus();
}

void MainWindow::ClearCreateStatus()
{
    if (createPanel && !creating_) createPanel->ClearStatus();
}

void MainWindow::e_modelPropertiesChange()
{
    ClearCreateStatus();
    const ScreenSize screen = ProfileScreenSize(SelectedProfile());
    const int w = screen.width;
    const int h = screen.height;
    // A negative dimension leaves the image control empty in that direction; the drawing surface
    // keeps at least one pixel.
    previewSize_ = QSize(std::max(0, w), std::max(0, h));
    i_scrBitmap = QImage(std::max(1, w), std::max(1, h), QImage::Format_RGB32);
    i_scr->resize(previewSize_ * PreviewZoomStep());

    // The window takes the rule's size around the preview (unless the user maximised it).
    SizeForPreview();
    RenderPreview();
}

void MainWindow::b_closeClick()
{
    close();
}

} // namespace lumira
