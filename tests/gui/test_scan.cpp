// Найти ККМ in the real window against a bench: serial part, busy holders, connected port,
// EoU channels, the virtual LAN (TTL test, probe, rows below the serial rows).
#include <QCheckBox>
#include <QFile>
#include <QJsonArray>
#include <QPushButton>
#include <QtTest>

#include "app/ui/widgets/Memo.h"
#include "app/ui/widgets/ReportList.h"
#include "discovery/DeviceScan.h"
#include "tests/support/GuiHarness.h"

using testing_support::GuiHarness;

namespace {
// Threads of this process, from /proc.
int processThreads() {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("Threads:")) return line.mid(8).trimmed().toInt();
    return -1;
}
}  // namespace

namespace {

const QString kHolder = QStringLiteral("C:\\Program Files\\Kassa\\kassa.exe");

// The demo bench plus a second USB register on COM7 (EoU COM8) held by a till program, and a
// network host with TTL 128 that runs a register on port 5555 (it must not be probed).
QByteArray scanBench() {
    QJsonObject root = testing_support::demoBench();
    QJsonObject pc = root.value("pc").toObject();
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
    QJsonArray hosts = lan.value("hosts").toArray();
    hosts.append(QJsonObject{
        {"ip", "192.168.77.50"}, {"ttl", 128}, {"timeMs", 3}, {"ports", QJsonArray{5555}}});
    lan.insert("hosts", hosts);
    pc.insert("lan", lan);
    root.insert("pc", pc);

    QJsonArray regs = root.value("registers").toArray();
    QJsonObject usb2 = regs[0].toObject();
    usb2.insert("com", "COM7");
    usb2.insert("serial", "00106107317777");
    regs.append(usb2);
    QJsonObject net2 = regs[1].toObject();
    net2.insert("ip", "192.168.77.50");
    net2.insert("serial", "00106908765050");
    regs.append(net2);
    root.insert("registers", regs);
    return testing_support::toJson(root);
}

// The program directory of the harness gets the handle-listing tool of this build.
void installHandleTool(GuiHarness& h) {
    QDir(h.progdir()).mkpath("Com");
    QFile::link(QStringLiteral(VELMOR_BINARY_DIR "/Com/hs"), h.progdir() + "/Com/hs");
}

discovery::DeviceScan* scanOf(GuiHarness& h) {
    auto* s = h.window()->findChild<discovery::DeviceScan*>();
    if (!s) qFatal("no device scan");
    return s;
}

void setOptions(GuiHarness& h, bool com, bool tcpip) {
    h.find<QCheckBox>("chkCOM")->setChecked(com);
    h.find<QCheckBox>("chkTCPIP")->setChecked(tcpip);
}

// setSingleSetting calls of the log from entry `from` on with the given setting name.
QStringList settingValues(const QList<QJsonObject>& log, qsizetype from, const QString& name) {
    QStringList out;
    for (qsizetype i = from; i < log.size(); ++i) {
        const auto& o = log[i];
        if (o.value("method").toString() != "setSingleSetting") continue;
        const auto args = o.value("args").toArray();
        if (args.size() == 2 && args[0].toString() == name) out << args[1].toVariant().toString();
    }
    return out;
}

const QStringList kRow5 = {
    "АТОЛ 30Ф (№ 00106107311234)", "COM5",  "COM6", "Доступен", "", "atol-usbcom_proxy3",
    "atol-usbcom_proxy4",          "115200"};
const QStringList kRow7 = {"Не определено",      "COM7", "COM8", "Занят", "", "atol-usbcom_proxy7",
                           "atol-usbcom_proxy8", "57600"};
const QStringList kNetRow = {
    "АТОЛ 27Ф (№ 00106908765432)", "", "", "", "192.168.77.40", "", "", ""};

}  // namespace

class TestScan : public QObject {
    Q_OBJECT
  private slots:
    void init() { testing_support::useBench(scanBench()); }

    void comOnlyListsRegistersAndBusyHolder() {
        GuiHarness h;
        installHandleTool(h);
        setOptions(h, true, false);
        const auto before = h.driverLog().size();
        h.click("btnScanConnect");

        QCOMPARE(h.rows("lvKKMconnect"), (QList<QStringList>{kRow5, kRow7}));
        QCOMPARE(h.memo(),
                 (QStringList{"COM1: Serial0", "COM5: atol-usbcom_proxy3 - обнаружено: АТОЛ 30Ф",
                              "COM6: atol-usbcom_proxy4",
                              "COM7: atol-usbcom_proxy7 - занят : " + kHolder,
                              "COM8: atol-usbcom_proxy8", "[Завершено]"}));
        // the EoU channels and the port that is not the maker's are never opened
        const auto log = h.driverLog();
        QCOMPARE(settingValues(log, before, "ComFile"), (QStringList{"5", "7"}));
        auto* btn = h.find<QPushButton>("btnScanConnect");
        QCOMPARE(btn->text(), QString("Найти ККМ"));
        QVERIFY(btn->isEnabled());
        // the handle line of the holder stays in the service view
        const QStringList serv = h.memo("mmoServ");
        QCOMPARE(serv.size(), 1);
        QVERIFY(serv[0].startsWith("kassa.exe pid: 3100"));
        QVERIFY(serv[0].endsWith("\\Device\\atol-usbcom_proxy7"));
    }

    void connectedPortIsListedWithoutOpening() {
        GuiHarness h;
        installHandleTool(h);
        setOptions(h, true, false);
        h.click("btnScanConnect");
        h.selectRow("lvKKMconnect", 0);
        h.click("btnConnectKKM");
        QCOMPARE(h.list("lvKKMconnect")->cell(0, 3), QString("Подключен"));

        const auto before = h.driverLog().size();
        h.click("btnScanConnect");
        QStringList row5 = kRow5;
        row5[3] = "Подключен";
        QCOMPARE(h.rows("lvKKMconnect"), (QList<QStringList>{row5, kRow7}));
        QVERIFY(h.memo().contains("COM5: atol-usbcom_proxy3 - подключен: АТОЛ 30Ф"));
        const auto log = h.driverLog();
        QCOMPARE(settingValues(log, before, "ComFile"), QStringList{"7"});
        // one probe, one open: COM7's
        int opens = 0;
        for (qsizetype i = before; i < log.size(); ++i)
            if (log[i].value("method").toString() == "open") ++opens;
        QCOMPARE(opens, 1);
    }

    void tcpOnlyEmptiesListAndSkipsOtherTtl() {
        GuiHarness h;
        scanOf(h)->setPacing(1, 201, 10);
        setOptions(h, false, true);
        h.window()->connectPage->rows().append(app::DeviceRow::fromCells({"старая", "COM3"}));
        const auto before = h.driverLog().size();
        h.click("btnScanConnect");
        QVERIFY(scanOf(h)->waitForWorkers(5000));

        QCOMPARE(h.rows("lvKKMconnect"), QList<QStringList>{kNetRow});
        const QStringList memo = h.memo();
        QVERIFY(memo.contains("192.168.77.1 - ответ: 1 мс TTL=64"));
        QVERIFY(memo.contains("192.168.77.50 - ответ: 3 мс TTL=128"));
        QVERIFY(memo.contains("192.168.77.40 - ответ: 2 мс TTL=255 - обнаружено: АТОЛ 27Ф"));
        QCOMPARE(memo.last(), QString("[Завершено]"));
        QCOMPARE(memo.size(), 4);
        QCOMPARE(scanOf(h)->potokExitCnt(), 254);
        QCOMPARE(scanOf(h)->numip(), 254);
        QCOMPARE(scanOf(h)->locip(), QString("192.168.77."));
        // only the TTL-255 host with port 5555 was probed, reading settings 71 and 74
        const auto log = h.driverLog();
        QCOMPARE(settingValues(log, before, "IPAddress"), QStringList{"192.168.77.40"});
        QStringList settingIds;
        for (qsizetype i = before; i < log.size(); ++i) {
            const auto args = log[i].value("args").toArray();
            if (log[i].value("method").toString() == "setParam" && args.size() == 2 &&
                args[0].toInt() == 65650)
                settingIds << args[1].toVariant().toString();
        }
        QCOMPARE(settingIds, (QStringList{"71", "74"}));
        QVERIFY(
            h.memo("mmoServ").contains("/nz/АТОЛ 27Ф (№ 00106908765432)/ip/192.168.77.40:5555"));
    }

    void bothPutsNetworkRowsBelowSerialRows() {
        GuiHarness h;
        installHandleTool(h);
        scanOf(h)->setPacing(1, 201, 10);
        setOptions(h, true, true);
        h.click("btnScanConnect");
        QVERIFY(scanOf(h)->waitForWorkers(5000));
        QCOMPARE(h.rows("lvKKMconnect"), (QList<QStringList>{kRow5, kRow7, kNetRow}));
        const QStringList memo = h.memo();
        QVERIFY(memo.contains("COM7: atol-usbcom_proxy7 - занят : " + kHolder));
        QVERIFY(!memo.contains("[Проверка используемых портов...]"));
        QCOMPARE(memo.count("[Завершено]"), 1);
        QCOMPARE(memo.last(), QString("[Завершено]"));
    }

    void fullListStillReceivesNetworkRows() {
        GuiHarness h;
        auto* list = h.list("lvKKMconnect");
        list->clearRows();
        for (int i = 0; i < 3; ++i)
            list->addDataRow({QString("r%1").arg(i), "", "", "", "", "", "", ""});
        QCOMPARE(list->firstFillerRow(), -1);
        QCOMPARE(scanOf(h)->probeAddress("192.168.77.40"), QString("АТОЛ 27Ф"));
        QCOMPARE(list->rowCount(), 4);
        QCOMPARE(list->rowCells(3), kNetRow);
        // with filler rows the row goes before the first of them
        list->clearRows();
        list->addDataRow({"r0", "", "", "", "", "", "", ""});
        list->fillGrid();
        QVERIFY(list->firstFillerRow() == 1);
        scanOf(h)->probeAddress("192.168.77.40");
        QCOMPARE(list->rowCells(1), kNetRow);
        QVERIFY(list->isFiller(2));
        // an address without a register adds nothing
        QCOMPARE(scanOf(h)->probeAddress("192.168.77.1"), QString());
        QCOMPARE(list->dataRowCount(), 2);
    }

    void lateWorkersAreReleasedWhenTheWindowCloses() {
        QJsonObject root = QJsonDocument::fromJson(scanBench()).object();
        QJsonObject pc = root.value("pc").toObject();
        QJsonObject lan = pc.value("lan").toObject();
        lan.insert("silentWaitMs", 300);
        pc.insert("lan", lan);
        root.insert("pc", pc);
        testing_support::useBench(testing_support::toJson(root));
        int threadsDuringScan = 0;
        {
            GuiHarness h;
            scanOf(h)->setPacing(1, 0, 0);
            setOptions(h, false, true);
            h.click("btnScanConnect");
            QVERIFY(scanOf(h)->runningWorkers() > 0);  // the scan ended before its workers
            threadsDuringScan = processThreads();
            h.close();
        }
        // the window is gone: its workers were released and joined, none is left to touch it
        // (ASan/UBSan builds would report a touch)
        QTRY_VERIFY_WITH_TIMEOUT(processThreads() < threadsDuringScan, 5000);
    }

    void driverNotBoundScansNothing() {
        QJsonObject root = QJsonDocument::fromJson(scanBench()).object();
        QJsonObject pc = root.value("pc").toObject();
        pc.insert("driver", QJsonObject{{"creatable", false}, {"version", "10.10.4.0"}});
        root.insert("pc", pc);
        testing_support::useBench(testing_support::toJson(root));
        GuiHarness h;
        h.click("btnScanConnect");
        QVERIFY(GuiHarness::messageTexts().contains(
            "Не удалось подключиться к драйверу ККТ, установите драйвер."));
        QCOMPARE(h.rows("lvKKMconnect").size(), 0);
    }
};

QTEST_MAIN(TestScan)
#include "test_scan.moc"
