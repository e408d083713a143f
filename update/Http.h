#pragma once
// The HTTPS client of the driver download: GET and HEAD with a time-out, certificate checks always
// on (the system's authorities plus any given), and failures told in the user's words.
#include <QList>
#include <QNetworkAccessManager>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QString>
#include <QUrl>
#include <memory>
#include <optional>

class QNetworkReply;

namespace update {

struct Failure {
    enum class Kind {
        None,     // an answer 2xx
        Http,     // the server answered with another status
        Tls,      // the server's certificate was refused, or the secure channel failed
        Network,  // no answer: refused, reset, timed out...
        Aborted,  // stopped by the program
    };
    Kind kind = Kind::None;
    int httpStatus = 0;  // for Http
    QString text;        // the failure's text for a message
};

class Http {
  public:
    Http();
    // Authorities trusted besides the system's (a test's own authority, say).
    void setExtraCaCertificates(const QList<QSslCertificate>& cas);

    // The reply belongs to the caller (delete it with deleteLater). `timeoutMs` is the longest
    // time without any data, from the connection on.
    QNetworkReply* get(const QUrl& url, int timeoutMs);
    QNetworkReply* head(const QUrl& url, int timeoutMs);
    // Stops a running request; its failure is then Aborted.
    static void abort(QNetworkReply* reply);

    // After `finished`: what went wrong, if anything.
    static Failure failureOf(QNetworkReply* reply);
    static int httpStatus(QNetworkReply* reply);
    // The Content-Length the server announced; nullopt without one.
    static std::optional<qint64> contentLength(QNetworkReply* reply);

  private:
    QNetworkRequest request(const QUrl& url, int timeoutMs);
    void watch(QNetworkReply* reply) const;
    // Made at the first request: reading the system's authorities and loading the TLS backend
    // take long, and most runs never download anything.
    QNetworkAccessManager& nam();
    const QSslConfiguration& tls();

    std::unique_ptr<QNetworkAccessManager> nam_;
    std::optional<QSslConfiguration> tls_;
    QList<QSslCertificate> extraCas_;
};

// Why a certificate was refused, one reason per problem, in the user's words.
QStringList certificateReasons(const QList<QSslError>& errors);

}  // namespace update
