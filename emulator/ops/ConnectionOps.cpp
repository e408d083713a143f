// Connection: settings of the link, open and close.
#include "driver/Versions.h"
#include "emulator/Bench.h"
#include "emulator/ops/Call.h"

namespace emu {
namespace {

using namespace drv::names;

int doSetSingleSetting(Call& c) {
    if (c.args.size() < 2) return c.fail(LIBFPTR_ERROR_NO_REQUIRED_PARAM);
    c.object.pendingSingle.insert(c.args[0].toString(), c.args[1]);
    return c.ok();
}

int doApplySingleSettings(Call& c) {
    for (auto i = c.object.pendingSingle.constBegin(); i != c.object.pendingSingle.constEnd(); ++i)
        c.object.singleSettings.insert(i.key(), i.value());
    c.object.pendingSingle.clear();
    return c.ok();
}

int doOpen(Call& c) {
    auto& w = World::instance();
    const auto& s = c.object.singleSettings;
    c.object.opened.reset();
    std::shared_ptr<Register> reg;
    if (s.value(QStringLiteral("Port")).toInt() == k(LIBFPTR_PORT_TCPIP)) {
        reg = w.findByAddress(s.value(QStringLiteral("IPAddress")).toString(),
                              s.value(QStringLiteral("IPPort")).toInt());
        if (!reg) return c.fail(LIBFPTR_ERROR_NO_CONNECTION);
    } else {
        const QString file = s.value(QStringLiteral("ComFile")).toString();
        reg = w.findByPort(file);
        // a port the virtual PC has but no register answers on, or no port at all
        if (!reg)
            return c.fail(w.pcHasPort(file) ? LIBFPTR_ERROR_NO_CONNECTION
                                            : LIBFPTR_ERROR_PORT_NOT_AVAILABLE);
        if (w.portBusy(reg->com)) return c.fail(LIBFPTR_ERROR_PORT_BUSY);
    }
    if (reg->platform == QLatin1String("2.5") &&
        drv::compareVersions(QStringLiteral("10.10.0.0"), w.driverVersion()) == 2)
        return c.fail(LIBFPTR_ERROR_NOT_SUPPORTED);
    if (reg->offline) return c.fail(LIBFPTR_ERROR_NO_CONNECTION);
    c.object.opened = std::move(reg);
    return c.ok();
}

int doClose(Call& c) {
    c.object.opened.reset();
    c.object.records = {};
    return c.ok();
}

}  // namespace

void addConnectionOperations(OperationTable& t) {
    namespace m = drv::members;
    t.insert(m::setSingleSetting, {&doSetSingleSetting, false, true});
    t.insert(m::applySingleSettings, {&doApplySingleSettings, false, false});
    t.insert(m::open, {&doOpen, false, false});
    t.insert(m::close, {&doClose, false, false});
}

}  // namespace emu
