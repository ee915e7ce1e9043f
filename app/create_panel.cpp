#include "app/create_panel.h"

#include "platform/desktop.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTextDocument>
#include <QUrl>

namespace lumira {

namespace {

// The status line's least width, what the column leaves it under the Create row: the saved
// book's name takes up to half of it.
constexpr int kStatusWidth = 325;

// Room the warning sign takes from the name (it comes from whichever face has it, wider than the
// label's font measures it).
constexpr int kNoteSignRoom = 36;

} // namespace

CreatePanel::CreatePanel(QWidget* window) : QObject(window)
{
    bar = new QProgressBar(window);
    bar->setObjectName(QStringLiteral("createProgress"));
    bar->setRange(0, 1000);
    bar->setTextVisible(true);
    bar->setFormat(QStringLiteral("%p%"));
    bar->hide();

    cancel = new QPushButton(tr("Отмена"), window);
    cancel->setObjectName(QStringLiteral("createCancel"));
    cancel->setToolTip(tr("Остановить создание книги"));
    cancel->hide();
    connect(cancel, &QPushButton::clicked, this, [this] {
        RequestCancel();
        cancel->setEnabled(false);
    });

    status = new QLabel(window);
    status->setObjectName(QStringLiteral("createStatus"));
    status->setMinimumWidth(kStatusWidth);
    status->setTextFormat(Qt::RichText);
    status->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    status->hide();
    connect(status, &QLabel::linkActivated, this, [this] {
        if (folder_.isEmpty() || TheDesktop().OpenUrl(QUrl::fromLocalFile(folder_).toString())) return;
        // The line is short: the folder is named in its tooltip.
        const QString folder = QDir::toNativeSeparators(folder_);
        ShowStatus(tr("Не удаётся открыть папку: нет файлового менеджера."));
        status->setToolTip(status->toolTip() + QStringLiteral("\n") + folder);
    });
}

void CreatePanel::Start()
{
    cancel_ = false;
    status->hide();
    bar->setValue(0);
    bar->show();
    cancel->setEnabled(true);
    cancel->show();
}

void CreatePanel::SetShare(int perMille)
{
    bar->setValue(perMille);
}

void CreatePanel::Finish()
{
    bar->hide();
    cancel->hide();
}

void CreatePanel::ShowSaved(const QString& jarPath, const QString& note)
{
    const QFileInfo jar(jarPath);
    folder_ = jar.absolutePath();
    const QString name = jar.fileName();
    // A note puts a warning sign before the line; the name gives up the room it takes (the sign
    // comes from whichever face has it, wider than the label's font measures it).
    const QString sign = note.isEmpty() ? QString() : QStringLiteral("\u26A0 ");
    const int room = note.isEmpty() ? kStatusWidth / 2 : kStatusWidth / 2 - kNoteSignRoom;
    const QString shown = status->fontMetrics().elidedText(name, Qt::ElideMiddle, room);
    status->setWordWrap(false);
    const QString line = tr("Книга сохранена: %1 &nbsp;<a href=\"folder\">%2</a>")
                             .arg(shown.toHtmlEscaped(), tr("Открыть папку").toHtmlEscaped());
    status->setText(note.isEmpty() ? line : QStringLiteral("<span style=\"color:#b35c00\">%1</span>%2").arg(sign, line));
    const QString path = QDir::toNativeSeparators(jar.absoluteFilePath());
    status->setToolTip(note.isEmpty() ? path : path + QStringLiteral("\n\n") + note);
    status->show();
}

void CreatePanel::ShowSavedVolumes(const QStringList& jarPaths)
{
    if (jarPaths.size() == 1) return ShowSaved(jarPaths.front());
    // The line names the volumes written, the first and the last when they are more than two;
    // the tooltip lists them all in full.
    folder_ = QFileInfo(jarPaths.front()).absolutePath();
    const QString first = QFileInfo(jarPaths.front()).fileName(), last = QFileInfo(jarPaths.back()).fileName();
    const QString names = jarPaths.size() == 2 ? QStringLiteral("%1, %2").arg(first, last) : QStringLiteral("%1 … %2").arg(first, last);
    // The names give up what the rest of the line leaves them.
    const QString line = tr("Книга сохранена, томов: %1 (%2) &nbsp;<a href=\"folder\">%3</a>");
    const QString count = QString::number(jarPaths.size()), link = tr("Открыть папку").toHtmlEscaped();
    QTextDocument rest;
    rest.setHtml(line.arg(count, QString(), link));
    const int room = kStatusWidth - status->fontMetrics().horizontalAdvance(rest.toPlainText()) - kNoteSignRoom / 2;
    const QString shown = status->fontMetrics().elidedText(names, Qt::ElideMiddle, room);
    status->setWordWrap(false);
    status->setText(line.arg(count, shown.toHtmlEscaped(), link));
    QStringList full;
    for (const QString& path : jarPaths) full << QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    status->setToolTip(full.join(QLatin1Char('\n')));
    status->show();
}

void CreatePanel::ShowStatus(const QString& text)
{
    folder_.clear();
    // A message wraps onto as many lines as it needs.
    status->setWordWrap(true);
    status->setText(text.toHtmlEscaped());
    // The line may be too narrow for a long file name: the tooltip holds it whole.
    status->setToolTip(text);
    status->show();
}

void CreatePanel::ClearStatus()
{
    folder_.clear();
    status->hide();
}

} // namespace lumira
