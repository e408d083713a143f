// The Чеки tab in the real window: the tab read, a document by number, next and previous
// document, the date search and the shift steps over a generated archive.
#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "app/ui/widgets/Conventions.h"
#include "documents/Archive.h"
#include "documents/ui/CheckPage.h"
#include "driver/Fptr.h"
#include "driver/JsonAnswer.h"
#include "tests/gui/test_info_support.h"

using testing_support::GuiHarness;
using namespace info_test;

namespace {

// The USB register with a generated archive of `size` documents: one shift a day with five
// receipts from Monday 2024-03-04, no shift on Sundays.
void useArchive(int size) {
    useBenchWith(0, [size](QJsonObject& r) {
        auto fn = r["fn"].toObject();
        fn.remove("documents");
        auto status = fn["status"].toObject();
        status["fiscalDocumentNumber"] = 1;
        fn["status"] = status;
        fn["archive"] = QJsonObject{{"size", size},
                                    {"startDay", "2024-03-04"},
                                    {"shiftsPerDay", 1},
                                    {"receiptsPerShift", 5},
                                    {"exchangeReportEvery", 0}};
        r["fn"] = fn;
    });
}

QString text(GuiHarness& h, const QString& name) {
    return h.find<QLineEdit>(name)->text();
}

QStringList view(GuiHarness& h) {
    const QString t = h.find<QPlainTextEdit>("mmoChekFormat")->toPlainText();
    return t.isEmpty() ? QStringList() : t.split(u'\n');
}

void enterNumber(GuiHarness& h, const QString& number) {
    auto* box = h.find<QLineEdit>("edtCheckNumCheck");
    box->clear();
    box->setFocus();
    QTest::keyClicks(box, number);
    QTest::keyClick(box, Qt::Key_Return);
}

// The line of the view starting with `label`, or "<none>".
QString lineOf(const QStringList& lines, const QString& label) {
    for (const auto& l : lines)
        if (l.startsWith(label)) return l;
    return QStringLiteral("<none>");
}

qint64 shownNumber(GuiHarness& h) {
    return text(h, "edtCheckNumCheck").toLongLong();
}

documents::DocumentAnswer readDoc(GuiHarness& h, qint64 n) {
    return documents::readDocument(*h.window()->session().fptr(), n);
}

}  // namespace

class TestCheckPage : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void init() {
        testing_support::useBench({});
        ui::MessageBox::clearHistory();
    }

    void guardsBeforeTheRead() {
        GuiHarness h;
        h.selectTab("tabCheck");
        h.click("btnCheck");
        QCOMPARE(h.messageTexts(), QStringList({"ККМ не подключена"}));
        QCOMPARE(ui::readMarker(h.find<QPushButton>("btnCheck")), 0);
        QVERIFY(connectTo(h, "5"));
        ui::MessageBox::clearHistory();
        const int from = h.driverLog().size();
        for (const char* b : {"btnCheckSowCheck", "btnCheckNext", "btnCheckSearch", "btnShiftNext"})
            h.click(b);
        QCOMPARE(h.messageTexts().size(), 4);
        QVERIFY(h.messageTexts()[0].startsWith("Данные не получены"));
        QCOMPARE(callsFrom(h, from).filter("processJson").size(), 0);
        QVERIFY(view(h).isEmpty());
    }

    void demoRegisterReadAndDocumentByNumber() {
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabCheck");
        const int from = h.driverLog().size();
        h.click("btnCheck");
        QVERIFY(h.messageTexts().isEmpty());
        QCOMPARE(text(h, "edtCheckCurState"), QString("Чек закрыт"));
        QCOMPARE(text(h, "edtCheckLstNum"), QString("215"));
        QCOMPARE(text(h, "edtCheckNumCheck"), QString("215"));
        QVERIFY(!text(h, "edtCheckFirstDate").isEmpty());
        auto* button = h.find<QPushButton>("btnCheck");
        QCOMPARE(button->text(), QString("Cчитать"));
        QVERIFY(button->isEnabled());
        QCOMPARE(ui::readMarker(button), 1);
        QVERIFY(view(h).isEmpty());
        const QStringList calls = callsFrom(h, from);
        QCOMPARE(calls.filter("queryData").size() >= 2, true);
        QCOMPARE(calls.filter("processJson").size(), 3);  // storage status, document 1, the last

        // the first reading by number shows the last document, and "<" the one before it
        h.click("btnCheckSowCheck");
        QVERIFY2(h.messageTexts().isEmpty(), qPrintable(h.messageTexts().join('\n')));
        QCOMPARE(lineOf(view(h), "Номер ФД:").mid(22).trimmed(), QString("215"));
        h.click("btnCheckPrev");
        QCOMPARE(lineOf(view(h), "Номер ФД:").mid(22).trimmed(), QString("214"));
        QVERIFY(lineOf(view(h), "Номер смены:") != "<none>");

        // Enter in the number box shows the listed receipt 213; letters cannot be typed
        const int show = h.driverLog().size();
        enterNumber(h, "2x13");
        QCOMPARE(text(h, "edtCheckNumCheck"), QString("213"));
        const QStringList lines = view(h);
        QVERIFY2(lines.size() > 5, qPrintable(lines.join('\n')));
        QCOMPARE(lineOf(lines, "Номер ФД:").mid(22).trimmed(), QString("213"));
        QVERIFY(lineOf(lines, "Дата и время:") != "<none>");
        QVERIFY(lineOf(lines, "Тип документа:") != "<none>");
        QVERIFY(h.find<QWidget>("Panel7")->hasFocus());
        const QStringList showCalls = callsFrom(h, show);
        QCOMPARE(showCalls.filter("processJson").size(), 1);
        QVERIFY(showCalls.filter("getParamString").size() >= 1);
    }

    // A point-of-sale program sells through its own driver object; the receipt is then on the
    // tab, read like any document of the storage.
    void aReceiptSoldThroughTheDriverShowsOnTheTab() {
        GuiHarness h;
        QString number, sign;
        {
            auto pos = drv::Fptr::create();
            QCOMPARE(pos->openSerialAuto("5"), 0);
            const auto answer = drv::JsonAnswer::parse(pos->jsonTask(
                R"({"type": "sell", "operator": {"name": "Кассир Иванова"}, "items": [
                    {"type": "position", "name": "Хлеб", "price": 45.5, "quantity": 2,
                     "amount": 91, "tax": {"type": "vat10"}}],
                   "payments": [{"type": "cash", "sum": 100}]})"));
            QCOMPARE(pos->errorCode(), 0);
            number = answer.textOr("fiscalParams.fiscalDocumentNumber");
            sign = answer.textOr("fiscalParams.fiscalDocumentSign");
            pos->close();
        }
        QCOMPARE(number, QString("216"));
        QVERIFY(!sign.isEmpty());
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabCheck");
        h.click("btnCheck");
        QCOMPARE(text(h, "edtCheckLstNum"), number);
        enterNumber(h, number);
        const QStringList lines = view(h);
        QCOMPARE(lineOf(lines, "Номер ФД:").mid(22).trimmed(), number);
        QCOMPARE(lineOf(lines, "Кассир:").mid(22).trimmed(), QString("Кассир Иванова"));
        QCOMPARE(lineOf(lines, "ФП документа:").mid(22).trimmed(), sign);
        QCOMPARE(lineOf(lines, "Номер смены:").mid(22).trimmed(), QString("42"));
        QVERIFY2(lineOf(lines, "Хлеб") != "<none>", qPrintable(lines.join('\n')));
        QVERIFY2(lineOf(lines, "ИТОГ").endsWith("=91"), qPrintable(lineOf(lines, "ИТОГ")));
    }

    void nextAndPreviousDocument() {
        useArchive(40);
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabCheck");
        h.click("btnCheck");
        QCOMPARE(text(h, "edtCheckLstNum"), QString("40"));
        // ">" at the last document does nothing
        const int atLast = h.driverLog().size();
        h.click("btnCheckNext");
        QCOMPARE(callsFrom(h, atLast).filter("processJson").size(), 0);
        QVERIFY(view(h).isEmpty());
        h.click("btnCheckPrev");
        QCOMPARE(text(h, "edtCheckNumCheck"), QString("39"));
        QCOMPARE(lineOf(view(h), "Номер ФД:").mid(22).trimmed(), QString("39"));
        h.click("btnCheckNext");
        QCOMPARE(text(h, "edtCheckNumCheck"), QString("40"));
        QCOMPARE(lineOf(view(h), "Номер ФД:").mid(22).trimmed(), QString("40"));
        // "<" at document 1 does nothing
        enterNumber(h, "1");
        const QString first = view(h).join('\n');
        const int atFirst = h.driverLog().size();
        h.click("btnCheckPrev");
        QCOMPARE(text(h, "edtCheckNumCheck"), QString("1"));
        QCOMPARE(callsFrom(h, atFirst).filter("processJson").size(), 0);
        QCOMPARE(view(h).join('\n'), first);
        QVERIFY(h.messageTexts().isEmpty());
    }

    void dateSearchFindsTheShiftOpening() {
        useArchive(60);
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabCheck");
        h.click("btnCheck");
        auto* page = h.window()->checkPage;
        // the opening of the shift of document 30, from the register's own answer
        const auto doc30 = readDoc(h, 30);
        qint64 opening = 30;
        if (doc30.docClass() == documents::DocClass::Check)
            opening = 30 - *doc30.integer("1042");
        else if (doc30.docClass() == documents::DocClass::CloseShift)
            opening = 30 - 6;
        QCOMPARE(readDoc(h, opening).docClass(), documents::DocClass::OpenShift);
        const QDate day = readDoc(h, opening).moment()->toLocalTime().date();
        page->dtpCheck->setDate(day);
        const int from = h.driverLog().size();
        h.click("btnCheckSearch");
        QVERIFY(h.messageTexts().isEmpty());
        QCOMPARE(shownNumber(h), opening);
        QCOMPARE(lineOf(view(h), "Номер ФД:").mid(22).trimmed(), QString::number(opening));
        QCOMPARE(h.find<QPushButton>("btnCheckSearch")->text(), QString("Перейти к смене по дате"));
        QVERIFY(callsFrom(h, from).filter("processJson").size() >= 2);

        // a Sunday has no shift: the no-documents line
        QDate sunday = day;
        while (sunday.dayOfWeek() != 7) sunday = sunday.addDays(1);
        QVERIFY(sunday <= page->dtpCheck->maximumDate());
        page->dtpCheck->setDate(sunday);
        h.click("btnCheckSearch");
        QCOMPARE(view(h), QStringList({documents::noDocumentsLine(sunday)}));
        QVERIFY(text(h, "edtCheckNumCheck").isEmpty());
        QVERIFY(h.messageTexts().isEmpty());
    }

    void secondPressAbortsTheSearch() {
        useArchive(60);
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabCheck");
        h.click("btnCheck");
        auto* page = h.window()->checkPage;
        page->dtpCheck->setDate(page->dtpCheck->minimumDate());
        QString captionWhileRunning;
        QTimer::singleShot(60, page, [&] {
            captionWhileRunning = page->btnCheckSearch->text();
            h.click("btnCheckSearch");
        });
        const int from = h.driverLog().size();
        h.click("btnCheckSearch");
        QCOMPARE(captionWhileRunning, QString("Прервать"));
        QCOMPARE(page->btnCheckSearch->text(), QString("Перейти к смене по дате"));
        QCOMPARE(text(h, "edtCheckNumCheck"), QString("60"));
        QVERIFY(view(h).isEmpty());
        // stopped within a step or two (on a busy machine before the first read), long before
        // the first shift
        const int reads = int(callsFrom(h, from).filter("processJson").size());
        QVERIFY2(reads <= 4, qPrintable(QString::number(reads)));
    }

    void archiveDocumentBlocksShiftSteps() {
        useBenchWith(0, [](QJsonObject& r) {
            auto fn = r["fn"].toObject();
            fn.remove("documents");
            fn["archive"] = QJsonObject{{"size", 60},
                                        {"startDay", "2024-03-04"},
                                        {"shiftsPerDay", 1},
                                        {"receiptsPerShift", 5},
                                        {"shortBelow", 30}};
            r["fn"] = fn;
        });
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabCheck");
        h.click("btnCheck");
        enterNumber(h, "10");
        QVERIFY(view(h).value(0).contains("считан из архива"));
        h.click("btnShiftNext");
        h.click("btnShiftPrev");
        QCOMPARE(h.messageTexts(), QStringList({"Переход по сменам в архиве недоступен.",
                                                "Переход по сменам в архиве недоступен."}));
        QCOMPARE(text(h, "edtCheckNumCheck"), QString("10"));
    }

    void registrationBlockOnRequest() {
        useArchive(40);
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabCheck");
        h.click("btnCheck");
        auto* page = h.window()->checkPage;
        enterNumber(h, "20");
        const int plain = int(view(h).size());
        QCOMPARE(lineOf(view(h), "ИНН:"), QString("<none>"));
        QCOMPARE(page->mmoChekFormat->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        page->chkCheckIncFiscalinfo->setChecked(true);
        h.click("btnCheckSowCheck");
        QVERIFY(int(view(h).size()) > plain);
        QVERIFY(lineOf(view(h), "ИНН:") != "<none>");
        QCOMPARE(page->mmoChekFormat->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    }

    void shiftSteps() {
        useArchive(60);
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabCheck");
        h.click("btnCheck");
        auto* page = h.window()->checkPage;
        // find a receipt in the middle of the archive
        qint64 receipt = 30;
        while (readDoc(h, receipt).docClass() != documents::DocClass::Check) ++receipt;
        const auto doc = readDoc(h, receipt);
        const qint64 opening = receipt - *doc.integer("1042");
        const qint64 shift = *doc.integer("1038");
        enterNumber(h, QString::number(receipt));

        // previous shift from a receipt: its own shift's opening, and the picker follows
        h.click("btnShiftPrev");
        QCOMPARE(shownNumber(h), opening);
        QCOMPARE(page->curCheckShiftNum(), QString::number(shift));
        QCOMPARE(page->dtpCheck->date(), readDoc(h, opening).moment()->toLocalTime().date());
        // from an opening: the opening of the shift before
        h.click("btnShiftPrev");
        QCOMPARE(readDoc(h, shownNumber(h)).docClass(), documents::DocClass::OpenShift);
        QCOMPARE(page->curCheckShiftNum(), QString::number(shift - 1));
        QVERIFY(shownNumber(h) < opening);

        // next shift twice: back to the opening, then the one after
        h.click("btnShiftNext");
        QCOMPARE(shownNumber(h), opening);
        h.click("btnShiftNext");
        QCOMPARE(readDoc(h, shownNumber(h)).docClass(), documents::DocClass::OpenShift);
        QCOMPARE(page->curCheckShiftNum(), QString::number(shift + 1));
        QVERIFY(h.messageTexts().isEmpty());

        // in the last shift ">" does nothing
        enterNumber(h, text(h, "edtCheckLstNum"));
        const QString atLast = view(h).join('\n');
        h.click("btnShiftNext");
        QCOMPARE(text(h, "edtCheckNumCheck"), text(h, "edtCheckLstNum"));
        QCOMPARE(view(h).join('\n'), atLast);

        // a reset of the tab clears it and its marker
        h.window()->resetViews();
        QVERIFY(view(h).isEmpty());
        QCOMPARE(ui::readMarker(h.find<QPushButton>("btnCheck")), 0);
        QCOMPARE(h.find<QPushButton>("btnCheckSearch")->text(), QString("Перейти к смене по дате"));
    }
};

QTEST_MAIN(TestCheckPage)
#include "test_check_page.moc"
