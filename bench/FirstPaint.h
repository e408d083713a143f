#pragma once
// The start-up benchmark's probe, shared by the program's child and the bare Qt program: at a
// window's first paint it prints "<monotonic µs> <ms since main()> <peak RSS KiB>" and quits the
// application. Header only, so the bare program links Qt Widgets alone.
#include <sys/resource.h>
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <cstdio>

namespace startup_bench {

inline long long monotonicUs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000LL + t.tv_nsec / 1000;
}

class FirstPaint : public QObject {
  public:
    // `sinceMain` was started first thing in main().
    explicit FirstPaint(const QElapsedTimer& sinceMain) : sinceMain_(sinceMain) {}
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && !done_) {
            done_ = true;
            const long long at = monotonicUs();
            const qint64 ms = sinceMain_.elapsed();
            rusage u{};
            getrusage(RUSAGE_SELF, &u);
            std::printf("%lld %lld %ld\n", at, static_cast<long long>(ms), u.ru_maxrss);
            std::fflush(stdout);
            QMetaObject::invokeMethod(qApp, &QApplication::quit, Qt::QueuedConnection);
        }
        return QObject::eventFilter(o, e);
    }

  private:
    const QElapsedTimer& sinceMain_;
    bool done_ = false;
};

}  // namespace startup_bench
