#include "update/Updater.h"

#include <QDir>

namespace update {

Updater::Updater(QObject* parent)
    : QObject(parent), check_(http_, this), driver_(http_, this), usbcom_(http_, this) {
    connect(&check_, &VersionCheck::changed, this, &Updater::checkChanged);
    connect(&check_, &VersionCheck::finished, this, &Updater::checkFinished);
    for (Slot s : {Slot::Driver, Slot::Usbcom}) {
        Download& d = download(s);
        connect(&d, &Download::progress, this,
                [this, s](qint64 received, qint64 total) { emit progress(s, received, total); });
        connect(&d, &Download::finished, this,
                [this, s](const DownloadOutcome& o) { emit downloadFinished(s, o); });
    }
}

Updater::~Updater() = default;

void Updater::setExtraCaCertificates(const QList<QSslCertificate>& cas) {
    http_.setExtraCaCertificates(cas);
}

void Updater::setTimeouts(int checkMs, int downloadMs) {
    checkTimeoutMs_ = checkMs;
    downloadTimeoutMs_ = downloadMs;
}

void Updater::startCheck() {
    check_.start(base_, checkTimeoutMs_);
}

void Updater::abortCheck() {
    check_.abort();
}

Updater::Click Updater::decide(Slot slot) const {
    const Slot other = slot == Slot::Driver ? Slot::Usbcom : Slot::Driver;
    if (downloading(other)) return Click::Ignore;
    const bool available = slot == Slot::Driver ? result().driverAvailable
                                                : result().usbcom == CheckResult::Usbcom::Available;
    if (!available) return Click::NoAddress;
    if (downloading(slot)) return Click::Cancel;
    if (slot == Slot::Driver && forLinux_ && result().paths.linuxPath.isEmpty())
        return Click::NoLinuxPackage;
    return Click::Start;
}

QUrl Updater::address(Slot slot, Package package) const {
    if (slot == Slot::Usbcom) return usbcomUrl(base_);
    if (forLinux_) return QUrl(result().paths.linuxPath);
    return QUrl(result().address(package));
}

void Updater::start(Slot slot, Package package, const QString& downloadsDir) {
    Download& d = download(slot);
    if (d.running()) return;
    const QUrl url = address(slot, package);
    const auto name = fileNameFromAddress(url);
    emit downloadStarted(slot, url, name ? QDir(downloadsDir).absoluteFilePath(*name) : QString());
    d.start(url, downloadsDir, downloadTimeoutMs_);
}

void Updater::cancel(Slot slot) {
    download(slot).cancel();
}

void Updater::cancelAll() {
    cancel(Slot::Driver);
    cancel(Slot::Usbcom);
}

}  // namespace update
