#pragma once
// The bench's virtual PC: the ports, device inventory, processes and LAN that surround the
// virtual registers. Nothing real is opened, scanned or pinged.
#include "platform/Pc.h"

namespace emu {

class VirtualPc : public platform::IPc {
  public:
    bool dirExists(const QString& windowsPath) override;
    bool fileExists(const QString& windowsPath) override;
    QString fileVersionText(const QString& windowsPath) override;
    platform::OsFacts osFacts() override;

    QList<platform::RegistryPort> serialCommValues() override;
    QList<platform::PnpEntity> pnpEntities() override;
    std::optional<int> defaultBaudRate(const QString& portName) override;
    bool canOpenPort(const QString& portName) override;
    bool portExists(const QString& portName) override;

    QList<platform::ProcessEntry> processes() override;
    QString processImagePath(qint64 pid) override;
    bool terminateProcess(qint64 pid) override;
    QStringList handleListingCommand(const QString& progdir) override;
    QByteArray handleListingData() override;

    QString firstRouteNextHop() override;
    platform::PingReply ping(const QString& address, int timeoutMs) override;
    bool tcpPortOpen(const QString& address, int port, int timeoutMs) override;

    QString envVar(const QString& name) override;
    bool openFolder(const QString& path) override;

    // What the virtual PC was asked to do that a real PC would have done (for tests).
    QStringList actions() const;
};

}  // namespace emu
