// The version check against a loopback HTTPS server with the tests' own certificate authority.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTcpServer>

#include "tests/support/HttpsTestServer.h"
#include "update/Texts.h"
#include "update/VersionCheck.h"

using namespace update;
using namespace test_update;

namespace {

const QLocale kRu(QLocale::Russian, QLocale::Russia);

// Runs a check to its end.
CheckResult check(const QString& base, bool trustTestCa = true, int timeoutMs = 5000) {
    Http http;
    if (trustTestCa) http.setExtraCaCertificates(testCa());
    VersionCheck c(http);
    int done = 0;
    QObject::connect(&c, &VersionCheck::finished, [&] { ++done; });
    c.start(QUrl(base), timeoutMs);
    EXPECT_TRUE(waitUntil([&] { return done > 0; }));
    waitUntil([] { return false; }, 20);
    EXPECT_EQ(done, 1);
    EXPECT_FALSE(c.running());
    return c.result();
}

quint16 closedPort() {
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    const quint16 port = s.serverPort();
    s.close();
    return port;
}

}  // namespace

TEST(UpdateCheck, ReadsListHistoryAndSizes) {
    HttpsServer server;
    ASSERT_TRUE(server.listening());
    Site site;
    site.history =
        "Драйвер ККТ v.10\nИсправления: 1. печать 2. чеки\nВерсия 10.10.7.0 от 12.05.2024\n"
        "Версия 10.10.6.0 от 01.02.2024\n";
    site.full = announced(12582912);
    site.bit64 = announced(1048576 * 3 / 2);
    site.usbcom = announced(3670016);
    layOut(server, site);

    const CheckResult r = check(server.base());
    EXPECT_TRUE(r.finished);
    EXPECT_EQ(r.message, "");
    EXPECT_EQ(r.newVerDrv, "Версия 10.10.7.0 от 12.05.2024");
    EXPECT_EQ(r.version, "10.10.7.0");
    EXPECT_TRUE(r.driverAvailable);
    EXPECT_EQ(r.paths.histPath, server.url(kHistPath));
    EXPECT_EQ(r.paths.fullDrvPath, server.url("/KKT/10.10.7.0/full.zip"));
    EXPECT_EQ(r.paths.bit32Path,
              server.url("/KKT/10.10.7.0/x86/KKT10-10.10.7.0-windows32-setup.exe"));
    EXPECT_EQ(r.sizes[0], 12582912);
    EXPECT_FALSE(r.sizes[1].has_value());  // 404
    EXPECT_EQ(r.sizes[2], 1572864);
    EXPECT_EQ(r.usbcom, CheckResult::Usbcom::Available);

    const CheckView v = checkView(r, false, kRu);
    EXPECT_EQ(v.newVer, "10.10.7.0");
    EXPECT_EQ(v.sizes[0], "(12,0 МБ)");
    EXPECT_EQ(v.sizes[1], "(0,0 МБ)");
    EXPECT_EQ(v.sizes[2], "(1,5 МБ)");
    EXPECT_EQ(v.newVerUsbcom, "1.26.0.0   (3,5 МБ)");

    EXPECT_EQ(server.requests(),
              QStringList({"GET " + kListPath, "GET " + kHistPath, "HEAD /KKT/10.10.7.0/full.zip",
                           "HEAD /KKT/10.10.7.0/x86/KKT10-10.10.7.0-windows32-setup.exe",
                           "HEAD /KKT/10.10.7.0/x64/KKT10-10.10.7.0-windows64-setup.exe",
                           "HEAD " + kUsbcomPath}));
}

TEST(UpdateCheck, MissingListOrHistoryMeansServerUnavailable) {
    {
        HttpsServer server;  // no routes: every answer is 404
        const CheckResult r = check(server.base());
        EXPECT_TRUE(r.serverUnavailable);
        EXPECT_EQ(r.message, "");
        EXPECT_EQ(checkView(r, false, kRu).newVer, "Сервер недоступен");
        EXPECT_EQ(r.usbcom, CheckResult::Usbcom::NotAsked);
        EXPECT_EQ(server.requests(), QStringList({"GET " + kListPath}));
    }
    {
        HttpsServer server;
        Route list;
        list.body = versionList(server);
        server.route(kListPath, list);  // the history file is missing
        const CheckResult r = check(server.base());
        EXPECT_TRUE(r.serverUnavailable);
        EXPECT_FALSE(r.driverAvailable);
        EXPECT_EQ(r.usbcom, CheckResult::Usbcom::NotAsked);
        EXPECT_EQ(server.requests(), QStringList({"GET " + kListPath, "GET " + kHistPath}));
    }
    {
        // Nobody listening at all.
        const CheckResult r = check(QStringLiteral("https://127.0.0.1:%1").arg(closedPort()));
        EXPECT_TRUE(r.serverUnavailable);
        EXPECT_EQ(checkView(r, false, kRu).newVer, "Сервер недоступен");
    }
}

TEST(UpdateCheck, NothingToOfferShowsNone) {
    HttpsServer server;
    layOut(server, Site{});  // no package and no USB-COM installer on the server
    const CheckResult r = check(server.base());
    EXPECT_EQ(r.version, "10.10.7.0");
    EXPECT_TRUE(r.sizesAsked);
    EXPECT_EQ(checkView(r, false, kRu).newVer, "Нет");
    EXPECT_EQ(r.usbcom, CheckResult::Usbcom::Unavailable);
    EXPECT_EQ(checkView(r, false, kRu).newVerUsbcom, "Сервер недоступен");
    EXPECT_EQ(r.message, "");
}

TEST(UpdateCheck, HistoryWithoutVersionLine) {
    HttpsServer server;
    Site site;
    site.history = "Версия 10.10.7.0\nот 12.05.2024\n";  // no line with five dots
    site.full = announced(1000000);
    layOut(server, site);
    const CheckResult r = check(server.base());
    EXPECT_FALSE(r.driverAvailable);
    EXPECT_EQ(r.newVerDrv, "");
    EXPECT_EQ(checkView(r, false, kRu).newVer, "Нет");
    // No package is asked for without a version, the USB-COM installer still is.
    EXPECT_EQ(server.requests(),
              QStringList({"GET " + kListPath, "GET " + kHistPath, "HEAD " + kUsbcomPath}));
}

TEST(UpdateCheck, BadListsAreToldPlainly) {
    struct Case {
        const char* name;
        Route list;
        QString message;
    };
    Route empty;
    Route binary;
    binary.body = QByteArray("\x00\x01\x02https://x/\n\n\n\n", 16);
    Route threeLines;
    threeLines.body = "https://h.example/a\nhttps://h.example/b\nhttps://h.example/c\n";
    Route huge;
    huge.body = QByteArray(200 * 1024, 'a');
    Route hugeUnannounced = huge;
    hugeUnannounced.noLength = true;
    const QString tooLarge = text::kListRejected + "файл больше 64 КБ.";
    const Case cases[] = {
        {"empty", empty, text::kListRejected + "файл пуст."},
        {"binary", binary, text::kListRejected + "файл не текстовый."},
        {"three lines", threeLines, text::kListRejected + "в файле меньше четырёх строк."},
        {"huge", huge, tooLarge},
        {"huge without length", hugeUnannounced, tooLarge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HttpsServer server;
        server.route(kListPath, c.list);
        const CheckResult r = check(server.base());
        EXPECT_TRUE(r.listRejected);
        EXPECT_FALSE(r.serverUnavailable);
        EXPECT_EQ(r.message, c.message);
        EXPECT_EQ(checkView(r, false, kRu).newVer, "Нет");
        EXPECT_EQ(server.requests(), QStringList({"GET " + kListPath}));
    }
}

TEST(UpdateCheck, BadHistoryIsToldPlainly) {
    HttpsServer server;
    Site site;
    site.history = QByteArray(2 * 1024 * 1024, '.');
    layOut(server, site);
    const CheckResult r = check(server.base());
    EXPECT_TRUE(r.listRejected);
    EXPECT_EQ(r.message, text::kHistoryRejected + "файл больше 1024 КБ.");
    EXPECT_FALSE(r.driverAvailable);
}

TEST(UpdateCheck, RefusedCertificates) {
    struct Case {
        const char* certificate;
        const char* reason;
    };
    const Case cases[] = {
        {"expired.pem", "срок действия сертификата истёк"},
        {"wronghost.pem", "сертификат выдан для другого имени сервера"},
        {"untrusted.pem", "сертификат выдан неизвестным или недоверенным центром"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.certificate);
        HttpsServer server(c.certificate);
        layOut(server, Site{});
        const CheckResult r = check(server.base());
        EXPECT_TRUE(r.serverUnavailable);
        EXPECT_TRUE(r.message.startsWith(text::kTlsRefused)) << r.message.toStdString();
        EXPECT_TRUE(r.message.contains(c.reason)) << r.message.toStdString();
        EXPECT_TRUE(server.requests().isEmpty());  // nothing was asked over a refused channel
    }
    {
        // The tests' own authority is what makes the good certificate trusted.
        HttpsServer server;
        layOut(server, Site{});
        const CheckResult r = check(server.base(), /*trustTestCa=*/false);
        EXPECT_TRUE(r.serverUnavailable);
        EXPECT_TRUE(r.message.startsWith(text::kTlsRefused));
        EXPECT_TRUE(server.requests().isEmpty());
    }
}

TEST(UpdateCheck, FailedSizeRequestEndsTheCheckWithItsText) {
    HttpsServer server;
    // The full package lies on a server that is not there.
    const QString gone = QStringLiteral("https://127.0.0.1:%1").arg(closedPort());
    Route list;
    list.body = (server.url(kHistPath) + "\n" + gone + kFullPath + "\n" + server.url(k32Path) +
                 "\n" + server.url(k64Path) + "\n")
                    .toUtf8();
    server.route(kListPath, list);
    Route hist;
    hist.body = "Версия 10.10.7.0 от 12.05.2024\n";
    server.route(kHistPath, hist);
    const CheckResult r = check(server.base());
    EXPECT_TRUE(r.message.startsWith(text::kRequestFailed)) << r.message.toStdString();
    EXPECT_GT(r.message.size(), text::kRequestFailed.size());
    EXPECT_EQ(checkView(r, false, kRu).newVer, "10.10.7.0");
    EXPECT_FALSE(r.sizesAsked);
    EXPECT_EQ(r.usbcom, CheckResult::Usbcom::NotAsked);
}

TEST(UpdateCheck, SilentServerTimesOut) {
    // Accepts connections and never answers, not even the TLS handshake.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    QElapsedTimer t;
    t.start();
    const CheckResult r =
        check(QStringLiteral("https://127.0.0.1:%1").arg(silent.serverPort()), true, 300);
    EXPECT_TRUE(r.serverUnavailable);
    EXPECT_LT(t.elapsed(), 5000);
}

TEST(UpdateCheck, AbortAndRestart) {
    HttpsServer server;
    Site site;
    site.bit32 = announced(2097152);
    layOut(server, site);
    Http http;
    http.setExtraCaCertificates(testCa());
    VersionCheck c(http);
    int done = 0;
    QObject::connect(&c, &VersionCheck::finished, [&] { ++done; });
    c.start(QUrl(server.base()));
    EXPECT_TRUE(c.running());
    c.abort();
    EXPECT_FALSE(c.running());
    EXPECT_FALSE(waitUntil([&] { return done > 0; }, 300));

    // A new start drops the old one and begins from a clean result.
    c.start(QUrl("https://127.0.0.1:1"));
    c.start(QUrl(server.base()));
    ASSERT_TRUE(waitUntil([&] { return done > 0; }));
    waitUntil([] { return false; }, 20);
    EXPECT_EQ(done, 1);
    EXPECT_FALSE(c.result().serverUnavailable);
    EXPECT_EQ(c.result().sizes[1], 2097152);
}
