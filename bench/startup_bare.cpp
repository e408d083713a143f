// A bare Qt 6 program for the start-up benchmark: an application object and an empty window of
// the main window's size. It links Qt Widgets alone, as any Qt program does at the least.
// Prints the monotonic clock (µs) at the first paint, the milliseconds since main() and the peak
// memory (KiB).
#include <sys/resource.h>
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QWidget>
#include <cstdio>

namespace {

long long monotonicUs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000LL + t.tv_nsec / 1000;
}

}  // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceMain;
    sinceMain.start();
    QApplication app(argc, argv);
    QWidget w;
    w.resize(698, 672);
    struct FirstPaint : QObject {
        QElapsedTimer* since = nullptr;
        bool eventFilter(QObject* o, QEvent* e) override {
            if (e->type() == QEvent::Paint) {
                rusage u{};
                getrusage(RUSAGE_SELF, &u);
                std::printf("%lld %lld %ld\n", monotonicUs(),
                            static_cast<long long>(since->elapsed()), u.ru_maxrss);
                std::fflush(stdout);
                QMetaObject::invokeMethod(qApp, &QApplication::quit, Qt::QueuedConnection);
                o->removeEventFilter(this);
            }
            return false;
        }
    } paint;
    paint.since = &sinceMain;
    w.installEventFilter(&paint);
    w.show();
    return app.exec();
}
