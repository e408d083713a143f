#pragma once
// Monitoring figures of registers in the Prometheus text exposition format.
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

namespace drv {
class Fptr;
}

namespace cli {

struct Outcome;

// The storage warnings of getFnInfo, each exposed as 0/1.
inline const QStringList kFnWarnings = {
    QStringLiteral("criticalError"), QStringLiteral("memoryOverflow"),
    QStringLiteral("needReplacement"), QStringLiteral("ofdTimeout"),
    QStringLiteral("resourceExhausted")};

// Reads the figures of an opened register at `now`: a JSON object of the values found (a value
// the register did not give is left out).
QJsonObject readMetrics(drv::Fptr& f, const QDateTime& now);

// The exposition of every outcome (reachable or not), families in a fixed order, registers in
// the order given.
QString exposition(const QList<Outcome>& outcomes);

// Writes `text` to `path` through a temporary file beside it and a rename; false with `error`.
bool writeAtomically(const QString& path, const QByteArray& bytes, QString* error);

}  // namespace cli
