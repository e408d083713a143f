#pragma once
// The program: the driver and PC in use, the main window and its three dialogs.
#include <QString>
#include <functional>
#include <memory>

#include "app/DriverSetup.h"
#include "app/ui/Dialogs.h"
#include "app/ui/UnitSet.h"
#include "platform/Pc.h"
#include "service/PcClock.h"
#include "settings/ui/TFormSetSet.h"
#include "update/ui/TFormUpdate.h"

namespace platform {
class IPc;
}

namespace app {

struct Program {
    std::unique_ptr<platform::IPc> pc;
    // The PC clock the Сервис tab sets from NTP: the system's in the program; tests never
    // give one that changes the machine's clock.
    std::unique_ptr<service::IClockSetter> clockSetter;
    std::unique_ptr<TFormSet> mainWindow;
    std::unique_ptr<TformPortSet> portDialog;
    std::unique_ptr<update::TFormUpdate> updateDialog;
    std::unique_ptr<settings::TFormSetSet> setEditor;
};

// Creates the dialogs of a program whose main window exists, in the program's order.
void createDialogs(Program& p);
// Creates the main window and the dialogs in the program's order.
Program createProgram();

}  // namespace app
