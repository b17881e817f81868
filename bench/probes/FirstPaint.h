#pragma once
// The probes' common part: when the first paint of a window's widgets begins, the probe prints
// the monotonic clock in nanoseconds and ends, so its parent can time process start to paint.

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>

class FirstPaintExit : public QObject {
public:
    explicit FirstPaintExit(QWidget* window) : window_(window) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == window_) {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::printf("%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            std::fflush(stdout);
            std::_Exit(0);
        }
        return false;
    }

private:
    QWidget* window_;
};
