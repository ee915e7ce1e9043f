// What a person expects of the window beyond its handlers: tooltips, paging the preview from the
// keyboard, and a text file dropped onto the window taken as if chosen with the browse button.
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

// PageUp and Up show the previous page, PageDown and Down the next, while the preview has the
// focus (a click on it gives it). The buttons' own enabling decides, as for a click.
class PagingKeys : public QObject {
public:
    PagingKeys(QObject* parent, QPushButton* up, QPushButton* down) : QObject(parent), up_(up), down_(down) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & ~Qt::KeypadModifier) return false;
        QPushButton* button = nullptr;
        switch (key->key()) {
        case Qt::Key_PageUp:
        case Qt::Key_Up:
            button = up_;
            break;
        case Qt::Key_PageDown:
        case Qt::Key_Down:
            button = down_;
            break;
        default:
            return false;
        }
        if (button->isEnabled()) button->click();
        return true;
    }

private:
    QPushButton* up_;
    QPushButton* down_;
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
    previewFrame_->installEventFilter(new PagingKeys(this, b_p_up, b_p_down));

    // The window and every field in it that takes drops of its own (text into the title, the
    // path field, the cut fields' editors): a file is chosen wherever it lands.
    setAcceptDrops(true);
    auto* drop = new FileDrop(*this);
    installEventFilter(drop);
    for (QWidget* target : findChildren<QWidget*>())
        if (target->acceptDrops()) target->installEventFilter(drop);
}

} // namespace lumira
