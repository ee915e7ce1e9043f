#include "app/create_panel.h"

#include "platform/desktop.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTextLayout>
#include <QUrl>

namespace lumira {

namespace {

// The Create button's row of the settings column (which begins under the window's banner),
// between the help button and Create: the build's progress bar and Cancel while it runs, the
// status line of two lines once it has ended.
constexpr int kRowLeft = 48;
constexpr int kBarTop = 270;
constexpr int kBarWidth = 100;
constexpr int kBarHeight = 19;
constexpr int kCancelLeft = 152;
constexpr int kCancelWidth = 60;
constexpr int kButtonTop = 267;
constexpr int kButtonHeight = 25;
constexpr int kStatusLeft = 44;
constexpr int kStatusTop = 263;
constexpr int kStatusWidth = 170;
constexpr int kStatusHeight = 32;
// Room kept for the warning sign before the saved line (it is drawn in a fallback face, wider
// than the label's font measures it).
constexpr int kNoteSignRoom = 18;

QString FolderLink(const QString& caption)
{
    return QStringLiteral("<a href=\"folder\">%1</a>").arg(caption.toHtmlEscaped());
}

} // namespace

CreatePanel::CreatePanel(QWidget* window) : QObject(window)
{
    bar = new QProgressBar(window);
    bar->setObjectName(QStringLiteral("createProgress"));
    bar->setRange(0, 1000);
    bar->setTextVisible(true);
    bar->setFormat(QStringLiteral("%p%"));
    bar->setGeometry(kRowLeft, kBarTop, kBarWidth, kBarHeight);
    bar->hide();

    cancel = new QPushButton(tr("Отмена"), window);
    cancel->setObjectName(QStringLiteral("createCancel"));
    cancel->setGeometry(kCancelLeft, kButtonTop, kCancelWidth, kButtonHeight);
    cancel->setToolTip(tr("Остановить создание книги"));
    cancel->hide();
    connect(cancel, &QPushButton::clicked, this, [this] {
        RequestCancel();
        cancel->setEnabled(false);
    });

    status = new QLabel(window);
    status->setObjectName(QStringLiteral("createStatus"));
    status->setGeometry(kStatusLeft, kStatusTop, kStatusWidth, kStatusHeight);
    status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
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
    // The name gives up what the first line lacks; the tooltip holds the whole path. A note marks
    // the line with a warning sign and is told in full in the tooltip.
    const QString lead = tr("Книга сохранена: %1");
    const int room = kStatusWidth - status->fontMetrics().horizontalAdvance(lead.arg(QString())) - (note.isEmpty() ? 0 : kNoteSignRoom);
    const QString first = lead.arg(status->fontMetrics().elidedText(jar.fileName(), Qt::ElideMiddle, room)).toHtmlEscaped();
    const QString sign = note.isEmpty() ? QString() : QStringLiteral("<span style=\"color:#b35c00\">\u26A0</span> ");
    status->setText(sign + first + QStringLiteral("<br>") + FolderLink(tr("Открыть папку")));
    const QString path = QDir::toNativeSeparators(jar.absoluteFilePath());
    status->setToolTip(note.isEmpty() ? path : path + QStringLiteral("\n\n") + note);
    status->show();
}

void CreatePanel::ShowSavedVolumes(const QStringList& jarPaths)
{
    if (jarPaths.size() == 1) return ShowSaved(jarPaths.front());
    // The line gives the number of volumes; the tooltip lists them all in full.
    folder_ = QFileInfo(jarPaths.front()).absolutePath();
    status->setText(tr("Книга сохранена, томов: %1").arg(jarPaths.size()).toHtmlEscaped() + QStringLiteral("<br>") +
                    FolderLink(tr("Открыть папку")));
    QStringList full;
    for (const QString& path : jarPaths) full << QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    status->setToolTip(full.join(QLatin1Char('\n')));
    status->show();
}

void CreatePanel::ShowStatus(const QString& text)
{
    folder_.clear();
    // Two lines at most, the second cut short when the text is longer: the tooltip holds it whole.
    QTextLayout layout(text, status->font());
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(kStatusWidth);
    layout.endLayout();
    const int firstLength = line.textLength();
    QString shown = text.left(firstLength).trimmed().toHtmlEscaped();
    if (firstLength < text.size())
        shown += QStringLiteral("<br>") +
                 status->fontMetrics().elidedText(text.mid(firstLength).trimmed(), Qt::ElideRight, kStatusWidth).toHtmlEscaped();
    status->setText(shown);
    status->setToolTip(text);
    status->show();
}

void CreatePanel::ClearStatus()
{
    folder_.clear();
    status->hide();
}

} // namespace lumira
