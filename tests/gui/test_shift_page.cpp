// The Смена tab in the real window: the shift report, open and close the shift, the X report,
// cash in and out with the amount box, and the list's file, each checked in the driver log, the
// print journal and the virtual register's state.
#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "app/ui/widgets/Conventions.h"
#include "app/ui/widgets/FileDialog.h"
#include "documents/Shift.h"
#include "driver/ValueText.h"
#include "emulator/Bench.h"
#include "info/ReportExport.h"
#include "tests/gui/test_info_support.h"

using testing_support::GuiHarness;
using namespace info_test;

namespace {

const QStringList kButtons = {"btnShift",        "btnOpenShift",   "btnCloseShift",
                              "btnShiftXreport", "btnShiftCashIn", "btnShiftCashOut"};

std::shared_ptr<emu::Register> usbRegister() {
    return emu::World::instance().reg(0);
}

QStringList printed(int from = 0) {
    QStringList out;
    const auto items = usbRegister()->journal->items();
    for (int i = from; i < items.size(); ++i) out << items[i].kind + ":" + items[i].text;
    return out;
}

// Operations among the calls (no parameters, getters or error queries).
QStringList operationsFrom(GuiHarness& h, int from) {
    QStringList out;
    for (const auto& c : callsFrom(h, from))
        if (!c.startsWith("setParam") && !c.startsWith("getParam")) out << c;
    return out;
}

void typeAmount(GuiHarness& h, const QString& keys) {
    auto* box = h.find<QLineEdit>("edtShiftCash");
    box->clear();
    box->setFocus();
    QTest::keyClicks(box, keys);
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The USB register with its shift closed (number 42) and 200 in the drawer.
void useClosedShift() {
    useBenchWith(0, [](QJsonObject& r) {
        // the storage ends with the closing of shift 42
        auto fn = r["fn"].toObject();
        auto archive = fn["archive"].toObject();
        archive["size"] = 216;
        fn["archive"] = archive;
        r["fn"] = fn;
        r["counters"] = QJsonObject{{"cashSum", 200}};
    });
}

}  // namespace

class TestShiftPage : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void init() {
        testing_support::useBench({});
        ui::MessageBox::clearHistory();
    }

    void everyButtonNeedsARegister() {
        GuiHarness h;
        h.selectTab("tabShift");
        const int from = h.driverLog().size();
        for (const auto& b : kButtons) h.click(b);
        QCOMPARE(h.messageTexts(), QStringList(kButtons.size(), "ККМ не подключена"));
        QCOMPARE(operationsFrom(h, from), QStringList());
        QCOMPARE(ui::readMarker(h.find<QPushButton>("btnShift")), 0);
        QVERIFY(h.rows("lvShiftInfo").isEmpty());
        QCOMPARE(usbRegister()->journal->size(), 0);
    }

    void readTheReport() {
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabShift");
        const int from = h.driverLog().size();
        h.click("btnShift");
        QVERIFY(h.messageTexts().isEmpty());
        const auto rows = h.rows("lvShiftInfo");
        QCOMPARE(rows.size(), 16);
        const auto r = usbRegister();
        QCOMPARE(valueOf(rows, "Состояние смены"),
                 "Открыта (" +
                     drv::dateTimeText(
                         testing_support::registerWallTime(r->shift.expiresAt.addSecs(-86400))) +
                     ")");
        QCOMPARE(valueOf(rows, "Номер смены"), QString("42"));
        QCOMPARE(valueOf(rows, "Количество чеков за смену"), QString("3"));
        QCOMPARE(valueOf(rows, "Сумма в денежном ящике"), QString("15200,5"));
        QCOMPARE(rows.last().value(0), QString("Сумма в денежном ящике"));
        auto* button = h.find<QPushButton>("btnShift");
        QCOMPARE(button->text(), QString("Cчитать"));
        QVERIFY(button->isEnabled());
        QCOMPARE(ui::readMarker(button), 1);
        const QStringList ops = operationsFrom(h, from);
        QCOMPARE(ops.filter("queryData").size(), 12);
        QCOMPARE(ops.filter("fnQueryData").size(), 1);
        QCOMPARE(ops.size(), 13);
        // a read prints nothing
        QCOMPARE(r->journal->size(), 0);

        // a reset empties the list, the marker and the amount box
        h.find<QLineEdit>("edtShiftCash")->setText("5");
        h.window()->resetViews();
        QVERIFY(h.rows("lvShiftInfo").isEmpty());
        QCOMPARE(ui::readMarker(button), 0);
        QCOMPARE(h.find<QLineEdit>("edtShiftCash")->text(), QString("100,00"));
    }

    void openCashAndCloseTheShift() {
        useClosedShift();
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabShift");
        const auto r = usbRegister();
        const int lastDoc = r->archive.lastNumber();
        h.click("btnShift");
        QCOMPARE(valueOf(h.rows("lvShiftInfo"), "Состояние смены"), QString("Закрыта"));

        int from = h.driverLog().size();
        h.click("btnOpenShift");
        QVERIFY(h.messageTexts().isEmpty());
        QCOMPARE(operationsFrom(h, from), QStringList({"openShift()", "checkDocumentClosed()"}));
        QCOMPARE(r->shift.number, 43);
        QCOMPARE(r->archive.lastNumber(), lastDoc + 1);
        QCOMPARE(r->archive.document(lastDoc + 1)->value("fiscalDocumentType").toString(),
                 QString("openShift"));
        QCOMPARE(printed(), QStringList({"report:ОТЧЕТ ОБ ОТКРЫТИИ СМЕНЫ"}));
        // the list is not refreshed by an operation
        QCOMPARE(valueOf(h.rows("lvShiftInfo"), "Состояние смены"), QString("Закрыта"));

        // the default amount goes as the text 100.00
        from = h.driverLog().size();
        h.click("btnShiftCashIn");
        QVERIFY(h.messageTexts().isEmpty());
        const QString sumParam =
            QString::number(h.window()->session().fptr()->c(drv::names::LIBFPTR_PARAM_SUM));
        QCOMPARE(callsFrom(h, from),
                 QStringList({"setParam(" + sumParam + ",100.00)", "cashIncome()"}));
        QCOMPARE(r->counters.cashSum, 300.0);

        typeAmount(h, "1.2a50,5");
        QCOMPARE(h.find<QLineEdit>("edtShiftCash")->text(), QString("1250,5"));
        from = h.driverLog().size();
        h.click("btnShiftCashOut");
        QVERIFY(callsFrom(h, from).contains("setParam(" + sumParam + ",1250.5)"));
        // more than the drawer holds: refused, told with the register's code
        QCOMPARE(h.messageTexts().size(), 1);
        QVERIFY2(h.messageTexts()[0].startsWith("(80) "), qPrintable(h.messageTexts()[0]));
        QCOMPARE(r->counters.cashSum, 300.0);
        QCOMPARE(r->counters.cashOutCount, 0);
        QCOMPARE(printed(), QStringList({"report:ОТЧЕТ ОБ ОТКРЫТИИ СМЕНЫ", "cashIn:100.00"}));
    }

    void cashOutMoreThanTheDrawerHoldsIsRefused() {
        useClosedShift();
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabShift");
        const auto r = usbRegister();
        h.click("btnOpenShift");
        typeAmount(h, "250,5");
        h.click("btnShiftCashOut");
        QCOMPARE(h.messageTexts().size(), 1);
        QVERIFY2(h.messageTexts()[0].startsWith("(80) "), qPrintable(h.messageTexts()[0]));
        QCOMPARE(r->counters.cashSum, 200.0);
        QCOMPARE(r->counters.cashOutCount, 0);
        // the window stays usable: the buttons are enabled and the next amount goes through
        for (const auto& b : kButtons) QVERIFY(h.find<QPushButton>(b)->isEnabled());
        typeAmount(h, "199,99");
        h.click("btnShiftCashOut");
        QCOMPARE(h.messageTexts().size(), 1);
        QCOMPARE(r->counters.cashSum, 0.01);
        QCOMPARE(printed(1), QStringList({"cashOut:199.99"}));
    }

    void reportShowsNewCountersOnlyAfterTheNextRead() {
        useClosedShift();
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabShift");
        const auto r = usbRegister();
        h.click("btnOpenShift");
        h.click("btnShift");
        QCOMPARE(valueOf(h.rows("lvShiftInfo"), "Количество внесений"), QString("0"));
        typeAmount(h, "1000,5");
        h.click("btnShiftCashIn");
        QVERIFY(h.messageTexts().isEmpty());
        QCOMPARE(valueOf(h.rows("lvShiftInfo"), "Количество внесений"), QString("0"));
        QCOMPARE(valueOf(h.rows("lvShiftInfo"), "Сумма в денежном ящике"), QString("200"));
        h.click("btnShift");
        const auto rows = h.rows("lvShiftInfo");
        QCOMPARE(valueOf(rows, "Количество внесений"), QString("1"));
        QCOMPARE(valueOf(rows, "Сумма внесений"), QString("1000,5"));
        QCOMPARE(valueOf(rows, "Сумма в денежном ящике"), QString("1200,5"));
        QCOMPARE(valueOf(rows, "Номер смены"), QString("43"));
        QCOMPARE(r->counters.cashSum, 1200.5);

        // X report and the closing: printed, the archive gets the closing document, the shift's
        // counters start again and the drawer keeps its cash
        const int lastDoc = r->archive.lastNumber();
        // the closing is asked first; "Отмена" (also what Enter alone answers) keeps the shift
        ui::MessageBox::setNextAnswer(QMessageBox::Cancel);
        int from = h.driverLog().size();
        h.click("btnCloseShift");
        QCOMPARE(h.messageTexts(), QStringList({documents::kCloseShiftQuestion}));
        QCOMPARE(GuiHarness::messages()[0].defaultButton, QMessageBox::Cancel);
        QVERIFY(operationsFrom(h, from).isEmpty());
        ui::MessageBox::clearHistory();
        from = h.driverLog().size();
        h.click("btnShiftXreport");
        h.click("btnCloseShift");
        QCOMPARE(h.messageTexts(), QStringList({documents::kCloseShiftQuestion}));
        ui::MessageBox::clearHistory();
        QCOMPARE(operationsFrom(h, from),
                 QStringList({"report()", "report()", "checkDocumentClosed()"}));
        QCOMPARE(printed(2), QStringList({"report:X-ОТЧЕТ", "report:ОТЧЕТ О ЗАКРЫТИИ СМЕНЫ"}));
        QCOMPARE(r->archive.lastNumber(), lastDoc + 1);
        QCOMPARE(r->archive.document(lastDoc + 1)->value("1038").toInt(), 43);
        h.click("btnShift");
        const auto after = h.rows("lvShiftInfo");
        QCOMPARE(valueOf(after, "Состояние смены"), QString("Закрыта"));
        QCOMPARE(valueOf(after, "Количество внесений"), QString("0"));
        QCOMPARE(valueOf(after, "Сумма в денежном ящике"), QString("1200,5"));
        // closing a closed shift: the register's code and description
        h.click("btnCloseShift");
        QCOMPARE(h.messageTexts().size(), 2);
        QVERIFY2(h.messageTexts()[1].startsWith("(73) "), qPrintable(h.messageTexts()[1]));
    }

    void amountsThatAreNotExactNeverReachTheRegister() {
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabShift");
        const auto r = usbRegister();
        const double before = r->counters.cashSum;
        auto* box = h.find<QLineEdit>("edtShiftCash");
        const int from = h.driverLog().size();
        // pasted texts pass the key filter; the operation refuses them
        for (const QString pasted : {"12,345", "-5", "", "1,2,3", "100000000"}) {
            ui::MessageBox::clearHistory();
            box->setText(pasted);
            h.click("btnShiftCashIn");
            QCOMPARE(h.messageTexts(), QStringList({documents::parseAmount(pasted).problem}));
        }
        QCOMPARE(operationsFrom(h, from), QStringList());
        QCOMPARE(r->counters.cashSum, before);
        QCOMPARE(r->journal->size(), 0);
        // the box keeps its text
        QCOMPARE(box->text(), QString("100000000"));
    }

    void expiredShiftRefusesWithTheRegistersCode() {
        useBenchWith(0, [](QJsonObject& r) {
            r["shift"] = QJsonObject{
                {"state", 1}, {"number", 42}, {"expiresAt", "2021-06-01T10:00:00+03:00"}};
        });
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabShift");
        h.click("btnShift");
        // the register's own clock, whatever the PC's zone
        QCOMPARE(valueOf(h.rows("lvShiftInfo"), "Состояние смены"),
                 QString("Истекла (01.06.2021 10:00:00)"));
        h.click("btnShiftCashIn");
        h.click("btnOpenShift");
        QCOMPARE(h.messageTexts(), QStringList(2, "(68) Смена превысила 24 часа"));
        QCOMPARE(usbRegister()->journal->size(), 0);
        h.click("btnCloseShift");
        QCOMPARE(h.messageTexts().size(), 3);  // one more: the question
        QCOMPARE(printed(), QStringList({"report:ОТЧЕТ О ЗАКРЫТИИ СМЕНЫ"}));
    }

    void aFailingReportLeavesTheWindowUsable() {
        useBenchWith(0, [](QJsonObject& r) {
            r["errors"] = QJsonArray{QJsonObject{
                {"method", "report"}, {"code", 44}, {"description", "Нет бумаги"}, {"times", 1}}};
        });
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabShift");
        h.click("btnShiftXreport");
        QCOMPARE(h.messageTexts(), QStringList({"(44) Нет бумаги"}));
        QCOMPARE(usbRegister()->journal->size(), 0);
        for (const auto& b : kButtons) QVERIFY(h.find<QPushButton>(b)->isEnabled());
        h.click("btnShiftXreport");
        QCOMPARE(h.messageTexts().size(), 1);
        QCOMPARE(printed(), QStringList({"report:X-ОТЧЕТ"}));
        h.click("btnShift");
        QCOMPARE(h.rows("lvShiftInfo").size(), 16);
    }

    void listToFileAndClipboard() {
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabShift");
        h.click("btnShift");
        const QString path = h.progdir() + "/shift";
        ui::FileDialog::setNextFileName(path, 1);
        h.click("btnSaveShiftinfo");
        QVERIFY(h.messageTexts().isEmpty());
        const QByteArray bytes = readAll(path + ".txt");
        const auto rows = h.rows("lvShiftInfo");
        info::ExportTable table{{"Параметры смены", "Значение"}, rows};
        QCOMPARE(bytes, info::ansiFileBytes(info::textLayout(table)));
        QVERIFY(bytes.contains(info::ansiBytes("Сумма в денежном ящике")));

        ui::FileDialog::setNextFileName(h.progdir() + "/shift.csv", 2);
        h.click("btnSaveShiftinfo");
        QCOMPARE(readAll(h.progdir() + "/shift.csv"), info::ansiFileBytes(info::csvLayout(table)));

        h.find<QAction>("actCopyAll")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 info::clipboardText(info::textLayout(table)));
    }
};

QTEST_MAIN(TestShiftPage)
#include "test_shift_page.moc"
