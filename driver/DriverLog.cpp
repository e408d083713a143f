#include "driver/DriverLog.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace drv {

DriverLog::DriverLog() {
    setPath(qEnvironmentVariable("VELMOR_DRIVER_LOG"));
}

DriverLog::~DriverLog() = default;

DriverLog& DriverLog::instance() {
    static DriverLog log;
    return log;
}

void DriverLog::setPath(const QString& path) {
    std::lock_guard lock(mutex_);
    enabled_.store(false, std::memory_order_release);
    file_.reset();
    if (path.isEmpty()) return;
    auto f = std::make_unique<QFile>(path);
    if (!f->open(QIODevice::WriteOnly | QIODevice::Append)) {
        qWarning("VELMOR_DRIVER_LOG: cannot open %s: %s", qPrintable(path),
                 qPrintable(f->errorString()));
        return;
    }
    file_ = std::move(f);
    enabled_.store(true, std::memory_order_release);
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
    append(std::move(o));
}

void DriverLog::message(const QString& label, const QString& tag, int level, const QString& text) {
    if (!enabled()) return;
    QJsonObject o{{"log", tag}, {"level", level}, {"text", text}};
    if (!label.isEmpty()) o.insert("label", label);
    append(std::move(o));
}

void DriverLog::append(QJsonObject line) {
    line.insert("t", QDateTime::currentDateTime().toString(Qt::ISODateWithMs));
    QByteArray bytes = QJsonDocument(line).toJson(QJsonDocument::Compact);
    bytes.append('\n');
    std::lock_guard lock(mutex_);
    if (!file_) return;
    file_->write(bytes);
    file_->flush();
}

}  // namespace drv
