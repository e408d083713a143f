// The value text of floating-point numbers: the shortest digits that read back as the same
// double, never in exponent form, with the locale's decimal separator.
#include <gtest/gtest.h>

#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <cmath>

#include "driver/ValueText.h"

// Failures show the texts themselves.
static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

class DoubleText : public ::testing::Test {
  protected:
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
    static void useRussian() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
};

// The checks that hold under any locale whose decimal separator is `sep`.
void expectPlainForms(QChar sep) {
    const auto s = [sep](const char* text) { return QString::fromLatin1(text).replace('.', sep); };
    EXPECT_EQ(drv::doubleText(100000), "100000");
    EXPECT_EQ(drv::doubleText(1000000), "1000000");
    EXPECT_EQ(drv::doubleText(1283455.5), s("1283455.5"));
    EXPECT_EQ(drv::doubleText(0.1 + 0.2), s("0.30000000000000004"));
    EXPECT_EQ(drv::doubleText(0.0001), s("0.0001"));
    EXPECT_EQ(drv::doubleText(-2500000.75), s("-2500000.75"));
    EXPECT_EQ(drv::doubleText(-0.00025), s("-0.00025"));
    EXPECT_EQ(drv::doubleText(24), "24");
    EXPECT_EQ(drv::doubleText(0), "0");
    // the largest sums a register keeps (kopecks in 64 bits) and the smallest fractions
    EXPECT_EQ(drv::doubleText(92233720368547.75), s("92233720368547.75"));
    EXPECT_EQ(drv::doubleText(1e15), "1000000000000000");
    EXPECT_EQ(drv::doubleText(1e-7), s("0.0000001"));
    // the value-text entry point gives the same
    EXPECT_EQ(drv::valueText(QVariant(1e6)), "1000000");
    EXPECT_EQ(drv::valueText(QVariant(1e-4)), s("0.0001"));
}

}  // namespace

TEST_F(DoubleText, RussianLocaleWritesPlainDecimalsWithAComma) {
    useRussian();
    expectPlainForms(QLatin1Char(','));
    // no thousands separator either
    EXPECT_EQ(drv::doubleText(12345678.5), "12345678,5");
}

TEST_F(DoubleText, CLocaleWritesPlainDecimalsWithADot) {
    QLocale::setDefault(QLocale::c());
    expectPlainForms(QLatin1Char('.'));
}

TEST_F(DoubleText, EveryTextReadsBackAsTheSameDouble) {
    useRussian();
    const QLocale loc;
    auto* rng = QRandomGenerator::global();
    for (int i = 0; i < 20000; ++i) {
        // magnitudes from 1e-6 up to 1e15, random digits
        const double magnitude = std::pow(10.0, rng->bounded(-6, 16));
        double v = rng->generateDouble() * magnitude;
        if (i % 3 == 0) v = std::round(v);  // round values are the ones that went wrong
        if (i % 2 == 0) v = -v;
        const QString text = drv::doubleText(v);
        ASSERT_FALSE(text.contains('e', Qt::CaseInsensitive)) << text.toStdString();
        bool ok = false;
        ASSERT_EQ(loc.toDouble(text, &ok), v) << text.toStdString();
        ASSERT_TRUE(ok) << text.toStdString();
        // and no shorter text would do: dropping the last digit changes the value
        const qsizetype digits = text.count(QRegularExpression("[0-9]"));
        if (text.contains(',') && digits > 1) {
            QString shorter = text.chopped(1);
            if (shorter.endsWith(',')) shorter.chop(1);
            EXPECT_NE(loc.toDouble(shorter), v) << text.toStdString();
        }
    }
}

// Under the system locale itself (ctest runs this once more with LC_ALL=ru_RU.UTF-8).
TEST(SystemLocale, ValueTextOfNumbersHasNoExponent) {
    if (!qgetenv("LC_ALL").startsWith("ru_RU")) GTEST_SKIP() << "runs under LC_ALL=ru_RU.UTF-8";
    QLocale::setDefault(QLocale::system());
    EXPECT_EQ(QLocale().name(), "ru_RU");
    EXPECT_EQ(drv::valueText(1e6), "1000000");
    EXPECT_EQ(drv::valueText(1e5) + " В", "100000 В");
    EXPECT_EQ(drv::valueText(1283455.5), "1283455,5");
    EXPECT_EQ(drv::valueText(0.1 + 0.2), "0,30000000000000004");
    EXPECT_EQ(drv::valueText(0.0001), "0,0001");
    EXPECT_EQ(drv::valueText(-1e6), "-1000000");
}
