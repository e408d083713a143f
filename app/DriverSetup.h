#pragma once
// Choosing the driver and the PC at start-up, shared by the window and the command-line program.
#include <QString>
#include <functional>
#include <memory>

#include "platform/Pc.h"

namespace app {

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

}  // namespace app
