// The port a Linux library is given is the device the PC's port checks look at: the scan's busy
// test and the connection's port test (LinuxPc) and the library's ComFile (Ports.h) number the
// ports alike.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "driver/libfptr/Ports.h"
#include "platform/LinuxPc.h"

namespace {

TEST(LibfptrPcPorts, EveryPortNumberNamesTheSameKernelDevice) {
    for (int n = 1; n <= 255; ++n) {
        const QString port = QStringLiteral("COM%1").arg(n);
        const QString node = drv::libfptr::deviceNodeForPort(port);
        ASSERT_FALSE(node.isEmpty()) << port.toStdString();
        EXPECT_EQ(platform::LinuxPc::portNumberFor(node.section('/', -1)), n) << node.toStdString();
    }
    EXPECT_TRUE(drv::libfptr::deviceNodeForPort("COM256").isEmpty());
    EXPECT_EQ(platform::LinuxPc::portNumberFor("ttyACM155"), 0);
}

// A PC with a USB register (ttyACM0, ttyACM1) and a USB serial adapter (ttyUSB2).
TEST(LibfptrPcPorts, ThePcFindsThePortAtTheNodeTheLibraryOpens) {
    QTemporaryDir dir;
    const QString sys = dir.path() + "/sys";
    const QString dev = dir.path() + "/dev";
    ASSERT_TRUE(QDir().mkpath(dev));
    for (const QString name : {"ttyACM0", "ttyACM1", "ttyUSB2"}) {
        const QString device = sys + "/devices/usb1/1-3/" + name;
        ASSERT_TRUE(QDir().mkpath(device));
        ASSERT_TRUE(QDir().mkpath(sys + "/class/tty/" + name));
        ASSERT_TRUE(QFile::link(device, sys + "/class/tty/" + name + "/device"));
        QFile node(dev + '/' + name);
        ASSERT_TRUE(node.open(QIODevice::WriteOnly));
    }
    platform::LinuxPc pc("/", sys, dev);
    int ports = 0;
    for (const auto& r : pc.serialCommValues()) {
        const QString node = drv::libfptr::deviceNodeForPort(r.portName, dev);
        EXPECT_EQ(pc.devicePathForPort(r.portName), node) << r.portName.toStdString();
        EXPECT_TRUE(pc.portExists(r.portName)) << r.portName.toStdString();
        // a connection gives the port's number: it reaches the library as the same node
        EXPECT_EQ(drv::libfptr::deviceNodeForPort(r.portName.mid(3, 3), dev), node);
        ++ports;
    }
    EXPECT_EQ(ports, 3);
    EXPECT_EQ(pc.devicePathForPort("COM101"), dev + "/ttyACM0");
    EXPECT_EQ(pc.devicePathForPort("COM35"), dev + "/ttyUSB2");
    EXPECT_FALSE(pc.portExists("COM103"));
}

}  // namespace
