// Settings figures on the virtual register: read and lay out a 400-setting table (the platform 5
// table plus settings in no group) with the platform 5 catalogue, at 0 and 20 ms per driver
// operation. Prints the wall time, the driver calls, the time spent inside the driver, our
// own time beyond latency x operations, and the longest time the window would go without a turn
// of its event loop (target: 100 ms at 20 ms per operation).
//   settings_bench [source dir]   (default: the source tree this program was built from)
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>

#include "app/Ui.h"
#include "driver/Fptr.h"
#include "emulator/Bench.h"
#include "emulator/VirtualRegister.h"
#include "settings/SettingsTable.h"

namespace {

class QuietUi : public ui::IUi {
  public:
    void message(const QString& text, ui::Icon, std::optional<QString>) override {
        std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
    }
    bool confirm(const QString&, ui::Icon, bool) override { return true; }
    // Notes the longest time between two turns of the event loop (or the start, or `finish`).
    void processEvents() override { turn(); }
    void start() {
        longestNs = 0;
        clock.start();
    }
    void turn() {
        longestNs = std::max(longestNs, clock.nsecsElapsed());
        clock.restart();
    }
    QElapsedTimer clock;
    qint64 longestNs = 0;
    void pause(int) override {}
};

// Counts and times the calls that reach the driver object.
class CountingDispatch : public drv::IDispatch {
  public:
    explicit CountingDispatch(std::unique_ptr<drv::IDispatch> inner) : inner_(std::move(inner)) {}
    std::optional<QVariant> constant(const QString& name) const override {
        ++constants;
        return inner_->constant(name);
    }
    std::optional<QVariant> invoke(const QString& method, const QVariantList& args) override {
        QElapsedTimer t;
        t.start();
        auto r = inner_->invoke(method, args);
        nsInside += t.nsecsElapsed();
        ++calls;
        // Parameters, getters and the error state stay inside the driver; the rest goes to
        // the register and pays the link's latency.
        if (method != "setParam" && !method.startsWith("getParam") && method != "errorCode" &&
            method != "errorDescription")
            ++operations;
        return r;
    }
    mutable int constants = 0;
    int calls = 0;
    int operations = 0;
    qint64 nsInside = 0;

  private:
    std::unique_ptr<drv::IDispatch> inner_;
};

QJsonArray table400(const QString& sourceDir) {
    QFile f(QDir(sourceDir).filePath("emulator/data/settings-p5.json"));
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(f.fileName()));
        std::exit(1);
    }
    QJsonArray table = QJsonDocument::fromJson(f.readAll()).array();
    // settings a register reports but no group shows
    for (int id = 388; table.size() < 400; ++id)
        table.append(QJsonObject{{"id", id}, {"type", "number"}, {"value", 0}});
    return table;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString sourceDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : VELMOR_SOURCE_DIR;
    const QJsonArray table = table400(sourceDir);
    QuietUi ui;

    std::printf("settings table: %lld settings, catalogue pf/set5x.ini\n",
                static_cast<long long>(table.size()));
    std::printf("%8s %5s %6s %5s %10s %10s %10s %12s %7s %8s %7s\n", "latency", "rows", "calls",
                "ops", "wall ms", "driver ms", "own ms", "wall-lat*ops", "target", "stall ms",
                "target");
    // At 0 ms: one cold run, then the median of five; at 20 ms: one run.
    const struct {
        int latency;
        int runs;
        const char* note;
    } plan[] = {{0, 1, "cold"}, {0, 5, "median of 5"}, {20, 1, ""}};
    for (const auto& p : plan) {
        const QJsonObject reg{
            {"com", "COM7"}, {"platform", "5"}, {"settings", table}, {"latencyMs", p.latency}};
        emu::World::instance().loadJson(
            QJsonDocument(QJsonObject{{"registers", QJsonArray{reg}}}).toJson(), "settings bench");
        struct Run {
            double wallMs, driverMs, stallMs;
            int calls, operations;
            qsizetype rows;
        };
        QList<Run> runs;
        for (int i = 0; i < p.runs; ++i) {
            auto counting =
                std::make_unique<CountingDispatch>(std::make_unique<emu::VirtualRegister>());
            CountingDispatch* counter = counting.get();
            drv::Fptr fptr(std::move(counting));
            if (fptr.openSerialAuto("7") != 0) {
                std::fprintf(stderr, "open failed\n");
                return 1;
            }
            counter->calls = counter->operations = 0;
            counter->nsInside = 0;
            QElapsedTimer wall;
            wall.start();
            ui.start();
            const auto read = settings::readSettings(fptr, ui, sourceDir, true);
            ui.turn();
            const qint64 ns = wall.nsecsElapsed();
            if (!read) return 1;
            runs.append({ns / 1e6, counter->nsInside / 1e6, ui.longestNs / 1e6, counter->calls,
                         counter->operations, read->rows.size()});
        }
        std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) {
            return a.wallMs - a.driverMs < b.wallMs - b.driverMs;
        });
        const Run& r = runs[runs.size() / 2];
        // Own time: the wall time less the time spent inside the driver object (its latency
        // and its own work). The last figure also charges us the sleeps' overshoot.
        const double ownMs = r.wallMs - r.driverMs;
        std::printf("%5d ms %5lld %6d %5d %10.1f %10.1f %10.1f %12.1f %7s %8.1f %7s %s\n",
                    p.latency, static_cast<long long>(r.rows), r.calls, r.operations, r.wallMs,
                    r.driverMs, ownMs, r.wallMs - double(p.latency) * r.operations,
                    ownMs <= 50 ? "ok" : "MISSED", r.stallMs, r.stallMs <= 100 ? "ok" : "MISSED",
                    p.note);
    }
    return 0;
}
