#include "app/ui/Program.h"

#include <QJsonObject>

#include "emulator/Bench.h"
#include "emulator/VirtualPc.h"
#include "emulator/VirtualRegister.h"
#include "platform/LinuxPc.h"
#include "service/ui/ServPage.h"
#include "settings/ui/SetPage.h"

namespace app {

std::unique_ptr<platform::IPc> setUpDriverAndPc() {
    auto& world = emu::World::instance();  // throws emu::BenchError
    drv::setDispatchFactory(&emu::VirtualRegister::create);
    std::lock_guard lock(world.mutex());
    if (world.pc().value("real").toBool(false))
        return std::make_unique<platform::LinuxPc>(world.pc().value("windowsRoot").toString("/"));
    return std::make_unique<emu::VirtualPc>();
}

Program createProgram() {
    Program p;
    p.pc = setUpDriverAndPc();
    p.mainWindow = std::make_unique<TFormSet>(*p.pc);
    p.clockSetter = std::make_unique<service::LinuxClockSetter>();
    p.mainWindow->servPage->setClockSetter(p.clockSetter.get());
    createDialogs(p);
    return p;
}

void createDialogs(Program& p) {
    p.portDialog = std::make_unique<TformPortSet>(p.mainWindow.get());
    p.updateDialog = std::make_unique<update::TFormUpdate>(nullptr, p.mainWindow.get());
    p.mainWindow->setUpdateDialog(p.updateDialog.get());
    p.setEditor = std::make_unique<settings::TFormSetSet>(p.mainWindow.get());
    p.mainWindow->setPage->setEditor(p.setEditor.get());
}

}  // namespace app
