// What a person expects of the window beyond its handlers: tooltips, the window's keys, paging
// the preview from the keyboard, and a text file dropped onto the window taken as if chosen with the browse button.
#include "app/main_window.h"
#include "platform/application.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QToolButton>
#include <QTimer>
#include <QUrl>

namespace lumira {

namespace {

// The one local file a drag carries, or nothing: a folder, several files or anything but files
// are not a text to choose.
std::optional<QString> DraggedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls()) return std::nullopt;
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return std::nullopt;
    const QString path = urls.front().toLocalFile();
    if (!QFileInfo(path).isFile()) return std::nullopt;
    return QDir::toNativeSeparators(path);
}

// Takes a dropped file on the window and on the fields that would otherwise take the drop as
// text; drags of anything else go on as before.
class FileDrop : public QObject {
public:
    explicit FileDrop(MainWindow& form) : QObject(&form), form_(form) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDropEvent*>(event);
            if (!DraggedFile(drag->mimeData())) return false;
            drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const auto file = DraggedFile(drop->mimeData());
            if (!file) return false;
            drop->acceptProposedAction();
            // Chosen once the drop is over, so that a message about the file does not hold up
            // the program the file was dragged from.
            QTimer::singleShot(0, &form_, Guarded([form = &form_, path = *file] { form->ChooseTextFile(path); }));
            return true;
        }
        default:
            return false;
        }
    }

private:
    MainWindow& form_;
};

// The paging keys: PageUp the previous page, PageDown the next, Home the first, End the last;
// on the preview itself Up and Down as well. Keys that a field uses (a list, a number field, a
// text field's Home and End) reach it first and never get here; what it leaves, pages.
class PagingKeys : public QObject {
public:
    PagingKeys(MainWindow& form, bool arrows) : QObject(&form), form_(form), arrows_(arrows) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress) return false;
        return form_.PageByKey(*static_cast<QKeyEvent*>(event), arrows_);
    }

private:
    MainWindow& form_;
    bool arrows_;
};

} // namespace

void MainWindow::CreateConveniences()
{
    b_info->setToolTip(tr("Справка"));
    b_p_up->setToolTip(tr("Предыдущая страница (PageUp)"));
    b_p_fire->setToolTip(tr("Показать или скрыть системную полосу"));
    b_p_down->setToolTip(tr("Следующая страница (PageDown)"));
    e_upper_cut->setToolTip(tr("Сколько рядов пикселей убрать сверху у строки шрифта, чтобы строки шли плотнее (0–10)"));
    e_bott_cut->setToolTip(tr("Сколько рядов пикселей убрать снизу у строки шрифта, чтобы строки шли плотнее (0–10)"));
    i_scr->setToolTip(tr("Щёлкните по странице, чтобы листать её клавишами PageUp, PageDown и стрелками"));

    previewFrame_->setFocusPolicy(Qt::ClickFocus);
    previewFrame_->installEventFilter(new PagingKeys(*this, true));
    // The window's own scroll area would scroll with the keys that controls pass on.
    clientScroll_->installEventFilter(new PagingKeys(*this, false));

    // The window's keys, wherever the focus is in it (a dialog of its own keeps its keys).
    const auto shortcut = [this](const QKeySequence& keys, auto action) {
        auto* s = new QShortcut(keys, this, nullptr, nullptr, Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, Guarded(action));
    };
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_O), [this] { if (e_text_button->isEnabled()) e_text_button->click(); });
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter})
        shortcut(QKeySequence(Qt::CTRL | key), [this] { if (b_ok->isEnabled()) b_ok->click(); });
    shortcut(QKeySequence(Qt::Key_F1), [this] { b_info->click(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { close(); });

    // The window and every field in it that takes drops of its own (text into the title, the
    // path field, the cut fields' editors): a file is chosen wherever it lands.
    setAcceptDrops(true);
    auto* drop = new FileDrop(*this);
    installEventFilter(drop);
    for (QWidget* target : findChildren<QWidget*>())
        if (target->acceptDrops()) target->installEventFilter(drop);
}

bool MainWindow::PageByKey(const QKeyEvent& key, bool arrows)
{
    if (key.modifiers() & ~Qt::KeypadModifier) return false;
    switch (key.key()) {
    case Qt::Key_Up:
        if (!arrows) return false;
        [[fallthrough]];
    case Qt::Key_PageUp:
        if (b_p_up->isEnabled()) b_p_up->click();
        return true;
    case Qt::Key_Down:
        if (!arrows) return false;
        [[fallthrough]];
    case Qt::Key_PageDown:
        if (b_p_down->isEnabled()) b_p_down->click();
        return true;
    case Qt::Key_Home:
        FirstPage();
        return true;
    case Qt::Key_End:
        LastPage();
        return true;
    default:
        return false;
    }
}

} // namespace lumira
