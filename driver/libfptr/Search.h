#pragma once
// Finding the maker's driver library on Linux, and what the program binds at start-up.
//
// The search, in order, stops at the first library that loads:
//   1. the explicit path: VELMOR_FPTR_LIBRARY, else the INI option; when given, nothing else
//      is tried (a technician who names a library means that one);
//   2. the program's folder;
//   3. the places the maker's Linux package installs it (packageDirectories());
//   4. the system's library search (LD_LIBRARY_PATH, ld.so.cache, /lib, /usr/lib).
// A candidate file that exists but does not load is noted and the search goes on.
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "driver/libfptr/Library.h"

namespace drv::libfptr {

inline const QString kLibraryFile = QStringLiteral("libfptr10.so");
// Names a library to bind, bypassing the search (and the virtual register of VELMOR_BENCH).
inline constexpr const char* kLibraryEnv = "VELMOR_FPTR_LIBRARY";

// Folders the maker's package is taken to install libfptr10.so into (see docs/real-driver.md).
QStringList packageDirectories();

struct SearchOptions {
    QString explicitPath;  // from VELMOR_FPTR_LIBRARY or the INI option; empty: search
    QString programDir;    // the program's folder; empty: not searched
    QStringList packageDirs = packageDirectories();
    bool systemSearch = true;
    QString fileName = kLibraryFile;
};

struct SearchResult {
    std::shared_ptr<Library> library;  // the bound library; null when none was found
    QString path;                      // its file
    QString version;                   // libfptr_get_version_string
    QStringList missingFunctions;      // functions of the program's members it lacks
    QStringList failures;              // "<file>: <why>" for each candidate that did not load
    bool explicitPath = false;         // the library was named, not searched for
    bool found() const { return library != nullptr; }
};

SearchResult findLibrary(const SearchOptions& options);

// What drives the registers.
struct BindingChoice {
    enum class Kind { Library, VirtualRegister };
    Kind kind = Kind::VirtualRegister;
    SearchResult search;    // the search's result (also when it found nothing)
    bool benchSet = false;  // VELMOR_BENCH chose the virtual register
    // Lines for the status memo, in Russian, in order.
    QStringList statusLines() const;
};

// VELMOR_FPTR_LIBRARY binds that library; otherwise VELMOR_BENCH means the virtual register;
// otherwise the search with the INI option `iniLibrary` and the program's folder decides.
// `env` reads an environment variable (tests give their own).
BindingChoice chooseDriver(const QString& iniLibrary, const QString& programDir,
                           const std::function<QString(const char*)>& env);
BindingChoice chooseDriver(const QString& iniLibrary, const QString& programDir);

}  // namespace drv::libfptr
