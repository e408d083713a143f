// Serial ports as the Linux library gets them, by the numbering of docs/ports.md.
#include <gtest/gtest.h>

#include <QFile>

#include "driver/libfptr/Ports.h"

namespace {

using namespace drv::libfptr;

TEST(LibfptrPorts, EveryNameOfTheTableGivesItsDeviceNode) {
    QFile f(QStringLiteral(VELMOR_SOURCE_DIR "/tests/data/libfptr/ports.tsv"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    int cases = 0;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).remove('\n');
        if (line.isEmpty() || line.startsWith('#')) continue;
        const QStringList cols = line.split('\t');
        ASSERT_EQ(cols.size(), 2) << line.toStdString();
        EXPECT_EQ(deviceNodeForPort(cols[0]), cols[1]) << "port '" << cols[0].toStdString() << "'";
        // a port given by name or number reaches the library as the node, anything else as is
        EXPECT_EQ(comFileForLibrary(cols[0]), cols[1].isEmpty() ? cols[0] : cols[1]);
        if (!cols[1].isEmpty()) {
            EXPECT_EQ(deviceNodeForPort(portForDeviceNode(cols[1])), cols[1]);
        }
        ++cases;
    }
    EXPECT_GE(cases, 15);
}

TEST(LibfptrPorts, DeviceNodesBackToPortNames) {
    EXPECT_EQ(portForDeviceNode("/dev/ttyS0"), "COM1");
    EXPECT_EQ(portForDeviceNode("/dev/ttyUSB67"), "COM100");
    EXPECT_EQ(portForDeviceNode("/dev/ttyACM0"), "COM101");
    EXPECT_EQ(portForDeviceNode("ttyACM154"), "COM255");
    EXPECT_EQ(portForDeviceNode("/dev/ttyACM155"), "");
    EXPECT_EQ(portForDeviceNode("/dev/ttyS32"), "");
    EXPECT_EQ(portForDeviceNode("/dev/ttyS01"), "");
    EXPECT_EQ(portForDeviceNode("/dev/ttySAC0"), "");
    EXPECT_EQ(portForDeviceNode("/dev/ttyAMA0"), "");
    EXPECT_EQ(portForDeviceNode("/dev/ttyACM"), "");
    EXPECT_EQ(portForDeviceNode("COM101"), "");
}

TEST(LibfptrPorts, AnotherDeviceFolder) {
    EXPECT_EQ(deviceNodeForPort("COM101", "/tmp/dev"), "/tmp/dev/ttyACM0");
}

}  // namespace
