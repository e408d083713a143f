#pragma once
// A small HTTPS server on 127.0.0.1 for the download tests. It answers GET and HEAD from a table
// of routes with a certificate from tests/data/update (signed by the tests' own authority, or an
// expired, wrong-host or untrusted one), and can answer slowly, break off mid-transfer or
// announce a size other than what it sends. It runs in the test's own thread and event loop.
#include <QByteArray>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QObject>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <memory>
#include <optional>

namespace test_update {

// Runs the event loop until `done()` holds or `ms` milliseconds have passed; true when it holds.
template <class Done>
bool waitUntil(Done done, int ms = 20000) {
    QElapsedTimer t;
    t.start();
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(2);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done() || t.elapsed() > ms) loop.quit();
    });
    if (done()) return true;
    tick.start();
    loop.exec();
    return done();
}

inline QString dataDir() {
    return QStringLiteral(VELMOR_SOURCE_DIR "/tests/data/update/");
}

// The tests' own certificate authority (their CA bundle).
inline QList<QSslCertificate> testCa() {
    return QSslCertificate::fromPath(dataDir() + QStringLiteral("ca.pem"));
}

struct Route {
    int status = 200;
    QByteArray body;
    std::optional<qint64> length;      // Content-Length of GET; default: the body's size
    bool noLength = false;             // no Content-Length: the body ends with the connection
    std::optional<qint64> headLength;  // Content-Length of HEAD; default: as for GET
    int chunk = 0;                     // bytes per write; 0: all at once
    int delayMs = 0;                   // pause before each write
    qint64 dropAfter = -1;             // close the connection after this many body bytes
};

class HttpsServer {
  public:
    // `certificate`: a file of tests/data/update, all made for server.key.
    explicit HttpsServer(const QString& certificate = QStringLiteral("server.pem")) {
        QSslConfiguration c = QSslConfiguration::defaultConfiguration();
        c.setLocalCertificate(QSslCertificate::fromPath(dataDir() + certificate).value(0));
        QFile key(dataDir() + QStringLiteral("server.key"));
        if (key.open(QIODevice::ReadOnly)) c.setPrivateKey(QSslKey(key.readAll(), QSsl::Rsa));
        c.setPeerVerifyMode(QSslSocket::VerifyNone);
        server_.setSslConfiguration(c);
        QObject::connect(&server_, &QTcpServer::pendingConnectionAvailable, &context_, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection())
                serve(static_cast<QSslSocket*>(s));
        });
        ok_ = server_.listen(QHostAddress::LocalHost, 0);
    }

    bool listening() const { return ok_; }
    quint16 port() const { return server_.serverPort(); }
    QString base() const { return QStringLiteral("https://127.0.0.1:%1").arg(port()); }
    QString url(const QString& path) const { return base() + path; }

    // `path` as decoded ("/files/ATOL USB-COM Driver.exe").
    void route(const QString& path, const Route& r) { routes_[path] = r; }
    // Requests in order, as "GET /path" with the path decoded.
    QStringList requests() const { return *requests_; }
    // Transfers that the client closed before the server had sent everything.
    int brokenOff() const { return *brokenOff_; }
    // Body bytes written for slow transfers, over all of them.
    qint64 slowBytesSent() const { return *slowSent_; }

  private:
    static QByteArray reason(int status) {
        switch (status) {
            case 200:
                return "OK";
            case 404:
                return "Not Found";
            case 500:
                return "Internal Server Error";
            default:
                return "Status";
        }
    }

    void serve(QSslSocket* s) {
        auto buffer = std::make_shared<QByteArray>();
        auto answered = std::make_shared<bool>(false);
        QObject::connect(s, &QSslSocket::disconnected, s, &QObject::deleteLater);
        QObject::connect(s, &QSslSocket::readyRead, &context_, [this, s, buffer, answered] {
            *buffer += s->readAll();
            if (*answered || !buffer->contains("\r\n\r\n")) return;
            *answered = true;
            const QList<QByteArray> first = buffer->left(buffer->indexOf("\r\n")).split(' ');
            const QByteArray method = first.value(0);
            const QString path = QUrl::fromPercentEncoding(first.value(1));
            requests_->append(QString::fromLatin1(method) + QLatin1Char(' ') + path);
            answer(s, method, path);
        });
    }

    void answer(QSslSocket* s, const QByteArray& method, const QString& path) {
        Route r;
        if (routes_.contains(path)) {
            r = routes_.value(path);
        } else {
            r.status = 404;
            r.body = "not found";
        }
        const bool head = method == "HEAD";
        const qint64 length =
            head && r.headLength ? *r.headLength : r.length.value_or(r.body.size());
        QByteArray headers = "HTTP/1.1 " + QByteArray::number(r.status) + ' ' + reason(r.status) +
                             "\r\nContent-Type: application/octet-stream\r\n";
        if (!r.noLength || (head && r.headLength))
            headers += "Content-Length: " + QByteArray::number(length) + "\r\n";
        headers += "Connection: close\r\n\r\n";
        s->write(headers);
        if (head) {
            s->disconnectFromHost();
            return;
        }
        const QByteArray data = r.dropAfter >= 0 ? r.body.left(r.dropAfter) : r.body;
        if (r.chunk <= 0 && r.delayMs <= 0) {
            s->write(data);
            s->disconnectFromHost();
            return;
        }
        // Slow: one chunk per tick until all is sent or the client goes away.
        auto offset = std::make_shared<qint64>(0);
        auto* timer = new QTimer(s);
        timer->setInterval(r.delayMs);
        const int chunk = r.chunk > 0 ? r.chunk : 4096;
        QObject::connect(s, &QSslSocket::disconnected, &context_, [this, offset, data] {
            if (*offset < data.size()) ++*brokenOff_;
        });
        QObject::connect(timer, &QTimer::timeout, &context_, [this, s, timer, offset, data, chunk] {
            if (s->state() != QAbstractSocket::ConnectedState) {
                timer->stop();
                return;
            }
            const QByteArray part = data.mid(*offset, chunk);
            s->write(part);
            *offset += part.size();
            *slowSent_ += part.size();
            if (*offset >= data.size()) {
                timer->stop();
                s->disconnectFromHost();
            }
        });
        timer->start();
    }

    // Declared so that the server and its connections go first, while what their handlers use
    // is still there.
    QHash<QString, Route> routes_;
    std::shared_ptr<QStringList> requests_ = std::make_shared<QStringList>();
    std::shared_ptr<int> brokenOff_ = std::make_shared<int>(0);
    std::shared_ptr<qint64> slowSent_ = std::make_shared<qint64>(0);
    bool ok_ = false;
    QObject context_;
    QSslServer server_;
};

// A distributor's site as the tests lay it out: the version list, the history file, the three
// driver packages (with the version in their paths) and the USB-COM installer.
inline const QString kListPath = QStringLiteral("/wp-content/nfiles/upset.txt");
inline const QString kHistPath = QStringLiteral("/files/hist.txt");
inline const QString kFullPath = QStringLiteral("/KKT/0.0.0.0/full.zip");
inline const QString k32Path = QStringLiteral("/KKT/0.0.0.0/x86/KKT10-0.0.0.0-windows32-setup.exe");
inline const QString k64Path = QStringLiteral("/KKT/0.0.0.0/x64/KKT10-0.0.0.0-windows64-setup.exe");
inline const QString kLinuxPath = QStringLiteral("/KKT/0.0.0.0/linux/libfptr10_0.0.0.0_amd64.deb");
inline const QString kUsbcomPath = QStringLiteral(
    "/wp-content/nfiles/files/ATOL/soft/atol/usb-com-driver/ATOL USB-COM Driver "
    "1.26.0_2017-05-18.exe");

inline QString withVersion(const QString& path, const QString& version) {
    return QString(path).replace(QStringLiteral("0.0.0.0"), version);
}

// Bytes that differ from position to position, so a shifted or cut copy shows.
inline QByteArray payload(qint64 size, char seed = 1) {
    QByteArray b(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i) b[i] = char((i * 31 + seed + i / 251) & 0xff);
    return b;
}

struct Site {
    QByteArray history = "История версий\nВерсия 10.10.7.0 от 12.05.2024\n";
    QString version = QStringLiteral("10.10.7.0");  // where the packages lie
    // Packages: nullopt answers 404.
    std::optional<Route> full, bit32, bit64, usbcom;
    // A Linux package: the version list names it only when it is set.
    std::optional<Route> linuxPackage;
};

inline QByteArray versionList(const HttpsServer& s, bool withLinux = false) {
    QString list = s.url(kHistPath) + "\r\n" + s.url(kFullPath) + "\r\n" + s.url(k32Path) + "\r\n" +
                   s.url(k64Path) + "\r\n";
    if (withLinux) list += s.url(kLinuxPath) + "\r\n";
    return list.toUtf8();
}

inline void layOut(HttpsServer& s, const Site& site) {
    Route list;
    list.body = versionList(s, site.linuxPackage.has_value());
    s.route(kListPath, list);
    Route hist;
    hist.body = site.history;
    s.route(kHistPath, hist);
    if (site.full) s.route(withVersion(kFullPath, site.version), *site.full);
    if (site.bit32) s.route(withVersion(k32Path, site.version), *site.bit32);
    if (site.bit64) s.route(withVersion(k64Path, site.version), *site.bit64);
    if (site.usbcom) s.route(kUsbcomPath, *site.usbcom);
    if (site.linuxPackage) s.route(withVersion(kLinuxPath, site.version), *site.linuxPackage);
}

inline Route file(const QByteArray& body) {
    Route r;
    r.body = body;
    return r;
}

// A file whose HEAD announces `size` bytes (its GET is not meant to be used).
inline Route announced(qint64 size) {
    Route r;
    r.headLength = size;
    return r;
}

}  // namespace test_update
