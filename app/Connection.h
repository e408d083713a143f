#pragma once
// Opening and closing the connection to a register, and the busy-port check.
#include <QString>

#include "app/Session.h"
#include "app/Ui.h"

namespace discovery {
class HandleListing;
}

namespace app {

class DeviceRows;
class LineLog;

inline const QString kNeed1010 = QStringLiteral("need1010drv");
inline const QString kPlatform25Message = QStringLiteral(
    "Для работы с кассами на платформе 2.5, версия драйвера ККТ должна быть не выше 10.10.0.0");
inline const QString kDriverNotBound =
    QStringLiteral("Не удалось подключиться к драйверу ККТ, установите драйвер.");

// What an opened register says of itself: its platform (the configuration unit's version starts
// with 5) and, from the status query, model, serial number and firmware version.
struct RegisterIdentity {
    bool isP5 = false;
    QString model;
    QString serial;
    QString firmware;
};
RegisterIdentity readIdentity(drv::Fptr& f);

class Connection {
  public:
    // `memo` is the status memo's log; `handles` the handle listing of the busy-port check.
    Connection(Session& session, ui::IUi& ui, DeviceRows& rows, LineLog& memo,
               discovery::HandleListing* handles);

    // Opens the register at a port number (under four characters) or an IP address (over four).
    QString check_openKKM_com(const QString& numORip, bool stayconnect);
    // The connect action for a row of the device list (the button's busy state is the caller's).
    void connectRow(int row);
    void disconnect();
    // Busy-port check of the row's register port: which process holds it.
    void busyPortCheck(int row);

  private:
    void closeCurrent();
    void showConnected(const QString& result, const QStringList& tail);
    Session& session_;
    ui::IUi& ui_;
    DeviceRows& rows_;
    LineLog& memo_;
    discovery::HandleListing* handles_;
};

}  // namespace app
