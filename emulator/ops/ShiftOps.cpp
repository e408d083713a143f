// Shift and receipt operations: open and close the shift, reports, cash in and out, finishing
// the open receipt. They keep the register's fiscal state consistent: the shift number and its
// counters, the cash in the drawer and the archive change together, as a real register's do.
// Each fiscal document they make is appended to the archive; what they print goes to the print
// journal.
#include <QJsonArray>
#include <QRegularExpression>
#include <cmath>

#include "emulator/ops/Call.h"

namespace emu {

using namespace drv::names;

bool shiftExpired(const Register& r) {
    return r.shift.state == k(LIBFPTR_SS_OPENED) && r.shift.expiresAt.isValid() &&
           r.shift.expiresAt < r.clock();
}

// Opens the shift: its number, a fresh set of shift counters, the opening document and report.
void openShiftNow(Register& r) {
    r.shift.state = k(LIBFPTR_SS_OPENED);
    r.shift.number += 1;
    r.shift.receipts = 0;
    r.shift.expiresAt = r.clock().addSecs(24 * 3600);
    const int n =
        r.archive.append({{QStringLiteral("fiscalDocumentType"), QStringLiteral("openShift")},
                          {QStringLiteral("1038"), r.shift.number}},
                         r.momentNow());
    if (!r.operatorName.isEmpty()) r.archive.annotate(n, QStringLiteral("1021"), r.operatorName);
    r.journal->append(QStringLiteral("report"), QStringLiteral("ОТЧЕТ ОБ ОТКРЫТИИ СМЕНЫ"),
                      {{QStringLiteral("shift"), r.shift.number}, {QStringLiteral("document"), n}});
}

// The counters of a shift start from zero; the cash in the drawer stays.
void resetShiftCounters(Register& r) {
    r.counters.cashInSum = r.counters.cashOutSum = 0;
    r.counters.cashInCount = r.counters.cashOutCount = 0;
    r.counters.receiptCount.clear();
    r.counters.paymentSum.clear();
}

namespace {

// The largest amount a cash operation or a payment takes: ten digits of kopecks.
constexpr qint64 kMaxKopecks = 9'999'999'999;

int doOpenShift(Call& c) {
    Register& r = c.reg();
    if (!r.flags.fnPresent) return c.fail(LIBFPTR_ERROR_FN_NOT_FOUND);
    if (r.receipt.type != k(LIBFPTR_RT_CLOSED))
        return c.fail(LIBFPTR_ERROR_DENIED_IN_OPENED_RECEIPT);
    if (shiftExpired(r)) return c.fail(LIBFPTR_ERROR_SHIFT_EXPIRED);
    if (r.shift.state != k(LIBFPTR_SS_CLOSED)) return c.fail(LIBFPTR_ERROR_DENIED_IN_OPENED_SHIFT);
    if (const int fault = printerFault(r)) return c.fail(fault);
    resetShiftCounters(r);
    openShiftNow(r);
    return c.ok();
}

int closeShift(Call& c) {
    Register& r = c.reg();
    if (r.shift.state == k(LIBFPTR_SS_CLOSED)) return c.fail(LIBFPTR_ERROR_DENIED_IN_CLOSED_SHIFT);
    if (r.receipt.type != k(LIBFPTR_RT_CLOSED))
        return c.fail(LIBFPTR_ERROR_DENIED_IN_OPENED_RECEIPT);
    if (const int fault = printerFault(r)) return c.fail(fault);
    r.shift.state = k(LIBFPTR_SS_CLOSED);
    const int n =
        r.archive.append({{QStringLiteral("fiscalDocumentType"), QStringLiteral("closeShift")},
                          {QStringLiteral("1038"), r.shift.number},
                          {QStringLiteral("1118"), r.shift.receipts}},
                         r.momentNow());
    if (!r.operatorName.isEmpty()) r.archive.annotate(n, QStringLiteral("1021"), r.operatorName);
    r.journal->append(QStringLiteral("report"), QStringLiteral("ОТЧЕТ О ЗАКРЫТИИ СМЕНЫ"),
                      {{QStringLiteral("shift"), r.shift.number}, {QStringLiteral("document"), n}});
    resetShiftCounters(r);
    return c.ok();
}

int doReport(Call& c) {
    Register& r = c.reg();
    const QVariant typeParam = c.in(LIBFPTR_PARAM_REPORT_TYPE);
    if (!typeParam.isValid()) return c.fail(LIBFPTR_ERROR_NO_REQUIRED_PARAM);
    if (!isIntegerValue(typeParam)) return c.fail(LIBFPTR_ERROR_INVALID_PARAM);
    const int type = typeParam.toInt();
    if (type == k(LIBFPTR_RT_CLOSE_SHIFT)) return closeShift(c);
    if (const int fault = printerFault(r)) return c.fail(fault);
    const QJsonObject extra{{QStringLiteral("type"), type}};
    if (type == k(LIBFPTR_RT_X)) {
        r.journal->append(QStringLiteral("report"), QStringLiteral("X-ОТЧЕТ"),
                          {{QStringLiteral("type"), type},
                           {QStringLiteral("shift"), r.shift.number},
                           {QStringLiteral("cashSum"), r.counters.cashSum}});
    } else if (type == k(LIBFPTR_RT_KKT_INFO)) {
        r.journal->append(QStringLiteral("report"),
                          QStringLiteral("ИНФОРМАЦИЯ О ККТ\n%1\nЗН ККТ %2").arg(r.model, r.serial),
                          extra);
    } else if (type == k(LIBFPTR_RT_FN_DOC_BY_NUMBER)) {
        const auto number = c.inNumber(LIBFPTR_PARAM_DOCUMENT_NUMBER);
        if (!number || *number < 0 || *number > INT_MAX) return c.fail(LIBFPTR_ERROR_INVALID_PARAM);
        const int n = int(*number);
        if (!r.archive.document(n)) return c.fail(LIBFPTR_ERROR_FN_NO_MORE_DATA);
        QJsonObject e = extra;
        e.insert(QStringLiteral("document"), n);
        r.journal->append(QStringLiteral("report"), QStringLiteral("КОПИЯ ФД № %1").arg(n), e);
    } else if (type > k(LIBFPTR_RT_CLOSE_SHIFT) && type <= k(LIBFPTR_RT_CLOSE_SHIFT_REPORTS)) {
        r.journal->append(QStringLiteral("report"), QStringLiteral("ОТЧЕТ %1").arg(type), extra);
    } else {
        return c.fail(LIBFPTR_ERROR_NOT_SUPPORTED);
    }
    return c.ok();
}

// The amount of a cash operation in kopecks: a number, or its text with a point and at most two
// decimals. Anything else (more decimals, a sign, not above zero, more than the register holds)
// is refused rather than rounded.
std::optional<qint64> amountKopecks(const QVariant& v) {
    if (v.typeId() == QMetaType::QString) {
        static const QRegularExpression re(QStringLiteral("^(\\d{1,15})(?:\\.(\\d{1,2}))?$"));
        const auto m = re.match(v.toString().trimmed());
        if (!m.hasMatch()) return std::nullopt;
        const qint64 kopecks = m.captured(1).toLongLong() * 100 +
                               m.captured(2).leftJustified(2, QLatin1Char('0')).toLongLong();
        if (kopecks <= 0 || kopecks > kMaxKopecks) return std::nullopt;
        return kopecks;
    }
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok || !std::isfinite(d) || d <= 0 || d * 100 > double(kMaxKopecks)) return std::nullopt;
    const double kopecks = std::round(d * 100);
    if (std::abs(kopecks - d * 100) > 1e-6) return std::nullopt;
    return qint64(kopecks);
}

int cash(Call& c, bool income) {
    Register& r = c.reg();
    if (shiftExpired(r)) return c.fail(LIBFPTR_ERROR_SHIFT_EXPIRED);
    if (r.receipt.type != k(LIBFPTR_RT_CLOSED))
        return c.fail(LIBFPTR_ERROR_DENIED_IN_OPENED_RECEIPT);
    if (!c.has(LIBFPTR_PARAM_SUM)) return c.fail(LIBFPTR_ERROR_NO_REQUIRED_PARAM);
    const auto kopecks = amountKopecks(c.in(LIBFPTR_PARAM_SUM));
    if (!kopecks) return c.fail(LIBFPTR_ERROR_INVALID_SUM);
    const double sum = double(*kopecks) / 100.0;
    if (!income && sum > r.counters.cashSum + 1e-9) return c.fail(LIBFPTR_ERROR_NO_CASH);
    // the first fiscal operation of a closed shift opens it, which needs the storage
    const bool opens = r.shift.state == k(LIBFPTR_SS_CLOSED);
    if (opens && !r.flags.fnPresent) return c.fail(LIBFPTR_ERROR_FN_NOT_FOUND);
    if (const int fault = printerFault(r)) return c.fail(fault);
    if (opens) {
        resetShiftCounters(r);
        openShiftNow(r);
    }
    if (income) {
        r.counters.cashInSum = roundedMoney(r.counters.cashInSum + sum);
        r.counters.cashInCount += 1;
        r.counters.cashSum = roundedMoney(r.counters.cashSum + sum);
    } else {
        r.counters.cashOutSum = roundedMoney(r.counters.cashOutSum + sum);
        r.counters.cashOutCount += 1;
        r.counters.cashSum = roundedMoney(r.counters.cashSum - sum);
    }
    r.journal->append(income ? QStringLiteral("cashIn") : QStringLiteral("cashOut"),
                      QString::number(sum, 'f', 2));
    return c.ok();
}

int doCashIncome(Call& c) {
    return cash(c, true);
}
int doCashOutcome(Call& c) {
    return cash(c, false);
}

// The calculation sign (1054) of a receipt type: 1 sale, 2 sale return, 3 purchase, 4 its return.
int calculationSign(int type) {
    if (type == k(LIBFPTR_RT_SELL) || type == k(LIBFPTR_RT_SELL_CORRECTION)) return 1;
    if (type == k(LIBFPTR_RT_SELL_RETURN) || type == k(LIBFPTR_RT_SELL_RETURN_CORRECTION)) return 2;
    if (type == k(LIBFPTR_RT_BUY) || type == k(LIBFPTR_RT_BUY_CORRECTION)) return 3;
    return 4;
}

// Closes the open receipt: what is still unpaid is paid with LIBFPTR_PARAM_PAYMENT_TYPE (cash
// when not given); the change comes out of the cash paid.
int doCloseReceipt(Call& c) {
    Register& r = c.reg();
    const int type = r.receipt.type;
    if (type == k(LIBFPTR_RT_CLOSED)) return c.fail(LIBFPTR_ERROR_DENIED_IN_CLOSED_RECEIPT);
    if (r.shift.state == k(LIBFPTR_SS_CLOSED)) return c.fail(LIBFPTR_ERROR_DENIED_IN_CLOSED_SHIFT);
    if (shiftExpired(r)) return c.fail(LIBFPTR_ERROR_SHIFT_EXPIRED);
    if (const int fault = printerFault(r)) return c.fail(fault);
    const int cashType = k(LIBFPTR_PT_CASH);
    QList<ReceiptPayment> payments = r.receipt.payments;
    if (r.receipt.remainder > 0)
        payments.append({c.inInt(LIBFPTR_PARAM_PAYMENT_TYPE, cashType), r.receipt.remainder});
    double paid = 0;
    for (const auto& p : payments) paid += p.sum;
    const double due = r.receipt.total.value_or(r.receipt.sum);
    const double change = roundedMoney(std::max(0.0, paid - due));
    QHash<int, double> byType;
    for (const auto& p : payments) byType[p.type] += p.sum;
    byType[cashType] = roundedMoney(byType.value(cashType) - change);
    const int sign = calculationSign(type);
    const bool cashComesIn = sign == 1 || sign == 4;
    const double cashNet = byType.value(cashType);
    if (!cashComesIn && cashNet > r.counters.cashSum + 1e-9) return c.fail(LIBFPTR_ERROR_NO_CASH);

    r.counters.cashSum = roundedMoney(r.counters.cashSum + (cashComesIn ? cashNet : -cashNet));
    for (auto it = byType.begin(); it != byType.end(); ++it) {
        if (it.value() == 0) continue;
        const QString key = QStringLiteral("%1/%2").arg(type).arg(it.key());
        r.counters.paymentSum[key] = roundedMoney(r.counters.paymentSum.value(key) + it.value());
    }
    r.counters.receiptCount[type] += 1;
    r.nonNullableSum[type] = roundedMoney(r.nonNullableSum.value(type) + due);
    r.shift.receipts += 1;

    const QJsonObject tlv = receiptDocument(r, byType, cashNet);
    const int n = r.archive.append(tlv, r.momentNow());
    r.archive.annotate(n, QStringLiteral("qr"), receiptQr(*r.archive.document(n)));
    r.journal->append(QStringLiteral("receipt"), QStringLiteral("close"),
                      {{QStringLiteral("document"), n},
                       {QStringLiteral("type"), type},
                       {QStringLiteral("sum"), due},
                       {QStringLiteral("change"), change}});
    r.receipt = closedReceipt(r, n);
    return c.ok();
}

int doCancelReceipt(Call& c) {
    Register& r = c.reg();
    if (r.receipt.type == k(LIBFPTR_RT_CLOSED))
        return c.fail(LIBFPTR_ERROR_DENIED_IN_CLOSED_RECEIPT);
    const int type = r.receipt.type;
    r.receipt = closedReceipt(r, r.receipt.documentNumber);
    r.journal->append(QStringLiteral("receipt"), QStringLiteral("cancel"),
                      {{QStringLiteral("type"), type}});
    return c.ok();
}

int doCheckDocumentClosed(Call& c) {
    c.clearOut();
    c.out(LIBFPTR_PARAM_DOCUMENT_CLOSED, true);
    c.out(LIBFPTR_PARAM_DOCUMENT_PRINTED, c.reg().interruptedDocument == 0);
    return c.ok();
}

// Prints what is left of a document whose printing stopped (nothing when none did).
int doContinuePrint(Call& c) {
    Register& r = c.reg();
    if (const int fault = printerFault(r)) return c.fail(fault);
    QJsonObject extra;
    if (r.interruptedDocument) extra.insert(QStringLiteral("document"), r.interruptedDocument);
    r.interruptedDocument = 0;
    r.journal->append(QStringLiteral("continue"), QString(), extra);
    return c.ok();
}

}  // namespace

void addShiftOperations(OperationTable& t) {
    namespace m = drv::members;
    t.insert(m::openShift, {&doOpenShift, true, false});
    t.insert(m::report, {&doReport, true, false});
    t.insert(m::cashIncome, {&doCashIncome, true, false});
    t.insert(m::cashOutcome, {&doCashOutcome, true, false});
    t.insert(m::closeReceipt, {&doCloseReceipt, true, false});
    t.insert(m::cancelReceipt, {&doCancelReceipt, true, false});
    t.insert(m::checkDocumentClosed, {&doCheckDocumentClosed, true, false});
    t.insert(m::continuePrint, {&doContinuePrint, true, false});
}

}  // namespace emu
