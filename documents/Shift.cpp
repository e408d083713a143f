#include "documents/Shift.h"

#include <QRegularExpression>
#include <cmath>

#include "app/Ui.h"
#include "driver/Fptr.h"
#include "driver/ValueText.h"

namespace documents {

using namespace drv::names;

Amount parseAmount(const QString& text) {
    Amount a;
    QString t = text;
    t.replace(QChar(0x00A0), u' ').replace(QChar(0x202F), u' ');
    t = t.trimmed();
    if (t.isEmpty()) {
        a.problem = kAmountEmpty;
        return a;
    }
    // whole roubles, grouped by threes or not, then a comma or a point and the kopecks
    static const QRegularExpression re(
        QStringLiteral("^(-?)(\\d*|\\d{1,3}(?: \\d{3})+)(?:[,.](\\d*))?$"));
    const auto m = re.match(t);
    const QString whole = m.captured(2).remove(u' ');
    const QString fraction = m.captured(3);
    if (!m.hasMatch() || (whole.isEmpty() && fraction.isEmpty())) {
        a.problem = kAmountNotNumber.arg(text);
        return a;
    }
    if (fraction.size() > 2) {
        a.problem = kAmountTooPrecise.arg(text);
        return a;
    }
    QString digits = whole;
    while (digits.size() > 1 && digits.startsWith(u'0')) digits.remove(0, 1);
    if (digits.isEmpty()) digits = QStringLiteral("0");
    // more digits than any amount has: too large before it is even counted
    if (digits.size() > 11) {
        a.problem = m.captured(1).isEmpty() ? kAmountTooLarge.arg(text) : kAmountNotPositive;
        return a;
    }
    const qint64 kopecks =
        digits.toLongLong() * 100 + QString(fraction).leftJustified(2, u'0').toLongLong();
    if (!m.captured(1).isEmpty() || kopecks == 0) {
        a.problem = kAmountNotPositive;
        return a;
    }
    if (kopecks > kMaxAmountKopecks) {
        a.problem = kAmountTooLarge.arg(text);
        return a;
    }
    a.kopecks = kopecks;
    a.driverText = fraction.isEmpty() ? digits : digits + u'.' + fraction;
    return a;
}

bool acceptsAmountKey(QChar key) {
    return (key >= u'0' && key <= u'9') || key == u',';
}

QString shiftStateText(drv::Fptr& fptr, int state, const QDateTime& moment) {
    if (state == fptr.c(LIBFPTR_SS_CLOSED)) return QStringLiteral("Закрыта");
    if (state == fptr.c(LIBFPTR_SS_EXPIRED))
        return QStringLiteral("Истекла (") + drv::dateTimeText(moment) + u')';
    if (state == fptr.c(LIBFPTR_SS_OPENED))
        return QStringLiteral("Открыта (") + drv::dateTimeText(moment.addSecs(-24 * 3600)) + u')';
    return {};
}

namespace {

// A total of two money values, in whole kopecks: the sum of two doubles may carry a binary
// tail (0,1 + 0,2) that no register ever holds.
double moneyTotal(double a, double b) {
    const double t = a + b;
    return std::isfinite(t) ? std::round(t * 100.0) / 100.0 : t;
}

int countQuery(drv::Fptr& fptr, const char* dataType) {
    fptr.setParam(LIBFPTR_PARAM_DATA_TYPE, fptr.c(dataType));
    fptr.queryData();
    return fptr.getParamInt(LIBFPTR_PARAM_DOCUMENTS_COUNT);
}

double sumQuery(drv::Fptr& fptr, const char* dataType) {
    fptr.setParam(LIBFPTR_PARAM_DATA_TYPE, fptr.c(dataType));
    fptr.queryData();
    return fptr.getParamDouble(LIBFPTR_PARAM_SUM);
}

int receiptCount(drv::Fptr& fptr, const char* receiptType) {
    fptr.setParam(LIBFPTR_PARAM_DATA_TYPE, fptr.c(LIBFPTR_DT_RECEIPT_COUNT));
    fptr.setParam(LIBFPTR_PARAM_RECEIPT_TYPE, fptr.c(receiptType));
    fptr.queryData();
    return fptr.getParamInt(LIBFPTR_PARAM_DOCUMENTS_COUNT);
}

double paymentSum(drv::Fptr& fptr, const char* paymentType, const char* receiptType) {
    fptr.setParam(LIBFPTR_PARAM_DATA_TYPE, fptr.c(LIBFPTR_DT_PAYMENT_SUM));
    fptr.setParam(LIBFPTR_PARAM_PAYMENT_TYPE, fptr.c(paymentType));
    fptr.setParam(LIBFPTR_PARAM_RECEIPT_TYPE, fptr.c(receiptType));
    fptr.queryData();
    return fptr.getParamDouble(LIBFPTR_PARAM_SUM);
}

}  // namespace

info::ReportRows buildShiftReport(drv::Fptr& fptr) {
    info::ReportRows rows;
    const auto add = [&rows](const char* name, const QString& value) {
        rows.append({{QString::fromUtf8(name), value}});
    };
    const auto number = [](qint64 n) { return QString::number(n); };
    const auto money = [](double d) { return drv::doubleText(d); };

    fptr.setParam(LIBFPTR_PARAM_DATA_TYPE, fptr.c(LIBFPTR_DT_SHIFT_STATE));
    fptr.queryData();
    const int state = fptr.getParamInt(LIBFPTR_PARAM_SHIFT_STATE);
    QDateTime moment;
    if (state == fptr.c(LIBFPTR_SS_EXPIRED) || state == fptr.c(LIBFPTR_SS_OPENED))
        moment = fptr.getParamDateTime(LIBFPTR_PARAM_DATE_TIME);
    add("Состояние смены", shiftStateText(fptr, state, moment));
    add("Номер смены", number(fptr.getParamInt(LIBFPTR_PARAM_SHIFT_NUMBER)));

    fptr.setParam(LIBFPTR_PARAM_FN_DATA_TYPE, fptr.c(LIBFPTR_FNDT_SHIFT));
    fptr.fnQueryData();
    add("Количество чеков за смену", number(fptr.getParamInt(LIBFPTR_PARAM_RECEIPT_NUMBER)));

    add("Количество чеков прихода", number(receiptCount(fptr, LIBFPTR_RT_SELL)));
    add("Количество чеков возврата", number(receiptCount(fptr, LIBFPTR_RT_SELL_RETURN)));

    const double cashSell = paymentSum(fptr, LIBFPTR_PT_CASH, LIBFPTR_RT_SELL);
    const double cardSell = paymentSum(fptr, LIBFPTR_PT_ELECTRONICALLY, LIBFPTR_RT_SELL);
    add("Сумма продаж общая", money(moneyTotal(cashSell, cardSell)));
    add("Сумма продаж наличными", money(cashSell));
    add("Сумма продаж безналичными", money(cardSell));
    const double cashReturn = paymentSum(fptr, LIBFPTR_PT_CASH, LIBFPTR_RT_SELL_RETURN);
    const double cardReturn = paymentSum(fptr, LIBFPTR_PT_ELECTRONICALLY, LIBFPTR_RT_SELL_RETURN);
    add("Сумма возвратов общая", money(moneyTotal(cashReturn, cardReturn)));
    add("Сумма возвратов наличными", money(cashReturn));
    add("Сумма возвратов безналичными", money(cardReturn));

    add("Количество внесений", number(countQuery(fptr, LIBFPTR_DT_CASHIN_COUNT)));
    add("Количество выплат", number(countQuery(fptr, LIBFPTR_DT_CASHOUT_COUNT)));
    add("Сумма внесений", money(sumQuery(fptr, LIBFPTR_DT_CASHIN_SUM)));
    add("Сумма выплат", money(sumQuery(fptr, LIBFPTR_DT_CASHOUT_SUM)));
    add("Сумма в денежном ящике", money(sumQuery(fptr, LIBFPTR_DT_CASH_SUM)));
    return rows;
}

void openShiftOperation(drv::Fptr& fptr, ui::IUi& ui) {
    fptr.run(drv::members::openShift);
    ui::reportDriverError(fptr, ui, true);
    fptr.run(drv::members::checkDocumentClosed);
}

bool closeShiftOperation(drv::Fptr& fptr, ui::IUi& ui) {
    if (!ui.confirm(kCloseShiftQuestion, ui::Icon::Question, true)) return false;
    fptr.setParam(LIBFPTR_PARAM_REPORT_TYPE, fptr.c(LIBFPTR_RT_CLOSE_SHIFT));
    fptr.run(drv::members::report);
    ui::reportDriverError(fptr, ui, true);
    fptr.run(drv::members::checkDocumentClosed);
    return true;
}

void xReportOperation(drv::Fptr& fptr, ui::IUi& ui) {
    fptr.setParam(LIBFPTR_PARAM_REPORT_TYPE, fptr.c(LIBFPTR_RT_X));
    fptr.run(drv::members::report);
    ui::reportDriverError(fptr, ui, true);
}

void cashOperation(drv::Fptr& fptr, ui::IUi& ui, const QString& amountText, bool income) {
    const Amount amount = parseAmount(amountText);
    if (!amount.driverText) {
        ui.message(amount.problem);
        return;
    }
    fptr.setParam(LIBFPTR_PARAM_SUM, *amount.driverText);
    fptr.run(income ? drv::members::cashIncome : drv::members::cashOutcome);
    ui::reportDriverError(fptr, ui, true);
}

}  // namespace documents
