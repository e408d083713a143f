#pragma once
// How a value read from the driver becomes text, everywhere in the program: integers in decimal,
// booleans "True"/"False", floating-point numbers in the shortest decimal form that reads back as
// the same number (no exponent, no thousands separator) with the system's decimal separator,
// date-times in the system's short-date and long-time format.
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QVariant>

namespace drv {

QString valueText(const QVariant& v);
QString boolText(bool b);
QString doubleText(double d);
QString dateTimeText(const QDateTime& dt);
// The format dateTimeText uses, e.g. "dd.MM.yyyy HH:mm:ss" on a Russian system.
QString dateTimeFormat();
// Reads a text made by dateTimeText back; invalid when it does not parse.
QDateTime parseDateTimeText(const QString& text);
// ISO 8601 as the driver's JSON answers write it; a text without zone is UTC.
QDateTime parseIsoDateTime(const QString& text);

}  // namespace drv
