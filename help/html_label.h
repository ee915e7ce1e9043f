#pragma once
// A label that shows a text in our markup (see html_markup.h) and reports clicks on its links.
//
// The label keeps its text as a list of lines and joins them without any separator before reading
// the markup, so line breaks in the text are not shown and split nothing; visible line breaks come
// only from the markup. A press on a link whose target contains "://" or "mailto:" opens the
// target with the desktop's default handler; any other target is reported by AnchorClick. The
// label's height follows its text at its current width.
#include "help/html_markup.h"

#include <QStringList>
#include <QTextDocument>
#include <QWidget>

namespace lumira {

class HtmlLabel : public QWidget {
    Q_OBJECT
public:
    explicit HtmlLabel(QWidget* parent = nullptr);

    // Replaces the whole text; it is split into lines at carriage returns and line feeds.
    void SetText(const QString& text);
    void SetLines(const QStringList& lines);
    const QStringList& Lines() const { return lines_; }
    // The markup as read: the lines joined without separators.
    QString Markup() const { return lines_.join(QString()); }
    // The text as shown, one line per paragraph or list item.
    QString ShownText() const { return doc_.toPlainText(); }
    const QTextDocument& Document() const { return doc_; }

    // The link target under a point of the label, or an empty string.
    QString AnchorAt(const QPointF& pos) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

signals:
    // A press on a link that the label does not open itself.
    void AnchorClick(const QString& target);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Rebuild();
    void FitHeight();
    void FollowLink(const QString& target);

    QStringList lines_;
    MarkupStyle style_;
    static constexpr int kShadowOffset = 1;  // how far the shadow lies right of and below the text
    QTextDocument doc_;
    QTextDocument shadow_;  // the shadowed text alone, drawn beneath doc_
    bool hasShadow_ = false;
};

// Whether the label opens a link target itself with the desktop's handler.
bool OpensWithDesktop(const QString& target);

} // namespace lumira
