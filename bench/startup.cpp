// Start-up benchmark: time to the first painted main window, from the launch of the process
// (what the user waits for: loading the libraries, the application object, the window) and
// from the start of main(), with the peak memory; for the program with the demo bench and for a
// bare Qt 6 program (startup_bare, Qt Widgets alone) in the same run. Then the ratio of the
// medians, which should stay at or under 1.5.
//
//   startup_bench [runs]      runs each kind `runs` times (default 9) as child processes
//
// With a display (DISPLAY or WAYLAND_DISPLAY) both draw on it, as on a desktop; without one they
// draw offscreen, where nothing connects to a display server and the first font load (which the
// bare window, drawing no text, does not pay) weighs most. `xvfb-run -a build*/startup_bench`
// measures against an X server without a desktop.
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/ui/Program.h"
#include "bench/FirstPaint.h"

namespace {

using startup_bench::monotonicUs;

// The program as main() starts it.
int child(int argc, char** argv) {
    QElapsedTimer sinceMain;
    sinceMain.start();
    startup_bench::FirstPaint paint(sinceMain);
    QApplication app(argc, argv);
    app::Program program = app::createProgram();
    program.mainWindow->installEventFilter(&paint);
    program.mainWindow->show();
    return app.exec();
}

struct Sample {
    double fromLaunchMs = 0;
    double fromMainMs = 0;
    long rssKb = 0;
};

Sample runChild(const QString& program, const QStringList& args) {
    QProcess p;
    const long long launched = monotonicUs();
    p.start(program, args);
    p.waitForFinished(60000);
    const auto parts = QString::fromLatin1(p.readAllStandardOutput()).trimmed().split(' ');
    if (parts.size() < 3) {
        std::fprintf(stderr, "%s gave no first paint\n", qPrintable(program));
        std::exit(1);
    }
    return {(parts[0].toLongLong() - launched) / 1000.0, parts[1].toDouble(), parts[2].toLong()};
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && QByteArray(argv[1]) == "--child") return child(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication core(argc, argv);
    std::printf("platform: %s\n", qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
                                      ? "the desktop's"
                                      : qgetenv("QT_QPA_PLATFORM").constData());
    const int runs = argc >= 2 ? std::max(1, atoi(argv[1])) : 9;
    const QString dir = QCoreApplication::applicationDirPath();
    struct Kind {
        const char* name;
        QString program;
        QStringList args;
    };
    const Kind kinds[] = {{"bare Qt 6", dir + "/startup_bare", {}},
                          {"velmor-kkt", core.applicationFilePath(), {"--child"}}};
    std::printf("%-12s %16s %12s %16s %14s\n", "kind", "from launch ms", "(min)", "from main() ms",
                "peak RSS MiB");
    double launch[2] = {}, fromMain[2] = {};
    for (int k = 0; k < 2; ++k) {
        std::vector<double> l, m;
        long rss = 0;
        // one run first, so both kinds start with the files in the page cache
        runChild(kinds[k].program, kinds[k].args);
        for (int i = 0; i < runs; ++i) {
            const Sample s = runChild(kinds[k].program, kinds[k].args);
            l.push_back(s.fromLaunchMs);
            m.push_back(s.fromMainMs);
            rss = std::max(rss, s.rssKb);
        }
        launch[k] = median(l);
        fromMain[k] = median(m);
        std::printf("%-12s %16.1f %12.1f %16.1f %14.1f\n", kinds[k].name, launch[k],
                    *std::min_element(l.begin(), l.end()), fromMain[k], rss / 1024.0);
    }
    std::printf("first paint from launch: %.2f x the bare program's (goal: 1.5 or less)\n",
                launch[1] / std::max(0.1, launch[0]));
    std::printf("first paint from main(): %.2f x\n", fromMain[1] / std::max(0.1, fromMain[0]));
    return 0;
}
