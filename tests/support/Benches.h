#pragma once
// Benches for tests: the demo bench and benches changed from it.
#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QStringList>

namespace testing_support {

// Makes `json` the bench in use (empty: the demo bench).
void useBench(const QByteArray& json);
// The demo bench as a JSON object, for tests that change a part of it.
QJsonObject demoBench();
QByteArray toJson(const QJsonObject& o);

// The date and time a register of the demo bench (+03:00) shows for `moment`, as the driver hands
// date-times out (a local date-time, whatever the PC's zone).
QDateTime registerWallTime(const QDateTime& moment);
// The same for an ISO date-time text ("2023-03-14T09:15:00+03:00").
QDateTime registerWallTime(const QString& isoMoment);
// The demo register's clock `offsetSeconds` from now.
QDateTime registerWallClock(qint64 offsetSeconds = 0);

// A driver-log entry as "method(arg,arg)" (numbers with up to 12 significant digits).
QString callText(const QJsonObject& entry);
// The driver calls of a driver-log file, in order, as callText gives them.
QStringList loggedCalls(const QString& logPath);

}  // namespace testing_support
