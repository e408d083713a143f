#pragma once
// The session: the driver object `fptr` and the state of the connection to a register, shared
// by every tab. Readers see it read-only; the binding and the connection change it through the
// named setters, and every change is signalled.
#include <QObject>
#include <QString>
#include <memory>

#include "driver/Fptr.h"

namespace platform {
class IPc;
}

namespace app {

// The connected row of the device list: model, serial number and EoU port.
struct ConnectionRecord {
    QString model;
    QString serial;
    QString eouPort;
};

class Session : public QObject {
    Q_OBJECT
  public:
    // `progdir` ends with a separator.
    Session(platform::IPc& pc, const QString& progdir, QObject* parent = nullptr);
    ~Session() override;

    platform::IPc& pc() const { return pc_; }
    const QString& progdir() const { return progdir_; }
    // The user's settings file (pf/set.ini beside the program, or the user's own copy when the
    // program's folder can't be written; see app/SavedList.h).
    const QString& settingsFile() const { return settingsFile_; }
    void setSettingsFile(const QString& path) { settingsFile_ = path; }

    // The driver object; null before binding and after the window's close.
    drv::Fptr* fptr() const { return fptr_.get(); }
    bool fptrOK() const { return fptrOK_; }
    const QString& drvVer() const { return drvVer_; }

    bool kkmConnected() const { return kkmConnected_; }
    const QString& comConnected() const { return comConnected_; }
    const QString& ipConnected() const { return ipConnected_; }
    bool isP5() const { return isP5_; }
    const ConnectionRecord& record() const { return record_; }

    // Binding at start-up.
    void bind(std::unique_ptr<drv::Fptr> fptr, bool ok, const QString& drvVer);
    // A fresh driver object for a connection attempt (null when none could be made).
    void replaceDriver(std::unique_ptr<drv::Fptr> fptr);
    // Closes and drops the driver object (the window's close).
    void closeDriver();

    void setKkmConnected(bool on);
    void setComConnected(const QString& port);
    void setIpConnected(const QString& address);
    void setP5(bool on);
    void setRecord(const ConnectionRecord& record);
    void setEouPort(const QString& port);
    // The first step of every connection: the flags and ports of the old one are gone.
    void clearConnection();

    // Asks every page to reset its view and read marker (the window's resetViews).
    void requestViewReset() { emit viewResetRequested(); }
    // Tells the pages that a register was connected (print option lists refill).
    void announceConnected() { emit connected(); }
    // Asks the connection page to close the connection (the register went away, e.g. switched
    // off by a command).
    void requestDisconnect() { emit disconnectRequested(); }

  signals:
    void changed();
    void viewResetRequested();
    void connected();
    void disconnectRequested();

  private:
    platform::IPc& pc_;
    QString progdir_;
    QString settingsFile_;
    std::unique_ptr<drv::Fptr> fptr_;
    bool fptrOK_ = false;
    QString drvVer_;
    bool kkmConnected_ = false;
    QString comConnected_;
    QString ipConnected_;
    bool isP5_ = false;
    ConnectionRecord record_;
};

}  // namespace app
