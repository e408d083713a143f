// Value texts follow the system locale. Run by ctest a second time under LC_ALL=ru_RU.UTF-8.
#include <gtest/gtest.h>

#include <QLocale>

#include "driver/ValueText.h"

TEST(SystemLocale, RussianSystemGivesCommaAndDottedDate) {
    if (!qgetenv("LC_ALL").startsWith("ru_RU")) GTEST_SKIP() << "runs under LC_ALL=ru_RU.UTF-8";
    EXPECT_EQ(QLocale().name(), "ru_RU");
    EXPECT_EQ(drv::valueText(3.5) + " В", "3,5 В");
    EXPECT_EQ(drv::valueText(QDateTime(QDate(2024, 3, 5), QTime(13, 7, 9))), "05.03.2024 13:07:09");
}
