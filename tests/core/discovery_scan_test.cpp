// The network part of the scan on the bench's virtual LAN, without a window.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QTimer>

#include "app/DeviceRows.h"
#include "app/LineLog.h"
#include "app/Session.h"
#include "discovery/DeviceScan.h"
#include "driver/Dispatch.h"
#include "driver/Names.h"
#include "emulator/VirtualPc.h"
#include "emulator/VirtualRegister.h"
#include "tests/support/Benches.h"
#include "tests/support/RecordingUi.h"

namespace {

// Waits really wait and process events: the scan runs on timers and sockets.
struct RecordingUi : testing_support::RecordingUi {
    RecordingUi() : testing_support::RecordingUi(Events::Live) {}
};

// A driver object that knows the published constants but none of the operations: every call
// raises the unknown-name error, as a broken driver installation would.
class NoOperations : public drv::IDispatch {
  public:
    std::optional<QVariant> constant(const QString& name) const override {
        if (const auto v = drv::constantValue(name)) return QVariant(*v);
        return std::nullopt;
    }
    std::optional<QVariant> invoke(const QString&, const QVariantList&) override {
        return std::nullopt;
    }
};

struct NetworkScan : ::testing::Test {
    void SetUp() override {
        QJsonObject root = testing_support::demoBench();
        QJsonObject virtualPc = root.value("pc").toObject();
        virtualPc.insert(
            "lan", QJsonObject{{"route", "192.168.77.1"},
                               {"silentWaitMs", 5},
                               {"hosts", QJsonArray{QJsonObject{{"ip", "192.168.77.40"},
                                                                {"ttl", 255},
                                                                {"timeMs", 2},
                                                                {"ports", QJsonArray{5555}}}}}});
        root.insert("pc", virtualPc);
        testing_support::useBench(testing_support::toJson(root));
        session.bind(nullptr, true, {});
    }
    void TearDown() override {
        drv::setDispatchFactory(&emu::VirtualRegister::create);
        testing_support::useBench({});
    }
    emu::VirtualPc pc;
    app::Session session{pc, QStringLiteral("/nonexistent/")};
    RecordingUi u;
    app::LineLog memo, service;
    app::DeviceRows rows;
};

TEST_F(NetworkScan, FindsTheRegisterThatAnswersOnItsPort) {
    drv::setDispatchFactory(&emu::VirtualRegister::create);
    discovery::DeviceScan scan(session, u, rows, memo, service, nullptr);
    scan.setPacing(0, 201, 0);
    scan.run(false, true);
    ASSERT_TRUE(scan.waitForWorkers(5000));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows.at(0).ip, "192.168.77.40");
    EXPECT_TRUE(memo.lines().filter("192.168.77.40 - ответ:").value(0).contains("обнаружено"));
    EXPECT_EQ(memo.lines().last(), "[Завершено]");
}

// A driver error during the probe on the GUI thread must not leave the worker waiting for a
// hand-over that never comes: the scan ends, its workers end, and the error is told.
TEST_F(NetworkScan, DriverErrorInTheProbeReleasesTheWorker) {
    drv::setDispatchFactory([](const QString&) { return std::make_unique<NoOperations>(); });
    discovery::DeviceScan scan(session, u, rows, memo, service, nullptr);
    scan.setPacing(0, 201, 0);
    scan.run(false, true);
    EXPECT_TRUE(scan.waitForWorkers(5000)) << "a worker still waits: " << scan.runningWorkers();
    EXPECT_EQ(scan.runningWorkers(), 0);
    EXPECT_EQ(rows.size(), 0);
    ASSERT_EQ(u.messages.size(), 1);
    EXPECT_TRUE(u.messages[0].startsWith("Драйвер ККТ не знает ")) << u.messages[0].toStdString();
    // the address still gets its line
    EXPECT_EQ(memo.lines().filter("192.168.77.40 - ответ:").size(), 1);
}

}  // namespace
