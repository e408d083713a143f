#include "service/Sntp.h"

#include <QEventLoop>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QRandomGenerator>
#include <QTimer>
#include <QUdpSocket>
#include <QtEndian>

namespace service {

// --- timestamps

namespace {

// Seconds from 1900-01-01 (NTP era 0) to 1970-01-01 (Unix epoch).
constexpr qint64 kNtpToUnixSeconds = 2208988800LL;
constexpr qint64 kEraSeconds = qint64(1) << 32;
constexpr qint64 kMicros = 1000000;

}  // namespace

NtpTimestamp toNtp(qint64 unixMicros) {
    qint64 secs = unixMicros / kMicros;
    qint64 micros = unixMicros % kMicros;
    if (micros < 0) {
        micros += kMicros;
        --secs;
    }
    const qint64 ntpSecs = secs + kNtpToUnixSeconds;  // wraps into era 1 after 2036
    NtpTimestamp t;
    t.seconds = quint32(quint64(ntpSecs) & 0xffffffffu);
    t.fraction = quint32((quint64(micros) << 32) / kMicros);
    return t;
}

qint64 fromNtp(NtpTimestamp t) {
    // RFC 4330: a clear top bit means the era that starts on 2036-02-07 06:28:16 UTC.
    qint64 secs = qint64(t.seconds);
    if (!(t.seconds & 0x80000000u)) secs += kEraSeconds;
    const qint64 micros = qint64((quint64(t.fraction) * kMicros + (quint64(1) << 31)) >> 32);
    return (secs - kNtpToUnixSeconds) * kMicros + micros;
}

qint64 fromNtp(NtpTimestamp t, qint64 nearUnixMicros) {
    const qint64 micros = qint64((quint64(t.fraction) * kMicros + (quint64(1) << 31)) >> 32);
    const qint64 nearNtpSecs = nearUnixMicros / kMicros + kNtpToUnixSeconds;
    // The era whose reading of the seconds lies within half an era of the given time.
    qint64 era = (nearNtpSecs - qint64(t.seconds) + kEraSeconds / 2);
    era = era >= 0 ? era / kEraSeconds : -((-era + kEraSeconds - 1) / kEraSeconds);
    const qint64 secs = qint64(t.seconds) + era * kEraSeconds;
    return (secs - kNtpToUnixSeconds) * kMicros + micros;
}

// --- the packet

namespace {

void putTimestamp(uchar* p, NtpTimestamp t) {
    qToBigEndian(t.seconds, p);
    qToBigEndian(t.fraction, p + 4);
}

NtpTimestamp getTimestamp(const uchar* p) {
    return {qFromBigEndian<quint32>(p), qFromBigEndian<quint32>(p + 4)};
}

constexpr int kPacketSize = 48;

}  // namespace

QByteArray NtpPacket::encode() const {
    QByteArray out(kPacketSize, '\0');
    auto* p = reinterpret_cast<uchar*>(out.data());
    p[0] = uchar((leap & 3) << 6 | (version & 7) << 3 | (mode & 7));
    p[1] = uchar(stratum);
    p[2] = uchar(qint8(poll));
    p[3] = uchar(qint8(precision));
    qToBigEndian(rootDelay, p + 4);
    qToBigEndian(rootDispersion, p + 8);
    qToBigEndian(referenceId, p + 12);
    putTimestamp(p + 16, reference);
    putTimestamp(p + 24, originate);
    putTimestamp(p + 32, receive);
    putTimestamp(p + 40, transmit);
    return out;
}

std::optional<NtpPacket> NtpPacket::decode(const QByteArray& bytes) {
    if (bytes.size() < kPacketSize) return std::nullopt;
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    NtpPacket n;
    n.leap = p[0] >> 6;
    n.version = (p[0] >> 3) & 7;
    n.mode = p[0] & 7;
    n.stratum = p[1];
    n.poll = qint8(p[2]);
    n.precision = qint8(p[3]);
    n.rootDelay = qFromBigEndian<quint32>(p + 4);
    n.rootDispersion = qFromBigEndian<quint32>(p + 8);
    n.referenceId = qFromBigEndian<quint32>(p + 12);
    n.reference = getTimestamp(p + 16);
    n.originate = getTimestamp(p + 24);
    n.receive = getTimestamp(p + 32);
    n.transmit = getTimestamp(p + 40);
    return n;
}

QString NtpPacket::referenceText() const {
    QString out;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = char((referenceId >> shift) & 0xff);
        if (c == 0) break;
        out += (c >= 0x20 && c < 0x7f) ? QChar(c) : QChar('?');
    }
    return out;
}

NtpPacket clientRequest(NtpTimestamp transmit) {
    NtpPacket p;
    p.leap = 0;
    p.version = 4;
    p.mode = 3;
    p.transmit = transmit;
    return p;
}

OffsetDelay offsetAndDelay(qint64 t1, qint64 t2, qint64 t3, qint64 t4) {
    OffsetDelay r;
    r.offsetUs = ((t2 - t1) + (t3 - t4)) / 2;
    r.delayUs = (t4 - t1) - (t3 - t2);
    return r;
}

// --- messages

namespace {

QString serverText(const QString& host, quint16 port) {
    return port == kNtpPort ? host : QStringLiteral("%1:%2").arg(host).arg(port);
}

QString durationText(int ms) {
    if (ms % 1000 == 0) return QStringLiteral("%1 с").arg(ms / 1000);
    return QStringLiteral("%1 мс").arg(ms);
}

}  // namespace

QString sntpErrorText(SntpError error, const QString& server, const QString& detail) {
    switch (error) {
        case SntpError::None:
            return {};
        case SntpError::Busy:
            return QStringLiteral("Запрос времени у сервера %1 уже выполняется.").arg(server);
        case SntpError::HostNotFound:
            return QStringLiteral("Сервер времени %1 не найден: %2").arg(server, detail);
        case SntpError::NetworkError:
            return QStringLiteral("Не удалось отправить запрос серверу времени %1: %2")
                .arg(server, detail);
        case SntpError::Timeout:
            return QStringLiteral("Сервер времени %1 не ответил за %2.").arg(server, detail);
        case SntpError::ShortReply:
            return QStringLiteral(
                       "Сервер времени %1 прислал слишком короткий ответ (%2 байт вместо 48).")
                .arg(server, detail);
        case SntpError::OriginateMismatch:
            return QStringLiteral(
                       "Сервер времени %1 прислал ответ не на этот запрос (не совпадает время "
                       "отправки запроса).")
                .arg(server);
        case SntpError::WrongMode:
            return QStringLiteral(
                       "Сервер времени %1 прислал неверный ответ: режим %2 вместо 4 (ответ "
                       "сервера).")
                .arg(server, detail);
        case SntpError::BadVersion:
            return QStringLiteral("Сервер времени %1 прислал неверный ответ: версия протокола %2.")
                .arg(server, detail);
        case SntpError::KissOfDeath: {
            QString why;
            if (detail == QLatin1String("DENY") || detail == QLatin1String("RSTR"))
                why = QStringLiteral(" — доступ запрещён");
            else if (detail == QLatin1String("RATE"))
                why = QStringLiteral(" — слишком частые запросы, повторите позже");
            return QStringLiteral("Сервер времени %1 отказал в обслуживании (код %2%3).")
                .arg(server, detail, why);
        }
        case SntpError::Unsynchronized:
            return QStringLiteral("Сервер времени %1 не синхронизирован (%2).").arg(server, detail);
        case SntpError::ZeroTransmitTime:
            return QStringLiteral("Сервер времени %1 прислал ответ без времени отправки.")
                .arg(server);
        case SntpError::Implausible:
            return QStringLiteral("Сервер времени %1 прислал неправдоподобный ответ: %2.")
                .arg(server, detail);
        case SntpError::Cancelled:
            return QStringLiteral("Запрос времени у сервера %1 отменён.").arg(server);
    }
    return {};
}

// --- the client

struct SntpClient::Query {
    quint64 id = 0;
    SntpResult result;
    int timeoutMs = 0;
    int lookupId = -1;
    QUdpSocket* socket = nullptr;
    QTimer* timer = nullptr;
    NtpTimestamp sent;  // the transmit time of the request, as sent
    std::chrono::steady_clock::time_point sentAt;
    int shortReplySize = -1;    // a reply shorter than a packet came
    bool mismatchSeen = false;  // a reply to another request came
};

SntpClient::SntpClient(QObject* parent) : QObject(parent) {
    qRegisterMetaType<service::SntpResult>();
    wallClock_ = [] {
        using namespace std::chrono;
        return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
    };
}

SntpClient::~SntpClient() {
    if (!query_) return;
    if (query_->lookupId >= 0) QHostInfo::abortHostLookup(query_->lookupId);
    delete query_->socket;
    delete query_->timer;
}

void SntpClient::setWallClock(WallClock clock) {
    wallClock_ = std::move(clock);
}

qint64 SntpClient::wallClockNow() const {
    return wallClock_();
}

bool SntpClient::isRunning() const {
    return query_ != nullptr;
}

std::optional<SntpResult> SntpClient::refusedByKiss(const QString& host, quint16 port) const {
    const auto it = kisses_.constFind(serverText(host, port));
    if (it == kisses_.constEnd() || std::chrono::steady_clock::now() >= it->until)
        return std::nullopt;
    SntpResult r;
    r.host = host;
    r.port = port;
    r.error = SntpError::KissOfDeath;
    r.kissCode = it->code;
    r.message = sntpErrorText(SntpError::KissOfDeath, serverText(host, port), it->code);
    return r;
}

bool SntpClient::start(const QString& host, quint16 port, int timeoutMs) {
    if (query_) return false;
    query_ = std::make_unique<Query>();
    Query& q = *query_;
    q.id = ++queryId_;
    q.result.host = host;
    q.result.port = port;
    q.timeoutMs = std::max(1, timeoutMs);
    q.timer = new QTimer;
    q.timer->setSingleShot(true);
    q.timer->setTimerType(Qt::PreciseTimer);
    connect(q.timer, &QTimer::timeout, this, [this] { timedOut(); });
    q.timer->start(q.timeoutMs);
    const quint64 id = q.id;
    const auto current = [this, id] { return query_ && query_->id == id; };

    if (const auto refused = refusedByKiss(host, port)) {
        // RFC 4330: no more requests to a server that sent DENY or RSTR, none for a while after
        // RATE
        const QString code = refused->kissCode;
        q.result.kissCode = code;
        QMetaObject::invokeMethod(
            this,
            [this, current, code] {
                if (current()) finish(SntpError::KissOfDeath, code);
            },
            Qt::QueuedConnection);
        return true;
    }

    QHostAddress literal;
    if (literal.setAddress(host)) {
        QMetaObject::invokeMethod(
            this,
            [this, current, literal] {
                if (current()) lookedUp({literal}, {});
            },
            Qt::QueuedConnection);
        return true;
    }
    q.lookupId = QHostInfo::lookupHost(host, this, [this, current](const QHostInfo& info) {
        if (!current()) return;
        query_->lookupId = -1;
        lookedUp(info.addresses(),
                 info.error() == QHostInfo::NoError ? QString() : info.errorString());
    });
    return true;
}

void SntpClient::lookedUp(const QList<QHostAddress>& addresses, const QString& lookupError) {
    Query& q = *query_;
    QHostAddress address;
    for (const auto& a : addresses)
        if (a.protocol() == QAbstractSocket::IPv4Protocol) {
            address = a;
            break;
        }
    if (address.isNull() && !addresses.isEmpty()) address = addresses.first();
    if (address.isNull()) {
        finish(SntpError::HostNotFound,
               lookupError.isEmpty() ? QStringLiteral("нет адреса") : lookupError);
        return;
    }
    q.result.address = address;
    q.socket = new QUdpSocket;
    const bool v4 = address.protocol() == QAbstractSocket::IPv4Protocol;
    if (!q.socket->bind(v4 ? QHostAddress::AnyIPv4 : QHostAddress::AnyIPv6, 0)) {
        finish(SntpError::NetworkError, q.socket->errorString());
        return;
    }
    connect(q.socket, &QUdpSocket::readyRead, this, [this] { readReplies(); });

    // The low bits of the fraction lie below the clock's precision: they are random, so that a
    // reply can only echo this very request (RFC 4330, timestamp format).
    const qint64 t1 = wallClock_();
    NtpTimestamp sent = toNtp(t1);
    sent.fraction = (sent.fraction & ~0xffffu) | (QRandomGenerator::system()->generate() & 0xffffu);
    q.sent = sent;
    q.result.t1Us = t1;
    q.sentAt = std::chrono::steady_clock::now();
    const QByteArray request = clientRequest(sent).encode();
    if (q.socket->writeDatagram(request, address, q.result.port) != request.size())
        finish(SntpError::NetworkError, q.socket->errorString());
}

void SntpClient::readReplies() {
    while (query_ && query_->socket && query_->socket->hasPendingDatagrams()) {
        Query& q = *query_;
        const QNetworkDatagram d = q.socket->receiveDatagram();
        const auto arrivedAt = std::chrono::steady_clock::now();
        // only the server asked may answer
        if (d.senderPort() != q.result.port ||
            !d.senderAddress().isEqual(q.result.address, QHostAddress::ConvertV4MappedToIPv4))
            continue;
        const auto reply = NtpPacket::decode(d.data());
        if (!reply) {
            q.shortReplySize = int(d.data().size());
            continue;
        }
        if (reply->originate != q.sent) {  // not an answer to this request: discarded
            q.mismatchSeen = true;
            continue;
        }
        // This is the server's answer to the request: it is accepted or refused as it is.
        q.result.reply = *reply;
        if (reply->mode != 4) {
            finish(SntpError::WrongMode, QString::number(reply->mode));
            return;
        }
        if (reply->version < 1 || reply->version > 4) {
            finish(SntpError::BadVersion, QString::number(reply->version));
            return;
        }
        if (reply->stratum == 0) {
            const QString code = reply->referenceText();
            q.result.kissCode = code;
            using namespace std::chrono;
            const QString key = serverText(q.result.host, q.result.port);
            if (code == QLatin1String("DENY") || code == QLatin1String("RSTR"))
                kisses_.insert(key, {code, steady_clock::time_point::max()});
            else if (code == QLatin1String("RATE"))
                kisses_.insert(key, {code, steady_clock::now() + minutes(1)});
            finish(SntpError::KissOfDeath, code);
            return;
        }
        if (reply->leap == 3) {
            finish(SntpError::Unsynchronized, QStringLiteral("индикатор коррекции 3"));
            return;
        }
        if (reply->stratum > 15) {
            finish(SntpError::Unsynchronized, QStringLiteral("слой %1").arg(reply->stratum));
            return;
        }
        if (reply->transmit.isZero()) {
            finish(SntpError::ZeroTransmitTime, {});
            return;
        }
        using namespace std::chrono;
        const qint64 t1 = q.result.t1Us;
        const qint64 t4 = t1 + duration_cast<microseconds>(arrivedAt - q.sentAt).count();
        const qint64 t3 = fromNtp(reply->transmit, t1);
        const qint64 t2 = reply->receive.isZero() ? t3 : fromNtp(reply->receive, t1);
        const OffsetDelay od = offsetAndDelay(t1, t2, t3, t4);
        // 16.16 fixed-point seconds to microseconds
        const auto shortToUs = [](quint32 v) { return qint64((quint64(v) * kMicros) >> 16); };
        const qint64 rootDistance =
            shortToUs(reply->rootDelay) / 2 + shortToUs(reply->rootDispersion);
        QString implausible;
        if (t3 < t2)
            implausible = QStringLiteral("время отправки раньше времени приёма на %1 с")
                              .arg(double(t2 - t3) / kMicros, 0, 'f', 3);
        else if (od.delayUs < -kDelaySlackUs)
            implausible =
                QStringLiteral("сервер держал запрос %1 с, дольше, чем он шёл туда и обратно")
                    .arg(double(t3 - t2) / kMicros, 0, 'f', 3);
        else if (od.delayUs > kMaxDelayUs)
            implausible =
                QStringLiteral("задержка %1 с").arg(double(od.delayUs) / kMicros, 0, 'f', 3);
        else if (rootDistance > kMaxRootDistanceUs)
            implausible = QStringLiteral("погрешность времени сервера %1 с")
                              .arg(double(rootDistance) / kMicros, 0, 'f', 3);
        if (!implausible.isEmpty()) {
            finish(SntpError::Implausible, implausible);
            return;
        }
        q.result.t2Us = t2;
        q.result.t3Us = t3;
        q.result.t4Us = t4;
        q.result.offsetUs = od.offsetUs;
        q.result.delayUs = od.delayUs;
        finish(SntpError::None, {});
        return;
    }
}

void SntpClient::timedOut() {
    if (!query_) return;
    Query& q = *query_;
    if (q.socket) readReplies();  // a reply that is already there still counts
    if (!query_) return;
    if (q.mismatchSeen)
        finish(SntpError::OriginateMismatch, {});
    else if (q.shortReplySize >= 0)
        finish(SntpError::ShortReply, QString::number(q.shortReplySize));
    else
        finish(SntpError::Timeout, durationText(q.timeoutMs));
}

void SntpClient::cancel() {
    if (query_) finish(SntpError::Cancelled, {});
}

void SntpClient::finish(SntpError error, const QString& detail) {
    std::unique_ptr<Query> q = std::move(query_);
    if (q->lookupId >= 0) QHostInfo::abortHostLookup(q->lookupId);
    if (q->socket) {
        q->socket->disconnect(this);
        q->socket->close();
        q->socket->deleteLater();  // this may run inside the socket's own signal
    }
    q->timer->stop();
    q->timer->disconnect(this);
    q->timer->deleteLater();
    SntpResult r = std::move(q->result);
    r.error = error;
    r.message = sntpErrorText(error, serverText(r.host, r.port), detail);
    if (error != SntpError::None) {
        r.offsetUs = 0;
        r.delayUs = 0;
    }
    emit finished(r);
}

SntpResult SntpClient::query(const QString& host, quint16 port, int timeoutMs) {
    if (query_) {
        SntpResult r;
        r.host = host;
        r.port = port;
        r.error = SntpError::Busy;
        r.message = sntpErrorText(SntpError::Busy, serverText(host, port));
        return r;
    }
    SntpResult out;
    QEventLoop loop;
    const auto c = connect(this, &SntpClient::finished, &loop, [&](const SntpResult& r) {
        out = r;
        loop.quit();
    });
    start(host, port, timeoutMs);
    loop.exec();
    disconnect(c);
    return out;
}

}  // namespace service
