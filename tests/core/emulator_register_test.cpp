// The virtual register through the driver interface: generated and listed archives, the typed
// storage reads, the print journal, locking and the bench's refusals.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <QTemporaryDir>
#include <thread>

#include "driver/DriverLog.h"
#include "driver/Fptr.h"
#include "driver/JsonAnswer.h"
#include "driver/Names.h"
#include "emulator/Bench.h"
#include "emulator/VirtualRegister.h"

namespace {

using namespace drv::names;

class EmulatorRegister : public ::testing::Test {
  protected:
    void SetUp() override { drv::setDispatchFactory(&emu::VirtualRegister::create); }
    void TearDown() override { emu::World::instance().loadDemo(); }

    static void load(const QByteArray& json) { emu::World::instance().loadJson(json, "test"); }
    static std::unique_ptr<drv::Fptr> openCom(const QString& port) {
        auto f = drv::Fptr::create();
        EXPECT_EQ(f->openSerialAuto(port), 0) << f->errorDescription().toStdString();
        return f;
    }
    static drv::JsonAnswer document(drv::Fptr& f, int n) {
        return drv::JsonAnswer::parse(f.jsonTask(
            QStringLiteral(
                R"({"type": "getFnDocument", "fiscalDocumentNumber": %1, "withRawData": false})")
                .arg(n)));
    }
    static std::shared_ptr<emu::Register> reg(int i) { return emu::World::instance().reg(i); }
};

const QByteArray kArchiveBench = R"({"registers": [{"com": "COM7", "platform": "5", "serial": "001",
    "flags": {"fiscal": true, "fnPresent": true, "fnFiscal": true},
    "registration": {"1209": 120, "1018": "5001234567"},
    "fn": {"info": {"serial": "9999078945337305"},
           "status": {"fiscalDocumentNumber": 3},
           "ofdExchange": {"status": {"notSentCount": 2}},
           "archive": {"size": 100000, "seed": 11, "startDay": "2022-02-01",
                       "receiptsPerShift": [0, 40], "shortBelow": 100}}}]})";

TEST_F(EmulatorRegister, GeneratedArchiveThroughTheDriver) {
    load(kArchiveBench);
    auto f = openCom("7");
    const auto status = drv::JsonAnswer::parse(f->jsonTask(R"({"type": "getFnStatus"})"));
    EXPECT_EQ(status.textOr("fnStatus.fiscalDocumentNumber"), "100000");
    for (int n : {1, 99, 100, 54321, 99999, 100000}) {
        const auto d = document(*f, n);
        ASSERT_EQ(f->errorCode(), 0) << n;
        EXPECT_EQ(d.textOr("documentTLV.1040"), QString::number(n));
        EXPECT_EQ(d.textOr("documentTLV.short"), n < 100 ? "true" : "false");
        // the by-number query answers the same document's fiscal sign and ticket
        f->setParam(LIBFPTR_PARAM_FN_DATA_TYPE, f->c(LIBFPTR_FNDT_DOCUMENT_BY_NUMBER));
        f->setParam(LIBFPTR_PARAM_DOCUMENT_NUMBER, QString::number(n));
        ASSERT_EQ(f->fnQueryData(), 0);
        EXPECT_EQ(f->getParamString(LIBFPTR_PARAM_FISCAL_SIGN),
                  emu::fiscalSignOfHex(d.textOr("documentTLV.1077")));
        EXPECT_FALSE(f->getParamString(LIBFPTR_PARAM_FISCAL_SIGN).isEmpty());
        EXPECT_EQ(f->getParamBool(LIBFPTR_PARAM_HAS_OFD_TICKET), n <= 99998) << n;
        EXPECT_EQ(f->getParamInt(LIBFPTR_PARAM_DOCUMENT_NUMBER), n);
    }
    EXPECT_TRUE(document(*f, 100001).textOr("documentTLV.1040").isEmpty());
    EXPECT_EQ(f->errorCode(), 123);
    // an absurd or malformed number is refused, not looked for
    f->jsonTask(R"({"type": "getFnDocument", "fiscalDocumentNumber": 1e300})");
    EXPECT_EQ(f->errorCode(), 13);
    f->setParam(LIBFPTR_PARAM_FN_DATA_TYPE, f->c(LIBFPTR_FNDT_DOCUMENT_BY_NUMBER));
    f->setParam(LIBFPTR_PARAM_DOCUMENT_NUMBER, QStringLiteral("12a"));
    EXPECT_EQ(f->fnQueryData(), -1);
    EXPECT_EQ(f->errorCode(), 13);

    // the register stands where its archive ends
    const auto& end = reg(0)->archive.generator()->endState();
    f->setParam(LIBFPTR_PARAM_FN_DATA_TYPE, f->c(LIBFPTR_FNDT_LAST_REGISTRATION));
    f->fnQueryData();
    EXPECT_EQ(f->getParamInt(LIBFPTR_PARAM_DOCUMENT_NUMBER), 1);
    EXPECT_EQ(f->getParamInt(LIBFPTR_PARAM_REGISTRATIONS_COUNT), 1);
    f->setParam(LIBFPTR_PARAM_FN_DATA_TYPE, f->c(LIBFPTR_FNDT_SHIFT));
    f->fnQueryData();
    EXPECT_EQ(f->getParamInt(LIBFPTR_PARAM_SHIFT_NUMBER), end.lastShift);
    f->setParam(LIBFPTR_PARAM_FN_DATA_TYPE, f->c(LIBFPTR_FNDT_LAST_RECEIPT));
    ASSERT_EQ(f->fnQueryData(), 0);
    EXPECT_EQ(f->getParamInt(LIBFPTR_PARAM_DOCUMENT_NUMBER), end.lastReceiptNumber);
    // the typed read of 1209 is the format code
    f->setParam(LIBFPTR_PARAM_FN_DATA_TYPE, f->c(LIBFPTR_FNDT_REG_INFO));
    ASSERT_EQ(f->fnQueryData(), 0);
    EXPECT_EQ(f->getParamInt(1209), 4);
    // full documents carry the owner's data and the format code
    int receipt = 100;
    while (document(*f, receipt).textOr("documentTLV.fiscalDocumentType") != "receipt") ++receipt;
    EXPECT_EQ(document(*f, receipt).textOr("documentTLV.1209"), "4");
    EXPECT_EQ(document(*f, receipt).textOr("documentTLV.1018"), "5001234567");
    EXPECT_EQ(document(*f, receipt).textOr("documentTLV.1041"), "9999078945337305");
}

TEST_F(EmulatorRegister, ListedDocumentsAsTheyStand) {
    load(R"({"registers": [{"com": "COM7", "flags": {"fnPresent": true, "fnFiscal": true},
        "fn": {"status": {"fiscalDocumentNumber": 9},
               "documents": [
          {"fiscalDocumentType": "receipt", "short": false, "qr": "t=1", "ofdTicket": false,
           "documentTLV": {"1012": "2021-03-04T12:34:00+03:00", "1040": 5, "1077": "0A0B0C0D0E0F",
                           "1054": 1, "1020": 100.5}},
          {"documentTLV": {"fiscalDocumentType": "openShift", "1040": 4, "1038": 2}}]}}]})");
    auto f = openCom("7");
    const auto d = document(*f, 5);
    EXPECT_EQ(d.textOr("documentTLV.fiscalDocumentType"), "receipt");
    EXPECT_EQ(d.textOr("documentTLV.qr"), "t=1");
    EXPECT_EQ(d.textOr("documentTLV.1020"), "100.5");
    EXPECT_FALSE(d.has("fiscalDocumentType"));
    EXPECT_FALSE(d.has("ofdTicket"));
    EXPECT_FALSE(d.has("documentTLV.ofdTicket"));
    EXPECT_EQ(document(*f, 4).textOr("documentTLV.1038"), "2");
    f->setParam(LIBFPTR_PARAM_FN_DATA_TYPE, f->c(LIBFPTR_FNDT_DOCUMENT_BY_NUMBER));
    f->setParam(LIBFPTR_PARAM_DOCUMENT_NUMBER, 5);
    ASSERT_EQ(f->fnQueryData(), 0);
    EXPECT_EQ(f->getParamString(LIBFPTR_PARAM_FISCAL_SIGN), QString::number(0x0C0D0E0Fu));
    EXPECT_FALSE(f->getParamBool(LIBFPTR_PARAM_HAS_OFD_TICKET));
    EXPECT_EQ(f->getParamDouble(LIBFPTR_PARAM_RECEIPT_SUM), 100.5);
    // documents the bench does not list are not there
    document(*f, 6);
    EXPECT_EQ(f->errorCode(), 123);
    const auto status = drv::JsonAnswer::parse(f->jsonTask(R"({"type": "getFnStatus"})"));
    EXPECT_EQ(status.textOr("fnStatus.fiscalDocumentNumber"), "9");
}

TEST_F(EmulatorRegister, ShiftOperationsWriteTheArchiveAndTheJournal) {
    load(R"({"registers": [{"com": "COM7", "serial": "0042",
        "flags": {"fnPresent": true, "fnFiscal": true},
        "shift": {"state": 0, "number": 3},
        "counters": {"cashSum": 50},
        "fn": {"status": {"fiscalDocumentNumber": 20}}}]})");
    auto f = openCom("7");
    auto r = reg(0);
    ASSERT_EQ(f->run(drv::members::openShift), 0);
    EXPECT_EQ(f->run(drv::members::openShift), -1);
    EXPECT_EQ(f->errorCode(), 83);
    auto d = document(*f, 21);
    EXPECT_EQ(d.textOr("documentTLV.fiscalDocumentType"), "openShift");
    EXPECT_EQ(d.textOr("documentTLV.1038"), "4");
    EXPECT_TRUE(d.textOr("documentTLV.1012").contains("+03:00"));

    f->setParam(LIBFPTR_PARAM_SUM, QStringLiteral("100.50"));
    ASSERT_EQ(f->run(drv::members::cashIncome), 0);
    f->setParam(LIBFPTR_PARAM_SUM, QStringLiteral("1000"));
    EXPECT_EQ(f->run(drv::members::cashOutcome), -1);  // more than the drawer holds
    EXPECT_EQ(f->errorCode(), 80);
    f->setParam(LIBFPTR_PARAM_SUM, QStringLiteral("abc"));
    EXPECT_EQ(f->run(drv::members::cashIncome), -1);
    f->setParam(LIBFPTR_PARAM_DATA_TYPE, f->c(LIBFPTR_DT_CASH_SUM));
    f->queryData();
    EXPECT_DOUBLE_EQ(f->getParamDouble(LIBFPTR_PARAM_SUM), 150.5);
    f->setParam(LIBFPTR_PARAM_DATA_TYPE, f->c(LIBFPTR_DT_CASHIN_COUNT));
    f->queryData();
    EXPECT_EQ(f->getParamInt(LIBFPTR_PARAM_DOCUMENTS_COUNT), 1);

    f->setParam(LIBFPTR_PARAM_TEXT, QStringLiteral("Спасибо за покупку"));
    f->setParam(LIBFPTR_PARAM_ALIGNMENT, f->c(LIBFPTR_ALIGNMENT_CENTER));
    ASSERT_EQ(f->run(drv::members::printText), 0);
    f->setParam(LIBFPTR_PARAM_REPORT_TYPE, f->c(LIBFPTR_RT_CLOSE_SHIFT));
    ASSERT_EQ(f->run(drv::members::report), 0);
    EXPECT_EQ(document(*f, 22).textOr("documentTLV.fiscalDocumentType"), "closeShift");
    f->setParam(LIBFPTR_PARAM_REPORT_TYPE, f->c(LIBFPTR_RT_CLOSE_SHIFT));
    EXPECT_EQ(f->run(drv::members::report), -1);
    EXPECT_EQ(f->errorCode(), 73);

    const auto items = r->journal->items();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0].kind, "report");
    EXPECT_EQ(items[0].text, "ОТЧЕТ ОБ ОТКРЫТИИ СМЕНЫ");
    EXPECT_EQ(items[1], (emu::PrintedItem{"cashIn", "100.50", {}}));
    EXPECT_EQ(items[2].text, "Спасибо за покупку");
    EXPECT_EQ(items[2].extra.value("alignment").toString(), "1");
    EXPECT_EQ(items[3].text, "ОТЧЕТ О ЗАКРЫТИИ СМЕНЫ");
    EXPECT_EQ(r->journal->texts("text"), QStringList({"Спасибо за покупку"}));

    // no paper: nothing printed, the driver says why
    r->flags.paperPresent = false;
    f->setParam(LIBFPTR_PARAM_TEXT, QStringLiteral("x"));
    EXPECT_EQ(f->run(drv::members::printText), -1);
    EXPECT_EQ(f->errorCode(), 44);
    EXPECT_EQ(r->journal->size(), 4);
}

TEST_F(EmulatorRegister, TheDriverLogObservesTheJournal) {
    QTemporaryDir dir;
    const QString path = dir.filePath("driver.log");
    load(R"({"registers": [{"com": "COM7", "serial": "0042"}]})");
    auto f = openCom("7");
    drv::DriverLog::instance().setPath(path);
    f->setParam(LIBFPTR_PARAM_TEXT, QStringLiteral("строка"));
    f->run(drv::members::printText);
    f->run(drv::members::beep);
    drv::DriverLog::instance().setPath({});
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QList<QJsonObject> printed;
    for (const auto& line : file.readAll().split('\n'))
        if (const auto o = QJsonDocument::fromJson(line).object(); o.contains("print"))
            printed << o;
    ASSERT_EQ(printed.size(), 2);
    EXPECT_EQ(printed[0].value("text").toString(), "строка");
    EXPECT_EQ(printed[0].value("serial").toString(), "0042");
    EXPECT_EQ(printed[1].value("print").toString(), "beep");
}

TEST_F(EmulatorRegister, TheLatencyIsWaitedOutWithoutTheRegistersLock) {
    load(R"({"registers": [{"com": "COM7", "latencyMs": 400}]})");
    auto a = openCom("7");
    auto b = openCom("7");
    QElapsedTimer t;
    t.start();
    std::thread other([&] {
        b->setParam(LIBFPTR_PARAM_DATA_TYPE, b->c(LIBFPTR_DT_STATUS));
        b->queryData();
    });
    a->setParam(LIBFPTR_PARAM_DATA_TYPE, a->c(LIBFPTR_DT_STATUS));
    a->queryData();
    other.join();
    // two calls of 400 ms each on the same register ran side by side
    EXPECT_LT(t.elapsed(), 750);
    EXPECT_EQ(a->errorCode(), 0);
    EXPECT_EQ(b->errorCode(), 0);
}

TEST_F(EmulatorRegister, BenchValuesOfTheWrongTypeAreRefusedNamingTheKey) {
    const auto refused = [](const QByteArray& json, const char* key) {
        try {
            emu::World::instance().loadJson(json, "typed.json");
            ADD_FAILURE() << "accepted " << json.constData();
        } catch (const emu::BenchError& e) {
            const std::string what = e.what();
            EXPECT_NE(what.find("typed.json"), std::string::npos) << what;
            EXPECT_NE(what.find(key), std::string::npos) << what;
        }
    };
    refused(R"({"registers": [{"com": 5}]})", "registers[0].com");
    refused(R"({"registers": [{"ip": ["192.168.0.1"]}]})", "registers[0].ip");
    refused(R"({"registers": [{"com": "COM1"}, {"com": "COM2", "latencyMs": 2147483647}]})",
            "registers[1].latencyMs");
    refused(R"({"pc": {"latencyMs": 2147483647}})", "pc.latencyMs");
    refused(R"({"pc": {"latencyMs": -1}})", "pc.latencyMs");
    refused(R"({"registers": [{"com": "COM1", "flags": {"fiscal": "yes"}}]})",
            "registers[0].flags.fiscal");
    refused(R"({"registers": [{"com": "COM1", "shift": {"expiresAt": "tomorrow"}}]})",
            "registers[0].shift.expiresAt");
    refused(R"({"registers": [{"com": "COM1", "fn": {"documents": [{"documentTLV": {"1040": 1,
        "1077": 12345}}]}}]})",
            "registers[0].fn.documents[0].documentTLV.1077");
    refused(R"({"registers": [{"com": "COM1", "fn": {"documents": [{"documentTLV": {"1040": 1}},
        {"documentTLV": {"1040": 1}}]}}]})",
            "registers[0].fn.documents[1].documentTLV.1040");
    refused(R"({"registers": [{"com": "COM1", "settings": [{"id": 37, "value": "1"}]}]})",
            "registers[0].settings[0].value");
    refused(R"({"pc": {"ports": {"COM5": {"busyBy": "4321"}}}})", "pc.ports.COM5.busyBy");
    refused(R"({"registers": [{"model": "no port"}]})", "registers[0]");
    // a refused bench leaves the previous one in place
    emu::World::instance().loadDemo();
    EXPECT_THROW(emu::World::instance().loadJson(R"({"registers": [{"com": 1}]})", "x"),
                 emu::BenchError);
    EXPECT_EQ(emu::World::instance().registerCount(), 2);
}

TEST_F(EmulatorRegister, DemoBenchFollowsTheDriversFacts) {
    emu::World::instance().loadDemo();
    auto f = openCom("5");
    // moments carry their offset; 1077 is hex text read as the typed fiscal sign
    for (int n : {1, 212, 213}) {
        const auto d = document(*f, n);
        EXPECT_TRUE(d.textOr("documentTLV.1012").endsWith("+03:00")) << n;
        EXPECT_FALSE(d.textOr("documentTLV.fiscalDocumentType").isEmpty()) << n;
        f->setParam(LIBFPTR_PARAM_FN_DATA_TYPE, f->c(LIBFPTR_FNDT_DOCUMENT_BY_NUMBER));
        f->setParam(LIBFPTR_PARAM_DOCUMENT_NUMBER, QString::number(n));
        f->fnQueryData();
        EXPECT_EQ(f->getParamString(LIBFPTR_PARAM_FISCAL_SIGN),
                  emu::fiscalSignOfHex(d.textOr("documentTLV.1077")));
    }
    EXPECT_TRUE(
        document(*f, 213)
            .textOr("documentTLV.qr")
            .contains("fp=" + emu::fiscalSignOfHex(document(*f, 213).textOr("documentTLV.1077"))));
    const auto info = drv::JsonAnswer::parse(f->jsonTask(R"({"type": "getFnInfo"})"));
    EXPECT_TRUE(info.textOr("fnInfo.validityDate").endsWith("+03:00"));
    f->setParam(LIBFPTR_PARAM_FN_DATA_TYPE, f->c(LIBFPTR_FNDT_REG_INFO));
    f->fnQueryData();
    EXPECT_EQ(f->getParamInt(1209), 4);
    auto g = drv::Fptr::create();
    ASSERT_EQ(g->openTcpAuto("192.168.77.40"), 0);
    g->setParam(LIBFPTR_PARAM_FN_DATA_TYPE, g->c(LIBFPTR_FNDT_REG_INFO));
    g->fnQueryData();
    EXPECT_EQ(g->getParamInt(1209), 2);
}

// Every document the demo register announces can be read, and its numbers agree: the storage
// status, the last document and receipt, the shift, the unsent documents and the archive.
TEST_F(EmulatorRegister, DemoArchiveIsWholeAndAgreesWithTheRegister) {
    emu::World::instance().loadDemo();
    auto f = openCom("5");
    const auto status = drv::JsonAnswer::parse(f->jsonTask(R"({"type": "getFnStatus"})"));
    const int last = status.textOr("fnStatus.fiscalDocumentNumber").toInt();
    EXPECT_GE(last, 200);
    const auto lastOf = [&](const char* type) {
        f->setParam(LIBFPTR_PARAM_FN_DATA_TYPE, f->c(type));
        EXPECT_EQ(f->fnQueryData(), 0) << type;
        return f->getParamInt(LIBFPTR_PARAM_DOCUMENT_NUMBER);
    };
    EXPECT_EQ(lastOf(LIBFPTR_FNDT_LAST_DOCUMENT), last);
    EXPECT_EQ(lastOf(LIBFPTR_FNDT_LAST_RECEIPT), last);
    f->setParam(LIBFPTR_PARAM_FN_DATA_TYPE, f->c(LIBFPTR_FNDT_OFD_EXCHANGE_STATUS));
    f->fnQueryData();
    const int firstUnsent = f->getParamInt(LIBFPTR_PARAM_DOCUMENT_NUMBER);
    EXPECT_EQ(firstUnsent, last - f->getParamInt(LIBFPTR_PARAM_DOCUMENTS_COUNT) + 1);
    EXPECT_LE(firstUnsent, last);
    const QDateTime firstUnsentMoment = f->getParamDateTime(LIBFPTR_PARAM_DATE_TIME);

    QString previousMoment;
    int shifts = 0, receiptsOfTheLastShift = 0;
    double sumOfTheLastShift = 0;
    QSet<QString> days, kinds;
    for (int n = 1; n <= last; ++n) {
        const auto d = document(*f, n);
        ASSERT_EQ(f->errorCode(), 0) << n;
        const QString moment = d.textOr("documentTLV.1012");
        EXPECT_GE(moment, previousMoment) << n;
        previousMoment = moment;
        days.insert(moment.left(10));
        const QString type = d.textOr("documentTLV.fiscalDocumentType");
        kinds.insert(type + d.textOr("documentTLV.1054"));
        if (type == "openShift") {
            EXPECT_EQ(d.textOr("documentTLV.1038").toInt(), ++shifts) << n;
            receiptsOfTheLastShift = 0;
            sumOfTheLastShift = 0;
        } else if (type == "receipt" || type == "receiptCorrection" || type.startsWith("bso")) {
            EXPECT_EQ(d.textOr("documentTLV.1042").toInt(), ++receiptsOfTheLastShift) << n;
            EXPECT_FALSE(d.textOr("documentTLV.1059[0].1030").isEmpty()) << n;
            sumOfTheLastShift += d.textOr("documentTLV.1020").toDouble();
        }
        if (n == firstUnsent) {
            f->setParam(LIBFPTR_PARAM_FN_DATA_TYPE, f->c(LIBFPTR_FNDT_DOCUMENT_BY_NUMBER));
            f->setParam(LIBFPTR_PARAM_DOCUMENT_NUMBER, n);
            EXPECT_EQ(f->fnQueryData(), 0);
            EXPECT_EQ(f->getParamDateTime(LIBFPTR_PARAM_DATE_TIME), firstUnsentMoment);
        }
    }
    EXPECT_GE(days.size(), 20);
    // sales, returns and a correction among them
    for (const char* kind : {"receipt1", "receipt2", "receiptCorrection1", "closeShift"})
        EXPECT_TRUE(kinds.contains(kind)) << kind;
    EXPECT_EQ(status.textOr("fnStatus.fiscalReceiptNumber").toInt(), receiptsOfTheLastShift);
    // the open shift's counters count its receipts
    int counted = 0;
    double paid = 0;
    for (const char* type :
         {LIBFPTR_RT_SELL, LIBFPTR_RT_SELL_RETURN, LIBFPTR_RT_BUY, LIBFPTR_RT_BUY_RETURN,
          LIBFPTR_RT_SELL_CORRECTION, LIBFPTR_RT_SELL_RETURN_CORRECTION, LIBFPTR_RT_BUY_CORRECTION,
          LIBFPTR_RT_BUY_RETURN_CORRECTION}) {
        f->setParam(LIBFPTR_PARAM_DATA_TYPE, f->c(LIBFPTR_DT_RECEIPT_COUNT));
        f->setParam(LIBFPTR_PARAM_RECEIPT_TYPE, f->c(type));
        f->queryData();
        counted += f->getParamInt(LIBFPTR_PARAM_DOCUMENTS_COUNT);
        for (const char* payment : {LIBFPTR_PT_CASH, LIBFPTR_PT_ELECTRONICALLY}) {
            f->setParam(LIBFPTR_PARAM_DATA_TYPE, f->c(LIBFPTR_DT_PAYMENT_SUM));
            f->setParam(LIBFPTR_PARAM_RECEIPT_TYPE, f->c(type));
            f->setParam(LIBFPTR_PARAM_PAYMENT_TYPE, f->c(payment));
            f->queryData();
            paid += f->getParamDouble(LIBFPTR_PARAM_SUM);
        }
    }
    EXPECT_EQ(counted, receiptsOfTheLastShift);
    EXPECT_NEAR(paid, sumOfTheLastShift, 0.005);
    f->setParam(LIBFPTR_PARAM_DATA_TYPE, f->c(LIBFPTR_DT_SHIFT_STATE));
    f->queryData();
    EXPECT_EQ(f->getParamInt(LIBFPTR_PARAM_SHIFT_NUMBER), shifts);
    EXPECT_EQ(f->getParamInt(LIBFPTR_PARAM_SHIFT_STATE), f->c(LIBFPTR_SS_OPENED));
    f->setParam(LIBFPTR_PARAM_DATA_TYPE, f->c(LIBFPTR_DT_RECEIPT_STATE));
    f->queryData();
    EXPECT_EQ(f->getParamInt(LIBFPTR_PARAM_RECEIPT_NUMBER), receiptsOfTheLastShift);
    EXPECT_EQ(f->getParamInt(LIBFPTR_PARAM_DOCUMENT_NUMBER), last);
}

}  // namespace
