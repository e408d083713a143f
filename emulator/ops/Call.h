#pragma once
// One driver call as the operations of the virtual register see it: the calling object's
// parameters and error state, and the register it is connected to (locked for the call).
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <climits>
#include <memory>
#include <optional>
#include <string_view>

#include "emulator/Constants.h"
#include "emulator/Register.h"

namespace emu {

// A records reading (beginReadRecords ... endReadRecords) in progress.
struct RecordsSession {
    QString id;
    int type = -1;
    int position = 0;
};

// The state of one driver object.
struct ObjectState {
    QHash<int, QVariant> in;   // parameters set for the next operation
    QHash<int, QVariant> out;  // values of the last query
    int errorCode = 0;
    QString errorDescription = QStringLiteral("Ошибок нет");
    QHash<QString, QVariant> singleSettings, pendingSingle;
    std::shared_ptr<Register> opened;
    RecordsSession records;
    // Whether a parameter set as text stands for a number. The automation object converts; the
    // maker's C library keeps each parameter in the kind its setter gave, so an integer set
    // with libfptr_set_param_str is no integer there.
    bool textNumbers = true;
};

class Call {
  public:
    Call(ObjectState& state, Register* reg, const QVariantList& arguments)
        : object(state), args(arguments), reg_(reg) {}

    ObjectState& object;
    const QVariantList& args;

    // The register of the call: the connected one (operations that need it never run without).
    Register& reg() { return *reg_; }
    bool hasRegister() const { return reg_ != nullptr; }

    bool has(std::string_view param) const { return object.in.contains(k(param)); }
    QVariant in(std::string_view param) const { return object.in.value(k(param)); }
    // The integer a parameter holds; nullopt when it is not set or holds no integer (a text
    // counts only on an object that converts texts, see ObjectState::textNumbers).
    std::optional<qint64> inNumber(std::string_view param) const {
        const QVariant v = in(param);
        bool ok = false;
        qint64 n = 0;
        switch (v.typeId()) {
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::LongLong:
            case QMetaType::ULongLong:
                n = v.toLongLong(&ok);
                break;
            case QMetaType::QString:
                if (object.textNumbers) n = v.toString().trimmed().toLongLong(&ok);
                break;
            case QMetaType::Bool:
            case QMetaType::Double:
                if (object.textNumbers) n = v.toLongLong(&ok);
                break;
            default:
                break;
        }
        return ok ? std::optional<qint64>(n) : std::nullopt;
    }
    int inInt(std::string_view param, int fallback = 0) const {
        const auto n = inNumber(param);
        return n && *n >= INT_MIN && *n <= INT_MAX ? int(*n) : fallback;
    }
    void out(std::string_view param, const QVariant& v) { object.out.insert(k(param), v); }
    void outId(int id, const QVariant& v) { object.out.insert(id, v); }
    void clearOut() { object.out.clear(); }

    int ok() {
        object.errorCode = 0;
        object.errorDescription = errorText(0);
        return 0;
    }
    int fail(int code, const QString& description = {}) {
        object.errorCode = code;
        object.errorDescription = description.isEmpty() ? errorText(code) : description;
        return -1;
    }
    int fail(std::string_view errorName) { return fail(k(errorName)); }
    // 0 or -1 after an error code that may be 0.
    int result(int code, const QString& description = {}) {
        return code == 0 ? ok() : fail(code, description);
    }

  private:
    Register* reg_;
};

using Operation = int (*)(Call&);
struct OperationEntry {
    Operation run = nullptr;
    bool needsRegister = true;  // fails with "connection disabled" when none is connected
    bool keepsParams = false;   // the parameters set before it survive the call
};
using OperationTable = QHash<QString, OperationEntry>;

// Why the printer can't print now (cover open, no paper), as an error code; 0 when it can.
int printerFault(const Register& r);
// Why the register refuses to print the barcode the call describes, as an error code; 0 when it
// prints it.
int barcodeRefusal(Call& c);

// The register `open` reaches with the object's applied connection settings; null when none.
std::shared_ptr<Register> openTarget(const ObjectState& state);
// Members about the object's settings and error that answer a value rather than a result
// (getSingleSetting, getSettings, errorRecommendation); nullopt for any other member.
std::optional<QVariant> connectionAccessor(ObjectState& state, const QString& method,
                                           const QVariantList& args);

// Whether a parameter was set as an integer (as the driver's integer setter gives it), not as
// text, a fraction or a flag.
bool isIntegerValue(const QVariant& v);

// The shift as fiscal operations see it: whether it ran past its 24 hours; opening it (its number,
// fresh counters, the opening document) as the first fiscal operation of a closed shift does.
bool shiftExpired(const Register& r);
void resetShiftCounters(Register& r);
void openShiftNow(Register& r);

// The register's receipt once closed or cancelled: no type, its numbers kept.
OpenReceipt closedReceipt(const Register& r, int documentNumber);
// The document the open receipt becomes: its tags (shift, numbers, items, payments by kind, VAT
// sums, operator, taxation system, registration and storage numbers). `paidByType` is what each
// payment type paid net of change, `cashNet` the cash part.
QJsonObject receiptDocument(const Register& r, const QHash<int, double>& paidByType,
                            double cashNet);
// The register's registration number (1037) as documents carry it, trimmed.
QString registrationNumberOf(const Register& r);
// The receipt's QR text (t=...&s=...&fn=...&i=...&fp=...&n=...) of a numbered, signed document.
QString receiptQr(const QJsonObject& documentTlv);

// Each area of the register adds its operations.
void addConnectionOperations(OperationTable& table);
void addStatusOperations(OperationTable& table);
void addStorageOperations(OperationTable& table);
void addSettingsOperations(OperationTable& table);
void addShiftOperations(OperationTable& table);
void addPrintOperations(OperationTable& table);
void addPictureOperations(OperationTable& table);
void addReceiptOperations(OperationTable& table);

// What a printed text takes on paper: one line per line of the text, at most `width`
// characters each. Without wrapping (LIBFPTR_TW_NONE) the rest of a longer line is cut off; by
// words it breaks after the last space that fits (or at the width when there is none); by
// characters at the width.
QStringList paperLines(const QString& text, int width, int wrap);

}  // namespace emu
