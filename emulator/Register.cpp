#include "emulator/Register.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <limits>

#include "driver/ValueText.h"
#include "emulator/Constants.h"
#include "emulator/JsonReader.h"

namespace emu {
namespace {

constexpr qint64 kIntMax = std::numeric_limits<qint32>::max();
constexpr qint64 kIntMin = std::numeric_limits<qint32>::min();
// A pause per driver call above this is refused: it would only freeze the window.
constexpr qint64 kMaxLatencyMs = 10000;

QVariant typedTag(const JsonReader& r, const QString& key, const QJsonValue& v) {
    if (v.isBool()) return v.toBool();
    if (v.isString()) return v.toString();
    if (v.isDouble()) {
        if (const auto n = integralValue(v, kIntMin, kIntMax)) return int(*n);
        return v.toDouble();
    }
    r.fail(key, QStringLiteral("ожидается число, строка или true/false"));
}

int utcOffsetOf(const JsonReader& r) {
    const QString text = r.string("utcOffset", QStringLiteral("+03:00"));
    static const QRegularExpression re(QStringLiteral("^([+-])(\\d\\d):(\\d\\d)$"));
    const auto m = re.match(text);
    if (!m.hasMatch() || m.captured(2).toInt() > 14 || m.captured(3).toInt() > 59)
        r.fail(QStringLiteral("utcOffset"), QStringLiteral("ожидается смещение вида +03:00"));
    const int secs = m.captured(2).toInt() * 3600 + m.captured(3).toInt() * 60;
    return m.captured(1) == QLatin1String("-") ? -secs : secs;
}

// Documents listed as they stand; a type, short mark or QR content given beside documentTLV
// (as older bench files do) is moved into it, where the driver answers it.
void readListedDocuments(const JsonReader& fn, FiscalArchive& archive) {
    const QJsonArray docs = fn.array("documents");
    QSet<int> seen;
    for (int i = 0; i < docs.size(); ++i) {
        const JsonReader d = fn.element(docs, "documents", i);
        const JsonReader tlvReader = d.child("documentTLV");
        if (!d.has("documentTLV"))
            d.fail(QStringLiteral("documentTLV"), QStringLiteral("нет объекта documentTLV"));
        const auto number = tlvReader.optionalInteger("1040", 1, 99999999);
        if (!number) tlvReader.fail(QStringLiteral("1040"), QStringLiteral("нет номера документа"));
        if (seen.contains(int(*number)))
            tlvReader.fail(QStringLiteral("1040"),
                           QStringLiteral("документ %1 указан дважды").arg(*number));
        seen.insert(int(*number));
        if (const auto sign = tlvReader.optionalString("1077")) {
            static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]+$"));
            if (!hex.match(*sign).hasMatch())
                tlvReader.fail(QStringLiteral("1077"),
                               QStringLiteral("ожидается шестнадцатеричный текст"));
        }
        tlvReader.moment("1012");
        QJsonObject tlv = tlvReader.object();
        for (const char* key : {"fiscalDocumentType", "short", "qr"}) {
            const QString k = QLatin1String(key);
            if (d.has(key) && !tlv.contains(k)) tlv.insert(k, d.object().value(k));
        }
        std::optional<bool> ticket;
        if (d.has("ofdTicket")) ticket = d.boolean("ofdTicket", true);
        archive.list(int(*number), tlv, ticket);
    }
}

// The receipt left open in the register: its items and payments; a sum, remainder or change
// the bench does not give follows from them.
void readReceipt(const JsonReader& receipt, OpenReceipt& out) {
    out.type = int(receipt.integer("type", 0, 0, 1000));
    out.number = int(receipt.integer("number", 0, 0, kIntMax));
    out.documentNumber = int(receipt.integer("documentNumber", 0, 0, kIntMax));
    const QJsonArray items = receipt.array("items");
    double itemsSum = 0;
    for (int i = 0; i < items.size(); ++i) {
        const JsonReader it = receipt.element(items, "items", i);
        ReceiptItem item;
        item.name = it.string("name");
        item.price = it.number("price", 0);
        item.quantity = it.number("quantity", 1);
        if (item.price < 0 || item.quantity <= 0)
            it.failHere(QStringLiteral("ожидается цена не меньше 0 и количество больше 0"));
        item.sum = it.number("sum", roundedMoney(item.price * item.quantity));
        itemsSum += item.sum;
        out.items.append(item);
    }
    const QJsonArray payments = receipt.array("payments");
    double paid = 0;
    for (int i = 0; i < payments.size(); ++i) {
        const JsonReader p = receipt.element(payments, "payments", i);
        ReceiptPayment payment;
        const int cash = k(drv::names::LIBFPTR_PT_CASH);
        payment.type = int(p.integer("type", cash, cash, k(drv::names::LIBFPTR_PT_10)));
        payment.sum = p.number("sum", 0);
        if (payment.sum <= 0)
            p.fail(QStringLiteral("sum"), QStringLiteral("ожидается сумма больше 0"));
        paid += payment.sum;
        out.payments.append(payment);
    }
    out.sum = receipt.number("sum", roundedMoney(itemsSum));
    // change is given out of cash only: a receipt paid beyond its sum by other means can't be
    double otherThanCash = 0;
    for (const auto& p : out.payments)
        if (p.type != k(drv::names::LIBFPTR_PT_CASH)) otherThanCash += p.sum;
    if (roundedMoney(otherThanCash) > roundedMoney(out.sum))
        receipt.fail(QStringLiteral("payments"),
                     QStringLiteral("безналичная оплата больше суммы чека"));
    out.remainder = receipt.number("remainder", roundedMoney(std::max(0.0, out.sum - paid)));
    out.change = receipt.number("change", roundedMoney(std::max(0.0, paid - out.sum)));
}

// The receipt type of an archived receipt, correction or BSO (by its 1054).
int receiptTypeOf(const QJsonObject& tlv) {
    using namespace drv::names;
    const bool correction =
        tlv.value(QStringLiteral("fiscalDocumentType")).toString().endsWith(u"orrection");
    switch (tlv.value(QStringLiteral("1054")).toInt()) {
        case 1:
            return k(correction ? LIBFPTR_RT_SELL_CORRECTION : LIBFPTR_RT_SELL);
        case 2:
            return k(correction ? LIBFPTR_RT_SELL_RETURN_CORRECTION : LIBFPTR_RT_SELL_RETURN);
        case 3:
            return k(correction ? LIBFPTR_RT_BUY_CORRECTION : LIBFPTR_RT_BUY);
        default:
            return k(correction ? LIBFPTR_RT_BUY_RETURN_CORRECTION : LIBFPTR_RT_BUY_RETURN);
    }
}

// The open shift's receipt counts and payment sums as its archived receipts give them.
void countOpenShift(const FiscalArchive& archive, Counters& counters) {
    using namespace drv::names;
    for (int n = archive.lastNumber(); n > 0; --n) {
        const auto tlv = archive.document(n);
        if (!tlv) break;
        const QString kind = tlv->value(QStringLiteral("fiscalDocumentType")).toString();
        if (kind == u"openShift") break;
        if (!FiscalArchive::isReceiptType(kind)) continue;
        const int type = receiptTypeOf(*tlv);
        counters.receiptCount[type] += 1;
        const std::pair<const char*, const char*> payments[] = {
            {"1031", LIBFPTR_PT_CASH}, {"1081", LIBFPTR_PT_ELECTRONICALLY}};
        for (const auto& [tag, paymentType] : payments) {
            const double sum = tlv->value(QLatin1String(tag)).toDouble();
            if (sum == 0) continue;
            const QString key = QStringLiteral("%1/%2").arg(type).arg(k(paymentType));
            counters.paymentSum[key] = roundedMoney(counters.paymentSum.value(key) + sum);
        }
    }
}

}  // namespace

double roundedMoney(double roubles) {
    return std::round(roubles * 100.0) / 100.0;
}

int ffdFormatCode(int value) {
    switch (value) {
        case 100:
            return 1;
        case 105:
            return 2;
        case 110:
            return 3;
        case 120:
            return 4;
        default:
            return value;
    }
}

QDateTime Register::wallTime(const QDateTime& moment) const {
    if (!moment.isValid()) return {};
    const QDateTime own = moment.toOffsetFromUtc(utcOffsetSeconds);
    return QDateTime(own.date(), own.time());
}

QDateTime Register::momentOfWall(const QDateTime& wall) const {
    if (!wall.isValid()) return {};
    return QDateTime(wall.date(), wall.time(), Qt::OffsetFromUTC, utcOffsetSeconds);
}

Register::NotSent Register::notSent() const {
    NotSent n{archive.notSent(), storage.notSentFirstDocNumber, storage.notSentFirstDocDateTime};
    if (const auto first = archive.facts(archive.firstNotSent())) {
        n.firstNumber = first->number;
        n.firstMoment = drv::parseIsoDateTime(first->momentText);
    }
    return n;
}

QJsonObject Register::ofdExchangeAnswer() const {
    QJsonObject exchange = ofdExchange;
    QJsonObject status = exchange.value(QStringLiteral("status")).toObject();
    const NotSent n = notSent();
    status.insert(QStringLiteral("notSentCount"), n.count);
    if (n.firstNumber > 0) {
        status.insert(QStringLiteral("notSentFirstDocNumber"), n.firstNumber);
        status.insert(
            QStringLiteral("notSentFirstDocDateTime"),
            ArchiveGenerator::isoMoment(n.firstMoment.toSecsSinceEpoch(), utcOffsetSeconds));
    }
    exchange.insert(QStringLiteral("status"), status);
    return exchange;
}

QString Register::momentNow() const {
    return ArchiveGenerator::isoMoment(clock().toSecsSinceEpoch(), utcOffsetSeconds);
}

std::shared_ptr<Register> Register::read(const JsonReader& r) {
    auto reg = std::make_shared<Register>();
    Register& g = *reg;
    g.com = r.string("com");
    g.device = r.string("device");
    g.ip = r.string("ip");
    if (g.com.isEmpty() && g.ip.isEmpty()) r.failHere(QStringLiteral("нужен \"com\" или \"ip\""));
    g.ipPort = int(r.integer("ipPort", 5555, 1, 65535));
    if (r.has("usb")) g.usb = r.boolean("usb", false);
    g.offline = r.boolean("offline", false);
    if (const auto latency = r.optionalInteger("latencyMs", 0, kMaxLatencyMs))
        g.latencyMs = int(*latency);
    g.utcOffsetSeconds = utcOffsetOf(r);

    g.model = r.string("model");
    g.serial = r.string("serial");
    const JsonReader units = r.child("units");
    const char* unitKeys[] = {"firmware", "configuration", "templates", "controlUnit", "boot"};
    for (int i = 0; i < 5; ++i) g.units.version[i] = units.optionalString(unitKeys[i]);
    g.units.configurationRelease = units.string("configurationRelease");
    g.platform = r.string("platform", g.units.version[1].value_or(QString()).startsWith('5')
                                          ? QStringLiteral("5")
                                          : QStringLiteral("3"));
    g.scriptName = r.string("scriptName");
    const JsonReader volts = r.child("voltages");
    const char* sources[] = {"powerSupply", "rtcBattery", "battery"};
    for (int i = 0; i < 3; ++i)
        if (volts.has(sources[i])) g.voltages[i] = volts.number(sources[i], 0);
    g.mac = r.string("mac");
    g.wifi = int(r.integer("wifi", -1, kIntMin, kIntMax));

    const JsonReader flags = r.child("flags");
    g.flags.fiscal = flags.boolean("fiscal", false);
    g.flags.fnPresent = flags.boolean("fnPresent", true);
    g.flags.fnFiscal = flags.boolean("fnFiscal", false);
    g.flags.coverOpened = flags.boolean("coverOpened", false);
    g.flags.paperPresent = flags.boolean("paperPresent", true);
    g.flags.cutError = flags.boolean("cutError", false);
    g.flags.printerOverheat = flags.boolean("printerOverheat", false);
    g.flags.blocked = flags.boolean("blocked", false);

    const JsonReader ffd = r.child("ffd");
    g.ffd.device = int(ffd.integer("device", 0, 0, 1000));
    g.ffd.deviceMax = int(ffd.integer("deviceMax", 0, 0, 1000));
    g.ffd.deviceMin = int(ffd.integer("deviceMin", 0, 0, 1000));
    g.ffd.fnMax = int(ffd.integer("fnMax", 0, 0, 1000));
    g.ffd.fn = int(ffd.integer("fn", 0, 0, 1000));

    const JsonReader shift = r.child("shift");
    g.shift.state = int(shift.integer("state", 0, 0, 2));
    g.shift.number = int(shift.integer("number", 0, 0, kIntMax));
    g.shift.receipts = int(shift.integer("receipts", 0, 0, kIntMax));
    g.shift.expiresAt = shift.moment("expiresAt");

    const JsonReader receipt = r.child("receipt");
    readReceipt(receipt, g.receipt);

    const JsonReader nonNullable = r.child("nonNullableSum");
    for (auto it = nonNullable.object().begin(); it != nonNullable.object().end(); ++it) {
        bool ok = false;
        const int type = it.key().toInt(&ok);
        if (!ok) nonNullable.fail(it.key(), QStringLiteral("ожидается тип чека числом"));
        g.nonNullableSum.insert(type, nonNullable.number(it.key().toUtf8().constData(), 0));
    }

    const JsonReader counters = r.child("counters");
    g.counters.cashSum = counters.number("cashSum", 0);
    g.counters.cashInSum = counters.number("cashInSum", 0);
    g.counters.cashOutSum = counters.number("cashOutSum", 0);
    g.counters.cashInCount = int(counters.integer("cashInCount", 0, 0, kIntMax));
    g.counters.cashOutCount = int(counters.integer("cashOutCount", 0, 0, kIntMax));
    const JsonReader receiptCount = counters.child("receiptCount");
    for (auto it = receiptCount.object().begin(); it != receiptCount.object().end(); ++it)
        g.counters.receiptCount.insert(
            it.key().toInt(),
            int(receiptCount.integer(it.key().toUtf8().constData(), 0, 0, kIntMax)));
    const JsonReader paymentSum = counters.child("paymentSum");
    for (auto it = paymentSum.object().begin(); it != paymentSum.object().end(); ++it)
        g.counters.paymentSum.insert(it.key(), paymentSum.number(it.key().toUtf8().constData(), 0));

    g.clockOffsetSeconds = r.integer("clockOffsetSeconds", 0, -(qint64(1) << 40), qint64(1) << 40);
    g.lineLength = int(r.integer("lineLength", 48, 1, 500));

    const QJsonArray licenses = r.array("licenses");
    for (int i = 0; i < licenses.size(); ++i) {
        const JsonReader l = r.element(licenses, "licenses", i);
        g.licenses.append({int(l.integer("number", 0, 0, kIntMax)), l.string("name"),
                           l.moment("from"), l.moment("until")});
    }

    const JsonReader registration = r.child("registration");
    for (auto it = registration.object().begin(); it != registration.object().end(); ++it) {
        bool ok = false;
        const int tag = it.key().toInt(&ok);
        if (!ok || tag <= 0) registration.fail(it.key(), QStringLiteral("ожидается номер тега"));
        g.registration.insert(tag, typedTag(registration, it.key(), it.value()));
    }
    // The driver reads 1209 as the format code (2 FFD 1.05, 3 FFD 1.1, 4 FFD 1.2).
    if (g.registration.contains(1209))
        g.registration[1209] = ffdFormatCode(g.registration.value(1209).toInt());
    g.registrationInfo = r.child("registrationInfo").object();

    const JsonReader fn = r.child("fn");
    g.fnInfo = fn.child("info").object();
    g.fnStatus = fn.child("status").object();
    g.ofdExchange = fn.child("ofdExchange").object();
    g.keysUpdaterServerUri = fn.string("keysUpdaterServerUri");
    g.freeDocuments = int(fn.integer("freeDocuments", 0, 0, kIntMax));
    const JsonReader last = fn.child("lastRegistration");
    g.lastRegistration = {int(last.integer("documentNumber", 0, 0, kIntMax)),
                          int(last.integer("registrationsCount", 0, 0, kIntMax)),
                          last.moment("dateTime")};
    // the typed queries read these answers; a value of an odd type (a bench may give answers
    // as broken as a register's) reads as empty
    const auto exchange = g.ofdExchange.value(QStringLiteral("status")).toObject();
    const auto moment = [](const QJsonValue& v) { return drv::parseIsoDateTime(v.toString()); };
    const auto count = [](const QJsonValue& v) {
        return int(integralValue(v, 0, kIntMax).value_or(0));
    };
    g.storage = {g.fnInfo.value(QStringLiteral("serial")).toString(),
                 moment(g.fnInfo.value(QStringLiteral("validityDate"))),
                 count(g.fnInfo.value(QStringLiteral("numberOfRegistrations"))),
                 count(exchange.value(QStringLiteral("notSentCount"))),
                 count(exchange.value(QStringLiteral("notSentFirstDocNumber"))),
                 moment(exchange.value(QStringLiteral("notSentFirstDocDateTime")))};
    readListedDocuments(fn, g.archive);
    const auto reported =
        integralValue(g.fnStatus.value(QStringLiteral("fiscalDocumentNumber")), 0, 99999999);
    g.archive.setReportedLast(int(reported.value_or(0)));
    g.archive.setNotSent(g.storage.notSentCount);
    if (fn.has("archive")) {
        const JsonReader a = fn.child("archive");
        const ArchiveSpec spec = ArchiveSpec::read(a);
        g.archive.setSeed(spec.seed);
        ArchiveIdentity id;
        const auto tag = [&g](int t, const QString& fallback) {
            const QVariant v = g.registration.value(t);
            return v.isValid() ? v.toString() : fallback;
        };
        id.inn = tag(1018, id.inn);
        id.registrationNumber = tag(1037, id.registrationNumber);
        id.user = tag(1048, id.user);
        id.address = tag(1009, id.address);
        id.place = tag(1187, id.place);
        id.fnsSite = tag(1060, id.fnsSite);
        id.email = tag(1117, id.email);
        id.taxSystems = g.registration.value(1062, id.taxSystems).toInt();
        id.formatCode = g.registration.contains(1209)
                            ? g.registration.value(1209).toInt()
                            : (g.ffd.device ? ffdFormatCode(g.ffd.device) : id.formatCode);
        if (!g.storage.serial.isEmpty()) id.fnSerial = g.storage.serial;
        if (!g.serial.isEmpty()) id.deviceSerial = g.serial;
        id.utcOffsetSeconds = g.utcOffsetSeconds;
        g.archive.setGenerator(std::make_unique<ArchiveGenerator>(spec, id));
        // The register stands where its archive ends; an expiry or registration the bench gives
        // (it may list documents that stand for generated ones) is kept.
        const auto& end = g.archive.generator()->endState();
        if (end.lastShift > 0) {
            g.shift.number = end.lastShift;
            g.shift.state = end.shiftOpen ? 1 : 0;
            g.shift.receipts = end.shiftOpen ? end.receiptsInLastShift : 0;
            if (!shift.has("expiresAt"))
                g.shift.expiresAt =
                    QDateTime::fromSecsSinceEpoch(end.lastShiftOpened + 24 * 3600, Qt::UTC);
            if (end.shiftOpen && !counters.has("receiptCount") && !counters.has("paymentSum"))
                countOpenShift(g.archive, g.counters);
        }
        if (!fn.has("lastRegistration"))
            g.lastRegistration = {
                end.lastRegistrationNumber, end.registrations,
                QDateTime::fromSecsSinceEpoch(end.lastRegistrationMoment, Qt::UTC)};
    }
    const JsonReader answers = r.child("jsonAnswers");
    for (auto it = answers.object().begin(); it != answers.object().end(); ++it) {
        if (!it.value().isString()) answers.fail(it.key(), QStringLiteral("ожидается строка"));
        g.jsonAnswers.insert(it.key(), it.value().toString());
    }

    const QString base = r.string("settingsBase", QStringLiteral("platform"));
    if (base == QLatin1String("platform"))
        g.settings = SettingsStore::forPlatform(g.platform);
    else if (base != QLatin1String("none"))
        r.fail(QStringLiteral("settingsBase"),
               QStringLiteral("ожидается \"platform\" или \"none\""));
    g.settings.merge(SettingsStore::parse(r.array("settings"), r.pathOf(QStringLiteral("settings")),
                                          r.source(), false));
    const QJsonArray writeErrors = r.array("settingWriteErrors");
    for (int i = 0; i < writeErrors.size(); ++i) {
        const JsonReader e = r.element(writeErrors, "settingWriteErrors", i);
        SettingWriteFailure f;
        f.id = int(e.integer("id", -1, 0, 65535));
        if (f.id < 0) e.fail(QStringLiteral("id"), QStringLiteral("нет идентификатора настройки"));
        f.code =
            int(e.integer("code", k(drv::names::LIBFPTR_ERROR_INVALID_SETTING_VALUE), 1, 100000));
        f.description = e.string("description", errorText(f.code));
        f.fromCall = int(e.integer("fromCall", 1, 1, kIntMax));
        f.times = int(e.integer("times", 0, 0, kIntMax));
        g.settings.addWriteFailure(f);
    }

    g.pictures =
        PictureStore(g.isP5() ? PictureStore::Model::SingleCliche : PictureStore::Model::Numbered);
    const QJsonArray pictures = r.array("pictures");
    for (int i = 0; i < pictures.size(); ++i) {
        const JsonReader p = r.element(pictures, "pictures", i);
        g.pictures.declare(int(p.integer("number", i, 0, 10)),
                           int(p.integer("width", 0, 0, PictureStore::kMaxWidth)),
                           int(p.integer("height", 0, 0, PictureStore::kMaxHeight)));
    }
    const QJsonArray footer = r.array("footer");
    for (int i = 0; i < footer.size(); ++i) {
        if (!footer[i].isString())
            r.fail(QStringLiteral("footer[%1]").arg(i), QStringLiteral("ожидается строка"));
        g.footerLines.append(footer[i].toString());
    }

    const QJsonArray errors = r.array("errors");
    for (int i = 0; i < errors.size(); ++i) {
        const JsonReader e = r.element(errors, "errors", i);
        InjectedError inj;
        inj.method = e.string("method");
        if (inj.method.isEmpty()) e.fail(QStringLiteral("method"), QStringLiteral("нет метода"));
        inj.code = int(e.integer("code", 2, 1, 100000));
        inj.description = e.string("description");
        inj.fromCall = int(e.integer("fromCall", 1, 1, kIntMax));
        inj.times = int(e.integer("times", 0, 0, kIntMax));
        g.errors.append(inj);
    }
    g.interruptedDocument = int(r.integer("interruptedDocument", 0, 0, 99999999));
    // An open receipt without its numbers is the next receipt of the shift and the next document.
    if (g.receipt.type != 0) {
        if (!receipt.has("number")) g.receipt.number = g.shift.receipts + 1;
        if (!receipt.has("documentNumber")) g.receipt.documentNumber = g.archive.lastNumber() + 1;
    }
    g.journal = std::make_unique<PrintJournal>(g.serial);
    return reg;
}

}  // namespace emu
