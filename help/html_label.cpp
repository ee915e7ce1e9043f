// The markup label: two documents built from the same text, the shadow layer drawn one offset
// beneath the text layer.
#include "help/html_label.h"

#include "platform/desktop.h"

#include <QAbstractTextDocumentLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextLayout>
#include <cmath>

namespace lumira {

bool OpensWithDesktop(const QString& target)
{
    return target.contains(QLatin1String("://")) || target.contains(QLatin1String("mailto:"));
}

HtmlLabel::HtmlLabel(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    style_.baseFont = font();
    Rebuild();
}

void HtmlLabel::SetText(const QString& text)
{
    static const QRegularExpression kBreaks(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(kBreaks);
    // A break at the very end closes the last line and starts none.
    if (lines.size() > 1 && lines.back().isEmpty()) lines.removeLast();
    SetLines(lines);
}

void HtmlLabel::SetLines(const QStringList& lines)
{
    lines_ = lines;
    Rebuild();
}

void HtmlLabel::Rebuild()
{
    const QString markup = Markup();
    hasShadow_ = BuildRichText(doc_, markup, style_, MarkupLayer::Text);
    if (hasShadow_) BuildRichText(shadow_, markup, style_, MarkupLayer::Shadow);
    else shadow_.clear();
    doc_.setTextWidth(width());
    shadow_.setTextWidth(width());
    updateGeometry();
    FitHeight();
    update();
}

void HtmlLabel::FitHeight()
{
    const int h = static_cast<int>(std::ceil(doc_.size().height()));
    if (h != height()) resize(width(), h);
}

int HtmlLabel::heightForWidth(int width) const
{
    if (width == doc_.textWidth()) return static_cast<int>(std::ceil(doc_.size().height()));
    std::unique_ptr<QTextDocument> probe(doc_.clone());
    probe->setTextWidth(width);
    return static_cast<int>(std::ceil(probe->size().height()));
}

QSize HtmlLabel::sizeHint() const
{
    const int w = width() > 0 ? width() : 200;
    return QSize(w, heightForWidth(w));
}

QString HtmlLabel::AnchorAt(const QPointF& pos) const
{
    return doc_.documentLayout()->anchorAt(pos);
}

void HtmlLabel::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = event->rect();
    if (hasShadow_) {
        context.palette.setColor(QPalette::Text, Qt::transparent);
        painter.save();
        painter.translate(kShadowOffset, kShadowOffset);
        shadow_.documentLayout()->draw(&painter, context);
        painter.restore();
    }
    context.palette.setColor(QPalette::Text, palette().color(QPalette::WindowText));
    doc_.documentLayout()->draw(&painter, context);
}

void HtmlLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QString target = AnchorAt(event->position());
    if (target.isEmpty()) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    FollowLink(target);
}

void HtmlLabel::FollowLink(const QString& target)
{
    if (OpensWithDesktop(target)) TheDesktop().OpenUrl(target);
    else emit AnchorClick(target);  // the receiver may replace the text: nothing of it is used after
}

void HtmlLabel::mouseMoveEvent(QMouseEvent* event)
{
    if (AnchorAt(event->position()).isEmpty()) unsetCursor();
    else setCursor(Qt::PointingHandCursor);
    QWidget::mouseMoveEvent(event);
}

void HtmlLabel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (doc_.textWidth() != width()) {
        doc_.setTextWidth(width());
        shadow_.setTextWidth(width());
    }
    FitHeight();
}

void HtmlLabel::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        style_.baseFont = font();
        Rebuild();
    }
}

} // namespace lumira
