#pragma once
// Serial ports for the Linux library. The program names ports the Windows way (COM101, or the
// bare number 101 in the ComFile setting); the maker's Linux library takes the device node.
// The numbering is the one of docs/ports.md:
//   ttyS0 … ttyS31     COM1 … COM32
//   ttyUSB0 … ttyUSB67 COM33 … COM100
//   ttyACM0 … ttyACM154 COM101 … COM255
#include <QString>

namespace drv::libfptr {

// "COM101", "\\.\COM101" or "101" -> "/dev/ttyACM0"; empty for a number outside the table or
// a text that names no port by number.
QString deviceNodeForPort(const QString& port, const QString& devDir = QStringLiteral("/dev"));
// "/dev/ttyACM0" (or "ttyACM0") -> "COM101"; empty when the name is outside the table.
QString portForDeviceNode(const QString& node);

// What the ComFile setting gives the Linux library: a port by number or name becomes its
// device node; anything else (a path already, or a name outside the table) goes unchanged.
QString comFileForLibrary(const QString& value);

}  // namespace drv::libfptr
