// The ККМ tab in the real window: guard, busy button, rows and the setting 37 sequence.
#include <QPushButton>
#include <QtTest>

#include "app/ui/widgets/Conventions.h"
#include "app/ui/widgets/ReportList.h"
#include "tests/gui/test_info_support.h"

using testing_support::GuiHarness;
using namespace info_test;

class TestInfoKkm : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void init() { testing_support::useBench({}); }

    void notConnectedShowsTheMessageOnly() {
        GuiHarness h;
        h.selectTab("tabKKMinfo");
        const int logBefore = h.driverLog().size();
        h.click("btnGetKKMinfo");
        QCOMPARE(h.messageTexts(), QStringList({"ККМ не подключена"}));
        QCOMPARE(h.rows("lvKKMinfo").size(), 0);
        QCOMPARE(ui::readMarker(h.find<QPushButton>("btnGetKKMinfo")), 0);
        QCOMPARE(callsFrom(h, logBefore).filter("queryData").size(), 0);
    }

    void usbRegisterReportAndSetting37() {
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabKKMinfo");
        const int from = h.driverLog().size();
        h.click("btnGetKKMinfo");
        QVERIFY(h.messageTexts().isEmpty());
        const auto rows = h.rows("lvKKMinfo");
        QCOMPARE(rows.size(), 30);
        QCOMPARE(rows[0], QStringList({"Модель", "АТОЛ 30Ф"}));
        QCOMPARE(rows[12], QStringList({"Модуль Wi-Fi", "Отсутствует"}));  // platform 5
        QCOMPARE(rows[8], QStringList({"Напряжение батареи часов", "3,1 В"}));
        QCOMPARE(rows[26], QStringList({"Необнуляемая сумма прихода", "1283455,5"}));
        QCOMPARE(rows[29][0], QString("Лицензия № 5"));
        QVERIFY(rows[29][1].startsWith("Работа с маркированными товарами ("));
        auto* list = h.list("lvKKMinfo");
        QCOMPARE(list->firstFillerRow() < 0 ? list->rowCount() : list->firstFillerRow(), 30);
        auto* button = h.find<QPushButton>("btnGetKKMinfo");
        QCOMPARE(button->text(), QString("Cчитать"));
        QVERIFY(button->isEnabled());
        QCOMPARE(ui::readMarker(button), 1);

        // read 37, write 0, the queries, write 1
        const QStringList calls = callsFrom(h, from);
        QStringList settingSteps;
        for (const auto& c : calls)
            if (c.startsWith("readDeviceSetting") || c.startsWith("writeDeviceSetting") ||
                c.startsWith("setParam(65651,") || c.startsWith("queryData") ||
                c.startsWith("endReadRecords"))
                settingSteps << c;
        QVERIFY(settingSteps.size() > 10);
        QCOMPARE(settingSteps.mid(0, 3),
                 QStringList({"readDeviceSetting()", "setParam(65651,0)", "writeDeviceSetting()"}));
        QCOMPARE(settingSteps.mid(settingSteps.size() - 3),
                 QStringList({"endReadRecords()", "setParam(65651,1)", "writeDeviceSetting()"}));
        QCOMPARE(calls.filter("writeDeviceSetting").size(), 2);
        QCOMPARE(calls.filter("setParam(65650,37)").size(), 3);

        // a second press rebuilds the list from scratch and again finds the setting at 1
        const int again = h.driverLog().size();
        h.click("btnGetKKMinfo");
        QCOMPARE(h.rows("lvKKMinfo").size(), 30);
        QCOMPARE(callsFrom(h, again).filter("writeDeviceSetting").size(), 2);
    }

    void networkRegisterTouchesNoSetting() {
        useBenchWith(1, [](QJsonObject& r) {
            r["wifi"] = 0;
            r["shift"] =
                QJsonObject{{"state", 2}, {"number", 9}, {"expiresAt", "2024-03-05T10:07:09"}};
            r["flags"] = merged(r["flags"].toObject(), {{"coverOpened", true}});
        });
        GuiHarness h;
        QVERIFY(connectTo(h, "192.168.77.40"));
        QVERIFY(!h.window()->session().isP5());
        const int from = h.driverLog().size();
        h.click("btnGetKKMinfo");
        const auto rows = h.rows("lvKKMinfo");
        QCOMPARE(rows.size(), 28);
        QCOMPARE(valueOf(rows, "Модуль Wi-Fi"), QString("0"));
        QCOMPARE(valueOf(rows, "Крышка закрыта"), QString("Нет"));
        QCOMPARE(valueOf(rows, "Минимальная версия ФФД ККТ"), QString("1.0"));
        // 10:07:09 UTC on the register's own clock (+03:00), whatever the PC's zone
        QCOMPARE(valueOf(rows, "Состояние смены"), QString("Истекла (05.03.2024 13:07:09)"));
        const QStringList calls = callsFrom(h, from);
        QCOMPARE(calls.filter("readDeviceSetting").size(), 1);
        QCOMPARE(calls.filter("writeDeviceSetting").size(), 0);
    }

    void reconnectingEmptiesTheList() {
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.click("btnGetKKMinfo");
        QCOMPARE(h.rows("lvKKMinfo").size(), 30);
        h.window()->resetViews();
        QCOMPARE(h.rows("lvKKMinfo").size(), 0);
        QCOMPARE(ui::readMarker(h.find<QPushButton>("btnGetKKMinfo")), 0);
    }
};

QTEST_MAIN(TestInfoKkm)
#include "test_info_kkm.moc"
