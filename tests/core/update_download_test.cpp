// Installer downloads against a loopback HTTPS server: complete files only, under a safe name in
// the Downloads folder; failures, short and long transfers, slow servers and cancel.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/support/HttpsTestServer.h"
#include "update/Download.h"
#include "update/Texts.h"
#include "update/Updater.h"

using namespace update;
using namespace test_update;

namespace {

class Downloads : public ::testing::Test {
  protected:
    Downloads() { http.setExtraCaCertificates(testCa()); }

    // Runs a download to its end.
    DownloadOutcome fetch(const QString& address) {
        Download d(http);
        std::vector<DownloadOutcome> done;
        QObject::connect(&d, &Download::finished,
                         [&](const DownloadOutcome& o) { done.push_back(o); });
        d.start(QUrl(address), folder(), 5000);
        EXPECT_TRUE(waitUntil([&] { return !done.empty(); }));
        waitUntil([] { return false; }, 20);
        EXPECT_EQ(done.size(), 1u);
        EXPECT_FALSE(d.running());
        return done.empty() ? DownloadOutcome{} : done.front();
    }

    QString folder() const { return dir.filePath("Downloads"); }
    QStringList files() const {
        return QDir(folder()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }
    QByteArray content(const QString& name) const {
        QFile f(QDir(folder()).filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    Http http;
    HttpsServer server;
};

}  // namespace

TEST_F(Downloads, CompleteFileUnderItsDecodedName) {
    const QByteArray body = payload(300000);
    server.route("/files/Driver Setup.exe", file(body));
    const DownloadOutcome o = fetch(server.url("/files/Driver%20Setup.exe"));
    EXPECT_EQ(o.kind, DownloadOutcome::Kind::Completed) << o.detail.toStdString();
    EXPECT_EQ(o.path, QDir(folder()).filePath("Driver Setup.exe"));
    EXPECT_EQ(files(), QStringList({"Driver Setup.exe"}));  // no temporary file is left
    EXPECT_EQ(content("Driver Setup.exe"), body);
}

TEST_F(Downloads, ProgressUpToTheSize) {
    const QByteArray body = payload(200000);
    Route r = file(body);
    r.chunk = 50000;
    r.delayMs = 5;
    server.route("/setup.exe", r);
    Download d(http);
    std::vector<std::pair<qint64, qint64>> progress;
    QObject::connect(&d, &Download::progress, [&](qint64 received, qint64 total) {
        progress.emplace_back(received, total);
    });
    bool done = false;
    QObject::connect(&d, &Download::finished, [&] { done = true; });
    d.start(QUrl(server.url("/setup.exe")), folder(), 5000);
    ASSERT_TRUE(waitUntil([&] { return done; }));
    ASSERT_GE(progress.size(), 2u);
    qint64 last = 0;
    for (const auto& [received, total] : progress) {
        EXPECT_GE(received, last);
        EXPECT_EQ(total, body.size());
        last = received;
    }
    EXPECT_EQ(last, body.size());
}

TEST_F(Downloads, NotFound) {
    const DownloadOutcome o = fetch(server.url("/KKT/missing.exe"));
    EXPECT_EQ(o.kind, DownloadOutcome::Kind::Failed);
    EXPECT_EQ(o.message, "Не удалось загрузить файл");
    EXPECT_TRUE(o.detail.contains("404")) << o.detail.toStdString();
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(Downloads, ServerDropsMidTransfer) {
    for (const bool slow : {false, true}) {
        SCOPED_TRACE(slow ? "slow" : "at once");
        Route r = file(payload(400000));
        r.dropAfter = 120000;
        if (slow) {
            r.chunk = 40000;
            r.delayMs = 10;
        }
        server.route("/cut.exe", r);
        const DownloadOutcome o = fetch(server.url("/cut.exe"));
        EXPECT_EQ(o.kind, DownloadOutcome::Kind::Failed);
        EXPECT_EQ(o.message, text::kDownloadFailed);
        EXPECT_TRUE(files().isEmpty()) << files().join(", ").toStdString();
    }
}

TEST_F(Downloads, SizeMustBeKnownAndNotZero) {
    Route r = file(payload(5000));
    r.noLength = true;
    server.route("/unknown.exe", r);
    server.route("/empty.exe", file({}));
    for (const char* path : {"/unknown.exe", "/empty.exe"}) {
        SCOPED_TRACE(path);
        const DownloadOutcome o = fetch(server.url(path));
        EXPECT_EQ(o.kind, DownloadOutcome::Kind::Failed);
        EXPECT_TRUE(files().isEmpty());
    }
}

TEST_F(Downloads, SlowServerCancelledAtTheNextBlock) {
    const QByteArray body = payload(2 * 1024 * 1024);
    Route r = file(body);
    r.chunk = 16 * 1024;
    r.delayMs = 20;
    server.route("/slow.exe", r);

    Download d(http);
    std::vector<DownloadOutcome> done;
    QObject::connect(&d, &Download::finished, [&](const DownloadOutcome& o) { done.push_back(o); });
    int blocksAfterCancel = 0;
    bool cancelled = false;
    QString temporary;
    QObject::connect(&d, &Download::progress, [&](qint64 received, qint64) {
        if (cancelled) {
            ++blocksAfterCancel;
            return;
        }
        if (received < 48 * 1024) return;
        // While running, the data lies in a temporary file beside the target.
        temporary = d.temporaryPath();
        EXPECT_TRUE(QFileInfo::exists(temporary));
        EXPECT_EQ(QFileInfo(temporary).absolutePath(), QDir(folder()).absolutePath());
        EXPECT_NE(temporary, d.targetPath());
        EXPECT_FALSE(QFileInfo::exists(d.targetPath()));
        cancelled = true;
        d.cancel();
    });
    d.start(QUrl(server.url("/slow.exe")), folder(), 5000);
    ASSERT_TRUE(waitUntil([&] { return !done.empty(); }));
    EXPECT_EQ(done.front().kind, DownloadOutcome::Kind::Cancelled);
    EXPECT_FALSE(d.running());
    EXPECT_FALSE(temporary.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(temporary));
    EXPECT_TRUE(files().isEmpty());
    // The server sees the connection go, long before it has sent everything.
    EXPECT_TRUE(waitUntil([&] { return server.brokenOff() == 1; }, 5000));
    EXPECT_LT(server.slowBytesSent(), body.size() / 2);
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(blocksAfterCancel, 0);
    EXPECT_EQ(done.size(), 1u);
}

TEST_F(Downloads, RefusedCertificates) {
    for (const char* certificate : {"expired.pem", "wronghost.pem", "untrusted.pem"}) {
        SCOPED_TRACE(certificate);
        HttpsServer bad(certificate);
        bad.route("/setup.exe", file(payload(1000)));
        const DownloadOutcome o = fetch(bad.url("/setup.exe"));
        EXPECT_EQ(o.kind, DownloadOutcome::Kind::Failed);
        EXPECT_TRUE(o.message.startsWith(text::kTlsRefused)) << o.message.toStdString();
        EXPECT_TRUE(bad.requests().isEmpty());
        EXPECT_TRUE(files().isEmpty());
    }
}

TEST_F(Downloads, NamesThatCouldLeaveTheFolderAreRefused) {
    for (const char* path : {"/KKT/..", "/KKT/%2E%2E", "/..%5C..%5Cevil.exe", "/", "/KKT/"}) {
        SCOPED_TRACE(path);
        const DownloadOutcome o = fetch(server.url(path));
        EXPECT_EQ(o.kind, DownloadOutcome::Kind::Failed);
        EXPECT_TRUE(o.message.startsWith(text::kBadFileName)) << o.message.toStdString();
    }
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(Downloads, OlderDownloadReplacedOnlyByACompleteOne) {
    QDir().mkpath(folder());
    QFile old(QDir(folder()).filePath("setup.exe"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("older complete installer");
    old.close();

    Route cut = file(payload(100000));
    cut.dropAfter = 1000;
    server.route("/a/setup.exe", cut);
    EXPECT_EQ(fetch(server.url("/a/setup.exe")).kind, DownloadOutcome::Kind::Failed);
    EXPECT_EQ(content("setup.exe"), "older complete installer");

    const QByteArray body = payload(100000, 7);
    server.route("/b/setup.exe", file(body));
    EXPECT_EQ(fetch(server.url("/b/setup.exe")).kind, DownloadOutcome::Kind::Completed);
    EXPECT_EQ(content("setup.exe"), body);
    EXPECT_EQ(files(), QStringList({"setup.exe"}));
}

// --- the dialog's state machine without the window

namespace {

struct Checked {
    explicit Checked(Updater& u, const QString& base) {
        u.setExtraCaCertificates(testCa());
        u.setServerBase(QUrl(base));
        bool done = false;
        QObject::connect(&u, &Updater::checkFinished, [&] { done = true; });
        u.startCheck();
        EXPECT_TRUE(waitUntil([&] { return done; }));
    }
};

}  // namespace

TEST(UpdateStateMachine, ClicksFollowTheState) {
    HttpsServer server;
    Site site;
    Route slow = file(payload(1024 * 1024));
    slow.chunk = 8192;
    slow.delayMs = 20;
    site.bit64 = slow;
    site.bit64->headLength = 1024 * 1024;
    site.usbcom = file(payload(4000, 3));
    layOut(server, site);
    QTemporaryDir dir;

    Updater u;
    u.setForLinux(false);
    EXPECT_EQ(u.decide(Slot::Driver), Updater::Click::NoAddress);
    EXPECT_EQ(u.decide(Slot::Usbcom), Updater::Click::NoAddress);
    Checked checked(u, server.base());
    EXPECT_EQ(u.decide(Slot::Driver), Updater::Click::Start);
    EXPECT_EQ(u.decide(Slot::Usbcom), Updater::Click::Start);
    u.setForLinux(true);  // the list names no Linux package
    EXPECT_EQ(u.decide(Slot::Driver), Updater::Click::NoLinuxPackage);
    EXPECT_EQ(u.decide(Slot::Usbcom), Updater::Click::Start);
    u.setForLinux(false);
    EXPECT_EQ(u.address(Slot::Driver, Package::Bit64).toString(),
              server.url("/KKT/10.10.7.0/x64/KKT10-10.10.7.0-windows64-setup.exe"));
    EXPECT_EQ(u.result().sizes[int(Package::Bit64)], 1024 * 1024);
    EXPECT_EQ(u.result().usbcomSize, 4000);

    QStringList started;
    QObject::connect(&u, &Updater::downloadStarted,
                     [&](Slot, const QUrl&, const QString& target) { started << target; });
    std::vector<DownloadOutcome> finished;
    QObject::connect(&u, &Updater::downloadFinished,
                     [&](Slot, const DownloadOutcome& o) { finished.push_back(o); });
    u.start(Slot::Driver, Package::Bit64, dir.path());
    EXPECT_EQ(started,
              QStringList({QDir(dir.path()).filePath("KKT10-10.10.7.0-windows64-setup.exe")}));
    EXPECT_TRUE(u.downloading(Slot::Driver));
    EXPECT_EQ(u.decide(Slot::Driver), Updater::Click::Cancel);
    EXPECT_EQ(u.decide(Slot::Usbcom), Updater::Click::Ignore);  // one download at a time
    u.cancel(Slot::Driver);
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(finished[0].kind, DownloadOutcome::Kind::Cancelled);
    EXPECT_FALSE(u.downloading(Slot::Driver));
    EXPECT_EQ(u.decide(Slot::Usbcom), Updater::Click::Start);

    u.start(Slot::Usbcom, Package::Full, dir.path());
    EXPECT_EQ(u.decide(Slot::Driver), Updater::Click::Ignore);
    ASSERT_TRUE(waitUntil([&] { return finished.size() == 2; }));
    const DownloadOutcome o = finished[1];
    EXPECT_EQ(o.kind, DownloadOutcome::Kind::Completed) << o.detail.toStdString();
    EXPECT_EQ(QFileInfo(o.path).fileName(), "ATOL USB-COM Driver 1.26.0_2017-05-18.exe");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
              QStringList({"ATOL USB-COM Driver 1.26.0_2017-05-18.exe"}));
}

TEST(UpdateStateMachine, PackageChangedSinceTheCheck) {
    // HEAD said 0 (or a stale size); the download, whole by its own length, is kept.
    HttpsServer server;
    Site site;
    const QByteArray body = payload(500 * 1024);
    Route full = file(body);
    full.headLength = 0;
    site.full = full;
    layOut(server, site);
    QTemporaryDir dir;
    Updater u;
    u.setForLinux(false);
    Checked checked(u, server.base());
    std::vector<DownloadOutcome> finished;
    QObject::connect(&u, &Updater::downloadFinished,
                     [&](Slot, const DownloadOutcome& o) { finished.push_back(o); });
    u.start(Slot::Driver, Package::Full, dir.path());
    ASSERT_TRUE(waitUntil([&] { return !finished.empty(); }));
    EXPECT_EQ(finished[0].kind, DownloadOutcome::Kind::Completed)
        << finished[0].detail.toStdString();
    QFile f(finished[0].path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), body);
}
