#include "update/Http.h"

#include <QNetworkReply>
#include <QNetworkRequest>

#include "update/Texts.h"

namespace update {
namespace {

const char kReasonsProperty[] = "velmorCertificateReasons";
const char kAbortedProperty[] = "velmorAborted";

}  // namespace

QStringList certificateReasons(const QList<QSslError>& errors) {
    QStringList out;
    for (const QSslError& e : errors) {
        QString r;
        switch (e.error()) {
            case QSslError::CertificateExpired:
                r = QStringLiteral("срок действия сертификата истёк");
                break;
            case QSslError::CertificateNotYetValid:
                r = QStringLiteral("срок действия сертификата ещё не начался");
                break;
            case QSslError::HostNameMismatch:
                r = QStringLiteral("сертификат выдан для другого имени сервера");
                break;
            case QSslError::SelfSignedCertificate:
            case QSslError::SelfSignedCertificateInChain:
            case QSslError::UnableToGetLocalIssuerCertificate:
            case QSslError::UnableToGetIssuerCertificate:
            case QSslError::UnableToVerifyFirstCertificate:
            case QSslError::CertificateUntrusted:
                r = QStringLiteral("сертификат выдан неизвестным или недоверенным центром");
                break;
            case QSslError::CertificateRevoked:
                r = QStringLiteral("сертификат отозван");
                break;
            default:
                r = e.errorString();
        }
        if (!out.contains(r)) out << r;
    }
    return out;
}

Http::Http() = default;

void Http::setExtraCaCertificates(const QList<QSslCertificate>& cas) {
    extraCas_ = cas;
    tls_.reset();
    // A connection kept from before would go on with the old authorities.
    if (nam_) nam_->clearConnectionCache();
}

QNetworkAccessManager& Http::nam() {
    if (!nam_) nam_ = std::make_unique<QNetworkAccessManager>();
    return *nam_;
}

const QSslConfiguration& Http::tls() {
    if (!tls_) {
        QSslConfiguration c = QSslConfiguration::defaultConfiguration();
        c.setPeerVerifyMode(QSslSocket::VerifyPeer);
        c.setProtocol(QSsl::TlsV1_2OrLater);
        if (!extraCas_.isEmpty()) c.addCaCertificates(extraCas_);
        tls_ = c;
    }
    return *tls_;
}

QNetworkRequest Http::request(const QUrl& url, int timeoutMs) {
    QNetworkRequest r(url);
    r.setSslConfiguration(tls());
    r.setTransferTimeout(timeoutMs);
    // Redirects are followed only while they stay on https.
    r.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                   QNetworkRequest::NoLessSafeRedirectPolicy);
    r.setMaximumRedirectsAllowed(5);
    r.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    return r;
}

void Http::watch(QNetworkReply* reply) const {
    QObject::connect(reply, &QNetworkReply::sslErrors, reply,
                     [reply](const QList<QSslError>& errors) {
                         QStringList all = reply->property(kReasonsProperty).toStringList();
                         for (const QString& r : certificateReasons(errors))
                             if (!all.contains(r)) all << r;
                         reply->setProperty(kReasonsProperty, all);
                     });
}

QNetworkReply* Http::get(const QUrl& url, int timeoutMs) {
    QNetworkReply* r = nam().get(request(url, timeoutMs));
    watch(r);
    return r;
}

QNetworkReply* Http::head(const QUrl& url, int timeoutMs) {
    QNetworkReply* r = nam().head(request(url, timeoutMs));
    watch(r);
    return r;
}

void Http::abort(QNetworkReply* reply) {
    if (!reply) return;
    reply->setProperty(kAbortedProperty, true);
    reply->abort();
}

int Http::httpStatus(QNetworkReply* reply) {
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

std::optional<qint64> Http::contentLength(QNetworkReply* reply) {
    const QVariant v = reply->header(QNetworkRequest::ContentLengthHeader);
    if (!v.isValid()) return std::nullopt;
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (!ok || n < 0) return std::nullopt;
    return n;
}

Failure Http::failureOf(QNetworkReply* reply) {
    Failure f;
    if (reply->property(kAbortedProperty).toBool()) {
        f.kind = Failure::Kind::Aborted;
        return f;
    }
    const QNetworkReply::NetworkError e = reply->error();
    const int status = httpStatus(reply);
    const QStringList reasons = reply->property(kReasonsProperty).toStringList();
    if (!reasons.isEmpty() || e == QNetworkReply::SslHandshakeFailedError) {
        f.kind = Failure::Kind::Tls;
        f.text = text::kTlsRefused + QStringLiteral("\r\n") +
                 (reasons.isEmpty() ? reply->errorString() : reasons.join(QStringLiteral("; ")));
        return f;
    }
    // Content and server errors are answers of the server; the others mean there was none, or
    // it broke off.
    const bool answerError =
        (e >= QNetworkReply::ContentAccessDenied && e <= QNetworkReply::UnknownContentError) ||
        (e >= QNetworkReply::InternalServerError && e <= QNetworkReply::UnknownServerError);
    if (e == QNetworkReply::NoError && (status == 0 || (status >= 200 && status < 300))) return f;
    if (status > 0 && (e == QNetworkReply::NoError || answerError)) {
        f.kind = Failure::Kind::Http;
        f.httpStatus = status;
        const QString phrase =
            reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        f.text =
            (text::kRequestFailed + QStringLiteral("HTTP %1 %2").arg(status).arg(phrase)).trimmed();
        return f;
    }
    f.kind = Failure::Kind::Network;
    if (e == QNetworkReply::OperationCanceledError || e == QNetworkReply::TimeoutError)
        f.text = text::kRequestFailed + QStringLiteral("сервер не ответил вовремя.");
    else
        f.text = text::kRequestFailed + reply->errorString();
    return f;
}

}  // namespace update
