#pragma once
// The PC's serial ports: the port table from the SERIALCOMM values, the maker's USB ports and
// their channels from the device inventory, default speeds and the busy test.
#include <QString>
#include <QStringList>
#include <array>

namespace platform {
class IPc;
}

namespace discovery {

// 256 entries, numbered as the ports (COM5 is slot 5); each empty or holding one or more registry
// value names joined by " / ".
struct PortTable {
    std::array<QString, 256> entries;
    // Port name of a slot: the value data of its first value name; empty for an empty slot.
    QString portName(int slot) const;
    // Device name of a slot: the slot's text from its ninth character.
    QString deviceName(int slot) const { return entries[slot].mid(8); }

    QStringList valueNames;  // all value names, in registry order
    QStringList portNames;   // their port names
};

// readPortTable: the SERIALCOMM values of the PC.
PortTable readPortTable(platform::IPc& pc);

// portType: the device inventory as lines (caption, identifier or "###", empty line) of the
// entities whose caption contains `str`. `dev` is kept for the callers' form ("xxx").
QStringList portType(platform::IPc& pc, const QString& dev, const QString& str);

enum class PortKind { None, Kkm, Eou };

struct PortClass {
    PortKind kind = PortKind::None;
    QStringList eouPorts;  // for Kkm: the EoU ports found through the sibling interface
};

// classifyPort: the kind of a maker's USB port by the inventory lines of portType.
PortClass classifyPort(const QStringList& inventory, const QString& portName);

// portSpeed: the port's default baud rate as decimal text, "0" when it cannot be read.
QString portSpeed(platform::IPc& pc, const QString& portName);

// portBusy: the port cannot be opened 9600 8N1 without flow control.
bool portBusy(platform::IPc& pc, const QString& portName);

}  // namespace discovery
