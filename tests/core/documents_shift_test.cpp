// The Смена tab's rules and the open receipt's rules against the virtual register, without a
// window: the amount box, the shift report, the shift operations with the register's fiscal
// state after them, and the receipt left open by a bench.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QTemporaryDir>

#include "app/Ui.h"
#include "documents/Receipt.h"
#include "documents/Shift.h"
#include "driver/DriverLog.h"
#include "driver/Fptr.h"
#include "driver/Names.h"
#include "driver/ValueText.h"
#include "emulator/Bench.h"
#include "emulator/VirtualRegister.h"
#include "info/ReportExport.h"
#include "tests/support/Benches.h"
#include "tests/support/RecordingUi.h"

namespace {

using namespace drv::names;

using Recorder = testing_support::RecordingUi;

// ---------------------------------------------------------------------------------------------
// The amount box

struct AmountCase {
    const char* input;
    const char* driverText;  // nullptr: refused
    const char* problem;     // the start of the message when refused
};

TEST(ShiftAmount, ExactAmountsReachTheDriverAndTheRestIsTold) {
    const AmountCase cases[] = {
        {"100,00", "100.00", nullptr},
        {"100", "100", nullptr},
        {"0,5", "0.5", nullptr},
        {",05", "0.05", nullptr},
        {"100,", "100", nullptr},
        {"100.25", "100.25", nullptr},  // a pasted point is the same separator
        {"007,10", "7.10", nullptr},
        {"1 000,50", "1000.50", nullptr},
        {"  12 345 678,99 ", "12345678.99", nullptr},
        {"1\u00a0000", "1000", nullptr},
        {"99999999,99", "99999999.99", nullptr},
        {"", nullptr, "Не указана сумма"},
        {"   ", nullptr, "Не указана сумма"},
        {",", nullptr, "Сумма \",\" не распознана"},
        {"abc", nullptr, "Сумма \"abc\" не распознана"},
        {"1,2,3", nullptr, "Сумма \"1,2,3\" не распознана"},
        {"1.000,50", nullptr, "Сумма \"1.000,50\" не распознана"},
        {"1 2", nullptr, "Сумма \"1 2\" не распознана"},
        {"12 34", nullptr, "Сумма \"12 34\" не распознана"},
        {"1e3", nullptr, "Сумма \"1e3\" не распознана"},
        {"+5", nullptr, "Сумма \"+5\" не распознана"},
        {"100,001", nullptr, "Сумма \"100,001\" указана точнее копейки"},
        {"0,999", nullptr, "Сумма \"0,999\" указана точнее копейки"},
        {"100,000", nullptr, "Сумма \"100,000\" указана точнее копейки"},
        {"-5", nullptr, "Сумма должна быть больше нуля"},
        {"-0,01", nullptr, "Сумма должна быть больше нуля"},
        {"0", nullptr, "Сумма должна быть больше нуля"},
        {"0,00", nullptr, "Сумма должна быть больше нуля"},
        {"100000000", nullptr, "Сумма \"100000000\" больше допустимой"},
        {"100000000,00", nullptr, "Сумма \"100000000,00\" больше допустимой"},
        {"99999999999999999999", nullptr, "Сумма \"99999999999999999999\" больше допустимой"},
    };
    for (const auto& c : cases) {
        const auto a = documents::parseAmount(QString::fromUtf8(c.input));
        if (c.driverText) {
            ASSERT_TRUE(a.driverText.has_value()) << c.input << ": " << a.problem.toStdString();
            EXPECT_EQ(*a.driverText, QString::fromUtf8(c.driverText)) << c.input;
            EXPECT_TRUE(a.problem.isEmpty()) << c.input;
            // the kopecks are those of the text the driver gets, to the kopeck
            const QStringList parts = a.driverText->split(u'.');
            const qint64 kopecks =
                parts[0].toLongLong() * 100 + parts.value(1).leftJustified(2, u'0').toLongLong();
            EXPECT_EQ(a.kopecks, kopecks) << c.input;
        } else {
            EXPECT_FALSE(a.driverText.has_value()) << c.input;
            EXPECT_TRUE(a.problem.startsWith(QString::fromUtf8(c.problem)))
                << c.input << ": " << a.problem.toStdString();
        }
    }
}

TEST(ShiftAmount, KeyFilterTakesDigitsAndTheCommaOnly) {
    for (QChar ch : QStringLiteral("0123456789,"))
        EXPECT_TRUE(documents::acceptsAmountKey(ch)) << QString(ch).toStdString();
    for (QChar ch : QStringLiteral(".-+ eЕaz/\\"))
        EXPECT_FALSE(documents::acceptsAmountKey(ch)) << QString(ch).toStdString();
}

// ---------------------------------------------------------------------------------------------
// The register

const QByteArray kBench = R"({"registers": [{"com": "COM7", "serial": "0042",
    "flags": {"fiscal": true, "fnPresent": true, "fnFiscal": true},
    "shift": {"state": 1, "number": 12, "receipts": 4, "expiresAt": "2099-05-06T10:20:30+03:00"},
    "counters": {"cashSum": 2500.5, "cashInSum": 300, "cashOutSum": 120.25, "cashInCount": 2,
                 "cashOutCount": 1,
                 "receiptCount": {"1": 3, "2": 1},
                 "paymentSum": {"1/0": 1000, "1/1": 500.5, "2/0": 0.1, "2/1": 0.2}},
    "fn": {"status": {"fiscalDocumentNumber": 50}}}]})";

class ShiftRules : public ::testing::Test {
  protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        drv::setDispatchFactory(&emu::VirtualRegister::create);
        logPath_ = dir_.filePath("driver.jsonl");
    }
    void TearDown() override {
        drv::DriverLog::instance().setPath({});
        QLocale::setDefault(QLocale::c());
        emu::World::instance().loadDemo();
    }

    // Loads `json` (the bench above when empty), opens its register and starts the log.
    std::unique_ptr<drv::Fptr> open(const QByteArray& json = {}) {
        emu::World::instance().loadJson(json.isEmpty() ? kBench : json, "shift test");
        auto f = drv::Fptr::create();
        EXPECT_EQ(f->openSerialAuto("7"), 0) << f->errorDescription().toStdString();
        drv::DriverLog::instance().setPath({});
        QFile::remove(logPath_);
        drv::DriverLog::instance().setPath(logPath_);
        return f;
    }
    static std::shared_ptr<emu::Register> reg() { return emu::World::instance().reg(0); }

    // Driver calls logged since open(), as "method(arg,arg)".
    QStringList calls() const { return testing_support::loggedCalls(logPath_); }
    // The operations among the calls (no setParam and no getters).
    QStringList operations() const {
        QStringList out;
        for (const auto& c : calls())
            if (!c.startsWith("setParam") && !c.startsWith("getParam")) out << c;
        return out;
    }

    static QString value(const info::ReportRows& rows, const QString& caption) {
        for (const auto& r : rows)
            if (r.cells.value(0) == caption) return r.cells.value(1);
        ADD_FAILURE() << "no row " << caption.toStdString();
        return {};
    }

    QTemporaryDir dir_;
    QString logPath_;
    Recorder ui_;
};

TEST_F(ShiftRules, ReportRowsInOrderWithTheirValues) {
    auto f = open();
    const auto rows = documents::buildShiftReport(*f);
    QStringList captions;
    for (const auto& r : rows) {
        captions << r.cells.value(0);
        EXPECT_EQ(r.mark, 0);
    }
    EXPECT_EQ(captions, QStringList({"Состояние смены", "Номер смены", "Количество чеков за смену",
                                     "Количество чеков прихода", "Количество чеков возврата",
                                     "Сумма продаж общая", "Сумма продаж наличными",
                                     "Сумма продаж безналичными", "Сумма возвратов общая",
                                     "Сумма возвратов наличными", "Сумма возвратов безналичными",
                                     "Количество внесений", "Количество выплат", "Сумма внесений",
                                     "Сумма выплат", "Сумма в денежном ящике"}));
    // the register's own clock (+03:00), whatever the PC's zone
    EXPECT_EQ(value(rows, "Состояние смены"), "Открыта (05.05.2099 10:20:30)");
    EXPECT_EQ(value(rows, "Номер смены"), "12");
    EXPECT_EQ(value(rows, "Количество чеков за смену"), "4");
    EXPECT_EQ(value(rows, "Количество чеков прихода"), "3");
    EXPECT_EQ(value(rows, "Количество чеков возврата"), "1");
    EXPECT_EQ(value(rows, "Сумма продаж общая"), "1500,5");
    EXPECT_EQ(value(rows, "Сумма продаж наличными"), "1000");
    EXPECT_EQ(value(rows, "Сумма продаж безналичными"), "500,5");
    // 0,1 + 0,2 is 0,3 to the kopeck, not the binary 0,30000000000000004
    EXPECT_EQ(value(rows, "Сумма возвратов общая"), "0,3");
    EXPECT_EQ(value(rows, "Количество внесений"), "2");
    EXPECT_EQ(value(rows, "Количество выплат"), "1");
    EXPECT_EQ(value(rows, "Сумма внесений"), "300");
    EXPECT_EQ(value(rows, "Сумма выплат"), "120,25");
    EXPECT_EQ(value(rows, "Сумма в денежном ящике"), "2500,5");

    // the queries in their order: data types of queryData, then the storage query
    QStringList kinds;
    const QString dataType = QString::number(f->c(LIBFPTR_PARAM_DATA_TYPE));
    const QString fnDataType = QString::number(f->c(LIBFPTR_PARAM_FN_DATA_TYPE));
    for (const auto& c : calls()) {
        if (c.startsWith("setParam(" + dataType + ","))
            kinds << c.section(',', 1).chopped(1);
        else if (c.startsWith("setParam(" + fnDataType + ","))
            kinds << "fn" + c.section(',', 1).chopped(1);
    }
    const auto n = [&f](const char* name) { return QString::number(f->c(name)); };
    EXPECT_EQ(kinds, QStringList({n(LIBFPTR_DT_SHIFT_STATE), "fn" + n(LIBFPTR_FNDT_SHIFT),
                                  n(LIBFPTR_DT_RECEIPT_COUNT), n(LIBFPTR_DT_RECEIPT_COUNT),
                                  n(LIBFPTR_DT_PAYMENT_SUM), n(LIBFPTR_DT_PAYMENT_SUM),
                                  n(LIBFPTR_DT_PAYMENT_SUM), n(LIBFPTR_DT_PAYMENT_SUM),
                                  n(LIBFPTR_DT_CASHIN_COUNT), n(LIBFPTR_DT_CASHOUT_COUNT),
                                  n(LIBFPTR_DT_CASHIN_SUM), n(LIBFPTR_DT_CASHOUT_SUM),
                                  n(LIBFPTR_DT_CASH_SUM)}));
    const QStringList ops = operations();
    EXPECT_EQ(ops.filter("queryData").size(), 12);
    EXPECT_EQ(ops.filter("fnQueryData").size(), 1);
    EXPECT_EQ(ops.size(), 13);
    // the state query asks the moment for an open shift
    EXPECT_EQ(calls().filter("getParamDateTime").size(), 1);
}

TEST_F(ShiftRules, StateTextsOfClosedExpiredAndUnknownShifts) {
    auto f = open(R"({"registers": [{"com": "COM7", "shift": {"state": 0, "number": 5}}]})");
    auto rows = documents::buildShiftReport(*f);
    EXPECT_EQ(value(rows, "Состояние смены"), "Закрыта");
    EXPECT_EQ(value(rows, "Номер смены"), "5");
    EXPECT_EQ(calls().filter("getParamDateTime").size(), 0);

    f = open(R"({"registers": [{"com": "COM7",
        "shift": {"state": 1, "number": 6, "expiresAt": "2020-01-02T03:04:05+03:00"}}]})");
    rows = documents::buildShiftReport(*f);
    EXPECT_EQ(value(rows, "Состояние смены"), "Истекла (02.01.2020 03:04:05)");
    EXPECT_EQ(documents::shiftStateText(*f, 77, QDateTime::currentDateTime()), QString());
}

TEST_F(ShiftRules, OpenAndCloseShiftChangeTheRegisterAndItsArchive) {
    auto f = open(R"({"registers": [{"com": "COM7", "serial": "0042",
        "flags": {"fnPresent": true, "fnFiscal": true},
        "shift": {"state": 0, "number": 7},
        "counters": {"cashSum": 40, "cashInSum": 5, "cashInCount": 1},
        "fn": {"status": {"fiscalDocumentNumber": 30}}}]})");
    auto r = reg();
    documents::openShiftOperation(*f, ui_);
    EXPECT_TRUE(ui_.messages.isEmpty()) << ui_.messages.join('|').toStdString();
    EXPECT_EQ(operations(), QStringList({"openShift()", "checkDocumentClosed()"}));
    EXPECT_EQ(r->shift.number, 8);
    EXPECT_EQ(r->shift.state, f->c(LIBFPTR_SS_OPENED));
    EXPECT_EQ(r->archive.lastNumber(), 31);
    EXPECT_EQ(r->archive.document(31)->value("fiscalDocumentType").toString(), "openShift");
    // a new shift counts from zero; the drawer keeps its cash
    EXPECT_EQ(r->counters.cashInCount, 0);
    EXPECT_EQ(r->counters.cashSum, 40);

    // a second opening is refused with the driver's code and description
    documents::openShiftOperation(*f, ui_);
    ASSERT_EQ(ui_.messages.size(), 1);
    EXPECT_TRUE(ui_.messages[0].startsWith("(83) ")) << ui_.messages[0].toStdString();
    EXPECT_EQ(r->shift.number, 8);

    documents::cashOperation(*f, ui_, "1 000,50", true);
    ASSERT_EQ(ui_.messages.size(), 1) << ui_.messages.join('|').toStdString();
    EXPECT_TRUE(
        calls().contains("setParam(" + QString::number(f->c(LIBFPTR_PARAM_SUM)) + ",1000.50)"));
    EXPECT_DOUBLE_EQ(r->counters.cashSum, 1040.5);
    EXPECT_EQ(r->counters.cashInCount, 1);
    documents::cashOperation(*f, ui_, "40,5", false);
    EXPECT_DOUBLE_EQ(r->counters.cashSum, 1000);
    EXPECT_DOUBLE_EQ(r->counters.cashOutSum, 40.5);
    EXPECT_EQ(r->counters.cashOutCount, 1);

    ui_.messages.clear();
    const int from = calls().size();
    documents::xReportOperation(*f, ui_);
    documents::closeShiftOperation(*f, ui_);
    EXPECT_TRUE(ui_.messages.isEmpty()) << ui_.messages.join('|').toStdString();
    const QString reportType = QString::number(f->c(LIBFPTR_PARAM_REPORT_TYPE));
    EXPECT_EQ(
        calls().mid(from),
        QStringList(
            {"setParam(" + reportType + "," + QString::number(f->c(LIBFPTR_RT_X)) + ")", "report()",
             "setParam(" + reportType + "," + QString::number(f->c(LIBFPTR_RT_CLOSE_SHIFT)) + ")",
             "report()", "checkDocumentClosed()"}));
    EXPECT_EQ(r->shift.state, f->c(LIBFPTR_SS_CLOSED));
    EXPECT_EQ(r->shift.number, 8);
    EXPECT_EQ(r->archive.lastNumber(), 32);
    EXPECT_EQ(r->archive.document(32)->value("fiscalDocumentType").toString(), "closeShift");
    EXPECT_EQ(r->archive.document(32)->value("1038").toInt(), 8);
    EXPECT_EQ(r->counters.cashInCount, 0);
    EXPECT_EQ(r->counters.cashOutSum, 0);
    EXPECT_DOUBLE_EQ(r->counters.cashSum, 1000);

    QStringList printed;
    for (const auto& item : r->journal->items()) printed << item.kind + ":" + item.text;
    EXPECT_EQ(printed,
              QStringList({"report:ОТЧЕТ ОБ ОТКРЫТИИ СМЕНЫ", "cashIn:1000.50", "cashOut:40.50",
                           "report:X-ОТЧЕТ", "report:ОТЧЕТ О ЗАКРЫТИИ СМЕНЫ"}));
}

TEST_F(ShiftRules, CashOperationsRefuseWhatIsNotExactAndWhatTheRegisterCannotDo) {
    auto f = open();
    auto r = reg();
    const double before = r->counters.cashSum;
    for (const char* bad : {"", "12,345", "-5", "abc", "100000000"}) {
        ui_.messages.clear();
        documents::cashOperation(*f, ui_, QString::fromUtf8(bad), true);
        ASSERT_EQ(ui_.messages.size(), 1) << bad;
        EXPECT_EQ(ui_.messages[0], documents::parseAmount(QString::fromUtf8(bad)).problem) << bad;
    }
    EXPECT_TRUE(operations().filter("cashIncome").isEmpty());
    EXPECT_EQ(r->counters.cashSum, before);
    EXPECT_EQ(r->journal->size(), 0);

    // more than the drawer holds: the register refuses, the window says so
    ui_.messages.clear();
    documents::cashOperation(*f, ui_, "2500,51", false);
    ASSERT_EQ(ui_.messages.size(), 1);
    EXPECT_TRUE(ui_.messages[0].startsWith("(80) ")) << ui_.messages[0].toStdString();
    EXPECT_EQ(r->counters.cashSum, before);
    documents::cashOperation(*f, ui_, "2500,50", false);
    EXPECT_EQ(ui_.messages.size(), 1);
    EXPECT_EQ(r->counters.cashSum, 0);

    // the register itself takes no amount finer than a kopeck or over its limit
    for (const QVariant& v :
         {QVariant(QStringLiteral("1.005")), QVariant(QStringLiteral("-1")), QVariant(0.125),
          QVariant(QStringLiteral("100000000.00")), QVariant(QStringLiteral("1,5"))}) {
        f->setParam(LIBFPTR_PARAM_SUM, v);
        EXPECT_EQ(f->run(drv::members::cashIncome), -1) << v.toString().toStdString();
        EXPECT_EQ(f->errorCode(), f->c(LIBFPTR_ERROR_INVALID_SUM));
    }
    EXPECT_EQ(r->counters.cashSum, 0);
}

TEST_F(ShiftRules, AnExpiredShiftRefusesFiscalOperationsUntilClosed) {
    auto f = open(R"({"registers": [{"com": "COM7", "flags": {"fnPresent": true},
        "shift": {"state": 1, "number": 9, "expiresAt": "2020-01-02T03:04:05+03:00"},
        "counters": {"cashSum": 100},
        "fn": {"status": {"fiscalDocumentNumber": 10}}}]})");
    auto r = reg();
    documents::cashOperation(*f, ui_, "10", true);
    documents::cashOperation(*f, ui_, "10", false);
    documents::openShiftOperation(*f, ui_);
    ASSERT_EQ(ui_.messages.size(), 3);
    for (const auto& m : ui_.messages) EXPECT_EQ(m, "(68) Смена превысила 24 часа");
    EXPECT_EQ(r->counters.cashSum, 100);
    EXPECT_EQ(r->archive.lastNumber(), 10);

    ui_.messages.clear();
    documents::closeShiftOperation(*f, ui_);
    EXPECT_TRUE(ui_.messages.isEmpty()) << ui_.messages.join('|').toStdString();
    EXPECT_EQ(r->archive.lastNumber(), 11);
    // cash in a closed shift opens the next one first, as the register does
    documents::cashOperation(*f, ui_, "10", true);
    EXPECT_TRUE(ui_.messages.isEmpty()) << ui_.messages.join('|').toStdString();
    EXPECT_EQ(r->shift.number, 10);
    EXPECT_EQ(r->shift.state, f->c(LIBFPTR_SS_OPENED));
    EXPECT_EQ(r->archive.document(12)->value("fiscalDocumentType").toString(), "openShift");
    EXPECT_EQ(r->counters.cashSum, 110);
    EXPECT_EQ(r->counters.cashInCount, 1);
}

TEST_F(ShiftRules, OpeningAShiftNeedsTheStorage) {
    auto f = open(R"({"registers": [{"com": "COM7", "flags": {"fnPresent": false},
        "shift": {"state": 0, "number": 4}, "fn": {"status": {"fiscalDocumentNumber": 8}}}]})");
    auto r = reg();
    documents::cashOperation(*f, ui_, "10", true);
    documents::openShiftOperation(*f, ui_);
    ASSERT_EQ(ui_.messages.size(), 2);
    for (const auto& m : ui_.messages)
        EXPECT_TRUE(m.startsWith(QStringLiteral("(%1) ").arg(f->c(LIBFPTR_ERROR_FN_NOT_FOUND))))
            << m.toStdString();
    EXPECT_EQ(r->shift.number, 4);
    EXPECT_EQ(r->counters.cashSum, 0);
    EXPECT_EQ(r->archive.lastNumber(), 8);
    EXPECT_EQ(r->journal->size(), 0);
}

// ---------------------------------------------------------------------------------------------
// The open receipt

const QByteArray kOpenReceipt = R"({"registers": [{"com": "COM7", "serial": "0042",
    "flags": {"fnPresent": true, "fnFiscal": true},
    "shift": {"state": 1, "number": 3, "receipts": 5, "expiresAt": "2099-01-01T09:00:00+03:00"},
    "receipt": {"type": 1,
                "items": [{"name": "Хлеб", "price": 45.5, "quantity": 2},
                          {"name": "Молоко", "price": 89.9}],
                "payments": [{"type": 1, "sum": 100}]},
    "counters": {"cashSum": 1000},
    "fn": {"status": {"fiscalDocumentNumber": 77}}}]})";

TEST_F(ShiftRules, ReceiptTypeNames) {
    auto f = open();
    const QList<std::pair<const char*, const char*>> names = {
        {LIBFPTR_RT_CLOSED, "Чек закрыт"},
        {LIBFPTR_RT_SELL, "Чек прихода"},
        {LIBFPTR_RT_SELL_RETURN, "Чек возврата прихода"},
        {LIBFPTR_RT_SELL_CORRECTION, "Чек коррекции прихода"},
        {LIBFPTR_RT_SELL_RETURN_CORRECTION, "Чек коррекции возврата прихода"},
        {LIBFPTR_RT_BUY, "Чек расхода"},
        {LIBFPTR_RT_BUY_RETURN, "Чек возврата расхода"},
        {LIBFPTR_RT_BUY_CORRECTION, "Чек коррекции расхода"},
        {LIBFPTR_RT_BUY_RETURN_CORRECTION, "Чек коррекции возврата расхода"}};
    QSet<int> seen;
    for (const auto& [constant, name] : names) {
        EXPECT_EQ(documents::receiptTypeName(*f, f->c(constant)), QString::fromUtf8(name));
        seen.insert(f->c(constant));
    }
    EXPECT_EQ(seen.size(), 9);
    for (int other : {3, 6, 11, -1}) {
        ASSERT_FALSE(seen.contains(other));
        EXPECT_EQ(documents::receiptTypeName(*f, other), QString());
    }
}

TEST_F(ShiftRules, OpenReceiptFromTheBenchIsShownAndClosedWithCash) {
    auto f = open(kOpenReceipt);
    auto r = reg();
    // the bench's items and payments make the sum, the remainder and the numbers
    auto v = documents::readOpenReceipt(*f);
    EXPECT_EQ(v.error, 0);
    EXPECT_EQ(v.state, "Чек открыт");
    EXPECT_EQ(
        v.lines,
        QStringList({"Тип чека:                       Чек прихода",
                     "Номер чека (счетчик ККТ):       6", "Номер документа (счетчик ККТ):  78",
                     "Текущая сумма чека:             180,9",
                     "Неоплаченный остаток:           80,9", "Сдача по чеку:                  0"}));
    for (const auto& l : v.lines) EXPECT_GE(l.size(), 32);

    EXPECT_TRUE(documents::closeOpenReceipt(*f, ui_));
    EXPECT_TRUE(ui_.messages.isEmpty());
    // the unpaid 80,90 is paid in cash
    EXPECT_DOUBLE_EQ(r->counters.cashSum, 1080.9);
    EXPECT_DOUBLE_EQ(r->counters.paymentSum.value("1/0"), 80.9);
    EXPECT_DOUBLE_EQ(r->counters.paymentSum.value("1/1"), 100);
    EXPECT_EQ(r->counters.receiptCount.value(1), 1);
    EXPECT_EQ(r->shift.receipts, 6);
    const auto doc = r->archive.document(78);
    ASSERT_TRUE(doc.has_value());
    EXPECT_EQ(doc->value("fiscalDocumentType").toString(), "receipt");
    EXPECT_EQ(doc->value("1042").toInt(), 6);
    EXPECT_EQ(doc->value("1054").toInt(), 1);
    EXPECT_DOUBLE_EQ(doc->value("1020").toDouble(), 180.9);
    EXPECT_DOUBLE_EQ(doc->value("1031").toDouble(), 80.9);
    EXPECT_DOUBLE_EQ(doc->value("1081").toDouble(), 100);
    EXPECT_EQ(doc->value("1059").toArray().size(), 2);
    const auto items = r->journal->items();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].kind, "receipt");
    EXPECT_EQ(items[0].extra.value("document").toInt(), 78);

    v = documents::readOpenReceipt(*f);
    EXPECT_EQ(v.state, "Чек закрыт");
    EXPECT_EQ(v.lines, QStringList({"Чек закрыт"}));

    // nothing open any more: the description alone
    EXPECT_FALSE(documents::closeOpenReceipt(*f, ui_));
    EXPECT_FALSE(documents::cancelOpenReceipt(*f, ui_));
    ASSERT_EQ(ui_.messages.size(), 2);
    EXPECT_EQ(ui_.messages[0], f->errorDescription());
    EXPECT_FALSE(ui_.messages[0].startsWith("("));
    EXPECT_EQ(r->journal->size(), 1);
}

// Golden cases: tests/data/receipt/<case>.json is the register's part of a bench (the receipt
// left open, the shift, the storage), <case>.txt the state box's text and then the view's lines.
TEST_F(ShiftRules, OpenReceiptViewsMatchTheirGoldenFiles) {
    const QDir dir(QStringLiteral(VELMOR_SOURCE_DIR "/tests/data/receipt"));
    const QStringList cases = dir.entryList({"*.json"}, QDir::Files, QDir::Name);
    ASSERT_GE(cases.size(), 5);
    for (const QString& name : cases) {
        QFile in(dir.filePath(name));
        ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << name.toStdString();
        QJsonObject reg = QJsonDocument::fromJson(in.readAll()).object();
        ASSERT_FALSE(reg.isEmpty()) << name.toStdString();
        reg["com"] = "COM7";
        const QJsonObject bench{{"registers", QJsonArray{reg}}};
        auto f = open(QJsonDocument(bench).toJson());
        const auto v = documents::readOpenReceipt(*f);
        ASSERT_EQ(v.error, 0) << name.toStdString();

        QFile want(dir.filePath(QFileInfo(name).completeBaseName() + ".txt"));
        ASSERT_TRUE(want.open(QIODevice::ReadOnly)) << name.toStdString();
        QStringList expected = QString::fromUtf8(want.readAll()).split(u'\n');
        if (expected.last().isEmpty()) expected.removeLast();
        EXPECT_EQ(QStringList{v.state} + v.lines, expected) << name.toStdString();
    }
}

TEST_F(ShiftRules, BenchReceiptsThatCannotBeAreRefusedNamingTheKey) {
    const auto refused = [](const QByteArray& receipt, const char* key) {
        try {
            emu::World::instance().loadJson(
                R"({"registers": [{"com": "COM7", "receipt": )" + receipt + "}]}", "receipt.json");
            ADD_FAILURE() << "accepted " << receipt.constData();
        } catch (const emu::BenchError& e) {
            const std::string what = e.what();
            EXPECT_NE(what.find(key), std::string::npos) << what;
        }
    };
    refused(R"({"type": 1, "payments": [{"type": 0, "sum": 0}]})",
            "registers[0].receipt.payments[0].sum");
    refused(R"({"type": 1, "payments": [{"type": 12, "sum": 1}]})",
            "registers[0].receipt.payments[0].type");
    refused(R"({"type": 1, "items": [{"name": "x", "price": -1}]})",
            "registers[0].receipt.items[0]");
    refused(R"({"type": 1, "items": [{"name": "x", "price": 1, "quantity": 0}]})",
            "registers[0].receipt.items[0]");
    refused(R"({"type": 1, "sum": 10, "payments": [{"type": 1, "sum": 10.01}]})",
            "registers[0].receipt.payments");
    refused(R"({"type": 1, "items": [{"name": 5, "price": 1}]})",
            "registers[0].receipt.items[0].name");
}

TEST_F(ShiftRules, ClosingTheShiftAndCancellingTheReceiptAskFirst) {
    auto f = open(R"({"registers": [{"com": "COM7",
        "shift": {"state": 1, "number": 3, "receipts": 0, "expiresAt": "2099-01-01T09:00:00+03:00"},
        "receipt": {"type": 1, "items": [{"name": "Сыр", "price": 310.4}]}}]})");
    auto r = reg();
    ui_.answer = false;
    EXPECT_FALSE(documents::closeShiftOperation(*f, ui_));
    EXPECT_FALSE(documents::cancelOpenReceipt(*f, ui_));
    EXPECT_TRUE(operations().isEmpty()) << operations().join('|').toStdString();
    EXPECT_EQ(ui_.questions,
              QStringList({documents::kCloseShiftQuestion, documents::kCancelReceiptQuestion}));
    for (const auto& q : ui_.asked) EXPECT_TRUE(q.cancelByDefault);
    EXPECT_EQ(r->shift.state, f->c(LIBFPTR_SS_OPENED));
    EXPECT_EQ(r->receipt.type, f->c(LIBFPTR_RT_SELL));
}

TEST_F(ShiftRules, OverpaidReturnGivesChangeAndCancelCountsNothing) {
    auto f = open(R"({"registers": [{"com": "COM7",
        "shift": {"state": 1, "number": 3, "receipts": 0, "expiresAt": "2099-01-01T09:00:00+03:00"},
        "receipt": {"type": 1, "items": [{"name": "Сыр", "price": 310.4}],
                    "payments": [{"type": 0, "sum": 500}]},
        "counters": {"cashSum": 50}}]})");
    auto r = reg();
    const auto v = documents::readOpenReceipt(*f);
    EXPECT_EQ(v.lines.value(4), "Неоплаченный остаток:           0");
    EXPECT_EQ(v.lines.value(5), "Сдача по чеку:                  189,6");
    ASSERT_TRUE(documents::closeOpenReceipt(*f, ui_));
    // 500 in, 189,60 change out
    EXPECT_DOUBLE_EQ(r->counters.cashSum, 360.4);
    EXPECT_DOUBLE_EQ(r->counters.paymentSum.value("1/0"), 310.4);

    f = open(R"({"registers": [{"com": "COM7",
        "shift": {"state": 1, "number": 3, "receipts": 2, "expiresAt": "2099-01-01T09:00:00+03:00"},
        "receipt": {"type": 2, "sum": 75},
        "counters": {"cashSum": 50}}]})");
    r = reg();
    // a cash return of 75 out of a drawer of 50 is refused
    EXPECT_FALSE(documents::closeOpenReceipt(*f, ui_));
    EXPECT_EQ(f->errorCode(), f->c(LIBFPTR_ERROR_NO_CASH));
    EXPECT_EQ(r->counters.cashSum, 50);
    ASSERT_TRUE(documents::cancelOpenReceipt(*f, ui_));
    EXPECT_EQ(r->receipt.type, f->c(LIBFPTR_RT_CLOSED));
    EXPECT_EQ(r->counters.cashSum, 50);
    EXPECT_TRUE(r->counters.receiptCount.isEmpty());
    EXPECT_EQ(r->shift.receipts, 2);
    EXPECT_EQ(r->journal->texts("receipt"), QStringList({"cancel"}));
}

TEST_F(ShiftRules, ContinuePrintAndDocumentCopies) {
    auto f = open(R"({"registers": [{"com": "COM7", "interruptedDocument": 21,
        "fn": {"status": {"fiscalDocumentNumber": 21},
               "documents": [{"documentTLV": {"1040": 21, "fiscalDocumentType": "openShift",
                                              "1038": 2}}]}}]})");
    auto r = reg();
    documents::continuePrinting(*f, ui_);
    EXPECT_TRUE(ui_.messages.isEmpty());
    auto items = r->journal->items();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].kind, "continue");
    EXPECT_EQ(items[0].extra.value("document").toInt(), 21);

    documents::printDocumentCopy(*f, ui_, QString());
    EXPECT_TRUE(operations().filter("report").isEmpty());
    documents::printDocumentCopy(*f, ui_, "21");
    EXPECT_TRUE(ui_.messages.isEmpty());
    EXPECT_TRUE(calls().contains("setParam(" +
                                 QString::number(f->c(LIBFPTR_PARAM_DOCUMENT_NUMBER)) + ",21)"));
    EXPECT_EQ(r->journal->items().last().text, "КОПИЯ ФД № 21");
    documents::printDocumentCopy(*f, ui_, "22");
    ASSERT_EQ(ui_.messages.size(), 1);
    EXPECT_EQ(ui_.messages[0], f->errorDescription());

    // out of paper: two lines, the fixed one and the driver's description
    r->flags.paperPresent = false;
    ui_.messages.clear();
    documents::continuePrinting(*f, ui_);
    ASSERT_EQ(ui_.messages.size(), 1);
    const QStringList lines = ui_.messages[0].split("\r\n");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], "Не удалось напечатать документ");
    EXPECT_EQ(lines[1], f->errorDescription());
    EXPECT_FALSE(lines[1].isEmpty());
}

TEST_F(ShiftRules, AFailedStateQueryIsNotAClosedReceipt) {
    auto f = open(R"({"registers": [{"com": "COM7", "receipt": {"type": 1, "sum": 5},
        "errors": [{"method": "queryData", "code": 2, "description": "Нет связи"}]}]})");
    const auto v = documents::readOpenReceipt(*f);
    EXPECT_EQ(v.error, 2);
    EXPECT_EQ(v.errorDescription, "Нет связи");
    EXPECT_TRUE(v.lines.isEmpty());
    EXPECT_TRUE(v.state.isEmpty());
}

TEST(ShiftView, SavedViewIsWindows1251WithCrLf) {
    EXPECT_TRUE(documents::viewLines(QString()).isEmpty());
    const QStringList lines = documents::viewLines("Тип чека:  Чек прихода\n\nИтог 1,5");
    EXPECT_EQ(lines, QStringList({"Тип чека:  Чек прихода", "", "Итог 1,5"}));
    const QByteArray bytes = info::ansiFileBytes(lines);
    // "Т" is 0xD2 in Windows-1251; no byte-order mark
    EXPECT_EQ(quint8(bytes[0]), 0xD2);
    EXPECT_TRUE(bytes.endsWith("\r\n\r\n\xC8\xF2\xEE\xE3 1,5\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), 3);
    EXPECT_FALSE(bytes.contains("\n\n"));
}

}  // namespace
