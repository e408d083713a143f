// The JSON answer helper: answers parsed once, paths looked up in the parsed tree, oversized
// answers refused with a clear error.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "documents/DocumentAnswer.h"
#include "driver/JsonAnswer.h"

namespace {

TEST(DriverJsonAnswer, OversizedAnswersAreRefusedWithAClearError) {
    const QString big = QStringLiteral(R"({"a": ")") +
                        QString(drv::JsonAnswer::kMaxAnswerChars, QLatin1Char('x')) +
                        QStringLiteral(R"("})");
    const auto a = drv::JsonAnswer::parse(big);
    EXPECT_FALSE(a.isObject());
    EXPECT_TRUE(a.tooLarge());
    EXPECT_TRUE(a.error().contains(QStringLiteral("слишком велик"))) << a.error().toStdString();
    EXPECT_FALSE(a.has("a"));
    // just under the cap is parsed
    const QString fits =
        QStringLiteral(R"({"a": ")") + QString(1000, QLatin1Char('x')) + QStringLiteral(R"("})");
    EXPECT_EQ(drv::JsonAnswer::parse(fits).textOr("a").size(), 1000);
}

// A fiscal document's answer has the same bound: a huge one is refused before any parsing.
TEST(DriverJsonAnswer, OversizedDocumentsAreRefusedBeforeParsing) {
    const QString item = QStringLiteral(R"({"1030": "товар", "1079": 1.5},)");
    QString big = QStringLiteral(R"({"documentTLV": {"1059": [)");
    while (big.size() <= drv::JsonAnswer::kMaxAnswerChars) big += item;
    big += QStringLiteral(R"({}]}})");
    QElapsedTimer timer;
    timer.start();
    const auto a = documents::DocumentAnswer::parse(big);
    EXPECT_LT(timer.elapsed(), 500);
    EXPECT_TRUE(a.failed());
    EXPECT_TRUE(a.error().contains(QStringLiteral("слишком велик"))) << a.error().toStdString();
    EXPECT_FALSE(a.tlv(QStringLiteral("1059")).has_value());
}

TEST(DriverJsonAnswer, ErrorsSayWhyThereIsNoObject) {
    EXPECT_TRUE(drv::JsonAnswer::parse("").error().isEmpty());
    EXPECT_FALSE(drv::JsonAnswer::parse("").isObject());
    EXPECT_TRUE(drv::JsonAnswer::parse("<error/>").error().contains(QStringLiteral("позиции")));
    EXPECT_FALSE(drv::JsonAnswer::parse("[1, 2]").error().isEmpty());
    EXPECT_TRUE(drv::JsonAnswer::parse("{}").error().isEmpty());
}

TEST(DriverJsonAnswer, PathsInTheParsedTree) {
    const auto a = drv::JsonAnswer::parse(
        R"({"d": {"1059": [{"1030": "A", "x": [[1, 2], [3]]}], "short": true, "1020": 100.5}})");
    EXPECT_EQ(a.textOr("d.1059[0].1030"), "A");
    EXPECT_EQ(a.textOr("d.1059[0].x[1][0]"), "3");
    EXPECT_EQ(a.textOr("d.1020"), "100.5");
    EXPECT_EQ(a.textOr("d.short"), "true");
    for (const char* absent : {"d.1059[1].1030", "d.1059[-1]", "d.1059[]", "d.1059[0", "d.1059[a]",
                               "d..1020", "d.1020.x", "d.1059[0]x", "d.1059[٣]", ""})
        EXPECT_FALSE(a.has(QString::fromUtf8(absent))) << absent;
}

}  // namespace
