#pragma once
// The registration report of the Регистрация tab: the registration values of the fiscal
// storage read by FFD tag, the getRegistrationInfo JSON task for the FFD 1.2 flags, and the
// last (re)registration after a separator row.
#include <QString>

#include "info/ReportRow.h"

namespace drv {
class Fptr;
class JsonAnswer;
}  // namespace drv

namespace info {

struct RegistrationReport {
    enum class Status { Built, NoStorage, NotFiscal };
    Status status = Status::Built;
    ReportRows rows;
};

inline const QString kNoStorageMessage =
    QStringLiteral("Регистрационные данные отсутствуют, ФН не найден.");
inline const QString kNotFiscalMessage =
    QStringLiteral("Регистрационные данные отсутствуют, ФН не фискализирован.");

RegistrationReport buildRegistrationReport(drv::Fptr& f);

// Names of the set bits among the lowest 8, bit 0 first, joined by ", " (empty names kept).
QString taxSystemsText(int mask);
// As taxSystemsText, but "Нет" when no bit is set.
QString agentFlagsText(int mask);
// Tag 1209: 0 "Неизвестно", 105/110/120 by name, anything else empty.
QString registrationFfdText(int version);
// The driver reads tag 1209 as the FFD format code (1 FFD 1.0, 2 FFD 1.05, 3 FFD 1.1, 4 FFD 1.2);
// the version number the report names: 1 -> 100, 2 -> 105, 3 -> 110, 4 -> 120, others as given.
int ffdVersionOfFormatCode(int code);
// The FFD 1.2 flags of getRegistrationInfo: "true" Да, "false" Нет, other texts empty; a path
// that is absent gives "Нет" on FFD 1.05 and 1.1 registers and empty otherwise.
QString jsonFlagText(const drv::JsonAnswer& answer, const QString& path, int ffdVersion);

}  // namespace info
