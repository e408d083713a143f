#include "update/VersionCheck.h"

#include <QNetworkReply>

#include "update/Texts.h"

namespace update {

QString CheckResult::address(Package p) const {
    switch (p) {
        case Package::Full:
            return paths.fullDrvPath;
        case Package::Bit32:
            return paths.bit32Path;
        case Package::Bit64:
            return paths.bit64Path;
    }
    return {};
}

CheckView checkView(const CheckResult& r, bool forLinux, const QLocale& locale) {
    CheckView v;
    for (int i = 0; i < 3; ++i) v.sizes[i] = sizeLabel(r.sizes[i].value_or(0), locale);
    if (r.serverUnavailable) {
        v.newVer = text::kServerUnavailable;
    } else if (r.listRejected) {
        v.newVer = text::kNone;
    } else {
        v.newVer = r.version;
        const QString zero = sizeLabel(0, locale);
        if (r.sizesAsked && v.sizes[0] == zero && v.sizes[1] == zero && v.sizes[2] == zero)
            v.newVer = text::kNone;
        if (forLinux && r.driverAvailable && !r.paths.linuxPath.isEmpty())
            v.newVer = r.version + text::kLinuxPackageOffered;
    }
    switch (r.usbcom) {
        case CheckResult::Usbcom::Available:
            v.newVerUsbcom = kUsbcomVersion + QStringLiteral("   ") +
                             sizeLabel(r.usbcomSize.value_or(0), locale);
            break;
        case CheckResult::Usbcom::Unavailable:
            v.newVerUsbcom = text::kServerUnavailable;
            break;
        case CheckResult::Usbcom::NotAsked:
            break;
    }
    return v;
}

VersionCheck::VersionCheck(Http& http, QObject* parent) : QObject(parent), http_(http) {}

VersionCheck::~VersionCheck() {
    abort();
}

void VersionCheck::abort() {
    if (!reply_) return;
    QNetworkReply* r = reply_;
    reply_ = nullptr;
    r->disconnect(this);
    Http::abort(r);
    r->deleteLater();
}

void VersionCheck::start(const QUrl& serverBase, int timeoutMs) {
    abort();
    base_ = serverBase;
    timeoutMs_ = timeoutMs;
    result_ = CheckResult{};
    fetch(versionListUrl(base_), kVersionListCap,
          [this](QNetworkReply*, const Failure& f, const QByteArray& body) { gotList(f, body); });
}

void VersionCheck::track(QNetworkReply* reply, Done done) {
    reply_ = reply;
    connect(reply, &QNetworkReply::finished, this, [this, reply, done] {
        if (reply != reply_) return;
        reply_ = nullptr;
        reply->deleteLater();
        QByteArray body = reply->property("velmorBody").toByteArray();
        if (reply->bytesAvailable() > 0) body += reply->readAll();
        done(reply, Http::failureOf(reply), body);
    });
}

void VersionCheck::fetch(const QUrl& url, qint64 cap, Done done) {
    tooLarge_ = false;
    QNetworkReply* r = http_.get(url, timeoutMs_);
    auto tooLarge = [this, r] {
        tooLarge_ = true;
        Http::abort(r);
    };
    connect(r, &QNetworkReply::metaDataChanged, this, [r, cap, tooLarge] {
        const auto n = Http::contentLength(r);
        if (n && *n > cap) tooLarge();
    });
    connect(r, &QNetworkReply::readyRead, this, [r, cap, tooLarge] {
        QByteArray body = r->property("velmorBody").toByteArray();
        body += r->read(cap + 1 - body.size());
        r->setProperty("velmorBody", body);
        if (body.size() > cap) tooLarge();
    });
    track(r, std::move(done));
}

void VersionCheck::ask(const QUrl& url, Done done) {
    track(http_.head(url, timeoutMs_), std::move(done));
}

void VersionCheck::gotList(const Failure& f, const QByteArray& body) {
    if (tooLarge_) {
        result_.listRejected = true;
        return end(text::kListRejected +
                   QStringLiteral("файл больше %1 КБ.").arg(kVersionListCap / 1024));
    }
    if (f.kind != Failure::Kind::None) {
        result_.serverUnavailable = true;
        // A refused certificate is told plainly; other failures show in the label only.
        return end(f.kind == Failure::Kind::Tls ? f.text : QString());
    }
    const ParsedVersionList parsed = parseVersionList(body);
    if (!parsed.list) {
        result_.listRejected = true;
        return end(text::kListRejected + parsed.error);
    }
    result_.paths = *parsed.list;
    emit changed();
    fetch(QUrl(result_.paths.histPath), kHistoryCap,
          [this](QNetworkReply*, const Failure& hf, const QByteArray& hbody) {
              gotHistory(hf, hbody);
          });
}

void VersionCheck::gotHistory(const Failure& f, const QByteArray& body) {
    if (tooLarge_) {
        result_.listRejected = true;
        return end(text::kHistoryRejected +
                   QStringLiteral("файл больше %1 КБ.").arg(kHistoryCap / 1024));
    }
    if (f.kind != Failure::Kind::None) {
        result_.serverUnavailable = true;
        return end(f.kind == Failure::Kind::Tls ? f.text : QString());
    }
    QString error;
    const auto lines = textLines(body, kHistoryCap, &error);
    if (!lines) {
        result_.listRejected = true;
        return end(text::kHistoryRejected + error);
    }
    result_.newVerDrv = findVersionLine(*lines);
    result_.version = extractVersion(result_.newVerDrv);
    if (result_.version.isEmpty()) {
        // No version, so none of the package addresses is known.
        result_.sizesAsked = true;
        emit changed();
        return askUsbcom();
    }
    result_.driverAvailable = true;
    result_.paths.fullDrvPath = substituteVersion(result_.paths.fullDrvPath, result_.version);
    result_.paths.bit32Path = substituteVersion(result_.paths.bit32Path, result_.version);
    result_.paths.bit64Path = substituteVersion(result_.paths.bit64Path, result_.version);
    result_.paths.linuxPath = substituteVersion(result_.paths.linuxPath, result_.version);
    emit changed();
    askPackage(0);
}

void VersionCheck::askPackage(int index) {
    if (index > 2) {
        result_.sizesAsked = true;
        emit changed();
        return askUsbcom();
    }
    const QUrl url(result_.address(Package(index)));
    ask(url, [this, index](QNetworkReply* r, const Failure& f, const QByteArray&) {
        if (f.kind == Failure::Kind::Tls || f.kind == Failure::Kind::Network) return end(f.text);
        if (f.kind == Failure::Kind::None && Http::httpStatus(r) == 200) {
            result_.sizes[index] = Http::contentLength(r);
            emit changed();
        }
        askPackage(index + 1);
    });
}

void VersionCheck::askUsbcom() {
    ask(usbcomUrl(base_), [this](QNetworkReply* r, const Failure& f, const QByteArray&) {
        if (f.kind == Failure::Kind::None && Http::httpStatus(r) == 200) {
            result_.usbcom = CheckResult::Usbcom::Available;
            result_.usbcomSize = Http::contentLength(r);
            return end();
        }
        result_.usbcom = CheckResult::Usbcom::Unavailable;
        const bool noAnswer = f.kind == Failure::Kind::Tls || f.kind == Failure::Kind::Network;
        end(noAnswer ? f.text : QString());
    });
}

void VersionCheck::end(const QString& message) {
    result_.message = message;
    result_.finished = true;
    emit changed();
    emit finished();
}

}  // namespace update
