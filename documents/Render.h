#pragma once
// The rendering of one fiscal document as a plain-text receipt for the Чеки tab.
//
// readRenderSource() makes the driver calls of one rendering (the document task, the by-number
// storage query, the tax constants, the registration queries); render() turns what they gave
// into the lines of the view, without a window, so a rendering can be checked line by line.
#include <QDateTime>
#include <QStringList>
#include <QTimeZone>
#include <functional>
#include <optional>

#include "documents/DocumentAnswer.h"

namespace drv {
class Fptr;
}
namespace ui {
class IUi;
}

namespace documents {

// The control that started a rendering. Only the shift steps move the date picker.
enum class Sender {
    ShowButton,        // btnCheckSowCheck
    NumberBox,         // edtCheckNumCheck, Enter
    NextDocument,      // btnCheckNext
    PreviousDocument,  // btnCheckPrev
    DateSearch,        // btnCheckSearch
    NextShift,         // btnShiftNext
    PreviousShift      // btnShiftPrev
};

// The by-number storage query of the same document.
struct ByNumberInfo {
    QString fiscalSign;         // LIBFPTR_PARAM_FISCAL_SIGN as returned (possibly empty)
    bool hasOfdTicket = false;  // LIBFPTR_PARAM_HAS_OFD_TICKET
};

// Decimal texts of the driver's VAT constants (LIBFPTR_TAX_...); empty when not read.
struct VatCodes {
    QString vat20, vat10, vat120, vat110, vat0, no;
};

// Decimal texts of the driver's taxation-system constants (LIBFPTR_TT_...); empty when not read.
struct TaxationCodes {
    QString osn, usnIncome, usnIncomeOutcome, esn, patent;
};

// The register's current registration data for the block under the document.
struct RegistrationData {
    QString user;       // 1048
    QString inn;        // 1018
    QString taxation;   // 1062
    QString address;    // 1009
    QString place;      // 1187
    QString regNumber;  // 1037
    QString serial;     // LIBFPTR_PARAM_SERIAL_NUMBER after the status query
    QString fnSerial;   // LIBFPTR_PARAM_SERIAL_NUMBER after the storage information query
    TaxationCodes codes;
};

// Everything one rendering takes from the driver.
struct RenderSource {
    DocumentAnswer answer;
    ByNumberInfo byNumber;
    VatCodes vat;
    std::optional<RegistrationData> registration;  // only when the block is asked for
};

struct Rendering {
    QStringList lines;  // the view's lines, top to bottom
    // curCheckShiftNum_: the document's shift number (key 1038), "-1" when it has none.
    QString shiftNumber;
    // The value for dtpCheck: the document's local date and time, only when a shift step
    // started the rendering and the document has a readable 1012.
    std::optional<QDateTime> pickerDateTime;
    bool receiptType = false;     // the receipt-type flag
    bool bothScrollBars = false;  // the registration block is shown
    QString text() const { return lines.join(u'\n'); }
};

// The widest receipt line of the registers, in characters: the view shows at least this much.
constexpr int kWidestReceiptLine = 48;

// The longest run of "=" the view shows on one line, at most 500: `measure` gives the drawn
// width of a text in the view's font, `clientWidth` is the view's client width in the same unit.
int separatorLength(const std::function<int(const QString&)>& measure, int clientWidth);

// The document number of the number box: decimal digits only (surrounding blanks ignored),
// at most 4294967295; nullopt for anything else.
std::optional<qint64> documentNumber(const QString& text);

// The JSON task that reads document `number`.
QString documentTask(qint64 number);

// The driver calls of one rendering, in the handler's order. A driver error of the task is
// shown through `ui` ("(code) description") and the rendering goes on. An answer that is not a
// JSON object is shown through `ui` with the parser's message and gives nullopt: the view stays
// cleared and nothing else changes.
std::optional<RenderSource> readRenderSource(drv::Fptr& fptr, ui::IUi& ui, qint64 number,
                                             bool withRegistration);

// The lines of the view for width `width` (the separator length). `zone` is the time zone of
// the shown date and time; nullopt means the PC's local time.
Rendering render(const RenderSource& source, int width, Sender sender,
                 const std::optional<QTimeZone>& zone = std::nullopt);

// The lines of one item's name and tail laid out against a line of `width` characters: both on
// one line with the tail flush right; or the name on a line of its own and the tail flush right
// below; or, for a name longer than the line, name, one blank and tail on one line.
QStringList itemLines(const QString& name, const QString& tail, int width);

}  // namespace documents
