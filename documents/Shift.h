#pragma once
// The Смена tab without windows: the shift report rows, the shift operations and the amount of
// cash in and cash out.
#include <QDateTime>
#include <QString>
#include <optional>

#include "info/ReportRow.h"

namespace drv {
class Fptr;
}
namespace ui {
class IUi;
}

namespace documents {

// The most a cash operation takes: ten digits of kopecks, 99 999 999,99.
inline constexpr qint64 kMaxAmountKopecks = 9'999'999'999;

inline const QString kAmountEmpty = QStringLiteral("Не указана сумма");
inline const QString kAmountNotNumber =
    QStringLiteral("Сумма \"%1\" не распознана. Укажите сумму в рублях, например 100,00");
inline const QString kAmountTooPrecise = QStringLiteral(
    "Сумма \"%1\" указана точнее копейки: после запятой допускается не больше двух цифр");
inline const QString kAmountNotPositive = QStringLiteral("Сумма должна быть больше нуля");
inline const QString kAmountTooLarge =
    QStringLiteral("Сумма \"%1\" больше допустимой для ККМ (99 999 999,99)");

// The amount box read exactly: the text for the driver (a point before the kopecks) or, when the
// text is not an amount of whole kopecks the register takes, the message that says why.
struct Amount {
    std::optional<QString> driverText;
    qint64 kopecks = 0;
    QString problem;
};
Amount parseAmount(const QString& text);

// Input filter of the amount box: digits 0 to 9 and the comma (Backspace is no character).
bool acceptsAmountKey(QChar key);

// The shift state row's value for `state`; `moment` is the driver's LIBFPTR_PARAM_DATE_TIME.
QString shiftStateText(drv::Fptr& fptr, int state, const QDateTime& moment);

// The sixteen rows of the shift report, read with plain queries in the report's order. Failed
// queries are not reported; their rows show what the driver answers.
info::ReportRows buildShiftReport(drv::Fptr& fptr);

inline const QString kCloseShiftQuestion =
    QStringLiteral("Закрыть смену?\r\n\r\nБудет напечатан отчёт о закрытии смены.");

// The shift operations; each ends with the driver's error report. Closing the shift is asked
// first (Enter alone answers no); false when the user said no.
void openShiftOperation(drv::Fptr& fptr, ui::IUi& ui);
bool closeShiftOperation(drv::Fptr& fptr, ui::IUi& ui);
void xReportOperation(drv::Fptr& fptr, ui::IUi& ui);
// Cash in (`income`) or cash out of the amount in `amountText`. An amount that is not exact
// is told and never reaches the register.
void cashOperation(drv::Fptr& fptr, ui::IUi& ui, const QString& amountText, bool income);

}  // namespace documents
