// A window that starts dragging a file as soon as the mouse is pressed on it, as a file manager
// does: the other end of a real drag and drop for real_program_test.sh. It prints "dragging" as
// the drag starts and "drag ended: copied" (or "refused") once the drop is over, so that the
// script waits for those instead of for a time. It prints "accepted" once the window under the
// pointer has said it takes the file: a button let go before that is a drop nobody wanted.
//   app_drag_source FILE
#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <cstdio>

namespace {

class DragSource : public QLabel {
public:
    explicit DragSource(const QString& file) : QLabel(file), file_(file)
    {
        setWindowTitle(QStringLiteral("drag source"));
        setMargin(20);
    }

protected:
    void mousePressEvent(QMouseEvent*) override
    {
        auto* mime = new QMimeData;
        mime->setUrls({QUrl::fromLocalFile(QFileInfo(file_).absoluteFilePath())});
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        QObject::connect(drag, &QDrag::actionChanged, [](Qt::DropAction action) {
            if (action != Qt::CopyAction) return;
            std::printf("accepted\n");
            std::fflush(stdout);
        });
        std::printf("dragging\n");
        std::fflush(stdout);
        const Qt::DropAction done = drag->exec(Qt::CopyAction);
        std::printf("drag ended: %s\n", done == Qt::CopyAction ? "copied" : "refused");
        std::fflush(stdout);
    }

private:
    QString file_;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    DragSource source(QString::fromLocal8Bit(argv[1]));
    source.setGeometry(0, 0, 240, 80);
    source.show();
    return QApplication::exec();
}
