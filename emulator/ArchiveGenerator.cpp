#include "emulator/ArchiveGenerator.h"

#include <QDateTime>
#include <QJsonArray>
#include <algorithm>
#include <cmath>

#include "emulator/Constants.h"
#include "emulator/JsonReader.h"

namespace emu {
namespace {

// Salts that keep the independent choices of one document apart.
enum Salt : quint64 {
    kSaltFiscalSign = 1,
    kSaltReceipts = 2,
    kSaltOpen = 3,
    kSaltClose = 4,
    kSaltReceipt = 5,
    kSaltExchange = 6,
};

quint64 mix(quint64 x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

quint64 hashOf(quint64 seed, quint64 value, quint64 salt) {
    return mix(mix(seed ^ (salt * 0xD6E8FEB86659FD93ull)) ^ value);
}

// A small sequential generator for the many choices inside one document.
struct Rng {
    quint64 state;
    quint64 next() {
        state += 0x9E3779B97F4A7C15ull;
        return mix(state);
    }
    // Uniform in [lo, hi].
    int range(int lo, int hi) { return lo + int(next() % quint64(hi - lo + 1)); }
    int percent() { return range(0, 99); }
};

enum class Vat { V20, V10, V0, None };

struct Product {
    const char* name;
    int minKopecks;
    int maxKopecks;
    Vat vat;
    int subject;  // 1212
    bool weight;  // sold by the kilogram
    bool marked;  // carries a product code (1162)
};

// What the generated shop sells. Some names are longer than any receipt line.
const Product kProducts[] = {
    {"Хлеб пшеничный", 3500, 6500, Vat::V10, 1, false, false},
    {"Молоко 3,2% 1 л", 7900, 11900, Vat::V10, 1, false, true},
    {"Кефир 2,5% 900 г", 6900, 9900, Vat::V10, 1, false, true},
    {"Сыр Российский", 59000, 89000, Vat::V10, 1, true, false},
    {"Яблоки Гренни Смит", 12900, 18900, Vat::V10, 1, true, false},
    {"Бананы", 9900, 14900, Vat::V10, 1, true, false},
    {"Картофель молодой", 4900, 8900, Vat::V10, 1, true, false},
    {"Колбаса докторская вареная высшего сорта в натуральной оболочке", 49000, 79000, Vat::V10, 1,
     true, false},
    {"Кофе молотый 250 г", 29900, 59900, Vat::V20, 1, false, false},
    {"Шоколад горький 70% 100 г", 8900, 15900, Vat::V20, 1, false, false},
    {"Вода минеральная газированная 1,5 л", 4500, 8900, Vat::V20, 1, false, true},
    {"Сигареты", 16000, 24000, Vat::V20, 2, false, true},
    {"Пиво светлое 0,5 л", 7900, 15900, Vat::V20, 2, false, true},
    {"Набор столовых приборов из нержавеющей стали на шесть персон, двадцать четыре предмета",
     149000, 399000, Vat::V20, 1, false, false},
    {"Кроссовки мужские", 299000, 899000, Vat::V20, 1, false, true},
    {"Пакет-майка", 500, 1500, Vat::V20, 1, false, false},
    {"Батарейка AA", 4900, 9900, Vat::V20, 1, false, false},
    {"Доставка", 19900, 49900, Vat::V20, 4, false, false},
    {"Сборка мебели", 99000, 299000, Vat::None, 3, false, false},
    {"Газета", 3000, 6000, Vat::V0, 1, false, false},
    {"Книга детская", 29900, 69900, Vat::V10, 1, false, false},
    {"Лекарственный препарат", 15900, 45900, Vat::None, 1, false, true},
    {"Подарочная карта", 100000, 500000, Vat::None, 10, false, false},
    {"Услуга упаковки подарка", 15000, 30000, Vat::None, 4, false, false},
};
constexpr int kProductCount = int(sizeof(kProducts) / sizeof(kProducts[0]));

const char* const kCashiers[] = {"Иванова А. П.", "Петров С. В.", "Сидорова Е. Н.",
                                 "Кузнецов Д. А."};

QString hexBytes(Rng& rng, int bytes) {
    static const char digits[] = "0123456789ABCDEF";
    QString out;
    out.reserve(bytes * 2);
    for (int i = 0; i < bytes; ++i) {
        const int b = int(rng.next() & 0xff);
        out.append(QLatin1Char(digits[b >> 4]));
        out.append(QLatin1Char(digits[b & 15]));
    }
    return out;
}

double roubles(qint64 kopecks) {
    return double(kopecks) / 100.0;
}

QString moneyText(qint64 kopecks) {
    return QStringLiteral("%1.%2").arg(kopecks / 100).arg(kopecks % 100, 2, 10, QLatin1Char('0'));
}

qint64 floorDiv(qint64 a, qint64 b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// Part of an amount that is VAT at rate/(100+rate), in kopecks.
qint64 vatPart(qint64 kopecks, int rate) {
    return qint64(std::llround(double(kopecks) * rate / (100.0 + rate)));
}

}  // namespace

ArchiveCodes ArchiveCodes::published() {
    using namespace drv::names;
    return {k(LIBFPTR_TAX_VAT20), k(LIBFPTR_TAX_VAT10),  k(LIBFPTR_TAX_VAT0),
            k(LIBFPTR_TAX_NO),    k(LIBFPTR_TAX_VAT120), k(LIBFPTR_TAX_VAT110)};
}

ArchiveSpec ArchiveSpec::read(const JsonReader& r) {
    ArchiveSpec s;
    s.size = int(r.integer("size", 0, 0, kMaxSize));
    const QString day = r.string("startDay", QStringLiteral("2023-03-14"));
    s.startDay = QDate::fromString(day, Qt::ISODate);
    if (!s.startDay.isValid() || day.size() != 10)
        r.fail(QStringLiteral("startDay"), QStringLiteral("ожидается дата ГГГГ-ММ-ДД"));
    s.shiftsPerDay = int(r.integer("shiftsPerDay", 1, 1, 4));
    const QJsonValue receipts = r.object().value(QLatin1String("receiptsPerShift"));
    if (receipts.isArray()) {
        const QJsonArray a = receipts.toArray();
        const auto lo = a.size() == 2 ? integralValue(a[0], 0, kMaxReceiptsPerShift) : std::nullopt;
        const auto hi = a.size() == 2 ? integralValue(a[1], 0, kMaxReceiptsPerShift) : std::nullopt;
        s.receiptsMin = int(lo.value_or(-1));
        s.receiptsMax = int(hi.value_or(-1));
        if (s.receiptsMin < 0 || s.receiptsMax < s.receiptsMin)
            r.fail(QStringLiteral("receiptsPerShift"),
                   QStringLiteral("ожидается число или [наименьшее, наибольшее] от 0 до %1")
                       .arg(kMaxReceiptsPerShift));
    } else if (!receipts.isUndefined()) {
        s.receiptsMin = s.receiptsMax =
            int(r.integer("receiptsPerShift", 0, 0, kMaxReceiptsPerShift));
    }
    if (r.has("daysWithoutShift")) {
        s.daysWithoutShift.clear();
        const QJsonArray days = r.array("daysWithoutShift");
        for (const auto& d : days) {
            const int weekday = int(integralValue(d, 1, 7).value_or(0));
            if (weekday == 0)
                r.fail(QStringLiteral("daysWithoutShift"),
                       QStringLiteral("ожидаются дни недели от 1 (понедельник) до 7"));
            if (!s.daysWithoutShift.contains(weekday)) s.daysWithoutShift.append(weekday);
        }
        if (s.daysWithoutShift.size() == 7)
            r.fail(QStringLiteral("daysWithoutShift"),
                   QStringLiteral("нужен хотя бы один день со сменой"));
    }
    s.shortBelow = int(r.integer("shortBelow", 0, 0, kMaxSize + 1));
    s.seed = quint64(r.integer("seed", 1, 0, std::numeric_limits<qint32>::max()));
    s.exchangeReportEvery = int(r.integer("exchangeReportEvery", 5, 0, 1000));
    s.reregistrationEveryDays = int(r.integer("reregistrationEveryDays", 0, 0, 100000));
    return s;
}

ArchiveGenerator::ArchiveGenerator(const ArchiveSpec& spec, const ArchiveIdentity& identity)
    : spec_(spec), identity_(identity), codes_(ArchiveCodes::published()) {
    layOut();
}

QString ArchiveGenerator::isoMoment(qint64 secs, int utcOffsetSeconds) {
    const qint64 local = secs + utcOffsetSeconds;
    const qint64 days = floorDiv(local, 86400);
    const qint64 sod = local - days * 86400;
    const QDate d = QDate(1970, 1, 1).addDays(days);
    const int off = std::abs(utcOffsetSeconds) / 60;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", d.year(), d.month(),
                  d.day(), int(sod / 3600), int(sod / 60 % 60), int(sod % 60),
                  utcOffsetSeconds < 0 ? '-' : '+', off / 60, off % 60);
    return QString::fromLatin1(buf);
}

QString ArchiveGenerator::fiscalSignHex(quint64 seed, int number) {
    Rng rng{hashOf(seed, quint64(number), kSaltFiscalSign)};
    return hexBytes(rng, 6);
}

QString fiscalSignOfHex(const QString& hex) {
    const QString t = hex.trimmed();
    if (t.isEmpty()) return {};
    bool ok = false;
    const quint64 v = t.right(8).toULongLong(&ok, 16);
    if (!ok) return {};
    for (const QChar c : t)
        if (!c.isDigit() && !(c.toUpper() >= QLatin1Char('A') && c.toUpper() <= QLatin1Char('F')))
            return {};
    return QString::number(v);
}

void ArchiveGenerator::layOut() {
    size_ = spec_.size;
    blocks_.clear();
    end_ = {};
    if (size_ <= 0) return;
    const int offset = identity_.utcOffsetSeconds;
    // a local wall-clock time of `day` in seconds since the epoch
    const auto at = [offset](const QDate& day, int minutes) {
        return QDateTime(day, QTime(0, 0), Qt::UTC).toSecsSinceEpoch() - offset + minutes * 60;
    };
    const auto single = [this](Kind kind, int number, qint64 moment) {
        blocks_.push_back(Block{number, 1, moment, moment, 0, 0, kind, true});
    };
    single(Kind::Registration, 1, at(spec_.startDay, 8 * 60));
    end_.lastRegistrationMoment = blocks_.back().start;

    const int window = (23 - 8) * 60 / spec_.shiftsPerDay;  // minutes of one shift slot
    int next = 2;
    int shift = 0;
    QDate day = spec_.startDay;
    for (int dayIndex = 0; next <= size_; ++dayIndex, day = day.addDays(1)) {
        if (spec_.reregistrationEveryDays > 0 && dayIndex > 0 &&
            dayIndex % spec_.reregistrationEveryDays == 0) {
            single(Kind::Reregistration, next, at(day, 7 * 60 + 30));
            end_.lastRegistrationNumber = next;
            end_.lastRegistrationMoment = blocks_.back().start;
            ++end_.registrations;
            if (++next > size_) break;
        }
        if (spec_.daysWithoutShift.contains(day.dayOfWeek())) continue;
        for (int s = 0; s < spec_.shiftsPerDay && next <= size_; ++s) {
            ++shift;
            const int slotStart = 8 * 60 + s * window;
            const qint64 open =
                at(day, slotStart + int(hashOf(spec_.seed, quint64(shift), kSaltOpen) % 15));
            const qint64 close =
                at(day, slotStart + window - 20 -
                            int(hashOf(spec_.seed, quint64(shift), kSaltClose) % 15));
            int receipts = spec_.receiptsMin;
            if (spec_.receiptsMax > spec_.receiptsMin)
                receipts += int(hashOf(spec_.seed, quint64(shift), kSaltReceipts) %
                                quint64(spec_.receiptsMax - spec_.receiptsMin + 1));
            const int remaining = size_ - next + 1;
            Block b{next, receipts + 2, open, close, shift, receipts, Kind::OpenShift, true};
            if (b.count > remaining) {
                b.closed = false;
                b.receipts = remaining - 1;
                b.count = remaining;
            }
            blocks_.push_back(b);
            next += b.count;
            end_.receiptsTotal += b.receipts;
            if (b.receipts > 0) end_.lastReceiptNumber = b.first + b.receipts;
            if (b.closed && spec_.exchangeReportEvery > 0 &&
                shift % spec_.exchangeReportEvery == 0 && next <= size_)
                single(Kind::ExchangeStatus, next++, close + 120);
        }
    }
    for (auto it = blocks_.rbegin(); it != blocks_.rend(); ++it) {
        if (it->kind != Kind::OpenShift) continue;
        end_.lastShift = it->shift;
        end_.shiftOpen = !it->closed;
        end_.receiptsInLastShift = it->receipts;
        end_.lastShiftOpened = it->start;
        break;
    }
}

std::optional<ArchiveGenerator::Slot> ArchiveGenerator::locate(int number, int* steps) const {
    if (steps) *steps = 0;
    if (number < 1 || number > size_) return std::nullopt;
    // the last block whose first document is not after `number`
    size_t lo = 0, hi = blocks_.size();
    while (hi - lo > 1) {
        const size_t mid = lo + (hi - lo) / 2;
        if (steps) ++*steps;
        if (blocks_[mid].first <= number)
            lo = mid;
        else
            hi = mid;
    }
    const Block& b = blocks_[lo];
    Slot slot;
    slot.number = number;
    slot.shift = b.shift;
    slot.receiptsInShift = b.receipts;
    slot.moment = b.start;
    slot.kind = b.kind;
    if (b.kind == Kind::OpenShift) {
        const int offset = number - b.first;
        if (offset == 0) {
            slot.kind = Kind::OpenShift;
        } else if (offset <= b.receipts) {
            slot.kind = Kind::Receipt;
            slot.receiptInShift = offset;
            slot.moment = b.start + (b.end - b.start) * offset / (b.receipts + 1);
        } else {
            slot.kind = Kind::CloseShift;
            slot.moment = b.end;
        }
    }
    return slot;
}

std::optional<QJsonObject> ArchiveGenerator::document(int number) const {
    const auto slot = locate(number);
    if (!slot) return std::nullopt;
    const bool isShort = number < spec_.shortBelow;
    const ArchiveIdentity& id = identity_;
    QJsonObject t;
    t.insert(QStringLiteral("short"), isShort);
    t.insert(QStringLiteral("1012"), isoMoment(slot->moment, id.utcOffsetSeconds));
    t.insert(QStringLiteral("1040"), number);
    t.insert(QStringLiteral("1077"), fiscalSignHex(spec_.seed, number));
    const QString cashier =
        QString::fromUtf8(kCashiers[quint64(slot->shift) % (sizeof kCashiers / sizeof *kCashiers)]);
    const auto owner = [&](QJsonObject& o) {
        o.insert(QStringLiteral("1018"), id.inn);
        o.insert(QStringLiteral("1048"), id.user);
        o.insert(QStringLiteral("1009"), id.address);
        o.insert(QStringLiteral("1187"), id.place);
        o.insert(QStringLiteral("1037"), id.registrationNumber);
        o.insert(QStringLiteral("1041"), id.fnSerial);
    };
    switch (slot->kind) {
        case Kind::Registration:
        case Kind::Reregistration:
            t.insert(QStringLiteral("fiscalDocumentType"),
                     slot->kind == Kind::Registration
                         ? QStringLiteral("registration")
                         : QStringLiteral("changeRegistrationParameters"));
            if (isShort) break;
            owner(t);
            t.insert(QStringLiteral("1013"), id.deviceSerial);
            t.insert(QStringLiteral("1060"), id.fnsSite);
            t.insert(QStringLiteral("1062"), id.taxSystems);
            t.insert(QStringLiteral("1117"), id.email);
            t.insert(QStringLiteral("1209"), id.formatCode);
            t.insert(QStringLiteral("1021"), QString::fromUtf8(kCashiers[0]));
            if (slot->kind == Kind::Reregistration) t.insert(QStringLiteral("1101"), 4);
            break;
        case Kind::OpenShift:
            t.insert(QStringLiteral("fiscalDocumentType"), QStringLiteral("openShift"));
            t.insert(QStringLiteral("1038"), slot->shift);
            if (isShort) break;
            owner(t);
            t.insert(QStringLiteral("1021"), cashier);
            t.insert(QStringLiteral("1209"), id.formatCode);
            break;
        case Kind::CloseShift:
            t.insert(QStringLiteral("fiscalDocumentType"), QStringLiteral("closeShift"));
            t.insert(QStringLiteral("1038"), slot->shift);
            if (isShort) break;
            owner(t);
            t.insert(QStringLiteral("1021"), cashier);
            t.insert(QStringLiteral("1118"), slot->receiptsInShift);
            t.insert(QStringLiteral("1111"), slot->receiptsInShift + 2);
            t.insert(QStringLiteral("1097"), 0);
            break;
        case Kind::ExchangeStatus: {
            t.insert(QStringLiteral("fiscalDocumentType"), QStringLiteral("ofdExchangeStatus"));
            if (isShort) break;
            owner(t);
            const int notSent = int(hashOf(spec_.seed, quint64(number), kSaltExchange) % 3);
            t.insert(QStringLiteral("1097"), notSent);
            if (notSent > 0) {
                t.insert(QStringLiteral("1116"), number - notSent);
                t.insert(QStringLiteral("1098"),
                         isoMoment(slot->moment - 3600 * notSent, id.utcOffsetSeconds));
            }
            break;
        }
        case Kind::Receipt:
            t.insert(QStringLiteral("1038"), slot->shift);
            t = receipt(*slot, t);
            if (isShort) {
                QJsonObject s;
                for (const char* key : {"fiscalDocumentType", "short", "1012", "1040", "1077",
                                        "1038", "1054", "1020"})
                    if (t.contains(QLatin1String(key)))
                        s.insert(QLatin1String(key), t.value(QLatin1String(key)));
                s.remove(QStringLiteral("1038"));
                return s;
            }
            t.insert(QStringLiteral("1021"), cashier);
            owner(t);
            break;
    }
    return t;
}

QJsonObject ArchiveGenerator::receipt(const Slot& slot, QJsonObject t) const {
    Rng rng{hashOf(spec_.seed, quint64(slot.number), kSaltReceipt)};
    const int kindRoll = rng.range(0, 999);
    const bool correction = kindRoll < 20 || (kindRoll >= 50 && kindRoll < 55);
    const bool bso = kindRoll >= 20 && kindRoll < 55;
    t.insert(QStringLiteral("fiscalDocumentType"),
             bso ? (correction ? QStringLiteral("bsoCorrection") : QStringLiteral("bso"))
                 : (correction ? QStringLiteral("receiptCorrection") : QStringLiteral("receipt")));
    const int signRoll = rng.percent();
    int sign = signRoll < 85 ? 1 : signRoll < 92 ? 2 : signRoll < 97 ? 3 : 4;
    if (correction) sign = sign <= 2 ? 1 : 3;
    t.insert(QStringLiteral("1054"), sign);
    t.insert(QStringLiteral("1042"), slot.receiptInShift);

    const int countRoll = rng.percent();
    const int items = countRoll < 60   ? rng.range(1, 3)
                      : countRoll < 90 ? rng.range(4, 8)
                      : countRoll < 99 ? rng.range(9, 20)
                                       : rng.range(21, 60);
    qint64 total = 0;
    qint64 vat20 = 0, vat10 = 0, vat0 = 0, vatNone = 0, vat120 = 0, vat110 = 0;
    bool has20 = false, has10 = false, has0 = false, hasNone = false, has120 = false,
         has110 = false;
    QJsonArray list;
    for (int i = 0; i < items; ++i) {
        const Product& p = kProducts[rng.range(0, kProductCount - 1)];
        const qint64 price = qint64(rng.range(p.minKopecks / 10, p.maxKopecks / 10)) * 10;
        qint64 sum = 0;
        QJsonObject item;
        item.insert(QStringLiteral("1030"), QString::fromUtf8(p.name));
        item.insert(QStringLiteral("1079"), roubles(price));
        if (p.weight) {
            const int grams = rng.range(100, 2500);
            item.insert(QStringLiteral("1023"), grams / 1000.0);
            sum = (price * grams + 500) / 1000;
        } else {
            const int qty = rng.percent() < 80 ? 1 : rng.range(2, 5);
            item.insert(QStringLiteral("1023"), qty);
            sum = price * qty;
        }
        item.insert(QStringLiteral("1043"), roubles(sum));
        const int methodRoll = rng.percent();
        const int method = methodRoll < 90   ? 4
                           : methodRoll < 93 ? 1
                           : methodRoll < 95 ? 2
                           : methodRoll < 96 ? 3
                           : methodRoll < 98 ? 5
                           : methodRoll < 99 ? 6
                                             : 7;
        const bool advance = method <= 3;  // prepayment and advance take the calculated rates
        int vat = codes_.vatNo;
        switch (p.vat) {
            case Vat::V20:
                vat = advance ? codes_.vat120 : codes_.vat20;
                if (advance) {
                    vat120 += vatPart(sum, 20);
                    has120 = true;
                } else {
                    vat20 += vatPart(sum, 20);
                    has20 = true;
                }
                break;
            case Vat::V10:
                vat = advance ? codes_.vat110 : codes_.vat10;
                if (advance) {
                    vat110 += vatPart(sum, 10);
                    has110 = true;
                } else {
                    vat10 += vatPart(sum, 10);
                    has10 = true;
                }
                break;
            case Vat::V0:
                vat = codes_.vat0;
                vat0 += sum;
                has0 = true;
                break;
            case Vat::None:
                vatNone += sum;
                hasNone = true;
                break;
        }
        item.insert(QStringLiteral("1199"), vat);
        item.insert(QStringLiteral("1212"), p.subject);
        item.insert(QStringLiteral("1214"), method);
        if (identity_.formatCode >= 4) item.insert(QStringLiteral("2108"), p.weight ? 11 : 0);
        if (p.marked)
            item.insert(QStringLiteral("1162"), QStringLiteral("444D") + hexBytes(rng, 14));
        list.append(item);
        total += sum;
    }
    t.insert(QStringLiteral("1059"), list);
    t.insert(QStringLiteral("1020"), roubles(total));
    const int payRoll = rng.percent();
    qint64 cash = 0;
    if (payRoll < 55)
        cash = total;
    else if (payRoll >= 95)
        cash = total * rng.range(10, 90) / 100;
    t.insert(QStringLiteral("1031"), roubles(cash));
    t.insert(QStringLiteral("1081"), roubles(total - cash));
    if (has20) t.insert(QStringLiteral("1102"), roubles(vat20));
    if (has10) t.insert(QStringLiteral("1103"), roubles(vat10));
    if (has0) t.insert(QStringLiteral("1104"), roubles(vat0));
    if (hasNone) t.insert(QStringLiteral("1105"), roubles(vatNone));
    if (has120) t.insert(QStringLiteral("1106"), roubles(vat120));
    if (has110) t.insert(QStringLiteral("1107"), roubles(vat110));
    int taxation = 1;
    for (int bit = 0; bit < 8; ++bit)
        if (identity_.taxSystems & (1 << bit)) {
            taxation = 1 << bit;
            break;
        }
    t.insert(QStringLiteral("1055"), taxation);
    t.insert(QStringLiteral("1209"), identity_.formatCode);
    if (correction) {
        t.insert(QStringLiteral("1173"), rng.range(0, 1));
        t.insert(QStringLiteral("1174"),
                 QJsonObject{{QStringLiteral("1178"),
                              isoMoment(slot.moment - 86400, identity_.utcOffsetSeconds)},
                             {QStringLiteral("1179"), QStringLiteral("б/н")}});
    }
    const QString local = isoMoment(slot.moment, identity_.utcOffsetSeconds);
    const QString qrMoment = local.left(4) + local.mid(5, 2) + local.mid(8, 2) + QLatin1Char('T') +
                             local.mid(11, 2) + local.mid(14, 2);
    t.insert(QStringLiteral("qr"),
             QStringLiteral("t=%1&s=%2&fn=%3&i=%4&fp=%5&n=%6")
                 .arg(qrMoment, moneyText(total), identity_.fnSerial)
                 .arg(slot.number)
                 .arg(fiscalSignOfHex(t.value(QStringLiteral("1077")).toString()))
                 .arg(sign));
    return t;
}

}  // namespace emu
