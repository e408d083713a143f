#include "app/DriverSetup.h"

#include <QCoreApplication>
#include <QJsonObject>

#include "app/DriverBinding.h"
#include "driver/libfptr/LibraryDispatch.h"
#include "emulator/Bench.h"
#include "emulator/VirtualPc.h"
#include "emulator/VirtualRegister.h"
#include "platform/LinuxPc.h"

namespace app {

std::unique_ptr<platform::IPc> setUpDriverAndPc(const QString& progdir) {
    return setUpDriverAndPc(progdir, [](const char* name) { return qEnvironmentVariable(name); });
}

std::unique_ptr<platform::IPc> setUpDriverAndPc(const QString& progdir, const Environment& env) {
    const QString dir = progdir.isEmpty() ? QCoreApplication::applicationDirPath() : progdir;
    const auto choice = drv::libfptr::chooseDriver(iniDriverLibrary(dir), dir, env);
    setDriverInUse(describe(choice));
    const bool library = choice.kind == drv::libfptr::BindingChoice::Kind::Library;
    if (library) {
        drv::setDispatchFactory(drv::libfptr::libraryFactory(choice.search.library));
        if (env("VELMOR_BENCH").isEmpty()) return std::make_unique<platform::LinuxPc>();
    }
    auto& world = emu::World::instance();  // throws emu::BenchError
    if (!library) drv::setDispatchFactory(&emu::VirtualRegister::create);
    std::lock_guard lock(world.mutex());
    if (world.pc().value("real").toBool(false))
        return std::make_unique<platform::LinuxPc>(world.pc().value("windowsRoot").toString("/"));
    return std::make_unique<emu::VirtualPc>();
}

}  // namespace app
