#pragma once
// Walking the archive of the fiscal storage on the Чеки tab: the tab read, next and previous
// document, the date search, next and previous shift.
//
// The walks take the driver object and the window's IUi (messages, event processing); they
// show their messages themselves and return what the page does next: which document to show
// (the page writes the number into edtCheckNumCheck and renders it with the walk's control as
// sender), what to put into the number box, or a line for the view.
#include <QDate>
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

// Message texts of the tab.
inline const QString kNotConnected = QStringLiteral("ККМ не подключена");
inline const QString kFnNotFound = QStringLiteral("ФН не найден");
inline const QString kShiftStepInArchive = QStringLiteral("Переход по сменам в архиве недоступен.");
inline const QString kSearchInArchive =
    QStringLiteral("Документы с указанной датой находятся в архиве, поиск недоступен.");
inline const QString kReceiptClosed = QStringLiteral("Чек закрыт");
inline const QString kReceiptOpen = QStringLiteral("Чек открыт");
inline const QString kSearchCaption = QStringLiteral("Перейти к смене по дате");
inline const QString kAbortCaption = QStringLiteral("Прервать");

// A mark the page holds while a walk that processes window messages runs. It is the date
// search's running mark: a second press of the search button clears it. The page also clears
// it when the tab is reset or a connection is made, since the driver object may be replaced
// while a walk waits for messages; a walk never calls the driver after it finds the mark clear.
class RunMark {
  public:
    void set() { set_ = true; }
    void clear() { set_ = false; }
    bool isSet() const { return set_; }

  private:
    bool set_ = false;
};

// Reads document `number` with the JSON task; an empty or unusable answer gives a document
// without keys. No error report.
DocumentAnswer readDocument(drv::Fptr& fptr, qint64 number);

// The device state string: seven "t"/"f" characters for blocked, cover open, paper present,
// fiscal mode, storage in fiscal mode, storage present and shift open.
QString checkKKMstate(drv::Fptr& fptr);

// The tab read, first step: the state of the current receipt for edtCheckCurState ("Чек закрыт"
// or "Чек открыт"). A driver error of the status query is shown through `ui`.
QString readReceiptState(drv::Fptr& fptr, ui::IUi& ui);

// What the rest of the tab read puts into the tab.
struct TabState {
    bool fnFound = false;  // false: "ФН не найден" was shown and nothing else is filled
    QString lastNumber;    // edtCheckLstNum and edtCheckNumCheck; empty when unknown
    QString firstDate;     // edtCheckFirstDate
    QString lastDate;      // edtCheckLastDate
    std::optional<QDate> first;  // earliest selectable day of dtpCheck
    std::optional<QDate> last;   // latest selectable day of dtpCheck
    QString lastShift;           // lastCheckShiftNum_ and curCheckShiftNum_ ("-1" when unknown)
};

// The tab read from the device state on: the storage, the number of the last document, the
// dates of the first and the last document. A driver error of the storage status task is shown
// through `ui`; so is "ФН не найден".
TabState readArchiveState(drv::Fptr& fptr, ui::IUi& ui,
                          const std::optional<QTimeZone>& zone = std::nullopt);

// Input filter of the number box: digits 0 to 9 and Backspace.
bool acceptsNumberKey(QChar key);

// Next and previous document: the number to show, or nullopt when nothing happens (a box empty
// or not a number, already at the last document or at document 1).
std::optional<qint64> nextDocument(const QString& numberText, const QString& lastNumberText);
std::optional<qint64> previousDocument(const QString& numberText, const QString& lastNumberText);

// How a walk ended.
enum class WalkEnd {
    Nothing,      // preconditions not met, or nothing to do
    Shown,        // `show` holds the document to show
    NoDocuments,  // date search: no shift opened on the day (`viewLine`)
    NotFound,     // the walk ran out of documents
    Aborted,      // the run mark was cleared
    InArchive,    // a short document in the way; the message was shown
    DriverError   // a read failed; the driver's error was shown
};

struct WalkResult {
    WalkEnd end = WalkEnd::Nothing;
    std::optional<qint64> show;         // document to show with the walk's control as sender
    std::optional<QString> numberText;  // text to put into edtCheckNumCheck (nothing rendered)
    QString viewLine;                   // a line to add to mmoChekFormat
    int reads = 0;                      // document reads made by the walk
};

struct DateSearchInput {
    QString lastNumber;  // edtCheckLstNum
    QString lastDate;    // edtCheckLastDate
    QDate day;           // the date of dtpCheck
};

// The date search: the shift-opening document of the shift opened on `day`, walking back from
// the last document. `mark` is set by the page before the call; the walk pauses 50 ms and
// processes messages before every read and ends as soon as it finds the mark clear.
WalkResult dateSearch(drv::Fptr& fptr, ui::IUi& ui, const RunMark& mark, const DateSearchInput& in,
                      const std::optional<QTimeZone>& zone = std::nullopt);

struct ShiftStepInput {
    QStringList view;    // the lines of mmoChekFormat before the step
    QString number;      // edtCheckNumCheck
    QString lastNumber;  // edtCheckLstNum
    QString curShift;    // curCheckShiftNum_
    QString lastShift;   // lastCheckShiftNum_ (next shift only)
    // Clears mmoChekFormat (vertical scroll bar only); called once the walk starts reading.
    std::function<void()> clearView;
};

// Next shift: the opening document of the shift after the shown one. Messages are processed
// before every read.
WalkResult nextShift(drv::Fptr& fptr, ui::IUi& ui, const RunMark& mark, const ShiftStepInput& in);

// Previous shift: the opening document of the shown document's shift, or of the shift before
// when an opening is shown.
WalkResult previousShift(drv::Fptr& fptr, ui::IUi& ui, const RunMark& mark,
                         const ShiftStepInput& in);

// The text of the date search's no-documents line.
QString noDocumentsLine(const QDate& day);
// A day as the system's short date (four-digit year).
QString dayText(const QDate& day);

}  // namespace documents
