#pragma once
// The Подключение tab: device list, connection buttons, list options, status memo, driver label.
#include <QWidget>

#include "app/shared/AppContext.h"
#include "app/shared/DeviceList.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace ui {
class Memo;
class ReportList;
}  // namespace ui

namespace discovery {
class DeviceScan;
}

namespace app {

class Connection;

using enum ui::DeviceColumn;

class ConnectPage : public QWidget {
    Q_OBJECT
  public:
    ConnectPage(ui::AppContext& ctx, QWidget* parent = nullptr);
    ~ConnectPage() override;

    ui::ReportList* lvKKMconnect = nullptr;
    ui::Memo* mmoInfo = nullptr;
    QPushButton* btnScanConnect = nullptr;
    QPushButton* btnConnectKKM = nullptr;
    QPushButton* btnDiscKKM = nullptr;
    QCheckBox* chkCOM = nullptr;
    QCheckBox* chkTCPIP = nullptr;
    QCheckBox* chkSave = nullptr;
    QLabel* lblDrvVer = nullptr;
    QPushButton* btnDrvDown = nullptr;

    Connection& connection() { return *connection_; }
    // Column visibility from the two options (also run at start-up).
    void applyColumnVisibility();
    // Grid and column sizing of the device list (first step of resetViews).
    void resetView();

  public slots:
    void btnConnectKKMClick();
    void lvKKMconnectItemDblClick();
    void btnDiscKKMClick();
    void chkCOMClick();
    void btnScanConnectClick();

  signals:
    void driverDownloadRequested();

  private:
    ui::AppContext& ctx_;
    std::unique_ptr<Connection> connection_;
    discovery::DeviceScan* scan_ = nullptr;
};

}  // namespace app
