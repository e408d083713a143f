// The connection rules without a window: the session, the device list model and the status log.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "app/Connection.h"
#include "app/DeviceRows.h"
#include "app/LineLog.h"
#include "app/Session.h"
#include "driver/Dispatch.h"
#include "emulator/VirtualPc.h"
#include "emulator/VirtualRegister.h"
#include "tests/support/Benches.h"
#include "tests/support/RecordingUi.h"

namespace {

using RecordingUi = testing_support::RecordingUi;

struct Fixture {
    Fixture() : session(pc, QStringLiteral("/nonexistent/")) {
        testing_support::useBench({});
        drv::setDispatchFactory(&emu::VirtualRegister::create);
        session.bind(drv::Fptr::create(), true, QStringLiteral("10.10.4.0"));
        usb.com = QStringLiteral("COM5");
        usb.kkm = QStringLiteral("АТОЛ");
        usb.state = app::PortState::Available;
        nowhere.ip = QStringLiteral("192.168.77.99");  // no register answers there
        rows.setRows({usb, nowhere});
    }
    emu::VirtualPc pc;
    app::Session session;
    RecordingUi u;
    app::DeviceRows rows;
    app::LineLog memo;
    app::DeviceRow usb, nowhere;
    app::Connection connection{session, u, rows, memo, nullptr};
};

TEST(AppConnection, ConnectsByPortAndMarksTheRow) {
    Fixture f;
    int resets = 0;
    QObject::connect(&f.session, &app::Session::viewResetRequested, [&] { ++resets; });
    f.connection.connectRow(0);
    EXPECT_TRUE(f.session.kkmConnected());
    EXPECT_EQ(f.session.comConnected(), "COM5");
    EXPECT_EQ(f.rows.at(0).state, app::PortState::Connected);
    EXPECT_EQ(resets, 1);
    ASSERT_FALSE(f.memo.lines().isEmpty());
    EXPECT_TRUE(f.memo.line(0).startsWith("Подключена ККМ: ")) << f.memo.line(0).toStdString();
}

TEST(AppConnection, FailedAttemptLeavesNoStalePort) {
    Fixture f;
    f.connection.connectRow(0);
    ASSERT_EQ(f.session.comConnected(), "COM5");
    f.connection.connectRow(1);  // the network register does not answer
    EXPECT_FALSE(f.session.kkmConnected());
    EXPECT_TRUE(f.session.comConnected().isEmpty());
    EXPECT_TRUE(f.session.ipConnected().isEmpty());
    EXPECT_EQ(f.rows.at(0).state, app::PortState::Available);
    // the port connects again at once, without a disconnect first
    f.connection.connectRow(0);
    EXPECT_TRUE(f.session.kkmConnected());
    EXPECT_EQ(f.session.comConnected(), "COM5");
}

TEST(AppConnection, DisconnectTurnsTheRowAvailable) {
    Fixture f;
    f.connection.connectRow(0);
    f.connection.disconnect();
    EXPECT_FALSE(f.session.kkmConnected());
    EXPECT_TRUE(f.session.comConnected().isEmpty());
    EXPECT_EQ(f.rows.at(0).state, app::PortState::Available);
    ASSERT_EQ(f.memo.size(), 1);
    EXPECT_TRUE(f.memo.line(0).endsWith(") - отключена"));
}

TEST(AppDeviceRows, CellsRoundTripAndStateIsTyped) {
    const QStringList cells{"АТОЛ 30Ф", "COM5", "COM6", "Занят", "", "proxy5", "proxy6", "115200"};
    const app::DeviceRow row = app::DeviceRow::fromCells(cells);
    EXPECT_EQ(row.state, app::PortState::Busy);
    EXPECT_EQ(row.cells(), cells);
    // a state text that is none of the three is no state
    EXPECT_EQ(app::DeviceRow::fromCells({"x", "COM1", "", "Неизвестно"}).state,
              app::PortState::None);
}

}  // namespace
