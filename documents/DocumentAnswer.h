#pragma once
// The answer of the driver's JSON task getFnDocument: {"documentTLV": {...}}.
//
// Every value is used as the text of the JSON value. Numbers keep the notation the driver wrote
// them in ("100.50" stays "100.50", a 20-digit number keeps all its digits), strings give their
// content, booleans "true" or "false".
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <optional>

namespace documents {

// Class of a document for the archive walks, from the lowercased documentTLV.fiscalDocumentType.
enum class DocClass {
    None,        // key absent, or no answer at all
    Check,       // receipt, receiptcorrection, bso, bsocorrection
    OpenShift,   // openshift
    CloseShift,  // closeshift
    Other        // any other type key
};

class DocumentAnswer {
  public:
    DocumentAnswer() = default;
    // An empty text gives an answer without keys and without error. A text that is not JSON, or
    // whose top level is not an object, or that is over drv::JsonAnswer::kMaxAnswerChars, gives
    // an answer without keys and with the reason in error().
    static DocumentAnswer parse(const QString& text);

    bool failed() const { return !error_.isEmpty(); }
    const QString& error() const { return error_; }

    // Text of documentTLV.<key>, or nullopt when absent.
    std::optional<QString> tlv(const QString& key) const;
    // Text of documentTLV.1059[i].<key>, or nullopt when absent.
    std::optional<QString> item(int i, const QString& key) const;
    // Number of elements of documentTLV.1059 (0 when absent or not an array).
    int itemCount() const { return int(items_.size()); }

    DocClass docClass() const;
    // An integer key (1038, 1040, 1042): nullopt when absent or not a whole number.
    std::optional<qint64> integer(const QString& key) const;
    // documentTLV.short equal to "true" in any letter case.
    bool isShort() const;
    // documentTLV.1012 as a moment; nullopt when absent or not ISO 8601.
    std::optional<QDateTime> moment() const;

  private:
    QJsonObject tlv_;
    QJsonArray items_;
    QString error_;
};

// Text of a JSON value as the rendering shows it (numbers arrive as their own text).
QString valueText(const QJsonValue& v);

// Whole number from a value text: "42", also "42.0"; nullopt for anything else.
std::optional<qint64> wholeNumber(const QString& text);

}  // namespace documents
