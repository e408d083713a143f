#pragma once
// Найти ККМ: the device scan over the maker's USB serial ports and the local /24 network.
#include <QObject>
#include <QStringList>
#include <memory>

#include "app/DeviceRows.h"
#include "app/Session.h"
#include "app/Ui.h"

namespace app {
class LineLog;
}

namespace discovery {

class HandleListing;

// buildPortRows: device rows from the port result lines; only lines with "/eu/" become rows.
QList<app::DeviceRow> buildPortRows(const QStringList& lines);
// The text after `marker` up to the next "/" (the port result line fields).
QString portLineField(const QString& line, const QString& marker);

class DeviceScan : public QObject {
    Q_OBJECT
  public:
    // Lives as long as the page: network workers may report after run() has returned. The
    // destructor releases workers that wait for the GUI thread and joins them. `memo` is the
    // status memo's log, `service` the service view's.
    DeviceScan(app::Session& session, ui::IUi& ui, app::DeviceRows& rows, app::LineLog& memo,
               app::LineLog& service, HandleListing* handles, QObject* parent = nullptr);
    ~DeviceScan() override;

    // btnScanConnectClick: the whole scan with the two options; `busy` is the scan button.
    void run(bool com, bool tcpip, ui::IBusy* busy = nullptr);

    // The serial part: port result lines into the service view; returns the rows.
    QList<app::DeviceRow> scanComPorts();
    // Starts the 254 network workers, `startGapMs` apart.
    void scanNetwork();

    // The network probe of one address (GUI thread, private driver object): the network result
    // line and a row for a register that answers; returns the model ("" when none).
    QString probeAddress(const QString& address);

    // Pacing of the network part: the gap between worker starts (20 ms), the waits for the
    // workers (201 times 50 ms) and after them (61 times 50 ms). Tests shorten them.
    void setPacing(int startGapMs, int waitTicks, int settleTicks);

    // Scan counters of the last scan (numip, potokExitCnt, locip) and worker facts.
    int numip() const;
    int potokExitCnt() const;
    QString locip() const;
    int runningWorkers() const;
    int peakWorkers() const;
    // Waits (processing messages) until no worker of any scan runs; false after `timeoutMs`.
    bool waitForWorkers(int timeoutMs);

  private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace discovery
