// The generated fiscal archive: determinism, contents, short documents, days without a shift,
// shifts without receipts, sizes and the cost of a read.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>
#include <cmath>

#include "driver/ValueText.h"
#include "emulator/ArchiveGenerator.h"
#include "emulator/Constants.h"
#include "emulator/JsonReader.h"

namespace {

using emu::ArchiveGenerator;
using emu::ArchiveSpec;

ArchiveSpec specOf(const char* json) {
    const auto o = QJsonDocument::fromJson(json).object();
    return ArchiveSpec::read(emu::JsonReader(o, QStringLiteral("fn.archive"), QStringLiteral("t")));
}

QString typeOf(const QJsonObject& d) {
    return d.value("fiscalDocumentType").toString();
}

bool isReceipt(const QString& t) {
    return t == "receipt" || t == "receiptCorrection" || t == "bso" || t == "bsoCorrection";
}

// Kopecks of a money value that must have at most two decimals.
qint64 kopecks(const QJsonValue& v) {
    const double k = v.toDouble() * 100.0;
    EXPECT_NEAR(k, std::round(k), 1e-6) << v.toDouble();
    return qint64(std::llround(k));
}

TEST(EmulatorArchive, SameParametersSameArchive) {
    const auto spec = specOf(R"({"size": 2000, "seed": 7, "startDay": "2024-01-09"})");
    const ArchiveGenerator a(spec, {}), b(spec, {});
    for (int n : {1, 2, 3, 57, 999, 1500, 2000}) EXPECT_EQ(a.document(n), b.document(n)) << n;
    // another seed gives other fiscal signs and other receipts
    auto other = spec;
    other.seed = 8;
    const ArchiveGenerator c(other, {});
    int differing = 0;
    for (int n = 1; n <= 200; ++n)
        if (a.document(n) != c.document(n)) ++differing;
    EXPECT_GT(differing, 150);
}

TEST(EmulatorArchive, DocumentsLookLikeARealArchive) {
    const auto spec = specOf(R"({"size": 6000, "seed": 3, "startDay": "2024-01-09",
        "receiptsPerShift": [0, 30], "reregistrationEveryDays": 40, "exchangeReportEvery": 3})");
    emu::ArchiveIdentity id;
    id.utcOffsetSeconds = 5 * 3600;
    const ArchiveGenerator g(spec, id);
    const QRegularExpression moment(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\+05:00$)");
    const QRegularExpression hex12(R"(^[0-9A-F]{12}$)");
    const QRegularExpression hex(R"(^[0-9A-F]+$)");
    QSet<QString> types;
    QSet<int> signs, vats, subjects, methods;
    bool weight = false, longName = false, marked = false, cashOnly = false, cardOnly = false,
         mixed = false;
    qint64 previous = 0;
    int openShiftNumber = 0, currentShift = 0;
    for (int n = 1; n <= g.size(); ++n) {
        const auto d = g.document(n);
        ASSERT_TRUE(d) << n;
        const QString type = typeOf(*d);
        types.insert(type);
        EXPECT_EQ(d->value("1040").toInt(), n);
        EXPECT_FALSE(d->value("short").toBool());
        ASSERT_TRUE(moment.match(d->value("1012").toString()).hasMatch())
            << d->value("1012").toString().toStdString();
        const qint64 secs = drv::parseIsoDateTime(d->value("1012").toString()).toSecsSinceEpoch();
        EXPECT_GE(secs, previous) << n;  // moments never go back
        previous = secs;
        ASSERT_TRUE(hex12.match(d->value("1077").toString()).hasMatch());
        if (type == "openShift") {
            openShiftNumber = n;
            EXPECT_EQ(d->value("1038").toInt(), ++currentShift);
        }
        if (type == "closeShift") {
            EXPECT_EQ(d->value("1038").toInt(), currentShift);
        }
        if (!isReceipt(type)) continue;
        // the receipt number within the shift leads back to the shift's opening document
        EXPECT_EQ(n - d->value("1042").toInt(), openShiftNumber) << n;
        EXPECT_EQ(d->value("1038").toInt(), currentShift);
        signs.insert(d->value("1054").toInt());
        ASSERT_TRUE(d->value("1059").isArray()) << n;  // even a single item is an array
        const QJsonArray items = d->value("1059").toArray();
        ASSERT_FALSE(items.isEmpty());
        qint64 total = 0;
        for (const auto& v : items) {
            const auto item = v.toObject();
            const QString name = item.value("1030").toString();
            longName |= name.size() > 48;
            const double qty = item.value("1023").toDouble();
            weight |= qty != std::floor(qty);
            EXPECT_NEAR(double(kopecks(item.value("1043"))),
                        double(kopecks(item.value("1079"))) * qty, 0.5 + 1e-6);
            total += kopecks(item.value("1043"));
            vats.insert(item.value("1199").toInt());
            subjects.insert(item.value("1212").toInt());
            methods.insert(item.value("1214").toInt());
            if (item.contains("1162")) {
                marked = true;
                EXPECT_TRUE(hex.match(item.value("1162").toString()).hasMatch());
            }
        }
        EXPECT_EQ(kopecks(d->value("1020")), total) << n;
        const qint64 cash = kopecks(d->value("1031")), card = kopecks(d->value("1081"));
        EXPECT_EQ(cash + card, total);
        cashOnly |= card == 0;
        cardOnly |= cash == 0;
        mixed |= cash > 0 && card > 0;
        // the QR content carries the typed fiscal sign
        const QString qr = d->value("qr").toString();
        EXPECT_TRUE(qr.contains("&fp=" + emu::fiscalSignOfHex(d->value("1077").toString()) + "&"))
            << qr.toStdString();
        EXPECT_TRUE(qr.contains(QStringLiteral("&i=%1&").arg(n)));
    }
    EXPECT_EQ(types, QSet<QString>({"registration", "changeRegistrationParameters", "openShift",
                                    "closeShift", "receipt", "receiptCorrection", "bso",
                                    "bsoCorrection", "ofdExchangeStatus"}));
    EXPECT_EQ(signs, QSet<int>({1, 2, 3, 4}));
    using namespace drv::names;
    EXPECT_EQ(vats, QSet<int>({emu::k(LIBFPTR_TAX_VAT20), emu::k(LIBFPTR_TAX_VAT10),
                               emu::k(LIBFPTR_TAX_VAT0), emu::k(LIBFPTR_TAX_NO),
                               emu::k(LIBFPTR_TAX_VAT120), emu::k(LIBFPTR_TAX_VAT110)}));
    EXPECT_TRUE(subjects.contains(1) && subjects.contains(2) && subjects.contains(3) &&
                subjects.contains(4));
    EXPECT_EQ(methods, QSet<int>({1, 2, 3, 4, 5, 6, 7}));
    EXPECT_TRUE(weight && longName && marked && cashOnly && cardOnly && mixed);
    EXPECT_EQ(typeOf(*g.document(1)), "registration");
}

TEST(EmulatorArchive, OldDocumentsAnswerInShortForm) {
    const auto spec = specOf(R"({"size": 400, "shortBelow": 150, "receiptsPerShift": 5})");
    const ArchiveGenerator g(spec, {});
    const QSet<QString> base = {"fiscalDocumentType", "short", "1012", "1040", "1077"};
    for (int n = 1; n <= 400; ++n) {
        const auto d = *g.document(n);
        const QString type = typeOf(d);
        if (n >= 150) {
            EXPECT_FALSE(d.value("short").toBool()) << n;
            continue;
        }
        EXPECT_TRUE(d.value("short").toBool()) << n;
        QSet<QString> allowed = base;
        if (type == "openShift" || type == "closeShift") allowed << "1038";
        if (isReceipt(type))
            allowed << "1054"
                    << "1020";
        for (const QString& key : d.keys())
            EXPECT_TRUE(allowed.contains(key)) << n << " " << key.toStdString();
        for (const QString& key : allowed)
            EXPECT_TRUE(d.contains(key)) << n << " " << key.toStdString();
        EXPECT_FALSE(d.contains("1042"));
        EXPECT_FALSE(d.contains("1059"));
    }
}

TEST(EmulatorArchive, DaysWithoutShiftAndShiftsWithoutReceipts) {
    // no shift on Saturdays and Sundays; two shifts a day with 0 to 2 receipts
    const auto spec = specOf(R"({"size": 3000, "startDay": "2024-01-08", "shiftsPerDay": 2,
        "receiptsPerShift": [0, 2], "daysWithoutShift": [6, 7], "exchangeReportEvery": 0})");
    const ArchiveGenerator g(spec, {});
    QSet<QDate> shiftDays;
    int emptyShifts = 0;
    int shiftsOnMonday = 0;
    for (int n = 2; n <= g.size(); ++n) {
        const auto d = *g.document(n);
        if (typeOf(d) != "openShift") continue;
        const QDate day = QDate::fromString(d.value("1012").toString().left(10), Qt::ISODate);
        EXPECT_LT(day.dayOfWeek(), 6) << day.toString(Qt::ISODate).toStdString();
        shiftDays.insert(day);
        if (day == QDate(2024, 1, 8)) ++shiftsOnMonday;
        if (n < g.size() && typeOf(*g.document(n + 1)) == "closeShift") ++emptyShifts;
    }
    EXPECT_EQ(shiftsOnMonday, 2);
    EXPECT_GT(emptyShifts, 10);
    EXPECT_FALSE(shiftDays.contains(QDate(2024, 1, 13)));
    EXPECT_TRUE(shiftDays.contains(QDate(2024, 1, 12)));
    EXPECT_TRUE(shiftDays.contains(QDate(2024, 1, 15)));
}

TEST(EmulatorArchive, SizesFromADozenToAHundredThousand) {
    for (int size : {1, 2, 12, 13, 100000}) {
        auto spec = specOf(R"({"receiptsPerShift": 9})");
        spec.size = size;
        const ArchiveGenerator g(spec, {});
        EXPECT_EQ(g.size(), size);
        EXPECT_TRUE(g.document(size));
        EXPECT_FALSE(g.document(size + 1));
        EXPECT_FALSE(g.document(0));
        EXPECT_EQ(g.document(size)->value("1040").toInt(), size);
    }
    // 12 documents: registration, a shift of 9 receipts and its closing; the 13th opens a shift
    auto spec = specOf(R"({"size": 12, "receiptsPerShift": 9})");
    EXPECT_EQ(typeOf(*ArchiveGenerator(spec, {}).document(12)), "closeShift");
    EXPECT_FALSE(ArchiveGenerator(spec, {}).endState().shiftOpen);
    spec.size = 13;
    const ArchiveGenerator open(spec, {});
    EXPECT_EQ(typeOf(*open.document(13)), "openShift");
    EXPECT_TRUE(open.endState().shiftOpen);
    EXPECT_EQ(open.endState().lastShift, 2);
    EXPECT_EQ(open.endState().receiptsInLastShift, 0);
    // an empty archive has no documents at all
    spec.size = 0;
    EXPECT_FALSE(ArchiveGenerator(spec, {}).document(1));
}

TEST(EmulatorArchive, AReadLooksAtLogarithmicallyFewBlocks) {
    const auto spec = specOf(R"({"size": 100000, "receiptsPerShift": [0, 12], "shiftsPerDay": 3})");
    const ArchiveGenerator g(spec, {});
    const int bound = int(std::ceil(std::log2(double(g.blockCount())))) + 1;
    int worst = 0;
    for (int n = 1; n <= 100000; n += 37) {
        int steps = 0;
        const auto slot = g.locate(n, &steps);
        ASSERT_TRUE(slot);
        EXPECT_EQ(slot->number, n);
        worst = std::max(worst, steps);
    }
    EXPECT_LE(worst, bound);
    EXPECT_GT(g.blockCount(), 1000);  // the layout is blocks, not documents
    EXPECT_LT(g.blockCount(), 100000 / 3);
}

TEST(EmulatorArchive, FiscalSignOfHexText) {
    EXPECT_EQ(emu::fiscalSignOfHex("A1B2C3D4E5F6"), QString::number(0xC3D4E5F6u));
    EXPECT_EQ(emu::fiscalSignOfHex("0A3F52D1C2B4"), QString::number(0x52D1C2B4u));
    EXPECT_EQ(emu::fiscalSignOfHex("ff"), "255");
    EXPECT_EQ(emu::fiscalSignOfHex(""), "");
    EXPECT_EQ(emu::fiscalSignOfHex("12XY"), "");
}

TEST(EmulatorArchive, BadParametersNameTheKey) {
    const auto refused = [](const char* json, const char* key) {
        try {
            specOf(json);
            ADD_FAILURE() << "accepted " << json;
        } catch (const emu::BenchError& e) {
            EXPECT_NE(std::string(e.what()).find(key), std::string::npos) << e.what();
        }
    };
    refused(R"({"size": 2000000})", "fn.archive.size");
    refused(R"({"size": "10"})", "fn.archive.size");
    refused(R"({"startDay": "14.03.2023"})", "fn.archive.startDay");
    refused(R"({"shiftsPerDay": 0})", "fn.archive.shiftsPerDay");
    refused(R"({"receiptsPerShift": [5, 1]})", "fn.archive.receiptsPerShift");
    refused(R"({"daysWithoutShift": [1, 2, 3, 4, 5, 6, 7]})", "fn.archive.daysWithoutShift");
    refused(R"({"daysWithoutShift": [0]})", "fn.archive.daysWithoutShift");
}

}  // namespace
