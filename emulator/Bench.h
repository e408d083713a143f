#pragma once
// The bench: the virtual registers and the virtual PC around them, described by a JSON file
// (VELMOR_BENCH) or the built-in demo bench. See docs/bench.md for the format.
#include <QJsonObject>
#include <QString>
#include <memory>
#include <mutex>
#include <vector>

#include "emulator/JsonReader.h"
#include "emulator/Register.h"

namespace emu {

class World {
  public:
    // The bench in use; loaded on first use from VELMOR_BENCH, or the demo bench.
    // Throws BenchError naming the file and the problem.
    static World& instance();

    void loadFile(const QString& path);
    void loadDemo();
    // Replaces the bench. Driver objects connected to a register of the previous bench keep
    // that register until they close.
    void loadJson(const QByteArray& json, const QString& source);
    QString source() const;
    static QByteArray demoBenchJson();

    // Guards the virtual PC's description (pc()); held only for short lookups.
    std::recursive_mutex& mutex() { return mutex_; }
    const QJsonObject& pc() const { return pc_; }

    int registerCount() const;
    std::shared_ptr<Register> reg(int i) const;
    // Register reached through a serial port named by number ("5"), name ("COM5") or device
    // path; null when none.
    std::shared_ptr<Register> findByPort(const QString& comFile) const;
    std::shared_ptr<Register> findByAddress(const QString& ip, int port) const;
    // The first register on USB, in the bench's order; with `devicePath`, the one on that
    // port or device node. Null when none.
    std::shared_ptr<Register> findUsb(const QString& devicePath) const;
    // Whether the register is on USB: as the bench says, else when its device node is a USB
    // modem's (/dev/ttyACM*) or the PC's Plug and Play list shows its port under the maker's
    // USB vendor id.
    bool onUsb(const Register& reg) const;
    // Whether the virtual PC has a serial port of that number or name.
    bool pcHasPort(const QString& comFile) const;
    bool portBusy(const QString& portName) const;

    // The PC's pause per driver call and what the driver's object says about itself.
    int pcLatencyMs() const;
    bool driverCreatable() const;
    QString driverVersion() const;

  private:
    World() = default;
    mutable std::recursive_mutex mutex_;
    QString source_;
    QJsonObject pc_;
    int pcLatencyMs_ = 0;
    bool driverCreatable_ = true;
    QString driverVersion_ = QStringLiteral("10.10.4.0");
    std::vector<std::shared_ptr<Register>> registers_;
};

// "COM5" -> 5; 0 when the text is not a COM name.
int comNumber(const QString& portName);

}  // namespace emu
