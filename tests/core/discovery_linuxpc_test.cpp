// The real Linux PC: serial devices from a sysfs tree whose device nodes are real
// pseudo-terminals, the busy test and its holder through the hs tool, routes, TCP and ICMP on
// loopback.
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include "app/DeviceRows.h"
#include "app/LineLog.h"
#include "app/Session.h"
#include "app/Ui.h"
#include "discovery/DeviceScan.h"
#include "discovery/HandleListing.h"
#include "discovery/PortInventory.h"
#include "driver/Dispatch.h"
#include "emulator/VirtualRegister.h"
#include "platform/LinuxPc.h"
#include "tests/support/Benches.h"
#include "tests/support/RecordingUi.h"

using namespace discovery;

namespace {

void writeText(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text + "\n");
}

struct Pty {
    int master = -1, slave = -1;
    QString path;
    Pty() {
        char name[256] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) == 0) path = name;
    }
    ~Pty() {
        ::close(master);
        ::close(slave);
    }
};

// A PC with ttyS0 (8250), an absent ttyS1, a foreign USB adapter ttyUSB0, and the maker's
// register with its two channels ttyACM0 (interface 0) and ttyACM1 (interface 2).
class DiscoveryFakePc : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    Pty ptys[4];
    QString sys, dev;
    void SetUp() override {
        sys = dir.path() + "/sys";
        dev = dir.path() + "/dev";
        const QString usb = sys + "/devices/pci0/usb1/1-3";
        writeText(usb + "/idVendor", "2912");
        writeText(usb + "/idProduct", "0005");
        writeText(usb + "/1-3:1.0/bInterfaceNumber", "00");
        writeText(usb + "/1-3:1.2/bInterfaceNumber", "02");
        const QString ftdi = sys + "/devices/pci0/usb1/1-4";
        writeText(ftdi + "/idVendor", "0403");
        writeText(ftdi + "/idProduct", "6001");
        writeText(ftdi + "/1-4:1.0/bInterfaceNumber", "00");
        QDir().mkpath(ftdi + "/1-4:1.0/ttyUSB0");
        QDir().mkpath(sys + "/devices/platform/serial8250");
        const auto tty = [&](const QString& name, const QString& device) {
            QDir().mkpath(sys + "/class/tty/" + name);
            QFile::link(device, sys + "/class/tty/" + name + "/device");
        };
        tty("ttyACM0", usb + "/1-3:1.0");
        tty("ttyACM1", usb + "/1-3:1.2");
        tty("ttyUSB0", ftdi + "/1-4:1.0/ttyUSB0");
        tty("ttyS0", sys + "/devices/platform/serial8250");
        tty("ttyS1", sys + "/devices/platform/serial8250");
        writeText(sys + "/class/tty/ttyS0/type", "4");
        writeText(sys + "/class/tty/ttyS1/type", "0");
        QDir().mkpath(sys + "/class/tty/tty0");  // no device: not a port
        QDir().mkpath(dev);
        const char* names[] = {"ttyACM0", "ttyACM1", "ttyUSB0", "ttyS0"};
        for (int i = 0; i < 4; ++i) {
            ASSERT_FALSE(ptys[i].path.isEmpty());
            QFile::link(ptys[i].path, dev + "/" + names[i]);
        }
    }
};

bool setSpeed(int fd, speed_t speed) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0) return false;
    ::cfsetispeed(&t, speed);
    ::cfsetospeed(&t, speed);
    return ::tcsetattr(fd, TCSANOW, &t) == 0;
}

// Waits really wait and process events, as the window does.
struct PlainUi : testing_support::RecordingUi {
    PlainUi() : testing_support::RecordingUi(Events::Live) {}
};

pid_t holdOpen(const QString& path) {
    const QByteArray cmd = ("exec sleep 30 3<>" + path).toLocal8Bit();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::closefrom(3);  // only the port, not the test's other pseudo-terminals
        ::execl("/bin/sh", "sh", "-c", cmd.constData(), nullptr);
        ::_exit(127);
    }
    return pid;
}

}  // namespace

TEST_F(DiscoveryFakePc, PortsNumberedAndNamedForTheMatchingRules) {
    platform::LinuxPc pc("/", sys, dev);
    const auto values = pc.serialCommValues();
    ASSERT_EQ(values.size(), 4);
    EXPECT_EQ(values[0].valueName, "\\Device\\ttyS0");
    EXPECT_EQ(values[0].portName, "COM1");
    EXPECT_EQ(values[1].valueName, "\\Device\\ttyUSB0");
    EXPECT_EQ(values[1].portName, "COM33");
    EXPECT_EQ(values[2].valueName, "\\Device\\atol-usbcom_ttyACM0");
    EXPECT_EQ(values[2].portName, "COM101");
    EXPECT_EQ(values[3].portName, "COM102");

    const QStringList inv = portType(pc, "xxx", "ATOL USB");
    EXPECT_EQ(
        inv, (QStringList{"ATOL USB Virtual COM (COM101)", "USB\\VID_2912&PID_0005&MI_00\\1-3&0000",
                          "", "ATOL USB Virtual COM (COM102)",
                          "USB\\VID_2912&PID_0005&MI_02\\1-3&0002", ""}));
    const PortClass kkm = classifyPort(inv, "COM101");
    EXPECT_EQ(kkm.kind, PortKind::Kkm);
    EXPECT_EQ(kkm.eouPorts, QStringList{"COM102"});
    EXPECT_EQ(classifyPort(inv, "COM102").kind, PortKind::Eou);

    EXPECT_EQ(pc.devicePathForPort("COM101"), dev + "/ttyACM0");
    EXPECT_EQ(pc.devicePathForPort("\\\\.\\COM1"), dev + "/ttyS0");
    EXPECT_TRUE(pc.portExists("COM33"));
    EXPECT_FALSE(pc.portExists("COM2"));
    EXPECT_EQ(portSpeed(pc, "COM101"), "38400");  // a fresh pseudo-terminal's default
    EXPECT_EQ(portSpeed(pc, "COM103"), "0");
    EXPECT_EQ(platform::LinuxPc::portNumberFor("ttyACM154"), 255);
    EXPECT_EQ(platform::LinuxPc::portNumberFor("ttyACM155"), 0);
    EXPECT_EQ(platform::LinuxPc::portNumberFor("ttyAMA0"), 0);
}

// Linux keeps a port's settings after the close. The busy test opens every free port at 9600, so
// without putting the settings back a second scan would report 9600 as each port's speed.
TEST_F(DiscoveryFakePc, SecondScanReportsTheSameDefaultSpeeds) {
    const speed_t speeds[] = {B19200, B115200, B4800, B57600};
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(setSpeed(ptys[i].slave, speeds[i]));
    testing_support::useBench(testing_support::toJson(testing_support::demoBench()));
    drv::setDispatchFactory(&emu::VirtualRegister::create);
    platform::LinuxPc pc("/", sys, dev);
    PlainUi u;
    app::Session session(pc, "/tmp/");
    session.bind(nullptr, true, {});
    app::LineLog memo, serv;
    app::DeviceRows list;
    DeviceScan scan(session, u, list, memo, serv, nullptr);

    QList<QStringList> scans;
    for (int round = 0; round < 2; ++round) {
        scan.scanComPorts();
        QStringList found;
        for (const QString& line : serv.lines())
            if (!line.isEmpty())
                found << portLineField(line, "/cm/") + "=" + portLineField(line, "/sp/") + "/" +
                             portLineField(line, "/st/");
        scans << found;
    }
    const QStringList expected{"COM1=57600/Доступен", "COM33=4800/Доступен",
                               "COM101=19200/Доступен", "COM102=115200/Доступен"};
    EXPECT_EQ(scans[0], expected);
    EXPECT_EQ(scans[1], expected);
}

TEST_F(DiscoveryFakePc, PortHeldByChildIsBusyAndAttributedThroughHs) {
    platform::LinuxPc pc("/", sys, dev);
    EXPECT_FALSE(portBusy(pc, "COM101"));
    const pid_t child = holdOpen(dev + "/ttyACM0");
    ASSERT_GT(child, 0);
    // wait until the child has the port open
    QElapsedTimer t;
    t.start();
    while (!portBusy(pc, "COM101") && t.elapsed() < 3000) ::usleep(20000);
    EXPECT_TRUE(portBusy(pc, "COM101"));
    EXPECT_FALSE(portBusy(pc, "COM102"));
    EXPECT_TRUE(pc.processImagePath(child).endsWith("/sleep"));

    app::LineLog view;
    HandleListing listing(pc, view);
    listing.start(QStringLiteral(VELMOR_BINARY_DIR "/"));
    t.restart();
    while (listing.isRunning() && t.elapsed() < 10000) QCoreApplication::processEvents();
    ASSERT_FALSE(listing.isRunning()) << listing.lastError().toStdString();
    QStringList ours;
    for (const auto& l : listing.lines())
        if (parseHandleLine(l).pid == child) ours << l;
    ASSERT_EQ(ours.size(), 1) << listing.lines().join('\n').toStdString();
    const HandleLine h = parseHandleLine(ours[0]);
    EXPECT_EQ(h.exeName, "sleep");
    EXPECT_EQ(h.deviceTail, "tyACM0");
    EXPECT_TRUE(ours[0].endsWith("\\Device\\atol-usbcom_ttyACM0"));
    EXPECT_TRUE(pc.processImagePath(h.pid).endsWith("/sleep"));

    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_FALSE(portBusy(pc, "COM101"));
}

TEST(DiscoveryLinuxNet, NextHopOfTheFirstRouteWithOne) {
    const QString table =
        "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\n"
        "eth0\t0000A8C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\n"
        "eth0\t00000000\t0101A8C0\t0003\t0\t0\t0\t00000000\n";
    EXPECT_EQ(platform::LinuxPc::nextHopFromRouteTable(table), "192.168.1.1");
    EXPECT_EQ(platform::LinuxPc::nextHopFromRouteTable("Iface\tDestination\tGateway\n"), "");
}

TEST(DiscoveryLinuxNet, TcpPortOpenOnLoopback) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    platform::LinuxPc pc;
    EXPECT_TRUE(pc.tcpPortOpen("127.0.0.1", server.serverPort(), 1000));
    const quint16 port = server.serverPort();
    server.close();
    EXPECT_FALSE(pc.tcpPortOpen("127.0.0.1", port, 1000));
    EXPECT_FALSE(pc.tcpPortOpen("not an address", 5555, 1000));
}

TEST(DiscoveryLinuxNet, EchoOnLoopbackReportsTtlAndTime) {
    platform::LinuxPc pc;
    const auto r = pc.ping("127.0.0.1", 1000);
    if (!r.replied && ::geteuid() != 0) GTEST_SKIP() << "no ICMP socket for this user";
    ASSERT_TRUE(r.replied);
    EXPECT_EQ(r.from, "127.0.0.1");
    EXPECT_EQ(r.ttl, 64);
    EXPECT_GE(r.timeMs, 0);
    EXPECT_LT(r.timeMs, 1000);
}
