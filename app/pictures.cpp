#include "app/pictures.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace lumira {

namespace {

QImage Blank(int width, int height)
{
    QImage image(std::max(1, width), std::max(1, height), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void Smooth(QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
}

QColor DarkBlue()
{
    return PictureBlue().darker(140);
}

} // namespace

QColor PictureBlue()
{
    return QColor(0x1F, 0x5F, 0xC8);
}

QImage StackOfPagesPicture()
{
    QImage image = Blank(32, 32);
    QPainter painter(&image);
    Smooth(painter);
    const QColor outline(0x50, 0x50, 0x58);
    // Three sheets, each shifted up and to the right of the one below it.
    const QRectF sheets[] = {{3.5, 8.5, 19, 22}, {6.5, 5.5, 19, 22}, {9.5, 2.5, 19, 22}};
    const QColor fills[] = {QColor(0xD8, 0xD8, 0xD8), QColor(0xEC, 0xEC, 0xEC), Qt::white};
    for (int i = 0; i < 3; ++i) {
        painter.setPen(QPen(outline, 1));
        painter.setBrush(fills[i]);
        painter.drawRect(sheets[i]);
    }
    // Lines of text on the top sheet.
    const QRectF top = sheets[2];
    painter.setPen(QPen(PictureBlue(), 1.4, Qt::SolidLine, Qt::FlatCap));
    for (int row = 0; row < 6; ++row) {
        const double y = top.top() + 4.5 + row * 3;
        const double right = row == 5 ? top.left() + 10 : top.right() - 3;
        const double left = top.left() + (row == 0 || row == 3 ? 6 : 3);
        painter.drawLine(QPointF(left, y), QPointF(right, y));
    }
    return image;
}

QImage QuestionPicture(int size)
{
    QImage image = Blank(size, size);
    QPainter painter(&image);
    Smooth(painter);
    const QRectF disc(0.5, 0.5, size - 1.0, size - 1.0);
    QRadialGradient shade(disc.center() - QPointF(size / 5.0, size / 5.0), size * 0.8);
    shade.setColorAt(0, PictureBlue().lighter(150));
    shade.setColorAt(1, PictureBlue());
    painter.setPen(QPen(DarkBlue(), 1));
    painter.setBrush(shade);
    painter.drawEllipse(disc);

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(std::max(6, size * 2 / 3));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(disc, Qt::AlignCenter, QStringLiteral("?"));
    return image;
}

QImage ArrowPicture(int size, bool up)
{
    QImage image = Blank(size, size);
    QPainter painter(&image);
    Smooth(painter);
    const double s = size;
    // An arrow with a triangular head and a shaft, drawn pointing up and turned for down.
    QPolygonF arrow;
    arrow << QPointF(0.5 * s, 0.06 * s) << QPointF(0.94 * s, 0.52 * s) << QPointF(0.66 * s, 0.52 * s)
          << QPointF(0.66 * s, 0.94 * s) << QPointF(0.34 * s, 0.94 * s) << QPointF(0.34 * s, 0.52 * s)
          << QPointF(0.06 * s, 0.52 * s);
    if (!up) {
        for (QPointF& point : arrow) point.setY(s - point.y());
    }
    painter.setPen(QPen(DarkBlue(), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(PictureBlue());
    painter.drawPolygon(arrow);
    return image;
}

QImage SquareDotPicture(int size)
{
    QImage image = Blank(size, size);
    QPainter painter(&image);
    Smooth(painter);
    painter.setPen(QPen(DarkBlue(), 1));
    painter.setBrush(PictureBlue());
    painter.drawRoundedRect(QRectF(0.5, 0.5, size - 1.0, size - 1.0), size / 8.0, size / 8.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    const double r = size / 5.0;
    painter.drawEllipse(QPointF(size / 2.0, size / 2.0), r, r);
    return image;
}

WindowPictures DrawWindowPictures()
{
    return WindowPictures{StackOfPagesPicture(), QuestionPicture(24), ArrowPicture(18, true), ArrowPicture(18, false),
                          SquareDotPicture(15)};
}

} // namespace lumira
