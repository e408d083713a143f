#pragma once
// The driver download dialog: installed and offered versions of the register driver and the
// USB-COM driver, package sizes, and the two downloads with progress and cancel.
#include <QDialog>
#include <functional>
#include <memory>

#include "update/Desktop.h"
#include "update/Updater.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace update {

class TFormUpdate : public QDialog {
    Q_OBJECT
  public:
    // `desktop` null: the real desktop. The dialog does not own a given one.
    explicit TFormUpdate(IDesktop* desktop = nullptr, QWidget* parent = nullptr);
    ~TFormUpdate() override;

    // The distributor's server (the INI option, see update::serverBase).
    void setServerBase(const QUrl& base);
    // Whether the driver object is bound, and its version.
    void setDriverState(bool fptrOK, const QString& version);
    // Where the address and target of each download are logged (the service memo).
    void setServiceLog(std::function<void(const QString&)> log);

    Updater& updater() { return updater_; }

    QLabel* lblNowVer = nullptr;
    QLabel* lblNewVer = nullptr;
    QRadioButton* rbFull = nullptr;
    QRadioButton* rb32 = nullptr;
    QRadioButton* rb64 = nullptr;
    QLabel* lblFullSize = nullptr;
    QLabel* lbl32Size = nullptr;
    QLabel* lbl64Size = nullptr;
    QProgressBar* prgDown = nullptr;
    QPushButton* btnDrvDown = nullptr;
    QPushButton* btnDrvOldVers = nullptr;
    QLabel* lblNowVer_usbcom = nullptr;
    QLabel* lblNewVer_usbcom = nullptr;
    QProgressBar* prgDown_usbcom = nullptr;
    QPushButton* btnDrvDown_usbcom = nullptr;

  public slots:
    // The main window's driver button: reset, show the dialog and check the server.
    void runCheck();
    void btnDrvDownClick();
    void btnDrvDown_usbcomClick();
    void btnDrvOldVersClick();

    // Every way of closing the dialog ends here: a running check and the driver's download stop.
    void done(int r) override;

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    void buildControls();
    void fillInstalledVersions();
    void showCheck();
    void checkFinished();
    void downloadClick(Slot slot);
    void showProgress(Slot slot, qint64 received, qint64 total);
    void downloadFinished(Slot slot, const DownloadOutcome& outcome);
    void openInstaller(const QString& path);
    Package chosenPackage() const;
    QPushButton* button(Slot s) const { return s == Slot::Driver ? btnDrvDown : btnDrvDown_usbcom; }
    QProgressBar* bar(Slot s) const { return s == Slot::Driver ? prgDown : prgDown_usbcom; }
    void log(const QString& line);

    std::unique_ptr<IDesktop> ownDesktop_;
    IDesktop* desktop_ = nullptr;
    Updater updater_;
    bool fptrOK_ = false;
    QString drvVer_;
    std::function<void(const QString&)> log_;
};

}  // namespace update
