#pragma once
// SNTP client (RFC 4330, unicast): one request to a server, the checks of the reply, and the
// clock offset and round-trip delay from the four timestamps.
//
// Use it either asynchronously (start(), then the finished() signal) or synchronously (query(),
// which runs a local event loop until the answer or the time-out, so the window stays alive).
#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace service {

// The public server the PC clock is set from unless told otherwise.
inline constexpr char kDefaultNtpServer[] = "ru.pool.ntp.org";
inline constexpr quint16 kNtpPort = 123;
inline constexpr int kDefaultNtpTimeoutMs = 5000;

// --- NTP timestamps: seconds since 1900-01-01 00:00 UTC and a binary fraction (64 bits)

struct NtpTimestamp {
    quint32 seconds = 0;
    quint32 fraction = 0;
    bool isZero() const { return seconds == 0 && fraction == 0; }
    quint64 raw() const { return quint64(seconds) << 32 | fraction; }
    bool operator==(const NtpTimestamp&) const = default;
};

// Microseconds since the Unix epoch (UTC) to an NTP timestamp and back. The seconds field wraps
// in February 2036: a value whose top bit is clear is read in the era starting then.
NtpTimestamp toNtp(qint64 unixMicros);
qint64 fromNtp(NtpTimestamp t);
// The same, in the era that puts the time nearest to `nearUnixMicros` (the PC's own clock), so a
// server's time is never read more than 68 years from the PC's.
qint64 fromNtp(NtpTimestamp t, qint64 nearUnixMicros);

// What a reply may show and still be believed.
inline constexpr qint64 kMaxDelayUs = 3000000;         // round trip
inline constexpr qint64 kDelaySlackUs = 10000;         // server's hold longer than the round trip
inline constexpr qint64 kMaxRootDistanceUs = 1500000;  // root delay / 2 + root dispersion

// --- the packet (48 bytes, big-endian)

struct NtpPacket {
    int leap = 0;     // LI: 0 none, 1 last minute has 61 s, 2 has 59 s, 3 alarm (unsynchronized)
    int version = 4;  // VN
    int mode = 3;     // 3 client, 4 server
    int stratum = 0;  // 0 kiss-o'-death, 1 primary, 2..15 secondary, 16.. unsynchronized
    int poll = 0;
    int precision = 0;
    quint32 rootDelay = 0;
    quint32 rootDispersion = 0;
    quint32 referenceId = 0;
    NtpTimestamp reference, originate, receive, transmit;

    QByteArray encode() const;
    // nullopt when `bytes` is shorter than a packet; extension fields after 48 bytes are ignored.
    static std::optional<NtpPacket> decode(const QByteArray& bytes);
    // The reference identifier as four ASCII characters (the kiss code when stratum is 0).
    QString referenceText() const;
};

// A client request: version 4, mode 3, every field zero except the transmit time.
NtpPacket clientRequest(NtpTimestamp transmit);

// Offset of the PC clock against the server, and the round-trip delay, in microseconds:
// offset = ((T2 - T1) + (T3 - T4)) / 2, delay = (T4 - T1) - (T3 - T2), where T1 is the request's
// departure and T4 the reply's arrival by the PC clock, T2 and T3 the server's receive and
// transmit times.
struct OffsetDelay {
    qint64 offsetUs = 0;
    qint64 delayUs = 0;
};
OffsetDelay offsetAndDelay(qint64 t1, qint64 t2, qint64 t3, qint64 t4);

// --- the query

enum class SntpError {
    None,
    Busy,               // a query of this client is still running
    HostNotFound,       // the server name does not resolve
    NetworkError,       // the request could not be sent
    Timeout,            // no valid reply in time (nothing came at all)
    ShortReply,         // only replies shorter than a packet came
    OriginateMismatch,  // only replies that do not answer this request came
    WrongMode,          // the answer is not in server mode
    BadVersion,         // the answer carries an unknown version
    KissOfDeath,        // stratum 0: the server refuses service (kiss code)
    Unsynchronized,     // leap indicator 3 or stratum above 15: the server has no valid time
    ZeroTransmitTime,   // the answer carries no transmit time
    Implausible,        // timestamps, round trip or the server's own error beyond belief
    Cancelled,
};

struct SntpResult {
    SntpError error = SntpError::Timeout;
    QString message;  // for the user, in Russian; empty on success
    QString host;
    quint16 port = kNtpPort;
    QHostAddress address;
    NtpPacket reply;   // the answer (valid when it arrived)
    QString kissCode;  // stratum 0: e.g. "RATE", "DENY", "RSTR"
    qint64 t1Us = 0, t2Us = 0, t3Us = 0, t4Us = 0;
    qint64 offsetUs = 0;  // add to the PC clock to get the server's time
    qint64 delayUs = 0;

    bool ok() const { return error == SntpError::None; }
    // A leap second is announced for the end of the current day (leap indicator 1 or 2).
    bool leapSecondPending() const { return ok() && (reply.leap == 1 || reply.leap == 2); }
};

class SntpClient : public QObject {
    Q_OBJECT
  public:
    // The PC clock the client reads (UTC, microseconds since the Unix epoch); the round trip is
    // measured on the monotonic clock, so a clock step during a query does not distort it.
    using WallClock = std::function<qint64()>;
    explicit SntpClient(QObject* parent = nullptr);
    ~SntpClient() override;

    void setWallClock(WallClock clock);
    qint64 wallClockNow() const;

    // Starts one query; finished() follows exactly once, always on the event loop, at the latest
    // when `timeoutMs` (which bounds the name look-up too) has passed. A host is a name or an
    // address. False, with nothing emitted, while another query of this client runs.
    bool start(const QString& host, quint16 port = kNtpPort, int timeoutMs = kDefaultNtpTimeoutMs);
    // One query, waiting for its end while processing events (at most `timeoutMs`); a Busy
    // result at once while another query runs.
    SntpResult query(const QString& host, quint16 port = kNtpPort,
                     int timeoutMs = kDefaultNtpTimeoutMs);
    bool isRunning() const;
    void cancel();

  signals:
    void finished(const service::SntpResult& result);

  private:
    struct Query;
    void lookedUp(const QList<QHostAddress>& addresses, const QString& lookupError);
    void readReplies();
    void timedOut();
    void finish(SntpError error, const QString& message);
    // A server that sent a kiss-o'-death is not asked again while its code holds.
    std::optional<SntpResult> refusedByKiss(const QString& host, quint16 port) const;

    WallClock wallClock_;
    std::unique_ptr<Query> query_;
    quint64 queryId_ = 0;
    struct Kiss {
        QString code;
        std::chrono::steady_clock::time_point until;
    };
    QHash<QString, Kiss> kisses_;  // "host:port" -> last kiss-o'-death
};

// Russian text for the user of a query that failed.
QString sntpErrorText(SntpError error, const QString& server, const QString& detail = {});

}  // namespace service

Q_DECLARE_METATYPE(service::SntpResult)
