// Reading a generated fiscal archive document by document through the driver interface.
//
//   archive_bench                      all cases, each in its own process (peak memory per case)
//   archive_bench SIZE LATENCY_MS [N]  one case: N reads spread over the archive (all when 0)
//
// For every case it prints the archive size, the pause per driver call, the reads made, the time
// per read (mean, median, slowest) and the process's peak memory (VmHWM).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/GeneratedArchive.h"
#include "driver/Fptr.h"
#include "driver/JsonAnswer.h"
#include "emulator/Bench.h"
#include "emulator/VirtualRegister.h"

namespace {

long peakMemoryKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const auto& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ')[0].toLong();
    return -1;
}

int runCase(int size, int latencyMs, int samples) {
    QElapsedTimer load;
    load.start();
    emu::World::instance().loadJson(bench::generatedArchiveBench(size, latencyMs, 1),
                                    QStringLiteral("archive bench"));
    const double loadMs = load.nsecsElapsed() / 1e6;
    drv::setDispatchFactory(&emu::VirtualRegister::create);
    auto f = drv::Fptr::create();
    if (f->openSerialAuto(QStringLiteral("5")) != 0) {
        std::fprintf(stderr, "open failed: %s\n", qPrintable(f->errorDescription()));
        return 1;
    }
    std::vector<int> numbers;
    if (samples <= 0 || samples >= size) {
        for (int n = 1; n <= size; ++n) numbers.push_back(n);
    } else {
        for (int i = 0; i < samples; ++i)
            numbers.push_back(1 + int(qint64(i) * (size - 1) / (samples - 1)));
    }
    std::vector<double> micros;
    micros.reserve(numbers.size());
    qint64 bytes = 0;
    QElapsedTimer total;
    total.start();
    for (int n : numbers) {
        QElapsedTimer t;
        t.start();
        const QString text = f->jsonTask(
            QStringLiteral(
                R"({"type": "getFnDocument", "fiscalDocumentNumber": %1, "withRawData": false})")
                .arg(n));
        const auto answer = drv::JsonAnswer::parse(text);
        micros.push_back(t.nsecsElapsed() / 1e3);
        bytes += text.size();
        if (answer.textOr(QStringLiteral("documentTLV.1040")) != QString::number(n)) {
            std::fprintf(stderr, "document %d: wrong answer\n", n);
            return 1;
        }
    }
    const double totalMs = total.nsecsElapsed() / 1e6;
    std::vector<double> sorted = micros;
    std::sort(sorted.begin(), sorted.end());
    double sum = 0;
    for (double m : micros) sum += m;
    std::printf(
        "%8d docs  %3d ms/call  %7zu reads  mean %9.1f us  median %9.1f us  max %9.1f us"
        "  total %9.1f ms  load %6.1f ms  answer %5lld B  VmHWM %7ld kB\n",
        size, latencyMs, micros.size(), sum / double(micros.size()), sorted[sorted.size() / 2],
        sorted.back(), totalMs, loadMs, static_cast<long long>(bytes / qint64(micros.size())),
        peakMemoryKb());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3)
        return runCase(args[1].toInt(), args[2].toInt(), args.size() > 3 ? args[3].toInt() : 0);
    // every case in a process of its own, so each peak memory is its own
    int failed = 0;
    for (int latency : {0, 20})
        for (int size : {1000, 10000, 100000}) {
            QProcess p;
            p.setProcessChannelMode(QProcess::ForwardedChannels);
            p.start(app.applicationFilePath(), {QString::number(size), QString::number(latency),
                                                QString::number(latency > 0 ? 200 : 0)});
            p.waitForFinished(-1);
            failed += p.exitCode() != 0;
        }
    return failed ? 1 : 0;
}
