#pragma once
// Finding and binding the register driver at start-up, and what the Подключение tab says of it.
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "driver/Fptr.h"
#include "driver/libfptr/Search.h"

namespace platform {
class IPc;
}

namespace app {

inline const QString kWindowCaption = QStringLiteral("Velmor АТОЛ ККТ 1.1 Beta");
inline const QString kDistributorAddress = QStringLiteral("www.velmor-kkt.ru");

namespace paths {
inline const QString programFilesX86 = QStringLiteral("c:\\Program Files (x86)");
inline const QString x86Present =
    QStringLiteral("c:\\Program Files (x86)\\ATOL\\Drivers10\\KKT\\bin\\fptr10.dll");
inline const QString x86Version =
    QStringLiteral("c:\\Program Files (x86)\\ATOL\\Drivers10\\kkt\\bin\\fptr10.dll");
inline const QString pfPresent =
    QStringLiteral("c:\\Program Files\\ATOL\\Drivers10\\KKT\\bin\\fptr10.dll");
inline const QString pfVersion =
    QStringLiteral("c:\\Program Files\\ATOL\\Drivers10\\kkt\\bin\\fptr10.dll");
inline const QString addin = QStringLiteral(
    "c:\\Program Files (x86)\\ATOL\\Drivers10\\kkt\\langs\\com\\addin_fptr10_x86.dll");
}  // namespace paths

struct Binding {
    bool is32prog = true;
    bool is32os = false;
    bool drvX86 = false;
    bool drvX64 = false;
    bool fptrOK = false;
    QString drvVer;
    QString titleSuffix;      // appended to the window caption
    QString label;            // lblDrvVer
    QString downloadCaption;  // btnDrvDown
    QStringList memoLines;    // lines added to mmoInfo
    std::unique_ptr<drv::Fptr> fptr;
};

// The driver the program drives registers with, chosen once at start-up: the maker's C library
// (libfptr10.so, or one named in VELMOR_FPTR_LIBRARY or the INI option [Driver] library) or the
// built-in virtual register.
struct DriverInUse {
    bool library = false;     // a driver library is bound
    QString libraryPath;      // its file
    QString libraryVersion;   // libfptr_get_version_string
    bool bench = false;       // VELMOR_BENCH chose the virtual register
    QStringList statusLines;  // what the status memo says of the choice, in order
};

DriverInUse describe(const drv::libfptr::BindingChoice& choice);
// The INI option that names the driver library: [Driver] library of the user's settings file
// (pf/set.ini beside the program, or the user's own; see settingsFilePath) (`progdir` with or
// without its trailing separator); empty when not set.
QString iniDriverLibrary(const QString& progdir);
// The choice the program made; the binding of every window shown reports it.
void setDriverInUse(const DriverInUse& driver);
const DriverInUse& driverInUse();

// Windows edition name for a product type; empty when the query failed.
QString editionName(std::optional<int> productType);

// Steps 1 to 8 of the binding, in order, then the lines of the driver in use.
//
// With a driver library the Windows installation tests stand for what a Linux PC has: the
// library found is the driver of the program's own word size (the 32-bit driver of a 32-bit
// Windows for a 32-bit program, the one of a 64-bit Windows otherwise), its version
// (libfptr_get_version_string) stands for the file version, and nothing like the add-in is
// needed. The texts and their order stay those of the Windows program.
Binding bindDriver(platform::IPc& pc, const DriverInUse& driver);
Binding bindDriver(platform::IPc& pc);  // with driverInUse()

}  // namespace app
