// Device scan figures on the bench's virtual PC:
//   serial: 20 maker's ports (10 registers, register and EoU channel each), 20 ms per driver call
//   network: a /24 where no host answers (each echo waits out 1000 ms): wall time, peak worker
//   threads and process threads, peak memory.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <thread>

#include "app/DeviceRows.h"
#include "app/LineLog.h"
#include "app/Session.h"
#include "app/Ui.h"
#include "discovery/DeviceScan.h"
#include "driver/Dispatch.h"
#include "emulator/Bench.h"
#include "emulator/VirtualPc.h"
#include "emulator/VirtualRegister.h"

namespace {

class PlainUi : public ui::IUi {
  public:
    void message(const QString&, ui::Icon, std::optional<QString>) override {}
    bool confirm(const QString&, ui::Icon, bool) override { return true; }
    void processEvents() override { QCoreApplication::processEvents(); }
    void pause(int ms) override {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }
};

long statusValue(const char* key) {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const auto& line : f.readAll().split('\n'))
        if (line.startsWith(key)) return line.mid(qstrlen(key)).trimmed().split(' ')[0].toLong();
    return -1;
}

QByteArray benchJson(int registers, int latencyMs, int silentWaitMs) {
    QJsonObject root = QJsonDocument::fromJson(emu::World::demoBenchJson()).object();
    QJsonObject pc = root.value("pc").toObject();
    QJsonArray serial, pnp, regs;
    QJsonObject ports;
    const QJsonObject model = root.value("registers").toArray()[0].toObject();
    for (int i = 0; i < registers; ++i) {
        const int kkm = 10 + 2 * i, eou = kkm + 1;
        serial.append(QJsonObject{{"value", QString("\\Device\\atol-usbcom_proxy%1").arg(kkm)},
                                  {"port", QString("COM%1").arg(kkm)}});
        serial.append(QJsonObject{{"value", QString("\\Device\\atol-usbcom_proxy%1").arg(eou)},
                                  {"port", QString("COM%1").arg(eou)}});
        pnp.append(
            QJsonObject{{"caption", QString("ATOL USB Virtual COM (COM%1)").arg(kkm)},
                        {"id", QString("USB\\VID_2912&PID_0005&MI_00\\7&%1&0&0000").arg(i)}});
        pnp.append(
            QJsonObject{{"caption", QString("ATOL USB Virtual COM (COM%1)").arg(eou)},
                        {"id", QString("USB\\VID_2912&PID_0005&MI_02\\7&%1&0&0002").arg(i)}});
        ports.insert(QString("COM%1").arg(kkm), QJsonObject{{"speed", 115200}});
        ports.insert(QString("COM%1").arg(eou), QJsonObject{{"speed", 115200}});
        QJsonObject r = model;
        r.insert("com", QString("COM%1").arg(kkm));
        r.insert("serial", QString("0010610731%1").arg(1000 + i));
        regs.append(r);
    }
    pc.insert("serialcomm", serial);
    pc.insert("pnp", pnp);
    pc.insert("ports", ports);
    pc.insert("latencyMs", latencyMs);
    pc.insert("lan", QJsonObject{{"route", "192.168.50.1"},
                                 {"silentWaitMs", silentWaitMs},
                                 {"hosts", QJsonArray()}});
    root.insert("pc", pc);
    root.insert("registers", regs);
    return QJsonDocument(root).toJson();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    drv::setDispatchFactory(&emu::VirtualRegister::create);
    PlainUi u;
    emu::VirtualPc pc;
    app::Session session(pc, "/tmp/");
    session.bind(nullptr, true, {});
    app::LineLog memo, serv;
    app::DeviceRows list;

    {
        emu::World::instance().loadJson(benchJson(10, 20, 1000), "scan bench");
        discovery::DeviceScan scan(session, u, list, memo, serv, nullptr);
        QElapsedTimer t;
        t.start();
        scan.run(true, false);
        std::printf("serial: 20 ports, 10 registers, 20 ms per call: %lld ms, %d rows\n",
                    t.elapsed(), list.size());
    }
    {
        emu::World::instance().loadJson(benchJson(0, 0, 1000), "scan bench");
        const long threadsBefore = statusValue("Threads:");
        std::atomic<bool> sampling{true};
        std::atomic<long> peakThreads{0};
        std::thread sampler([&] {
            while (sampling) {
                const long n = statusValue("Threads:");
                if (n > peakThreads) peakThreads = n;
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
        discovery::DeviceScan scan(session, u, list, memo, serv, nullptr);
        QElapsedTimer t;
        t.start();
        scan.run(false, true);
        const qint64 runMs = t.elapsed();
        scan.waitForWorkers(10000);
        const qint64 allMs = t.elapsed();
        sampling = false;
        sampler.join();
        std::printf(
            "network: /24, no host answers: scan %lld ms (workers done after %lld ms), "
            "peak workers %d, peak process threads %ld (%ld before), VmHWM %ld kB\n",
            runMs, allMs, scan.peakWorkers(), peakThreads.load(), threadsBefore,
            statusValue("VmHWM:"));
    }
    return 0;
}
