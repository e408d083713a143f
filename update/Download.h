#pragma once
// One installer download into the Downloads folder. The data goes to a temporary file beside the
// target, and only a transfer complete by its own Content-Length is renamed to the target's name;
// a failed or cancelled one leaves nothing behind.
#include <QObject>
#include <QString>
#include <QUrl>
#include <memory>
#include <optional>

#include "update/Http.h"

class QNetworkReply;
class QTemporaryFile;

namespace update {

struct DownloadOutcome {
    enum class Kind { Completed, Failed, Cancelled };
    Kind kind = Kind::Failed;
    QString path;     // the target file
    QString message;  // Failed: the text for the user
    QString detail;   // Failed: what exactly went wrong, for the service log
};

class Download : public QObject {
    Q_OBJECT
  public:
    // Largest download accepted.
    static constexpr qint64 kSizeCap = qint64(1) << 30;

    Download(Http& http, QObject* parent = nullptr);
    ~Download() override;

    // The target is the address's file name in `downloadsDir`. The data must match the
    // transfer's own Content-Length (a size given earlier, by HEAD, is only shown to the user and
    // may be stale or wrong). `timeoutMs` is the longest time without data. The outcome comes
    // through `finished`, at once when the download cannot start.
    void start(const QUrl& address, const QString& downloadsDir, int timeoutMs);
    // Stops the transfer and deletes what was received; `finished` reports Cancelled.
    void cancel();
    bool running() const { return reply_ != nullptr; }
    // The target path of the last start (empty when the address named no valid file).
    QString targetPath() const { return target_; }
    // The temporary file while running.
    QString temporaryPath() const;

  signals:
    void progress(qint64 received, qint64 total);  // total -1: unknown
    void finished(const update::DownloadOutcome& outcome);

  private:
    void onMetaData();
    void onReadyRead();
    void onFinished();
    // Ends the download: drops the reply and the temporary file, then reports.
    void finish(DownloadOutcome::Kind kind, const QString& message = {},
                const QString& detail = {});
    void fail(const QString& detail) { finish(DownloadOutcome::Kind::Failed, {}, detail); }
    qint64 total() const;

    Http& http_;
    QNetworkReply* reply_ = nullptr;
    std::unique_ptr<QTemporaryFile> file_;
    QString target_;
    std::optional<qint64> length_;  // the transfer's Content-Length
    qint64 received_ = 0;
};

}  // namespace update
