// velmor-kkt-cli metrics --all over a bench of 50 registers (register and EoU channel each on
// the maker's USB ports), at 0 and 20 ms per driver call: wall time of the whole run and driver
// calls per register (from the driver log, the scan's probes included).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "emulator/Bench.h"

namespace {

constexpr int kRegisters = 50;

QByteArray benchJson(int latencyMs) {
    QJsonObject bench = QJsonDocument::fromJson(emu::World::demoBenchJson()).object();
    QJsonObject pc = bench["pc"].toObject();
    QJsonArray serialcomm, pnp, registers;
    QJsonObject ports;
    const QJsonObject model = bench["registers"].toArray().first().toObject();
    for (int i = 0; i < kRegisters; ++i) {
        // Three-digit numbers only: the scan knows a port by its name within the device's
        // caption, and COM10 stands within "(COM101)".
        const QString com = QStringLiteral("COM%1").arg(110 + 2 * i);
        const QString eou = QStringLiteral("COM%1").arg(111 + 2 * i);
        const QString parent = QStringLiteral("7&%1&0&").arg(0x2C8A0000 + i, 8, 16);
        serialcomm.append(QJsonObject{
            {"value", QStringLiteral("\\Device\\atol-usbcom_proxy%1").arg(2 * i)}, {"port", com}});
        serialcomm.append(
            QJsonObject{{"value", QStringLiteral("\\Device\\atol-usbcom_proxy%1").arg(2 * i + 1)},
                        {"port", eou}});
        pnp.append(QJsonObject{{"caption", QStringLiteral("ATOL USB Virtual COM (%1)").arg(com)},
                               {"id", "USB\\VID_2912&PID_0005&MI_00\\" + parent + "0000"}});
        pnp.append(QJsonObject{{"caption", QStringLiteral("ATOL USB Virtual COM (%1)").arg(eou)},
                               {"id", "USB\\VID_2912&PID_0005&MI_02\\" + parent + "0002"}});
        ports[com] = QJsonObject{{"speed", 115200}};
        ports[eou] = QJsonObject{{"speed", 115200}};
        QJsonObject reg = model;
        reg["com"] = com;
        reg["serial"] = QStringLiteral("001061073%1").arg(i, 5, 10, QLatin1Char('0'));
        registers.append(reg);
    }
    pc["serialcomm"] = serialcomm;
    pc["pnp"] = pnp;
    pc["ports"] = ports;
    pc["latencyMs"] = latencyMs;
    bench["pc"] = pc;
    bench["registers"] = registers;
    return QJsonDocument(bench).toJson();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString program = QCoreApplication::applicationDirPath() + "/velmor-kkt-cli";
    QTemporaryDir dir;
    std::printf("metrics --all over %d registers\n", kRegisters);
    for (int latency : {0, 20}) {
        const QString benchPath = dir.filePath(QStringLiteral("bench%1.json").arg(latency));
        const QString logPath = dir.filePath(QStringLiteral("log%1.jsonl").arg(latency));
        QFile bench(benchPath);
        if (!bench.open(QIODevice::WriteOnly)) return 1;
        bench.write(benchJson(latency));
        bench.close();
        auto env = QProcessEnvironment::systemEnvironment();
        env.remove("VELMOR_FPTR_LIBRARY");
        env.insert("VELMOR_BENCH", benchPath);
        env.insert("VELMOR_DRIVER_LOG", logPath);
        QProcess p;
        p.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        p.start(program, {"metrics", "--all", "--timeout", "120"});
        p.waitForFinished(-1);
        const double seconds = t.elapsed() / 1000.0;
        int up = 0;
        for (const QByteArray& line : p.readAllStandardOutput().split('\n'))
            if (line.startsWith("velmor_kkt_up{") && line.endsWith("} 1")) ++up;
        QFile log(logPath);
        log.open(QIODevice::ReadOnly);
        const qsizetype calls = log.readAll().count("\"method\"");
        std::printf(
            "%2d ms per call: %6.2f s wall, %d registers up (exit %d), %.1f driver "
            "calls per register\n",
            latency, seconds, up, p.exitCode(), double(calls) / kRegisters);
    }
    return 0;
}
