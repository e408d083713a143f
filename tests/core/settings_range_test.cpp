// The range a description declares and the editor's check of a typed value against it.
#include <gtest/gtest.h>

#include "settings/RangeRule.h"

using namespace settings;

namespace {

struct RangeCase {
    const char* description;
    const char* lower;  // bound texts before they are read as numbers
    const char* upper;
    bool valid;
    qint64 from, to;
};

// Descriptions from the catalogue's point of view: the eleven-character limit decides whether
// the upper bound is cut at the first space.
const RangeCase kCases[] = {
    {"0..255", "0", "255", true, 0, 255},
    {"1..99 (примечание в скобках)", "1", "99", true, 1, 99},
    {"0..255 байт", "0", "255 байт", false, 0, 0},  // 11 characters: nothing is cut
    {"0..255 (байт)", "0", "255", true, 0, 255},    // 13 characters: cut at the space
    {"0..23 (час)", "0", "23 (час)", false, 0, 0},  // 11 characters again
    {"0..23 (часы)", "0", "23", true, 0, 23},       // 12 characters
    {"10..500 (мс)", "10", "500", true, 10, 500},   // exactly 12
    {"  0..255  ", "0", "255", true, 0, 255},       // surrounding blanks do not count
    {"\t1..9\r\n", "1", "9", true, 1, 9},           // nor do control characters
    {"5 .. 7", "5", "7", true, 5, 7},               // blanks around the bounds
    {"-10..10", "-10", "10", true, -10, 10},        // signed bounds
    {"1..99999999", "1", "99999999", true, 1, 99999999},
    {"0..99999999 (до 8 цифр)", "0", "99999999", true, 0, 99999999},
    {"0..4294967295 (x)", "0", "", false, 0, 0},       // ten digits, no space within ten
    {"0..1234567890123", "0", "", false, 0, 0},        // long and without a space
    {"1..2..3", "1", "2..3", false, 0, 0},             // the first ".." splits
    {"..5", "", "5", false, 0, 0},                     // no lower bound
    {"5..", "5", "", false, 0, 0},                     // no upper bound
    {"Число 1..5 штук", "Число 1", "5", false, 0, 0},  // text before the range
    {"1..5 штук и более", "1", "5", true, 1, 5},       // a remark after a space is ignored
};

}  // namespace

TEST(SettingsRange, BoundTextsAndNumbersOfEveryCase) {
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.description);
        const QString desc = QString::fromUtf8(c.description);
        EXPECT_TRUE(hasRange(desc));
        const RangeTexts texts = rangeTexts(desc);
        EXPECT_EQ(texts.lower, QString::fromUtf8(c.lower));
        EXPECT_EQ(texts.upper, QString::fromUtf8(c.upper));
        const auto range = parseRange(desc);
        ASSERT_EQ(range.has_value(), c.valid);
        if (range) {
            EXPECT_EQ(*range, (Range{c.from, c.to}));
        }
    }
}

TEST(SettingsRange, DescriptionWithoutDotsDeclaresNothing) {
    for (const char* d : {"", "Текст без диапазона", "Версия 1.05", "Адрес www.nalog.gov.ru"}) {
        SCOPED_TRACE(d);
        EXPECT_FALSE(hasRange(QString::fromUtf8(d)));
        EXPECT_FALSE(parseRange(QString::fromUtf8(d)).has_value());
        EXPECT_EQ(checkRange(QString::fromUtf8(d), "не число"), RangeCheck::Ok);
    }
}

TEST(SettingsRange, WholeNumbers) {
    EXPECT_EQ(wholeNumber("12"), 12);
    EXPECT_EQ(wholeNumber(" 12 "), 12);
    EXPECT_EQ(wholeNumber("+7"), 7);
    EXPECT_EQ(wholeNumber("-7"), -7);
    EXPECT_EQ(wholeNumber("007"), 7);
    for (const char* bad :
         {"", " ", "+", "-", "1 2", "12a", "1.5", "1,5", "0x10", "٣", "99999999999999999999"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(wholeNumber(QString::fromUtf8(bad)).has_value());
    }
}

TEST(SettingsRange, EditorCheckInItsOrder) {
    struct Check {
        const char* description;
        const char* text;
        RangeCheck expected;
    };
    const Check checks[] = {
        {"0..255", "12", RangeCheck::Ok},
        {"0..255", "0", RangeCheck::Ok},
        {"0..255", "255", RangeCheck::Ok},
        {"0..255", " 12 ", RangeCheck::Ok},  // blanks removed before the check
        {"0..255", "256", RangeCheck::OutOfRange},
        {"0..255", "-1", RangeCheck::OutOfRange},
        {"0..255", "", RangeCheck::NotANumber},
        {"0..255", "двенадцать", RangeCheck::NotANumber},
        {"0..255 байт", "12", RangeCheck::BadRange},   // any number is refused
        {"0..255 байт", "x", RangeCheck::NotANumber},  // the number is checked first
        {"0..255 (байт)", "255", RangeCheck::Ok},
        {"0..255 (байт)", "256", RangeCheck::OutOfRange},
        {"1..99 (минуты)", "100", RangeCheck::OutOfRange},
    };
    for (const auto& c : checks) {
        SCOPED_TRACE(std::string(c.description) + " / " + c.text);
        EXPECT_EQ(checkRange(QString::fromUtf8(c.description), QString::fromUtf8(c.text)),
                  c.expected);
    }
}

TEST(SettingsRange, MessagesOfRefusedValues) {
    EXPECT_EQ(rangeMessage(RangeCheck::NotANumber), "Введено некорректное значение.");
    EXPECT_EQ(rangeMessage(RangeCheck::BadRange), "Некорректный диапазон");
    EXPECT_EQ(rangeMessage(RangeCheck::OutOfRange), "Некорректное значение");
    EXPECT_TRUE(rangeMessage(RangeCheck::Ok).isEmpty());
}

TEST(SettingsRange, BlanksAreControlCharactersAndSpaces) {
    EXPECT_EQ(trimBlanks(QString::fromUtf8(" \t\r\nабв \x01")), "абв");
    EXPECT_EQ(trimBlanks("a b"), "a b");
    EXPECT_EQ(trimBlanks("   "), "");
}
