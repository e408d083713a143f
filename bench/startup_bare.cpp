// A bare Qt 6 program for the start-up benchmark: an application object and an empty window of
// the main window's size. It links Qt Widgets alone, as any Qt program does at the least.
// Prints the monotonic clock (µs) at the first paint, the milliseconds since main() and the peak
// memory (KiB).
#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>

#include "bench/FirstPaint.h"

int main(int argc, char** argv) {
    QElapsedTimer sinceMain;
    sinceMain.start();
    startup_bench::FirstPaint paint(sinceMain);
    QApplication app(argc, argv);
    QWidget w;
    w.resize(698, 672);
    w.installEventFilter(&paint);
    w.show();
    return app.exec();
}
