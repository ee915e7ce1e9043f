#pragma once
// The longest time between two events of one kind, for the window's benchmarks.
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QWidget>
#include <QApplication>
#include <QTimer>
#include <algorithm>

namespace lumira {

// The longest time between two events of one kind, counted while `active` is set; as an event
// filter of the application, the paints of `window`'s widgets (the window itself is covered by
// its controls, so it is they that paint).
class GapMeter : public QObject {
public:
    explicit GapMeter(const bool& active, const QWidget* window = nullptr) : active_(active), window_(window)
    {
        clock_.start();
    }
    qint64 longest = 0;
    int count = 0;
    void Mark()
    {
        if (!active_) return;
        const qint64 now = clock_.elapsed();
        if (count > 0) longest = std::max(longest, now - last_);
        last_ = now;
        ++count;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == window_)
            Mark();
        return false;
    }

private:
    const bool& active_;
    const QWidget* window_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
};

// What a window benchmark watches while `active` is set: the gaps between the paints of
// `window` (a repaint of `surface` is asked for every 10 ms) and between the turns of the event
// loop (a 5 ms timer).
struct WindowGaps {
    WindowGaps(QApplication& app, const bool& active, const QWidget* window, QWidget* surface)
        : paints(active, window), turns(active)
    {
        app.installEventFilter(&paints);
        QObject::connect(&tick, &QTimer::timeout, [this] { turns.Mark(); });
        tick.start(5);
        QObject::connect(&ask, &QTimer::timeout, [surface] { surface->update(); });
        ask.start(10);
    }
    GapMeter paints, turns;
    QTimer tick, ask;
};

} // namespace lumira
