#pragma once
// The device status report of the ККМ tab: model, versions, voltages, modules, flags, FFD
// versions, shift and receipt states, the non-resettable total, the clock and the licences.
#include <QString>

#include "info/ReportRow.h"

namespace drv {
class Fptr;
}

namespace info {

// Builds every row (28 fixed rows, then one per licence). Setting 37 is switched off for the
// duration when it reads "1" and written back as 1 at the end; any other value is not touched.
ReportRows buildDeviceStatusReport(drv::Fptr& f, bool isP5);

// "Да" unless the boolean's text is "False".
QString yesNo(const QString& boolText);
// The cover row shows "Да" when the "opened" flag is "False".
QString invertedYesNo(const QString& boolText);
// The device's current FFD version: 100 has no name here and stays "100".
QString ffdCurrentText(int version);
// Maximum and minimum FFD versions: 100 is "1.0".
QString ffdRangeText(int version);
// "0" Закрыта, "1" Открыта, "2" Истекла (expiry), anything else empty.
QString shiftStateText(const QString& state, const QString& expiryText);
// The receipt type read from the driver, matched against the driver's LIBFPTR_RT_* constants:
// "Закрыт" or "Открыт чек ..."; a number that names no receipt type gives empty.
QString receiptStateText(drv::Fptr& f, int type);
// Result of the Wi-Fi query: -1 means no module ("Отсутствует" on platform 5, else
// "Неизвестно").
QString wifiText(int queryResult, bool isP5);
QString voltageText(double volts);

}  // namespace info
