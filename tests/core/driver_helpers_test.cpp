// The driver helpers every tab relies on: version comparison, dotted paths, value texts and the
// late-bound object's handling of names it does not know.
#include <gtest/gtest.h>

#include <QTimeZone>

#include "driver/Fptr.h"
#include "driver/JsonAnswer.h"
#include "driver/ValueText.h"
#include "driver/Versions.h"
#include "emulator/Bench.h"
#include "emulator/VirtualRegister.h"

namespace {

TEST(CompareVersions, DottedComparisonRules) {
    EXPECT_EQ(drv::compareVersions("10.10.0.0", "10.10.0.0"), 0);
    EXPECT_EQ(drv::compareVersions("10.10.0.0", "10.12.1.5"), 2);
    EXPECT_EQ(drv::compareVersions("10.10.0.0", "9.0"), 1);
    EXPECT_EQ(drv::compareVersions("10.10.0.0", "10.10"), 0);
    EXPECT_EQ(drv::compareVersions("10.10.x", "10.10.0.0"), 0);
    EXPECT_EQ(drv::compareVersions("10.10.0.1", "10.10.0.0"), 1);
    // numbers, not texts: 10.9 is older than 10.10
    EXPECT_EQ(drv::compareVersions("10.9", "10.10"), 2);
    EXPECT_EQ(drv::compareVersions("", "0.0"), 0);
}

TEST(JsonAnswer, DottedPathsAndIndexes) {
    const auto a = drv::JsonAnswer::parse(R"({"documentTLV": {"1012": "2021-03-04T12:34:00",
        "1040": 42, "1020": 100.5, "short": false, "1059": [{"1030": "Хлеб"}, {"1030": "Соль"}]},
        "fnInfo": {"serial": "9999078945337305", "warnings": {"criticalError": true}}})");
    ASSERT_TRUE(a.isObject());
    EXPECT_EQ(a.textOr("documentTLV.1012"), "2021-03-04T12:34:00");
    EXPECT_EQ(a.textOr("documentTLV.1040"), "42");
    EXPECT_EQ(a.textOr("documentTLV.1020"), "100.5");
    EXPECT_EQ(a.textOr("documentTLV.short"), "false");
    EXPECT_EQ(a.textOr("fnInfo.warnings.criticalError"), "true");
    EXPECT_EQ(a.textOr("fnInfo.serial"), "9999078945337305");
    EXPECT_EQ(a.textOr("documentTLV.1059[1].1030"), "Соль");
    EXPECT_FALSE(a.has("documentTLV.1059[2].1030"));
    EXPECT_FALSE(a.has("documentTLV.1059[x]"));
    EXPECT_FALSE(a.has("fnInfo.serial.more"));
    EXPECT_FALSE(a.has("nothing"));
}

TEST(JsonAnswer, EmptyOrNonObjectAnswersHaveNoPaths) {
    for (const char* text : {"", "   ", "not json", "[1,2]", "42", "{\"a\": "}) {
        const auto a = drv::JsonAnswer::parse(text);
        EXPECT_FALSE(a.isObject()) << text;
        EXPECT_FALSE(a.has("a")) << text;
    }
}

class ValueTextRu : public ::testing::Test {
  protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

TEST_F(ValueTextRu, RussianSystemTexts) {
    EXPECT_EQ(drv::valueText(3.5), "3,5");
    EXPECT_EQ(drv::valueText(1283455.5), "1283455,5");  // no thousands separator
    EXPECT_EQ(drv::valueText(24.0), "24");
    EXPECT_EQ(drv::valueText(0.17), "0,17");
    EXPECT_EQ(drv::valueText(true), "True");
    EXPECT_EQ(drv::valueText(false), "False");
    EXPECT_EQ(drv::valueText(105), "105");
    EXPECT_EQ(drv::valueText(QVariant(qlonglong(-1))), "-1");
    const QDateTime moment(QDate(2024, 3, 5), QTime(13, 7, 9));
    EXPECT_EQ(drv::valueText(moment), "05.03.2024 13:07:09");
    EXPECT_EQ(drv::parseDateTimeText("05.03.2024 13:07:09"), moment);
    EXPECT_FALSE(drv::parseDateTimeText("31.02.2024 25:00:00").isValid());
    EXPECT_EQ(drv::dateTimeText(QDateTime()), "");
}

TEST(ValueText, IsoMomentsWithoutZoneAreUtc) {
    const auto utc = drv::parseIsoDateTime("2021-03-04T12:34:00");
    EXPECT_EQ(utc.timeSpec(), Qt::UTC);
    EXPECT_EQ(utc.time(), QTime(12, 34));
    const auto offset = drv::parseIsoDateTime("2021-03-04T12:34:00+03:00");
    EXPECT_EQ(offset.toUTC().time(), QTime(9, 34));
    EXPECT_FALSE(drv::parseIsoDateTime("yesterday").isValid());
}

class LateBound : public ::testing::Test {
  protected:
    void SetUp() override {
        emu::World::instance().loadDemo();
        drv::setDispatchFactory(&emu::VirtualRegister::create);
    }
};

TEST_F(LateBound, UnknownNamesAreErrorsNotZero) {
    auto f = drv::Fptr::create();
    EXPECT_EQ(f->c("LIBFPTR_DT_STATUS"), 0);
    EXPECT_EQ(f->c("LIBFPTR_PARAM_JSON_DATA"), 65645);
    EXPECT_EQ(f->constant("LIBFPTR_SETTING_COM_FILE").toString(), "ComFile");
    EXPECT_THROW(f->c("LIBFPTR_NO_SUCH_THING"), drv::DriverNameError);
    EXPECT_THROW(f->call("noSuchMethod"), drv::DriverNameError);
}

TEST_F(LateBound, OpenQueryAndErrorCodes) {
    auto f = drv::Fptr::create();
    // not opened: queries fail with a code, never an exception
    EXPECT_EQ(f->queryData(), -1);
    EXPECT_NE(f->errorCode(), 0);
    EXPECT_EQ(f->openSerialAuto("5"), 0);
    EXPECT_TRUE(f->isOpened());
    f->setParam("LIBFPTR_PARAM_DATA_TYPE", f->c("LIBFPTR_DT_STATUS"));
    EXPECT_EQ(f->queryData(), 0);
    EXPECT_EQ(f->getParamString("LIBFPTR_PARAM_MODEL_NAME"), "АТОЛ 30Ф");
    EXPECT_EQ(f->errorCode(), 0);
    const auto answer = drv::JsonAnswer::parse(f->jsonTask(R"({"type": "getFnInfo"})"));
    EXPECT_EQ(answer.textOr("fnInfo.livePhase"), "fiscalMode");
    f->close();
    EXPECT_FALSE(f->isOpened());
}

TEST_F(LateBound, InjectedErrorsFromTheNthCall) {
    emu::World::instance().loadJson(R"({"registers": [{"com": "COM3", "model": "М",
        "errors": [{"method": "queryData", "code": 2, "description": "Нет связи",
                    "fromCall": 2}]}]})",
                                    "inline");
    auto f = drv::Fptr::create();
    f->setSingleSetting("Port", "0");
    f->setSingleSetting("ComFile", "3");
    f->applySingleSettings();
    ASSERT_EQ(f->open(), 0);
    f->setParam("LIBFPTR_PARAM_DATA_TYPE", f->c("LIBFPTR_DT_STATUS"));
    EXPECT_EQ(f->queryData(), 0);
    f->setParam("LIBFPTR_PARAM_DATA_TYPE", f->c("LIBFPTR_DT_STATUS"));
    EXPECT_EQ(f->queryData(), -1);
    EXPECT_EQ(f->errorCode(), 2);
    EXPECT_EQ(f->errorDescription(), "Нет связи");
}

TEST(Bench, MalformedFilesNameTheFileAndProblem) {
    auto& w = emu::World::instance();
    try {
        w.loadFile("/nonexistent/bench.json");
        FAIL() << "no error";
    } catch (const emu::BenchError& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent/bench.json"), std::string::npos);
    }
    try {
        w.loadJson("{\"registers\": [ {\"model\": 1 ", "broken.json");
        FAIL() << "no error";
    } catch (const emu::BenchError& e) {
        EXPECT_NE(std::string(e.what()).find("broken.json"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("JSON"), std::string::npos);
    }
    EXPECT_THROW(w.loadJson(R"({"registers": [{"model": "no port"}]})", "x.json"), emu::BenchError);
    w.loadDemo();
}

}  // namespace
