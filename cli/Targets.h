#pragma once
// The registers a command line names: a serial port, a network address, the saved device list
// of the settings file, or every register the device scan finds.
#include <QList>
#include <QString>
#include <optional>

#include "app/DeviceRows.h"

namespace drv {
class Fptr;
}

namespace cli {

inline constexpr int kDefaultIpPort = 5555;

struct Target {
    enum class Kind { Port, Address };
    Kind kind = Kind::Port;
    QString port;     // "COM5" or a device path
    QString address;  // IPv4 address or host name
    int ipPort = kDefaultIpPort;
    // How the register is named in reports and metrics: the port, or "address:port".
    QString name() const;
    bool operator==(const Target&) const = default;
};

// "COM5", "com5" or a device path ("/dev/ttyACM0"); nullopt for anything else.
std::optional<Target> portTarget(const QString& text);
// "ADDR" or "ADDR:PORT" (port 1 to 65535); nullopt for anything else.
std::optional<Target> addressTarget(const QString& text);
// The rows of a device list as targets: a row with an address is reached over the network,
// one with a COM port through that port; rows with neither are left out. Duplicates go.
QList<Target> targetsOfRows(const QList<app::DeviceRow>& rows);
// The saved device list of a settings file; `problem` receives what made the file unreadable.
QList<Target> savedTargets(const QString& settingsFile, QString* problem);

// Opens the register of a target on `f` with the automatic model; false when it did not open.
bool openTarget(drv::Fptr& f, const Target& target);

}  // namespace cli
