// A technician's session with a driver library: the window binds libvelmor-fptr-virtual.so
// through the adapter (VELMOR_FPTR_LIBRARY), finds the registers, connects, reads the ККМ,
// Регистрация and ФН tabs and meets a port another program holds.
//
// The library reads its registers from the bench file named in VELMOR_BENCH; the window's PC
// (ports, network, processes) is the same bench in this process. The registers of this
// process carry other serial numbers and another driver version, so every answer shown below
// can only have come through the C interface.
#include <QtTest>

#include "app/DriverBinding.h"
#include "app/ui/Program.h"
#include "discovery/DeviceScan.h"
#include "discovery/ui/ConnectPage.h"
#include "driver/ValueText.h"
#include "emulator/Bench.h"
#include "emulator/VirtualPc.h"
#include "platform/LinuxPc.h"
#include "tests/support/GuiHarness.h"

using testing_support::GuiHarness;

namespace {

const QString kHolder = QStringLiteral("C:\\Program Files\\Kassa\\kassa.exe");
const QString kLibraryVersion = QStringLiteral("10.10.9.1");

// The demo bench, a driver of version 10.10.9.1 and a second USB register on COM7 (EoU COM8)
// that a till program holds.
QJsonObject journeyBench() {
    QJsonObject root = testing_support::demoBench();
    QJsonObject pc = root.value("pc").toObject();
    pc.insert("driver", QJsonObject{{"creatable", true}, {"version", kLibraryVersion}});
    QJsonArray serial = pc.value("serialcomm").toArray();
    serial.append(QJsonObject{{"value", "\\Device\\atol-usbcom_proxy7"}, {"port", "COM7"}});
    serial.append(QJsonObject{{"value", "\\Device\\atol-usbcom_proxy8"}, {"port", "COM8"}});
    pc.insert("serialcomm", serial);
    QJsonArray pnp = pc.value("pnp").toArray();
    pnp.append(QJsonObject{{"caption", "ATOL USB Virtual COM (COM7)"},
                           {"id", "USB\\VID_2912&PID_0005&MI_00\\7&11AA22BB&0&0000"}});
    pnp.append(QJsonObject{{"caption", "ATOL USB Virtual COM (COM8)"},
                           {"id", "USB\\VID_2912&PID_0005&MI_02\\7&11AA22BB&0&0002"}});
    pc.insert("pnp", pnp);
    QJsonObject ports = pc.value("ports").toObject();
    ports.insert("COM7", QJsonObject{{"speed", 57600}, {"busyBy", 3100}});
    ports.insert("COM8", QJsonObject{{"speed", 57600}});
    pc.insert("ports", ports);
    QJsonArray procs = pc.value("processes").toArray();
    procs.append(QJsonObject{{"pid", 3100}, {"path", kHolder}, {"handles", QJsonArray()}});
    pc.insert("processes", procs);
    QJsonObject lan = pc.value("lan").toObject();
    lan.insert("silentWaitMs", 2);
    pc.insert("lan", lan);
    root.insert("pc", pc);
    QJsonArray regs = root.value("registers").toArray();
    QJsonObject usb2 = regs[0].toObject();
    usb2.insert("com", "COM7");
    usb2.insert("serial", "00106107317777");
    regs.append(usb2);
    root.insert("registers", regs);
    return root;
}

// The same bench as this process has it: the same PC, registers with other serial numbers
// (00… becomes 99…) and the driver version 10.10.4.0.
QByteArray inProcessTwin() {
    QJsonObject root = journeyBench();
    QJsonObject pc = root.value("pc").toObject();
    pc.insert("driver", QJsonObject{{"creatable", true}, {"version", "10.10.4.0"}});
    root.insert("pc", pc);
    QJsonArray regs = root.value("registers").toArray();
    for (auto r : regs) {
        QJsonObject o = r.toObject();
        o.insert("serial", "99" + o.value("serial").toString().mid(2));
        r = o;
    }
    root.insert("registers", regs);
    return testing_support::toJson(root);
}

QString libraryFile() {
    return QFileInfo(QStringLiteral(VELMOR_VIRTUAL_LIBRARY)).canonicalFilePath();
}

int rowOfPort(GuiHarness& h, const QString& port) {
    const auto rows = h.rows("lvKKMconnect");
    for (int i = 0; i < rows.size(); ++i)
        if (rows[i][app::colCom] == port) return i;
    return -1;
}

const char* kUsbRow =
    "[Fset]\nsave=1\ncom=1\nip=0\n[SavedKKM1]\nkkm=АТОЛ 30Ф (№ 00106107311234)\nkkmcom=COM5\n"
    "eoucom=COM6\nip=\nkkmproxy=atol-usbcom_proxy3\neouproxy=atol-usbcom_proxy4\n"
    "speed=115200\n";

// The three report lists after connecting to the saved USB register and reading each tab.
QList<QList<QStringList>> readReports() {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("pf");
    QFile ini(dir.filePath("pf/set.ini"));
    if (!ini.open(QIODevice::WriteOnly)) return {};
    ini.write(kUsbRow);
    ini.close();
    GuiHarness h(dir.path());
    h.selectRow("lvKKMconnect", 0);
    h.click("btnConnectKKM");
    if (!h.window()->session().kkmConnected()) return {};
    QList<QList<QStringList>> out;
    const std::pair<const char*, const char*> tabs[] = {{"tabKKMinfo", "btnGetKKMinfo"},
                                                        {"tabRegInfo", "btnGetReginfo"},
                                                        {"tabFNinfo", "btnGetFNinfo"}};
    for (const auto& [tab, read] : tabs) {
        h.selectTab(tab);
        h.click(read);
        out << h.rows(QString(read) == "btnGetKKMinfo"   ? "lvKKMinfo"
                      : QString(read) == "btnGetReginfo" ? "lvRegInfo"
                                                         : "lvFNinfo");
    }
    return out;
}

}  // namespace

class TestJourneyLibrary : public QObject {
    Q_OBJECT
    QTemporaryDir benchDir_;

  private slots:
    void initTestCase() {
        QVERIFY(QFileInfo::exists(libraryFile()));
        QFile f(benchDir_.filePath("bench.json"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(testing_support::toJson(journeyBench()));
        f.close();
        qputenv("VELMOR_BENCH", QFile::encodeName(f.fileName()));
        qputenv("VELMOR_FPTR_LIBRARY", QFile::encodeName(libraryFile()));
    }
    void cleanupTestCase() {
        qunsetenv("VELMOR_FPTR_LIBRARY");
        qunsetenv("VELMOR_BENCH");
    }
    void init() { testing_support::useBench(inProcessTwin()); }

    void theDriverIsChosenAtStartUp() {
        const auto none = [](const char*) { return QString(); };
        const auto bench = [](const char* name) {
            return qstrcmp(name, "VELMOR_BENCH") == 0 ? QStringLiteral("bench.json") : QString();
        };
        // a library beside the program is bound, and drives the PC's own ports
        QTemporaryDir prog;
        const QString beside = prog.filePath("libfptr10.so");
        QVERIFY(QFile::copy(libraryFile(), beside));
        auto pc = app::setUpDriverAndPc(prog.path(), none);
        QVERIFY(app::driverInUse().library);
        QCOMPARE(app::driverInUse().libraryPath, QFileInfo(beside).canonicalFilePath());
        QCOMPARE(app::driverInUse().libraryVersion, kLibraryVersion);
        QVERIFY(dynamic_cast<platform::LinuxPc*>(pc.get()));
        QCOMPARE(drv::Fptr::create()->version(), kLibraryVersion);

        // the bench means the virtual register of this process, even with a library beside
        pc = app::setUpDriverAndPc(prog.path(), bench);
        QVERIFY(!app::driverInUse().library);
        QCOMPARE(app::driverInUse().statusLines,
                 QStringList({"Используется виртуальная ККТ (стенд VELMOR_BENCH)"}));
        QVERIFY(dynamic_cast<emu::VirtualPc*>(pc.get()));
        QCOMPARE(drv::Fptr::create()->version(), QString("10.10.4.0"));

        // the INI option names the library; the program's folder is not searched then
        QDir(prog.path()).mkpath("pf");
        QFile ini(prog.filePath("pf/set.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Fset]\nsave=1\n[Driver]\nlibrary=" + QFile::encodeName(libraryFile()) + "\n");
        ini.close();
        pc = app::setUpDriverAndPc(prog.path(), none);
        QCOMPARE(app::driverInUse().libraryPath, libraryFile());
        QVERIFY(dynamic_cast<platform::LinuxPc*>(pc.get()));

        // a library named with a bench: the bench's PC around the library's registers
        const auto named = [](const char* name) {
            if (qstrcmp(name, "VELMOR_FPTR_LIBRARY") == 0) return libraryFile();
            return qstrcmp(name, "VELMOR_BENCH") == 0 ? QStringLiteral("bench.json") : QString();
        };
        pc = app::setUpDriverAndPc(QString(), named);
        QCOMPARE(app::driverInUse().libraryPath, libraryFile());
        QVERIFY(dynamic_cast<emu::VirtualPc*>(pc.get()));
    }

    void theWindowSaysWhichLibraryIsBound() {
        GuiHarness h;
        QCOMPARE(h.memo(),
                 QStringList({"Найден драйвер ККТ: Версия " + kLibraryVersion + " (32bit)",
                              "Драйвер (32bit) подключен",
                              "Библиотека драйвера ККТ: " + libraryFile() + ", версия " +
                                  kLibraryVersion}));
        QVERIFY2(h.find<QLabel>("lblDrvVer")->text().endsWith(" / Драйвер ККТ: " + kLibraryVersion),
                 qPrintable(h.find<QLabel>("lblDrvVer")->text()));
        QCOMPARE(h.find<QPushButton>("btnDrvDown")->text(), QString("Обновить драйвер"));
        QVERIFY(h.window()->session().fptrOK());
        QCOMPARE(h.window()->session().drvVer(), kLibraryVersion);
    }

    void scanConnectAndReadTheReports() {
        QTemporaryDir dir;
        GuiHarness h(dir.path());
        h.window()->findChild<discovery::DeviceScan*>()->setPacing(1, 201, 2);
        h.click("chkTCPIP");
        h.click("btnScanConnect");
        QTRY_COMPARE(h.find<QPushButton>("btnScanConnect")->text(), QString("Найти ККМ"));
        const auto rows = h.rows("lvKKMconnect");
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0][app::colKkm], QString("АТОЛ 30Ф (№ 00106107311234)"));
        QCOMPARE(rows[0][app::colCom], QString("COM5"));
        QCOMPARE(rows[0][app::colState], QString("Доступен"));
        QCOMPARE(rows[1][app::colCom], QString("COM7"));
        QCOMPARE(rows[1][app::colState], QString("Занят"));
        QCOMPARE(rows[2][app::colKkm], QString("АТОЛ 27Ф (№ 00106908765432)"));
        QCOMPARE(rows[2][app::colIp], QString("192.168.77.40"));

        h.doubleClickRow("lvKKMconnect", 0);
        QVERIFY(h.window()->session().kkmConnected());
        QCOMPARE(h.memo().mid(0, 3),
                 QStringList({"Подключена ККМ: АТОЛ 30Ф", "Серийный номер: 00106107311234",
                              "Версия ПО: 5.8.100"}));
        struct Tab {
            const char* tab;
            const char* read;
            const char* list;
        };
        const Tab tabs[] = {{"tabKKMinfo", "btnGetKKMinfo", "lvKKMinfo"},
                            {"tabRegInfo", "btnGetReginfo", "lvRegInfo"},
                            {"tabFNinfo", "btnGetFNinfo", "lvFNinfo"}};
        for (const Tab& t : tabs) {
            h.selectTab(t.tab);
            h.click(t.read);
            const auto report = h.rows(t.list);
            QVERIFY2(report.size() >= 20, t.list);
            QString all;
            for (const auto& row : report) all += row.join('|') + '\n';
            QVERIFY2(!all.contains("99106107311234"), t.list);
            if (QLatin1String(t.list) == QLatin1String("lvKKMinfo"))
                QVERIFY2(all.contains("00106107311234"), qPrintable(all));
        }
        QVERIFY(GuiHarness::messages().isEmpty());

        // every call the log shows carries the error code the library reported
        const auto log = h.driverLog();
        int opens = 0;
        for (const auto& o : log) {
            if (!o.contains("method")) continue;
            QVERIFY2(o.value("error").toInt(-1) >= 0, qPrintable(o.value("method").toString()));
            if (o.value("method") == "open" && o.value("error").toInt() == 0) ++opens;
        }
        QVERIFY(opens >= 3);  // two probes and the connection
    }

    // The same bench read through the library and in this process gives the same reports.
    void theReportsMatchTheInProcessRegister() {
        const auto viaLibrary = readReports();
        qunsetenv("VELMOR_FPTR_LIBRARY");
        testing_support::useBench(testing_support::toJson(journeyBench()));
        const auto inProcess = readReports();
        qputenv("VELMOR_FPTR_LIBRARY", QFile::encodeName(libraryFile()));
        QCOMPARE(viaLibrary.size(), 3);
        QCOMPARE(inProcess.size(), 3);
        for (int t = 0; t < 3; ++t) {
            QVERIFY(viaLibrary[t].size() >= 20);
            QCOMPARE(viaLibrary[t].size(), inProcess[t].size());
            for (int r = 0; r < viaLibrary[t].size(); ++r) {
                const QStringList& a = viaLibrary[t][r];
                const QStringList& b = inProcess[t][r];
                QCOMPARE(a.value(0), b.value(0));
                if (a == b) continue;
                // the register's clock runs on between the two readings
                const QDateTime ta = drv::parseDateTimeText(a.value(1));
                const QDateTime tb = drv::parseDateTimeText(b.value(1));
                QVERIFY2(ta.isValid() && tb.isValid() && qAbs(ta.secsTo(tb)) <= 10,
                         qPrintable(a.join('|') + " / " + b.join('|')));
            }
        }
    }

    void aPortAnotherProgramHoldsNamesItsHolder() {
        QTemporaryDir dir;
        GuiHarness h(dir.path());
        h.window()->findChild<discovery::DeviceScan*>()->setPacing(1, 201, 2);
        h.click("btnScanConnect");
        QTRY_COMPARE(h.find<QPushButton>("btnScanConnect")->text(), QString("Найти ККМ"));
        const int row = rowOfPort(h, "COM7");
        QVERIFY(row >= 0);
        const auto before = h.driverLog().size();
        h.selectRow("lvKKMconnect", row);
        h.click("btnConnectKKM");
        QCOMPARE(GuiHarness::messageTexts(), QStringList({"(3) Порт занят"}));
        QCOMPARE(h.memo(), QStringList({"COM7: atol-usbcom_proxy7 - занят, используется процессом:",
                                        kHolder}));
        QVERIFY(!h.window()->session().kkmConnected());
        // the failed open is logged with the library's error code
        const auto log = h.driverLog();
        bool sawOpen = false;
        for (auto i = before; i < log.size(); ++i)
            if (log[i].value("method") == "open") {
                QCOMPARE(log[i].value("error").toInt(), 3);
                sawOpen = true;
            }
        QVERIFY(sawOpen);
    }
};

QTEST_MAIN(TestJourneyLibrary)
#include "test_journey_library.moc"
