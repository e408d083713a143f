#pragma once
// Shared steps of the device information GUI tests: bench variants, connecting the window to
// a virtual register, and the driver log as "method(args)" texts.
#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>
#include <functional>

#include "app/Connection.h"
#include "app/ui/UnitSet.h"
#include "discovery/ui/ConnectPage.h"
#include "tests/support/GuiHarness.h"

namespace info_test {

using Edit = std::function<void(QJsonObject&)>;

// The demo bench with register `index` (0 the USB register on COM5, 1 the network one)
// changed by `edit`.
inline void useBenchWith(int index, const Edit& edit) {
    auto root = testing_support::demoBench();
    auto regs = root.value("registers").toArray();
    auto r = regs[index].toObject();
    edit(r);
    regs[index] = r;
    root["registers"] = regs;
    testing_support::useBench(testing_support::toJson(root));
}

inline QJsonObject merged(QJsonObject base, const QJsonObject& changes) {
    for (auto i = changes.begin(); i != changes.end(); ++i) base[i.key()] = i.value();
    return base;
}

// Connects the window as the connect action does: "5" the USB register, an IP the network one.
inline bool connectTo(testing_support::GuiHarness& h, const QString& portOrIp) {
    auto& session = h.window()->session();
    const QString result = h.window()->connectPage->connection().check_openKKM_com(portOrIp, true);
    session.setKkmConnected(!result.isEmpty());
    return session.kkmConnected();
}

// Driver calls logged from entry `from` on, as "method(arg,arg)".
inline QStringList callsFrom(const testing_support::GuiHarness& h, int from) {
    QStringList out;
    const auto log = h.driverLog();
    for (int i = 0; i < log.size(); ++i) {
        const auto& o = log[i];
        if (!o.contains("method")) continue;
        if (i < from) continue;
        out << testing_support::callText(o);
    }
    return out;
}

inline QString valueOf(const QList<QStringList>& rows, const QString& caption) {
    for (const auto& r : rows)
        if (r.value(0) == caption) return r.value(1);
    return QStringLiteral("<no row>");
}

}  // namespace info_test
