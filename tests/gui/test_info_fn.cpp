// The ФН tab in the real window, on a PC in Moscow (UTC+3, set before anything reads the zone):
// the first registration moment is shifted to local time, the validity date stays in UTC.
#include <stdlib.h>
#include <time.h>

#include <QApplication>
#include <QPushButton>
#include <QtTest>

#include "app/ui/widgets/Conventions.h"
#include "app/ui/widgets/ReportList.h"
#include "tests/gui/test_info_support.h"

using testing_support::GuiHarness;
using namespace info_test;

class TestInfoFn : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        // the zone really is UTC+3 for this process
        QCOMPARE(QDateTime(QDate(2024, 1, 15), QTime(12, 0)).offsetFromUtc(), 3 * 3600);
    }
    void init() { testing_support::useBench({}); }

    void notConnected() {
        GuiHarness h;
        h.click("btnGetFNinfo");
        QCOMPARE(h.messageTexts(), QStringList({"ККМ не подключена"}));
        QCOMPARE(ui::readMarker(h.find<QPushButton>("btnGetFNinfo")), 0);
    }

    void usbRegisterStorage() {
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabFNinfo");
        const int from = h.driverLog().size();
        h.click("btnGetFNinfo");
        QVERIFY(h.messageTexts().isEmpty());
        const auto rows = h.rows("lvFNinfo");
        QCOMPARE(rows.size(), 20);
        // 09:15 at +03:00: 09:15 in Moscow
        QCOMPARE(rows[9], QStringList({"Дата первой пере/регистрации", "14.03.2023 09:15:00"}));
        QCOMPARE(rows[10], QStringList({"Дата последней пере/регистрации", "14.03.2023 09:15:00"}));
        // 2026-03-14T00:00+03:00 shown in UTC
        QCOMPARE(rows[11], QStringList({"Срок действия ФН", "35 месяцев"}));
        QCOMPARE(rows[12], QStringList({"Срок окончания действия ФН", "13.03.2026 21:00:00"}));
        QCOMPARE(rows[4], QStringList({"Фаза жизни ФН", "Фискальный режим"}));
        QCOMPARE(rows[19], QStringList({"Количество непереданных в ОФД", "2"}));
        auto* button = h.find<QPushButton>("btnGetFNinfo");
        QCOMPARE(button->text(), QString("Cчитать"));
        QVERIFY(button->isEnabled());
        QCOMPARE(ui::readMarker(button), 1);
        // the storage presence query comes first, then the four JSON tasks in order
        const QStringList calls = callsFrom(h, from);
        QCOMPARE(calls.mid(0, 3),
                 QStringList({"setParam(65587,0)", "queryData()", "getParamBool(65707)"}));
        const QStringList tasks = calls.filter("setParam(65645,");
        QCOMPARE(tasks.size(), 4);
        QVERIFY(tasks[0].contains("getFnDocument"));
        QVERIFY(tasks[1].contains("getFnInfo"));
        QVERIFY(tasks[2].contains("getFnStatus"));
        QVERIFY(tasks[3].contains("ofdExchangeStatus"));
    }

    void networkRegisterZonelessFirstAndUtcValidity() {
        GuiHarness h;
        QVERIFY(connectTo(h, "192.168.77.40"));
        h.click("btnGetFNinfo");
        const auto rows = h.rows("lvFNinfo");
        QCOMPARE(valueOf(rows, "Дата первой пере/регистрации"), QString("20.05.2024 10:30:00"));
        QCOMPARE(valueOf(rows, "Срок окончания действия ФН"), QString("20.05.2027 00:00:00"));
        QCOMPARE(valueOf(rows, "Срок действия ФН"), QString("35 месяцев"));
        QCOMPARE(valueOf(rows, "URI сервера ОКП"), QString("Нет"));
        QCOMPARE(valueOf(rows, "ФН содержит URI сервера ОКП"), QString("Нет"));
        QCOMPARE(valueOf(rows, "Максимальная версия ФФД ФН"), QString("1.1"));
    }

    void firstDocumentMissing() {
        useBenchWith(0, [](QJsonObject& r) {
            r["jsonAnswers"] = QJsonObject{{"getFnDocument", ""}};
        });
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.click("btnGetFNinfo");
        const auto rows = h.rows("lvFNinfo");
        QCOMPARE(rows.size(), 18);
        QCOMPARE(valueOf(rows, "Дата первой пере/регистрации"), QString("<no row>"));
        QCOMPARE(valueOf(rows, "Срок действия ФН"), QString("<no row>"));
        QCOMPARE(valueOf(rows, "Срок окончания действия ФН"), QString("13.03.2026 21:00:00"));
    }

    void storageAbsent() {
        useBenchWith(0, [](QJsonObject& r) {
            r["flags"] = merged(r["flags"].toObject(), {{"fnPresent", false}});
        });
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.click("btnGetFNinfo");
        QCOMPARE(h.messageTexts(), QStringList({"Фискальный накопитель не установлен"}));
        QCOMPARE(h.rows("lvFNinfo").size(), 0);
        QVERIFY(h.list("lvFNinfo")->rowCount() > 0);  // the grid is filled
        QCOMPARE(ui::readMarker(h.find<QPushButton>("btnGetFNinfo")), 1);
    }
};

int main(int argc, char** argv) {
    // The zone is fixed before Qt or the C library reads it.
    setenv("TZ", "Europe/Moscow", 1);
    tzset();
    QApplication app(argc, argv);
    TestInfoFn test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_info_fn.moc"
