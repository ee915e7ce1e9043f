#pragma once
// Where a test clicks to follow a link of an HtmlLabel.
#include "help/html_label.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextLayout>

namespace lumira {

// A point inside the first link with this target, in the label's coordinates, or (-1, -1) when
// there is none.
inline QPointF LinkPoint(const HtmlLabel& label, const QString& target)
{
    const QTextDocument& doc = label.Document();
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (!format.isAnchor() || format.anchorHref() != target) continue;
            const int at = fragment.position() - block.position();
            const QTextLine line = block.layout()->lineForTextPosition(at);
            if (!line.isValid()) continue;
            const QPointF origin = doc.documentLayout()->blockBoundingRect(block).topLeft();
            const qreal x = (line.cursorToX(at) + line.cursorToX(at + 1)) / 2;
            return origin + QPointF(x, line.y() + line.height() / 2);
        }
    }
    return QPointF(-1, -1);
}

} // namespace lumira
