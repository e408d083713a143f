// The driver log: one open file, one flushed line per call, the error code taken from the
// implementation without an extra driver call.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include "driver/DriverLog.h"
#include "driver/Fptr.h"

namespace {

// A driver object that counts the calls it gets.
class CountingDispatch : public drv::IDispatch {
  public:
    explicit CountingDispatch(int* errorCodeCalls) : errorCodeCalls_(errorCodeCalls) {}
    std::optional<QVariant> constant(const QString&) const override { return std::nullopt; }
    std::optional<QVariant> invoke(const QString& method, const QVariantList&) override {
        if (method == "errorCode") {
            ++*errorCodeCalls_;
            return QVariant(code_);
        }
        if (method == "fail") code_ = 7;
        if (method == "succeed") code_ = 0;
        return QVariant(code_ ? -1 : 0);
    }
    std::optional<int> lastErrorCode() const override { return code_; }

  private:
    int* errorCodeCalls_;
    int code_ = 0;
};

TEST(DriverLog, OneOpenFileOneLinePerCallNoExtraDriverCall) {
    QTemporaryDir dir;
    const QString path = dir.filePath("log.jsonl");
    int errorCodeCalls = 0;
    drv::Fptr f(std::make_unique<CountingDispatch>(&errorCodeCalls));
    auto& log = drv::DriverLog::instance();
    log.setPath(path);
    ASSERT_TRUE(log.enabled());
    f.call("succeed", {1, "a"});
    f.call("fail");
    // flushed per line: the lines are in the file before the log is closed
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3);  // two lines and the empty rest after the last line break
    const auto first = QJsonDocument::fromJson(lines[0]).object();
    const auto second = QJsonDocument::fromJson(lines[1]).object();
    EXPECT_EQ(first.value("method").toString(), "succeed");
    EXPECT_EQ(first.value("args").toArray(), QJsonArray({1, "a"}));
    EXPECT_EQ(first.value("error").toInt(), 0);
    EXPECT_EQ(second.value("error").toInt(), 7);
    EXPECT_EQ(second.value("obj").toInt(), f.objectId());
    EXPECT_EQ(errorCodeCalls, 0);
    EXPECT_EQ(f.errorCode(), 7);  // the program's own errorCode call is passed through, not logged
    EXPECT_EQ(errorCodeCalls, 1);
    log.setPath({});
    EXPECT_FALSE(log.enabled());
    f.call("succeed");
    file.close();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().count('\n'), 2);
}

TEST(DriverLog, AnUnwritablePathDisablesTheLog) {
    auto& log = drv::DriverLog::instance();
    log.setPath(QStringLiteral("/nonexistent-dir/x/log.jsonl"));
    EXPECT_FALSE(log.enabled());
    log.setPath({});
}

}  // namespace
