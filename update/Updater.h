#pragma once
// The download dialog's state without the window: the version check and the two downloads, one
// at a time, each a small state machine (idle -> downloading -> idle by completion, failure or
// cancel).
#include <QObject>
#include <QUrl>

#include "update/Download.h"
#include "update/Http.h"
#include "update/VersionCheck.h"

namespace update {

enum class Slot { Driver, Usbcom };

class Updater : public QObject {
    Q_OBJECT
  public:
    explicit Updater(QObject* parent = nullptr);
    ~Updater() override;

    void setServerBase(const QUrl& base) { base_ = base; }
    QUrl serverBase() const { return base_; }
    void setExtraCaCertificates(const QList<QSslCertificate>& cas);
    // Time-outs without data: each request of the check, and a download.
    void setTimeouts(int checkMs, int downloadMs);

    // Whether the driver is downloaded for Linux: then the list's Linux package is the one
    // downloaded, whichever package is chosen, and without one nothing is. On by default on Linux.
    void setForLinux(bool on) { forLinux_ = on; }
    bool forLinux() const { return forLinux_; }

    void startCheck();
    void abortCheck();
    bool checkRunning() const { return check_.running(); }
    const CheckResult& result() const { return check_.result(); }

    // What a click on a slot's Скачать/Отмена button does now.
    enum class Click {
        Ignore,          // the other download runs
        NoAddress,       // nothing to download: "Сервер недоступен"
        NoLinuxPackage,  // for Linux, and the list offers no Linux package
        Cancel,          // this download runs
        Start,
    };
    Click decide(Slot slot) const;

    // The address a start of the slot uses.
    QUrl address(Slot slot, Package package) const;

    void start(Slot slot, Package package, const QString& downloadsDir);
    void cancel(Slot slot);
    void cancelAll();
    bool downloading(Slot slot) const { return download(slot).running(); }
    bool anyDownloading() const { return downloading(Slot::Driver) || downloading(Slot::Usbcom); }
    // The temporary file of a running download (tests look at it).
    QString temporaryPath(Slot slot) const { return download(slot).temporaryPath(); }

  signals:
    void checkChanged();
    void checkFinished();
    void downloadStarted(update::Slot slot, const QUrl& address, const QString& target);
    void progress(update::Slot slot, qint64 received, qint64 total);
    void downloadFinished(update::Slot slot, const update::DownloadOutcome& outcome);

  private:
    Download& download(Slot s) { return s == Slot::Driver ? driver_ : usbcom_; }
    const Download& download(Slot s) const { return s == Slot::Driver ? driver_ : usbcom_; }

    Http http_;
    VersionCheck check_;
    Download driver_;
    Download usbcom_;
    QUrl base_ = update::serverBase(QString());
    int checkTimeoutMs_ = 5000;
    int downloadTimeoutMs_ = 60000;
#ifdef Q_OS_LINUX
    bool forLinux_ = true;
#else
    bool forLinux_ = false;
#endif
};

}  // namespace update
