#pragma once
// A JSON task's answer, parsed once and searched by dotted path in the parsed tree:
// "fnInfo.serial", "documentTLV.1012", "documentTLV.1059[0].1030".
//
// An answer longer than kMaxAnswerChars is refused without parsing, with a clear error: a
// register never sends one that large, and parsing it would only freeze the window. Every
// parser of driver answers (this one, the fiscal documents') checks sizeError() first.
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <optional>

namespace drv {

class JsonAnswer {
  public:
    // 4 Mi characters: a receipt of 500 items is about 0.1 Mi.
    static constexpr qsizetype kMaxAnswerChars = 4 * 1024 * 1024;

    JsonAnswer() = default;
    // The bound every parser of a driver answer applies first: the user's message for a text
    // over kMaxAnswerChars, nothing for any other.
    static std::optional<QString> sizeError(const QString& text);
    // An empty text, invalid JSON, a non-object or an oversized answer all give an answer
    // without paths; error() tells why (empty for an empty text).
    static JsonAnswer parse(const QString& text);

    bool isObject() const { return ok_; }
    const QJsonObject& root() const { return root_; }
    // Why the text gave no object, in the user's words; empty when it did or was empty.
    const QString& error() const { return error_; }
    bool tooLarge() const { return tooLarge_; }

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
    bool tooLarge_ = false;
    QString error_;
};

QString jsonValueText(const QJsonValue& v);

}  // namespace drv
