#include "update/Download.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkReply>
#include <QTemporaryFile>

#include "update/Rules.h"
#include "update/Texts.h"

namespace update {

Download::Download(Http& http, QObject* parent) : QObject(parent), http_(http) {}

Download::~Download() {
    if (reply_) {
        reply_->disconnect(this);
        Http::abort(reply_);
        reply_->deleteLater();
        reply_ = nullptr;
    }
    // The temporary file removes itself.
}

QString Download::temporaryPath() const {
    return file_ ? file_->fileName() : QString();
}

qint64 Download::total() const {
    return length_ ? *length_ : -1;
}

void Download::start(const QUrl& address, const QString& downloadsDir, int timeoutMs) {
    if (reply_) return;
    target_.clear();
    length_.reset();
    received_ = 0;

    const auto name = fileNameFromAddress(address);
    if (!name) {
        return finish(DownloadOutcome::Kind::Failed, text::kBadFileName + address.toDisplayString(),
                      QStringLiteral("недопустимое имя файла: ") + address.toDisplayString());
    }
    if (downloadsDir.isEmpty() || !QDir().mkpath(downloadsDir))
        return fail(QStringLiteral("нет папки загрузок: ") + downloadsDir);
    const QDir dir(downloadsDir);
    target_ = QDir::cleanPath(dir.absoluteFilePath(*name));
    // Whatever the name, the file stays in the Downloads folder.
    if (QFileInfo(target_).absolutePath() != QDir::cleanPath(dir.absolutePath()))
        return fail(QStringLiteral("файл вне папки загрузок: ") + target_);

    file_ = std::make_unique<QTemporaryFile>(dir.absoluteFilePath(*name + ".XXXXXX.part"));
    if (!file_->open())
        return fail(QStringLiteral("не удалось создать временный файл: ") + file_->errorString());

    reply_ = http_.get(address, timeoutMs);
    connect(reply_, &QNetworkReply::metaDataChanged, this, &Download::onMetaData);
    connect(reply_, &QNetworkReply::readyRead, this, &Download::onReadyRead);
    connect(reply_, &QNetworkReply::finished, this, &Download::onFinished);
}

void Download::cancel() {
    if (!reply_) return;
    finish(DownloadOutcome::Kind::Cancelled);
}

void Download::onMetaData() {
    const int status = Http::httpStatus(reply_);
    if (status < 200 || status >= 300) return;  // told when the transfer ends
    length_ = Http::contentLength(reply_);
    if (length_ && *length_ > kSizeCap)
        return fail(QStringLiteral("файл слишком велик: %1 байт").arg(*length_));
}

void Download::onReadyRead() {
    if (!reply_) return;
    const int status = Http::httpStatus(reply_);
    if (status < 200 || status >= 300) {
        reply_->readAll();  // an error page, not the file
        return;
    }
    const QByteArray block = reply_->readAll();
    received_ += block.size();
    const qint64 limit = total() >= 0 ? total() : kSizeCap;
    if (received_ > limit)
        return fail(QStringLiteral("получено больше объявленных %1 байт").arg(limit));
    if (file_->write(block) != block.size())
        return fail(QStringLiteral("ошибка записи в ") + file_->fileName() + ": " +
                    file_->errorString());
    emit progress(received_, total());
}

void Download::onFinished() {
    if (!reply_) return;
    const Failure f = Http::failureOf(reply_);
    if (f.kind == Failure::Kind::Tls) return finish(DownloadOutcome::Kind::Failed, f.text, f.text);
    if (f.kind != Failure::Kind::None) return fail(f.text);
    // The rest of the data, if the last block came with the end.
    if (reply_->bytesAvailable() > 0) {
        onReadyRead();
        if (!reply_) return;
    }
    const bool chunked = reply_->rawHeader("Transfer-Encoding").toLower().contains("chunked");
    if (!length_ && !chunked) return fail(QStringLiteral("сервер не сообщил размер файла"));
    if (length_ && received_ != *length_)
        return fail(QStringLiteral("получено %1 байт из %2").arg(received_).arg(*length_));
    if (received_ == 0) return fail(QStringLiteral("сервер прислал пустой файл"));
    if (!file_->flush()) return fail(QStringLiteral("ошибка записи: ") + file_->errorString());

    // Complete: the temporary file takes the target's name, replacing an older download.
    const QFileInfo old(target_);
    if ((old.exists() || old.isSymLink()) && (old.isDir() || !QFile::remove(target_)))
        return fail(QStringLiteral("не удалось заменить ") + target_);
    file_->setAutoRemove(false);  // the renamed file must outlive the object
    if (!file_->rename(target_)) {
        file_->setAutoRemove(true);
        return fail(QStringLiteral("не удалось переименовать в ") + target_ + ": " +
                    file_->errorString());
    }
    finish(DownloadOutcome::Kind::Completed);
}

void Download::finish(DownloadOutcome::Kind kind, const QString& message, const QString& detail) {
    if (reply_) {
        QNetworkReply* r = reply_;
        reply_ = nullptr;
        r->disconnect(this);
        if (r->isRunning()) Http::abort(r);
        r->deleteLater();
    }
    file_.reset();  // removes the temporary file unless it became the target
    DownloadOutcome o;
    o.kind = kind;
    o.path = target_;
    if (kind == DownloadOutcome::Kind::Failed) {
        o.message = message.isEmpty() ? text::kDownloadFailed : message;
        o.detail = detail;
    }
    emit finished(o);
}

}  // namespace update
