// The texts opened last on the browse button's menu, and the texts a start opens: the file named
// on the command line or handed over by a second start, else the last text.
#include "app/main_window.h"

#include "platform/application.h"
#include "platform/errors.h"
#include "platform/paths.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

namespace lumira {

namespace {

// The browse button with its menu arrow; it keeps the field's right end.
constexpr int kBrowseButtonWidth = 30;
// How often a handed file waits for the program's dialogs to close.
constexpr int kDialogWaitMs = 300;

// A menu entry: its number as access key, the title, the file's name and the encoding it is read in.
QString EntryText(int number, const RecentText& entry)
{
    QString shown = FileNamePart(entry.path);
    // The title where it says more than the file's name.
    if (!entry.title.isEmpty() && entry.title != shown && entry.title != QFileInfo(entry.path).completeBaseName())
        shown = entry.title + QStringLiteral(" — ") + shown;
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    const QString key = number < 10 ? QStringLiteral("&%1").arg(number) : QStringLiteral("1&0");
    return QStringLiteral("%1  %2 (%3)").arg(key, shown, EncodingDisplayName(entry.encoding));
}

// True while a dialog or a popup of the program has the input.
bool DialogOpen()
{
    return QApplication::activeModalWidget() || QApplication::activePopupWidget();
}

} // namespace

void MainWindow::CreateRecentMenu()
{
    e_text_button->setFixedWidth(kBrowseButtonWidth);
    e_text_button->setPopupMode(QToolButton::MenuButtonPopup);
    auto* menu = new QMenu(e_text_button);
    menu->setObjectName(QStringLiteral("recentMenu"));
    e_text_button->setMenu(menu);
    connect(menu, &QMenu::aboutToShow, this, [this] { FillRecentMenu(); });
    // The menu from the keyboard, from the button as from a drop-down list.
    for (const QKeySequence& keys : {QKeySequence(Qt::ALT | Qt::Key_Down), QKeySequence(Qt::Key_Down)}) {
        auto* open = new QShortcut(keys, e_text_button, nullptr, nullptr, Qt::WidgetShortcut);
        connect(open, &QShortcut::activated, e_text_button, &QToolButton::showMenu);
    }
    e_text_button->setToolTip(tr("Выбрать текст (Ctrl+O); стрелка — недавние тексты"));
}

void MainWindow::FillRecentMenu()
{
    QMenu* menu = e_text_button->menu();
    menu->clear();
    if (Book.recent.Empty()) {
        menu->addAction(tr("Недавних текстов нет"))->setEnabled(false);
        return;
    }
    int number = 0;
    for (const RecentText& entry : Book.recent.Entries()) {
        QAction* action = menu->addAction(EntryText(++number, entry));
        action->setToolTip(entry.path);
        action->setStatusTip(entry.path);
        // A copy: opening the entry changes the list.
        connect(action, &QAction::triggered, this, Guarded([this, entry] { OpenRecentText(entry); }));
    }
    menu->setToolTipsVisible(true);
    menu->addSeparator();
    connect(menu->addAction(tr("Очистить список")), &QAction::triggered, this, [this] { Book.recent.Clear(); });
}

void MainWindow::OpenRecentText(const RecentText& listed)
{
    const RecentText entry = listed;  // opening it changes the list that holds it
    if (!QFileInfo(entry.path).isFile()) {
        Book.recent.Remove(entry.path);
        TheDesktop().ShowMessage(this, tr("Файла «%1» больше нет; он убран из списка недавних текстов.").arg(entry.path));
        return;
    }
    // Read in the encoding it was read in last time; a text that cannot be read leaves the
    // encoding as it was.
    const TextEncoding before = Book.encoding;
    if (entry.encoding != Book.encoding) {
        Book.encoding = entry.encoding;
        ResolvedEncoding.reset();
        UpdateEncodingButton();
    }
    try {
        ChooseTextFile(entry.path);
    } catch (...) {
        if (Book.encoding != before && e_text->text() != entry.path) {
            Book.encoding = before;
            UpdateEncodingButton();
        }
        throw;
    }
    if (!entry.title.isEmpty()) e_caption->setText(entry.title);
    Book.recent.Update({entry.path, e_caption->text(), Book.encoding});
}

void MainWindow::OpenGivenFile(const QString& path)
{
    // What is not there or is a folder is told with the file layer's words; a pipe or device is
    // refused by the choice itself.
    const QFileInfo given(path);
    if (!given.exists() || given.isDir()) {
        TheDesktop().ShowMessage(this, QString::fromStdString(CannotOpenText(ToFsPath(path), given.isDir() ? EISDIR : ENOENT)));
        return;
    }
    ChooseTextFile(path);
}

void MainWindow::OpenAtStart(const std::optional<QString>& given)
{
    try {
        if (given) {
            OpenGivenFile(*given);
        } else if (!Book.recent.Empty() && QFileInfo(Book.recent.Entries().front().path).isFile()) {
            OpenRecentText(Book.recent.Entries().front());
        }
    } catch (...) {
        ShowCurrentException();
    }
}

void MainWindow::TakeHandedFile(const QString& path)
{
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
    if (QWidget* dialog = QApplication::activeModalWidget()) {
        dialog->raise();
        dialog->activateWindow();
    }
    if (!path.isEmpty()) OpenWhenNoDialog(path);
}

void MainWindow::OpenWhenNoDialog(const QString& path)
{
    // A dialog of the program answers for the state it was opened on: the file waits for it.
    if (DialogOpen()) {
        QTimer::singleShot(kDialogWaitMs, this, [this, path] { OpenWhenNoDialog(path); });
        return;
    }
    Guarded([this, path] { OpenGivenFile(path); })();
}

} // namespace lumira
