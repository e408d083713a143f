#include "driver/DriverLog.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <mutex>

namespace drv {
namespace {
std::mutex logMutex;
}

DriverLog::DriverLog() {
    path_ = qEnvironmentVariable("VELMOR_DRIVER_LOG");
}

DriverLog& DriverLog::instance() {
    static DriverLog log;
    return log;
}

void DriverLog::setPath(const QString& path) {
    std::lock_guard lock(logMutex);
    path_ = path;
}

bool DriverLog::enabled() const {
    std::lock_guard lock(logMutex);
    return !path_.isEmpty();
}

QJsonValue jsonOf(const QVariant& v) {
    switch (v.typeId()) {
        case QMetaType::QDateTime:
            return v.toDateTime().toString(Qt::ISODate);
        case QMetaType::QByteArray:
            return QString::fromLatin1(v.toByteArray().toHex());
        case QMetaType::UnknownType:
            return QJsonValue();
        default:
            return QJsonValue::fromVariant(v);
    }
}

void DriverLog::call(int objectId, const QString& method, const QVariantList& args,
                     const QVariant& result, int errorCode) {
    if (!enabled()) return;
    QJsonArray a;
    for (const auto& v : args) a.append(jsonOf(v));
    append(QJsonObject{{"obj", objectId},
                       {"method", method},
                       {"args", a},
                       {"result", jsonOf(result)},
                       {"error", errorCode}});
}

void DriverLog::printed(const QString& kind, const QString& text, const QJsonObject& extra) {
    if (!enabled()) return;
    QJsonObject o = extra;
    o.insert("print", kind);
    o.insert("text", text);
    append(o);
}

void DriverLog::append(const QJsonObject& line) {
    std::lock_guard lock(logMutex);
    if (path_.isEmpty()) return;
    QFile f(path_);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) return;
    QJsonObject o = line;
    o.insert("t", QDateTime::currentDateTime().toString(Qt::ISODateWithMs));
    f.write(QJsonDocument(o).toJson(QJsonDocument::Compact));
    f.write("\n");
}

}  // namespace drv
