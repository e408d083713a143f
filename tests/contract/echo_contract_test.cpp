// Values of every type survive the C interface: a parameter set and read back through the
// library answers what the same object kept in process answers.
#include <QTimeZone>
#include <climits>

#include "tests/contract/Contract.h"
#include "tests/contract/fake/EchoDispatch.h"

namespace contract {
namespace {

constexpr int kId = 65536;  // LIBFPTR_PARAM_TEXT; the echo keeps any id

Runs runEcho(const Case& c) {
    Runs r = runBoth(c, inProcessEcho, libraryEcho);
    EXPECT_TRUE(sameTranscript(r.inProcess, r.library));
    return r;
}

TEST(EchoContract, TextsOfAnySizeAndScript) {
    const QStringList texts = {
        QString(),
        QStringLiteral("ASCII only"),
        QStringLiteral("Кассовый чек № 42 — «Ромашка»"),
        QStringLiteral("Beyond the basic plane: 🧾🌼 𝄞 and tabs\tand\r\nbreaks"),
        QString(255, QChar(u'Ж')),  // around the first buffer's size
        QString(256, QChar(u'ж')),
        QString(257, QChar(u'Ё')),
        QString(100000, QChar(u'я')) + QStringLiteral("🧾"),
    };
    const Runs r = runEcho([&](drv::Fptr& f, Transcript& t) {
        for (int i = 0; i < texts.size(); ++i) {
            f.setParam(kId, texts[i]);
            t.add(QStringLiteral("text %1").arg(i), f.getParamString(kId));
        }
    });
    for (int i = 0; i < texts.size(); ++i)
        EXPECT_EQ(r.library.value(QStringLiteral("text %1").arg(i)).toString(), texts[i]) << i;
}

TEST(EchoContract, IntegersTravelAsThirtyTwoBits) {
    const QList<QVariant> values = {0,
                                    1,
                                    -1,
                                    INT_MAX,
                                    INT_MIN,
                                    QVariant(3000000000u),
                                    QVariant(qlonglong(4294967295LL)),
                                    QVariant(qlonglong(5000000000LL)),
                                    QVariant(qlonglong(-5000000000LL)),
                                    QVariant(qulonglong(18000000000000000000ULL)),
                                    QVariant::fromValue(short(-7))};
    const Runs r = runEcho([&](drv::Fptr& f, Transcript& t) {
        for (int i = 0; i < values.size(); ++i) {
            f.setParam(kId, values[i]);
            // (an unsigned 64-bit value has no common 32-bit view to compare)
            if (values[i].typeId() != QMetaType::ULongLong)
                t.add(QStringLiteral("int %1").arg(i), f.getParamInt(kId));
            const qlonglong n = values[i].toLongLong();
            // within an int, every view of the value agrees; beyond 32 bits it goes as double
            if (n >= INT_MIN && n <= INT_MAX) {
                t.add(QStringLiteral("text %1").arg(i), f.getParamString(kId));
                t.add(QStringLiteral("double %1").arg(i), f.getParamDouble(kId));
            } else if (n < INT_MIN || n > qlonglong(UINT_MAX) ||
                       values[i].typeId() == QMetaType::ULongLong) {
                t.add(QStringLiteral("double %1").arg(i), f.getParamDouble(kId));
            }
        }
    });
    EXPECT_EQ(r.library.value("int 2").toInt(), -1);
    EXPECT_EQ(r.library.value("int 3").toInt(), INT_MAX);
    EXPECT_EQ(r.library.value("int 4").toInt(), INT_MIN);
    EXPECT_EQ(r.library.value("int 5").toInt(), int(qint32(3000000000u)));  // the same 32 bits
    EXPECT_EQ(r.library.value("int 6").toInt(), -1);
    EXPECT_EQ(r.library.value("double 7").toDouble(), 5000000000.0);
    EXPECT_EQ(r.library.value("double 8").toDouble(), -5000000000.0);
    EXPECT_EQ(r.library.value("double 9").toDouble(), 18000000000000000000.0);
    EXPECT_EQ(r.library.value("text 10").toString(), "-7");
}

TEST(EchoContract, BooleansAndDoubles) {
    const QList<double> doubles = {0.0, -0.0, 0.1, -123.456, 1e-300, 1e300, 1283455.5};
    const Runs r = runEcho([&](drv::Fptr& f, Transcript& t) {
        for (bool b : {true, false}) {
            f.setParam(kId, b);
            const QString name = b ? QStringLiteral("bool true") : QStringLiteral("bool false");
            t.add(name, f.getParamBool(kId));
            t.add(name + " as int", f.getParamInt(kId));
        }
        for (int i = 0; i < doubles.size(); ++i) {
            f.setParam(kId, doubles[i]);
            t.add(QStringLiteral("double %1").arg(i), f.getParamDouble(kId));
            t.add(QStringLiteral("double %1 as text").arg(i), f.getParamString(kId));
        }
        f.setParam(kId, 2.5f);
        t.add("float", f.getParamDouble(kId));
    });
    EXPECT_EQ(r.library.value("bool true").toBool(), true);
    EXPECT_EQ(r.library.value("bool false as int").toInt(), 0);
    EXPECT_EQ(r.library.value("double 2").toDouble(), 0.1);
    EXPECT_EQ(r.library.value("double 5").toDouble(), 1e300);
    EXPECT_EQ(r.library.value("float").toDouble(), 2.5);
}

TEST(EchoContract, DateTimesInLocalTimeToTheSecond) {
    const QDateTime local(QDate(2024, 2, 29), QTime(23, 59, 58, 765));
    const QDateTime utc(QDate(2021, 3, 4), QTime(9, 34, 0), QTimeZone::utc());
    const QList<QVariant> values = {local, utc, QDate(2026, 12, 9), QDateTime(),
                                    QDateTime(QDate(1900, 1, 1), QTime(0, 0, 0))};
    const Runs r = runEcho([&](drv::Fptr& f, Transcript& t) {
        for (int i = 0; i < values.size(); ++i) {
            f.setParam(kId, values[i]);
            t.add(QStringLiteral("dt %1").arg(i), f.getParamDateTime(kId));
        }
    });
    const QDateTime got = r.library.value("dt 0").toDateTime();
    EXPECT_EQ(got, QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58)));
    EXPECT_EQ(got.timeSpec(), Qt::LocalTime);
    EXPECT_EQ(r.library.value("dt 1").toDateTime(), utc);  // the same moment, told locally
    EXPECT_EQ(r.library.value("dt 1").toDateTime().timeSpec(), Qt::LocalTime);
    EXPECT_EQ(r.library.value("dt 2").toDateTime(), QDate(2026, 12, 9).startOfDay());
    EXPECT_FALSE(r.library.value("dt 3").toDateTime().isValid());
}

TEST(EchoContract, ByteArraysWithZerosAndHighBytes) {
    QByteArray big(70000, '\0');
    for (int i = 0; i < big.size(); ++i) big[i] = char(i * 7);
    const QList<QByteArray> values = {QByteArray(), QByteArray("\0\xff\x01\x80", 4),
                                      QByteArray(256, '\xAB'), QByteArray(257, '\0'), big};
    const Runs r = runEcho([&](drv::Fptr& f, Transcript& t) {
        for (int i = 0; i < values.size(); ++i) {
            f.setParam(kId, values[i]);
            t.add(QStringLiteral("bytes %1").arg(i), f.getParamByteArray(kId));
        }
    });
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(r.library.value(QStringLiteral("bytes %1").arg(i)).toByteArray(), values[i]);
}

TEST(EchoContract, NonPrintableParametersGoToTheirOwnSetter) {
    const Runs r = runEcho([&](drv::Fptr& f, Transcript& t) {
        f.setParam(kId, QStringLiteral("видимый"));
        f.call("setNonPrintableParam", {kId + 1, QStringLiteral("скрытый")});
        f.call("setNonPrintableParam", {kId, 5});
        t.add("printable", f.getParamString(kId));
        t.add("not printable", f.getParamString(kId + 1));
    });
    EXPECT_EQ(r.library.value("printable").toString(), "видимый");
    EXPECT_EQ(r.library.value("not printable").toString(), QString());
}

TEST(EchoContract, SettingsErrorsAndJsonTasks) {
    const QString description = QString(5000, QChar(u'ш')) + QStringLiteral(" 🔧 конец");
    const QString json = QStringLiteral(R"({"type": "getFnDocument", "pad": ")") +
                         QString(200000, QChar(u'д')) + QStringLiteral("\"}");
    const Runs r = runEcho([&](drv::Fptr& f, Transcript& t) {
        t.add("version", f.version());
        t.add("isOpened", f.isOpened());
        t.add("open", f.open());
        t.add("isOpened after open", f.isOpened());
        f.setSingleSetting("IPAddress", QStringLiteral("адрес 🌐"));
        f.setSingleSetting("Model", "500");
        t.add("apply", f.applySingleSettings());
        t.add("IPAddress", f.call("getSingleSetting", {"IPAddress"}));
        t.add("Model", f.call("getSingleSetting", {"Model"}));
        t.add("setSettings", f.call("setSettings", {json}));
        t.add("getSettings", f.call("getSettings"));
        f.setParam("LIBFPTR_PARAM_REPORT_TYPE", 987654);
        f.setParam("LIBFPTR_PARAM_TEXT", description);
        t.add("report", f.run("report"));
        t.add("code", f.errorCode());
        t.add("description", f.errorDescription());
        t.add("resetError", f.call("resetError"));
        t.add("code after reset", f.errorCode());
        t.add("json", f.jsonTask(json));
        t.add("close", f.close());
    });
    EXPECT_EQ(r.library.value("version").toString(), EchoDispatch::kVersion);
    EXPECT_EQ(r.library.value("IPAddress").toString(), "адрес 🌐");
    EXPECT_EQ(r.library.value("code").toInt(), 987654);
    EXPECT_EQ(r.library.value("description").toString(), description);
    EXPECT_EQ(r.library.value("code after reset").toInt(), 0);
    EXPECT_EQ(r.library.value("json").toString(), json);
    EXPECT_EQ(r.library.value("getSettings").toString(), json);
}

TEST(EchoContract, OtherTypesGoAsText) {
    const Runs r = runEcho([&](drv::Fptr& f, Transcript& t) {
        f.setParam(kId, QVariant(QChar(u'Ю')));
        t.add("char", f.getParamString(kId));
    });
    EXPECT_EQ(r.library.value("char").toString(), "Ю");
}

}  // namespace
}  // namespace contract
