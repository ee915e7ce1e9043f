#include "app/access_letters.h"

#include <QAbstractButton>
#include <QLabel>
#include <QSet>

namespace lumira {

namespace {

QString CaptionOf(QWidget* w)
{
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->buddy() ? l->text() : QString();
    return QString();
}

void SetCaption(QWidget* w, const QString& text)
{
    if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(text);
    else if (auto* l = qobject_cast<QLabel*>(w)) l->setText(text);
}

// The position of the letter to mark in `caption`, or -1.
qsizetype ChooseLetter(const QString& caption, const QSet<QChar>& taken)
{
    const auto free = [&](qsizetype i) { return caption[i].isLetterOrNumber() && !taken.contains(caption[i].toLower()); };
    for (qsizetype i = 0; i < caption.size(); ++i)
        if ((i == 0 || !caption[i - 1].isLetterOrNumber()) && free(i)) return i;
    for (qsizetype i = 0; i < caption.size(); ++i)
        if (free(i)) return i;
    return -1;
}

} // namespace

void AssignAccessLetters(const std::vector<QWidget*>& controls)
{
    QSet<QChar> taken;
    // Letters already marked are kept, and taken first.
    for (QWidget* w : controls) {
        const QString caption = CaptionOf(w);
        const qsizetype amp = caption.indexOf(QLatin1Char('&'));
        if (amp >= 0 && amp + 1 < caption.size() && caption[amp + 1] != QLatin1Char('&')) taken.insert(caption[amp + 1].toLower());
    }
    for (QWidget* w : controls) {
        const QString caption = CaptionOf(w);
        if (caption.isEmpty() || caption.contains(QLatin1Char('&'))) continue;
        const qsizetype at = ChooseLetter(caption, taken);
        if (at < 0) continue;
        taken.insert(caption[at].toLower());
        SetCaption(w, caption.left(at) + QLatin1Char('&') + caption.mid(at));
    }
}

} // namespace lumira
