#pragma once
// One virtual register's typed state: how it is reached, what it reports, its storage archive,
// settings, pictures, cliche and footer, and what it has printed. Read once from the bench; every
// driver object connected to it shares it. Its mutex guards everything that changes; it is never
// held while a call waits out the link's latency.
#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <mutex>
#include <optional>

#include "emulator/FiscalArchive.h"
#include "emulator/PictureStore.h"
#include "emulator/PrintJournal.h"
#include "emulator/SettingsStore.h"

namespace emu {

class JsonReader;

struct RegisterFlags {
    bool fiscal = false;
    bool fnPresent = true;
    bool fnFiscal = false;
    bool coverOpened = false;
    bool paperPresent = true;
    bool cutError = false;
    bool printerOverheat = false;
    bool blocked = false;
};

struct UnitVersions {
    // by unit: 0 firmware, 1 configuration, 2 templates, 3 control unit, 4 boot; nullopt: absent
    std::optional<QString> version[5];
    QString configurationRelease;
};

struct FfdVersions {
    int device = 0, deviceMax = 0, deviceMin = 0, fnMax = 0, fn = 0;
};

struct ShiftState {
    int state = 0;  // 0 closed, 1 opened (an opened shift past expiresAt reads as expired)
    int number = 0;
    int receipts = 0;
    QDateTime expiresAt;
};

struct ReceiptItem {
    QString name;
    double price = 0, quantity = 1, sum = 0;
    int tax = 0;            // LIBFPTR_TAX_ value, 0 none given
    int paymentMethod = 0;  // 1214, 0 none given
    int paymentObject = 0;  // 1212, 0 none given
    int department = 0;
};

struct ReceiptPayment {
    int type = 0;  // LIBFPTR_PT_ value
    double sum = 0;
};

struct OpenReceipt {
    int type = 0;  // LIBFPTR_RT_ value, 0 closed
    int number = 0;
    int documentNumber = 0;
    double sum = 0, remainder = 0, change = 0;
    QList<ReceiptItem> items;
    QList<ReceiptPayment> payments;
    int taxationType = 0;  // LIBFPTR_TT_ value, 0 the registered one
    bool electronically = false;
    std::optional<double> total;      // receiptTotal: the sum the receipt closes with
    QHash<int, double> receiptTaxes;  // receiptTax: by LIBFPTR_TAX_ value
    QJsonObject extraTags;  // further tags of the document (client, correction basis, ...)
};

struct Counters {
    double cashSum = 0, cashInSum = 0, cashOutSum = 0;
    int cashInCount = 0, cashOutCount = 0;
    QHash<int, int> receiptCount;       // by receipt type
    QHash<QString, double> paymentSum;  // by "receiptType/paymentType"
};

struct License {
    int number = 0;
    QString name;
    QDateTime from, until;
};

// What the typed storage queries answer, read once from the bench's storage answers.
struct StorageFacts {
    QString serial;      // fnInfo.serial
    QDateTime validity;  // fnInfo.validityDate
    int numberOfRegistrations = 0;
    int notSentCount = 0;
    int notSentFirstDocNumber = 0;
    QDateTime notSentFirstDocDateTime;
};

struct LastRegistration {
    int documentNumber = 0;
    int registrationsCount = 0;
    QDateTime moment;
};

// A failure the bench injects: `method` fails with `code` from its `fromCall`-th call on,
// `times` calls long (0: for good).
struct InjectedError {
    QString method;
    int code = 2;
    QString description;
    int fromCall = 1;
    int times = 0;
};

struct Register {
    // how it is reached
    QString com, device, ip;
    // on USB (Port=USB finds it); nullopt: as the PC's devices say (Bench.cpp)
    std::optional<bool> usb;
    int ipPort = 5555;
    QString platform = QStringLiteral("5");
    bool offline = false;
    std::optional<int> latencyMs;
    int utcOffsetSeconds = 3 * 3600;

    // what it reports
    QString model, serial;
    UnitVersions units;
    QString scriptName;
    std::optional<double> voltages[3];  // power supply, RTC battery, battery
    QString mac;
    int wifi = -1;
    RegisterFlags flags;
    FfdVersions ffd;
    ShiftState shift;
    OpenReceipt receipt;
    QString operatorName, operatorVatin;  // the cashier logged in (1021, 1203)
    int interruptedDocument = 0;          // a document whose printing stopped half-way, 0 none
    QHash<int, double> nonNullableSum;    // by receipt type
    Counters counters;
    qint64 clockOffsetSeconds = 0;
    int lineLength = 48;
    QList<License> licenses;
    QHash<int, QVariant> registration;  // FFD tag -> value (1209 as the format code 1..4)

    // the fiscal storage: the JSON tasks' answers as the bench gives them, and their typed values
    QJsonObject fnInfo, fnStatus, ofdExchange, registrationInfo;
    StorageFacts storage;
    QString keysUpdaterServerUri;
    int freeDocuments = 0;
    LastRegistration lastRegistration;
    FiscalArchive archive;
    QHash<QString, QString> jsonAnswers;  // task type -> answer text as it stands

    // stores
    SettingsStore settings;
    PictureStore pictures;
    QStringList footerLines;
    bool nonfiscalOpen = false;
    std::unique_ptr<PrintJournal> journal;

    QList<InjectedError> errors;
    QHash<QString, int> callCounts;

    std::mutex mutex;

    // The register's clock: the PC's plus the offset, as a moment.
    QDateTime clock() const { return QDateTime::currentDateTimeUtc().addSecs(clockOffsetSeconds); }
    // A moment as the register shows it: the wall time of its own time zone (utcOffset),
    // whatever the PC's zone, handed out as a local date-time the way the driver does.
    QDateTime wallTime(const QDateTime& moment) const;
    QDateTime wallClock() const { return wallTime(clock()); }
    // The moment the register's clock shows `wall` (a date and time read in its own zone).
    QDateTime momentOfWall(const QDateTime& wall) const;
    // The documents the operator has not confirmed: their count and the first one, as the
    // archive holds it (the bench's values when the archive can't answer that document).
    struct NotSent {
        int count = 0;
        int firstNumber = 0;
        QDateTime firstMoment;
    };
    NotSent notSent() const;
    // The ofdExchangeStatus answer: the bench's, with the unconfirmed documents as above.
    QJsonObject ofdExchangeAnswer() const;
    // The register's clock as a document moment ("2021-03-04T12:34:00+03:00").
    QString momentNow() const;
    bool isP5() const { return platform.startsWith(QLatin1Char('5')); }

    // Reads one register of the bench; throws BenchError naming the key.
    static std::shared_ptr<Register> read(const JsonReader& r);
};

// FFD format code (1209) of a version number: 100 -> 1, 105 -> 2, 110 -> 3, 120 -> 4; codes
// 1 to 4 stay as they are; anything else unchanged.
int ffdFormatCode(int value);

// A money value in roubles rounded to whole kopecks.
double roundedMoney(double roubles);

}  // namespace emu
