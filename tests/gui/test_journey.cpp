// A technician's first session with the demo bench: find the registers, connect by double
// click, restart and find the list again.
#include <QtTest>

#include "app/ConnectPage.h"
#include "discovery/DeviceScan.h"
#include "tests/support/GuiHarness.h"

using testing_support::GuiHarness;

namespace {

void doubleClickRow(ui::ReportList* list, int row) {
    const QRect r = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
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

            doubleClickRow(h.list("lvKKMconnect"), 0);
            QCOMPARE(h.memo().value(0), QString("Подключена ККМ: АТОЛ 30Ф"));
            QCOMPARE(h.rows("lvKKMconnect")[0][app::colState], QString("Подключен"));
            doubleClickRow(h.list("lvKKMconnect"), 1);
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
        doubleClickRow(again.list("lvKKMconnect"), 0);
        QCOMPARE(again.memo().value(0), QString("Подключена ККМ: АТОЛ 30Ф"));
    }
};

QTEST_MAIN(TestJourney)
#include "test_journey.moc"
