#include "emulator/JsonReader.h"

#include <cmath>

#include "driver/ValueText.h"

namespace emu {

void benchFail(const QString& source, const QString& problem) {
    throw BenchError(QStringLiteral("Файл стенда %1: %2").arg(source, problem).toStdString());
}

std::optional<qint64> integralValue(const QJsonValue& v, qint64 min, qint64 max) {
    if (!v.isDouble()) return std::nullopt;
    const double d = v.toDouble();
    if (!std::isfinite(d) || d != std::floor(d)) return std::nullopt;
    if (d < double(min) || d > double(max)) return std::nullopt;
    return qint64(d);
}

JsonReader::JsonReader(QJsonObject object, QString path, QString source)
    : object_(std::move(object)), path_(std::move(path)), source_(std::move(source)) {}

QString JsonReader::pathOf(const QString& key) const {
    return path_.isEmpty() ? key : path_ + QLatin1Char('.') + key;
}

void JsonReader::fail(const QString& key, const QString& problem) const {
    benchFail(source_, QStringLiteral("\"%1\": %2").arg(pathOf(key), problem));
}

void JsonReader::failHere(const QString& problem) const {
    benchFail(source_, QStringLiteral("\"%1\": %2").arg(path_, problem));
}

QString JsonReader::string(const char* key, const QString& fallback) const {
    return optionalString(key).value_or(fallback);
}

std::optional<QString> JsonReader::optionalString(const char* key) const {
    const QJsonValue v = take(key);
    if (v.isUndefined()) return std::nullopt;
    if (!v.isString()) fail(QLatin1String(key), QStringLiteral("ожидается строка"));
    return v.toString();
}

qint64 JsonReader::integer(const char* key, qint64 fallback, qint64 min, qint64 max) const {
    return optionalInteger(key, min, max).value_or(fallback);
}

std::optional<qint64> JsonReader::optionalInteger(const char* key, qint64 min, qint64 max) const {
    const QJsonValue v = take(key);
    if (v.isUndefined()) return std::nullopt;
    if (!v.isDouble()) fail(QLatin1String(key), QStringLiteral("ожидается целое число"));
    const auto n = integralValue(v, min, max);
    if (!n)
        fail(QLatin1String(key),
             QStringLiteral("ожидается целое число от %1 до %2").arg(min).arg(max));
    return n;
}

double JsonReader::number(const char* key, double fallback) const {
    const QJsonValue v = take(key);
    if (v.isUndefined()) return fallback;
    if (!v.isDouble() || !std::isfinite(v.toDouble()))
        fail(QLatin1String(key), QStringLiteral("ожидается число"));
    return v.toDouble();
}

bool JsonReader::boolean(const char* key, bool fallback) const {
    const QJsonValue v = take(key);
    if (v.isUndefined()) return fallback;
    if (!v.isBool()) fail(QLatin1String(key), QStringLiteral("ожидается true или false"));
    return v.toBool();
}

QDateTime JsonReader::moment(const char* key) const {
    const auto text = optionalString(key);
    if (!text) return {};
    const QDateTime m = drv::parseIsoDateTime(*text);
    if (!m.isValid())
        fail(QLatin1String(key),
             QStringLiteral("ожидается момент ISO 8601, например 2021-03-04T12:34:00+03:00"));
    return m;
}

JsonReader JsonReader::child(const char* key) const {
    const QJsonValue v = take(key);
    if (!v.isUndefined() && !v.isObject())
        fail(QLatin1String(key), QStringLiteral("ожидается объект"));
    return JsonReader(v.toObject(), pathOf(QLatin1String(key)), source_);
}

QJsonArray JsonReader::array(const char* key) const {
    const QJsonValue v = take(key);
    if (!v.isUndefined() && !v.isArray())
        fail(QLatin1String(key), QStringLiteral("ожидается массив"));
    return v.toArray();
}

JsonReader JsonReader::element(const QJsonArray& array, const char* key, int i) const {
    const QString path = QStringLiteral("%1[%2]").arg(QLatin1String(key)).arg(i);
    if (!array.at(i).isObject()) fail(path, QStringLiteral("ожидается объект"));
    return JsonReader(array.at(i).toObject(), pathOf(path), source_);
}

}  // namespace emu
