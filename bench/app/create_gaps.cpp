// How the main window lives through a Create: builds a book of a text from the window, asking
// for a repaint of the window every 10 ms, and reports the longest gap between two repaints of
// the window and between two turns of its event loop while the book is built.
//   bench_create_gaps PROGRAM_FOLDER/ TEXT PACKAGE.jar
// PROGRAM_FOLDER holds what ships beside the program (sample, iface.dat, profiles.ini, velmar.dat).
#include "app/main_window.h"
#include "bench/app/gap_meter.h"
#include "platform/application.h"
#include "platform/desktop.h"
#include "platform/paths.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <cstdio>

using namespace lumira;

namespace {

// Answers the save dialog with the package's path; everything else as if cancelled.
class AnsweringDesktop : public Desktop {
public:
    explicit AnsweringDesktop(QString jar) : jar_(std::move(jar)) {}
    std::optional<QString> OpenFile(QWidget*, const FileDialogOptions&) override { return {}; }
    std::optional<QString> SaveFile(QWidget*, const FileDialogOptions&) override { return jar_; }
    std::optional<BookFontStyle> ChooseFont(QWidget*, const BookFontStyle&) override { return {}; }
    std::optional<ColorValue> ChooseColor(QWidget*, ColorValue) override { return {}; }
    void ShowMessage(QWidget*, const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
    bool Ask(QWidget*, const QString&) override { return false; }
    void ShowError(QWidget*, const QString& text) override { std::fprintf(stderr, "error: %s\n", qPrintable(text)); }
    bool OpenUrl(const QString&) override { return true; }
    void SetBusy(bool) override {}

private:
    QString jar_;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PROGRAM_FOLDER/ TEXT PACKAGE.jar\n", argv[0]);
        return 2;
    }
    Application app(argc, argv);
    AnsweringDesktop desktop(QString::fromLocal8Bit(argv[3]));
    InstallDesktop(&desktop);
    MainWindow form(QString::fromLocal8Bit(argv[1]));
    form.show();
    QCoreApplication::processEvents();
    form.e_text->setText(QString::fromLocal8Bit(argv[2]));
    form.e_caption->setText(QStringLiteral("Gaps"));

    bool building = false;
    WindowGaps gaps(app, building, &form, form.i_scr);
    GapMeter& paints = gaps.paints;
    GapMeter& turns = gaps.turns;
    QElapsedTimer took;
    QTimer::singleShot(0, [&] { building = true; });
    took.start();
    try {
        form.BuildBookPackage(TextFile(ToFsPath(form.e_text->text())));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    building = false;
    std::printf("Create took %lld ms; repaints: %d, longest gap %lld ms; event loop turns (5 ms timer): %d, "
                "longest gap %lld ms\n",
                static_cast<long long>(took.elapsed()), paints.count, static_cast<long long>(paints.longest), turns.count,
                static_cast<long long>(turns.longest));
    InstallDesktop(nullptr);
    return 0;
}
