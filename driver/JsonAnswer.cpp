#include "driver/JsonAnswer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>

namespace drv {

std::optional<QString> JsonAnswer::sizeError(const QString& text) {
    if (text.size() <= kMaxAnswerChars) return std::nullopt;
    return QStringLiteral("Ответ драйвера слишком велик: %1 символов (допускается не более %2)")
        .arg(text.size())
        .arg(kMaxAnswerChars);
}

JsonAnswer JsonAnswer::parse(const QString& text) {
    JsonAnswer a;
    if (auto error = sizeError(text)) {
        a.tooLarge_ = true;
        a.error_ = *error;
        return a;
    }
    if (text.trimmed().isEmpty()) return a;
    QJsonParseError err;
    const auto doc = QJsonDocument::fromJson(text.toUtf8(), &err);
    if (err.error != QJsonParseError::NoError) {
        a.error_ = QStringLiteral("Ошибка разбора ответа драйвера в позиции %1: %2")
                       .arg(err.offset)
                       .arg(err.errorString());
        return a;
    }
    if (!doc.isObject()) {
        a.error_ = QStringLiteral("Ответ драйвера не является объектом JSON");
        return a;
    }
    a.root_ = doc.object();
    a.ok_ = true;
    return a;
}

namespace {

// Steps through one path segment: "key", "key[2]", "key[2][0]" or "[1]".
bool step(QJsonValue& cur, QStringView segment) {
    const qsizetype bracket = segment.indexOf(QLatin1Char('['));
    const QStringView key = bracket < 0 ? segment : segment.left(bracket);
    if (!key.isEmpty()) {
        if (!cur.isObject()) return false;
        const QJsonObject obj = cur.toObject();
        const auto it = obj.constFind(key);
        if (it == obj.constEnd()) return false;
        cur = *it;
    }
    if (bracket < 0) return !key.isEmpty();
    QStringView rest = segment.mid(bracket);
    while (!rest.isEmpty()) {
        if (rest.front() != QLatin1Char('[')) return false;
        const qsizetype close = rest.indexOf(QLatin1Char(']'));
        if (close < 2) return false;
        bool isNumber = false;
        const QStringView digits = rest.mid(1, close - 1);
        for (const QChar c : digits)
            if (!c.isDigit() || c.unicode() > '9') return false;
        const qsizetype i = digits.toLongLong(&isNumber);
        if (!isNumber || !cur.isArray()) return false;
        const QJsonArray arr = cur.toArray();
        if (i < 0 || i >= arr.size()) return false;
        cur = arr.at(i);
        rest = rest.mid(close + 1);
    }
    return true;
}

}  // namespace

std::optional<QJsonValue> JsonAnswer::value(const QString& path) const {
    if (!ok_ || path.isEmpty()) return std::nullopt;
    QJsonValue cur = root_;
    for (const QStringView segment : QStringView(path).split(QLatin1Char('.')))
        if (!step(cur, segment)) return std::nullopt;
    return cur;
}

QString jsonValueText(const QJsonValue& v) {
    switch (v.type()) {
        case QJsonValue::String:
            return v.toString();
        case QJsonValue::Bool:
            return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
        case QJsonValue::Double: {
            const QVariant var = v.toVariant();
            if (var.typeId() == QMetaType::LongLong || var.typeId() == QMetaType::Int)
                return QString::number(var.toLongLong());
            return QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
        }
        case QJsonValue::Object:
            return QString::fromUtf8(QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact));
        case QJsonValue::Array:
            return QString::fromUtf8(QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact));
        default:
            return {};
    }
}

std::optional<QString> JsonAnswer::text(const QString& path) const {
    auto v = value(path);
    if (!v) return std::nullopt;
    return jsonValueText(*v);
}

QString JsonAnswer::textOr(const QString& path, const QString& fallback) const {
    auto t = text(path);
    return t ? *t : fallback;
}

}  // namespace drv
