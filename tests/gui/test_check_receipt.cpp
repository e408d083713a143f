// The Чеки tab's receipt and printing controls in the real window: the receipt open in the
// register (read, close, cancel), continuing a stopped print, printing a copy of a document and
// saving the view, checked in the driver log, the print journal and the register's state.
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "app/ui/widgets/Conventions.h"
#include "app/ui/widgets/FileDialog.h"
#include "documents/Receipt.h"
#include "emulator/Bench.h"
#include "info/ReportExport.h"
#include "tests/gui/test_info_support.h"

using testing_support::GuiHarness;
using namespace info_test;

namespace {

const QStringList kGuarded = {"btnCheckGetOpened", "btnCheckClose", "btnCheckCancel",
                              "btnCheckDopechatat", "Button6"};

std::shared_ptr<emu::Register> usbRegister() {
    return emu::World::instance().reg(0);
}

QStringList view(GuiHarness& h) {
    const QString t = h.find<QPlainTextEdit>("mmoChekFormat")->toPlainText();
    return t.isEmpty() ? QStringList() : t.split(u'\n');
}

QString state(GuiHarness& h) {
    return h.find<QLineEdit>("edtCheckCurState")->text();
}

QStringList operationsFrom(GuiHarness& h, int from) {
    QStringList out;
    for (const auto& c : callsFrom(h, from))
        if (!c.startsWith("setParam") && !c.startsWith("getParam")) out << c;
    return out;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The USB register with a sales receipt open: two items for 180,90, 100 paid by card.
void useOpenReceipt(const QJsonObject& shift = {}) {
    useBenchWith(0, [shift](QJsonObject& r) {
        r["receipt"] = QJsonObject{
            {"type", 1},
            {"items", QJsonArray{QJsonObject{{"name", "Хлеб"}, {"price", 45.5}, {"quantity", 2}},
                                 QJsonObject{{"name", "Молоко"}, {"price", 89.9}}}},
            {"payments", QJsonArray{QJsonObject{{"type", 1}, {"sum", 100}}}}};
        if (!shift.isEmpty()) r["shift"] = shift;
    });
}

void readTab(GuiHarness& h) {
    h.selectTab("tabCheck");
    h.click("btnCheck");
}

const QStringList kOpenLines = {
    "Тип чека:                       Чек прихода", "Номер чека (счетчик ККТ):       4",
    "Номер документа (счетчик ККТ):  216",         "Текущая сумма чека:             180,9",
    "Неоплаченный остаток:           80,9",        "Сдача по чеку:                  0"};

}  // namespace

class TestCheckReceipt : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void init() {
        testing_support::useBench({});
        ui::MessageBox::clearHistory();
    }

    void controlsNeedTheTabReadButSavingDoesNot() {
        useOpenReceipt();
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabCheck");
        const int from = h.driverLog().size();
        for (const auto& b : kGuarded) h.click(b);
        QCOMPARE(h.messageTexts().size(), kGuarded.size());
        for (const auto& m : h.messageTexts())
            QVERIFY2(m.startsWith("Данные не получены"), qPrintable(m));
        QCOMPARE(operationsFrom(h, from), QStringList());
        QCOMPARE(usbRegister()->receipt.type, 1);
        QCOMPARE(usbRegister()->journal->size(), 0);
    }

    void savingNeedsNoRegister() {
        // neither a read nor a register: an empty view gives an empty file
        GuiHarness h;
        const QString path = h.progdir() + "/empty";
        ui::FileDialog::setNextFileName(path, 1);
        h.click("btnSaveCheck");
        QVERIFY(h.messageTexts().isEmpty());
        QVERIFY(QFile::exists(path + ".txt"));
        QCOMPARE(readAll(path + ".txt"), QByteArray());
    }

    void closedReceiptReadsAsClosed() {
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        readTab(h);
        const int from = h.driverLog().size();
        h.click("btnCheckGetOpened");
        QVERIFY(h.messageTexts().isEmpty());
        QCOMPARE(state(h), QString("Чек закрыт"));
        QCOMPARE(view(h), QStringList({"Чек закрыт"}));
        QCOMPARE(operationsFrom(h, from), QStringList({"queryData()"}));
    }

    void openReceiptIsShownAndClosed() {
        useOpenReceipt();
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        readTab(h);
        QCOMPARE(state(h), QString("Чек открыт"));
        h.click("btnCheckGetOpened");
        QCOMPARE(state(h), QString("Чек открыт"));
        QCOMPARE(view(h), kOpenLines);

        const auto r = usbRegister();
        const double cash = r->counters.cashSum;
        const int sales = r->counters.receiptCount.value(1);
        // the shift's counters before (its earlier receipts are counted)
        h.selectTab("tabShift");
        h.click("btnShift");
        const auto before = h.rows("lvShiftInfo");
        h.selectTab("tabCheck");
        const int from = h.driverLog().size();
        h.click("btnCheckClose");
        QVERIFY(h.messageTexts().isEmpty());
        QCOMPARE(operationsFrom(h, from), QStringList({"closeReceipt()", "queryData()"}));
        QCOMPARE(state(h), QString("Чек закрыт"));
        QCOMPARE(view(h), QStringList({"Чек закрыт"}));
        // the register: the receipt is document 216 of shift 42, the unpaid 80,90 came in cash
        QCOMPARE(r->receipt.type, 0);
        QCOMPARE(r->archive.lastNumber(), 216);
        const auto doc = r->archive.document(216);
        QCOMPARE(doc->value("fiscalDocumentType").toString(), QString("receipt"));
        QCOMPARE(doc->value("1038").toInt(), 42);
        QCOMPARE(doc->value("1020").toDouble(), 180.9);
        QCOMPARE(r->counters.cashSum, cash + 80.9);
        QCOMPARE(r->shift.receipts, 4);
        QCOMPARE(r->counters.receiptCount.value(1), sales + 1);
        QCOMPARE(r->journal->texts("receipt"), QStringList({"close"}));

        // the Смена tab reads the new counters
        h.selectTab("tabShift");
        h.click("btnShift");
        const auto rows = h.rows("lvShiftInfo");
        const auto grown = [&](const char* caption) {
            const auto amount = [caption](const QList<QStringList>& list) {
                return valueOf(list, caption)
                    .remove(QRegularExpression("\\s"))
                    .replace(',', '.')
                    .toDouble();
            };
            return amount(rows) - amount(before);
        };
        QCOMPARE(grown("Количество чеков прихода"), 1.0);
        QCOMPARE(grown("Сумма продаж наличными"), 80.9);
        QCOMPARE(grown("Сумма продаж безналичными"), 100.0);
        QCOMPARE(grown("Сумма продаж общая"), 180.9);
        QCOMPARE(valueOf(rows, "Количество чеков за смену"), QString("4"));

        // nothing open any more: the description alone, the view stays
        h.selectTab("tabCheck");
        h.click("btnCheckClose");
        QCOMPARE(h.messageTexts().size(), 1);
        QVERIFY(!h.messageTexts()[0].startsWith("("));
        QVERIFY(!h.messageTexts()[0].isEmpty());
        QCOMPARE(view(h), QStringList({"Чек закрыт"}));
    }

    void cancelCountsNothing() {
        useOpenReceipt();
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        readTab(h);
        const auto r = usbRegister();
        const double cash = r->counters.cashSum;
        const int lastDoc = r->archive.lastNumber();
        // asked first; "Отмена" (also what Enter alone answers) keeps the receipt
        ui::MessageBox::setNextAnswer(QMessageBox::Cancel);
        int from = h.driverLog().size();
        h.click("btnCheckCancel");
        QCOMPARE(h.messageTexts(), QStringList({documents::kCancelReceiptQuestion}));
        QCOMPARE(GuiHarness::messages()[0].defaultButton, QMessageBox::Cancel);
        QVERIFY(operationsFrom(h, from).isEmpty());
        QCOMPARE(r->receipt.type, 1);
        ui::MessageBox::clearHistory();
        from = h.driverLog().size();
        h.click("btnCheckCancel");
        QCOMPARE(h.messageTexts(), QStringList({documents::kCancelReceiptQuestion}));
        QCOMPARE(operationsFrom(h, from), QStringList({"cancelReceipt()", "queryData()"}));
        QCOMPARE(view(h), QStringList({"Чек закрыт"}));
        QCOMPARE(state(h), QString("Чек закрыт"));
        QCOMPARE(r->archive.lastNumber(), lastDoc);
        QCOMPARE(r->counters.cashSum, cash);
        QCOMPARE(r->shift.receipts, 3);
        QCOMPARE(r->journal->texts("receipt"), QStringList({"cancel"}));
    }

    void failedCloseIsToldAndNotReadBack() {
        useOpenReceipt(QJsonObject{{"state", 1},
                                   {"number", 42},
                                   {"receipts", 3},
                                   {"expiresAt", "2021-06-01T10:00:00+03:00"}});
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        readTab(h);
        h.click("btnCheckGetOpened");
        const int from = h.driverLog().size();
        h.click("btnCheckClose");
        QCOMPARE(h.messageTexts(), QStringList({"Смена превысила 24 часа"}));
        QCOMPARE(operationsFrom(h, from), QStringList({"closeReceipt()"}));
        QCOMPARE(view(h), kOpenLines);
        QCOMPARE(usbRegister()->receipt.type, 1);
        // cancelling is still possible in an expired shift
        h.click("btnCheckCancel");
        QCOMPARE(h.messageTexts().size(), 2);  // one more: the question
        QCOMPARE(view(h), QStringList({"Чек закрыт"}));
    }

    void aFailedStateQueryIsToldNotShownAsClosed() {
        useBenchWith(0, [](QJsonObject& r) {
            r["receipt"] = QJsonObject{{"type", 1}, {"sum", 10}};
        });
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        readTab(h);
        // the next state query fails once
        const auto r = usbRegister();
        emu::InjectedError e;
        e.method = "queryData";
        e.code = 2;
        e.description = "Нет связи";
        e.fromCall = r->callCounts.value("queryData") + 1;
        e.times = 1;
        r->errors.append(e);
        h.find<QPlainTextEdit>("mmoChekFormat")->setPlainText("прежний вид");
        h.click("btnCheckGetOpened");
        QCOMPARE(h.messageTexts(), QStringList({"Нет связи"}));
        QCOMPARE(view(h), QStringList({"прежний вид"}));
        QCOMPARE(state(h), QString("Чек открыт"));
        h.click("btnCheckGetOpened");
        QCOMPARE(h.messageTexts().size(), 1);
        QCOMPARE(view(h).value(0), QString("Тип чека:                       Чек прихода"));
    }

    void continuePrinting() {
        useBenchWith(0, [](QJsonObject& r) { r["interruptedDocument"] = 215; });
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        readTab(h);
        const auto r = usbRegister();
        h.click("btnCheckDopechatat");
        QVERIFY(h.messageTexts().isEmpty());
        auto items = r->journal->items();
        QCOMPARE(items.size(), 1);
        QCOMPARE(items[0].kind, QString("continue"));
        QCOMPARE(items[0].extra.value("document").toInt(), 215);
        // no paper: two lines, the fixed one and the register's description
        r->flags.paperPresent = false;
        h.click("btnCheckDopechatat");
        QCOMPARE(h.messageTexts().size(), 1);
        const QStringList lines = h.messageTexts()[0].split("\r\n");
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QString("Не удалось напечатать документ"));
        QVERIFY(!lines[1].isEmpty());
        QCOMPARE(r->journal->size(), 1);
    }

    void printTheShownAndTheLastDocument() {
        // the storage ends with the listed receipt 213
        useBenchWith(0, [](QJsonObject& r) {
            auto fn = r["fn"].toObject();
            auto status = fn["status"].toObject();
            status["fiscalDocumentNumber"] = 213;
            fn["status"] = status;
            auto archive = fn["archive"].toObject();
            archive["size"] = 213;
            fn["archive"] = archive;
            r["fn"] = fn;
        });
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        readTab(h);
        const auto r = usbRegister();
        const QString docParam = QString::number(
            h.window()->session().fptr()->c(drv::names::LIBFPTR_PARAM_DOCUMENT_NUMBER));
        // after the read the number box holds the last document
        QCOMPARE(h.find<QLineEdit>("edtCheckNumCheck")->text(), QString("213"));
        int from = h.driverLog().size();
        h.click("Button6");
        QVERIFY2(h.messageTexts().isEmpty(), qPrintable(h.messageTexts().join('|')));
        QVERIFY(callsFrom(h, from).contains("setParam(" + docParam + ",213)"));
        QCOMPARE(operationsFrom(h, from), QStringList({"report()"}));
        QCOMPARE(r->journal->texts("report"), QStringList({"КОПИЯ ФД № 213"}));
        // the shown document
        auto* box = h.find<QLineEdit>("edtCheckNumCheck");
        box->setText("212");
        h.click("btnCheckSowCheck");
        QVERIFY(view(h).size() > 3);
        h.click("Button6");
        QCOMPARE(r->journal->texts("report"), QStringList({"КОПИЯ ФД № 213", "КОПИЯ ФД № 212"}));
        // a number the storage lacks: the description alone
        box->setText("999");
        h.click("Button6");
        QCOMPARE(h.messageTexts().size(), 1);
        QVERIFY(!h.messageTexts()[0].startsWith("("));
        QCOMPARE(r->journal->size(), 2);
        // an empty box does nothing
        box->clear();
        from = h.driverLog().size();
        h.click("Button6");
        QCOMPARE(operationsFrom(h, from), QStringList());
        QCOMPARE(h.messageTexts().size(), 1);
    }

    void saveTheViewAsWindows1251() {
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        readTab(h);
        h.find<QLineEdit>("edtCheckNumCheck")->setText("213");
        h.click("btnCheckSowCheck");
        const QStringList lines = view(h);
        QVERIFY(lines.size() > 5);
        const QString path = h.progdir() + "/doc213";
        ui::FileDialog::setNextFileName(path, 1);
        h.click("btnSaveCheck");
        QVERIFY(h.messageTexts().isEmpty());
        const QByteArray bytes = readAll(path + ".txt");
        QCOMPARE(bytes, info::ansiFileBytes(lines));
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
        QVERIFY(bytes.endsWith("\r\n"));
        QCOMPARE(bytes.count('\n'), lines.size());
        QCOMPARE(bytes.count("\r\n"), lines.size());

        // the open-receipt text, over the same file without a question
        h.click("btnCheckGetOpened");
        ui::FileDialog::setNextFileName(path + ".txt", 1);
        h.click("btnSaveCheck");
        QVERIFY(h.messageTexts().isEmpty());
        QCOMPARE(readAll(path + ".txt"), QByteArray("\xD7\xE5\xEA \xE7\xE0\xEA\xF0\xFB\xF2\r\n"));

        // a file that cannot be written is told
        ui::FileDialog::setNextFileName(h.progdir() + "/no-such-dir/doc.txt", 1);
        h.click("btnSaveCheck");
        QCOMPARE(h.messageTexts().size(), 1);
        QVERIFY(h.messageTexts()[0].startsWith("Не удалось записать файл"));
    }
};

QTEST_MAIN(TestCheckReceipt)
#include "test_check_receipt.moc"
