#pragma once
// The contract set: the same case runs against a driver object kept in process and against
// the same kind of object reached through the C interface (LibraryDispatch loading a shared
// library), and what the two answer must be the same.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

#include "driver/Fptr.h"
#include "driver/libfptr/Library.h"

namespace contract {

// What a case saw, in order: labelled values as the driver answered them.
class Transcript {
  public:
    struct Entry {
        QString label;
        QVariant value;
        int toleranceSeconds = 0;  // date-times of a running clock compare within this
    };
    void add(const QString& label, const QVariant& value) { entries_.append({label, value, 0}); }
    void addClock(const QString& label, const QDateTime& value) {
        entries_.append({label, value, 5});
    }
    const QList<Entry>& entries() const { return entries_; }
    QVariant value(const QString& label) const;  // the first entry so labelled

  private:
    QList<Entry> entries_;
};

// Same labels, types and values, entry by entry.
testing::AssertionResult sameTranscript(const Transcript& inProcess, const Transcript& library);

using Case = std::function<void(drv::Fptr& fptr, Transcript& t)>;
using MakeObject = std::function<std::unique_ptr<drv::IDispatch>()>;

struct Runs {
    Transcript inProcess;
    Transcript library;
};
// Runs the case on a fresh object of each kind, the one in process first.
Runs runBoth(const Case& c, const MakeObject& inProcess, const MakeObject& library);

// The libraries built for the tests (paths from the build).
std::shared_ptr<drv::libfptr::Library> virtualLibrary();
std::shared_ptr<drv::libfptr::Library> echoLibrary();
QString virtualLibraryPath();
QString echoLibraryPath();
QString incompleteLibraryPath();

// Objects of the two kinds of driver.
std::unique_ptr<drv::IDispatch> inProcessVirtual();
std::unique_ptr<drv::IDispatch> libraryVirtual();
std::unique_ptr<drv::IDispatch> inProcessEcho();
std::unique_ptr<drv::IDispatch> libraryEcho();

// Printed lines the driver log received since `from` (a byte offset; updated).
QStringList printedSince(qint64& from);

}  // namespace contract
