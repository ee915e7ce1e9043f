// The main window's small control handlers: font and colour choosers, the Create button's
// enabling, sizing to the phone's screen, closing.
#include "app/form1.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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
    int w = 176, h = 220;
    if (const t_profile* p = SelectedProfile()) {
        w = p->Width != 0 ? p->Width : 176;
        h = p->Height != 0 ? p->Height : 220;
    }
    const QRect r = i_scr->geometry();
    i_scr->setGeometry(r.x(), r.y(), w, r.height());
    i_scr->setGeometry(r.x(), r.y(), w, h);
    i_scrBitmap = QImage(std::max(1, w), std::max(1, h), QImage::Format_RGB32);
    const int outerW = i_scr->x() + i_scr->width() + 18;
    const int outerH = std::max(i_scr->y() + i_scr->height() + 100, 378);
    SetOuterSize(outerW, outerH);
    const int top = outerH - 82;
    const int clientW = width();
    b_p_up->move(b_p_up->x(), top);
    b_p_fire->setGeometry(440, top, std::max(0, clientW - 54 - 440), b_p_fire->height());
    b_p_down->move(clientW - 10 - b_p_down->width(), top);
    RenderPreview();
}

void TForm1::b_closeClick()
{
    close();
}
