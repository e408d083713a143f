#pragma once
// The archive of the fiscal storage, indexed by document number. Three sources, in order of
// precedence for one number: documents appended by operations on the register (shift opening,
// closing, receipts), documents the bench lists as they stand, and the seeded generator. A read
// costs a map or block lookup: O(log n) in the size of the archive.
#include <QJsonObject>
#include <QString>
#include <map>
#include <memory>
#include <optional>

#include "emulator/ArchiveGenerator.h"

namespace emu {

// What the by-number storage query tells about a document.
struct DocumentFacts {
    int number = 0;
    QString type;             // documentTLV.fiscalDocumentType
    QString momentText;       // documentTLV.1012 as written
    QString fiscalSignHex;    // documentTLV.1077
    QString fiscalSign;       // the typed fiscal sign: decimal of the last four bytes of 1077
    double sum = 0;           // 1020
    int calculationSign = 0;  // 1054
    bool ticket = false;      // the operator's receipt arrived
};

class FiscalArchive {
  public:
    void setGenerator(std::unique_ptr<ArchiveGenerator> generator);
    const ArchiveGenerator* generator() const { return generator_.get(); }
    // A document as the bench lists it: its documentTLV object; `ticket` says whether the
    // operator's receipt arrived (nullopt: as the archive's unsent count implies).
    void list(int number, const QJsonObject& documentTlv, std::optional<bool> ticket);
    // The last number the register reports when the bench lists only a few documents.
    void setReportedLast(int number) { reportedLast_ = number; }
    // How many of the last documents the operator has not confirmed yet; each appended document
    // adds one (the register sends nothing).
    void setNotSent(int count) { notSent_ = count; }
    int notSent() const;
    // Number of the first document the operator has not confirmed, 0 when none.
    int firstNotSent() const;
    void setSeed(quint64 seed) { seed_ = seed; }

    // Number of the last document (0 for an empty archive).
    int lastNumber() const;
    // The documentTLV object of a document; nullopt when the storage has none of that number.
    std::optional<QJsonObject> document(int number) const;
    std::optional<DocumentFacts> facts(int number) const;
    // The last document of the receipt class (receipt, correction, BSO), 0 when none.
    int lastReceiptNumber() const;
    // The last document the storage can answer (at most lastNumber()), 0 when none.
    int lastAvailableNumber() const;

    // Appends a document made by an operation: it gets the next number, its fiscal sign and
    // `moment` as 1012. Returns its number.
    int append(QJsonObject documentTlv, const QString& moment);
    // Adds a tag to a document appended by an operation (one that needs its number or sign).
    void annotate(int number, const QString& key, const QJsonValue& value);

    static bool isReceiptType(const QString& fiscalDocumentType);

  private:
    std::unique_ptr<ArchiveGenerator> generator_;
    std::map<int, QJsonObject> listed_;
    std::map<int, bool> listedTickets_;
    std::map<int, QJsonObject> appended_;
    int reportedLast_ = 0;
    int notSent_ = 0;
    quint64 seed_ = 1;
};

}  // namespace emu
