#pragma once
// The program: the driver and PC in use, the main window and its three dialogs.
#include <QString>
#include <functional>
#include <memory>

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

// Reads an environment variable (tests give their own view of the environment).
using Environment = std::function<QString(const char* name)>;

// Chooses the driver (drv::libfptr::chooseDriver: VELMOR_FPTR_LIBRARY, VELMOR_BENCH, the INI
// option [Driver] library of `progdir`, the program's folder, the maker's places, the system's
// search), installs it as the driver class and records it for the window's status lines
// (app::setDriverInUse), then picks the PC: the real Linux PC for a library when no bench is
// set; otherwise the bench's PC (VELMOR_BENCH or the demo). A library named together with a
// bench is how the virtual register runs behind the C interface: libvelmor-fptr-virtual.so reads
// the same bench file for its registers. `progdir` empty: the executable's folder.
// Throws std::runtime_error with a message naming the bench file and the problem.
std::unique_ptr<platform::IPc> setUpDriverAndPc(const QString& progdir = {});
std::unique_ptr<platform::IPc> setUpDriverAndPc(const QString& progdir, const Environment& env);

// Creates the dialogs of a program whose main window exists, in the program's order.
void createDialogs(Program& p);
// Creates the main window and the dialogs in the program's order.
Program createProgram();

}  // namespace app
