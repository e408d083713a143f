// The walks of the Чеки tab on a generated 100 000-document archive, at 0 and 20 ms per driver
// operation: the date search 30 days back, next shift and previous shift from the middle of a
// shift. For each walk it prints the document reads (counted below the driver object), the
// bound the walk must keep, the wall time and, for the date search, the longest time the window
// went without processing its messages.
//
//   walk_bench                  both pauses
//   walk_bench LATENCY_MS       one pause
//   walk_bench LATENCY_MS SIZE  one pause, another archive size
//
// The exit code is 1 when a walk reads more than its bound, ends other than by showing a
// document, or keeps the window from its messages for more than 100 ms.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/Ui.h"
#include "bench/GeneratedArchive.h"
#include "documents/Archive.h"
#include "driver/Fptr.h"
#include "emulator/Bench.h"
#include "emulator/VirtualRegister.h"

namespace {

// Counts the document reads the walks make, below the driver object.
class CountingDriver : public drv::IDispatch {
  public:
    explicit CountingDriver(std::unique_ptr<drv::IDispatch> inner) : inner_(std::move(inner)) {}
    std::optional<QVariant> constant(const QString& name) const override {
        return inner_->constant(name);
    }
    std::optional<QVariant> invoke(const QString& method, const QVariantList& args) override {
        if (method == QLatin1String("setParam") && args.size() == 2 && args[0].toInt() == 65645)
            request_ = args[1].toString();
        if (method == QLatin1String("processJson") && request_.contains("getFnDocument")) {
            const auto o = QJsonDocument::fromJson(request_.toUtf8()).object();
            numbers.push_back(o.value(QStringLiteral("fiscalDocumentNumber")).toInteger());
        }
        return inner_->invoke(method, args);
    }
    std::optional<int> lastErrorCode() const override { return inner_->lastErrorCode(); }

    std::vector<qint64> numbers;

  private:
    std::unique_ptr<drv::IDispatch> inner_;
    QString request_;
};

// The window during a walk: messages are written down; a pause runs the event loop for its
// whole length, so only the time between two waits is time without processed messages.
class TimingUi : public ui::IUi {
  public:
    void start() {
        clock_.start();
        last_ = 0;
        longest_ = 0;
        messages.clear();
    }
    void message(const QString& text, ui::Icon, std::optional<QString>) override {
        messages << text;
    }
    bool confirm(const QString&, ui::Icon, bool) override { return true; }
    void processEvents() override {
        batch();
        QCoreApplication::processEvents();
    }
    void pause(int ms) override {
        batch();
        QThread::msleep(ulong(ms));
        QCoreApplication::processEvents();
        last_ = clock_.nsecsElapsed();
    }
    // The gap up to the end of the walk counts too.
    double longestGapMs() {
        batch();
        return longest_ / 1e6;
    }

    QStringList messages;

  private:
    void batch() {
        const qint64 now = clock_.nsecsElapsed();
        longest_ = std::max(longest_, now - last_);
        last_ = now;
    }
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
};

struct Opened {
    std::unique_ptr<drv::Fptr> fptr;
    CountingDriver* counter = nullptr;
};

Opened open(int size, int latencyMs) {
    emu::World::instance().loadJson(bench::generatedArchiveBench(size, latencyMs, 7),
                                    QStringLiteral("walk bench"));
    auto counting = std::make_unique<CountingDriver>(std::make_unique<emu::VirtualRegister>());
    Opened o;
    o.counter = counting.get();
    o.fptr = std::make_unique<drv::Fptr>(std::move(counting));
    if (o.fptr->openSerialAuto(QStringLiteral("COM5")) != 0) {
        std::fprintf(stderr, "open failed: %s\n", qPrintable(o.fptr->errorDescription()));
        std::exit(2);
    }
    return o;
}

// The shift number of document `n` (read outside the counted walks).
qint64 shiftOf(Opened& o, qint64 n) {
    const auto doc = documents::readDocument(*o.fptr, n);
    o.counter->numbers.clear();
    return doc.tlv(QStringLiteral("1038")).value_or(QStringLiteral("-1")).toLongLong();
}

const char* endName(documents::WalkEnd e) {
    switch (e) {
        case documents::WalkEnd::Nothing:
            return "nothing";
        case documents::WalkEnd::Shown:
            return "shown";
        case documents::WalkEnd::NoDocuments:
            return "no documents";
        case documents::WalkEnd::NotFound:
            return "not found";
        case documents::WalkEnd::Aborted:
            return "aborted";
        case documents::WalkEnd::InArchive:
            return "in archive";
        case documents::WalkEnd::DriverError:
            return "driver error";
    }
    return "?";
}

bool report(const char* walk, int latencyMs, const documents::WalkResult& r, std::size_t reads,
            double bound, double wallMs, const QString& detail) {
    const bool ok = r.end == documents::WalkEnd::Shown && double(reads) <= bound &&
                    std::size_t(r.reads) == reads;
    std::printf("%-15s %3d ms | %-8s | reads %4zu (walk says %4d), bound %6.1f | %9.1f ms | %s%s\n",
                walk, latencyMs, endName(r.end), reads, r.reads, bound, wallMs, qPrintable(detail),
                ok ? "" : "  <-- FAILED");
    return ok;
}

// The window while the bench prepares its cases: no waits.
class QuietUi : public ui::IUi {
  public:
    void message(const QString&, ui::Icon, std::optional<QString>) override {}
    bool confirm(const QString&, ui::Icon, bool) override { return true; }
    void processEvents() override {}
    void pause(int) override {}
};

// What the walks start from, found on the same archive without pauses.
struct Cases {
    documents::TabState state;
    qint64 count = 0;
    qint64 lastShift = 0;
    QDate day;           // the first day at least 30 days back on which a shift opened
    qint64 walked = 0;   // shifts the date search walks back through
    qint64 between = 0;  // documents outside shifts on the way (exchange status reports)
    qint64 middle = 0;   // a receipt in the middle of a shift, half-way through the archive
    qint64 middleShift = 0;
};

std::optional<Cases> prepare(int size) {
    Opened o = open(size, 0);
    QuietUi quiet;
    Cases c;
    c.state = documents::readArchiveState(*o.fptr, quiet);
    if (!c.state.fnFound || !c.state.last) return std::nullopt;
    c.count = c.state.lastNumber.toLongLong();
    c.lastShift = c.state.lastShift.toLongLong();
    documents::RunMark mark;
    for (int back = 30; back < 60; ++back) {
        mark.set();
        o.counter->numbers.clear();
        const QDate day = c.state.last->addDays(-back);
        const auto r = documents::dateSearch(*o.fptr, quiet, mark,
                                             {c.state.lastNumber, c.state.lastDate, day});
        if (r.end != documents::WalkEnd::Shown) continue;
        c.day = day;
        const qint64 lowest =
            *std::min_element(o.counter->numbers.begin(), o.counter->numbers.end());
        c.walked = c.lastShift - shiftOf(o, lowest) + 1;
        for (qint64 n = lowest; n <= c.count; ++n)
            if (documents::readDocument(*o.fptr, n).docClass() == documents::DocClass::Other)
                ++c.between;
        break;
    }
    if (!c.day.isValid()) return std::nullopt;
    c.middle = c.count / 2;
    while (c.middle < c.count - 1 && !(shiftOf(o, c.middle - 1) == shiftOf(o, c.middle) &&
                                       shiftOf(o, c.middle) == shiftOf(o, c.middle + 1)))
        ++c.middle;
    c.middleShift = shiftOf(o, c.middle);
    return c;
}

bool runCase(const Cases& c, int latencyMs, int size) {
    Opened o = open(size, latencyMs);
    TimingUi ui;
    bool ok = true;
    documents::RunMark mark;

    // Date search, back to the first day at least 30 days before the last document on which a
    // shift opened. Every document outside a shift on the way costs the walk one read more.
    {
        mark.set();
        ui.start();
        QElapsedTimer t;
        t.start();
        const auto r =
            documents::dateSearch(*o.fptr, ui, mark, {c.state.lastNumber, c.state.lastDate, c.day});
        const double wall = t.nsecsElapsed() / 1e6;
        const double gap = ui.longestGapMs();
        const std::size_t reads = o.counter->numbers.size();
        const bool right = r.show && shiftOf(o, *r.show) > 0;
        ok &= right && gap <= 100;
        ok &= report("date search", latencyMs, r, reads,
                     2.0 * double(c.walked) + double(c.between) + 3, wall,
                     QStringLiteral("back to %1: %2 shifts and %3 documents between them, "
                                    "longest gap %4 ms%5")
                         .arg(c.day.toString(Qt::ISODate))
                         .arg(c.walked)
                         .arg(c.between)
                         .arg(gap, 0, 'f', 1)
                         .arg(gap > 100 ? QStringLiteral(" (over 100 ms)") : QString()));
    }

    // Next shift.
    {
        mark.set();
        ui.start();
        QElapsedTimer t;
        t.start();
        const auto r = documents::nextShift(*o.fptr, ui, mark,
                                            {{},
                                             QString::number(c.middle),
                                             c.state.lastNumber,
                                             QString::number(c.middleShift),
                                             c.state.lastShift,
                                             [] {}});
        const double wall = t.nsecsElapsed() / 1e6;
        const std::size_t reads = o.counter->numbers.size();
        const qint64 shown = r.show.value_or(0);
        const bool right = r.show && shiftOf(o, shown) == c.middleShift + 1;
        ok &= right;
        ok &= report("next shift", latencyMs, r, reads, 2.0 * std::log2(double(c.count)) + 4, wall,
                     QStringLiteral("from %1 (shift %2) to %3%4")
                         .arg(c.middle)
                         .arg(c.middleShift)
                         .arg(shown)
                         .arg(right ? QString() : QStringLiteral(" (wrong shift)")));
    }

    // Previous shift: the opening of the shown document's shift.
    {
        mark.set();
        ui.start();
        QElapsedTimer t;
        t.start();
        const auto r = documents::previousShift(
            *o.fptr, ui, mark, {{}, QString::number(c.middle), c.state.lastNumber, {}, {}, [] {}});
        const double wall = t.nsecsElapsed() / 1e6;
        const std::size_t reads = o.counter->numbers.size();
        const qint64 shown = r.show.value_or(0);
        const bool right = r.show && shiftOf(o, shown) == c.middleShift && shown < c.middle;
        ok &= right;
        ok &= report("previous shift", latencyMs, r, reads, 3, wall,
                     QStringLiteral("from %1 to %2%3")
                         .arg(c.middle)
                         .arg(shown)
                         .arg(right ? QString() : QStringLiteral(" (wrong document)")));
    }
    std::printf("\n");
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    drv::setDispatchFactory(&emu::VirtualRegister::create);
    const QStringList args = app.arguments();
    const int size = args.size() > 2 ? args[2].toInt() : 100000;
    std::vector<int> latencies{0, 20};
    if (args.size() > 1) latencies = {args[1].toInt()};
    QElapsedTimer prep;
    prep.start();
    const auto cases = prepare(size);
    if (!cases) {
        std::fprintf(stderr, "the archive has no shift to search for\n");
        return 2;
    }
    std::printf(
        "archive of %lld documents, %lld shifts, last document on %s (prepared in %.0f ms)\n\n",
        cases->count, cases->lastShift, qPrintable(cases->state.last->toString(Qt::ISODate)),
        prep.nsecsElapsed() / 1e6);
    bool ok = true;
    for (int latency : latencies) ok &= runCase(*cases, latency, size);
    return ok ? 0 : 1;
}
