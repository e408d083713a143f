#include "tests/support/Benches.h"

#include <QJsonDocument>

#include "emulator/Bench.h"

namespace testing_support {

void useBench(const QByteArray& json) {
    if (json.isEmpty())
        emu::World::instance().loadDemo();
    else
        emu::World::instance().loadJson(json, QStringLiteral("test bench"));
}

QJsonObject demoBench() {
    return QJsonDocument::fromJson(emu::World::demoBenchJson()).object();
}

QByteArray toJson(const QJsonObject& o) {
    return QJsonDocument(o).toJson();
}

}  // namespace testing_support
