#pragma once
// The Подключение tab: device list, connection buttons, list options, status memo, driver label.
#include "app/DeviceRows.h"
#include "app/DriverBinding.h"
#include "app/SavedList.h"
#include "app/ui/Page.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace ui {
class Memo;
class ReportList;
}  // namespace ui

namespace app {
class Connection;
}

namespace discovery {

class DeviceScan;
class HandleListing;

class ConnectPage : public app::Page {
    Q_OBJECT
  public:
    explicit ConnectPage(const app::PageContext& ctx, QWidget* parent = nullptr);

  protected:
    void build() override;

  public:
    ~ConnectPage() override;

    QString caption() const override { return QStringLiteral(" Подключение   "); }
    void resetView() override;
    ui::ReportList* reportList() const override { return lvKKMconnect; }
    void windowShown() override;

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

    app::DeviceRows& rows() { return rows_; }
    app::Connection& connection() { return *connection_; }
    DeviceScan& scan() { return *scan_; }
    HandleListing& handleListing() { return *handles_; }
    // What the binding says: the driver label, the download button's caption, memo lines.
    void showBinding(const app::Binding& binding);
    // Column visibility from the two options (also run at start-up).
    void applyColumnVisibility();
    // The saved list and options of pf/set.ini; the text to tell the user when it was unreadable.
    QString loadSaved();
    app::SaveResult saveSettings() const;

  public slots:
    void btnConnectKKMClick();
    void lvKKMconnectItemDblClick();
    void btnDiscKKMClick();
    void chkCOMClick();
    void btnScanConnectClick();

  signals:
    void driverDownloadRequested();

  private:
    void showRows();
    void showRow(int row);
    app::DeviceRows rows_;
    HandleListing* handles_ = nullptr;
    std::unique_ptr<app::Connection> connection_;
    DeviceScan* scan_ = nullptr;
};

}  // namespace discovery
