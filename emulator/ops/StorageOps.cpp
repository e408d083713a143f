// The fiscal storage: typed storage queries (fnQueryData) and the JSON tasks (processJson),
// documents of the archive among them.
#include <QJsonDocument>

#include "driver/ValueText.h"
#include "emulator/json/JsonTasks.h"
#include "emulator/ops/Call.h"

namespace emu {
namespace {

using namespace drv::names;

void outDocument(Call& c, const DocumentFacts& d) {
    c.out(LIBFPTR_PARAM_DOCUMENT_NUMBER, d.number);
    c.out(LIBFPTR_PARAM_FISCAL_SIGN, d.fiscalSign);
    c.out(LIBFPTR_PARAM_HAS_OFD_TICKET, d.ticket);
    c.out(LIBFPTR_PARAM_DATE_TIME, c.reg().wallTime(drv::parseIsoDateTime(d.momentText)));
    c.out(LIBFPTR_PARAM_RECEIPT_SUM, d.sum);
    c.out(LIBFPTR_PARAM_RECEIPT_TYPE, d.calculationSign);
}

// The document number asked for; nullopt for anything but a number (Call::inNumber).
std::optional<int> documentNumber(const Call& c) {
    const auto n = c.inNumber(LIBFPTR_PARAM_DOCUMENT_NUMBER);
    if (!n || *n < 0 || *n > std::numeric_limits<int>::max()) return std::nullopt;
    return int(*n);
}

int doFnQueryData(Call& c) {
    Register& r = c.reg();
    const int type = c.inInt(LIBFPTR_PARAM_FN_DATA_TYPE, -1);
    const bool numberGiven = c.has(LIBFPTR_PARAM_DOCUMENT_NUMBER);
    const auto wanted = documentNumber(c);
    c.clearOut();
    if (!r.flags.fnPresent) return c.fail(LIBFPTR_ERROR_FN_NOT_FOUND);
    if (type == k(LIBFPTR_FNDT_FFD_VERSIONS)) {
        c.out(LIBFPTR_PARAM_DEVICE_FFD_VERSION, r.ffd.device);
        c.out(LIBFPTR_PARAM_DEVICE_MAX_FFD_VERSION, r.ffd.deviceMax);
        c.out(LIBFPTR_PARAM_DEVICE_MIN_FFD_VERSION, r.ffd.deviceMin);
        c.out(LIBFPTR_PARAM_FN_MAX_FFD_VERSION, r.ffd.fnMax);
        c.out(LIBFPTR_PARAM_FN_FFD_VERSION, r.ffd.fn);
    } else if (type == k(LIBFPTR_FNDT_REG_INFO)) {
        if (!r.flags.fnFiscal) return c.fail(LIBFPTR_ERROR_INVALID_MODE);
        for (auto i = r.registration.constBegin(); i != r.registration.constEnd(); ++i)
            c.outId(i.key(), i.value());
    } else if (type == k(LIBFPTR_FNDT_LAST_REGISTRATION)) {
        c.out(LIBFPTR_PARAM_DOCUMENT_NUMBER, r.lastRegistration.documentNumber);
        c.out(LIBFPTR_PARAM_REGISTRATIONS_COUNT, r.lastRegistration.registrationsCount);
        c.out(LIBFPTR_PARAM_DATE_TIME, r.wallTime(r.lastRegistration.moment));
    } else if (type == k(LIBFPTR_FNDT_FN_INFO)) {
        c.out(LIBFPTR_PARAM_SERIAL_NUMBER, r.storage.serial);
        c.out(LIBFPTR_PARAM_FN_KEYS_UPDATER_SERVER_URI, r.keysUpdaterServerUri);
    } else if (type == k(LIBFPTR_FNDT_FREE_MEMORY)) {
        c.out(LIBFPTR_PARAM_DOCUMENTS_COUNT, r.freeDocuments);
    } else if (type == k(LIBFPTR_FNDT_VALIDITY)) {
        c.out(LIBFPTR_PARAM_DATE_TIME, r.wallTime(r.storage.validity));
        c.out(LIBFPTR_PARAM_REGISTRATIONS_COUNT, r.storage.numberOfRegistrations);
    } else if (type == k(LIBFPTR_FNDT_OFD_EXCHANGE_STATUS)) {
        const auto notSent = r.notSent();
        c.out(LIBFPTR_PARAM_DOCUMENTS_COUNT, notSent.count);
        c.out(LIBFPTR_PARAM_DOCUMENT_NUMBER, notSent.firstNumber);
        c.out(LIBFPTR_PARAM_DATE_TIME, r.wallTime(notSent.firstMoment));
    } else if (type == k(LIBFPTR_FNDT_DOCUMENT_BY_NUMBER)) {
        const auto number = wanted;
        if (!number)
            return c.fail(numberGiven ? LIBFPTR_ERROR_INVALID_PARAM
                                      : LIBFPTR_ERROR_NO_REQUIRED_PARAM);
        const auto facts = r.archive.facts(*number);
        if (!facts) return c.fail(LIBFPTR_ERROR_FN_NO_MORE_DATA);
        outDocument(c, *facts);
    } else if (type == k(LIBFPTR_FNDT_LAST_DOCUMENT) || type == k(LIBFPTR_FNDT_LAST_RECEIPT)) {
        const int n = type == k(LIBFPTR_FNDT_LAST_DOCUMENT) ? r.archive.lastAvailableNumber()
                                                            : r.archive.lastReceiptNumber();
        const auto facts = n > 0 ? r.archive.facts(n) : std::nullopt;
        if (!facts) return c.fail(LIBFPTR_ERROR_FN_NO_MORE_DATA);
        outDocument(c, *facts);
    } else if (type == k(LIBFPTR_FNDT_SHIFT)) {
        c.out(LIBFPTR_PARAM_SHIFT_NUMBER, r.shift.number);
        c.out(LIBFPTR_PARAM_RECEIPT_NUMBER, r.shift.receipts);
    } else {
        return c.fail(LIBFPTR_ERROR_INVALID_PARAM);
    }
    return c.ok();
}

QString compact(const QJsonObject& o) {
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

int doProcessJson(Call& c) {
    Register& r = c.reg();
    const int jsonParam = k(LIBFPTR_PARAM_JSON_DATA);
    const QString requestText = c.in(LIBFPTR_PARAM_JSON_DATA).toString();
    c.clearOut();
    const auto answer = [&](const QJsonObject& o) {
        c.outId(jsonParam, compact(o));
        return c.ok();
    };
    const auto request = QJsonDocument::fromJson(requestText.toUtf8());
    if (!request.isObject()) return c.fail(LIBFPTR_ERROR_INCORRECT_DATA);
    const QString type = request.object().value(QStringLiteral("type")).toString();
    // A bench may give a task's answer text as it stands (empty, or not JSON at all).
    if (const auto raw = r.jsonAnswers.constFind(type); raw != r.jsonAnswers.constEnd()) {
        c.outId(jsonParam, *raw);
        return c.ok();
    }
    if (const auto handled = json::runTask(c, request.object())) return *handled;
    const bool storageTask =
        type == QLatin1String("getRegistrationInfo") || type == QLatin1String("getFnInfo") ||
        type == QLatin1String("getFnStatus") || type == QLatin1String("ofdExchangeStatus") ||
        type == QLatin1String("getFnDocument");
    if (storageTask && !r.flags.fnPresent) {
        c.outId(jsonParam, QString());
        return c.fail(LIBFPTR_ERROR_FN_NOT_FOUND);
    }
    if (type == QLatin1String("getFnInfo")) return answer({{QStringLiteral("fnInfo"), r.fnInfo}});
    if (type == QLatin1String("getFnStatus")) {
        QJsonObject status = r.fnStatus;
        if (const int last = r.archive.lastNumber(); last > 0)
            status.insert(QStringLiteral("fiscalDocumentNumber"), last);
        if (const auto receipt = r.archive.document(r.archive.lastReceiptNumber()))
            status.insert(QStringLiteral("fiscalReceiptNumber"),
                          receipt->value(QStringLiteral("1042")));
        return answer({{QStringLiteral("fnStatus"), status}});
    }
    if (type == QLatin1String("ofdExchangeStatus")) return answer(r.ofdExchangeAnswer());
    if (type == QLatin1String("getRegistrationInfo")) return answer(r.registrationInfo);
    if (type == QLatin1String("getFnDocument")) {
        const QJsonValue wanted = request.object().value(QStringLiteral("fiscalDocumentNumber"));
        if (wanted.isUndefined()) return c.fail(LIBFPTR_ERROR_NO_REQUIRED_PARAM);
        const double n = wanted.toDouble(-1);
        if (!wanted.isDouble() || n < 0 || n > std::numeric_limits<int>::max() || n != int(n))
            return c.fail(LIBFPTR_ERROR_INVALID_PARAM);
        const auto document = r.archive.document(int(n));
        if (!document) {
            c.outId(jsonParam, QString());
            return c.fail(LIBFPTR_ERROR_FN_NO_MORE_DATA);
        }
        return answer({{QStringLiteral("documentTLV"), *document}});
    }
    return c.fail(LIBFPTR_ERROR_NOT_SUPPORTED);
}

}  // namespace

void addStorageOperations(OperationTable& t) {
    t.insert(drv::members::fnQueryData, {&doFnQueryData, true, false});
    t.insert(drv::members::processJson, {&doProcessJson, true, false});
}

}  // namespace emu
