// hs: lists the open handles of every process, one header line per process
// ("<executable> pid: <N> <path>") and one line per handle ending in the handle's name.
//
//   hs [-accepteula] [-a] [--sys DIR] [--dev DIR]   the processes of this PC, from /proc
//   hs [-accepteula] [-a] --from FILE               a process list in JSON (the bench's PC):
//                                                   [{"pid": N, "path": "...", "handles": [...]}]
//
// Serial devices are named as the program names them (\Device\atol-usbcom_ttyACM0 for the
// maker's ports, see docs/ports.md), so a handle line ends in the port's device name.
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include "platform/LinuxPc.h"

namespace {

QString baseName(QString path) {
    path.replace('\\', '/');
    return path.section('/', -1);
}

void printHeader(QTextStream& out, const QString& name, qint64 pid, const QString& path) {
    out << name << " pid: " << pid << ' ' << path << '\n';
}

void printHandle(QTextStream& out, int handle, const QString& name) {
    out << QStringLiteral("  %1: File  (RW-)   ").arg(handle, 4, 16, QChar('0')).toUpper() << name
        << '\n';
}

int listFromJson(QTextStream& out, const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        QTextStream(stderr) << "hs: cannot read " << file << '\n';
        return 2;
    }
    const auto doc = QJsonDocument::fromJson(f.readAll());
    for (const auto& v : doc.array()) {
        const auto p = v.toObject();
        const QString path = p.value("path").toString();
        printHeader(out, baseName(path), p.value("pid").toInteger(), path);
        int handle = 4;
        for (const auto& h : p.value("handles").toArray()) {
            printHandle(out, handle, h.toString());
            handle += 4;
        }
    }
    return 0;
}

int listFromProc(QTextStream& out, const QString& sys, const QString& dev) {
    QHash<dev_t, QString> names;
    for (const auto& d : platform::LinuxPc("/", sys, dev).serialDevices())
        if (d.rdev) names.insert(d.rdev, d.valueName);
    const auto entries = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const auto& e : entries) {
        bool ok = false;
        const qint64 pid = e.toLongLong(&ok);
        if (!ok) continue;
        const QString dir = QStringLiteral("/proc/%1").arg(pid);
        const QString exe = QFile::symLinkTarget(dir + "/exe");
        QString name = baseName(exe);
        if (name.isEmpty()) {
            QFile comm(dir + "/comm");
            if (comm.open(QIODevice::ReadOnly))
                name = QString::fromLocal8Bit(comm.readAll()).trimmed();
        }
        if (name.isEmpty()) continue;
        printHeader(out, name, pid, exe);
        const auto fds =
            QDir(dir + "/fd").entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
        for (const auto& fd : fds) {
            const QString link = dir + "/fd/" + fd;
            struct stat st {};
            QString target = QFile::symLinkTarget(link);
            if (::stat(QFile::encodeName(link).constData(), &st) == 0 && S_ISCHR(st.st_mode) &&
                names.contains(st.st_rdev))
                target = names.value(st.st_rdev);
            if (target.isEmpty()) continue;
            printHandle(out, fd.toInt(), target);
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString from, sys = "/sys", dev = "/dev";
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == "-accepteula" || a == "-a") continue;
        if ((a == "--from" || a == "--sys" || a == "--dev") && i + 1 < args.size()) {
            (a == "--from" ? from : a == "--sys" ? sys : dev) = args[++i];
            continue;
        }
        QTextStream(stderr) << "hs: unknown argument " << a << '\n';
        return 2;
    }
    QTextStream out(stdout);
    out << "hs - open handles\n\n";
    return from.isEmpty() ? listFromProc(out, sys, dev) : listFromJson(out, from);
}
