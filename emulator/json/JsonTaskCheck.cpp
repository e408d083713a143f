#include "emulator/json/JsonTaskCheck.h"

#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QStringList>
#include <functional>

#include "emulator/Constants.h"

namespace emu::json {
namespace {

using namespace drv::names;

enum Kind : int { Number = 1, String = 2, Boolean = 4, Object = 8, Array = 16 };

// "absent": no key, null, or an empty object; an empty array is there.
bool absent(const QJsonValue& v) {
    return v.isUndefined() || v.isNull() || (v.isObject() && v.toObject().isEmpty());
}

int kindOf(const QJsonValue& v) {
    if (v.isDouble()) return Number;
    if (v.isString()) return String;
    if (v.isBool()) return Boolean;
    if (v.isObject()) return Object;
    if (v.isArray()) return Array;
    return 0;
}

QString kindsText(int kinds, bool optional) {
    QStringList names;
    for (const auto& [kind, name] :
         {std::pair{Number, "number"}, std::pair{String, "string"}, std::pair{Boolean, "boolean"},
          std::pair{Object, "object"}, std::pair{Array, "array"}})
        if (kinds & kind) names << QLatin1String(name);
    if (optional) names << QStringLiteral("undefined");
    return names.join(u'|');
}

QString valueText(const QJsonValue& v) {
    if (v.isString()) return v.toString();
    if (v.isDouble()) return QString::number(v.toDouble(), 'g', 15);
    if (v.isBool()) return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return {};
}

// An object of the request and where it sits ("" at the top, "items[0]", "items[0].tax").
struct Scope {
    QJsonObject o;
    QString at;
    QString path(const QString& key) const { return at.isEmpty() ? key : at + u'.' + key; }
};

using Allowed = std::function<bool(const QString&)>;

// The checks of one request; after the first failure every further check does nothing.
class Check {
  public:
    bool failed() const { return !error_.isEmpty(); }
    const QString& error() const { return error_; }

    std::optional<QJsonValue> get(const Scope& s, const QString& key, int kinds, bool required) {
        return at(s.o.value(key), s.path(key), kinds, required);
    }
    std::optional<QJsonValue> at(const QJsonValue& v, const QString& path, int kinds,
                                 bool required) {
        if (failed()) return std::nullopt;
        if (absent(v)) {
            if (required) error_ = QStringLiteral("Поле \"%1\" отсутствует").arg(path);
            return std::nullopt;
        }
        if (!(kindOf(v) & kinds)) {
            error_ = QStringLiteral("Поле \"%1\" имеет неверный тип (ожидается \"%2\")")
                         .arg(path, kindsText(kinds, !required));
            return std::nullopt;
        }
        return v;
    }
    void badValue(const QString& path, const QJsonValue& v) {
        if (!failed())
            error_ =
                QStringLiteral("Некорректное значение поля \"%1\" (%2)").arg(path, valueText(v));
    }

    void str(const Scope& s, const QString& key, bool required = false) {
        get(s, key, String, required);
    }
    void num(const Scope& s, const QString& key, bool required = false) {
        get(s, key, Number, required);
    }
    void flag(const Scope& s, const QString& key, bool required = false) {
        get(s, key, Boolean, required);
    }
    // A text from a set of values.
    void oneOf(const Scope& s, const QString& key, bool required, const Allowed& allowed) {
        if (const auto v = get(s, key, String, required); v && !allowed(v->toString()))
            badValue(s.path(key), *v);
    }
    // A number or a text; the text from a set.
    void numberOrOneOf(const Scope& s, const QString& key, const Allowed& allowed) {
        if (const auto v = get(s, key, Number | String, false);
            v && v->isString() && !allowed(v->toString()))
            badValue(s.path(key), *v);
    }
    std::optional<Scope> object(const Scope& s, const QString& key, bool required = false) {
        const auto v = get(s, key, Object, required);
        if (!v) return std::nullopt;
        return Scope{v->toObject(), s.path(key)};
    }
    // Each element of an array field, as an object.
    void eachObject(const Scope& s, const QString& key, bool required,
                    const std::function<void(const Scope&)>& rule) {
        const auto v = get(s, key, Array, required);
        if (!v) return;
        const QJsonArray a = v->toArray();
        for (int i = 0; i < a.size() && !failed(); ++i) {
            const QString path = QStringLiteral("%1[%2]").arg(s.path(key)).arg(i);
            if (const auto e = at(a[i], path, Object, true)) rule(Scope{e->toObject(), path});
        }
    }

  private:
    QString error_;
};

Allowed among(std::initializer_list<const char*> values) {
    QStringList list;
    for (const char* v : values) list << QLatin1String(v);
    return [list](const QString& v) { return list.contains(v); };
}

Allowed byMap(std::optional<int> (*lookup)(const QString&)) {
    return [lookup](const QString& v) { return lookup(v).has_value(); };
}

Allowed dateLike(const QString& format) {
    return [format](const QString& v) {
        return v.size() == format.size() && QDateTime::fromString(v, format).isValid();
    };
}

const Allowed kAlignment = among({"left", "center", "right"});
const Allowed kBarcodeType =
    among({"EAN8", "EAN13", "UPCA", "UPCE", "CODE39", "CODE93", "CODE128", "CODABAR", "ITF",
           "ITF14", "GS1_128", "PDF417", "QR", "CODE39_EXTENDED"});

void textElement(Check& c, const Scope& e) {
    c.str(e, QStringLiteral("text"));
    c.oneOf(e, QStringLiteral("alignment"), false, kAlignment);
    c.oneOf(e, QStringLiteral("wrap"), false, among({"none", "chars", "words"}));
    c.num(e, QStringLiteral("font"));
    c.flag(e, QStringLiteral("doubleWidth"));
    c.flag(e, QStringLiteral("doubleHeight"));
    c.flag(e, QStringLiteral("storeInJournal"));
}

void barcodeElement(Check& c, const Scope& e) {
    c.str(e, QStringLiteral("barcode"), true);
    c.oneOf(e, QStringLiteral("barcodeType"), true, kBarcodeType);
    c.oneOf(e, QStringLiteral("alignment"), false, kAlignment);
    c.num(e, QStringLiteral("scale"));
    c.num(e, QStringLiteral("height"));
    c.flag(e, QStringLiteral("printText"));
    c.eachObject(e, QStringLiteral("overlay"), false, [&c](const Scope& o) { textElement(c, o); });
    c.flag(e, QStringLiteral("storeInJournal"));
}

// Marking-code parameters: of a check request (`begin`), of a position, or of a buffer entry.
enum class ImcUse { Begin, Position, Other };
void imcParams(Check& c, const Scope& p, ImcUse use) {
    c.str(p, QStringLiteral("imc"), true);
    c.numberOrOneOf(p, QStringLiteral("imcType"),
                    among({"auto", "imcUnrecognized", "imcShort", "imcFmVerifyCode88",
                           "imcVerifyCode44", "imcFmVerifyCode44", "imcVerifyCode4"}));
    c.numberOrOneOf(p, QStringLiteral("itemEstimatedStatus"),
                    among({"itemPieceSold", "itemDryForSale", "itemPieceReturn", "itemDryReturn",
                           "itemStatusUnchanged", "itemPieceForSale", "itemDrySold"}));
    c.num(p, QStringLiteral("imcModeProcessing"));
    c.num(p, QStringLiteral("itemQuantity"));
    c.get(p, QStringLiteral("itemUnits"), Number | String, false);
    c.str(p, QStringLiteral("itemFractionalAmount"));
    if (use == ImcUse::Position) {
        c.str(p, QStringLiteral("imcBarcode"));
        c.object(p, QStringLiteral("itemInfoCheckResult"));
    }
    if (use == ImcUse::Begin) {
        c.flag(p, QStringLiteral("waitForResult"));
        c.flag(p, QStringLiteral("notSendToServer"));
    }
}

void customParameters(Check& c, const Scope& s) {
    c.eachObject(s, QStringLiteral("customParameters"), false, [&c](const Scope& p) {
        c.num(p, QStringLiteral("id"), true);
        c.str(p, QStringLiteral("value"), true);
    });
}

void industryInfo(Check& c, const Scope& s) {
    c.eachObject(s, QStringLiteral("industryInfo"), false, [&c](const Scope& p) {
        c.str(p, QStringLiteral("fois"));
        c.str(p, QStringLiteral("number"));
        c.oneOf(p, QStringLiteral("date"), false, dateLike(QStringLiteral("yyyy.MM.dd")));
        c.str(p, QStringLiteral("industryAttribute"));
    });
}

void position(Check& c, const Scope& e) {
    c.str(e, QStringLiteral("name"), true);
    c.num(e, QStringLiteral("price"), true);
    c.num(e, QStringLiteral("quantity"), true);
    c.num(e, QStringLiteral("amount"), true);
    c.num(e, QStringLiteral("infoDiscountAmount"));
    c.num(e, QStringLiteral("department"));
    c.get(e, QStringLiteral("measurementUnit"), Number | String, false);
    c.flag(e, QStringLiteral("piece"));
    c.oneOf(e, QStringLiteral("paymentMethod"), false, byMap(paymentMethodOf));
    c.oneOf(e, QStringLiteral("paymentObject"), false, byMap(paymentObjectOf));
    if (const auto tax = c.object(e, QStringLiteral("tax"))) {
        c.oneOf(*tax, QStringLiteral("type"), true, byMap(taxTypeOf));
        c.num(*tax, QStringLiteral("sum"));
    }
    c.get(e, QStringLiteral("nomenclatureCode"), String | Object, false);
    if (const auto mark = c.object(e, QStringLiteral("markingCode"))) {
        c.str(*mark, QStringLiteral("mark"));
        c.oneOf(*mark, QStringLiteral("type"), false, among({"other", "egais20", "egais30"}));
    }
    if (const auto imc = c.object(e, QStringLiteral("imcParams")))
        imcParams(c, *imc, ImcUse::Position);
    c.object(e, QStringLiteral("agentInfo"));
    c.object(e, QStringLiteral("supplierInfo"));
    c.str(e, QStringLiteral("additionalAttribute"));
    c.flag(e, QStringLiteral("additionalAttributePrint"));
    if (const auto excise = c.get(e, QStringLiteral("exciseSum"), Number, false);
        excise && excise->toDouble() < 0)
        c.badValue(e.path(QStringLiteral("exciseSum")), *excise);
    c.str(e, QStringLiteral("countryCode"));
    c.str(e, QStringLiteral("customsDeclaration"));
    industryInfo(c, e);
    c.object(e, QStringLiteral("productCodes"));
    customParameters(c, e);
}

// One document element by its type; `printableOnly`: pre/post items and payments' printItems
// take only what prints. Elements of another type are not checked.
void element(Check& c, const Scope& e, bool printableOnly) {
    const auto type = c.get(e, QStringLiteral("type"), String, true);
    if (!type) return;
    const QString t = type->toString();
    if (t == u"text") {
        textElement(c, e);
    } else if (t == u"barcode") {
        barcodeElement(c, e);
    } else if (t == u"pictureFromMemory") {
        c.num(e, QStringLiteral("pictureNumber"), true);
        c.oneOf(e, QStringLiteral("alignment"), false, kAlignment);
    } else if (t == u"pixels") {
        c.str(e, QStringLiteral("pixels"), true);
        c.num(e, QStringLiteral("width"), true);
        c.num(e, QStringLiteral("scale"));
        c.oneOf(e, QStringLiteral("alignment"), false, kAlignment);
    } else if (printableOnly) {
        return;
    } else if (t == u"position") {
        position(c, e);
    } else if (t == u"userAttribute") {
        c.str(e, QStringLiteral("name"));
        c.str(e, QStringLiteral("value"));
        c.flag(e, QStringLiteral("print"));
    } else if (t == u"additionalAttribute") {
        c.str(e, QStringLiteral("value"), true);
        c.flag(e, QStringLiteral("print"));
    }
}

void elements(Check& c, const Scope& s, const QString& key, bool required, bool printableOnly) {
    c.eachObject(s, key, required,
                 [&c, printableOnly](const Scope& e) { element(c, e, printableOnly); });
}

void operatorField(Check& c, const Scope& s) {
    if (const auto op = c.object(s, QStringLiteral("operator"))) {
        c.str(*op, QStringLiteral("name"), true);
        c.str(*op, QStringLiteral("vatin"));
    }
}

void payments(Check& c, const Scope& s) {
    c.eachObject(s, QStringLiteral("payments"), true, [&c](const Scope& p) {
        c.oneOf(p, QStringLiteral("type"), true, byMap(paymentTypeOf));
        c.num(p, QStringLiteral("sum"), true);
        elements(c, p, QStringLiteral("printItems"), false, true);
    });
}

// The fields of a receipt after its items and payments.
void receiptRest(Check& c, const Scope& s) {
    operatorField(c, s);
    c.oneOf(s, QStringLiteral("taxationType"), false, byMap(taxationTypeOf));
    c.flag(s, QStringLiteral("electronically"));
    c.flag(s, QStringLiteral("ignoreNonFiscalPrintErrors"));
    if (const auto client = c.object(s, QStringLiteral("clientInfo")))
        for (const char* key : {"emailOrPhone", "vatin", "name", "birthDate", "citizenship",
                                "identityDocumentCode", "identityDocumentData", "address"})
            c.str(*client, QLatin1String(key));
    if (const auto company = c.object(s, QStringLiteral("companyInfo")))
        c.str(*company, QStringLiteral("email"));
    c.object(s, QStringLiteral("agentInfo"));
    c.object(s, QStringLiteral("supplierInfo"));
    if (const auto op = c.object(s, QStringLiteral("operationInfo"))) {
        c.num(*op, QStringLiteral("id"));
        c.str(*op, QStringLiteral("data"));
        c.str(*op, QStringLiteral("dateTime"));
    }
    industryInfo(c, s);
    c.str(s, QStringLiteral("paymentsPlace"));
    c.str(s, QStringLiteral("paymentsAddress"));
    c.str(s, QStringLiteral("machineNumber"));
    c.eachObject(s, QStringLiteral("taxes"), false, [&c](const Scope& t) {
        c.oneOf(t, QStringLiteral("type"), true, byMap(taxTypeOf));
        c.num(t, QStringLiteral("sum"), true);
    });
    c.num(s, QStringLiteral("total"));
    elements(c, s, QStringLiteral("preItems"), false, true);
    elements(c, s, QStringLiteral("postItems"), false, true);
    c.flag(s, QStringLiteral("validateMarkingCodes"));
    customParameters(c, s);
    c.flag(s, QStringLiteral("useVAT18"));
}

void receipt(Check& c, const Scope& s, int) {
    elements(c, s, QStringLiteral("items"), true, false);
    payments(c, s);
    receiptRest(c, s);
}

void correction(Check& c, const Scope& s, int fnFfd) {
    c.oneOf(s, QStringLiteral("correctionType"), false, among({"self", "instruction"}));
    c.oneOf(s, QStringLiteral("correctionBaseDate"), false, dateLike(QStringLiteral("yyyy.MM.dd")));
    c.str(s, QStringLiteral("correctionBaseNumber"));
    c.str(s, QStringLiteral("correctionBaseName"));
    elements(c, s, QStringLiteral("items"), fnFfd >= 110, false);
    payments(c, s);
    receiptRest(c, s);
}

void shiftDocument(Check& c, const Scope& s, int) {
    operatorField(c, s);
    c.flag(s, QStringLiteral("electronically"));
    elements(c, s, QStringLiteral("preItems"), false, true);
    elements(c, s, QStringLiteral("postItems"), false, true);
    if (const auto extra = c.object(s, QStringLiteral("additionalAttribute"))) {
        c.str(*extra, QStringLiteral("name"));
        c.str(*extra, QStringLiteral("value"));
    }
    c.str(s, QStringLiteral("address"));
    c.str(s, QStringLiteral("paymentAddress"));
}

void reportX(Check& c, const Scope& s, int) {
    operatorField(c, s);
    elements(c, s, QStringLiteral("preItems"), false, true);
    elements(c, s, QStringLiteral("postItems"), false, true);
}

void cash(Check& c, const Scope& s, int) {
    c.num(s, QStringLiteral("cashSum"), true);
    operatorField(c, s);
    c.flag(s, QStringLiteral("electronically"));
    elements(c, s, QStringLiteral("preItems"), false, true);
    elements(c, s, QStringLiteral("postItems"), false, true);
}

void nonFiscal(Check& c, const Scope& s, int) {
    elements(c, s, QStringLiteral("items"), true, true);
    c.flag(s, QStringLiteral("printFooter"));
}

void documentNumber(Check& c, const Scope& s, int) {
    c.num(s, QStringLiteral("fiscalDocumentNumber"), true);
}

void fnDocument(Check& c, const Scope& s, int) {
    c.num(s, QStringLiteral("fiscalDocumentNumber"), true);
    c.flag(s, QStringLiteral("withRawData"));
}

void journal(Check& c, const Scope& s, int) {
    c.oneOf(s, QStringLiteral("filter"), true, among({"fiscalDocumentNumber", "shiftNumber"}));
    c.num(s, QStringLiteral("from"), true);
    c.num(s, QStringLiteral("to"), true);
}

void dateTime(Check& c, const Scope& s, int) {
    c.oneOf(s, QStringLiteral("dateTime"), true, dateLike(QStringLiteral("yyyy.MM.dd HH:mm:ss")));
}

void deviceParameterKeys(Check& c, const Scope& s, int) {
    const auto keys = c.get(s, QStringLiteral("keys"), Array, true);
    if (!keys) return;
    const QJsonArray a = keys->toArray();
    for (int i = 0; i < a.size(); ++i) c.at(a[i], QStringLiteral("keys[%1]").arg(i), Number, true);
}

void deviceParameters(Check& c, const Scope& s, int) {
    c.eachObject(s, QStringLiteral("deviceParameters"), true, [&c](const Scope& p) {
        c.num(p, QStringLiteral("key"), true);
        c.get(p, QStringLiteral("value"), Number | String | Boolean, true);
    });
}

void beginMarking(Check& c, const Scope& s, int) {
    if (const auto p = c.object(s, QStringLiteral("params"), true)) imcParams(c, *p, ImcUse::Begin);
}

void markList(Check& c, const Scope& s, int) {
    c.eachObject(s, QStringLiteral("params"), true,
                 [&c](const Scope& p) { imcParams(c, p, ImcUse::Other); });
    c.flag(s, QStringLiteral("waitForResult"));
    c.num(s, QStringLiteral("timeout"));
}

void ping(Check& c, const Scope& s, int) {
    c.num(s, QStringLiteral("timeout"));
}

using Rule = void (*)(Check&, const Scope&, int);

const QHash<QString, Rule>& rules() {
    static const QHash<QString, Rule> table = {
        {QStringLiteral("sell"), &receipt},
        {QStringLiteral("sellReturn"), &receipt},
        {QStringLiteral("buy"), &receipt},
        {QStringLiteral("buyReturn"), &receipt},
        {QStringLiteral("sellCorrection"), &correction},
        {QStringLiteral("sellReturnCorrection"), &correction},
        {QStringLiteral("buyCorrection"), &correction},
        {QStringLiteral("buyReturnCorrection"), &correction},
        {QStringLiteral("openShift"), &shiftDocument},
        {QStringLiteral("closeShift"), &shiftDocument},
        {QStringLiteral("reportOfdExchangeStatus"), &shiftDocument},
        {QStringLiteral("reportX"), &reportX},
        {QStringLiteral("cashIn"), &cash},
        {QStringLiteral("cashOut"), &cash},
        {QStringLiteral("nonFiscal"), &nonFiscal},
        {QStringLiteral("printFnDocument"), &documentNumber},
        {QStringLiteral("getFnDocument"), &fnDocument},
        {QStringLiteral("printDocumentsFromJournal"), &journal},
        {QStringLiteral("setDateTime"), &dateTime},
        {QStringLiteral("getDeviceParameters"), &deviceParameterKeys},
        {QStringLiteral("setDeviceParameters"), &deviceParameters},
        {QStringLiteral("beginMarkingCodeValidation"), &beginMarking},
        {QStringLiteral("validateMarks"), &markList},
        {QStringLiteral("addMarksToBuffer"), &markList},
        {QStringLiteral("pingIsm"), &ping},
    };
    return table;
}

// A value of a named set, or the digits of a number within [low, high].
std::optional<int> named(const QString& v, const QHash<QString, int>& names, int low, int high) {
    if (const auto it = names.constFind(v); it != names.constEnd()) return *it;
    bool ok = false;
    const int n = v.toInt(&ok);
    if (ok && !v.isEmpty() && v.front().isDigit() && n >= low && n <= high) return n;
    return std::nullopt;
}

}  // namespace

CheckOutcome checkTask(const QJsonObject& request, int fnFfd) {
    const Rule rule = rules().value(request.value(QStringLiteral("type")).toString());
    if (!rule) return {};
    Check c;
    rule(c, Scope{request, QString()}, fnFfd);
    return {true, c.error()};
}

std::optional<int> receiptTypeOf(const QString& taskType) {
    static const QHash<QString, const char*> types = {
        {QStringLiteral("sell"), LIBFPTR_RT_SELL},
        {QStringLiteral("sellReturn"), LIBFPTR_RT_SELL_RETURN},
        {QStringLiteral("buy"), LIBFPTR_RT_BUY},
        {QStringLiteral("buyReturn"), LIBFPTR_RT_BUY_RETURN},
        {QStringLiteral("sellCorrection"), LIBFPTR_RT_SELL_CORRECTION},
        {QStringLiteral("sellReturnCorrection"), LIBFPTR_RT_SELL_RETURN_CORRECTION},
        {QStringLiteral("buyCorrection"), LIBFPTR_RT_BUY_CORRECTION},
        {QStringLiteral("buyReturnCorrection"), LIBFPTR_RT_BUY_RETURN_CORRECTION}};
    const auto it = types.constFind(taskType);
    if (it == types.constEnd()) return std::nullopt;
    return k(*it);
}

std::optional<int> taxationTypeOf(const QString& value) {
    static const QHash<QString, int> names = {
        {QStringLiteral("osn"), k(LIBFPTR_TT_OSN)},
        {QStringLiteral("usnIncome"), k(LIBFPTR_TT_USN_INCOME)},
        {QStringLiteral("usnIncomeOutcome"), k(LIBFPTR_TT_USN_INCOME_OUTCOME)},
        {QStringLiteral("envd"), k(LIBFPTR_TT_ENVD)},
        {QStringLiteral("esn"), k(LIBFPTR_TT_ESN)},
        {QStringLiteral("patent"), k(LIBFPTR_TT_PATENT)}};
    return named(value, names, 1, 0);
}

std::optional<int> taxTypeOf(const QString& value) {
    static const QHash<QString, int> names = {{QStringLiteral("none"), k(LIBFPTR_TAX_NO)},
                                              {QStringLiteral("vat0"), k(LIBFPTR_TAX_VAT0)},
                                              {QStringLiteral("vat10"), k(LIBFPTR_TAX_VAT10)},
                                              {QStringLiteral("vat110"), k(LIBFPTR_TAX_VAT110)},
                                              {QStringLiteral("vat18"), k(LIBFPTR_TAX_VAT18)},
                                              {QStringLiteral("vat118"), k(LIBFPTR_TAX_VAT118)},
                                              {QStringLiteral("vat20"), k(LIBFPTR_TAX_VAT20)},
                                              {QStringLiteral("vat120"), k(LIBFPTR_TAX_VAT120)},
                                              {QStringLiteral("0"), k(LIBFPTR_TAX_VAT0)},
                                              {QStringLiteral("10"), k(LIBFPTR_TAX_VAT10)},
                                              {QStringLiteral("110"), k(LIBFPTR_TAX_VAT110)},
                                              {QStringLiteral("18"), k(LIBFPTR_TAX_VAT18)},
                                              {QStringLiteral("118"), k(LIBFPTR_TAX_VAT118)},
                                              {QStringLiteral("20"), k(LIBFPTR_TAX_VAT20)},
                                              {QStringLiteral("120"), k(LIBFPTR_TAX_VAT120)}};
    return named(value, names, 1, 0);
}

std::optional<int> paymentTypeOf(const QString& value) {
    static const QHash<QString, int> names = {
        {QStringLiteral("cash"), k(LIBFPTR_PT_CASH)},
        {QStringLiteral("electronically"), k(LIBFPTR_PT_ELECTRONICALLY)},
        {QStringLiteral("prepaid"), k(LIBFPTR_PT_PREPAID)},
        {QStringLiteral("credit"), k(LIBFPTR_PT_CREDIT)},
        {QStringLiteral("other"), k(LIBFPTR_PT_OTHER)}};
    return named(value, names, k(LIBFPTR_PT_CASH), k(LIBFPTR_PT_10));
}

std::optional<int> paymentMethodOf(const QString& value) {
    static const QHash<QString, int> names = {
        {QStringLiteral("fullPrepayment"), 1}, {QStringLiteral("prepayment"), 2},
        {QStringLiteral("advance"), 3},        {QStringLiteral("fullPayment"), 4},
        {QStringLiteral("partialPayment"), 5}, {QStringLiteral("credit"), 6},
        {QStringLiteral("creditPayment"), 7}};
    return named(value, names, 1, 7);
}

std::optional<int> paymentObjectOf(const QString& value) {
    static const QHash<QString, int> names = {
        {QStringLiteral("commodity"), 1},
        {QStringLiteral("excise"), 2},
        {QStringLiteral("job"), 3},
        {QStringLiteral("service"), 4},
        {QStringLiteral("gamblingBet"), 5},
        {QStringLiteral("gamblingPrize"), 6},
        {QStringLiteral("lottery"), 7},
        {QStringLiteral("lotteryPrize"), 8},
        {QStringLiteral("intellectualActivity"), 9},
        {QStringLiteral("payment"), 10},
        {QStringLiteral("agentCommission"), 11},
        {QStringLiteral("composite"), 12},
        {QStringLiteral("pay"), 12},
        {QStringLiteral("another"), 13},
        {QStringLiteral("proprietaryLaw"), 14},
        {QStringLiteral("nonOperatingIncome"), 15},
        {QStringLiteral("otherContributions"), 16},
        {QStringLiteral("insuranceContributions"), 16},
        {QStringLiteral("merchantTax"), 17},
        {QStringLiteral("resortFee"), 18},
        {QStringLiteral("deposit"), 19},
        {QStringLiteral("consumption"), 20},
        {QStringLiteral("soleProprietorCPIContributions"), 21},
        {QStringLiteral("cpiContributions"), 22},
        {QStringLiteral("soleProprietorCMIContributions"), 23},
        {QStringLiteral("cmiContributions"), 24},
        {QStringLiteral("csiContributions"), 25},
        {QStringLiteral("casinoPayment"), 26},
        {QStringLiteral("fundsIssuance"), 27},
        {QStringLiteral("exciseWithoutMarking"), 30},
        {QStringLiteral("exciseWithMarking"), 31},
        {QStringLiteral("commodityWithoutMarking"), 32},
        {QStringLiteral("commodityWithMarking"), 33}};
    return named(value, names, 1, 33);
}

}  // namespace emu::json
