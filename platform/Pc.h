#pragma once
// The PC around the program: files and OS facts, serial ports and device inventory, processes,
// and the local network. Two implementations: the real Linux PC and the virtual PC of a bench.
// Paths and port names keep their Windows form ("c:\Program Files\...", "COM5"); each
// implementation maps them to what it has.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace platform {

struct OsFacts {
    QString productName;             // e.g. "Windows 10 Pro" or "Debian GNU/Linux 12"
    std::optional<int> productType;  // edition code; nullopt when the query failed
    QString build;                   // build number text
};

struct RegistryPort {
    QString valueName;  // device path, e.g. \Device\atol-usbcom_proxy3
    QString portName;   // e.g. COM5
};

struct PnpEntity {
    QString caption;
    std::optional<QString> deviceId;  // nullopt: the inventory has no identifier
};

struct ProcessEntry {
    qint64 pid = 0;
    QString imagePath;  // full path of the executable; empty when unknown
};

struct PingReply {
    bool replied = false;
    QString from;  // address the reply came from
    int timeMs = 0;
    int ttl = 0;
};

class IPc {
  public:
    virtual ~IPc() = default;

    // --- files and OS (driver binding)
    virtual bool dirExists(const QString& windowsPath) = 0;
    virtual bool fileExists(const QString& windowsPath) = 0;
    // "%d.%d.%d.%d" from the file's version block; empty when it has none.
    virtual QString fileVersionText(const QString& windowsPath) = 0;
    virtual OsFacts osFacts() = 0;

    // --- serial ports and device inventory
    // The SERIALCOMM registry values: device path -> port name.
    virtual QList<RegistryPort> serialCommValues() = 0;
    // Plug and Play entities (all of them; callers filter by caption).
    virtual QList<PnpEntity> pnpEntities() = 0;
    // Default baud rate of the port; nullopt when its configuration cannot be read.
    virtual std::optional<int> defaultBaudRate(const QString& portName) = 0;
    // Opens the port 9600 8N1, no flow control, DTR and RTS off, and closes it again.
    virtual bool canOpenPort(const QString& portName) = 0;
    // The port is there: it opens, or fails for a reason other than "not found".
    virtual bool portExists(const QString& portName) = 0;
    // Handle for the busy test that the scan keeps open until the window closes.
    virtual void closeScanTestPort() {}

    // --- processes
    virtual QList<ProcessEntry> processes() = 0;
    virtual QString processImagePath(qint64 pid) = 0;
    virtual bool terminateProcess(qint64 pid) = 0;
    // Program + arguments of the handle-listing tool for this PC.
    virtual QStringList handleListingCommand(const QString& progdir) = 0;
    // The process list (JSON, see Com/hs --from) the tool reads instead of this PC's own
    // processes; empty when the tool lists the PC itself. The listing hands it over in a private
    // temporary file that lives as long as the run.
    virtual QByteArray handleListingData() { return {}; }

    // --- network (ping and tcpPortOpen are called from worker threads)
    virtual QString firstRouteNextHop() = 0;
    virtual PingReply ping(const QString& address, int timeoutMs) = 0;
    virtual bool tcpPortOpen(const QString& address, int port, int timeoutMs) = 0;

    // --- shell
    virtual QString envVar(const QString& name) = 0;
    virtual bool openFolder(const QString& path) = 0;
};

}  // namespace platform
