// Selling through the driver's calls: the cashier's login, opening a receipt of any type, its
// positions, receipt-level taxes and total, payments. Closing and cancelling live with the shift
// operations; the document a closed receipt becomes is laid out here (receiptDocument).
//
// Parameters are taken as the driver takes them: an integer parameter set as text or as a
// fraction, a text set as a number, an amount out of the register's range are refused with the
// driver's error, never guessed at.
#include <QJsonArray>
#include <cmath>

#include "emulator/ArchiveGenerator.h"
#include "emulator/ops/Call.h"

namespace emu {
namespace {

using namespace drv::names;

// The largest price or sum a position takes (ten digits of kopecks) and the largest quantity.
constexpr double kMaxMoney = 99'999'999.99;
constexpr double kMaxQuantity = 99'999.999;

}  // namespace

bool isIntegerValue(const QVariant& v) {
    switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            return true;
        default:
            return false;
    }
}

namespace {

// Reads the call's parameters by kind; the first problem is kept as the driver's error code.
class Params {
  public:
    explicit Params(Call& c) : c_(c) {}
    int error() const { return error_; }

    std::optional<int> integer(std::string_view name, bool required) {
        return integerOf(c_.in(name), required);
    }
    std::optional<int> integerTag(int id, bool required) {
        return integerOf(c_.object.in.value(id), required);
    }
    std::optional<int> integerOf(const QVariant& v, bool required) {
        if (!v.isValid()) return missing(required);
        if (!isIntegerValue(v)) return refuse(k(LIBFPTR_ERROR_INVALID_PARAM));
        return v.toInt();
    }
    std::optional<double> number(std::string_view name, bool required) {
        const QVariant v = c_.in(name);
        if (!v.isValid()) return missing(required);
        if (!isIntegerValue(v) && v.typeId() != QMetaType::Double)
            return refuse(k(LIBFPTR_ERROR_INVALID_PARAM));
        const double d = v.toDouble();
        if (!std::isfinite(d)) return refuse(k(LIBFPTR_ERROR_INVALID_PARAM));
        return d;
    }
    std::optional<QString> text(std::string_view name, bool required) {
        return textOf(c_.in(name), required);
    }
    std::optional<QString> tag(int id, bool required) {
        return textOf(c_.object.in.value(id), required);
    }
    std::optional<bool> flag(std::string_view name) {
        const QVariant v = c_.in(name);
        if (!v.isValid()) return std::nullopt;
        if (v.typeId() != QMetaType::Bool && !isIntegerValue(v))
            return refuse(k(LIBFPTR_ERROR_INVALID_PARAM));
        return v.toBool();
    }
    // Makes the call fail with `code` unless an earlier problem already did.
    std::nullopt_t refuse(int code) {
        if (!error_) error_ = code;
        return std::nullopt;
    }

  private:
    std::optional<QString> textOf(const QVariant& v, bool required) {
        if (!v.isValid()) return missing(required);
        if (v.typeId() != QMetaType::QString) return refuse(k(LIBFPTR_ERROR_INVALID_PARAM));
        return v.toString();
    }
    std::nullopt_t missing(bool required) {
        if (required && !error_) error_ = k(LIBFPTR_ERROR_NO_REQUIRED_PARAM);
        return std::nullopt;
    }
    Call& c_;
    int error_ = 0;
};

bool isReceiptType(int type) {
    for (const char* name :
         {LIBFPTR_RT_SELL, LIBFPTR_RT_SELL_RETURN, LIBFPTR_RT_BUY, LIBFPTR_RT_BUY_RETURN,
          LIBFPTR_RT_SELL_CORRECTION, LIBFPTR_RT_SELL_RETURN_CORRECTION, LIBFPTR_RT_BUY_CORRECTION,
          LIBFPTR_RT_BUY_RETURN_CORRECTION})
        if (type == k(name)) return true;
    return false;
}

bool isTaxType(int tax) {
    return tax >= k(LIBFPTR_TAX_VAT18) && tax < k(LIBFPTR_TAX_INVALID);
}

bool isTaxationType(int tt) {
    for (const char* name : {LIBFPTR_TT_OSN, LIBFPTR_TT_USN_INCOME, LIBFPTR_TT_USN_INCOME_OUTCOME,
                             LIBFPTR_TT_ENVD, LIBFPTR_TT_ESN, LIBFPTR_TT_PATENT})
        if (tt == k(name)) return true;
    return false;
}

bool moneyInRange(double v) {
    return v >= 0 && v <= kMaxMoney;
}

int failWith(Call& c, const Params& p) {
    return c.fail(p.error());
}

int doOperatorLogin(Call& c) {
    Params p(c);
    const auto name = p.tag(1021, true);
    const auto vatin = p.tag(1203, false);
    if (p.error()) return failWith(c, p);
    Register& r = c.reg();
    r.operatorName = *name;
    r.operatorVatin = vatin.value_or(QString());
    return c.ok();
}

int doOpenReceipt(Call& c) {
    Params p(c);
    const auto type = p.integer(LIBFPTR_PARAM_RECEIPT_TYPE, true);
    const auto electronically = p.flag(LIBFPTR_PARAM_RECEIPT_ELECTRONICALLY);
    const auto taxation = p.integerTag(1055, false);
    if (p.error()) return failWith(c, p);
    if (!isReceiptType(*type)) return c.fail(LIBFPTR_ERROR_INVALID_RECEIPT_TYPE);
    if (taxation && !isTaxationType(*taxation)) return c.fail(LIBFPTR_ERROR_INVALID_TAXATION_TYPE);
    Register& r = c.reg();
    if (!r.flags.fnPresent) return c.fail(LIBFPTR_ERROR_FN_NOT_FOUND);
    if (r.receipt.type != k(LIBFPTR_RT_CLOSED))
        return c.fail(LIBFPTR_ERROR_DENIED_IN_OPENED_RECEIPT);
    if (shiftExpired(r)) return c.fail(LIBFPTR_ERROR_SHIFT_EXPIRED);
    if (const int fault = printerFault(r)) return c.fail(fault);
    // the first receipt of a closed shift opens it
    if (r.shift.state == k(LIBFPTR_SS_CLOSED)) {
        resetShiftCounters(r);
        openShiftNow(r);
    }
    OpenReceipt receipt;
    receipt.type = *type;
    receipt.number = r.shift.receipts + 1;
    receipt.documentNumber = r.archive.lastNumber() + 1;
    receipt.taxationType = taxation.value_or(0);
    receipt.electronically = electronically.value_or(false);
    r.receipt = receipt;
    return c.ok();
}

// Remainder and change of the open receipt after its sum or payments changed.
void settle(OpenReceipt& receipt) {
    double paid = 0;
    for (const auto& pay : receipt.payments) paid += pay.sum;
    const double due = receipt.total.value_or(receipt.sum);
    receipt.remainder = roundedMoney(std::max(0.0, due - paid));
    receipt.change = roundedMoney(std::max(0.0, paid - due));
}

int doRegistration(Call& c) {
    Register& r = c.reg();
    if (r.receipt.type == k(LIBFPTR_RT_CLOSED))
        return c.fail(LIBFPTR_ERROR_DENIED_IN_CLOSED_RECEIPT);
    Params p(c);
    const auto name = p.text(LIBFPTR_PARAM_COMMODITY_NAME, true);
    const auto price = p.number(LIBFPTR_PARAM_PRICE, true);
    const auto quantity = p.number(LIBFPTR_PARAM_QUANTITY, true);
    const auto sum = p.number(LIBFPTR_PARAM_POSITION_SUM, false);
    const auto tax = p.integer(LIBFPTR_PARAM_TAX_TYPE, false);
    const auto department = p.integer(LIBFPTR_PARAM_DEPARTMENT, false);
    const auto method = p.integerTag(1214, false);
    const auto object = p.integerTag(1212, false);
    if (p.error()) return failWith(c, p);
    if (!moneyInRange(*price)) return c.fail(LIBFPTR_ERROR_INVALID_SUM);
    if (*quantity <= 0) return c.fail(LIBFPTR_ERROR_QUANTITY_TOO_FEW);
    if (*quantity > kMaxQuantity) return c.fail(LIBFPTR_ERROR_INVALID_QUANTITY);
    if (sum && !moneyInRange(*sum)) return c.fail(LIBFPTR_ERROR_INVALID_SUM);
    if (tax && !isTaxType(*tax)) return c.fail(LIBFPTR_ERROR_INVALID_TAX_TYPE);
    ReceiptItem item;
    item.name = *name;
    item.price = roundedMoney(*price);
    item.quantity = std::round(*quantity * 1000) / 1000;
    item.sum = roundedMoney(sum.value_or(item.price * item.quantity));
    item.tax = tax.value_or(k(LIBFPTR_TAX_NO));
    item.department = department.value_or(0);
    item.paymentMethod = method.value_or(4);  // full payment
    item.paymentObject = object.value_or(1);  // commodity
    if (roundedMoney(r.receipt.sum + item.sum) > kMaxMoney)
        return c.fail(LIBFPTR_ERROR_TOTAL_OVERFLOW);
    r.receipt.items.append(item);
    r.receipt.sum = roundedMoney(r.receipt.sum + item.sum);
    settle(r.receipt);
    return c.ok();
}

int doReceiptTotal(Call& c) {
    Register& r = c.reg();
    if (r.receipt.type == k(LIBFPTR_RT_CLOSED))
        return c.fail(LIBFPTR_ERROR_DENIED_IN_CLOSED_RECEIPT);
    Params p(c);
    const auto sum = p.number(LIBFPTR_PARAM_SUM, true);
    if (p.error()) return failWith(c, p);
    if (!moneyInRange(*sum)) return c.fail(LIBFPTR_ERROR_INVALID_SUM);
    r.receipt.total = roundedMoney(*sum);
    settle(r.receipt);
    return c.ok();
}

int doReceiptTax(Call& c) {
    Register& r = c.reg();
    if (r.receipt.type == k(LIBFPTR_RT_CLOSED))
        return c.fail(LIBFPTR_ERROR_DENIED_IN_CLOSED_RECEIPT);
    Params p(c);
    const auto tax = p.integer(LIBFPTR_PARAM_TAX_TYPE, true);
    const auto sum = p.number(LIBFPTR_PARAM_TAX_SUM, true);
    if (p.error()) return failWith(c, p);
    if (!isTaxType(*tax)) return c.fail(LIBFPTR_ERROR_INVALID_TAX_TYPE);
    if (!moneyInRange(*sum)) return c.fail(LIBFPTR_ERROR_INVALID_SUM);
    r.receipt.receiptTaxes[*tax] = roundedMoney(*sum);
    return c.ok();
}

int doPayment(Call& c) {
    Register& r = c.reg();
    if (r.receipt.type == k(LIBFPTR_RT_CLOSED))
        return c.fail(LIBFPTR_ERROR_DENIED_IN_CLOSED_RECEIPT);
    Params p(c);
    const auto type = p.integer(LIBFPTR_PARAM_PAYMENT_TYPE, true);
    const auto sum = p.number(LIBFPTR_PARAM_PAYMENT_SUM, true);
    if (p.error()) return failWith(c, p);
    if (*type < k(LIBFPTR_PT_CASH) || *type > k(LIBFPTR_PT_10))
        return c.fail(LIBFPTR_ERROR_INVALID_PAYMENT_TYPE);
    if (*sum <= 0 || !moneyInRange(*sum)) return c.fail(LIBFPTR_ERROR_INVALID_SUM);
    // only cash gives change: other payments may not exceed what is still due
    if (*type != k(LIBFPTR_PT_CASH) && roundedMoney(*sum) > r.receipt.remainder + 1e-9)
        return c.fail(LIBFPTR_ERROR_NONCACH_PAYMENTS_TOO_MUCH);
    r.receipt.payments.append({*type, roundedMoney(*sum)});
    settle(r.receipt);
    c.clearOut();
    c.out(LIBFPTR_PARAM_REMAINDER, r.receipt.remainder);
    c.out(LIBFPTR_PARAM_CHANGE, r.receipt.change);
    return c.ok();
}

// What a LIBFPTR_TAX_ value means on a document: the code of tag 1199, the share of a sum that
// includes the tax, and the receipt's VAT tag that collects it.
struct Vat {
    int code = 6;
    double rate = 0;
    const char* tag = "1105";
};
Vat vatOf(int tax) {
    if (tax == k(LIBFPTR_TAX_VAT20) || tax == k(LIBFPTR_TAX_VAT18))
        return {1, 20.0 / 120.0, "1102"};
    if (tax == k(LIBFPTR_TAX_VAT10)) return {2, 10.0 / 110.0, "1103"};
    if (tax == k(LIBFPTR_TAX_VAT120) || tax == k(LIBFPTR_TAX_VAT118))
        return {3, 20.0 / 120.0, "1106"};
    if (tax == k(LIBFPTR_TAX_VAT110)) return {4, 10.0 / 110.0, "1107"};
    if (tax == k(LIBFPTR_TAX_VAT0)) return {5, 0, "1104"};
    return {};
}

QString money(double v) {
    return QString::number(v, 'f', 2);
}

}  // namespace

OpenReceipt closedReceipt(const Register& r, int documentNumber) {
    OpenReceipt closed;
    closed.type = k(LIBFPTR_RT_CLOSED);
    closed.number = r.receipt.number;
    closed.documentNumber = documentNumber;
    return closed;
}

QJsonObject receiptDocument(const Register& r, const QHash<int, double>& paidByType,
                            double cashNet) {
    const OpenReceipt& rc = r.receipt;
    const int type = rc.type;
    const bool correction =
        type == k(LIBFPTR_RT_SELL_CORRECTION) || type == k(LIBFPTR_RT_SELL_RETURN_CORRECTION) ||
        type == k(LIBFPTR_RT_BUY_CORRECTION) || type == k(LIBFPTR_RT_BUY_RETURN_CORRECTION);
    int sign = 4;
    if (type == k(LIBFPTR_RT_SELL) || type == k(LIBFPTR_RT_SELL_CORRECTION)) sign = 1;
    if (type == k(LIBFPTR_RT_SELL_RETURN) || type == k(LIBFPTR_RT_SELL_RETURN_CORRECTION)) sign = 2;
    if (type == k(LIBFPTR_RT_BUY) || type == k(LIBFPTR_RT_BUY_CORRECTION)) sign = 3;
    const double total = rc.total.value_or(rc.sum);

    QJsonObject tlv = rc.extraTags;
    tlv.insert(QStringLiteral("fiscalDocumentType"),
               correction ? QStringLiteral("receiptCorrection") : QStringLiteral("receipt"));
    tlv.insert(QStringLiteral("1038"), r.shift.number);
    tlv.insert(QStringLiteral("1042"), r.shift.receipts);
    tlv.insert(QStringLiteral("1054"), sign);
    tlv.insert(QStringLiteral("1020"), total);
    tlv.insert(QStringLiteral("1031"), cashNet);
    // payments by kind: electronic (1081), prepaid (1215), credit (1216), other (1217)
    double electronic = 0, prepaid = 0, credit = 0, other = 0;
    for (auto it = paidByType.begin(); it != paidByType.end(); ++it) {
        if (it.key() == k(LIBFPTR_PT_CASH)) continue;
        if (it.key() == k(LIBFPTR_PT_ELECTRONICALLY))
            electronic += it.value();
        else if (it.key() == k(LIBFPTR_PT_PREPAID))
            prepaid += it.value();
        else if (it.key() == k(LIBFPTR_PT_CREDIT))
            credit += it.value();
        else
            other += it.value();
    }
    tlv.insert(QStringLiteral("1081"), roundedMoney(electronic));
    tlv.insert(QStringLiteral("1215"), roundedMoney(prepaid));
    tlv.insert(QStringLiteral("1216"), roundedMoney(credit));
    tlv.insert(QStringLiteral("1217"), roundedMoney(other));

    if (!r.operatorName.isEmpty()) tlv.insert(QStringLiteral("1021"), r.operatorName);
    if (!r.operatorVatin.isEmpty()) tlv.insert(QStringLiteral("1203"), r.operatorVatin);
    const int taxation = rc.taxationType ? rc.taxationType : r.registration.value(1062).toInt();
    if (taxation) tlv.insert(QStringLiteral("1055"), taxation);
    const QString regNumber = registrationNumberOf(r);
    if (!regNumber.isEmpty()) tlv.insert(QStringLiteral("1037"), regNumber);
    if (!r.storage.serial.isEmpty()) tlv.insert(QStringLiteral("1041"), r.storage.serial);
    for (const int t : {1018, 1048, 1009, 1187})
        if (r.registration.contains(t))
            tlv.insert(QString::number(t), r.registration.value(t).toString());
    if (r.registration.contains(1209))
        tlv.insert(QStringLiteral("1209"), r.registration.value(1209).toInt());
    if (rc.electronically) tlv.insert(QStringLiteral("1056"), true);

    QHash<QString, double> vat;
    QJsonArray items;
    for (const auto& i : rc.items) {
        const Vat v = vatOf(i.tax);
        const double itemVat = roundedMoney(i.sum * v.rate);
        vat[QLatin1String(v.tag)] += itemVat;
        QJsonObject item{
            {QStringLiteral("1030"), i.name},          {QStringLiteral("1079"), i.price},
            {QStringLiteral("1023"), i.quantity},      {QStringLiteral("1043"), i.sum},
            {QStringLiteral("1199"), v.code},          {QStringLiteral("1200"), itemVat},
            {QStringLiteral("1212"), i.paymentObject}, {QStringLiteral("1214"), i.paymentMethod}};
        items.append(item);
    }
    // taxes given for the whole receipt replace the ones counted from its positions
    for (auto it = rc.receiptTaxes.begin(); it != rc.receiptTaxes.end(); ++it)
        vat[QLatin1String(vatOf(it.key()).tag)] = it.value();
    for (auto it = vat.begin(); it != vat.end(); ++it)
        tlv.insert(it.key(), roundedMoney(it.value()));
    if (!items.isEmpty()) tlv.insert(QStringLiteral("1059"), items);
    return tlv;
}

QString registrationNumberOf(const Register& r) {
    return r.registrationInfo.value(QStringLiteral("device"))
        .toObject()
        .value(QStringLiteral("registrationNumber"))
        .toString(r.registration.value(1037).toString())
        .trimmed();
}

QString receiptQr(const QJsonObject& tlv) {
    const QDateTime when =
        QDateTime::fromString(tlv.value(QStringLiteral("1012")).toString(), Qt::ISODate);
    return QStringLiteral("t=%1&s=%2&fn=%3&i=%4&fp=%5&n=%6")
        .arg(when.toString(QStringLiteral("yyyyMMdd'T'HHmm")),
             money(tlv.value(QStringLiteral("1020")).toDouble()),
             tlv.value(QStringLiteral("1041")).toString())
        .arg(tlv.value(QStringLiteral("1040")).toInt())
        .arg(fiscalSignOfHex(tlv.value(QStringLiteral("1077")).toString()))
        .arg(tlv.value(QStringLiteral("1054")).toInt());
}

void addReceiptOperations(OperationTable& t) {
    namespace m = drv::members;
    t.insert(m::operatorLogin, {&doOperatorLogin, true, false});
    t.insert(m::openReceipt, {&doOpenReceipt, true, false});
    t.insert(m::registration, {&doRegistration, true, false});
    t.insert(m::receiptTotal, {&doReceiptTotal, true, false});
    t.insert(m::receiptTax, {&doReceiptTax, true, false});
    t.insert(m::payment, {&doPayment, true, false});
}

}  // namespace emu
