#include "emulator/VirtualRegister.h"

#include <QThread>

#include "emulator/Bench.h"
#include "emulator/json/JsonTasks.h"

namespace emu {
namespace {

const OperationTable& operations() {
    static const OperationTable table = [] {
        OperationTable t;
        addConnectionOperations(t);
        addStatusOperations(t);
        addStorageOperations(t);
        addSettingsOperations(t);
        addShiftOperations(t);
        addPrintOperations(t);
        addPictureOperations(t);
        addReceiptOperations(t);
        json::addJsonTaskOperations(t);
        return t;
    }();
    return table;
}

}  // namespace

std::unique_ptr<drv::IDispatch> VirtualRegister::create(const QString& progId) {
    if (progId.compare(QLatin1String(drv::kProgId), Qt::CaseInsensitive) != 0) return nullptr;
    if (!World::instance().driverCreatable()) return nullptr;
    return std::make_unique<VirtualRegister>();
}

std::optional<QVariant> VirtualRegister::constant(const QString& name) const {
    if (const auto v = drv::constantValue(name)) return QVariant(*v);
    if (const auto key = drv::settingKey(name)) return QVariant(*key);
    return std::nullopt;
}

std::optional<int> VirtualRegister::lastErrorCode() const {
    std::lock_guard lock(mutex_);
    return state_.errorCode;
}

std::shared_ptr<Register> VirtualRegister::connected() const {
    std::lock_guard lock(mutex_);
    return state_.opened;
}

// Members that only touch the object itself: no link, no pause.
std::optional<QVariant> VirtualRegister::accessor(const QString& method, const QVariantList& args) {
    Call call(state_, nullptr, args);
    if (method == QLatin1String(drv::members::errorCode)) return QVariant(state_.errorCode);
    if (method == QLatin1String(drv::members::errorDescription))
        return QVariant(state_.errorDescription);
    if (method == QLatin1String(drv::members::version))
        return QVariant(World::instance().driverVersion());
    if (method == QLatin1String(drv::members::isOpened)) return QVariant(state_.opened != nullptr);
    if (method == QLatin1String(drv::members::resetError)) {
        call.ok();
        return QVariant();
    }
    if (method == QLatin1String(drv::members::resetParams)) {
        state_.in.clear();
        return QVariant(call.ok());
    }
    if (auto v = connectionAccessor(state_, method, args)) return v;
    // user parameters are tags of the next document, kept with the others
    if (method == QLatin1String(drv::members::setParam) ||
        method == QLatin1String(drv::members::setNonPrintableParam) ||
        method == QLatin1String(drv::members::setUserParam)) {
        if (args.size() < 2)
            return QVariant(call.fail(drv::names::LIBFPTR_ERROR_NO_REQUIRED_PARAM));
        state_.in.insert(args[0].toInt(), args[1]);
        return QVariant(call.ok());
    }
    if (method == QLatin1String(drv::members::isParamAvailable)) {
        return QVariant(!args.isEmpty() && state_.out.contains(args[0].toInt()));
    }
    if (!method.startsWith(QLatin1String("getParam"))) return std::nullopt;
    if (args.isEmpty()) return QVariant(call.fail(drv::names::LIBFPTR_ERROR_NO_REQUIRED_PARAM));
    const QVariant v = state_.out.value(args[0].toInt());
    if (method == QLatin1String(drv::members::getParamInt)) return QVariant(v.toInt());
    if (method == QLatin1String(drv::members::getParamBool)) return QVariant(v.toBool());
    if (method == QLatin1String(drv::members::getParamDouble)) return QVariant(v.toDouble());
    if (method == QLatin1String(drv::members::getParamDateTime)) return QVariant(v.toDateTime());
    if (method == QLatin1String(drv::members::getParamByteArray)) return QVariant(v.toByteArray());
    if (method == QLatin1String(drv::members::getParamString)) {
        if (v.typeId() == QMetaType::Bool) return QVariant(v.toBool() ? "1" : "0");
        if (v.typeId() == QMetaType::QDateTime)
            return QVariant(v.toDateTime().toString(Qt::ISODate));
        return QVariant(v.toString());
    }
    return std::nullopt;
}

bool VirtualRegister::injectedError(Register& reg, const QString& method) {
    bool counted = false;
    int n = 0;
    for (const auto& e : reg.errors) {
        if (e.method != method) continue;
        if (!counted) {
            n = ++reg.callCounts[method];
            counted = true;
        }
        if (n >= e.fromCall && (e.times <= 0 || n < e.fromCall + e.times)) {
            Call(state_, &reg, {}).fail(e.code, e.description);
            return true;
        }
    }
    return false;
}

std::optional<QVariant> VirtualRegister::invoke(const QString& method, const QVariantList& args) {
    std::lock_guard objectLock(mutex_);
    if (auto v = accessor(method, args)) return v;
    const auto it = operations().constFind(method);
    if (it == operations().constEnd()) return std::nullopt;
    const OperationEntry& op = *it;

    // A serial link takes its time per call. No lock of a register is held meanwhile, so other
    // objects (the scan's probes) go on.
    std::shared_ptr<Register> target =
        method == QLatin1String(drv::members::open) ? openTarget(state_) : state_.opened;
    const int latency = state_.opened && state_.opened->latencyMs ? *state_.opened->latencyMs
                                                                  : World::instance().pcLatencyMs();
    if (latency > 0) QThread::msleep(ulong(latency));

    const auto finish = [&](int result) {
        if (!op.keepsParams) state_.in.clear();
        return QVariant(result);
    };
    if (op.needsRegister && !state_.opened)
        return finish(
            Call(state_, nullptr, args).fail(drv::names::LIBFPTR_ERROR_CONNECTION_DISABLED));
    std::unique_lock<std::mutex> registerLock;
    if (target) {
        registerLock = std::unique_lock(target->mutex);
        if (injectedError(*target, method)) return finish(-1);
    }
    Call call(state_, target.get(), args);
    return finish(op.run(call));
}

}  // namespace emu
