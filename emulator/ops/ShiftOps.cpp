// Shift and receipt operations: open and close the shift, reports, cash in and out, finishing
// the open receipt. Each fiscal document they make is appended to the archive; what they print
// goes to the print journal.
#include "emulator/ops/Call.h"

namespace emu {
namespace {

using namespace drv::names;

bool shiftExpired(const Register& r) {
    return r.shift.state == 1 && r.shift.expiresAt.isValid() && r.shift.expiresAt < r.clock();
}

int doOpenShift(Call& c) {
    Register& r = c.reg();
    if (!r.flags.fnPresent) return c.fail(LIBFPTR_ERROR_FN_NOT_FOUND);
    if (r.receipt.type != k(LIBFPTR_RT_CLOSED))
        return c.fail(LIBFPTR_ERROR_DENIED_IN_OPENED_RECEIPT);
    if (r.shift.state != k(LIBFPTR_SS_CLOSED)) return c.fail(LIBFPTR_ERROR_DENIED_IN_OPENED_SHIFT);
    if (const int fault = printerFault(r)) return c.fail(fault);
    r.shift.state = k(LIBFPTR_SS_OPENED);
    r.shift.number += 1;
    r.shift.receipts = 0;
    r.shift.expiresAt = r.clock().addSecs(24 * 3600);
    const int n =
        r.archive.append({{QStringLiteral("fiscalDocumentType"), QStringLiteral("openShift")},
                          {QStringLiteral("1038"), r.shift.number}},
                         r.momentNow());
    r.journal->append(QStringLiteral("report"), QStringLiteral("ОТЧЕТ ОБ ОТКРЫТИИ СМЕНЫ"),
                      {{QStringLiteral("shift"), r.shift.number}, {QStringLiteral("document"), n}});
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
    r.journal->append(QStringLiteral("report"), QStringLiteral("ОТЧЕТ О ЗАКРЫТИИ СМЕНЫ"),
                      {{QStringLiteral("shift"), r.shift.number}, {QStringLiteral("document"), n}});
    return c.ok();
}

int doReport(Call& c) {
    Register& r = c.reg();
    const QVariant typeParam = c.in(LIBFPTR_PARAM_REPORT_TYPE);
    if (!typeParam.isValid()) return c.fail(LIBFPTR_ERROR_NO_REQUIRED_PARAM);
    const int type = typeParam.toInt();
    if (type == k(LIBFPTR_RT_CLOSE_SHIFT)) return closeShift(c);
    if (const int fault = printerFault(r)) return c.fail(fault);
    const QJsonObject extra{{QStringLiteral("type"), type}};
    if (type == k(LIBFPTR_RT_X)) {
        r.journal->append(QStringLiteral("report"), QStringLiteral("X-ОТЧЕТ"), extra);
    } else if (type == k(LIBFPTR_RT_KKT_INFO)) {
        r.journal->append(QStringLiteral("report"),
                          QStringLiteral("ИНФОРМАЦИЯ О ККТ\n%1\nЗН ККТ %2").arg(r.model, r.serial),
                          extra);
    } else if (type == k(LIBFPTR_RT_FN_DOC_BY_NUMBER)) {
        bool ok = false;
        const int n = c.in(LIBFPTR_PARAM_DOCUMENT_NUMBER).toString().trimmed().toInt(&ok);
        if (!ok) return c.fail(LIBFPTR_ERROR_INVALID_PARAM);
        if (!r.archive.document(n)) return c.fail(LIBFPTR_ERROR_FN_NO_MORE_DATA);
        QJsonObject e = extra;
        e.insert(QStringLiteral("document"), n);
        r.journal->append(QStringLiteral("report"), QStringLiteral("КОПИЯ ФД № %1").arg(n), e);
    } else {
        r.journal->append(QStringLiteral("report"), QStringLiteral("ОТЧЕТ %1").arg(type), extra);
    }
    return c.ok();
}

// The amount of a cash operation: a number or its text with a point.
std::optional<double> amount(const QVariant& v) {
    bool ok = false;
    const double d =
        v.typeId() == QMetaType::QString ? v.toString().trimmed().toDouble(&ok) : v.toDouble(&ok);
    if (!ok || !(d > 0) || d > 1e12) return std::nullopt;
    return d;
}

int cash(Call& c, bool income) {
    Register& r = c.reg();
    if (shiftExpired(r)) return c.fail(LIBFPTR_ERROR_SHIFT_EXPIRED);
    if (r.receipt.type != k(LIBFPTR_RT_CLOSED))
        return c.fail(LIBFPTR_ERROR_DENIED_IN_OPENED_RECEIPT);
    if (!c.has(LIBFPTR_PARAM_SUM)) return c.fail(LIBFPTR_ERROR_NO_REQUIRED_PARAM);
    const auto sum = amount(c.in(LIBFPTR_PARAM_SUM));
    if (!sum) return c.fail(LIBFPTR_ERROR_INVALID_SUM);
    if (!income && *sum > r.counters.cashSum + 1e-9) return c.fail(LIBFPTR_ERROR_NO_CASH);
    if (const int fault = printerFault(r)) return c.fail(fault);
    if (income) {
        r.counters.cashInSum += *sum;
        r.counters.cashInCount += 1;
        r.counters.cashSum += *sum;
    } else {
        r.counters.cashOutSum += *sum;
        r.counters.cashOutCount += 1;
        r.counters.cashSum -= *sum;
    }
    r.journal->append(income ? QStringLiteral("cashIn") : QStringLiteral("cashOut"),
                      QString::number(*sum, 'f', 2));
    return c.ok();
}

int doCashIncome(Call& c) {
    return cash(c, true);
}
int doCashOutcome(Call& c) {
    return cash(c, false);
}

int doCloseReceipt(Call& c) {
    Register& r = c.reg();
    const int type = r.receipt.type;
    if (type == k(LIBFPTR_RT_CLOSED)) return c.fail(LIBFPTR_ERROR_DENIED_IN_CLOSED_RECEIPT);
    if (const int fault = printerFault(r)) return c.fail(fault);
    const bool correction =
        type == k(LIBFPTR_RT_SELL_CORRECTION) || type == k(LIBFPTR_RT_SELL_RETURN_CORRECTION) ||
        type == k(LIBFPTR_RT_BUY_CORRECTION) || type == k(LIBFPTR_RT_BUY_RETURN_CORRECTION);
    const int sign =
        type == k(LIBFPTR_RT_SELL) || type == k(LIBFPTR_RT_SELL_CORRECTION)                 ? 1
        : type == k(LIBFPTR_RT_SELL_RETURN) || type == k(LIBFPTR_RT_SELL_RETURN_CORRECTION) ? 2
        : type == k(LIBFPTR_RT_BUY) || type == k(LIBFPTR_RT_BUY_CORRECTION)                 ? 3
                                                                                            : 4;
    r.shift.receipts += 1;
    const int n = r.archive.append(
        {{QStringLiteral("fiscalDocumentType"),
          correction ? QStringLiteral("receiptCorrection") : QStringLiteral("receipt")},
         {QStringLiteral("1038"), r.shift.number},
         {QStringLiteral("1042"), r.shift.receipts},
         {QStringLiteral("1054"), sign},
         {QStringLiteral("1020"), r.receipt.sum}},
        r.momentNow());
    r.counters.receiptCount[type] += 1;
    r.receipt = OpenReceipt{k(LIBFPTR_RT_CLOSED), r.receipt.number, n, 0, 0, 0};
    r.journal->append(QStringLiteral("receipt"), QStringLiteral("close"),
                      {{QStringLiteral("document"), n}});
    return c.ok();
}

int doCancelReceipt(Call& c) {
    Register& r = c.reg();
    if (r.receipt.type == k(LIBFPTR_RT_CLOSED))
        return c.fail(LIBFPTR_ERROR_DENIED_IN_CLOSED_RECEIPT);
    r.receipt =
        OpenReceipt{k(LIBFPTR_RT_CLOSED), r.receipt.number, r.receipt.documentNumber, 0, 0, 0};
    r.journal->append(QStringLiteral("receipt"), QStringLiteral("cancel"));
    return c.ok();
}

int doCheckDocumentClosed(Call& c) {
    c.clearOut();
    c.out(LIBFPTR_PARAM_DOCUMENT_CLOSED, true);
    c.out(LIBFPTR_PARAM_DOCUMENT_PRINTED, true);
    return c.ok();
}

int doContinuePrint(Call& c) {
    Register& r = c.reg();
    if (const int fault = printerFault(r)) return c.fail(fault);
    r.journal->append(QStringLiteral("continue"), QString());
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
