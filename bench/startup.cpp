// Start-up benchmark: time from the start of main() to the first painted main window, and peak
// memory, for the program with the demo bench and for a bare Qt window, in the same run; then the
// ratio of the medians, which should stay at or under 1.5.
//
//   startup_bench [runs]      runs each kind `runs` times (default 5) as child processes
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QProcess>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/ui/Program.h"

namespace {

QElapsedTimer sinceStart;

class FirstPaint : public QObject {
  public:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && !done) {
            done = true;
            const qint64 ms = sinceStart.elapsed();
            QMetaObject::invokeMethod(
                qApp,
                [ms] {
                    rusage u{};
                    getrusage(RUSAGE_SELF, &u);
                    std::printf("%lld %ld\n", static_cast<long long>(ms), u.ru_maxrss);
                    std::fflush(stdout);
                    QApplication::quit();
                },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(o, e);
    }
    bool done = false;
};

int child(int argc, char** argv, bool bare) {
    sinceStart.start();
    FirstPaint paint;
    if (bare) {
        QApplication app(argc, argv);
        QWidget w;
        w.resize(698, 672);
        w.installEventFilter(&paint);
        w.show();
        return app.exec();
    }
    QApplication app(argc, argv);
    app::Program program = app::createProgram();
    program.mainWindow->installEventFilter(&paint);
    program.mainWindow->show();
    return app.exec();
}

struct Sample {
    qint64 ms = 0;
    long rssKb = 0;
};

Sample runChild(const QString& self, const QString& kind) {
    QProcess p;
    p.start(self, {"--child", kind});
    p.waitForFinished(60000);
    const auto parts = QString::fromLatin1(p.readAllStandardOutput()).split(' ');
    return {parts.value(0).trimmed().toLongLong(), parts.value(1).trimmed().toLong()};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && QByteArray(argv[1]) == "--child")
        return child(argc, argv, QByteArray(argv[2]) == "bare");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication core(argc, argv);
    const int runs = argc >= 2 ? std::max(1, atoi(argv[1])) : 5;
    std::printf("%-12s %10s %10s %12s\n", "kind", "median ms", "min ms", "peak RSS MiB");
    std::vector<qint64> medians;
    for (const QString kind : {"bare", "velmor-kkt"}) {
        std::vector<Sample> s;
        for (int i = 0; i < runs; ++i) s.push_back(runChild(core.applicationFilePath(), kind));
        std::sort(s.begin(), s.end(), [](auto& a, auto& b) { return a.ms < b.ms; });
        long rss = 0;
        for (auto& x : s) rss = std::max(rss, x.rssKb);
        std::printf("%-12s %10lld %10lld %12.1f\n", qPrintable(kind),
                    static_cast<long long>(s[s.size() / 2].ms), static_cast<long long>(s[0].ms),
                    rss / 1024.0);
        medians.push_back(s[s.size() / 2].ms);
    }
    std::printf("first paint: %.2f x the bare window's (goal: 1.5 or less)\n",
                double(medians[1]) / double(std::max<qint64>(1, medians[0])));
    return 0;
}
