#include "emulator/json/JsonTasks.h"

#include <QJsonArray>
#include <QJsonDocument>

#include "emulator/ArchiveGenerator.h"
#include "emulator/json/JsonTaskCheck.h"

namespace emu::json {
namespace {

using namespace drv::names;

const OperationTable& registerOperations() {
    static const OperationTable table = [] {
        OperationTable t;
        addShiftOperations(t);
        addReceiptOperations(t);
        addPrintOperations(t);
        return t;
    }();
    return table;
}

QString compact(const QJsonDocument& d) {
    return QString::fromUtf8(d.toJson(QJsonDocument::Compact));
}

QString ffdText(int version) {
    switch (version) {
        case 100:
            return QStringLiteral("1.0");
        case 105:
            return QStringLiteral("1.05");
        case 110:
            return QStringLiteral("1.1");
        case 120:
            return QStringLiteral("1.2");
        default:
            return QString();
    }
}

QString shiftStateText(const Register& r) {
    if (shiftExpired(r)) return QStringLiteral("expired");
    return r.shift.state == k(LIBFPTR_SS_CLOSED) ? QStringLiteral("closed")
                                                 : QStringLiteral("opened");
}

// The driver's barcode type of a request's barcodeType (EAN13 -> LIBFPTR_BT_EAN_13).
std::optional<int> barcodeTypeOf(const QString& name) {
    static const QHash<QString, const char*> types = {
        {QStringLiteral("EAN8"), LIBFPTR_BT_EAN_8},
        {QStringLiteral("EAN13"), LIBFPTR_BT_EAN_13},
        {QStringLiteral("UPCA"), LIBFPTR_BT_UPC_A},
        {QStringLiteral("UPCE"), LIBFPTR_BT_UPC_E},
        {QStringLiteral("CODE39"), LIBFPTR_BT_CODE_39},
        {QStringLiteral("CODE93"), LIBFPTR_BT_CODE_93},
        {QStringLiteral("CODE128"), LIBFPTR_BT_CODE_128},
        {QStringLiteral("CODABAR"), LIBFPTR_BT_CODABAR},
        {QStringLiteral("ITF"), LIBFPTR_BT_ITF},
        {QStringLiteral("ITF14"), LIBFPTR_BT_ITF_14},
        {QStringLiteral("GS1_128"), LIBFPTR_BT_GS1_128},
        {QStringLiteral("PDF417"), LIBFPTR_BT_PDF417},
        {QStringLiteral("QR"), LIBFPTR_BT_QR},
        {QStringLiteral("CODE39_EXTENDED"), LIBFPTR_BT_CODE_39_EXTENDED}};
    const auto it = types.constFind(name);
    if (it == types.constEnd()) return std::nullopt;
    return k(*it);
}

// One task under way: the request, the register, and its operations run one by one with their
// own parameters, as a program would call them.
class Task {
  public:
    Task(Call& call, const QJsonObject& request)
        : c(call),
          r(call.reg()),
          q(request),
          type(request.value(QStringLiteral("type")).toString()) {}

    Call& c;
    Register& r;
    const QJsonObject& q;
    const QString type;

    // Runs an operation of the register; false when it failed (stepFailure() then passes its
    // error on).
    bool step(const char* member, const QHash<int, QVariant>& params = {}) {
        ObjectState state;
        state.in = params;
        Call sub(state, &r, {});
        const int rc = registerOperations().value(QLatin1String(member)).run(sub);
        out_ = state.out;
        code_ = state.errorCode;
        text_ = state.errorDescription;
        return rc == 0;
    }
    QVariant stepOut(std::string_view param) const { return out_.value(k(param)); }
    int stepFailure() { return c.fail(code_, text_); }

    int answer(const QJsonObject& o) { return answerText(compact(QJsonDocument(o))); }
    int answer(const QJsonArray& a) { return answerText(compact(QJsonDocument(a))); }
    int answerNothing() { return answerText(QString()); }

    // Logs the request's operator in, when it names one.
    bool login() {
        const QJsonObject op = q.value(QStringLiteral("operator")).toObject();
        if (op.isEmpty()) return true;
        QHash<int, QVariant> p{{1021, op.value(QStringLiteral("name")).toString()}};
        if (op.contains(QStringLiteral("vatin")))
            p.insert(1203, op.value(QStringLiteral("vatin")).toString());
        return step(drv::members::operatorLogin, p);
    }

    // What a fiscal document's task answers about it.
    QJsonObject fiscalParams(int number) const {
        const QJsonObject doc = r.archive.document(number).value_or(QJsonObject());
        QJsonObject p{{QStringLiteral("fiscalDocumentNumber"), number},
                      {QStringLiteral("fiscalDocumentDateTime"), doc.value(QStringLiteral("1012"))},
                      {QStringLiteral("fiscalDocumentSign"),
                       fiscalSignOfHex(doc.value(QStringLiteral("1077")).toString())},
                      {QStringLiteral("fnNumber"), r.storage.serial},
                      {QStringLiteral("registrationNumber"), registrationNumberOf(r)},
                      {QStringLiteral("fnsUrl"), r.registrationInfo.value(QStringLiteral("device"))
                                                     .toObject()
                                                     .value(QStringLiteral("fnsUrl"))
                                                     .toString(QStringLiteral("www.nalog.gov.ru"))},
                      {QStringLiteral("shiftNumber"),
                       doc.value(QStringLiteral("1038")).toInt(r.shift.number)}};
        return p;
    }
    QJsonObject warnings() const {
        QJsonObject w;
        if (!r.flags.fiscal) w.insert(QStringLiteral("nonFiscal"), true);
        return w;
    }

    // Prints the printable elements of `items` (text, barcodes); pictures print nothing here.
    bool print(const QJsonArray& items) {
        for (const auto& v : items) {
            const QJsonObject e = v.toObject();
            const QString t = e.value(QStringLiteral("type")).toString();
            if (t == u"text") {
                QHash<int, QVariant> p{
                    {k(LIBFPTR_PARAM_TEXT), e.value(QStringLiteral("text")).toString()}};
                if (e.value(QStringLiteral("doubleWidth")).toBool())
                    p.insert(k(LIBFPTR_PARAM_FONT_DOUBLE_WIDTH), true);
                if (!step(drv::members::printText, p)) return false;
            } else if (t == u"barcode") {
                const auto barcodeType =
                    barcodeTypeOf(e.value(QStringLiteral("barcodeType")).toString());
                if (!barcodeType) return fails(LIBFPTR_ERROR_BARCODE_TYPE_NOT_SUPPORTED);
                if (!step(
                        drv::members::printBarcode,
                        {{k(LIBFPTR_PARAM_BARCODE), e.value(QStringLiteral("barcode")).toString()},
                         {k(LIBFPTR_PARAM_BARCODE_TYPE), *barcodeType}}))
                    return false;
            }
        }
        return true;
    }
    bool fails(std::string_view error) {
        code_ = k(error);
        text_ = errorText(code_);
        return false;
    }
    // Fails with the last step's error (or `error`) after running `undo`, whose own result
    // does not replace it.
    int failAfter(const char* undo, std::string_view error = {}) {
        if (!error.empty()) fails(error);
        const int code = code_;
        const QString text = text_;
        step(undo);
        return c.fail(code, text);
    }

  private:
    int answerText(const QString& text) {
        c.outId(k(LIBFPTR_PARAM_JSON_DATA), text);
        return c.ok();
    }
    QHash<int, QVariant> out_;
    int code_ = 0;
    QString text_;
};

bool isCorrectionTask(const QString& type) {
    return type.endsWith(QLatin1String("Correction"));
}

// Tags of the receipt that come straight from the request: the client, the correction's basis.
QJsonObject requestTags(const QJsonObject& q, bool correction) {
    QJsonObject tags;
    const QJsonObject client = q.value(QStringLiteral("clientInfo")).toObject();
    if (client.contains(QStringLiteral("emailOrPhone")))
        tags.insert(QStringLiteral("1008"), client.value(QStringLiteral("emailOrPhone")));
    if (client.contains(QStringLiteral("name")))
        tags.insert(QStringLiteral("1227"), client.value(QStringLiteral("name")));
    if (client.contains(QStringLiteral("vatin")))
        tags.insert(QStringLiteral("1228"), client.value(QStringLiteral("vatin")));
    for (const auto& [key, tag] :
         {std::pair{"paymentsPlace", "1187"}, std::pair{"paymentsAddress", "1009"},
          std::pair{"machineNumber", "1036"}})
        if (q.contains(QLatin1String(key)))
            tags.insert(QLatin1String(tag), q.value(QLatin1String(key)));
    if (!correction) return tags;
    tags.insert(QStringLiteral("1173"),
                q.value(QStringLiteral("correctionType")).toString() == u"instruction" ? 1 : 0);
    QJsonObject basis;
    if (q.contains(QStringLiteral("correctionBaseName")))
        basis.insert(QStringLiteral("1177"), q.value(QStringLiteral("correctionBaseName")));
    if (q.contains(QStringLiteral("correctionBaseDate")))
        basis.insert(QStringLiteral("1178"),
                     QDate::fromString(q.value(QStringLiteral("correctionBaseDate")).toString(),
                                       QStringLiteral("yyyy.MM.dd"))
                         .toString(Qt::ISODate));
    if (q.contains(QStringLiteral("correctionBaseNumber")))
        basis.insert(QStringLiteral("1179"), q.value(QStringLiteral("correctionBaseNumber")));
    if (!basis.isEmpty()) tags.insert(QStringLiteral("1174"), basis);
    return tags;
}

QHash<int, QVariant> positionParams(const QJsonObject& e) {
    QHash<int, QVariant> p{
        {k(LIBFPTR_PARAM_COMMODITY_NAME), e.value(QStringLiteral("name")).toString()},
        {k(LIBFPTR_PARAM_PRICE), e.value(QStringLiteral("price")).toDouble()},
        {k(LIBFPTR_PARAM_QUANTITY), e.value(QStringLiteral("quantity")).toDouble()},
        {k(LIBFPTR_PARAM_POSITION_SUM), e.value(QStringLiteral("amount")).toDouble()}};
    const QJsonObject tax = e.value(QStringLiteral("tax")).toObject();
    p.insert(k(LIBFPTR_PARAM_TAX_TYPE),
             taxTypeOf(tax.value(QStringLiteral("type")).toString()).value_or(k(LIBFPTR_TAX_NO)));
    if (e.contains(QStringLiteral("department")))
        p.insert(k(LIBFPTR_PARAM_DEPARTMENT), e.value(QStringLiteral("department")).toInt());
    if (const auto m = paymentMethodOf(e.value(QStringLiteral("paymentMethod")).toString()))
        p.insert(1214, *m);
    if (const auto o = paymentObjectOf(e.value(QStringLiteral("paymentObject")).toString()))
        p.insert(1212, *o);
    return p;
}

int receiptTask(Task& t) {
    const QJsonObject& q = t.q;
    const bool correction = isCorrectionTask(t.type);
    const bool electronically = q.value(QStringLiteral("electronically")).toBool();
    if (!t.login()) return t.stepFailure();
    QHash<int, QVariant> open{{k(LIBFPTR_PARAM_RECEIPT_TYPE), *receiptTypeOf(t.type)},
                              {k(LIBFPTR_PARAM_RECEIPT_ELECTRONICALLY), electronically}};
    if (const auto tt = taxationTypeOf(q.value(QStringLiteral("taxationType")).toString()))
        open.insert(1055, *tt);
    if (!electronically && !t.print(q.value(QStringLiteral("preItems")).toArray()))
        return t.stepFailure();
    if (!t.step(drv::members::openReceipt, open)) return t.stepFailure();
    // from here on a failure cancels the receipt
    const auto abandon = [&t](std::string_view error = {}) {
        return t.failAfter(drv::members::cancelReceipt, error);
    };
    t.r.receipt.extraTags = requestTags(q, correction);

    for (const auto& v : q.value(QStringLiteral("items")).toArray()) {
        const QJsonObject e = v.toObject();
        const QString type = e.value(QStringLiteral("type")).toString();
        if (type == u"position") {
            if (!t.step(drv::members::registration, positionParams(e))) return abandon();
        } else if (!electronically && !t.print(QJsonArray{e})) {
            return abandon();
        }
    }
    double paid = 0;
    for (const auto& v : q.value(QStringLiteral("payments")).toArray())
        paid += v.toObject().value(QStringLiteral("sum")).toDouble();
    std::optional<double> total;
    if (q.contains(QStringLiteral("total")))
        total = q.value(QStringLiteral("total")).toDouble();
    else if (t.r.receipt.items.isEmpty())  // a correction without positions: what was paid
        total = paid;
    if (total && !t.step(drv::members::receiptTotal, {{k(LIBFPTR_PARAM_SUM), *total}}))
        return abandon();
    for (const auto& v : q.value(QStringLiteral("taxes")).toArray()) {
        const QJsonObject tax = v.toObject();
        if (!t.step(drv::members::receiptTax,
                    {{k(LIBFPTR_PARAM_TAX_TYPE),
                      taxTypeOf(tax.value(QStringLiteral("type")).toString()).value_or(0)},
                     {k(LIBFPTR_PARAM_TAX_SUM), tax.value(QStringLiteral("sum")).toDouble()}}))
            return abandon();
    }
    for (const auto& v : q.value(QStringLiteral("payments")).toArray()) {
        const QJsonObject p = v.toObject();
        if (!t.step(drv::members::payment,
                    {{k(LIBFPTR_PARAM_PAYMENT_TYPE),
                      paymentTypeOf(p.value(QStringLiteral("type")).toString()).value_or(-1)},
                     {k(LIBFPTR_PARAM_PAYMENT_SUM), p.value(QStringLiteral("sum")).toDouble()}}))
            return abandon();
    }
    if (t.r.receipt.remainder > 0) return abandon(LIBFPTR_ERROR_NOT_FULLY_PAID);
    if (!t.step(drv::members::closeReceipt)) return abandon();
    const int number = t.r.archive.lastNumber();
    if (!electronically && !t.print(q.value(QStringLiteral("postItems")).toArray()))
        return t.stepFailure();
    const QJsonObject doc = t.r.archive.document(number).value_or(QJsonObject());
    QJsonObject params = t.fiscalParams(number);
    params.insert(QStringLiteral("fiscalReceiptNumber"), doc.value(QStringLiteral("1042")));
    params.insert(QStringLiteral("total"), doc.value(QStringLiteral("1020")));
    return t.answer(QJsonObject{{QStringLiteral("fiscalParams"), params},
                                {QStringLiteral("warnings"), t.warnings()}});
}

int shiftTask(Task& t, bool opening) {
    if (!t.login()) return t.stepFailure();
    const bool ok = opening ? t.step(drv::members::openShift)
                            : t.step(drv::members::report,
                                     {{k(LIBFPTR_PARAM_REPORT_TYPE), k(LIBFPTR_RT_CLOSE_SHIFT)}});
    if (!ok) return t.stepFailure();
    const int number = t.r.archive.lastNumber();
    QJsonObject params = t.fiscalParams(number);
    if (!opening)
        params.insert(QStringLiteral("receiptsCount"),
                      t.r.archive.document(number)->value(QStringLiteral("1118")));
    return t.answer(QJsonObject{{QStringLiteral("fiscalParams"), params},
                                {QStringLiteral("warnings"), t.warnings()}});
}

int openShiftTask(Task& t) {
    return shiftTask(t, true);
}
int closeShiftTask(Task& t) {
    return shiftTask(t, false);
}

// A report with no document: printed, answers nothing.
int reportTask(Task& t, std::string_view reportType, const QHash<int, QVariant>& extra = {}) {
    if (!t.login()) return t.stepFailure();
    QHash<int, QVariant> p = extra;
    p.insert(k(LIBFPTR_PARAM_REPORT_TYPE), k(reportType));
    if (!t.step(drv::members::report, p)) return t.stepFailure();
    return t.answerNothing();
}

int reportXTask(Task& t) {
    return reportTask(t, LIBFPTR_RT_X);
}
int lastReceiptCopyTask(Task& t) {
    return reportTask(t, LIBFPTR_RT_LAST_DOCUMENT);
}
int departmentsTask(Task& t) {
    return reportTask(t, LIBFPTR_RT_DEPARTMENTS);
}
int registrationsReportTask(Task& t) {
    return reportTask(t, LIBFPTR_RT_FN_REGISTRATIONS);
}
int printFnDocumentTask(Task& t) {
    return reportTask(t, LIBFPTR_RT_FN_DOC_BY_NUMBER,
                      {{k(LIBFPTR_PARAM_DOCUMENT_NUMBER),
                        t.q.value(QStringLiteral("fiscalDocumentNumber")).toInt()}});
}
int journalTask(Task& t) {
    const bool byShift = t.q.value(QStringLiteral("filter")).toString() == u"shiftNumber";
    return reportTask(
        t, byShift ? LIBFPTR_RT_JOURNAL_DOCUMENT_BY_SHIFTS : LIBFPTR_RT_JOURNAL_DOCUMENT_BY_NUMBERS,
        {{k(LIBFPTR_PARAM_DOCUMENT_NUMBER), t.q.value(QStringLiteral("from")).toInt()},
         {k(LIBFPTR_PARAM_DOCUMENT_NUMBER_END), t.q.value(QStringLiteral("to")).toInt()}});
}

int ofdExchangeReportTask(Task& t) {
    if (!t.login()) return t.stepFailure();
    if (const int fault = printerFault(t.r)) return t.c.fail(fault);
    const QJsonObject status = t.r.ofdExchangeAnswer().value(QStringLiteral("status")).toObject();
    QJsonObject doc{{QStringLiteral("fiscalDocumentType"), QStringLiteral("ofdExchangeStatus")},
                    {QStringLiteral("1097"), t.r.archive.notSent()}};
    if (!t.r.operatorName.isEmpty()) doc.insert(QStringLiteral("1021"), t.r.operatorName);
    const int number = t.r.archive.append(doc, t.r.momentNow());
    t.r.journal->append(QStringLiteral("report"), QStringLiteral("ОТЧЕТ О СОСТОЯНИИ РАСЧЕТОВ"),
                        {{QStringLiteral("document"), number}});
    return t.answer(QJsonObject{{QStringLiteral("fiscalParams"), t.fiscalParams(number)},
                                {QStringLiteral("warnings"), t.warnings()},
                                {QStringLiteral("status"), status}});
}

int cashTask(Task& t, bool income) {
    if (!t.login()) return t.stepFailure();
    if (!t.step(income ? drv::members::cashIncome : drv::members::cashOutcome,
                {{k(LIBFPTR_PARAM_SUM), t.q.value(QStringLiteral("cashSum")).toDouble()}}))
        return t.stepFailure();
    return t.answer(QJsonObject{{QStringLiteral("counters"),
                                 QJsonObject{{QStringLiteral("cashSum"), t.r.counters.cashSum}}}});
}

int cashInTask(Task& t) {
    return cashTask(t, true);
}
int cashOutTask(Task& t) {
    return cashTask(t, false);
}

int nonFiscalTask(Task& t) {
    if (!t.step(drv::members::beginNonfiscalDocument)) return t.stepFailure();
    if (!t.print(t.q.value(QStringLiteral("items")).toArray()))
        return t.failAfter(drv::members::endNonfiscalDocument);
    if (!t.step(drv::members::endNonfiscalDocument)) return t.stepFailure();
    return t.answerNothing();
}

int plainTask(Task& t, const char* member, const QHash<int, QVariant>& params = {}) {
    if (!t.step(member, params)) return t.stepFailure();
    return t.answerNothing();
}

int continuePrintTask(Task& t) {
    return plainTask(t, drv::members::continuePrint);
}
int openDrawerTask(Task& t) {
    return plainTask(t, drv::members::openDrawer);
}
int setDateTimeTask(Task& t) {
    QDateTime when = QDateTime::fromString(t.q.value(QStringLiteral("dateTime")).toString(),
                                           QStringLiteral("yyyy.MM.dd HH:mm:ss"));
    return plainTask(t, drv::members::writeDateTime, {{k(LIBFPTR_PARAM_DATE_TIME), when}});
}

int deviceStatusTask(Task& t) {
    const RegisterFlags& f = t.r.flags;
    return t.answer(QJsonObject{{QStringLiteral("deviceStatus"),
                                 QJsonObject{{QStringLiteral("blocked"), f.blocked},
                                             {QStringLiteral("coverOpened"), f.coverOpened},
                                             {QStringLiteral("fiscal"), f.fiscal},
                                             {QStringLiteral("fnFiscal"), f.fnFiscal},
                                             {QStringLiteral("fnPresent"), f.fnPresent},
                                             {QStringLiteral("paperPresent"), f.paperPresent},
                                             {QStringLiteral("cashDrawerOpened"), false},
                                             {QStringLiteral("currentDateTime"), t.r.momentNow()},
                                             {QStringLiteral("shift"), shiftStateText(t.r)}}}});
}

int deviceInfoTask(Task& t) {
    const Register& r = t.r;
    QJsonObject info{
        {QStringLiteral("modelName"), r.model},
        {QStringLiteral("serial"), r.serial},
        {QStringLiteral("firmwareVersion"), r.units.version[0].value_or(QString())},
        {QStringLiteral("configurationVersion"), r.units.version[1].value_or(QString())},
        {QStringLiteral("receiptLineLength"), r.lineLength},
        {QStringLiteral("ffdVersion"), ffdText(r.ffd.device)},
        {QStringLiteral("fnFfdVersion"), ffdText(r.ffd.fn)}};
    // the model's number, when the maker publishes one for this name ("АТОЛ 30Ф" -> ATOL_30F)
    QString name = r.model.toUpper();
    name.replace(QStringLiteral("АТОЛ"), QStringLiteral("ATOL"))
        .replace(QStringLiteral("Ф"), QStringLiteral("F"));
    name.replace(u' ', u'_');
    if (const auto model = drv::constantValue(QStringLiteral("LIBFPTR_MODEL_") + name))
        info.insert(QStringLiteral("model"), *model);
    return t.answer(QJsonObject{{QStringLiteral("deviceInfo"), info}});
}

int shiftStatusTask(Task& t) {
    const Register& r = t.r;
    QJsonObject status{{QStringLiteral("number"), r.shift.number},
                       {QStringLiteral("state"), shiftStateText(r)}};
    if (r.shift.expiresAt.isValid())
        status.insert(
            QStringLiteral("expiredTime"),
            ArchiveGenerator::isoMoment(r.shift.expiresAt.toSecsSinceEpoch(), r.utcOffsetSeconds));
    return t.answer(QJsonObject{{QStringLiteral("shiftStatus"), status}});
}

const std::pair<const char*, const char*> kReceiptKinds[] = {{"sell", LIBFPTR_RT_SELL},
                                                             {"sellReturn", LIBFPTR_RT_SELL_RETURN},
                                                             {"buy", LIBFPTR_RT_BUY},
                                                             {"buyReturn", LIBFPTR_RT_BUY_RETURN}};

int shiftTotalsTask(Task& t) {
    const Counters& n = t.r.counters;
    QJsonObject receipts;
    for (const auto& [name, typeName] : kReceiptKinds) {
        const int type = k(typeName);
        QJsonObject payments;
        double sum = 0;
        for (const auto& [key, pt] :
             {std::pair{"cash", LIBFPTR_PT_CASH},
              std::pair{"electronically", LIBFPTR_PT_ELECTRONICALLY},
              std::pair{"prepaid", LIBFPTR_PT_PREPAID}, std::pair{"credit", LIBFPTR_PT_CREDIT},
              std::pair{"other", LIBFPTR_PT_OTHER}}) {
            const double v = n.paymentSum.value(QStringLiteral("%1/%2").arg(type).arg(k(pt)));
            payments.insert(QLatin1String(key), v);
            sum += v;
        }
        receipts.insert(QLatin1String(name),
                        QJsonObject{{QStringLiteral("count"), n.receiptCount.value(type)},
                                    {QStringLiteral("sum"), roundedMoney(sum)},
                                    {QStringLiteral("payments"), payments}});
    }
    return t.answer(QJsonObject{
        {QStringLiteral("shiftTotals"),
         QJsonObject{
             {QStringLiteral("shiftNumber"), t.r.shift.number},
             {QStringLiteral("cashDrawer"), QJsonObject{{QStringLiteral("sum"), n.cashSum}}},
             {QStringLiteral("income"), QJsonObject{{QStringLiteral("sum"), n.cashInSum},
                                                    {QStringLiteral("count"), n.cashInCount}}},
             {QStringLiteral("outcome"), QJsonObject{{QStringLiteral("sum"), n.cashOutSum},
                                                     {QStringLiteral("count"), n.cashOutCount}}},
             {QStringLiteral("receipts"), receipts}}}});
}

int overallTotalsTask(Task& t) {
    QJsonObject receipts;
    for (const auto& [name, typeName] : kReceiptKinds)
        receipts.insert(QLatin1String(name), QJsonObject{{QStringLiteral("sum"),
                                                          t.r.nonNullableSum.value(k(typeName))}});
    return t.answer(QJsonObject{
        {QStringLiteral("overallTotals"), QJsonObject{{QStringLiteral("receipts"), receipts}}}});
}

int cashDrawerTask(Task& t) {
    return t.answer(QJsonObject{{QStringLiteral("counters"),
                                 QJsonObject{{QStringLiteral("cashSum"), t.r.counters.cashSum}}},
                                {QStringLiteral("cashDrawerStatus"),
                                 QJsonObject{{QStringLiteral("cashDrawerOpened"), false}}}});
}

int licensesTask(Task& t) {
    QJsonArray list;
    for (const auto& l : t.r.licenses)
        list.append(
            QJsonObject{{QStringLiteral("id"), l.number}, {QStringLiteral("name"), l.name}});
    return t.answer(QJsonObject{{QStringLiteral("licenses"), list}});
}

// Marking codes: the register reaches no marking server, so every code ends in the refusal a
// register without that connection gives; the storage does not check codes without keys.
QJsonObject noServer() {
    return QJsonObject{{QStringLiteral("code"), k(LIBFPTR_ERROR_OFD_EXCHANGE)},
                       {QStringLiteral("description"),
                        QStringLiteral("Нет связи с сервером проверки кодов маркировки")},
                       {QStringLiteral("error"), QStringLiteral("serverNoConnect")}};
}
QJsonObject offlineUnchecked() {
    return QJsonObject{{QStringLiteral("fmCheck"), false},
                       {QStringLiteral("fmCheckResult"), false},
                       {QStringLiteral("fmCheckErrorReason"), QStringLiteral("noKeys")}};
}

bool markingAllowed(Task& t) {
    return t.r.ffd.fn >= 120 || t.fails(LIBFPTR_ERROR_OPERATION_DENIED_IN_CURRENT_FFD);
}

int beginMarkingTask(Task& t) {
    if (!markingAllowed(t)) return t.stepFailure();
    return t.answer(QJsonObject{{QStringLiteral("offlineValidation"), offlineUnchecked()}});
}
int markingStatusTask(Task& t) {
    if (!markingAllowed(t)) return t.stepFailure();
    return t.answer(QJsonObject{{QStringLiteral("ready"), true},
                                {QStringLiteral("sentImcRequest"), false},
                                {QStringLiteral("driverError"), noServer()}});
}
int markingReadyTask(Task& t) {
    if (!markingAllowed(t)) return t.stepFailure();
    return t.answer(QJsonObject{{QStringLiteral("validationReady"), true}});
}
int acceptMarkingTask(Task& t) {
    if (!markingAllowed(t)) return t.stepFailure();
    t.fails(LIBFPTR_ERROR_MARK_NOT_CHECKED);
    return t.stepFailure();
}
int markingDoneTask(Task& t) {
    if (!markingAllowed(t)) return t.stepFailure();
    return t.answerNothing();
}
int markListTask(Task& t) {
    if (!markingAllowed(t)) return t.stepFailure();
    QJsonArray results;
    for (int i = 0; i < t.q.value(QStringLiteral("params")).toArray().size(); ++i)
        results.append(QJsonObject{{QStringLiteral("driverError"), noServer()},
                                   {QStringLiteral("offlineValidation"), offlineUnchecked()},
                                   {QStringLiteral("sentImcRequest"), false}});
    return t.answer(results);
}
int pingIsmTask(Task& t) {
    if (!markingAllowed(t)) return t.stepFailure();
    return t.answer(QJsonObject{{QStringLiteral("driverError"), noServer()}});
}

using Handler = int (*)(Task&);

const QHash<QString, Handler>& handlers() {
    static const QHash<QString, Handler> table = {
        {QStringLiteral("sell"), &receiptTask},
        {QStringLiteral("sellReturn"), &receiptTask},
        {QStringLiteral("buy"), &receiptTask},
        {QStringLiteral("buyReturn"), &receiptTask},
        {QStringLiteral("sellCorrection"), &receiptTask},
        {QStringLiteral("sellReturnCorrection"), &receiptTask},
        {QStringLiteral("buyCorrection"), &receiptTask},
        {QStringLiteral("buyReturnCorrection"), &receiptTask},
        {QStringLiteral("openShift"), &openShiftTask},
        {QStringLiteral("closeShift"), &closeShiftTask},
        {QStringLiteral("reportX"), &reportXTask},
        {QStringLiteral("reportOfdExchangeStatus"), &ofdExchangeReportTask},
        {QStringLiteral("reportDepartments"), &departmentsTask},
        {QStringLiteral("reportFnRegistrations"), &registrationsReportTask},
        {QStringLiteral("cashIn"), &cashInTask},
        {QStringLiteral("cashOut"), &cashOutTask},
        {QStringLiteral("nonFiscal"), &nonFiscalTask},
        {QStringLiteral("continuePrint"), &continuePrintTask},
        {QStringLiteral("printLastReceiptCopy"), &lastReceiptCopyTask},
        {QStringLiteral("printFnDocument"), &printFnDocumentTask},
        {QStringLiteral("printDocumentsFromJournal"), &journalTask},
        {QStringLiteral("openCashDrawer"), &openDrawerTask},
        {QStringLiteral("setDateTime"), &setDateTimeTask},
        {QStringLiteral("getDeviceStatus"), &deviceStatusTask},
        {QStringLiteral("getDeviceInfo"), &deviceInfoTask},
        {QStringLiteral("getShiftStatus"), &shiftStatusTask},
        {QStringLiteral("getShiftTotals"), &shiftTotalsTask},
        {QStringLiteral("getOverallTotals"), &overallTotalsTask},
        {QStringLiteral("getCashDrawerStatus"), &cashDrawerTask},
        {QStringLiteral("getLicenses"), &licensesTask},
        {QStringLiteral("beginMarkingCodeValidation"), &beginMarkingTask},
        {QStringLiteral("getMarkingCodeValidationStatus"), &markingStatusTask},
        {QStringLiteral("checkMarkingCodeValidationsReady"), &markingReadyTask},
        {QStringLiteral("acceptMarkingCode"), &acceptMarkingTask},
        {QStringLiteral("declineMarkingCode"), &markingDoneTask},
        {QStringLiteral("cancelMarkingCodeValidation"), &markingDoneTask},
        {QStringLiteral("clearMarkingCodeValidationResult"), &markingDoneTask},
        {QStringLiteral("validateMarks"), &markListTask},
        {QStringLiteral("addMarksToBuffer"), &markListTask},
        {QStringLiteral("pingIsm"), &pingIsmTask},
    };
    return table;
}

// The request of processJson / validateJson, or the failure to read one.
std::optional<QJsonObject> requestOf(Call& c) {
    const auto d = QJsonDocument::fromJson(c.in(LIBFPTR_PARAM_JSON_DATA).toString().toUtf8());
    if (!d.isObject()) return std::nullopt;
    return d.object();
}

int doValidateJson(Call& c) {
    const auto request = requestOf(c);
    c.clearOut();
    if (!request) return c.fail(LIBFPTR_ERROR_INCORRECT_DATA);
    const CheckOutcome check = checkTask(*request, c.reg().ffd.fn);
    if (!check.hasCheck) return c.fail(LIBFPTR_ERROR_VALIDATE_FUNC_NOT_FOUND);
    if (!check.error.isEmpty()) return c.fail(k(LIBFPTR_ERROR_RECEIPT_PARSE_ERROR), check.error);
    return c.ok();
}

}  // namespace

std::optional<int> runTask(Call& c, const QJsonObject& request) {
    if (!request.contains(QStringLiteral("type")))
        return c.fail(k(LIBFPTR_ERROR_RECEIPT_PARSE_ERROR),
                      QStringLiteral("Поле \"type\" отсутствует"));
    const CheckOutcome check = checkTask(request, c.reg().ffd.fn);
    if (!check.error.isEmpty()) return c.fail(k(LIBFPTR_ERROR_RECEIPT_PARSE_ERROR), check.error);
    const Handler handler = handlers().value(request.value(QStringLiteral("type")).toString());
    if (!handler) return std::nullopt;
    Task task(c, request);
    return handler(task);
}

void addJsonTaskOperations(OperationTable& t) {
    t.insert(drv::members::validateJson, {&doValidateJson, true, false});
}

}  // namespace emu::json
