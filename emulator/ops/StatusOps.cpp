// Status queries (queryData): the register's identity, flags, units, shift, receipt, counters,
// clock, fonts and pictures.
#include "emulator/ops/Call.h"

namespace emu {
namespace {

using namespace drv::names;

int shiftStateNow(const Register& r) {
    if (r.shift.state == 1 && r.shift.expiresAt.isValid() && r.shift.expiresAt < r.clock())
        return k(LIBFPTR_SS_EXPIRED);
    return r.shift.state;
}

int doQueryData(Call& c) {
    const Register& r = c.reg();
    const int type = c.inInt(LIBFPTR_PARAM_DATA_TYPE, -1);
    const int inReceiptType = c.inInt(LIBFPTR_PARAM_RECEIPT_TYPE);
    const int inPaymentType = c.inInt(LIBFPTR_PARAM_PAYMENT_TYPE);
    const auto inUnit = c.inNumber(LIBFPTR_PARAM_UNIT_TYPE);
    const auto inSource = c.inNumber(LIBFPTR_PARAM_POWER_SOURCE_TYPE);
    const auto inPicture = c.inNumber(LIBFPTR_PARAM_PICTURE_NUMBER);
    c.clearOut();
    if (type == k(LIBFPTR_DT_STATUS)) {
        c.out(LIBFPTR_PARAM_MODEL_NAME, r.model);
        c.out(LIBFPTR_PARAM_SERIAL_NUMBER, r.serial);
        c.out(LIBFPTR_PARAM_UNIT_VERSION, r.units.version[0].value_or(QString()));
        c.out(LIBFPTR_PARAM_FISCAL, r.flags.fiscal);
        c.out(LIBFPTR_PARAM_FN_PRESENT, r.flags.fnPresent);
        c.out(LIBFPTR_PARAM_FN_FISCAL, r.flags.fnFiscal);
        c.out(LIBFPTR_PARAM_COVER_OPENED, r.flags.coverOpened);
        c.out(LIBFPTR_PARAM_RECEIPT_PAPER_PRESENT, r.flags.paperPresent);
        c.out(LIBFPTR_PARAM_CUT_ERROR, r.flags.cutError);
        c.out(LIBFPTR_PARAM_PRINTER_OVERHEAT, r.flags.printerOverheat);
        c.out(LIBFPTR_PARAM_BLOCKED, r.flags.blocked);
        c.out(LIBFPTR_PARAM_SHIFT_STATE, shiftStateNow(r));
        c.out(LIBFPTR_PARAM_SHIFT_NUMBER, r.shift.number);
        c.out(LIBFPTR_PARAM_RECEIPT_TYPE, r.receipt.type);
        c.out(LIBFPTR_PARAM_RECEIPT_LINE_LENGTH, r.lineLength);
        c.out(LIBFPTR_PARAM_DATE_TIME, r.wallClock());
    } else if (type == k(LIBFPTR_DT_SERIAL_NUMBER)) {
        c.out(LIBFPTR_PARAM_SERIAL_NUMBER, r.serial);
    } else if (type == k(LIBFPTR_DT_UNIT_VERSION)) {
        static const char* const units[] = {LIBFPTR_UT_FIRMWARE, LIBFPTR_UT_CONFIGURATION,
                                            LIBFPTR_UT_TEMPLATES, LIBFPTR_UT_CONTROL_UNIT,
                                            LIBFPTR_UT_BOOT};
        int unit = -1;
        for (int i = 0; i < 5 && inUnit; ++i)
            if (*inUnit == k(units[i])) unit = i;
        if (unit < 0) return c.fail(LIBFPTR_ERROR_INVALID_PARAM);
        if (!r.units.version[unit]) return c.fail(LIBFPTR_ERROR_NOT_SUPPORTED);
        c.out(LIBFPTR_PARAM_UNIT_VERSION, *r.units.version[unit]);
        c.out(LIBFPTR_PARAM_UNIT_RELEASE_VERSION,
              unit == 1 ? r.units.configurationRelease : QString());
    } else if (type == k(LIBFPTR_DT_SCRIPTS_INFO)) {
        c.out(LIBFPTR_PARAM_SCRIPT_NAME, r.scriptName);
    } else if (type == k(LIBFPTR_DT_POWER_SOURCE_STATE)) {
        static const char* const sources[] = {LIBFPTR_PST_POWER_SUPPLY, LIBFPTR_PST_RTC_BATTERY,
                                              LIBFPTR_PST_BATTERY};
        int source = -1;
        for (int i = 0; i < 3 && inSource; ++i)
            if (*inSource == k(sources[i])) source = i;
        if (source < 0) return c.fail(LIBFPTR_ERROR_INVALID_PARAM);
        if (!r.voltages[source]) return c.fail(LIBFPTR_ERROR_NOT_SUPPORTED);
        c.out(LIBFPTR_PARAM_VOLTAGE, *r.voltages[source]);
    } else if (type == k(LIBFPTR_DT_MAC_ADDRESS)) {
        c.out(LIBFPTR_PARAM_MAC_ADDRESS, r.mac);
    } else if (type == k(LIBFPTR_DT_WIFI_INFO)) {
        if (r.wifi < 0) return c.fail(LIBFPTR_ERROR_NOT_SUPPORTED);
    } else if (type == k(LIBFPTR_DT_SHIFT_STATE)) {
        c.out(LIBFPTR_PARAM_SHIFT_STATE, shiftStateNow(r));
        c.out(LIBFPTR_PARAM_SHIFT_NUMBER, r.shift.number);
        c.out(LIBFPTR_PARAM_DATE_TIME, r.wallTime(r.shift.expiresAt));
    } else if (type == k(LIBFPTR_DT_RECEIPT_STATE)) {
        c.out(LIBFPTR_PARAM_RECEIPT_TYPE, r.receipt.type);
        c.out(LIBFPTR_PARAM_RECEIPT_NUMBER, r.receipt.number);
        c.out(LIBFPTR_PARAM_DOCUMENT_NUMBER, r.receipt.documentNumber);
        c.out(LIBFPTR_PARAM_RECEIPT_SUM, r.receipt.sum);
        c.out(LIBFPTR_PARAM_REMAINDER, r.receipt.remainder);
        c.out(LIBFPTR_PARAM_CHANGE, r.receipt.change);
    } else if (type == k(LIBFPTR_DT_NON_NULLABLE_SUM)) {
        c.out(LIBFPTR_PARAM_SUM, r.nonNullableSum.value(inReceiptType));
    } else if (type == k(LIBFPTR_DT_DATE_TIME)) {
        c.out(LIBFPTR_PARAM_DATE_TIME, r.wallClock());
    } else if (type == k(LIBFPTR_DT_CASH_SUM)) {
        c.out(LIBFPTR_PARAM_SUM, r.counters.cashSum);
    } else if (type == k(LIBFPTR_DT_CASHIN_SUM)) {
        c.out(LIBFPTR_PARAM_SUM, r.counters.cashInSum);
    } else if (type == k(LIBFPTR_DT_CASHOUT_SUM)) {
        c.out(LIBFPTR_PARAM_SUM, r.counters.cashOutSum);
    } else if (type == k(LIBFPTR_DT_CASHIN_COUNT) || type == k(LIBFPTR_DT_CASHOUT_COUNT) ||
               type == k(LIBFPTR_DT_RECEIPT_COUNT)) {
        const int n = type == k(LIBFPTR_DT_CASHIN_COUNT) ? r.counters.cashInCount
                      : type == k(LIBFPTR_DT_CASHOUT_COUNT)
                          ? r.counters.cashOutCount
                          : r.counters.receiptCount.value(inReceiptType);
        c.out(LIBFPTR_PARAM_DOCUMENTS_COUNT, n);
        c.out(LIBFPTR_PARAM_COUNT, n);
    } else if (type == k(LIBFPTR_DT_PAYMENT_SUM)) {
        const QString key = QStringLiteral("%1/%2").arg(inReceiptType).arg(inPaymentType);
        c.out(LIBFPTR_PARAM_SUM, r.counters.paymentSum.value(key));
    } else if (type == k(LIBFPTR_DT_PICTURES_ARRAY_INFO)) {
        c.out(LIBFPTR_PARAM_COUNT, r.pictures.count());
    } else if (type == k(LIBFPTR_DT_PICTURE_INFO)) {
        // a number without a picture answers width and height 0
        const Picture* p = inPicture ? r.pictures.find(int(*inPicture)) : nullptr;
        c.out(LIBFPTR_PARAM_WIDTH, p ? p->width : 0);
        c.out(LIBFPTR_PARAM_HEIGHT, p ? p->height : 0);
    } else if (type == k(LIBFPTR_DT_FONT_INFO)) {
        c.out(LIBFPTR_PARAM_RECEIPT_LINE_LENGTH, r.lineLength);
    } else {
        return c.fail(LIBFPTR_ERROR_INVALID_PARAM);
    }
    return c.ok();
}

}  // namespace

void addStatusOperations(OperationTable& t) {
    t.insert(drv::members::queryData, {&doQueryData, true, false});
}

}  // namespace emu
