#pragma once
// The version check: the version list, the history file, the sizes of the three driver packages
// and the USB-COM installer, asked of the distributor's server one after another.
#include <QLocale>
#include <QObject>
#include <QUrl>
#include <array>
#include <functional>
#include <optional>

#include "update/Http.h"
#include "update/Rules.h"

class QNetworkReply;

namespace update {

// The three driver packages, in the order they are asked for.
enum class Package { Full = 0, Bit32 = 1, Bit64 = 2 };

struct CheckResult {
    bool finished = false;
    bool serverUnavailable = false;  // the list or the history could not be fetched
    bool listRejected = false;       // the list or the history came but was not accepted
    QString message;                 // a failure to show in a box; empty: none
    VersionList paths;               // histPath and the package addresses, version substituted
    QString newVerDrv;               // the version line of the history file
    QString version;                 // the version taken from it
    bool driverAvailable = false;    // a driver package address is known
    std::array<std::optional<qint64>, 3> sizes;  // announced in the answers 200, by Package
    bool sizesAsked = false;                     // all three packages were asked
    enum class Usbcom { NotAsked, Available, Unavailable };
    Usbcom usbcom = Usbcom::NotAsked;
    std::optional<qint64> usbcomSize;

    QString address(Package p) const;
};

// The label texts of a check's result.
struct CheckView {
    QString newVer;                // lblNewVer
    std::array<QString, 3> sizes;  // lblFullSize, lbl32Size, lbl64Size
    QString newVerUsbcom;          // lblNewVer_usbcom
};
// `forLinux`: the driver is downloaded for Linux, so the version says when a Linux package is
// offered.
CheckView checkView(const CheckResult& result, bool forLinux,
                    const QLocale& locale = QLocale::system());

class VersionCheck : public QObject {
    Q_OBJECT
  public:
    VersionCheck(Http& http, QObject* parent = nullptr);
    ~VersionCheck() override;

    // Starts a new check, dropping a running one. `timeoutMs` bounds each request.
    void start(const QUrl& serverBase, int timeoutMs = 5000);
    void abort();
    bool running() const { return reply_ != nullptr; }
    const CheckResult& result() const { return result_; }

  signals:
    void changed();  // a step added to the result
    void finished();

  private:
    using Done = std::function<void(QNetworkReply*, const Failure&, const QByteArray&)>;
    // GET into memory, at most `cap` bytes (larger: an Aborted failure with tooLarge_ set).
    void fetch(const QUrl& url, qint64 cap, Done done);
    void ask(const QUrl& url, Done done);  // HEAD
    void track(QNetworkReply* reply, Done done);

    void gotList(const Failure& f, const QByteArray& body);
    void gotHistory(const Failure& f, const QByteArray& body);
    void askPackage(int index);
    void askUsbcom();
    void end(const QString& message = {});

    Http& http_;
    QUrl base_;
    int timeoutMs_ = 5000;
    CheckResult result_;
    QNetworkReply* reply_ = nullptr;
    bool tooLarge_ = false;
};

}  // namespace update
