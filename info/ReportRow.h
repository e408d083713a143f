#pragma once
// One row of a report list as the report builders produce it: its cell texts and its row mark
// (0 plain, 10 separator band, 20 group caption band).
#include <QList>
#include <QStringList>
#include <optional>

namespace info {

// The names of the FFD versions every report shares: 0 "Неизвестно", 105 "1.05", 110 "1.1",
// 120 "1.2"; other numbers have no name here (each report says what it shows for them).
inline std::optional<QString> ffdName(int version) {
    switch (version) {
        case 0:
            return QStringLiteral("Неизвестно");
        case 105:
            return QStringLiteral("1.05");
        case 110:
            return QStringLiteral("1.1");
        case 120:
            return QStringLiteral("1.2");
        default:
            return std::nullopt;
    }
}

struct ReportRow {
    QStringList cells;
    int mark = 0;
    bool operator==(const ReportRow&) const = default;
};

using ReportRows = QList<ReportRow>;

}  // namespace info
