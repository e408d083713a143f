#include "emulator/Bench.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

static void initEmulatorResources() {
    Q_INIT_RESOURCE(emulator);
}

namespace emu {
namespace {

// A bench file larger than this is refused rather than read.
constexpr qint64 kMaxBenchBytes = 64 * 1024 * 1024;

// The virtual PC is read by VirtualPc as it stands; here its values are only checked for type.
void checkPc(const JsonReader& pc) {
    pc.boolean("windows64", true);
    pc.boolean("real", false);
    pc.string("windowsRoot");
    pc.integer("latencyMs", 0, 0, 10000);
    const JsonReader os = pc.child("os");
    os.string("productName");
    os.string("build");
    if (os.has("productType") && !os.object().value(QStringLiteral("productType")).isNull())
        os.integer("productType", 0, 0, 255);
    const JsonReader files = pc.child("files");
    for (auto it = files.object().begin(); it != files.object().end(); ++it)
        if (!it.value().isString()) files.fail(it.key(), QStringLiteral("ожидается строка"));
    const QJsonArray dirs = pc.array("dirs");
    for (int i = 0; i < dirs.size(); ++i)
        if (!dirs[i].isString())
            pc.fail(QStringLiteral("dirs[%1]").arg(i), QStringLiteral("ожидается строка"));
    const JsonReader driver = pc.child("driver");
    driver.boolean("creatable", true);
    driver.string("version");
    const QJsonArray serial = pc.array("serialcomm");
    for (int i = 0; i < serial.size(); ++i) {
        const JsonReader s = pc.element(serial, "serialcomm", i);
        s.string("value");
        s.string("port");
    }
    const QJsonArray pnp = pc.array("pnp");
    for (int i = 0; i < pnp.size(); ++i) {
        const JsonReader p = pc.element(pnp, "pnp", i);
        p.string("caption");
        if (!p.object().value(QStringLiteral("id")).isNull()) p.string("id");
    }
    const JsonReader ports = pc.child("ports");
    for (auto it = ports.object().begin(); it != ports.object().end(); ++it) {
        const JsonReader port = ports.child(it.key().toUtf8().constData());
        port.integer("speed", 0, 0, 10000000);
        port.integer("busyBy", 0, 0, std::numeric_limits<qint32>::max());
    }
    const QJsonArray processes = pc.array("processes");
    for (int i = 0; i < processes.size(); ++i) {
        const JsonReader p = pc.element(processes, "processes", i);
        p.integer("pid", 0, 0, std::numeric_limits<qint32>::max());
        p.string("path");
        const QJsonArray handles = p.array("handles");
        for (int h = 0; h < handles.size(); ++h)
            if (!handles[h].isString())
                p.fail(QStringLiteral("handles[%1]").arg(h), QStringLiteral("ожидается строка"));
    }
    const JsonReader lan = pc.child("lan");
    lan.string("route");
    lan.integer("silentWaitMs", 0, 0, 10000);
    const QJsonArray hosts = lan.array("hosts");
    for (int i = 0; i < hosts.size(); ++i) {
        const JsonReader h = lan.element(hosts, "hosts", i);
        h.string("ip");
        h.string("replyFrom");
        h.integer("ttl", 0, 0, 255);
        h.integer("timeMs", 0, 0, 10000);
        const QJsonArray open = h.array("ports");
        for (int p = 0; p < open.size(); ++p)
            if (!integralValue(open[p], 1, 65535))
                h.fail(QStringLiteral("ports[%1]").arg(p), QStringLiteral("ожидается номер порта"));
    }
    const JsonReader env = pc.child("env");
    for (auto it = env.object().begin(); it != env.object().end(); ++it)
        if (!it.value().isString()) env.fail(it.key(), QStringLiteral("ожидается строка"));
}

}  // namespace

World& World::instance() {
    static World* w = [] {
        auto* world = new World;
        const QString path = qEnvironmentVariable("VELMOR_BENCH");
        if (path.isEmpty())
            world->loadDemo();
        else
            world->loadFile(path);
        return world;
    }();
    return *w;
}

QByteArray World::demoBenchJson() {
    initEmulatorResources();
    QFile f(QStringLiteral(":/emulator/demo-bench.json"));
    if (!f.open(QIODevice::ReadOnly)) throw BenchError("Нет встроенного демонстрационного стенда");
    return f.readAll();
}

void World::loadDemo() {
    loadJson(demoBenchJson(), QStringLiteral("демо-стенд"));
}

void World::loadFile(const QString& path) {
    QFile f(path);
    if (!f.exists()) benchFail(path, QStringLiteral("файл не найден"));
    if (!f.open(QIODevice::ReadOnly)) benchFail(path, f.errorString());
    if (f.size() > kMaxBenchBytes)
        benchFail(path, QStringLiteral("файл больше %1 МБ").arg(kMaxBenchBytes >> 20));
    loadJson(f.readAll(), path);
}

void World::loadJson(const QByteArray& json, const QString& source) {
    QJsonParseError err;
    const auto doc = QJsonDocument::fromJson(json, &err);
    if (err.error != QJsonParseError::NoError)
        benchFail(
            source,
            QStringLiteral("ошибка JSON в позиции %1: %2").arg(err.offset).arg(err.errorString()));
    if (!doc.isObject()) benchFail(source, QStringLiteral("ожидается объект JSON"));
    const JsonReader root(doc.object(), QString(), source);
    const JsonReader pc = root.child("pc");
    checkPc(pc);
    std::vector<std::shared_ptr<Register>> registers;
    const QJsonArray list = root.array("registers");
    for (int i = 0; i < list.size(); ++i)
        registers.push_back(Register::read(root.element(list, "registers", i)));

    std::lock_guard lock(mutex_);
    source_ = source;
    pc_ = pc.object();
    pcLatencyMs_ = int(pc.integer("latencyMs", 0, 0, 10000));
    driverCreatable_ = pc.child("driver").boolean("creatable", true);
    driverVersion_ = pc.child("driver").string("version", QStringLiteral("10.10.4.0"));
    registers_ = std::move(registers);
}

QString World::source() const {
    std::lock_guard lock(mutex_);
    return source_;
}

int World::registerCount() const {
    std::lock_guard lock(mutex_);
    return int(registers_.size());
}

std::shared_ptr<Register> World::reg(int i) const {
    std::lock_guard lock(mutex_);
    if (i < 0 || i >= int(registers_.size())) return nullptr;
    return registers_[size_t(i)];
}

int comNumber(const QString& portName) {
    if (!portName.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) return 0;
    return portName.mid(3).toInt();
}

std::shared_ptr<Register> World::findByPort(const QString& comFile) const {
    const QString want = comFile.trimmed();
    bool isNumber = false;
    const int n = want.toInt(&isNumber);
    std::lock_guard lock(mutex_);
    for (const auto& r : registers_) {
        if (r->com.isEmpty()) continue;
        if (isNumber ? comNumber(r->com) == n
                     : (r->com.compare(want, Qt::CaseInsensitive) == 0 ||
                        (!r->device.isEmpty() && r->device == want)))
            return r;
    }
    return nullptr;
}

std::shared_ptr<Register> World::findByAddress(const QString& ip, int port) const {
    std::lock_guard lock(mutex_);
    for (const auto& r : registers_)
        if (!r->ip.isEmpty() && r->ip == ip.trimmed() && r->ipPort == port) return r;
    return nullptr;
}

bool World::onUsb(const Register& reg) const {
    if (reg.usb) return *reg.usb;
    if (reg.device.startsWith(QLatin1String("/dev/ttyACM"))) return true;
    if (reg.com.isEmpty()) return false;
    const QString caption = QStringLiteral("(%1)").arg(reg.com);
    std::lock_guard lock(mutex_);
    for (const auto& p : pc_.value(QStringLiteral("pnp")).toArray()) {
        const QJsonObject o = p.toObject();
        if (o.value(QStringLiteral("caption")).toString().contains(caption, Qt::CaseInsensitive) &&
            o.value(QStringLiteral("id"))
                .toString()
                .contains(QLatin1String("VID_2912"), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

std::shared_ptr<Register> World::findUsb(const QString& devicePath) const {
    std::vector<std::shared_ptr<Register>> registers;
    {
        std::lock_guard lock(mutex_);
        registers = registers_;
    }
    for (const auto& r : registers) {
        if (!onUsb(*r)) continue;
        if (devicePath.isEmpty() || r->device == devicePath ||
            r->com.compare(devicePath, Qt::CaseInsensitive) == 0)
            return r;
    }
    return nullptr;
}

bool World::pcHasPort(const QString& comFile) const {
    std::lock_guard lock(mutex_);
    for (const auto& p : pc_.value(QStringLiteral("serialcomm")).toArray()) {
        const QString name = p.toObject().value(QStringLiteral("port")).toString();
        if (QString::number(comNumber(name)) == comFile || name == comFile) return true;
    }
    return false;
}

bool World::portBusy(const QString& portName) const {
    std::lock_guard lock(mutex_);
    const auto state = pc_.value(QStringLiteral("ports")).toObject().value(portName).toObject();
    return state.value(QStringLiteral("busyBy")).toInteger() != 0;
}

int World::pcLatencyMs() const {
    std::lock_guard lock(mutex_);
    return pcLatencyMs_;
}

bool World::driverCreatable() const {
    std::lock_guard lock(mutex_);
    return driverCreatable_;
}

QString World::driverVersion() const {
    std::lock_guard lock(mutex_);
    return driverVersion_;
}

}  // namespace emu
