#include "tests/support/Benches.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include "emulator/Bench.h"

namespace testing_support {

void useBench(const QByteArray& json) {
    if (json.isEmpty())
        emu::World::instance().loadDemo();
    else
        emu::World::instance().loadJson(json, QStringLiteral("test bench"));
}

QJsonObject demoBench() {
    return QJsonDocument::fromJson(emu::World::demoBenchJson()).object();
}

QByteArray toJson(const QJsonObject& o) {
    return QJsonDocument(o).toJson();
}

QDateTime registerWallTime(const QDateTime& moment) {
    const QDateTime own = moment.toOffsetFromUtc(3 * 3600);
    return QDateTime(own.date(), own.time());
}

QDateTime registerWallTime(const QString& isoMoment) {
    return registerWallTime(QDateTime::fromString(isoMoment, Qt::ISODate));
}

QDateTime registerWallClock(qint64 offsetSeconds) {
    return registerWallTime(QDateTime::currentDateTimeUtc().addSecs(offsetSeconds));
}

QString callText(const QJsonObject& entry) {
    QStringList args;
    for (const auto& a : entry.value("args").toArray())
        args << (a.isString() ? a.toString() : QString::number(a.toDouble(), 'g', 12));
    return entry.value("method").toString() + '(' + args.join(',') + ')';
}

QStringList loggedCalls(const QString& logPath) {
    QStringList out;
    QFile f(logPath);
    if (!f.open(QIODevice::ReadOnly)) return out;
    while (!f.atEnd()) {
        const auto o = QJsonDocument::fromJson(f.readLine()).object();
        if (o.contains("method")) out << callText(o);
    }
    return out;
}

}  // namespace testing_support
