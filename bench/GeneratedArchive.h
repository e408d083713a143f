#pragma once
// The bench of the archive benchmarks: one fiscal register on COM5 whose storage holds a
// generated archive of `size` documents (two shifts a day, 0 to 60 receipts a shift, the first
// 100 documents held in short form), `latencyMs` per driver operation.
#include <QByteArray>
#include <QString>

namespace bench {

inline QByteArray generatedArchiveBench(int size, int latencyMs, int seed) {
    return QStringLiteral(
               R"({"pc": {"latencyMs": %2}, "registers": [{"com": "COM5", "platform": "5",
        "serial": "00106107311234", "flags": {"fiscal": true, "fnPresent": true, "fnFiscal": true},
        "registration": {"1209": 4},
        "fn": {"info": {"serial": "7380440700123456"},
               "archive": {"size": %1, "seed": %3, "startDay": "2021-01-11", "shiftsPerDay": 2,
                           "receiptsPerShift": [0, 60], "shortBelow": 100}}}]})")
        .arg(size)
        .arg(latencyMs)
        .arg(seed)
        .toUtf8();
}

}  // namespace bench
