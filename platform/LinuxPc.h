#pragma once
// The real Linux PC behind the Windows-shaped interface.
#include "platform/Pc.h"

namespace platform {

class LinuxPc : public IPc {
public:
    // `windowsRoot` is the directory that stands for drive c:\ (see docs/bench.md).
    explicit LinuxPc(QString windowsRoot = QStringLiteral("/"));

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

private:
    QString root_;
};

}  // namespace platform
