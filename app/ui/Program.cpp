#include "app/ui/Program.h"

#include "service/ui/ServPage.h"
#include "settings/ui/SetPage.h"

namespace app {

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
