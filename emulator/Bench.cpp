#include "emulator/Bench.h"

#include <QFile>
#include <QJsonDocument>

static void initEmulatorResources() {
    Q_INIT_RESOURCE(emulator);
}

namespace emu {

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
    if (!f.open(QIODevice::ReadOnly)) throw BenchError("built-in demo bench is missing");
    return f.readAll();
}

void World::loadDemo() {
    loadJson(demoBenchJson(), QStringLiteral("демо-стенд"));
}

void World::loadFile(const QString& path) {
    QFile f(path);
    if (!f.exists())
        throw BenchError(QStringLiteral("Файл стенда %1: файл не найден").arg(path).toStdString());
    if (!f.open(QIODevice::ReadOnly))
        throw BenchError(
            QStringLiteral("Файл стенда %1: %2").arg(path, f.errorString()).toStdString());
    loadJson(f.readAll(), path);
}

void World::validate(const QJsonObject& root, const QString& source) {
    const auto fail = [&](const QString& what) {
        throw BenchError(QStringLiteral("Файл стенда %1: %2").arg(source, what).toStdString());
    };
    if (root.contains("pc") && !root.value("pc").isObject()) fail("\"pc\" должен быть объектом");
    if (root.contains("registers") && !root.value("registers").isArray())
        fail("\"registers\" должен быть массивом");
    const auto regs = root.value("registers").toArray();
    for (int i = 0; i < regs.size(); ++i) {
        if (!regs[i].isObject()) fail(QStringLiteral("registers[%1] должен быть объектом").arg(i));
        const auto r = regs[i].toObject();
        if (!r.contains("com") && !r.contains("ip"))
            fail(QStringLiteral("registers[%1]: нужен \"com\" или \"ip\"").arg(i));
    }
}

void World::loadJson(const QByteArray& json, const QString& source) {
    QJsonParseError err;
    const auto doc = QJsonDocument::fromJson(json, &err);
    if (err.error != QJsonParseError::NoError)
        throw BenchError(QStringLiteral("Файл стенда %1: ошибка JSON в позиции %2: %3")
                             .arg(source)
                             .arg(err.offset)
                             .arg(err.errorString())
                             .toStdString());
    if (!doc.isObject())
        throw BenchError(
            QStringLiteral("Файл стенда %1: ожидается объект JSON").arg(source).toStdString());
    const auto root = doc.object();
    validate(root, source);
    std::lock_guard lock(mutex_);
    source_ = source;
    pc_ = root.value("pc").toObject();
    registers_.clear();
    callCounts_.clear();
    for (const auto& r : root.value("registers").toArray()) {
        registers_.append(r.toObject());
        callCounts_.append(QHash<QString, int>());
    }
}

int comNumber(const QString& portName) {
    if (!portName.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) return 0;
    return portName.mid(3).toInt();
}

int World::findByPort(const QString& comFile) const {
    const QString want = comFile.trimmed();
    bool isNumber = false;
    const int n = want.toInt(&isNumber);
    for (int i = 0; i < registers_.size(); ++i) {
        const auto& r = registers_[i];
        const QString com = r.value("com").toString();
        if (com.isEmpty()) continue;
        if (isNumber ? comNumber(com) == n
                     : (com.compare(want, Qt::CaseInsensitive) == 0 ||
                        r.value("device").toString() == want))
            return i;
    }
    return -1;
}

int World::findByAddress(const QString& ip, int port) const {
    for (int i = 0; i < registers_.size(); ++i) {
        const auto& r = registers_[i];
        if (!r.value("ip").toString().isEmpty() && r.value("ip").toString() == ip.trimmed() &&
            r.value("ipPort").toInt(5555) == port)
            return i;
    }
    return -1;
}

int World::countCall(int i, const QString& method) {
    std::lock_guard lock(mutex_);
    return ++callCounts_[i][method];
}

}  // namespace emu
