#pragma once
// Benches for tests: the demo bench and benches changed from it.
#include <QByteArray>
#include <QJsonObject>
#include <QStringList>

namespace testing_support {

// Makes `json` the bench in use (empty: the demo bench).
void useBench(const QByteArray& json);
// The demo bench as a JSON object, for tests that change a part of it.
QJsonObject demoBench();
QByteArray toJson(const QJsonObject& o);

// A driver-log entry as "method(arg,arg)" (numbers with up to 12 significant digits).
QString callText(const QJsonObject& entry);
// The driver calls of a driver-log file, in order, as callText gives them.
QStringList loggedCalls(const QString& logPath);

}  // namespace testing_support
