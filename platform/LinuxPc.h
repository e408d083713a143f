#pragma once
// The real Linux PC behind the Windows-shaped interface.
#include <sys/types.h>

#include "platform/Pc.h"

namespace platform {

// A serial device of the Linux PC as the Windows-shaped interface shows it (see docs/ports.md).
struct SerialDevice {
    QString kernelName;  // ttyACM0
    QString devPath;     // /dev/ttyACM0
    QString portName;    // COM101
    QString valueName;   // \Device\atol-usbcom_ttyACM0
    QString caption;     // ATOL USB Virtual COM (COM101)
    QString deviceId;    // USB\VID_2912&PID_0005&MI_00\1-3&0000
    bool maker = false;  // USB vendor 0x2912
    int usbInterface = -1;
    dev_t rdev = 0;  // device number of the node; 0 when the node is missing
};

class LinuxPc : public IPc {
  public:
    // `windowsRoot` is the directory that stands for drive c:\ (see docs/bench.md).
    // `sysRoot` and `devRoot` stand for /sys and /dev (tests give a tree of their own).
    explicit LinuxPc(QString windowsRoot = QStringLiteral("/"),
                     QString sysRoot = QStringLiteral("/sys"),
                     QString devRoot = QStringLiteral("/dev"));

    bool dirExists(const QString& windowsPath) override;
    bool fileExists(const QString& windowsPath) override;
    QString fileVersionText(const QString& windowsPath) override;
    OsFacts osFacts() override;

    QList<RegistryPort> serialCommValues() override;
    QList<PnpEntity> pnpEntities() override;
    std::optional<int> defaultBaudRate(const QString& portName) override;
    bool canOpenPort(const QString& portName) override;
    bool portExists(const QString& portName) override;

    QList<ProcessEntry> processes() override;
    QString processImagePath(qint64 pid) override;
    bool terminateProcess(qint64 pid) override;
    QStringList handleListingCommand(const QString& progdir) override;

    QString firstRouteNextHop() override;
    PingReply ping(const QString& address, int timeoutMs) override;
    bool tcpPortOpen(const QString& address, int port, int timeoutMs) override;

    QString envVar(const QString& name) override;
    bool openFolder(const QString& path) override;

    // Maps a Windows path under c:\ to the Linux file that stands for it.
    QString localPath(const QString& windowsPath) const;

    // The serial devices in port-number order.
    QList<SerialDevice> serialDevices() const;
    // COM number of a kernel tty name (ttyS0 -> 1, ttyUSB0 -> 33, ttyACM0 -> 101); 0 outside.
    static int portNumberFor(const QString& kernelName);
    // Device node of a port name ("COM101" or "\\.\COM101"); empty when there is none.
    QString devicePathForPort(const QString& portName) const;
    // Next hop of the first row of a /proc/net/route text that has one; empty when none.
    static QString nextHopFromRouteTable(const QString& text);

  private:
    QString root_;
    QString sys_;
    QString dev_;
};

}  // namespace platform
