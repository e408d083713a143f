#pragma once
// Benches for tests: the demo bench and benches changed from it.
#include <QByteArray>
#include <QJsonObject>

namespace testing_support {

// Makes `json` the bench in use (empty: the demo bench).
void useBench(const QByteArray& json);
// The demo bench as a JSON object, for tests that change a part of it.
QJsonObject demoBench();
QByteArray toJson(const QJsonObject& o);

}  // namespace testing_support
