#pragma once
// The handle listing: runs the handle-listing tool ("Com/hs") through the console runner and
// keeps (and shows in the service view) every handle line of the maker's USB ports with its process
// header ("<header> /\ <handle line>").
#include <QObject>
#include <QString>
#include <QStringList>

namespace platform {
class IPc;
}
namespace app {
class LineLog;
}

namespace discovery {

class HandleListing : public QObject {
    Q_OBJECT
  public:
    HandleListing(platform::IPc& pc, app::LineLog& serviceView, QObject* parent = nullptr);
    ~HandleListing() override;

    // startHandleListing: clears the service view and starts the tool.
    void start(const QString& progdir);
    // True while the tool runs (the runner's IsRunning).
    bool isRunning() const;
    // The collected lines of the last listing.
    QStringList lines() const;
    // Why the last listing could not start (empty when it ran).
    QString lastError() const;

  private:
    struct Impl;
    Impl* d;
};

// A handle line read as the connection and the scan read it.
struct HandleLine {
    QString deviceTail;  // last six characters
    qint64 pid = 0;      // digits after "pid: "
    QString exeName;     // up to the end of the first "exe" plus one character, trimmed
};
HandleLine parseHandleLine(const QString& line);

}  // namespace discovery
