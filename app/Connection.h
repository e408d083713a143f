#pragma once
// Opening and closing the connection to a register, and the busy-port check.
#include <QString>

#include "app/shared/AppContext.h"

namespace ui {
class Memo;
class ReportList;
}  // namespace ui

namespace app {

inline const QString kNeed1010 = QStringLiteral("need1010drv");
inline const QString kPlatform25Message = QStringLiteral(
    "Для работы с кассами на платформе 2.5, версия драйвера ККТ должна быть не выше 10.10.0.0");
inline const QString kDriverNotBound =
    QStringLiteral("Не удалось подключиться к драйверу ККТ, установите драйвер.");

class Connection {
  public:
    Connection(ui::AppContext& ctx, ui::ReportList& list, ui::Memo& memo);

    // Opens the register at a port number (under four characters) or an IP address (over four).
    QString check_openKKM_com(const QString& numORip, bool stayconnect);
    // The connect action for a row of the device list (the button's busy state is the caller's).
    void connectRow(int row);
    void disconnect();
    // Busy-port check of the row's register port: which process holds it.
    void busyPortCheck(int row);

  private:
    void closeCurrent(bool network);
    // Rows in state "Подключен" become "Доступен".
    void markConnectedRowsAvailable();
    void showConnected(const QString& result, const QStringList& tail);
    ui::AppContext& ctx_;
    ui::ReportList& list_;
    ui::Memo& memo_;
};

}  // namespace app
