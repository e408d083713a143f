#pragma once
// One row of a report list as the report builders produce it: its cell texts and its row mark
// (0 plain, 10 separator band, 20 group caption band).
#include <QList>
#include <QStringList>

namespace info {

struct ReportRow {
    QStringList cells;
    int mark = 0;
    bool operator==(const ReportRow&) const = default;
};

using ReportRows = QList<ReportRow>;

}  // namespace info
