// The handle listing of the bench's PC: the process list reaches the tool through a private
// temporary file (random name, owner-only, created exclusively) that is gone after the run; a
// file planted under a predictable name is never written.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "app/LineLog.h"
#include "discovery/HandleListing.h"
#include "emulator/VirtualPc.h"
#include "tests/support/Benches.h"

using discovery::HandleListing;

namespace {

// The demo PC where explorer.exe (pid 2216) holds COM5.
void benchWithBusyCom5() {
    QJsonObject root = testing_support::demoBench();
    QJsonObject pc = root.value("pc").toObject();
    QJsonObject ports = pc.value("ports").toObject();
    ports.insert("COM5", QJsonObject{{"speed", 115200}, {"busyBy", 2216}});
    pc.insert("ports", ports);
    root.insert("pc", pc);
    testing_support::useBench(testing_support::toJson(root));
}

bool waitListing(HandleListing& l, int ms = 10000) {
    QElapsedTimer t;
    t.start();
    while (l.isRunning() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return !l.isRunning();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A program directory whose Com/hs records what it was handed, then prints one listing.
// `sleepAfter` keeps it running afterwards.
class FakeTool {
  public:
    QTemporaryDir dir;
    explicit FakeTool(bool sleepAfter = false, const QString& folderTemplate = {})
        : dir(folderTemplate.isEmpty() ? QDir::tempPath() + "/velmor-hs-XXXXXX" : folderTemplate) {
        QDir().mkpath(dir.filePath("Com"));
        QDir().mkpath(dir.filePath("seen"));
        QFile f(dir.filePath("Com/hs"));
        f.open(QIODevice::WriteOnly);
        // the folder is found from the script's own path, so any character in it is safe
        f.write(
            QStringLiteral("#!/bin/sh\n"
                           "seen=\"${0%/Com/hs}/seen\"\n"
                           "[ \"$3\" = --from ] || exit 2\n"
                           "stat -c '%a %u' \"$4\" > \"$seen/mode\"\n"
                           "cp \"$4\" \"$seen/copy\"\n"
                           // written whole before the test can see it
                           "printf '%s' \"$4\" > \"$seen/path.part\" && "
                           "mv \"$seen/path.part\" \"$seen/path\"\n"
                           "printf '%s\\n' 'explorer.exe pid: 2216 C:\\Windows\\explorer.exe'\n"
                           "printf '%s\\n' '  0004: File  (RW-)   \\Device\\atol-usbcom_proxy3'\n"
                           "%1\n")
                .arg(sleepAfter ? "exec sleep 30" : "")
                .toUtf8());
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString progdir() const { return dir.path() + "/"; }
    QString seen(const char* name) const {
        return QString::fromUtf8(readFile(dir.filePath(QString("seen/") + name)));
    }
    bool waitSeen(int ms = 5000) const {
        QElapsedTimer t;
        t.start();
        while (!QFileInfo::exists(dir.filePath("seen/path")) && t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return QFileInfo::exists(dir.filePath("seen/path"));
    }
};

}  // namespace

TEST(DiscoveryHandleListing, ProcessListGoesThroughAPrivateFileRemovedAfterTheRun) {
    benchWithBusyCom5();
    emu::VirtualPc pc;
    FakeTool tool;
    app::LineLog view;
    HandleListing listing(pc, view);
    listing.start(tool.progdir());
    ASSERT_TRUE(waitListing(listing)) << listing.lastError().toStdString();
    EXPECT_TRUE(listing.lastError().isEmpty()) << listing.lastError().toStdString();

    const QString path = tool.seen("path");
    ASSERT_FALSE(path.isEmpty());
    EXPECT_EQ(QFileInfo(path).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    EXPECT_NE(QFileInfo(path).fileName(),
              QStringLiteral("velmor-handles-%1.json").arg(QCoreApplication::applicationPid()));
    EXPECT_EQ(tool.seen("mode"), QStringLiteral("600 %1\n").arg(::getuid()));
    const QJsonArray handedOver = QJsonDocument::fromJson(tool.seen("copy").toUtf8()).array();
    EXPECT_EQ(handedOver, QJsonDocument::fromJson(pc.handleListingData()).array());
    EXPECT_FALSE(QFileInfo::exists(path)) << "left behind: " << path.toStdString();
    EXPECT_EQ(listing.lines(),
              QStringList{"explorer.exe pid: 2216 C:\\Windows\\explorer.exe /\\   0004: File  "
                          "(RW-)   \\Device\\atol-usbcom_proxy3"});

    // the next run gets a file of its own, removed as well
    QFile::remove(tool.dir.filePath("seen/path"));
    listing.start(tool.progdir());
    ASSERT_TRUE(waitListing(listing));
    const QString second = tool.seen("path");
    ASSERT_FALSE(second.isEmpty());
    EXPECT_NE(second, path);
    EXPECT_FALSE(QFileInfo::exists(second));
}

// The program's folder reaches the tool whole, whatever characters it holds.
TEST(DiscoveryHandleListing, AFolderWithBlanksAndLineBreaksIsOnePath) {
    benchWithBusyCom5();
    emu::VirtualPc pc;
    FakeTool tool(false, QDir::tempPath() + QString::fromUtf8("/velmor hs\t\n\u00a0\"'-XXXXXX"));
    ASSERT_TRUE(tool.dir.isValid());
    app::LineLog view;
    HandleListing listing(pc, view);
    listing.start(tool.progdir());
    ASSERT_TRUE(waitListing(listing)) << listing.lastError().toStdString();
    EXPECT_TRUE(listing.lastError().isEmpty()) << listing.lastError().toStdString();
    EXPECT_FALSE(tool.seen("path").isEmpty());
    EXPECT_EQ(listing.lines().size(), 1);
}

TEST(DiscoveryHandleListing, FileRemovedWhenTheListingIsDestroyedMidRun) {
    benchWithBusyCom5();
    emu::VirtualPc pc;
    FakeTool tool(true);
    app::LineLog view;
    QString path;
    {
        HandleListing listing(pc, view);
        listing.start(tool.progdir());
        ASSERT_TRUE(tool.waitSeen());
        path = tool.seen("path");
        ASSERT_TRUE(listing.isRunning());
        EXPECT_TRUE(QFileInfo::exists(path));
    }
    EXPECT_FALSE(QFileInfo::exists(path));
}

// A link planted under the name the listing once used is neither followed nor removed, and the
// real tool still attributes the busy port to its holder.
TEST(DiscoveryHandleListing, PlantedFileUnderThePredictableNameIsNeverWritten) {
    benchWithBusyCom5();
    QTemporaryDir victimDir;
    const QString victim = victimDir.filePath("victim.txt");
    {
        QFile f(victim);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    const QString planted =
        QDir(QDir::tempPath())
            .filePath(
                QStringLiteral("velmor-handles-%1.json").arg(QCoreApplication::applicationPid()));
    QFile::remove(planted);
    ASSERT_TRUE(QFile::link(victim, planted));

    emu::VirtualPc pc;
    app::LineLog view;
    HandleListing listing(pc, view);
    listing.start(QStringLiteral(VELMOR_BINARY_DIR "/"));
    const bool done = waitListing(listing);
    const QByteArray victimAfter = readFile(victim);
    const QString linkTarget = QFileInfo(planted).symLinkTarget();
    QFile::remove(planted);
    ASSERT_TRUE(done) << listing.lastError().toStdString();
    EXPECT_EQ(victimAfter, "keep me");
    EXPECT_EQ(linkTarget, victim);
    const QStringList lines = listing.lines();
    ASSERT_EQ(lines.size(), 1) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[0].startsWith("explorer.exe pid: 2216 ")) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith("\\Device\\atol-usbcom_proxy3")) << lines[0].toStdString();
}
