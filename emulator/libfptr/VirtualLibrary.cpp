// The virtual register as a C library (libvelmor-fptr-virtual.so): the libfptr_ functions of
// driver/libfptr/CExport.cpp over emu::VirtualRegister, reached only through drv::IDispatch.
#include "driver/libfptr/CExport.h"
#include "driver/libfptr/Ports.h"
#include "emulator/VirtualRegister.h"

namespace {

// The Linux library gets serial ports as device nodes; the bench names them the Windows way.
// A ComFile of /dev/ttyACM0 reaches the virtual register as COM101 (docs/ports.md).
class DeviceNodesAsPorts : public drv::IDispatch {
  public:
    explicit DeviceNodesAsPorts(std::unique_ptr<drv::IDispatch> inner)
        : inner_(std::move(inner)),
          comFileKey_(inner_->constant(QStringLiteral("LIBFPTR_SETTING_COM_FILE"))
                          .value_or(QVariant())
                          .toString()) {}

    std::optional<QVariant> constant(const QString& name) const override {
        return inner_->constant(name);
    }

    std::optional<QVariant> invoke(const QString& method, const QVariantList& args) override {
        if (method == QLatin1String("setSingleSetting") && args.size() >= 2 &&
            args[0].toString() == comFileKey_) {
            const QString port = drv::libfptr::portForDeviceNode(args[1].toString());
            if (!port.isEmpty()) return inner_->invoke(method, {args[0], port});
        }
        return inner_->invoke(method, args);
    }

  private:
    std::unique_ptr<drv::IDispatch> inner_;
    QString comFileKey_;
};

}  // namespace

std::unique_ptr<drv::IDispatch> drv::libfptr::exported::makeObject() {
    auto object = emu::VirtualRegister::create(QString::fromLatin1(drv::kProgId));
    if (!object) return nullptr;
    // The maker's library takes each parameter in the kind its setter gave; so does this one.
    static_cast<emu::VirtualRegister&>(*object).keepParameterKinds();
    return std::make_unique<DeviceNodesAsPorts>(std::move(object));
}
