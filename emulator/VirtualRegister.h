#pragma once
// The virtual register: one driver object of the emulated driver. The registers' state lives in
// the bench (World) and is shared by every driver object, as real registers are; this object
// holds only what a driver object holds (parameters, error, connection settings).
#include <mutex>

#include "driver/Dispatch.h"
#include "emulator/ops/Call.h"

namespace emu {

class VirtualRegister : public drv::IDispatch {
  public:
    VirtualRegister() = default;
    std::optional<QVariant> constant(const QString& name) const override;
    std::optional<QVariant> invoke(const QString& method, const QVariantList& args) override;
    std::optional<int> lastErrorCode() const override;

    // The factory for drv::setDispatchFactory: makes objects of "AddIn.Fptr10" unless the bench
    // says the driver's automation object is not registered.
    static std::unique_ptr<drv::IDispatch> create(const QString& progId);

    // From now on a parameter set as text no longer stands for a number or a flag, as in the
    // maker's C library (ObjectState::textNumbers).
    void keepParameterKinds() {
        std::lock_guard lock(mutex_);
        state_.textNumbers = false;
    }

    // The register this object is connected to (null when none), for tests.
    std::shared_ptr<Register> connected() const;

  private:
    std::optional<QVariant> accessor(const QString& method, const QVariantList& args);
    bool injectedError(Register& reg, const QString& method);

    mutable std::mutex mutex_;  // one driver object is one caller's at a time
    ObjectState state_;
};

}  // namespace emu
