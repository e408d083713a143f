// The word maps of the device information reports: bit lists, FFD versions, shift states, flags,
// life phases and the validity months (receipt states: info_reports_test, against the driver).
#include <gtest/gtest.h>

#include <QLocale>

#include "driver/JsonAnswer.h"
#include "info/DeviceStatusReport.h"
#include "info/FnReport.h"
#include "info/RegistrationReport.h"

TEST(InfoBitLists, TaxSystemsKeepEmptyNames) {
    EXPECT_EQ(info::taxSystemsText(0), "");
    EXPECT_EQ(info::taxSystemsText(1), "ОСН");
    EXPECT_EQ(info::taxSystemsText(3), "ОСН, УСН доход");
    EXPECT_EQ(info::taxSystemsText(65), "ОСН, ");  // bit 6 has no name
    EXPECT_EQ(info::taxSystemsText(64 | 128), ", ");
    EXPECT_EQ(info::taxSystemsText(0x3F), "ОСН, УСН доход, УСН доход-расход, ЕНВД, ЕСХН, Патент");
    // only the lowest 8 bits count
    EXPECT_EQ(info::taxSystemsText(0x100 | 0x20), "Патент");
    EXPECT_EQ(info::taxSystemsText(0xFF00), "");
}

TEST(InfoBitLists, AgentFlagsSayNetWhenNoneSet) {
    EXPECT_EQ(info::agentFlagsText(0), "Нет");
    EXPECT_EQ(info::agentFlagsText(64), "Агент");
    EXPECT_EQ(info::agentFlagsText(20), "Пл. агент, Поверенный");
    EXPECT_EQ(info::agentFlagsText(1 | 2 | 8 | 32),
              "Банк пл. агент, Банк пл. субагент, Пл. субагент, Комиссионер");
    EXPECT_EQ(info::agentFlagsText(128), "");       // bit 7 has no name
    EXPECT_EQ(info::agentFlagsText(0x200), "Нет");  // above bit 7: ignored
    EXPECT_EQ(info::agentFlagsText(0x200 | 16), "Поверенный");
}

TEST(InfoMaps, FfdVersionsDifferPerRow) {
    // the device's current version has no name for 100, the range rows do
    EXPECT_EQ(info::ffdCurrentText(100), "100");
    EXPECT_EQ(info::ffdRangeText(100), "1.0");
    for (auto f : {info::ffdCurrentText, info::ffdRangeText, info::fnMaxFfdText}) {
        EXPECT_EQ(f(0), "Неизвестно");
        EXPECT_EQ(f(105), "1.05");
        EXPECT_EQ(f(110), "1.1");
        EXPECT_EQ(f(120), "1.2");
        EXPECT_EQ(f(130), "130");
    }
    EXPECT_EQ(info::fnMaxFfdText(100), "100");
    // the registration's tag 1209 leaves anything unknown empty
    EXPECT_EQ(info::registrationFfdText(100), "");
    EXPECT_EQ(info::registrationFfdText(0), "Неизвестно");
    EXPECT_EQ(info::registrationFfdText(110), "1.1");
    EXPECT_EQ(info::registrationFfdText(4), "");
    // the driver reads 1209 as the format code
    EXPECT_EQ(info::ffdVersionOfFormatCode(2), 105);
    EXPECT_EQ(info::ffdVersionOfFormatCode(3), 110);
    EXPECT_EQ(info::ffdVersionOfFormatCode(4), 120);
    EXPECT_EQ(info::ffdVersionOfFormatCode(1), 100);
    EXPECT_EQ(info::ffdVersionOfFormatCode(0), 0);
    EXPECT_EQ(info::ffdVersionOfFormatCode(120), 120);
    EXPECT_EQ(info::registrationFfdText(info::ffdVersionOfFormatCode(4)), "1.2");
}

TEST(InfoMaps, ShiftStateAndFlags) {
    EXPECT_EQ(info::shiftStateText("0", "x"), "Закрыта");
    EXPECT_EQ(info::shiftStateText("1", "x"), "Открыта");
    EXPECT_EQ(info::shiftStateText("2", "05.03.2024 13:07:09"), "Истекла (05.03.2024 13:07:09)");
    EXPECT_EQ(info::shiftStateText("3", "x"), "");
    EXPECT_EQ(info::yesNo("True"), "Да");
    EXPECT_EQ(info::yesNo("False"), "Нет");
    EXPECT_EQ(info::yesNo(""), "Да");  // anything but "False"
    EXPECT_EQ(info::invertedYesNo("False"), "Да");
    EXPECT_EQ(info::invertedYesNo("True"), "Нет");
    EXPECT_EQ(info::wifiText(-1, true), "Отсутствует");
    EXPECT_EQ(info::wifiText(-1, false), "Неизвестно");
    EXPECT_EQ(info::wifiText(0, true), "0");
    EXPECT_EQ(info::wifiText(0, false), "0");
}

TEST(InfoMaps, VoltageUsesTheSystemSeparator) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    EXPECT_EQ(info::voltageText(3.5), "3,5 В");
    EXPECT_EQ(info::voltageText(24), "24 В");
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(info::voltageText(3.5), "3.5 В");
}

TEST(InfoMaps, RegistrationJsonRuleAndFallback) {
    const auto a = drv::JsonAnswer::parse(
        R"({"device": {"marking": true, "pawnShop": false, "insurance": "maybe"}})");
    EXPECT_EQ(info::jsonFlagText(a, "device.marking", 120), "Да");
    EXPECT_EQ(info::jsonFlagText(a, "device.pawnShop", 120), "Нет");
    EXPECT_EQ(info::jsonFlagText(a, "device.insurance", 105), "");
    const auto none = drv::JsonAnswer::parse(R"({"device": {}})");
    EXPECT_EQ(info::jsonFlagText(none, "device.marking", 105), "Нет");
    EXPECT_EQ(info::jsonFlagText(none, "device.marking", 110), "Нет");
    EXPECT_EQ(info::jsonFlagText(none, "device.marking", 120), "");
    EXPECT_EQ(info::jsonFlagText(none, "device.marking", 100), "");
    // not JSON at all: the fallback, as for an answer without the paths
    const auto garbage = drv::JsonAnswer::parse("<html>error</html>");
    EXPECT_EQ(info::jsonFlagText(garbage, "device.marking", 105), "Нет");
    EXPECT_EQ(info::jsonFlagText(garbage, "device.marking", 120), "");
}

TEST(InfoMaps, LivePhaseAndWarnings) {
    EXPECT_EQ(info::livePhaseText("fiscalMode"), "Фискальный режим");
    EXPECT_EQ(info::livePhaseText("init"), "Настройка ФН");
    EXPECT_EQ(info::livePhaseText("configured"), "Настроен, готов в активации");
    EXPECT_EQ(info::livePhaseText("postFiscalMode"), "Постфискальный режим");
    EXPECT_EQ(info::livePhaseText("accessArchive"), "Доступ к архиву ФН");
    EXPECT_EQ(info::livePhaseText("unknown"), "Неизвестная");
    EXPECT_EQ(info::livePhaseText("FiscalMode"), "");
    EXPECT_EQ(info::trueFalseText(QString("true")), "Да");
    EXPECT_EQ(info::trueFalseText(QString("false")), "Нет");
    EXPECT_EQ(info::trueFalseText(QString("1")), "");
    EXPECT_EQ(info::trueFalseText(std::nullopt), "");
}

class InfoMonths : public ::testing::Test {
  protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

TEST_F(InfoMonths, WholeMonthsOfThirtyAndAQuarterDays) {
    // 397 days
    EXPECT_EQ(info::validityMonths("01.01.2024 00:00:00", "01.02.2025 00:00:00"), 13);
    // order does not matter
    EXPECT_EQ(info::validityMonths("01.02.2025 00:00:00", "01.01.2024 00:00:00"), 13);
    // 30.4 days is not yet a month; 30.4375 days is exactly one
    EXPECT_EQ(info::validityMonths("01.01.2024 00:00:00", "31.01.2024 09:36:00"), 0);
    EXPECT_EQ(info::validityMonths("01.01.2024 00:00:00", "31.01.2024 10:30:00"), 1);
    // 457.6 days across a daylight-saving change in either zone: 15 months
    EXPECT_EQ(info::validityMonths("14.03.2023 09:15:00", "14.06.2024 00:00:00"), 15);
    // a moment that can't be read back: no months
    EXPECT_EQ(info::validityMonths("", "01.02.2025 00:00:00"), std::nullopt);
    EXPECT_EQ(info::validityMonths("01.01.2024 00:00:00", "2025-02-01"), std::nullopt);
}
