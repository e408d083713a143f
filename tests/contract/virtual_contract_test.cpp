// The virtual register in process and behind its C library answer the same.
#include <QJsonDocument>
#include <QJsonObject>
#include <ctime>

#include "driver/libfptr/Constants.h"
#include "driver/libfptr/Ports.h"
#include "tests/contract/Contract.h"
#include "tests/support/Benches.h"

namespace contract {
namespace {

using testing_support::registerWallClock;

void runVirtual(const Case& c, Runs* out = nullptr) {
    Runs r = runBoth(c, inProcessVirtual, libraryVirtual);
    EXPECT_TRUE(sameTranscript(r.inProcess, r.library));
    if (out) *out = std::move(r);
}

void status(drv::Fptr& f, Transcript& t) {
    f.setParam("LIBFPTR_PARAM_DATA_TYPE", f.c("LIBFPTR_DT_STATUS"));
    t.add("queryData", f.queryData());
    for (const char* p :
         {"LIBFPTR_PARAM_MODEL_NAME", "LIBFPTR_PARAM_SERIAL_NUMBER", "LIBFPTR_PARAM_UNIT_VERSION"})
        t.add(p, f.getParamString(p));
    for (const char* p : {"LIBFPTR_PARAM_FISCAL", "LIBFPTR_PARAM_FN_PRESENT",
                          "LIBFPTR_PARAM_COVER_OPENED", "LIBFPTR_PARAM_RECEIPT_PAPER_PRESENT",
                          "LIBFPTR_PARAM_PRINTER_OVERHEAT", "LIBFPTR_PARAM_BLOCKED"}) {
        t.add(p, f.getParamBool(p));
        t.add(QStringLiteral("%1 as text").arg(p), f.getParamString(p));
    }
    for (const char* p : {"LIBFPTR_PARAM_SHIFT_STATE", "LIBFPTR_PARAM_SHIFT_NUMBER",
                          "LIBFPTR_PARAM_RECEIPT_TYPE", "LIBFPTR_PARAM_RECEIPT_LINE_LENGTH"})
        t.add(p, f.getParamInt(p));
    t.addClock("clock", f.getParamDateTime("LIBFPTR_PARAM_DATE_TIME"));
}

TEST(VirtualContract, StatusOfARegisterOpenedByPortNumber) {
    Runs r;
    runVirtual(
        [](drv::Fptr& f, Transcript& t) {
            t.add("version", f.version());
            t.add("open", f.openSerialAuto("101"));
            t.add("errorCode", f.errorCode());
            t.add("errorDescription", f.errorDescription());
            t.add("isOpened", f.isOpened());
            status(f, t);
            f.setParam("LIBFPTR_PARAM_DATA_TYPE", f.c("LIBFPTR_DT_UNIT_VERSION"));
            f.setParam("LIBFPTR_PARAM_UNIT_TYPE", f.c("LIBFPTR_UT_TEMPLATES"));
            t.add("queryData unit", f.queryData());
            t.add("templates", f.getParamString("LIBFPTR_PARAM_UNIT_VERSION"));
            t.add("close", f.close());
            t.add("isOpened after close", f.isOpened());
        },
        &r);
    // the case saw the bench's register, not empty answers
    EXPECT_EQ(r.library.value("LIBFPTR_PARAM_MODEL_NAME").toString(), "АТОЛ 30Ф");
    EXPECT_EQ(r.library.value("LIBFPTR_PARAM_COVER_OPENED").toBool(), true);
    EXPECT_EQ(r.library.value("LIBFPTR_PARAM_RECEIPT_PAPER_PRESENT").toBool(), false);
    EXPECT_EQ(r.library.value("LIBFPTR_PARAM_SHIFT_NUMBER").toInt(), 42);
    EXPECT_EQ(r.library.value("templates").toString(), "5.8.8.0");
    EXPECT_EQ(r.library.value("version").toString(), "10.10.4.0");
    EXPECT_TRUE(r.library.value("isOpened").toBool());
    // the register's clock runs an hour behind, in its own time zone
    const QDateTime clock = r.library.value("clock").toDateTime();
    EXPECT_LE(std::llabs(clock.secsTo(registerWallClock(-3600))), 10);
}

TEST(VirtualContract, APortByNameOrDeviceNodeReachesTheSameRegister) {
    Runs r;
    runVirtual(
        [](drv::Fptr& f, Transcript& t) {
            for (const QString& port : {QStringLiteral("COM101"), QStringLiteral("/dev/ttyACM0")}) {
                t.add("open " + port, f.openSerialAuto(port));
                f.setParam("LIBFPTR_PARAM_DATA_TYPE", f.c("LIBFPTR_DT_SERIAL_NUMBER"));
                f.queryData();
                t.add("serial " + port, f.getParamString("LIBFPTR_PARAM_SERIAL_NUMBER"));
                f.close();
            }
        },
        &r);
    EXPECT_EQ(r.library.value("serial COM101").toString(), "00106107319999");
    EXPECT_EQ(r.library.value("serial /dev/ttyACM0").toString(), "00106107319999");
}

TEST(VirtualContract, FailuresToOpenCarryTheSameCodeAndText) {
    Runs r;
    runVirtual(
        [](drv::Fptr& f, Transcript& t) {
            // an offline register, a port without a register, a port the PC does not have
            for (const QString& port :
                 {QStringLiteral("5"), QStringLiteral("33"), QStringLiteral("200")}) {
                t.add("open " + port, f.openSerialAuto(port));
                t.add("code " + port, f.errorCode());
                t.add("text " + port, f.errorDescription());
                t.add("isOpened " + port, f.isOpened());
            }
            t.add("open tcp", f.openTcpAuto("127.0.0.9"));
            t.add("code tcp", f.errorCode());
            // a closed register refuses queries
            f.setParam("LIBFPTR_PARAM_DATA_TYPE", f.c("LIBFPTR_DT_STATUS"));
            t.add("queryData closed", f.queryData());
            t.add("code closed", f.errorCode());
            t.add("text closed", f.errorDescription());
        },
        &r);
    EXPECT_EQ(r.library.value("code 5").toInt(), 2);
    EXPECT_EQ(r.library.value("code 33").toInt(), 2);
    EXPECT_EQ(r.library.value("code 200").toInt(), 4);
    EXPECT_EQ(r.library.value("text 200").toString(), "Порт недоступен");
    EXPECT_EQ(r.library.value("code closed").toInt(), 1);
}

TEST(VirtualContract, ANetworkRegisterWithoutStorage) {
    Runs r;
    runVirtual(
        [](drv::Fptr& f, Transcript& t) {
            t.add("open", f.openTcpAuto("127.0.0.2"));
            status(f, t);
            f.setParam("LIBFPTR_PARAM_FN_DATA_TYPE", f.c("LIBFPTR_FNDT_FN_INFO"));
            t.add("fnQueryData", f.fnQueryData());
            t.add("code", f.errorCode());
            t.add("text", f.errorDescription());
            t.add("json", f.jsonTask(R"({"type": "getFnInfo"})"));
            t.add("json code", f.errorCode());
        },
        &r);
    EXPECT_EQ(r.library.value("LIBFPTR_PARAM_MODEL_NAME").toString(), "АТОЛ 27Ф");
    EXPECT_EQ(r.library.value("code").toInt(), 166);
}

TEST(VirtualContract, StorageQueriesAndLongJsonAnswers) {
    Runs r;
    runVirtual(
        [](drv::Fptr& f, Transcript& t) {
            f.openSerialAuto("101");
            t.add("registration info", f.jsonTask(R"({"type": "getRegistrationInfo"})"));
            t.add("document",
                  f.jsonTask(R"({"type": "getFnDocument", "fiscalDocumentNumber": 213})"));
            t.add("missing document",
                  f.jsonTask(R"({"type": "getFnDocument", "fiscalDocumentNumber": 9})"));
            t.add("missing document code", f.errorCode());

            f.setParam("LIBFPTR_PARAM_FN_DATA_TYPE", f.c("LIBFPTR_FNDT_VALIDITY"));
            t.add("validity", f.fnQueryData());
            t.add("valid until", f.getParamDateTime("LIBFPTR_PARAM_DATE_TIME"));
            t.add("registrations", f.getParamInt("LIBFPTR_PARAM_REGISTRATIONS_COUNT"));

            f.setParam("LIBFPTR_PARAM_FN_DATA_TYPE", f.c("LIBFPTR_FNDT_LAST_REGISTRATION"));
            t.add("last registration", f.fnQueryData());
            t.add("registered", f.getParamDateTime("LIBFPTR_PARAM_DATE_TIME"));
            t.add("registration document", f.getParamInt("LIBFPTR_PARAM_DOCUMENT_NUMBER"));

            f.setParam("LIBFPTR_PARAM_FN_DATA_TYPE", f.c("LIBFPTR_FNDT_REG_INFO"));
            t.add("reg info", f.fnQueryData());
            for (int tag : {1018, 1048, 1009}) t.add(QString::number(tag), f.getParamString(tag));
            t.add("1062", f.getParamInt(1062));
            t.add("1209", f.getParamInt(1209));
            t.add("1001", f.getParamBool(1001));
            t.add("1002", f.getParamBool(1002));

            f.setParam("LIBFPTR_PARAM_FN_DATA_TYPE", f.c("LIBFPTR_FNDT_DOCUMENT_BY_NUMBER"));
            f.setParam("LIBFPTR_PARAM_DOCUMENT_NUMBER", 213);
            t.add("document by number", f.fnQueryData());
            t.add("fiscal sign", f.getParamString("LIBFPTR_PARAM_FISCAL_SIGN"));
            t.add("document sum", f.getParamDouble("LIBFPTR_PARAM_RECEIPT_SUM"));
            t.add("document time", f.getParamDateTime("LIBFPTR_PARAM_DATE_TIME"));

            f.setParam("LIBFPTR_PARAM_FN_DATA_TYPE", f.c("LIBFPTR_FNDT_FFD_VERSIONS"));
            t.add("ffd", f.fnQueryData());
            t.add("device ffd", f.getParamInt("LIBFPTR_PARAM_DEVICE_FFD_VERSION"));
        },
        &r);
    const QString info = r.library.value("registration info").toString();
    EXPECT_GT(info.size(), 2000);  // far beyond a first output buffer
    EXPECT_TRUE(QJsonDocument::fromJson(info.toUtf8()).isObject());
    EXPECT_TRUE(info.contains("🌼"));
    EXPECT_GT(r.library.value("document").toString().size(), 4000);
    EXPECT_EQ(r.library.value("missing document code").toInt(), 123);
    EXPECT_EQ(r.library.value("valid until").toDateTime(),
              QDateTime(QDate(2026, 3, 14), QTime(0, 0)));
    EXPECT_EQ(r.library.value("1062").toInt(), 3);
    EXPECT_EQ(r.library.value("1002").toBool(), true);
    EXPECT_GT(r.library.value("1009").toString().size(), 1000);
    EXPECT_EQ(r.library.value("document sum").toDouble(), 4350.0);
}

TEST(VirtualContract, MoneyOfTheOpenReceipt) {
    Runs r;
    runVirtual(
        [](drv::Fptr& f, Transcript& t) {
            f.openSerialAuto("101");
            f.setParam("LIBFPTR_PARAM_DATA_TYPE", f.c("LIBFPTR_DT_RECEIPT_STATE"));
            t.add("receipt state", f.queryData());
            for (const char* p : {"LIBFPTR_PARAM_RECEIPT_TYPE", "LIBFPTR_PARAM_RECEIPT_NUMBER",
                                  "LIBFPTR_PARAM_DOCUMENT_NUMBER"})
                t.add(p, f.getParamInt(p));
            for (const char* p :
                 {"LIBFPTR_PARAM_RECEIPT_SUM", "LIBFPTR_PARAM_REMAINDER", "LIBFPTR_PARAM_CHANGE"}) {
                t.add(p, f.getParamDouble(p));
                t.add(QStringLiteral("%1 as text").arg(p), f.getParamString(p));
            }
            f.setParam("LIBFPTR_PARAM_DATA_TYPE", f.c("LIBFPTR_DT_CASH_SUM"));
            t.add("cash", f.queryData());
            t.add("cash sum", f.getParamDouble("LIBFPTR_PARAM_SUM"));
        },
        &r);
    EXPECT_EQ(r.library.value("LIBFPTR_PARAM_RECEIPT_SUM").toDouble(), 1234.56);
    EXPECT_EQ(r.library.value("LIBFPTR_PARAM_REMAINDER").toDouble(), 0.44);
    EXPECT_EQ(r.library.value("cash sum").toDouble(), 15200.5);
}

TEST(VirtualContract, SettingsTableReadRecordByRecordAndWritten) {
    Runs r;
    runVirtual(
        [](drv::Fptr& f, Transcript& t) {
            f.openSerialAuto("101");
            f.setParam("LIBFPTR_PARAM_RECORDS_TYPE", f.c("LIBFPTR_RT_SETTINGS"));
            t.add("begin", f.beginReadRecords());
            const QString id = f.getParamString("LIBFPTR_PARAM_RECORDS_ID");
            t.add("records id given", !id.isEmpty());
            for (int i = 0; i < 10; ++i) {
                f.setParam("LIBFPTR_PARAM_RECORDS_ID", id);
                const int rc = f.readNextRecord();
                t.add(QStringLiteral("next %1").arg(i), rc);
                if (rc != 0) break;
                t.add("id", f.getParamInt("LIBFPTR_PARAM_SETTING_ID"));
                t.add("type", f.getParamInt("LIBFPTR_PARAM_SETTING_TYPE"));
                t.add("value", f.getParamString("LIBFPTR_PARAM_SETTING_VALUE"));
                t.add("value as number", f.getParamInt("LIBFPTR_PARAM_SETTING_VALUE"));
            }
            t.add("end code", f.errorCode());
            f.setParam("LIBFPTR_PARAM_RECORDS_ID", id);
            t.add("end", f.endReadRecords());

            // a text setting written and read back, then restored
            const auto read = [&](int sid) {
                f.setParam("LIBFPTR_PARAM_SETTING_ID", sid);
                f.readDeviceSetting();
                return f.getParamString("LIBFPTR_PARAM_SETTING_VALUE");
            };
            const auto write = [&](int sid, const QVariant& v) {
                f.setParam("LIBFPTR_PARAM_SETTING_ID", sid);
                f.setParam("LIBFPTR_PARAM_SETTING_VALUE", v);
                return f.writeDeviceSetting();
            };
            const QString before = read(71);
            t.add("before", before);
            t.add("write text", write(71, QStringLiteral("Касса «Ромашка» №2 🌼🌼")));
            t.add("after", read(71));
            t.add("write number", write(74, 6000));
            t.add("number after", read(74));
            t.add("write bad number", write(74, QStringLiteral("шесть")));
            t.add("bad number code", f.errorCode());
            t.add("restore", write(71, before));
            t.add("restore number", write(74, 5555));
        },
        &r);
    EXPECT_TRUE(r.library.value("records id given").toBool());
    EXPECT_EQ(r.library.value("next 4").toInt(), -1);  // four settings, then the end
    EXPECT_EQ(r.library.value("end code").toInt(), 123);
    EXPECT_EQ(r.library.value("after").toString(), "Касса «Ромашка» №2 🌼🌼");
    EXPECT_EQ(r.library.value("number after").toString(), "6000");
    EXPECT_EQ(r.library.value("bad number code").toInt(),
              164);  // LIBFPTR_ERROR_INVALID_SETTING_VALUE
}

// The C library converts no parameter's kind, as the maker's does not: an integer given as text
// is no integer there. Through the adapter the program's texts (setting identifier and value,
// document number) reach it in their kinds and answer as in process.
TEST(VirtualContract, NumbersGivenAsTextReachTheLibraryAsNumbers) {
    const auto& a = virtualLibrary()->api();
    const auto c = [](const char* name) {
        return drv::libfptr::publishedConstant(QLatin1String(name)).value_or(-1).toInt();
    };
    void* h = nullptr;
    ASSERT_EQ(a.create(&h), 0);
    const std::wstring port = drv::libfptr::comFileForLibrary("101").toStdWString();
    a.setSingleSetting(h, L"Model", L"500");
    a.setSingleSetting(h, L"Port", L"0");
    a.setSingleSetting(h, L"ComFile", port.c_str());
    a.operations.value("applySingleSettings")(h);
    ASSERT_EQ(a.operations.value("open")(h), 0);
    const auto readSetting = a.operations.value("readDeviceSetting");
    const auto writeSetting = a.operations.value("writeDeviceSetting");
    a.param.text(h, c("LIBFPTR_PARAM_SETTING_ID"), L"74");
    EXPECT_EQ(readSetting(h), -1);
    EXPECT_EQ(a.errorCode(h), c("LIBFPTR_ERROR_INVALID_PARAM"));
    a.param.integer(h, c("LIBFPTR_PARAM_SETTING_ID"), 74);
    EXPECT_EQ(readSetting(h), 0);
    a.param.integer(h, c("LIBFPTR_PARAM_SETTING_ID"), 74);
    a.param.text(h, c("LIBFPTR_PARAM_SETTING_VALUE"), L"6000");
    EXPECT_EQ(writeSetting(h), -1);
    EXPECT_EQ(a.errorCode(h), c("LIBFPTR_ERROR_INVALID_SETTING_VALUE"));
    a.param.integer(h, c("LIBFPTR_PARAM_FN_DATA_TYPE"), c("LIBFPTR_FNDT_DOCUMENT_BY_NUMBER"));
    a.param.text(h, c("LIBFPTR_PARAM_DOCUMENT_NUMBER"), L"213");
    EXPECT_EQ(a.operations.value("fnQueryData")(h), -1);
    a.operations.value("close")(h);
    a.destroy(&h);

    Runs r;
    runVirtual(
        [](drv::Fptr& f, Transcript& t) {
            f.openSerialAuto("101");
            // the records read tells the adapter each setting's type
            f.setParam("LIBFPTR_PARAM_RECORDS_TYPE", f.c("LIBFPTR_RT_SETTINGS"));
            f.beginReadRecords();
            const QString id = f.getParamString("LIBFPTR_PARAM_RECORDS_ID");
            do f.setParam("LIBFPTR_PARAM_RECORDS_ID", id);
            while (f.readNextRecord() == 0);
            f.setParam("LIBFPTR_PARAM_RECORDS_ID", id);
            f.endReadRecords();
            const auto write = [&](const QString& sid, const QString& value) {
                f.setParam("LIBFPTR_PARAM_SETTING_ID", sid);
                f.setParam("LIBFPTR_PARAM_SETTING_VALUE", value);
                t.add("write " + sid + " = " + value, f.writeDeviceSetting());
                f.setParam("LIBFPTR_PARAM_SETTING_ID", sid);
                f.readDeviceSetting();
                t.add(sid + " after", f.getParamString("LIBFPTR_PARAM_SETTING_VALUE"));
            };
            f.setParam("LIBFPTR_PARAM_SETTING_ID", 71);
            f.readDeviceSetting();
            const QString text = f.getParamString("LIBFPTR_PARAM_SETTING_VALUE");
            write("74", "6000");  // a number
            write("80", "0");     // a flag
            write("71", "1234");  // a text of digits stays a text
            write("74", "5555");
            write("80", "1");
            write("71", text);
            f.setParam("LIBFPTR_PARAM_FN_DATA_TYPE", f.c("LIBFPTR_FNDT_DOCUMENT_BY_NUMBER"));
            f.setParam("LIBFPTR_PARAM_DOCUMENT_NUMBER", QStringLiteral("213"));
            t.add("document by number", f.fnQueryData());
        },
        &r);
    for (const auto& e : r.library.entries()) {
        if (e.label.startsWith("write") || e.label == "document by number") {
            EXPECT_EQ(e.value.toInt(), 0) << e.label.toStdString();
        }
    }
    EXPECT_EQ(r.library.value("74 after").toString(), "6000");
    EXPECT_EQ(r.library.value("71 after").toString(), "1234");
}

TEST(VirtualContract, ClockAndPrintedLines) {
    qint64 logPos = 0;
    printedSince(logPos);
    QStringList printed[2];
    int run = 0;
    Runs r;
    const QDateTime set(QDate(2030, 5, 6), QTime(7, 8, 9));
    runVirtual(
        [&](drv::Fptr& f, Transcript& t) {
            f.openSerialAuto("101");
            f.setParam("LIBFPTR_PARAM_DATE_TIME", set);
            t.add("writeDateTime", f.run("writeDateTime"));
            f.setParam("LIBFPTR_PARAM_DATA_TYPE", f.c("LIBFPTR_DT_DATE_TIME"));
            f.queryData();
            t.addClock("register clock", f.getParamDateTime("LIBFPTR_PARAM_DATE_TIME"));
            f.setParam("LIBFPTR_PARAM_TEXT",
                       QStringLiteral("Спасибо за покупку! 🧾 ½ €"));
            t.add("printText", f.run("printText"));  // the bench's cover is open
            t.add("printText code", f.errorCode());
            t.add("cut", f.run("cut"));
            t.add("cut code", f.errorCode());
            t.add("cut text", f.errorDescription());
            // put the clock back an hour behind
            f.setParam("LIBFPTR_PARAM_DATE_TIME", registerWallClock(-3600));
            f.run("writeDateTime");
            printed[run++] = printedSince(logPos);
        },
        &r);
    EXPECT_LE(std::llabs(r.library.value("register clock").toDateTime().secsTo(set)), 5);
    EXPECT_EQ(r.library.value("cut code").toInt(), 45);
    EXPECT_TRUE(r.library.value("cut text").toString().contains("🔧"));
    EXPECT_EQ(printed[0], printed[1]);
    // nothing reaches the paper while the cover is open
    EXPECT_EQ(r.library.value("printText code").toInt(), 45);
    EXPECT_TRUE(printed[1].filter("Спасибо за покупку!").isEmpty())
        << printed[1].join('\n').toStdString();
}

// Connection settings as a JSON object reach the register they name, or fail as the driver does;
// the object reports back what it holds, typed as the driver types it.
TEST(VirtualContract, SettingsAsJsonReachTheirRegister) {
    struct Row {
        const char* settings;
        int setResult;
        int openCode;  // 0: opens
        const char* serial;
    };
    const Row rows[] = {
        {R"({"Model": 500, "Port": 1})", 0, 0, "00106107319999"},  // the first USB register
        {R"({"Port": 1, "UsbDevicePath": "/dev/ttyACM0"})", 0, 0, "00106107319999"},
        {R"({"Port": 1, "UsbDevicePath": "/dev/ttyACM7"})", 0, 4, ""},
        {R"({"Port": 0, "ComFile": "101"})", 0, 0, "00106107319999"},
        {R"({"Port": 0, "ComFile": "5"})", 0, 2, ""},  // the register there is switched off
        {R"({"Port": 2, "IPAddress": "127.0.0.2", "IPPort": 5555})", 0, 0, "00106908765432"},
        {R"({"Port": 2, "IPAddress": "127.0.0.2", "IPPort": 5556})", 0, 2, ""},
        {R"({"Port": 3})", 0, 4, ""},  // Bluetooth: no such port here
        // not a JSON object: refused, the defaults stay (the first USB register)
        {R"({"Port": )", -1, 0, "00106107319999"},
        {R"(["Port", 2])", -1, 0, "00106107319999"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.settings);
        Runs r;
        runVirtual(
            [&row](drv::Fptr& f, Transcript& t) {
                t.add("setSettings", f.call("setSettings", {QString::fromUtf8(row.settings)}));
                t.add("set code", f.errorCode());
                t.add("settings", f.call("getSettings").toString());
                t.add("Port", f.call("getSingleSetting", {"Port"}).toString());
                t.add("open", f.open());
                t.add("open code", f.errorCode());
                f.setParam("LIBFPTR_PARAM_DATA_TYPE", f.c("LIBFPTR_DT_SERIAL_NUMBER"));
                f.queryData();
                t.add("serial", f.getParamString("LIBFPTR_PARAM_SERIAL_NUMBER"));
                f.close();
            },
            &r);
        const Transcript& t = r.library;
        EXPECT_EQ(t.value("setSettings").toInt(), row.setResult);
        EXPECT_EQ(t.value("set code").toInt(), row.setResult == 0 ? 0 : 9);
        EXPECT_EQ(t.value("open code").toInt(), row.openCode);
        EXPECT_EQ(t.value("serial").toString(), QString::fromLatin1(row.serial));
        const auto settings = QJsonDocument::fromJson(t.value("settings").toString().toUtf8());
        const QJsonValue port = settings.object().value("Port");
        EXPECT_TRUE(port.isDouble());  // a number, as set (or the default, USB)
        EXPECT_EQ(QString::number(port.toInt()), t.value("Port").toString());
        if (row.setResult == 0) {
            EXPECT_EQ(port.toInt(),
                      QJsonDocument::fromJson(row.settings).object().value("Port").toInt());
        }
    }
}

// Date-times are the register's clock in its own zone: the PC's time zone moves none of them.
TEST(VirtualContract, DateTimesDoNotMoveWithThePcsTimeZone) {
    const QByteArray saved = qgetenv("TZ");
    for (const char* zone : {"UTC", "Europe/Moscow", "Asia/Vladivostok", "EST5"}) {
        SCOPED_TRACE(zone);
        qputenv("TZ", zone);
        tzset();
        Runs r;
        runVirtual(
            [](drv::Fptr& f, Transcript& t) {
                f.openSerialAuto("101");
                f.setParam("LIBFPTR_PARAM_FN_DATA_TYPE", f.c("LIBFPTR_FNDT_DOCUMENT_BY_NUMBER"));
                f.setParam("LIBFPTR_PARAM_DOCUMENT_NUMBER", 213);
                f.fnQueryData();
                t.add("document", f.getParamDateTime("LIBFPTR_PARAM_DATE_TIME"));
                f.setParam("LIBFPTR_PARAM_FN_DATA_TYPE", f.c("LIBFPTR_FNDT_VALIDITY"));
                f.fnQueryData();
                t.add("validity", f.getParamDateTime("LIBFPTR_PARAM_DATE_TIME"));
                f.setParam("LIBFPTR_PARAM_DATA_TYPE", f.c("LIBFPTR_DT_DATE_TIME"));
                f.queryData();
                t.addClock("clock", f.getParamDateTime("LIBFPTR_PARAM_DATE_TIME"));
            },
            &r);
        for (const Transcript* t : {&r.inProcess, &r.library}) {
            EXPECT_EQ(t->value("document").toDateTime(),
                      QDateTime(QDate(2026, 12, 9), QTime(9, 12)));
            EXPECT_EQ(t->value("validity").toDateTime(),
                      QDateTime(QDate(2026, 3, 14), QTime(0, 0)));
            EXPECT_LE(std::llabs(t->value("clock").toDateTime().secsTo(registerWallClock(-3600))),
                      10);
        }
    }
    if (saved.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", saved);
    tzset();
}

TEST(VirtualContract, UnknownNamesFailAlike) {
    for (const auto& make : {MakeObject(inProcessVirtual), MakeObject(libraryVirtual)}) {
        drv::Fptr f(make());
        EXPECT_THROW(f.call("noSuchMember"), drv::DriverNameError);
        EXPECT_THROW(f.c("LIBFPTR_NO_SUCH_CONSTANT"), drv::DriverNameError);
        EXPECT_EQ(f.constant("LIBFPTR_SETTING_COM_FILE").toString(), "ComFile");
        EXPECT_EQ(f.c("LIBFPTR_PARAM_JSON_DATA"), 65645);
    }
}

// What each member answers, by type (the rules of driver/Dispatch.h), for both.
TEST(VirtualContract, AnswersHaveTheTypesTheInterfaceNames) {
    for (const auto& make : {MakeObject(inProcessVirtual), MakeObject(libraryVirtual)}) {
        auto o = make();
        const auto c = [&](const char* n) { return o->constant(QString::fromLatin1(n))->toInt(); };
        const auto type = [&](const QString& m, const QVariantList& a = {}) {
            const auto v = o->invoke(m, a);
            return v ? v->typeId() : -1;
        };
        o->invoke("setSingleSetting", {"Port", "0"});
        o->invoke("setSingleSetting", {"ComFile", "101"});
        o->invoke("applySingleSettings", {});
        EXPECT_EQ(type("open"), QMetaType::Int);
        EXPECT_EQ(type("setParam", {c("LIBFPTR_PARAM_DATA_TYPE"), c("LIBFPTR_DT_STATUS")}),
                  QMetaType::Int);
        EXPECT_EQ(type("queryData"), QMetaType::Int);
        const int model = c("LIBFPTR_PARAM_MODEL_NAME");
        EXPECT_EQ(type("getParamInt", {model}), QMetaType::Int);
        EXPECT_EQ(type("getParamBool", {model}), QMetaType::Bool);
        EXPECT_EQ(type("getParamDouble", {model}), QMetaType::Double);
        EXPECT_EQ(type("getParamString", {model}), QMetaType::QString);
        EXPECT_EQ(type("getParamDateTime", {c("LIBFPTR_PARAM_DATE_TIME")}), QMetaType::QDateTime);
        EXPECT_EQ(type("getParamByteArray", {model}), QMetaType::QByteArray);
        EXPECT_EQ(type("isOpened"), QMetaType::Bool);
        EXPECT_EQ(type("errorCode"), QMetaType::Int);
        EXPECT_EQ(type("errorDescription"), QMetaType::QString);
        EXPECT_EQ(type("version"), QMetaType::QString);
        EXPECT_EQ(type("setSingleSetting", {"Model", "500"}), QMetaType::Int);
        // a parameter the last query did not fill
        const int unset = 65899;
        EXPECT_EQ(o->invoke("getParamInt", {unset})->toInt(), 0);
        EXPECT_EQ(o->invoke("getParamBool", {unset})->toBool(), false);
        EXPECT_EQ(o->invoke("getParamDouble", {unset})->toDouble(), 0.0);
        EXPECT_EQ(o->invoke("getParamString", {unset})->toString(), QString());
        EXPECT_FALSE(o->invoke("getParamDateTime", {unset})->toDateTime().isValid());
        EXPECT_TRUE(o->invoke("getParamByteArray", {unset})->toByteArray().isEmpty());
        // too few arguments
        EXPECT_EQ(o->invoke("setParam", {model})->toInt(), -1);
        EXPECT_EQ(o->invoke("getParamString", {})->toInt(), -1);
        o->invoke("close", {});
    }
}

}  // namespace
}  // namespace contract
