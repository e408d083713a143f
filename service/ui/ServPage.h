#pragma once
// The Сервис tab: text and barcode printing, both clocks, the PC clock from NTP and the
// register's maintenance commands.
#include "app/ui/Page.h"
#include "service/Sntp.h"

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace service {

class IClockSetter;

class ServPage : public app::Page {
    Q_OBJECT
  public:
    explicit ServPage(const app::PageContext& ctx, QWidget* parent = nullptr);

  protected:
    void build() override;

  public:
    ~ServPage() override;
    QString caption() const override { return QStringLiteral(" Сервис   "); }
    void setActive(bool active) override;
    void windowShown() override;
    void connectionChanged() override;

    // The PC clock the NTP button sets (the program gives the system's; null: none can be set).
    void setClockSetter(IClockSetter* setter) { clockSetter_ = setter; }
    // The NTP server queried (the box beside the button only shows the default).
    void setNtpServer(const QString& host, quint16 port = kNtpPort,
                      int timeoutMs = kDefaultNtpTimeoutMs);
    SntpClient& ntpClient() { return *ntp_; }

    QWidget* Panel9 = nullptr;

    // "Печать текста"
    QGroupBox* grpPrintText = nullptr;
    QPlainTextEdit* mmoKKMprintText = nullptr;
    QPushButton* btnKKMprintText = nullptr;
    QComboBox* cbbPrintPos = nullptr;
    QComboBox* cbbPrintFont = nullptr;
    QComboBox* cbbPrintBright = nullptr;
    QComboBox* cbbPrintStrInterval = nullptr;
    QCheckBox* cbPrintTextDbWidth = nullptr;
    QCheckBox* cbPrintTextDbHeigth = nullptr;

    // "Печать штрихкодов"
    QGroupBox* grpPrintBarcode = nullptr;
    QPlainTextEdit* mmoPrintBarcode = nullptr;
    QPushButton* btnPrintBarcode = nullptr;
    QComboBox* cbPrintBarCodes = nullptr;
    QLineEdit* edtPrintBCotstup = nullptr;
    QLineEdit* edtPrintBCHeigth = nullptr;
    QLineEdit* edtPrintBCKoefUvel = nullptr;
    QComboBox* cbbPrintBCcorrect = nullptr;
    QLabel* lblBCvers_stolb = nullptr;
    QComboBox* cbbPrintBCvers_stolb = nullptr;
    QCheckBox* cbbPrintBCdata = nullptr;

    // "Время и дата"
    QLineEdit* edtSysTime = nullptr;
    QLineEdit* edtKKMtime = nullptr;
    QPushButton* btnSetSyncPCTimeFromNTP = nullptr;
    QLineEdit* edtNTPserver = nullptr;
    QPushButton* btnSetSyncFromPC = nullptr;
    QDateTimeEdit* dtSetTimeManual = nullptr;
    QPushButton* btnSetTimeManual = nullptr;

    // maintenance
    QPushButton* btnSetTehObnul = nullptr;
    QPushButton* btnSetReboot = nullptr;
    QPushButton* btnSetPowerOff = nullptr;
    QPushButton* btnOpenDYA = nullptr;
    QPushButton* btnBeep = nullptr;
    QPushButton* btnFeed = nullptr;
    QPushButton* btnCutCHL = nullptr;

    // Shows both clocks every second while the tab is active.
    QTimer* tmrServ = nullptr;

  public slots:
    void timerTick();
    void btnKKMprintTextClick();
    void btnPrintBarcodeClick();
    void cbPrintBarCodesChange();
    void edtPrintBCHeigthChange();
    void edtPrintBCKoefUvelChange();
    void cbPrintBarCodesCloseUp();
    void btnSetSyncPCTimeFromNTPClick();
    void btnSetSyncFromPCClick();
    void btnSetTimeManualClick();
    void dtSetTimeManualCloseUp();
    void btnSetTehObnulClick();
    void btnSetRebootClick();
    void btnSetPowerOffClick();
    void btnOpenDYAClick();
    void btnBeepClick();
    void btnFeedClick();
    void btnCutCHLClick();

  private:
    void buildTextGroup();
    void buildBarcodeGroup();
    QWidget* buildClockGroup();
    QWidget* buildCommandRow();
    // The connected register's driver object; shows "ККМ не подключена" and gives null without.
    drv::Fptr* connectedDriver();
    void command(int which);
    // The manual picker shows the PC's time until the user changes it.
    void followPcClock();

    bool manualTimeEdited_ = false;
    bool followingClock_ = false;  // the picker is being set to the PC's time, not by the user
    SntpClient* ntp_ = nullptr;
    IClockSetter* clockSetter_ = nullptr;
    QString ntpHost_ = QString::fromLatin1(kDefaultNtpServer);
    quint16 ntpPort_ = kNtpPort;
    int ntpTimeoutMs_ = kDefaultNtpTimeoutMs;
};

}  // namespace service
