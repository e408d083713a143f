#pragma once
// Typed reading of the bench's JSON with errors that name the file and the key: a value of the
// wrong type or outside its range is refused, never read as a silent default.
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <optional>
#include <stdexcept>

namespace emu {

class BenchError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class JsonReader {
  public:
    // `path` names the object in messages ("registers[0].fn"); `source` the file.
    JsonReader(QJsonObject object, QString path, QString source);

    const QJsonObject& object() const { return object_; }
    const QString& source() const { return source_; }
    bool has(const char* key) const { return object_.contains(QLatin1String(key)); }
    // "registers[0].com" for the key "com".
    QString pathOf(const QString& key) const;

    [[noreturn]] void fail(const QString& key, const QString& problem) const;
    [[noreturn]] void failHere(const QString& problem) const;

    QString string(const char* key, const QString& fallback = {}) const;
    std::optional<QString> optionalString(const char* key) const;
    qint64 integer(const char* key, qint64 fallback, qint64 min, qint64 max) const;
    std::optional<qint64> optionalInteger(const char* key, qint64 min, qint64 max) const;
    double number(const char* key, double fallback) const;
    bool boolean(const char* key, bool fallback) const;
    // An ISO 8601 moment; invalid when absent.
    QDateTime moment(const char* key) const;
    // The member object (an empty reader when absent).
    JsonReader child(const char* key) const;
    QJsonArray array(const char* key) const;
    // Element i of an array member, which must be an object.
    JsonReader element(const QJsonArray& array, const char* key, int i) const;

  private:
    QJsonValue take(const char* key) const { return object_.value(QLatin1String(key)); }
    QJsonObject object_;
    QString path_;
    QString source_;
};

// "Файл стенда <source>: <problem>" as a BenchError.
[[noreturn]] void benchFail(const QString& source, const QString& problem);

// An integral JSON number within [min, max], else nullopt.
std::optional<qint64> integralValue(const QJsonValue& v, qint64 min, qint64 max);

}  // namespace emu
