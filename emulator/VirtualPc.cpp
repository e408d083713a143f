#include "emulator/VirtualPc.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include "emulator/Bench.h"

namespace emu {
namespace {

QJsonObject pc() {
    auto& w = World::instance();
    std::lock_guard lock(w.mutex());
    return w.pc();
}

QString normPath(QString p) {
    p.replace('/', '\\');
    while (p.endsWith('\\')) p.chop(1);
    return p.toLower();
}

QStringList& actionLog() {
    static QStringList log;
    return log;
}

QJsonObject portState(const QString& port) {
    return pc().value("ports").toObject().value(port.toUpper()).toObject();
}

}  // namespace

bool VirtualPc::dirExists(const QString& windowsPath) {
    const QString want = normPath(windowsPath);
    const auto p = pc();
    if (want == normPath("c:\\Program Files (x86)")) return p.value("windows64").toBool(true);
    for (const auto& d : p.value("dirs").toArray())
        if (normPath(d.toString()) == want) return true;
    for (auto it = p.value("files").toObject().constBegin();
         it != p.value("files").toObject().constEnd(); ++it)
        if (normPath(it.key()).startsWith(want + '\\')) return true;
    return false;
}

bool VirtualPc::fileExists(const QString& windowsPath) {
    const auto files = pc().value("files").toObject();
    for (auto it = files.constBegin(); it != files.constEnd(); ++it)
        if (normPath(it.key()) == normPath(windowsPath)) return true;
    return false;
}

QString VirtualPc::fileVersionText(const QString& windowsPath) {
    const auto files = pc().value("files").toObject();
    for (auto it = files.constBegin(); it != files.constEnd(); ++it)
        if (normPath(it.key()) == normPath(windowsPath)) return it.value().toString();
    return {};
}

platform::OsFacts VirtualPc::osFacts() {
    const auto os = pc().value("os").toObject();
    platform::OsFacts f;
    f.productName = os.value("productName").toString("Windows 10 Pro");
    if (os.value("productType").isDouble())
        f.productType = os.value("productType").toInt();
    else if (!os.contains("productType"))
        f.productType = 48;
    f.build = os.value("build").toString("19045");
    return f;
}

QList<platform::RegistryPort> VirtualPc::serialCommValues() {
    QList<platform::RegistryPort> out;
    for (const auto& v : pc().value("serialcomm").toArray()) {
        const auto o = v.toObject();
        out.append({o.value("value").toString(), o.value("port").toString()});
    }
    return out;
}

QList<platform::PnpEntity> VirtualPc::pnpEntities() {
    QList<platform::PnpEntity> out;
    for (const auto& v : pc().value("pnp").toArray()) {
        const auto o = v.toObject();
        platform::PnpEntity e;
        e.caption = o.value("caption").toString();
        if (o.value("id").isString()) e.deviceId = o.value("id").toString();
        out.append(e);
    }
    return out;
}

std::optional<int> VirtualPc::defaultBaudRate(const QString& portName) {
    QString name = portName;
    if (name.endsWith(':')) name.chop(1);
    const auto st = portState(name);
    if (!portExists(name)) return std::nullopt;
    return st.value("speed").toInt(115200);
}

bool VirtualPc::canOpenPort(const QString& portName) {
    if (!portExists(portName)) return false;
    return portState(portName).value("busyBy").toInteger() == 0;
}

bool VirtualPc::portExists(const QString& portName) {
    for (const auto& v : pc().value("serialcomm").toArray())
        if (v.toObject().value("port").toString().compare(portName, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QList<platform::ProcessEntry> VirtualPc::processes() {
    QList<platform::ProcessEntry> out;
    for (const auto& v : pc().value("processes").toArray()) {
        const auto o = v.toObject();
        out.append({o.value("pid").toInteger(), o.value("path").toString()});
    }
    return out;
}

QString VirtualPc::processImagePath(qint64 pid) {
    for (const auto& p : processes())
        if (p.pid == pid) return p.imagePath;
    return {};
}

bool VirtualPc::terminateProcess(qint64 pid) {
    actionLog().append(QStringLiteral("terminate %1").arg(pid));
    return true;
}

// The handle-listing tool reads the virtual PC's processes from the listing's data instead of
// /proc. A port whose "busyBy" names a process is one of that process's handles, under its
// registry name.
QStringList VirtualPc::handleListingCommand(const QString& progdir) {
    return {progdir + "Com/hs", "-accepteula", "-a"};
}

QByteArray VirtualPc::handleListingData() {
    const auto p = pc();
    const auto ports = p.value("ports").toObject();
    QJsonArray processes;
    for (const auto& v : p.value("processes").toArray()) {
        QJsonObject proc = v.toObject();
        QJsonArray handles = proc.value("handles").toArray();
        for (auto it = ports.constBegin(); it != ports.constEnd(); ++it) {
            if (it.value().toObject().value("busyBy").toInteger() != proc.value("pid").toInteger())
                continue;
            for (const auto& s : p.value("serialcomm").toArray())
                if (s.toObject().value("port").toString().compare(it.key(), Qt::CaseInsensitive) ==
                    0)
                    handles.append(s.toObject().value("value").toString());
        }
        proc.insert("handles", handles);
        processes.append(proc);
    }
    return QJsonDocument(processes).toJson();
}

QString VirtualPc::firstRouteNextHop() {
    return pc().value("lan").toObject().value("route").toString();
}

platform::PingReply VirtualPc::ping(const QString& address, int timeoutMs) {
    for (const auto& v : pc().value("lan").toObject().value("hosts").toArray()) {
        const auto h = v.toObject();
        if (h.value("ip").toString() != address) continue;
        platform::PingReply r;
        r.timeMs = h.value("timeMs").toInt(1);
        if (r.timeMs > timeoutMs) break;
        QThread::msleep(r.timeMs);
        r.replied = true;
        r.from = h.value("replyFrom").toString(address);
        r.ttl = h.value("ttl").toInt(128);
        return r;
    }
    // no answer: the echo waits out its time-out
    QThread::msleep(
        std::min(timeoutMs, pc().value("lan").toObject().value("silentWaitMs").toInt(timeoutMs)));
    return {};
}

bool VirtualPc::tcpPortOpen(const QString& address, int port, int) {
    for (const auto& v : pc().value("lan").toObject().value("hosts").toArray()) {
        const auto h = v.toObject();
        if (h.value("ip").toString() != address) continue;
        for (const auto& p : h.value("ports").toArray())
            if (p.toInt() == port) return true;
    }
    return false;
}

QString VirtualPc::envVar(const QString& name) {
    const auto env = pc().value("env").toObject();
    for (auto it = env.constBegin(); it != env.constEnd(); ++it)
        if (it.key().compare(name, Qt::CaseInsensitive) == 0) return it.value().toString();
    return qEnvironmentVariable(name.toUtf8().constData());
}

bool VirtualPc::openFolder(const QString& path) {
    actionLog().append(QStringLiteral("open %1").arg(path));
    return true;
}

QStringList VirtualPc::actions() const {
    return actionLog();
}

}  // namespace emu
