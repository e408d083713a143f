// Port table, device inventory, classification, handle lines and port result rows.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>

#include "discovery/DeviceScan.h"
#include "discovery/HandleListing.h"
#include "discovery/PortInventory.h"
#include "emulator/VirtualPc.h"
#include "tests/support/Benches.h"

using namespace discovery;

namespace {

void benchWith(const QJsonArray& serialcomm, const QJsonArray& pnp) {
    QJsonObject root = testing_support::demoBench();
    QJsonObject pc = root.value("pc").toObject();
    pc.insert("serialcomm", serialcomm);
    pc.insert("pnp", pnp);
    root.insert("pc", pc);
    testing_support::useBench(testing_support::toJson(root));
}

QJsonObject sc(const char* value, const char* port) {
    return {{"value", value}, {"port", port}};
}
QJsonObject pnp(const char* caption, const QJsonValue& id) {
    return {{"caption", caption}, {"id", id}};
}

}  // namespace

TEST(DiscoveryPortTable, SlotsShortNamesAndSharedNumbers) {
    benchWith({sc("\\Device\\atol-usbcom_proxy3", "COM5"), sc("\\Dev\\x", "COM6"),
               sc("\\Device\\Serial9", "COM5"), sc("\\Device\\Serial1", "COM12"),
               sc("\\Device\\Serial2", "LPT1"), sc("\\Device\\Serial3", "COM300")},
              {});
    emu::VirtualPc pc;
    const PortTable t = readPortTable(pc);
    EXPECT_EQ(t.entries[5], "\\Device\\atol-usbcom_proxy3 / \\Device\\Serial9");
    EXPECT_EQ(t.portName(5), "COM5");
    EXPECT_EQ(t.deviceName(5), "atol-usbcom_proxy3 / \\Device\\Serial9");
    EXPECT_TRUE(t.entries[6].isEmpty());  // "\Dev\x" has six characters
    EXPECT_EQ(t.portName(12), "COM12");
    int used = 0;
    for (const auto& s : t.entries) used += !s.isEmpty();
    EXPECT_EQ(used, 2);  // LPT1 and COM300 lie outside the table
}

TEST(DiscoveryPortInventory, InventoryLinesAndClassification) {
    benchWith({},
              {pnp("Intel USB Host", "PCI\\VEN_8086"),
               pnp("ATOL USB Virtual COM (COM5)", "USB\\VID_2912&PID_0005&MI_00\\7&2C8A&0&0000"),
               pnp("ATOL USB Virtual COM (COM6)", "USB\\VID_2912&PID_0005&MI_02\\7&2C8A&0&0002"),
               pnp("ATOL USB Virtual COM (COM12)", "USB\\VID_2912&PID_0005&MI_00\\7&99&0&0000"),
               pnp("ATOL USB Virtual COM (COM14)", "USB\\VID_2912&PID_0005&MI_04\\7&77&0&0004"),
               pnp("ATOL USB Virtual COM (COM15)", QJsonValue())});
    emu::VirtualPc pc;
    const QStringList inv = portType(pc, "xxx", "ATOL USB");
    ASSERT_EQ(inv.size(), 15);
    EXPECT_EQ(inv.mid(0, 3), (QStringList{"ATOL USB Virtual COM (COM5)",
                                          "USB\\VID_2912&PID_0005&MI_00\\7&2C8A&0&0000", ""}));
    EXPECT_EQ(inv[13], "###");

    const PortClass kkm = classifyPort(inv, "COM5");
    EXPECT_EQ(kkm.kind, PortKind::Kkm);
    EXPECT_EQ(kkm.eouPorts, QStringList{"COM6"});
    EXPECT_EQ(classifyPort(inv, "COM6").kind, PortKind::Eou);
    // a register channel whose sibling is missing has no EoU port
    const PortClass lone = classifyPort(inv, "COM12");
    EXPECT_EQ(lone.kind, PortKind::Kkm);
    EXPECT_TRUE(lone.eouPorts.isEmpty());
    EXPECT_EQ(classifyPort(inv, "COM14").kind, PortKind::None);
    EXPECT_EQ(classifyPort(inv, "COM15").kind, PortKind::None);
    // COM1 is named by no caption: those of COM12, COM14 and COM15 only begin with its name
    EXPECT_EQ(classifyPort(inv, "COM1").kind, PortKind::None);
}

TEST(DiscoveryPortInventory, SpeedAndBusyFromThePc) {
    testing_support::useBench({});
    emu::VirtualPc pc;
    EXPECT_EQ(portSpeed(pc, "COM1"), "9600");
    EXPECT_EQ(portSpeed(pc, "COM5:"), "115200");
    EXPECT_EQ(portSpeed(pc, "COM77"), "0");
    EXPECT_FALSE(portBusy(pc, "COM5"));
    EXPECT_TRUE(portBusy(pc, "COM77"));
}

TEST(DiscoveryHandleLine, WindowsAndLinuxHeaders) {
    const auto w = parseHandleLine(
        "explorer.exe pid: 2216 C:\\Windows\\explorer.exe /\\   5C: File  (RW-)   "
        "\\Device\\atol-usbcom_proxy3");
    EXPECT_EQ(w.pid, 2216);
    EXPECT_EQ(w.exeName, "explorer.exe");
    EXPECT_EQ(w.deviceTail, "proxy3");
    const auto l = parseHandleLine(
        "sleep pid: 4242 /usr/bin/sleep /\\  0003: File  (RW-)   "
        "\\Device\\atol-usbcom_ttyACM0");
    EXPECT_EQ(l.pid, 4242);
    EXPECT_EQ(l.exeName, "sleep");
    EXPECT_EQ(l.deviceTail, "tyACM0");
    const auto none = parseHandleLine("no header here");
    EXPECT_EQ(none.pid, 0);
    EXPECT_EQ(none.deviceTail, "r here");
}

TEST(DiscoveryPortRows, OnlyLinesWithEouBecomeRows) {
    const QStringList lines = {
        "/cm/COM1/px/#%/nz/Serial0/sp/9600/st/Доступен",
        "/cm/COM5/px/atol-usbcom_proxy3/eu/COM6/nz/АТОЛ 30Ф (№ 1)/sp/115200/st/Доступен",
        "/cm/COM6/px/atol-usbcom_proxy4/nz/Для EoU/sp/115200/st/Доступен",
        "/cm/COM9/px/atol-usbcom_proxy9/nz/Не определено/sp/0/st/Занят",
        "/cm/COM3/px/atol-usbcom_proxy1/eu//nz/АТОЛ 11Ф (№ 2)/sp/115200/st/Подключен"};
    const auto rows = buildPortRows(lines);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].cells(), (QStringList{"АТОЛ 30Ф (№ 1)", "COM5", "COM6", "Доступен", "",
                                            "atol-usbcom_proxy3", "atol-usbcom_proxy4", "115200"}));
    // an empty EoU key finds no EoU port
    EXPECT_EQ(rows[1].cells(), (QStringList{"АТОЛ 11Ф (№ 2)", "COM3", "", "Подключен", "",
                                            "atol-usbcom_proxy1", "", "115200"}));
    EXPECT_EQ(portLineField("/cm/COM5/px/x", "/px/"), "x");
    EXPECT_EQ(portLineField("/cm/COM5", "/eu/"), "");
}
