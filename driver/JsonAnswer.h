#pragma once
// A JSON task's answer, searched by dotted path: "fnInfo.serial", "documentTLV.1012",
// "documentTLV.1059[0].1030".
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <optional>

namespace drv {

class JsonAnswer {
  public:
    JsonAnswer() = default;
    // An empty text, invalid JSON or a non-object answer all give an empty answer (no paths).
    static JsonAnswer parse(const QString& text);

    bool isObject() const { return ok_; }
    const QJsonObject& root() const { return root_; }

    std::optional<QJsonValue> value(const QString& path) const;
    // Text of a found value: a string's content, a number as written (shortest form), "true" or
    // "false"; objects and arrays as compact JSON; null as empty text.
    std::optional<QString> text(const QString& path) const;
    // Text of the value or empty when the path is absent.
    QString textOr(const QString& path, const QString& fallback = {}) const;
    bool has(const QString& path) const { return value(path).has_value(); }

  private:
    QJsonObject root_;
    bool ok_ = false;
};

QString jsonValueText(const QJsonValue& v);

}  // namespace drv
