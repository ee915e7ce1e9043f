// The preview: one page of the book as the phone shows it, and its paging.
#include "app/form1.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

void TForm1::RenderPreview()
{
    i_scrBitmap.fill(ColorValueToQColor(BackgroundColor));
    i_scr->setPixmap(QPixmap::fromImage(i_scrBitmap));
}

void TForm1::b_p_upClick() {}
void TForm1::b_p_downClick() {}
void TForm1::b_p_fireClick() {}
