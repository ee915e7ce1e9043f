// The main window's small control handlers: font and colour choosers, the Create button's
// enabling, sizing to the phone's screen, closing.
#include "app/form1.h"
#include "font/book_qfont.h"
#include "font/qt_colors.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace lumira {

void TForm1::UpdateFontLabel()
{
    font_label->setText(QStringLiteral(" ") + BookFont.name + QStringLiteral(", ") + QString::number(BookFont.size));
    font_label->setFont(MakeQFont(BookFont));
    QPalette palette = font_label->palette();
    palette.setColor(QPalette::Window, ColorValueToQColor(BackgroundColor));
    palette.setColor(QPalette::WindowText, ColorValueToQColor(BookFont.color));
    font_label->setPalette(palette);
}

void TForm1::b_fontClick()
{
    const auto chosen = TheDesktop().ChooseFont(this, font_dialog);
    if (!chosen) return;
    font_dialog = *chosen;
    BookFont = *chosen;
    UpdateFontLabel();
    BuildFontStrip();
}

void TForm1::b_backClick()
{
    // The chooser opens on the colour last confirmed in it, not on the current background.
    const auto chosen = TheDesktop().ChooseColor(this, ColorDialog1);
    if (!chosen) return;
    ColorDialog1 = *chosen;
    BackgroundColor = *chosen;
    UpdateFontLabel();
    BuildFontStrip();
}

void TForm1::e_captionPropertiesChange()
{
    b_ok->setEnabled(!e_caption->text().isEmpty() && !e_text->text().isEmpty());
}

void TForm1::e_modelPropertiesChange()
{
    const ScreenSize screen = ProfileScreenSize(SelectedProfile());
    const int w = screen.width;
    const int h = screen.height;
    // A negative dimension leaves the image control empty in that direction; the drawing surface
    // keeps at least one pixel.
    i_scr->resize(w, i_scr->height());
    i_scrBitmap = QImage(std::max(1, i_scr->width()), i_scrBitmap.height(), QImage::Format_RGB32);
    i_scr->resize(i_scr->width(), h);
    i_scrBitmap = QImage(i_scrBitmap.width(), std::max(1, i_scr->height()), QImage::Format_RGB32);

    // The outer size around the preview; the paging buttons stand under it and b_p_fire and
    // b_p_down keep to the right edge.
    const QSize outer = OuterSizeFor(i_scr->size());
    SetOuterSize(outer.width(), outer.height());
    RenderPreview();
}

void TForm1::b_closeClick()
{
    close();
}

} // namespace lumira
