#pragma once
// The fiscal storage report of the ФН tab: JSON tasks getFnDocument (first registration),
// getFnInfo, getFnStatus and ofdExchangeStatus, and the storage queries between them.
#include <QString>
#include <optional>

#include "info/ReportRow.h"

namespace drv {
class Fptr;
}

namespace info {

inline const QString kFnAbsentMessage = QStringLiteral("Фискальный накопитель не установлен");

// Status query; the text of LIBFPTR_PARAM_FN_PRESENT ("True" or "False").
QString fnPresentText(drv::Fptr& f);

ReportRows buildFnReport(drv::Fptr& f);

// The first registration's moment (tag 1012 of document 1) shown in the PC's local time: a
// text without zone (or with "Z") is UTC, a text with an offset goes through that offset.
// Empty when the text is not an ISO 8601 date-time.
QString firstRegistrationText(const QString& isoText);
// The storage's validity date shown in UTC (a text without zone is taken as it stands).
QString validityDateText(const QString& isoText);
// Whole months of 30.4375 days between two date-time texts as shown; nullopt when either
// can't be read back.
std::optional<qint64> validityMonths(const QString& firstText, const QString& lastText);
QString livePhaseText(const QString& phase);
// "true" Да, "false" Нет, anything else empty.
QString trueFalseText(const std::optional<QString>& text);
// Maximum FFD version of the storage: 100 has no name and stays "100".
QString fnMaxFfdText(int version);

}  // namespace info
