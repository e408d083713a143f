// The Linux PC's busy test on a real pseudo-terminal: the port opens 9600 8N1 for the test and
// gets back every setting it had, so its default speed reads the same at the next scan.
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>

#include "platform/LinuxPc.h"

namespace {

// A PC whose only serial port is a USB adapter ttyUSB0 (COM33); its device node is a
// pseudo-terminal.
class PlatformPtyPort : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    int master = -1, slave = -1;
    QString sys, dev;
    void SetUp() override {
        char name[256] = {};
        ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
        sys = dir.path() + "/sys";
        dev = dir.path() + "/dev";
        const QString device = sys + "/devices/usb1/1-4/1-4:1.0/ttyUSB0";
        ASSERT_TRUE(QDir().mkpath(device));
        ASSERT_TRUE(QDir().mkpath(sys + "/class/tty/ttyUSB0"));
        ASSERT_TRUE(QFile::link(device, sys + "/class/tty/ttyUSB0/device"));
        ASSERT_TRUE(QDir().mkpath(dev));
        ASSERT_TRUE(QFile::link(QString::fromLocal8Bit(name), dev + "/ttyUSB0"));
    }
    void TearDown() override {
        if (master >= 0) ::close(master);
        if (slave >= 0) ::close(slave);
    }
    termios settings() const {
        termios t{};
        EXPECT_EQ(::tcgetattr(slave, &t), 0);
        return t;
    }
};

void expectSame(const termios& a, const termios& b) {
    EXPECT_EQ(a.c_iflag, b.c_iflag);
    EXPECT_EQ(a.c_oflag, b.c_oflag);
    EXPECT_EQ(a.c_cflag, b.c_cflag);
    EXPECT_EQ(a.c_lflag, b.c_lflag);
    EXPECT_EQ(::cfgetispeed(&a), ::cfgetispeed(&b));
    EXPECT_EQ(::cfgetospeed(&a), ::cfgetospeed(&b));
    EXPECT_EQ(std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc), 0);
}

}  // namespace

TEST_F(PlatformPtyPort, BusyTestPutsBackEverySettingOfAFreePort) {
    // settings far from 9600 8N1 raw: 19200, 7 data bits, even parity, two stop bits, hardware
    // flow control, canonical input with echo
    termios t = settings();
    ::cfsetispeed(&t, B19200);
    ::cfsetospeed(&t, B19200);
    t.c_cflag = (t.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB | CRTSCTS;
    t.c_lflag |= ICANON | ECHO;
    t.c_iflag |= IXON;
    ASSERT_EQ(::tcsetattr(slave, TCSANOW, &t), 0);
    const termios before = settings();

    platform::LinuxPc pc("/", sys, dev);
    for (int scan = 0; scan < 2; ++scan) {
        SCOPED_TRACE(scan);
        EXPECT_EQ(pc.defaultBaudRate("COM33"), 19200);
        EXPECT_TRUE(pc.canOpenPort("COM33"));
        expectSame(settings(), before);
    }
    EXPECT_EQ(pc.defaultBaudRate("COM33"), 19200);
}

TEST_F(PlatformPtyPort, DefaultSpeedOfAFreshPortSurvivesTwoScans) {
    platform::LinuxPc pc("/", sys, dev);
    const auto fresh = pc.defaultBaudRate("COM33");
    ASSERT_TRUE(fresh.has_value());
    ASSERT_NE(*fresh, 9600);
    for (int scan = 0; scan < 2; ++scan) {
        EXPECT_EQ(pc.defaultBaudRate("COM33"), fresh);
        EXPECT_TRUE(pc.canOpenPort("COM33"));
    }
    EXPECT_EQ(pc.defaultBaudRate("COM33"), fresh);
}
