#include "driver/JsonAnswer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

namespace drv {

JsonAnswer JsonAnswer::parse(const QString& text) {
    JsonAnswer a;
    if (text.trimmed().isEmpty()) return a;
    QJsonParseError err;
    const auto doc = QJsonDocument::fromJson(text.toUtf8(), &err);
    if (err.error != QJsonParseError::NoError || !doc.isObject()) return a;
    a.root_ = doc.object();
    a.ok_ = true;
    return a;
}

std::optional<QJsonValue> JsonAnswer::value(const QString& path) const {
    if (!ok_ || path.isEmpty()) return std::nullopt;
    static const QRegularExpression indexRe(QStringLiteral("\\[(\\d+)\\]"));
    QJsonValue cur = root_;
    for (const QString& segment : path.split('.')) {
        const int bracket = segment.indexOf('[');
        const QString key = bracket < 0 ? segment : segment.left(bracket);
        if (!key.isEmpty()) {
            if (!cur.isObject()) return std::nullopt;
            const auto obj = cur.toObject();
            auto it = obj.constFind(key);
            if (it == obj.constEnd()) return std::nullopt;
            cur = *it;
        }
        if (bracket >= 0) {
            const QString rest = segment.mid(bracket);
            int consumed = 0;
            for (auto m = indexRe.globalMatch(rest); m.hasNext();) {
                const auto match = m.next();
                if (match.capturedStart() != consumed) return std::nullopt;
                consumed = match.capturedEnd();
                if (!cur.isArray()) return std::nullopt;
                const auto arr = cur.toArray();
                const int i = match.captured(1).toInt();
                if (i < 0 || i >= arr.size()) return std::nullopt;
                cur = arr.at(i);
            }
            if (consumed != rest.size()) return std::nullopt;
        }
    }
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
