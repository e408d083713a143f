// A technician's first session with the demo bench: find the registers, connect by double
// click, restart and find the list again.
#include <QtTest>

#include "app/ui/widgets/FileDialog.h"
#include "discovery/DeviceScan.h"
#include "discovery/ui/ConnectPage.h"
#include "tests/support/GuiHarness.h"

using testing_support::GuiHarness;

namespace {

QString readAnsi(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = f.readAll();
    QStringDecoder cp1251("windows-1251");
    if (!cp1251.isValid()) qFatal("no Windows-1251 decoder");
    return cp1251(bytes);
}

}  // namespace

class TestJourney : public QObject {
    Q_OBJECT
  private slots:
    void init() { testing_support::useBench({}); }

    void findConnectRestart() {
        QTemporaryDir dir;
        {
            GuiHarness h(dir.path());
            h.window()->findChild<discovery::DeviceScan*>()->setPacing(1, 201, 2);
            h.click("chkTCPIP");
            h.click("btnScanConnect");
            QTRY_COMPARE(h.find<QPushButton>("btnScanConnect")->text(), QString("Найти ККМ"));
            QTRY_COMPARE(h.rows("lvKKMconnect").size(), 2);
            const auto rows = h.rows("lvKKMconnect");
            QCOMPARE(rows[0][app::colKkm], QString("АТОЛ 30Ф (№ 00106107311234)"));
            QCOMPARE(rows[0][app::colCom], QString("COM5"));
            QCOMPARE(rows[0][app::colEou], QString("COM6"));
            QCOMPARE(rows[0][app::colState], QString("Доступен"));
            QCOMPARE(rows[1][app::colKkm], QString("АТОЛ 27Ф (№ 00106908765432)"));
            QCOMPARE(rows[1][app::colIp], QString("192.168.77.40"));
            QVERIFY(h.memo().contains("[Завершено]"));
            h.screenshot("scan");

            h.doubleClickRow("lvKKMconnect", 0);
            QCOMPARE(h.memo().value(0), QString("Подключена ККМ: АТОЛ 30Ф"));
            QCOMPARE(h.rows("lvKKMconnect")[0][app::colState], QString("Подключен"));
            h.doubleClickRow("lvKKMconnect", 1);
            QCOMPARE(h.memo().value(0), QString("Подключена ККМ: АТОЛ 27Ф"));
            QCOMPARE(h.rows("lvKKMconnect")[0][app::colState], QString("Доступен"));
            h.close();
        }
        GuiHarness again(dir.path());
        const auto rows = again.rows("lvKKMconnect");
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0][app::colKkm], QString("АТОЛ 30Ф (№ 00106107311234)"));
        QCOMPARE(rows[0][app::colKkmProxy], QString("atol-usbcom_proxy3"));
        QCOMPARE(rows[0][app::colSpeed], QString("115200"));
        QCOMPARE(rows[0][app::colState], QString());
        QCOMPARE(rows[1][app::colIp], QString("192.168.77.40"));
        QVERIFY(again.find<QCheckBox>("chkTCPIP")->isChecked());
        again.doubleClickRow("lvKKMconnect", 0);
        QCOMPARE(again.memo().value(0), QString("Подключена ККМ: АТОЛ 30Ф"));
    }

    void readAndSaveEachInfoTab() {
        QTemporaryDir dir;
        GuiHarness h(dir.path());
        h.window()->findChild<discovery::DeviceScan*>()->setPacing(1, 201, 2);
        h.click("btnScanConnect");
        QTRY_COMPARE(h.find<QPushButton>("btnScanConnect")->text(), QString("Найти ККМ"));
        h.doubleClickRow("lvKKMconnect", 0);
        QVERIFY(h.window()->session().kkmConnected());
        struct Tab {
            const char* tab;
            const char* read;
            const char* list;
            const char* save;
            const char* firstCaption;
        };
        const Tab tabs[] = {
            {"tabKKMinfo", "btnGetKKMinfo", "lvKKMinfo", "btnSaveKKMInfo", "Свойства ККМ"},
            {"tabRegInfo", "btnGetReginfo", "lvRegInfo", "btnSaveRegInfo", "Параметры регистрации"},
            {"tabFNinfo", "btnGetFNinfo", "lvFNinfo", "btnSaveFNInfo", "Свойства ФН"}};
        for (const Tab& t : tabs) {
            h.selectTab(t.tab);
            h.click(t.read);
            h.screenshot(t.tab);
            const auto rows = h.rows(t.list);
            QVERIFY2(rows.size() >= 20, t.list);
            const QString txt = dir.filePath(QString(t.list) + ".txt");
            const QString csv = dir.filePath(QString(t.list) + ".csv");
            ui::FileDialog::setNextFileName(txt, 1);
            h.click(t.save);
            ui::FileDialog::setNextFileName(csv, 2);
            h.click(t.save);

            QFile raw(txt);
            QVERIFY(raw.open(QIODevice::ReadOnly));
            const QByteArray bytes = raw.readAll();
            QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
            QVERIFY(bytes.endsWith("\r\n"));
            QCOMPARE(bytes.count("\r\n"), bytes.count('\n'));  // every line ends in CR LF
            const QStringList lines = readAnsi(txt).split("\r\n", Qt::SkipEmptyParts);
            QCOMPARE(lines.size(), rows.size() + 2);
            QVERIFY(lines[0].startsWith(t.firstCaption));
            QVERIFY(lines[1].count('-') == lines[1].size());
            // every line with two cells has its bar in the same column
            const int bar = int(lines[0].indexOf("  |  "));
            QVERIFY(bar > 0);
            for (const QString& line : lines.mid(2))
                if (line.contains("  |  ") && !line.startsWith('|'))
                    QVERIFY2(line.indexOf("  |  ") == bar, qPrintable(line));
            QVERIFY(lines.join('\n').contains(rows[0][1]));

            const QStringList csvLines = readAnsi(csv).split("\r\n", Qt::SkipEmptyParts);
            QCOMPARE(csvLines[0], QString("<%1>;<Значение>").arg(t.firstCaption));
            QCOMPARE(csvLines[1], QString(";"));
            QCOMPARE(csvLines.size(), rows.size() + 2);
        }
        QVERIFY(GuiHarness::messages().isEmpty());
    }
};

QTEST_MAIN(TestJourney)
#include "test_journey.moc"
