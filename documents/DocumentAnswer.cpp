#include "documents/DocumentAnswer.h"

#include <QJsonDocument>
#include <cmath>

#include "driver/JsonAnswer.h"
#include "driver/ValueText.h"

namespace documents {
namespace {

// A JSON number: -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
bool isJsonNumber(QStringView t) {
    qsizetype i = 0;
    const auto digits = [&] {
        const qsizetype from = i;
        while (i < t.size() && t[i] >= u'0' && t[i] <= u'9') ++i;
        return i > from;
    };
    if (i < t.size() && t[i] == u'-') ++i;
    if (i < t.size() && t[i] == u'0')
        ++i;
    else if (!digits())
        return false;
    if (i < t.size() && t[i] == u'.') {
        ++i;
        if (!digits()) return false;
    }
    if (i < t.size() && (t[i] == u'e' || t[i] == u'E')) {
        ++i;
        if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) ++i;
        if (!digits()) return false;
    }
    return i == t.size();
}

bool numberChar(QChar c) {
    return c.isDigit() || c == u'-' || c == u'+' || c == u'.' || c == u'e' || c == u'E';
}

// Turns every JSON number outside strings into a string holding the number as written, so the
// parser cannot round it. A token that is not a valid JSON number is left alone and the parser
// reports it.
QString quoteNumbers(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / 8);
    bool inString = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (inString) {
            out += c;
            if (c == u'\\' && i + 1 < text.size()) {
                out += text[++i];
            } else if (c == u'"') {
                inString = false;
            }
            continue;
        }
        if (c == u'"') {
            inString = true;
            out += c;
            continue;
        }
        if (c == u'-' || c.isDigit()) {
            qsizetype j = i;
            while (j < text.size() && numberChar(text[j])) ++j;
            const QStringView token = QStringView(text).mid(i, j - i);
            if (isJsonNumber(token)) {
                out += u'"';
                out += token;
                out += u'"';
            } else {
                out += token;
            }
            i = j - 1;
            continue;
        }
        out += c;
    }
    return out;
}

std::optional<QString> textOf(const QJsonObject& o, const QString& key) {
    const auto it = o.constFind(key);
    if (it == o.constEnd()) return std::nullopt;
    return valueText(*it);
}

}  // namespace

QString valueText(const QJsonValue& v) {
    switch (v.type()) {
        case QJsonValue::String:
            return v.toString();
        case QJsonValue::Bool:
            return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
        case QJsonValue::Double:
            return QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
        case QJsonValue::Object:
            return QString::fromUtf8(QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact));
        case QJsonValue::Array:
            return QString::fromUtf8(QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact));
        default:
            return {};
    }
}

std::optional<qint64> wholeNumber(const QString& text) {
    bool ok = false;
    const qint64 n = text.trimmed().toLongLong(&ok);
    if (ok) return n;
    const double d = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d) || d != std::floor(d) || std::fabs(d) > 9.0e15)
        return std::nullopt;
    return qint64(d);
}

DocumentAnswer DocumentAnswer::parse(const QString& text) {
    DocumentAnswer a;
    if (text.isEmpty()) return a;
    if (auto error = drv::JsonAnswer::sizeError(text)) {
        a.error_ = *error;
        return a;
    }
    QJsonParseError err;
    const auto doc = QJsonDocument::fromJson(quoteNumbers(text).toUtf8(), &err);
    if (err.error != QJsonParseError::NoError) {
        // The message and position as the parser gives them for the text as it came.
        QJsonParseError original;
        QJsonDocument::fromJson(text.toUtf8(), &original);
        if (original.error == QJsonParseError::NoError) original = err;
        a.error_ = QStringLiteral("Ошибка JSON в позиции %1: %2")
                       .arg(original.offset)
                       .arg(original.errorString());
        return a;
    }
    if (!doc.isObject()) {
        a.error_ = QStringLiteral("Ответ драйвера не является объектом JSON");
        return a;
    }
    const auto tlv = doc.object().value(QStringLiteral("documentTLV"));
    a.tlv_ = tlv.toObject();
    a.items_ = a.tlv_.value(QStringLiteral("1059")).toArray();
    return a;
}

std::optional<QString> DocumentAnswer::tlv(const QString& key) const {
    return textOf(tlv_, key);
}

std::optional<QString> DocumentAnswer::item(int i, const QString& key) const {
    if (i < 0 || i >= items_.size()) return std::nullopt;
    const QJsonValue v = items_.at(i);
    if (!v.isObject()) return std::nullopt;
    return textOf(v.toObject(), key);
}

DocClass DocumentAnswer::docClass() const {
    const auto type = tlv(QStringLiteral("fiscalDocumentType"));
    if (!type) return DocClass::None;
    const QString t = type->toLower();
    if (t == u"receipt" || t == u"receiptcorrection" || t == u"bso" || t == u"bsocorrection")
        return DocClass::Check;
    if (t == u"openshift") return DocClass::OpenShift;
    if (t == u"closeshift") return DocClass::CloseShift;
    return DocClass::Other;
}

std::optional<qint64> DocumentAnswer::integer(const QString& key) const {
    const auto t = tlv(key);
    if (!t) return std::nullopt;
    return wholeNumber(*t);
}

bool DocumentAnswer::isShort() const {
    const auto s = tlv(QStringLiteral("short"));
    return s && s->compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

std::optional<QDateTime> DocumentAnswer::moment() const {
    const auto t = tlv(QStringLiteral("1012"));
    if (!t) return std::nullopt;
    const QDateTime dt = drv::parseIsoDateTime(*t);
    if (!dt.isValid()) return std::nullopt;
    return dt;
}

}  // namespace documents
