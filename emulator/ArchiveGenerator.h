#pragma once
// A fiscal storage archive made up on demand from a seed: the layout (which document is a
// registration, a shift opening, a receipt, ...) is laid out once as a short list of blocks, and
// each document's answer is built only when it is read, from its number and the seed alone. The
// same parameters always give the same archive, document for document.
//
// The archive starts with the registration report (document 1) and then walks the days from the
// start day: days without a shift, shifts (opening, receipts, closing), exchange-status reports
// after some shifts and a re-registration report every so many days. The last shift may be cut
// short by the size (it then stays open).
#include <QDate>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <optional>
#include <vector>

namespace emu {

class JsonReader;

// The bench's parameters of a generated archive ("fn": {"archive": {...}}; see docs/bench.md).
struct ArchiveSpec {
    static constexpr int kMaxSize = 1000000;
    static constexpr int kMaxReceiptsPerShift = 10000;

    int size = 0;          // documents in the archive
    QDate startDay;        // day of the registration (document 1)
    int shiftsPerDay = 1;  // 1 to 4
    int receiptsMin = 0;   // receipts in a shift: from min to max (max = min: exactly)
    int receiptsMax = 40;
    QList<int> daysWithoutShift = {7};  // weekdays (1 Monday ... 7 Sunday) without a shift
    int shortBelow = 0;                 // documents numbered below this answer only in short form
    quint64 seed = 1;
    int exchangeReportEvery = 5;      // an exchange-status report after every n-th shift (0: none)
    int reregistrationEveryDays = 0;  // a re-registration report every n days (0: none)

    // Reads the object; throws BenchError naming the key.
    static ArchiveSpec read(const JsonReader& r);
};

// What the documents say about the register and its owner.
struct ArchiveIdentity {
    QString inn = QStringLiteral("7701234567");
    QString registrationNumber = QStringLiteral("0001234567012345");
    QString user = QStringLiteral("ООО \"Ромашка\"");
    QString address = QStringLiteral("г. Москва, ул. Тверская, д. 7");
    QString place = QStringLiteral("Магазин \"Ромашка\"");
    QString fnsSite = QStringLiteral("www.nalog.gov.ru");
    QString email = QStringLiteral("kassa@romashka.ru");
    QString fnSerial = QStringLiteral("7380440700123456");
    QString deviceSerial = QStringLiteral("00106107311234");
    int taxSystems = 1;  // 1062 mask
    int formatCode = 4;  // 1209: 2 FFD 1.05, 3 FFD 1.1, 4 FFD 1.2
    int utcOffsetSeconds = 3 * 3600;
};

// Driver values the generated receipts use (the published constant values).
struct ArchiveCodes {
    int vat20, vat10, vat0, vatNo, vat120, vat110;
    static ArchiveCodes published();
};

class ArchiveGenerator {
  public:
    enum class Kind : quint8 {
        Registration,
        Reregistration,
        OpenShift,
        Receipt,  // receipts, correction receipts, BSO and BSO corrections
        CloseShift,
        ExchangeStatus,
    };
    // Where a document stands in the archive.
    struct Slot {
        Kind kind = Kind::Registration;
        int number = 0;
        int shift = 0;            // shift number (shift documents)
        int receiptInShift = 0;   // 1042 of a receipt
        int receiptsInShift = 0;  // receipts of the document's shift
        qint64 moment = 0;        // seconds since the epoch (UTC)
    };

    ArchiveGenerator(const ArchiveSpec& spec, const ArchiveIdentity& identity);

    int size() const { return size_; }
    const ArchiveSpec& spec() const { return spec_; }
    const ArchiveIdentity& identity() const { return identity_; }

    // The place of document `number` (1 .. size()); found by a binary search over the blocks.
    // `steps`, when given, receives the number of blocks looked at.
    std::optional<Slot> locate(int number, int* steps = nullptr) const;
    // The documentTLV object of document `number` as the storage answers it.
    std::optional<QJsonObject> document(int number) const;
    // Block count (the layout's whole memory, a few dozen bytes each).
    int blockCount() const { return int(blocks_.size()); }

    // The state the archive leaves the register in.
    struct EndState {
        int lastShift = 0;
        bool shiftOpen = false;
        int receiptsInLastShift = 0;
        qint64 lastShiftOpened = 0;
        int lastRegistrationNumber = 1;
        int registrations = 1;
        qint64 lastRegistrationMoment = 0;
        int lastReceiptNumber = 0;  // 0: none
        int receiptsTotal = 0;
    };
    const EndState& endState() const { return end_; }

    // "2021-03-04T12:34:00+03:00" for a moment in seconds since the epoch.
    static QString isoMoment(qint64 secs, int utcOffsetSeconds);
    // The six bytes of a document's fiscal sign as upper-case hex text.
    static QString fiscalSignHex(quint64 seed, int number);

  private:
    struct Block {
        int first = 0;     // number of the block's first document
        int count = 0;     // documents in the block
        qint64 start = 0;  // moment of the first document
        qint64 end = 0;    // moment of the last document
        int shift = 0;
        int receipts = 0;
        Kind kind = Kind::Registration;
        bool closed = true;  // a shift with its closing document
    };
    void layOut();
    QJsonObject receipt(const Slot& slot, QJsonObject tlv) const;

    ArchiveSpec spec_;
    ArchiveIdentity identity_;
    ArchiveCodes codes_;
    std::vector<Block> blocks_;
    int size_ = 0;
    EndState end_;
};

// The typed fiscal sign of a document: the decimal value of the last four bytes of its 1077 hex
// text (the number printed as "ФП" and written as "fp" in the QR code); empty for a text that is
// not hex.
QString fiscalSignOfHex(const QString& hex);

}  // namespace emu
