#include "profiles/profile_pictures.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace lumira {

namespace {

const QColor kBody(52, 60, 74);
const QColor kBodyEdge(24, 28, 36);
const QColor kScreen(150, 214, 236);
const QColor kScreenLine(70, 130, 170);
const QColor kKey(205, 210, 218);

QImage Canvas(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A bar-style handset: body, screen with two text lines, a grid of keys.
void DrawHandset(QPainter& p, const QRectF& body, qreal radius)
{
    p.setPen(QPen(kBodyEdge, 1));
    p.setBrush(kBody);
    p.drawRoundedRect(body.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);

    const qreal margin = body.width() * 0.16;
    const QRectF screen(body.left() + margin, body.top() + body.height() * 0.12, body.width() - 2 * margin,
                        body.height() * 0.36);
    p.setPen(Qt::NoPen);
    p.setBrush(kScreen);
    p.drawRect(screen);
    if (screen.height() >= 6) {
        p.setPen(QPen(kScreenLine, 1));
        const qreal x0 = screen.left() + 1.5, x1 = screen.right() - 1.5;
        p.drawLine(QPointF(x0, screen.top() + screen.height() * 0.35), QPointF(x1, screen.top() + screen.height() * 0.35));
        p.drawLine(QPointF(x0, screen.top() + screen.height() * 0.68),
                   QPointF(x0 + (x1 - x0) * 0.6, screen.top() + screen.height() * 0.68));
    }

    p.setPen(Qt::NoPen);
    p.setBrush(kKey);
    const qreal keysTop = screen.bottom() + body.height() * 0.08;
    const qreal keysBottom = body.bottom() - body.height() * 0.08;
    const int rows = body.height() >= 20 ? 4 : 3;
    const qreal pitchY = (keysBottom - keysTop) / rows;
    const qreal pitchX = screen.width() / 3;
    const qreal key = std::max<qreal>(1.0, std::min(pitchX, pitchY) * 0.62);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < 3; ++c)
            p.drawRect(QRectF(screen.left() + c * pitchX + (pitchX - key) / 2,
                              keysTop + r * pitchY + (pitchY - key) / 2, key, key));
}

// A toothed wheel with a hole, centred at `centre`.
void DrawGear(QPainter& p, QPointF centre, qreal outer, qreal inner, int teeth)
{
    QPainterPath path;
    const int points = teeth * 4;
    for (int i = 0; i < points; ++i) {
        const qreal angle = 2 * M_PI * i / points;
        const qreal r = (i % 4 < 2) ? outer : inner;
        const QPointF pt(centre.x() + r * qCos(angle), centre.y() + r * qSin(angle));
        if (i == 0) path.moveTo(pt);
        else path.lineTo(pt);
    }
    path.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(centre, inner * 0.42, inner * 0.42);
    p.setPen(QPen(QColor(90, 60, 10), 1));
    p.setBrush(QColor(255, 255, 255));
    p.drawPath(path.subtracted(hole));
}

} // namespace

QPixmap ProfilesBannerPicture()
{
    QImage image = Canvas(32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    DrawHandset(p, QRectF(5, 1, 15, 29), 3);
    DrawGear(p, QPointF(23.5, 22.5), 8, 5.8, 8);
    p.end();
    return QPixmap::fromImage(image);
}

QIcon ProfileEntryIcon()
{
    QImage image = Canvas(16);
    QPainter p(&image);
    DrawHandset(p, QRectF(4, 0, 8, 16), 1.5);
    p.end();
    return QIcon(QPixmap::fromImage(image));
}

} // namespace lumira
