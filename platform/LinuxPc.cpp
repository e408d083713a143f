#include "platform/LinuxPc.h"

#include <signal.h>

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QUrl>

namespace platform {

LinuxPc::LinuxPc(QString windowsRoot) : root_(std::move(windowsRoot)) {}

QString LinuxPc::localPath(const QString& windowsPath) const {
    QString p = windowsPath;
    p.replace('\\', '/');
    if (p.size() >= 2 && p[1] == ':') p = p.mid(2);
    return QDir::cleanPath(root_ + '/' + p);
}

bool LinuxPc::dirExists(const QString& windowsPath) { return QFileInfo(localPath(windowsPath)).isDir(); }
bool LinuxPc::fileExists(const QString& windowsPath) {
    return QFileInfo(localPath(windowsPath)).isFile();
}

// Linux libraries carry no Windows version block; a sidecar "<file>.version" holding the dotted
// version stands in for it.
QString LinuxPc::fileVersionText(const QString& windowsPath) {
    QFile f(localPath(windowsPath) + ".version");
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QStringList parts = QString::fromUtf8(f.readLine()).trimmed().split('.');
    if (parts.size() != 4) return {};
    for (const auto& part : parts) {
        bool ok = false;
        part.toUInt(&ok);
        if (!ok) return {};
    }
    return parts.join('.');
}

OsFacts LinuxPc::osFacts() {
    OsFacts f;
    f.productName = QSysInfo::prettyProductName();
    f.build = QSysInfo::kernelVersion();
    return f;  // no edition code on Linux: the query "fails"
}

QList<RegistryPort> LinuxPc::serialCommValues() { return {}; }
QList<PnpEntity> LinuxPc::pnpEntities() { return {}; }
std::optional<int> LinuxPc::defaultBaudRate(const QString&) { return std::nullopt; }
bool LinuxPc::canOpenPort(const QString&) { return false; }
bool LinuxPc::portExists(const QString&) { return false; }

QList<ProcessEntry> LinuxPc::processes() {
    QList<ProcessEntry> out;
    const auto entries = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const auto& e : entries) {
        bool ok = false;
        const qint64 pid = e.toLongLong(&ok);
        if (ok) out.append({pid, processImagePath(pid)});
    }
    return out;
}

QString LinuxPc::processImagePath(qint64 pid) {
    const QString target = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid));
    return target.left(260);
}

bool LinuxPc::terminateProcess(qint64 pid) { return pid > 0 && ::kill(pid, SIGTERM) == 0; }

QStringList LinuxPc::handleListingCommand(const QString& progdir) {
    return {progdir + "Com/hs", "-accepteula", "-a"};
}

QString LinuxPc::firstRouteNextHop() { return {}; }
PingReply LinuxPc::ping(const QString&, int) { return {}; }
bool LinuxPc::tcpPortOpen(const QString&, int, int) { return false; }

QString LinuxPc::envVar(const QString& name) { return qEnvironmentVariable(name.toUtf8().constData()); }

bool LinuxPc::openFolder(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace platform
