// How the main window lives while its preview pages a whole text: chooses the text, asks for a
// repaint of the preview every 10 ms, and reports how long the page index took, its pages, the
// process's peak memory, and the longest gap between two repaints of the window and between two
// turns of its event loop until the last page is counted.
//   bench_preview_gaps PROGRAM_FOLDER/ TEXT
// PROGRAM_FOLDER holds what ships beside the program (sample, iface.dat, profiles.ini, velmar.dat).
#include "app/main_window.h"
#include "bench/app/gap_meter.h"
#include "platform/application.h"

#include <QLabel>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

using namespace lumira;

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PROGRAM_FOLDER/ TEXT\n", argv[0]);
        return 2;
    }
    Application app(argc, argv);
    MainWindow form(QString::fromLocal8Bit(argv[1]));
    form.show();
    QCoreApplication::processEvents();

    bool indexing = false;
    WindowGaps gaps(app, indexing, &form, form.i_scr);
    GapMeter& paints = gaps.paints;
    GapMeter& turns = gaps.turns;
    QElapsedTimer took;
    qint64 firstPage = -1;
    const auto sample = form.PreviewPages.Index();  // the sample's, until the text's first page
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (firstPage < 0 && form.PreviewPages.Index() != sample && form.PreviewPages.PageCount() > 0) firstPage = took.elapsed();
        if (firstPage >= 0 && !form.PageIndexBusy() && form.PreviewPages.Complete()) app.quit();
    });
    QTimer::singleShot(0, [&] {
        indexing = true;
        took.start();
        form.ChooseTextFile(QString::fromLocal8Bit(argv[2]));
        watch.start(1);
    });
    app.exec();
    indexing = false;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("Paged in %lld ms (first page after %lld ms), %d pages, peak RSS %ld MB; repaints: %d, longest gap %lld ms; "
                "event loop turns (5 ms timer): %d, longest gap %lld ms\n",
                static_cast<long long>(took.elapsed()), static_cast<long long>(firstPage), form.PreviewPages.PageCount(),
                usage.ru_maxrss / 1024, paints.count, static_cast<long long>(paints.longest), turns.count,
                static_cast<long long>(turns.longest));
    return 0;
}
