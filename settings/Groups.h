#pragma once
// The groups of the settings list, in display order, with the identifiers each one holds.
// Identifiers in no group are not shown.
#include <QList>
#include <QString>

namespace settings {

struct Group {
    QString name;
    QList<int> ids;  // ascending; the list itself keeps the register's reading order
};

// The nineteen groups, from "Общие" to "Скидки/Надбавки".
const QList<Group>& groups();
// Index into groups() of the group holding `id`, or -1.
int groupOf(int id);

inline const QString kClicheGroup = QStringLiteral("Клише");

}  // namespace settings
