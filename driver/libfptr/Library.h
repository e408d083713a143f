#pragma once
// A loaded driver library: its functions and the one thread that calls them.
#include <QString>
#include <QStringList>
#include <memory>

#include "driver/libfptr/CApi.h"
#include "driver/libfptr/DriverThread.h"

namespace drv::libfptr {

class Library;

struct LoadResult {
    std::shared_ptr<Library> library;  // null when the library cannot be used
    QString error;                     // why not, in words for the status lines
    // Functions behind members the program uses that the library lacks (those members then
    // fail as unknown names). When a core function is missing, the library is not bound.
    QStringList missingFunctions;
    // The file was found and mapped (an error then is about its contents).
    bool mapped = false;
};

class Library {
  public:
    // Loads a library by path, or by bare file name through the system's library search.
    // The same file loaded twice gives the same object while it is in use. A library stays
    // mapped for the rest of the run once loaded (a driver may keep threads of its own).
    static LoadResult load(const QString& pathOrName);
    // A library made of functions found through `resolve` (tests hide functions this way);
    // `path` is what it reports as its file.
    static LoadResult fromResolver(const Api::Resolver& resolve, const QString& path);

    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    const Api& api() const { return api_; }
    // The file actually loaded (found through dladdr for a bare name).
    const QString& path() const { return path_; }
    // libfptr_get_version_string, called on the driver thread.
    QString version();
    DriverThread& thread() { return *thread_; }

  private:
    Library(Api api, QString path);
    Api api_;
    QString path_;
    std::unique_ptr<DriverThread> thread_;
};

}  // namespace drv::libfptr
