// The SNTP client and the PC clock: timestamps and packets, a fake server on loopback for every
// kind of bad reply, a real chronyd on a loopback port, and the real clock setter's refusal in a
// child process that has no right to set the clock. No test sets the machine's clock: the
// synchronisation goes through a fake setter.
#include <grp.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkDatagram>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>
#include <chrono>
#include <functional>

#include "driver/ValueText.h"
#include "service/PcClock.h"
#include "service/Sntp.h"

using namespace service;

namespace {

constexpr qint64 kSecond = 1000000;
constexpr qint64 kHour = 3600 * kSecond;

qint64 nowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

quint32 code(const char (&text)[5]) {
    return quint32(uchar(text[0])) << 24 | quint32(uchar(text[1])) << 16 |
           quint32(uchar(text[2])) << 8 | quint32(uchar(text[3]));
}

// A server's answer to `request`: its clock `shiftUs` ahead of the PC's, received at
// `receivedUs` (server time), sent now.
NtpPacket serverAnswer(const NtpPacket& request, qint64 receivedUs, qint64 shiftUs) {
    NtpPacket p;
    p.leap = 0;
    p.version = request.version;
    p.mode = 4;
    p.stratum = 2;
    p.poll = 6;
    p.precision = -20;
    p.referenceId = code("GPS\0");
    p.reference = toNtp(receivedUs - 16 * kSecond);
    p.originate = request.transmit;
    p.receive = toNtp(receivedUs);
    p.transmit = toNtp(nowUs() + shiftUs);
    return p;
}

// A UDP server on 127.0.0.1 that answers each request with what `answer` makes of it, after
// `holdMs` (its own processing time, between its receive and transmit timestamps).
class FakeNtpServer : public QObject {
  public:
    using Answer = std::function<QList<QByteArray>(const NtpPacket& request, qint64 receivedUs)>;
    QUdpSocket socket;
    QList<QByteArray> requests;
    Answer answer;
    int holdMs = 0;
    qint64 shiftUs = kHour;

    FakeNtpServer() {
        EXPECT_TRUE(socket.bind(QHostAddress::LocalHost, 0));
        connect(&socket, &QUdpSocket::readyRead, this, [this] { serve(); });
        answer = [this](const NtpPacket& req, qint64 received) {
            return QList<QByteArray>{serverAnswer(req, received, shiftUs).encode()};
        };
    }
    quint16 port() const { return socket.localPort(); }
    // Answers built from the good answer, changed by `change`.
    void answerWith(std::function<void(NtpPacket&)> change) {
        answer = [this, change](const NtpPacket& req, qint64 received) {
            NtpPacket p = serverAnswer(req, received, shiftUs);
            change(p);
            return QList<QByteArray>{p.encode()};
        };
    }

  private:
    void serve() {
        while (socket.hasPendingDatagrams()) {
            const QNetworkDatagram d = socket.receiveDatagram();
            requests << d.data();
            const qint64 received = nowUs() + shiftUs;
            const auto request = NtpPacket::decode(d.data());
            if (!request) continue;
            const auto send = [this, d, received, req = *request] {
                for (const QByteArray& bytes : answer(req, received))
                    socket.writeDatagram(bytes, d.senderAddress(), quint16(d.senderPort()));
            };
            if (holdMs > 0)
                QTimer::singleShot(holdMs, this, send);
            else
                send();
        }
    }
};

class FakeSetter : public IClockSetter {
  public:
    QList<QDateTime> calls;
    ClockSetResult answer{true, 0, {}};
    ClockSetResult setSystemClock(const QDateTime& utc) override {
        calls << utc;
        return answer;
    }
};

// Agrees to any step of the clock.
const StepQuestion agree = [](const QDateTime&, const QDateTime&) { return true; };

}  // namespace

// --- timestamps and packets

TEST(ServiceNtpTimestamp, EpochsErasAndFractions) {
    EXPECT_EQ(toNtp(0), (NtpTimestamp{2208988800u, 0}));
    EXPECT_EQ(fromNtp({2208988800u, 0x80000000u}), kSecond / 2);
    EXPECT_EQ(toNtp(1500000).fraction, 0x80000000u);
    // the seconds field wraps on 2036-02-07 06:28:16 UTC: a clear top bit is the next era
    EXPECT_EQ(fromNtp({0, 0}), 2085978496LL * kSecond);
    EXPECT_EQ(toNtp(2085978496LL * kSecond), (NtpTimestamp{0, 0}));
    EXPECT_EQ(fromNtp({0x80000000u, 0}), -61505152LL * kSecond);  // 1968-01-20 03:14:08
    for (const qint64 t :
         {qint64(1733740000123456), qint64(2085978496LL * kSecond + 777), qint64(-1), qint64(1)})
        EXPECT_EQ(fromNtp(toNtp(t)), t) << t;
}

TEST(ServiceNtpTimestamp, EraResolvedAroundThePcsOwnDate) {
    const qint64 y2026 = 1796000000LL * kSecond;
    // Both sides of the 2036 wrap read as 1968 from 2026 (never 2104) ...
    EXPECT_EQ(fromNtp({0x80000000u, 0}, y2026), -61505152LL * kSecond);
    EXPECT_EQ(fromNtp({0x7fffffffu, 0}, y2026), -61505153LL * kSecond);
    // ... while times near the PC's read the same as before, across the wrap too.
    for (const qint64 t :
         {y2026, qint64(2085978496LL * kSecond + 5), qint64(2085978490LL * kSecond)})
        EXPECT_EQ(fromNtp(toNtp(t), y2026 + 10 * 365 * 86400 * kSecond), t) << t;
    EXPECT_EQ(fromNtp(toNtp(y2026 + 777), y2026), y2026 + 777);
}

TEST(ServiceNtpPacket, RequestBytesAndServerFields) {
    const NtpPacket request = clientRequest({0xE3A1B2C3u, 0x11223344u});
    const QByteArray bytes = request.encode();
    ASSERT_EQ(bytes.size(), 48);
    EXPECT_EQ(bytes.toHex(),
              QByteArray("23") + QByteArray(78, '0') + QByteArray("e3a1b2c311223344"));

    // a server packet: LI 1, VN 3, mode 4, stratum 1, poll 6, precision -20, "PPS"
    const QByteArray server = QByteArray::fromHex(
        "5c0106ec"
        "00000010"
        "00000020"
        "50505300"
        "e3a1b2c000000000"
        "e3a1b2c311223344"
        "e3a1b2c380000000"
        "e3a1b2c3c0000000"
        "deadbeef");  // an extension after the 48 bytes is ignored
    const auto p = NtpPacket::decode(server);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->leap, 1);
    EXPECT_EQ(p->version, 3);
    EXPECT_EQ(p->mode, 4);
    EXPECT_EQ(p->stratum, 1);
    EXPECT_EQ(p->poll, 6);
    EXPECT_EQ(p->precision, -20);
    EXPECT_EQ(p->rootDelay, 0x10u);
    EXPECT_EQ(p->rootDispersion, 0x20u);
    EXPECT_EQ(p->referenceText(), "PPS");
    EXPECT_EQ(p->originate, (NtpTimestamp{0xE3A1B2C3u, 0x11223344u}));
    EXPECT_EQ(p->receive.fraction, 0x80000000u);
    EXPECT_EQ(p->transmit.fraction, 0xC0000000u);
    EXPECT_EQ(p->encode(), server.left(48));
    EXPECT_FALSE(NtpPacket::decode(server.left(47)).has_value());
}

TEST(ServiceNtpPacket, OffsetAndDelayFromTheFourTimestamps) {
    // the PC is 10 s behind; 40 ms each way; the server holds the request 20 ms
    const qint64 t1 = 1000 * kSecond;
    const qint64 t2 = t1 + 10 * kSecond + 40000;
    const qint64 t3 = t2 + 20000;
    const qint64 t4 = t1 + 40000 + 20000 + 40000;
    const OffsetDelay od = offsetAndDelay(t1, t2, t3, t4);
    EXPECT_EQ(od.offsetUs, 10 * kSecond);
    EXPECT_EQ(od.delayUs, 80000);
    // asymmetric paths split the difference
    EXPECT_EQ(offsetAndDelay(0, 100000, 100000, 100000).offsetUs, 50000);
}

// --- against a fake server

TEST(ServiceSntpFake, RequestFormatAndRoundTripCorrection) {
    FakeNtpServer server;
    server.holdMs = 300;  // the server's own time between receiving and answering
    SntpClient client;
    QElapsedTimer t;
    t.start();
    const qint64 before = nowUs();
    const SntpResult r = client.query("127.0.0.1", server.port(), 3000);
    const qint64 took = t.elapsed();
    ASSERT_TRUE(r.ok()) << r.message.toStdString();
    EXPECT_TRUE(r.message.isEmpty());
    EXPECT_GE(took, 300);

    ASSERT_EQ(server.requests.size(), 1);
    const QByteArray req = server.requests[0];
    ASSERT_EQ(req.size(), 48);
    EXPECT_EQ(uchar(req[0]), 0x23);  // LI 0, version 4, client mode
    EXPECT_EQ(req.mid(1, 39), QByteArray(39, '\0'));
    const qint64 sent = fromNtp(NtpPacket::decode(req)->transmit);
    EXPECT_GE(sent, before - 1000);
    EXPECT_LE(sent, before + took * 1000 + 1000);

    // the server clock is an hour ahead; the 300 ms it held the request are not network delay
    EXPECT_NEAR(double(r.offsetUs), double(kHour), 50000.0);
    EXPECT_GE(r.delayUs, -5000);
    EXPECT_LT(r.delayUs, 100000);
    EXPECT_EQ(r.reply.stratum, 2);
    EXPECT_EQ(r.reply.mode, 4);
    EXPECT_EQ(r.address, QHostAddress(QHostAddress::LocalHost));
    EXPECT_FALSE(r.leapSecondPending());

    // the next request carries a transmit time of its own
    ASSERT_TRUE(client.query("127.0.0.1", server.port(), 3000).ok());
    ASSERT_EQ(server.requests.size(), 2);
    EXPECT_NE(server.requests[0].mid(40), server.requests[1].mid(40));
}

TEST(ServiceSntpFake, TimesComeFromTheInjectedClock) {
    FakeNtpServer server;
    const qint64 pcClock = 1577836800LL * kSecond;  // 2020-01-01 00:00:00 UTC
    server.answer = [&](const NtpPacket& req, qint64) {
        NtpPacket p = serverAnswer(req, 0, 0);
        p.receive = toNtp(pcClock + 7 * kSecond);
        p.transmit = toNtp(pcClock + 7 * kSecond);
        return QList<QByteArray>{p.encode()};
    };
    SntpClient client;
    client.setWallClock([&] { return pcClock; });
    const SntpResult r = client.query("127.0.0.1", server.port(), 3000);
    ASSERT_TRUE(r.ok()) << r.message.toStdString();
    EXPECT_EQ(r.t1Us, pcClock);
    EXPECT_EQ(fromNtp(NtpPacket::decode(server.requests[0])->transmit) / 100, pcClock / 100);
    EXPECT_GE(r.t4Us, r.t1Us);
    EXPECT_EQ(r.offsetUs, (14 * kSecond - (r.t4Us - r.t1Us)) / 2);
    EXPECT_EQ(r.delayUs, r.t4Us - r.t1Us);
}

// Answers to this very request that are still refused; the PC clock is never set from them.
TEST(ServiceSntpFake, RefusedAnswersLeaveTheClockAlone) {
    struct Case {
        const char* name;
        std::function<void(NtpPacket&)> change;
        SntpError error;
        QString inMessage;
    };
    const QList<Case> cases = {
        {"client mode", [](NtpPacket& p) { p.mode = 3; }, SntpError::WrongMode, "режим 3"},
        {"broadcast mode", [](NtpPacket& p) { p.mode = 5; }, SntpError::WrongMode, "режим 5"},
        {"version 0", [](NtpPacket& p) { p.version = 0; }, SntpError::BadVersion, "версия"},
        {"version 7", [](NtpPacket& p) { p.version = 7; }, SntpError::BadVersion, "версия"},
        {"alarm", [](NtpPacket& p) { p.leap = 3; }, SntpError::Unsynchronized,
         "не синхронизирован"},
        {"stratum 16", [](NtpPacket& p) { p.stratum = 16; }, SntpError::Unsynchronized, "слой 16"},
        {"no transmit time", [](NtpPacket& p) { p.transmit = {}; }, SntpError::ZeroTransmitTime,
         "без времени отправки"},
        {"kiss RATE",
         [](NtpPacket& p) {
             p.stratum = 0;
             p.leap = 3;
             p.referenceId = code("RATE");
         },
         SntpError::KissOfDeath, "код RATE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeNtpServer server;
        server.answerWith(c.change);
        SntpClient client;
        FakeSetter setter;
        QElapsedTimer t;
        t.start();
        const NtpSyncOutcome out =
            setPcClockFromNtp(client, setter, agree, "127.0.0.1", server.port(), 3000);
        EXPECT_LT(t.elapsed(), 2000);  // refused at once, not at the time-out
        EXPECT_FALSE(out.ok);
        EXPECT_EQ(out.reply.error, c.error);
        EXPECT_TRUE(out.message.contains(c.inMessage)) << out.message.toStdString();
        EXPECT_TRUE(out.message.contains(QStringLiteral("127.0.0.1:%1").arg(server.port())));
        EXPECT_TRUE(setter.calls.isEmpty());
        EXPECT_FALSE(out.setTo.isValid());
    }
}

// Datagrams that do not answer the request are discarded; the query ends at its time-out and
// says what came instead.
TEST(ServiceSntpFake, DiscardedRepliesEndAtTheTimeOutWithTheirReason) {
    struct Case {
        const char* name;
        FakeNtpServer::Answer answer;
        SntpError error;
        QString inMessage;
    };
    const QList<Case> cases = {
        {"silence", [](const NtpPacket&, qint64) { return QList<QByteArray>{}; },
         SntpError::Timeout, "не ответил за 400 мс"},
        {"short packet",
         [](const NtpPacket& req, qint64 rcv) {
             return QList<QByteArray>{serverAnswer(req, rcv, 0).encode().left(47)};
         },
         SntpError::ShortReply, "47 байт"},
        {"other originate",
         [](const NtpPacket& req, qint64 rcv) {
             NtpPacket p = serverAnswer(req, rcv, 0);
             p.originate.fraction ^= 1;
             return QList<QByteArray>{p.encode()};
         },
         SntpError::OriginateMismatch, "не на этот запрос"},
        {"kiss for another request",
         [](const NtpPacket& req, qint64 rcv) {
             NtpPacket p = serverAnswer(req, rcv, 0);
             p.stratum = 0;
             p.referenceId = code("DENY");
             p.originate = {};
             return QList<QByteArray>{p.encode()};
         },
         SntpError::OriginateMismatch, "не на этот запрос"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeNtpServer server;
        server.answer = c.answer;
        SntpClient client;
        FakeSetter setter;
        QElapsedTimer t;
        t.start();
        const NtpSyncOutcome out =
            setPcClockFromNtp(client, setter, agree, "127.0.0.1", server.port(), 400);
        EXPECT_GE(t.elapsed(), 390);
        EXPECT_LT(t.elapsed(), 2000);
        EXPECT_EQ(server.requests.size(), 1);
        EXPECT_EQ(out.reply.error, c.error);
        EXPECT_TRUE(out.message.contains(c.inMessage)) << out.message.toStdString();
        EXPECT_TRUE(setter.calls.isEmpty());
    }
}

TEST(ServiceSntpFake, ForgedDatagramsBeforeTheAnswerAreIgnored) {
    FakeNtpServer server;
    server.answer = [&](const NtpPacket& req, qint64 rcv) {
        NtpPacket forged = serverAnswer(req, rcv, -kHour);
        forged.originate.seconds += 1;
        return QList<QByteArray>{serverAnswer(req, rcv, 0).encode().left(20), forged.encode(),
                                 serverAnswer(req, rcv, server.shiftUs).encode()};
    };
    SntpClient client;
    const SntpResult r = client.query("127.0.0.1", server.port(), 3000);
    ASSERT_TRUE(r.ok()) << r.message.toStdString();
    EXPECT_NEAR(double(r.offsetUs), double(kHour), 50000.0);
}

TEST(ServiceSntpFake, AnswerFromAnotherPortIsNotTheServers) {
    // the "server" only receives; a second socket of the same host answers the client
    QUdpSocket listener, stranger;
    ASSERT_TRUE(listener.bind(QHostAddress::LocalHost, 0));
    ASSERT_TRUE(stranger.bind(QHostAddress::LocalHost, 0));
    int answered = 0;
    QObject::connect(&listener, &QUdpSocket::readyRead, [&] {
        while (listener.hasPendingDatagrams()) {
            const QNetworkDatagram d = listener.receiveDatagram();
            const auto req = NtpPacket::decode(d.data());
            if (!req) continue;
            stranger.writeDatagram(serverAnswer(*req, nowUs(), 0).encode(), d.senderAddress(),
                                   quint16(d.senderPort()));
            ++answered;
        }
    });
    SntpClient client;
    const SntpResult r = client.query("127.0.0.1", listener.localPort(), 400);
    EXPECT_EQ(answered, 1);
    EXPECT_EQ(r.error, SntpError::Timeout) << r.message.toStdString();
}

TEST(ServiceSntpFake, KissOfDeathStopsRequestsToThatServer) {
    for (const char* kiss : {"DENY", "RSTR", "RATE"}) {
        SCOPED_TRACE(kiss);
        FakeNtpServer server;
        const quint32 id = quint32(uchar(kiss[0])) << 24 | quint32(uchar(kiss[1])) << 16 |
                           quint32(uchar(kiss[2])) << 8 | quint32(uchar(kiss[3]));
        server.answerWith([id](NtpPacket& p) {
            p.stratum = 0;
            p.referenceId = id;
        });
        SntpClient client;
        const SntpResult first = client.query("127.0.0.1", server.port(), 2000);
        EXPECT_EQ(first.error, SntpError::KissOfDeath);
        EXPECT_EQ(first.kissCode, kiss);
        EXPECT_TRUE(first.message.contains("отказал в обслуживании"))
            << first.message.toStdString();
        const SntpResult again = client.query("127.0.0.1", server.port(), 2000);
        EXPECT_EQ(again.error, SntpError::KissOfDeath);
        EXPECT_EQ(again.kissCode, kiss);
        EXPECT_EQ(server.requests.size(), 1);  // nothing more was sent

        FakeNtpServer other;  // another server is still asked
        EXPECT_TRUE(client.query("127.0.0.1", other.port(), 2000).ok());
    }
    // any other kiss code refuses this answer only
    FakeNtpServer server;
    server.answerWith([](NtpPacket& p) {
        p.stratum = 0;
        p.referenceId = code("INIT");
    });
    SntpClient client;
    EXPECT_EQ(client.query("127.0.0.1", server.port(), 2000).error, SntpError::KissOfDeath);
    EXPECT_EQ(client.query("127.0.0.1", server.port(), 2000).kissCode, "INIT");
    EXPECT_EQ(server.requests.size(), 2);
}

TEST(ServiceSntpFake, AnnouncedLeapSecondStillGivesTheTime) {
    for (const int leap : {1, 2}) {
        FakeNtpServer server;
        server.answerWith([leap](NtpPacket& p) { p.leap = leap; });
        SntpClient client;
        FakeSetter setter;
        const NtpSyncOutcome out =
            setPcClockFromNtp(client, setter, agree, "127.0.0.1", server.port(), 2000);
        EXPECT_TRUE(out.ok) << out.message.toStdString();
        EXPECT_TRUE(out.reply.leapSecondPending());
        EXPECT_EQ(setter.calls.size(), 1);
    }
}

TEST(ServiceSntpFake, AsynchronousQueryBusyCancelAndEmptyName) {
    FakeNtpServer server;
    server.holdMs = 200;
    SntpClient client;
    QList<SntpResult> results;
    QObject::connect(&client, &SntpClient::finished, [&](const SntpResult& r) { results << r; });
    ASSERT_TRUE(client.start("127.0.0.1", server.port(), 2000));
    EXPECT_TRUE(client.isRunning());
    EXPECT_TRUE(results.isEmpty());  // never from within start
    EXPECT_FALSE(client.start("127.0.0.1", server.port(), 2000));
    const SntpResult busy = client.query("127.0.0.1", server.port(), 2000);
    EXPECT_EQ(busy.error, SntpError::Busy);
    EXPECT_TRUE(busy.message.contains("уже выполняется"));
    QElapsedTimer t;
    t.start();
    while (results.isEmpty() && t.elapsed() < 3000) QCoreApplication::processEvents();
    ASSERT_EQ(results.size(), 1);
    EXPECT_TRUE(results[0].ok()) << results[0].message.toStdString();
    EXPECT_FALSE(client.isRunning());

    // a cancelled query ends at once, and its late answer changes nothing
    ASSERT_TRUE(client.start("127.0.0.1", server.port(), 2000));
    client.cancel();
    ASSERT_EQ(results.size(), 2);
    EXPECT_EQ(results[1].error, SntpError::Cancelled);
    t.restart();
    while (t.elapsed() < 400) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(results.size(), 2);

    // a name goes through the look-up; an empty one is not found
    EXPECT_TRUE(client.query("localhost", server.port(), 2000).ok());
    const SntpResult none = client.query("", server.port(), 2000);
    EXPECT_EQ(none.error, SntpError::HostNotFound);
    EXPECT_TRUE(none.message.contains("не найден")) << none.message.toStdString();
}

// Replies whose times cannot be so: refused before anything is asked or set.
TEST(ServiceSntpFake, ImplausibleRepliesAreRefused) {
    struct Case {
        const char* name;
        std::function<void(NtpPacket&)> change;
        int holdMs;
        QString inMessage;
    };
    const QList<Case> cases = {
        {"received 100 000 s after sent",
         [](NtpPacket& p) {
             p.receive = {p.transmit.seconds + 100000, p.transmit.fraction};
         },
         0, "раньше времени приёма"},
        {"held 100 000 s",
         [](NtpPacket& p) {
             p.receive = {p.transmit.seconds - 100000, p.transmit.fraction};
         },
         0, "держал запрос"},
        {"server's own error 16 s", [](NtpPacket& p) { p.rootDispersion = 16u << 16; }, 0,
         "погрешность"},
        {"round trip over 3 s", [](NtpPacket& p) { p.receive = p.transmit; }, 3200, "задержка"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeNtpServer server;
        server.holdMs = c.holdMs;
        server.answerWith(c.change);
        SntpClient client;
        FakeSetter setter;
        int asked = 0;
        const NtpSyncOutcome out = setPcClockFromNtp(
            client, setter, [&](const QDateTime&, const QDateTime&) { return ++asked > 0; },
            "127.0.0.1", server.port(), 5000);
        EXPECT_EQ(out.reply.error, SntpError::Implausible);
        EXPECT_TRUE(out.message.contains(c.inMessage)) << out.message.toStdString();
        EXPECT_EQ(asked, 0);
        EXPECT_TRUE(setter.calls.isEmpty());
    }
}

// --- the PC clock

// A step of more than a few minutes is made only when the user agrees, after seeing both times.
TEST(ServicePcClock, LargeStepsAreAskedFirst) {
    struct Case {
        const char* name;
        std::function<void(NtpPacket&)> change;
        bool asked;
        int yearShown;  // of the server's time in the question
    };
    const int thisYear = QDate::currentDate().year();
    const QList<Case> cases = {
        {"transmit 0x7fffffff",
         [](NtpPacket& p) {
             p.receive = p.transmit = {0x7fffffffu, 0};
         },
         true, 1968},
        {"transmit 0x80000000",
         [](NtpPacket& p) {
             p.receive = p.transmit = {0x80000000u, 0};
         },
         true, 1968},
        {"an hour ahead", [](NtpPacket&) {}, true, thisYear},
        {"four minutes ahead",
         [](NtpPacket& p) {
             p.receive.seconds -= 3600 - 240;
             p.transmit.seconds -= 3600 - 240;
         },
         false, 0},
    };
    for (const Case& c : cases) {
        for (const bool yes : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (yes ? ", agreed" : ", declined"));
            FakeNtpServer server;  // an hour ahead of the PC unless changed
            server.answerWith(c.change);
            SntpClient client;
            FakeSetter setter;
            QList<std::pair<QDateTime, QDateTime>> questions;
            const NtpSyncOutcome out = setPcClockFromNtp(
                client, setter,
                [&](const QDateTime& pc, const QDateTime& srv) {
                    questions.append({pc, srv});
                    return yes;
                },
                "127.0.0.1", server.port(), 2000);
            ASSERT_TRUE(out.reply.ok()) << out.reply.message.toStdString();
            EXPECT_EQ(questions.size(), c.asked ? 1 : 0);
            const bool set = !c.asked || yes;
            EXPECT_EQ(setter.calls.size(), set ? 1 : 0);
            EXPECT_EQ(out.ok, set);
            EXPECT_EQ(out.declined, !set);
            EXPECT_TRUE(out.message.isEmpty()) << out.message.toStdString();
            if (questions.isEmpty()) continue;
            const auto [pc, srv] = questions[0];
            EXPECT_NEAR(double(pc.toMSecsSinceEpoch()), double(nowUs() / 1000), 2000.0);
            EXPECT_EQ(srv.date().year(), c.yearShown);
            const QString text = clockStepQuestion(pc, srv);
            EXPECT_TRUE(text.contains(drv::dateTimeText(pc.toLocalTime()))) << text.toStdString();
            EXPECT_TRUE(text.contains(drv::dateTimeText(srv.toLocalTime()))) << text.toStdString();
        }
    }
    EXPECT_TRUE(clockStepQuestion(QDateTime::fromSecsSinceEpoch(0, Qt::UTC),
                                  QDateTime::fromSecsSinceEpoch(3600 + 120, Qt::UTC))
                    .contains("на 1 ч 2 мин (ПК отстаёт)"));
}

TEST(ServicePcClock, SetFromNtpAddsTheOffsetAndReportsASetterFailure) {
    FakeNtpServer server;
    server.shiftUs = -90 * kSecond;  // the PC runs 90 s fast
    SntpClient client;
    FakeSetter setter;
    NtpSyncOutcome out = setPcClockFromNtp(client, setter, agree, "127.0.0.1", server.port(), 2000);
    ASSERT_TRUE(out.ok) << out.message.toStdString();
    EXPECT_TRUE(out.message.isEmpty());
    ASSERT_EQ(setter.calls.size(), 1);
    EXPECT_EQ(setter.calls[0], out.setTo);
    EXPECT_EQ(out.setTo.timeSpec(), Qt::UTC);
    const qint64 expected = (nowUs() - 90 * kSecond) / 1000;
    EXPECT_NEAR(double(out.setTo.toMSecsSinceEpoch()), double(expected), 100.0);

    // a refusing setter is reported, never taken for success
    setter.answer = {false, EPERM, {}};
    out = setPcClockFromNtp(client, setter, agree, "127.0.0.1", server.port(), 2000);
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.message, clockSetErrorText(EPERM));
    EXPECT_TRUE(out.message.contains("CAP_SYS_TIME"));
    setter.answer = {false, EINVAL, QStringLiteral("своё сообщение")};
    out = setPcClockFromNtp(client, setter, agree, "127.0.0.1", server.port(), 2000);
    EXPECT_EQ(out.message, "своё сообщение");
    EXPECT_EQ(setter.calls.size(), 3);
}

TEST(ServicePcClock, ErrorTexts) {
    EXPECT_TRUE(clockSetErrorText(EPERM).startsWith("Нет права изменять системное время"));
    EXPECT_TRUE(clockSetErrorText(EINVAL).contains(QStringLiteral("(код %1)").arg(EINVAL)));
    EXPECT_EQ(LinuxClockSetter().setSystemClock(QDateTime()).errorCode, EINVAL);
}

namespace {

// CAP_SYS_TIME in the effective or permitted set of this process.
bool haveClockRight() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capget, &header, data) != 0) return true;  // unknown: assume the worst
    const quint32 bit = 1u << CAP_SYS_TIME;
    return (data[0].effective & bit) || (data[0].permitted & bit);
}

// Gives up the right to set the clock for good; false when it could not be given up.
bool dropClockRight() {
    ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
    if (::geteuid() == 0) {
        ::prctl(PR_CAPBSET_DROP, CAP_SYS_TIME, 0, 0, 0);
        // a root without its capabilities is still root: become nobody
        if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
            ::setresuid(65534, 65534, 65534) != 0)
            return false;
    }
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capget, &header, data) == 0) {
        const quint32 bit = 1u << CAP_SYS_TIME;
        data[0].effective &= ~bit;
        data[0].permitted &= ~bit;
        data[0].inheritable &= ~bit;
        ::syscall(SYS_capset, &header, data);
    }
    return ::geteuid() != 0 && !haveClockRight();
}

}  // namespace

// Runs only in the child process started by the next test.
TEST(ServiceClockSetter, ChildWithoutTheRight) {
    if (qEnvironmentVariable("VELMOR_CLOCK_CHILD") != "1")
        GTEST_SKIP() << "runs in the child process of WithoutTheRightTheMessageNamesIt";
    if (!dropClockRight()) {
        std::printf("CANNOT DROP\n");
        GTEST_SKIP() << "could not give up the right to set the clock";
    }
    ASSERT_FALSE(haveClockRight());
    ASSERT_NE(::geteuid(), 0u);
    // now the call can only be refused; the time given is the clock's own
    const ClockSetResult r = LinuxClockSetter().setSystemClock(QDateTime::currentDateTimeUtc());
    std::printf("RESULT ok=%d errno=%d\nMESSAGE %s\n", int(r.ok), r.errorCode,
                r.message.toUtf8().constData());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.errorCode, EPERM);
    EXPECT_EQ(r.message, clockSetErrorText(EPERM));
}

TEST(ServiceClockSetter, WithoutTheRightTheMessageNamesIt) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELMOR_CLOCK_CHILD", "1");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.setWorkingDirectory(QDir::tempPath());
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=ServiceClockSetter.ChildWithoutTheRight"});
    ASSERT_TRUE(child.waitForFinished(30000));
    const QString out = QString::fromUtf8(child.readAll());
    if (out.contains("CANNOT DROP")) GTEST_SKIP() << "this machine does not let a child drop root";
    EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.toStdString();
    EXPECT_TRUE(out.contains("RESULT ok=0 errno=" + QString::number(EPERM))) << out.toStdString();
    EXPECT_TRUE(out.contains("MESSAGE " + clockSetErrorText(EPERM))) << out.toStdString();
}

// --- a real NTP server: chronyd on a loopback port

namespace {

QString findChronyd() {
    QString path = QStandardPaths::findExecutable("chronyd");
    if (path.isEmpty()) path = QStandardPaths::findExecutable("chronyd", {"/usr/sbin", "/sbin"});
    return path;
}

quint16 freeUdpPort() {
    QUdpSocket s;
    if (!s.bind(QHostAddress::LocalHost, 0)) return 0;
    return s.localPort();
}

// CAP_SYS_TIME in the effective set of process `pid`.
bool processHasClockRight(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return true;
    const QRegularExpression re("^CapEff:\\s*([0-9a-f]+)$", QRegularExpression::MultilineOption);
    const auto m = re.match(QString::fromLatin1(f.readAll()));
    if (!m.hasMatch()) return true;
    return (m.captured(1).toULongLong(nullptr, 16) >> CAP_SYS_TIME) & 1;
}

// chronyd serving its local clock on 127.0.0.1:<port>, never steering the machine's clock:
// "-x", no clock right even in its bounding set, no command sockets, files in a private folder.
class Chronyd {
  public:
    QTemporaryDir dir;
    QProcess process;
    quint16 port = 0;

    bool start(const QString& binary) {
        port = freeUdpPort();
        if (!port) return false;
        QFile conf(dir.filePath("chrony.conf"));
        if (!conf.open(QIODevice::WriteOnly)) return false;
        conf.write(QStringLiteral("port %1\n"
                                  "bindaddress 127.0.0.1\n"
                                  "allow 127.0.0.1\n"
                                  "local stratum 10\n"
                                  "cmdport 0\n"
                                  "bindcmdaddress /\n"
                                  "pidfile %2\n"
                                  "driftfile %3\n")
                       .arg(port)
                       .arg(dir.filePath("chronyd.pid"), dir.filePath("chrony.drift"))
                       .toUtf8());
        conf.close();
        QStringList args{"-x", "-d", "-4", "-f", conf.fileName()};
        args << (::geteuid() == 0 ? QStringList{"-u", "root"} : QStringList{"-U"});
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setChildProcessModifier([] {
            ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
            ::prctl(PR_CAPBSET_DROP, CAP_SYS_TIME, 0, 0, 0);
        });
        process.start(binary, args);
        return process.waitForStarted(5000);
    }
    ~Chronyd() {
        if (process.state() == QProcess::NotRunning) return;
        process.terminate();  // its own pid
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(2000);
        }
    }
};

}  // namespace

TEST(ServiceSntpChrony, RealServerOnLoopback) {
    const QString binary = findChronyd();
    if (binary.isEmpty())
        GTEST_SKIP() << "chronyd is not installed (Debian package chrony): no real NTP server";
    Chronyd chronyd;
    ASSERT_TRUE(chronyd.start(binary)) << chronyd.process.errorString().toStdString();
    EXPECT_FALSE(processHasClockRight(chronyd.process.processId()));

    SntpClient client;
    SntpResult r;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 10000 && chronyd.process.state() == QProcess::Running) {
        r = client.query("127.0.0.1", chronyd.port, 300);
        if (r.ok()) break;
    }
    ASSERT_TRUE(r.ok()) << r.message.toStdString() << "\n"
                        << chronyd.process.readAll().toStdString();
    EXPECT_EQ(r.reply.mode, 4);
    EXPECT_EQ(r.reply.version, 4);
    EXPECT_EQ(r.reply.stratum, 10);
    EXPECT_EQ(r.reply.leap, 0);
    // chronyd reads the same clock as the test
    EXPECT_LT(std::abs(r.offsetUs), 50000);
    EXPECT_GE(r.delayUs, -5000);
    EXPECT_LT(r.delayUs, 100000);

    // the whole synchronisation, by name, with a fake setter
    FakeSetter setter;
    const NtpSyncOutcome out =
        setPcClockFromNtp(client, setter, agree, "localhost", chronyd.port, 2000);
    ASSERT_TRUE(out.ok) << out.message.toStdString();
    ASSERT_EQ(setter.calls.size(), 1);
    EXPECT_LT(std::abs(setter.calls[0].msecsTo(QDateTime::currentDateTimeUtc())), 200);
    EXPECT_EQ(chronyd.process.state(), QProcess::Running);
}
