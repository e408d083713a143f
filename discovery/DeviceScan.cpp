#include "discovery/DeviceScan.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPointer>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "app/LineLog.h"
#include "discovery/HandleListing.h"
#include "discovery/PortInventory.h"
#include "driver/Names.h"
#include "driver/Versions.h"
#include "platform/Pc.h"

namespace discovery {

namespace {

const QString kDriverNotBound =
    QStringLiteral("Не удалось подключиться к драйверу ККТ, установите драйвер.");
const QString kPrivateObjectFailed = QStringLiteral("Не удалось подключиться к драйверу ККМ");
const QString kDone = QStringLiteral("[Завершено]");
const QString kChecking = QStringLiteral("[Проверка используемых портов...]");
const QString kBusy = QStringLiteral("Занят");
constexpr int kEchoTimeoutMs = 1000;
constexpr int kTcpTimeoutMs = 1000;
constexpr int kRegisterTcpPort = 5555;
constexpr int kHosts = 254;

// Counters of one scan; workers of an earlier scan keep their own.
struct Round {
    std::atomic<int> numip{0};
    std::atomic<int> potokExitCnt{0};
    QString locip;  // written before the first worker starts, read-only afterwards
};

// What outlives the scan object for the workers: the way to be released when it goes.
struct Gate {
    std::mutex m;
    std::condition_variable cv;
    bool closed = false;
    std::atomic<int> running{0};
    std::atomic<int> peak{0};
};

struct Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
};

}  // namespace

QString portLineField(const QString& line, const QString& marker) {
    const int at = line.indexOf(marker);
    if (at < 0) return {};
    const int from = at + marker.size();
    const int to = line.indexOf('/', from);
    return to < 0 ? line.mid(from) : line.mid(from, to - from);
}

QList<app::DeviceRow> buildPortRows(const QStringList& lines) {
    QList<app::DeviceRow> rows;
    for (const QString& line : lines) {
        if (!line.contains(QLatin1String("/eu/"))) continue;
        app::DeviceRow row;
        row.kkm = portLineField(line, "/nz/");
        const int st = line.indexOf(QLatin1String("/st/"));
        if (st >= 0) row.state = app::portStateFromText(line.mid(st + 4, 10));
        row.com = portLineField(line, "/cm/");
        row.kkmProxy = portLineField(line, "/px/");
        row.speed = portLineField(line, "/sp/");
        const QString key = portLineField(line, "/eu/");
        // an empty key (no EoU port known) would match any line: it finds nothing
        if (!key.isEmpty()) {
            for (const QString& other : lines) {
                if (other.contains(QLatin1String("/eu/")) || !other.contains(key)) continue;
                row.eou = portLineField(other, "/cm/");
                row.eouProxy = portLineField(other, "/px/");
                break;
            }
        }
        rows << row;
    }
    return rows;
}

struct DeviceScan::Impl {
    Impl(app::Session& s, ui::IUi& u, app::DeviceRows& r, app::LineLog& m, app::LineLog& sv,
         HandleListing* h)
        : session(s), ui(u), rows(r), memo(m), service(sv), handles(h) {}
    app::Session& session;
    ui::IUi& ui;
    app::DeviceRows& rows;
    app::LineLog& memo;
    app::LineLog& service;
    HandleListing* handles;
    std::shared_ptr<Round> round = std::make_shared<Round>();
    std::shared_ptr<Gate> gate = std::make_shared<Gate>();
    std::vector<Worker> workers;
    int startGapMs = 20;
    int waitTicks = 201;
    int settleTicks = 61;

    void reapWorkers() {
        for (auto it = workers.begin(); it != workers.end();) {
            if (*it->done) {
                it->thread.join();
                it = workers.erase(it);
            } else {
                ++it;
            }
        }
    }
};

DeviceScan::DeviceScan(app::Session& session, ui::IUi& ui, app::DeviceRows& rows,
                       app::LineLog& memo, app::LineLog& service, HandleListing* handles,
                       QObject* parent)
    : QObject(parent), d(std::make_unique<Impl>(session, ui, rows, memo, service, handles)) {}

DeviceScan::~DeviceScan() {
    {
        std::lock_guard lock(d->gate->m);
        d->gate->closed = true;
    }
    d->gate->cv.notify_all();
    for (auto& w : d->workers) w.thread.join();
}

void DeviceScan::setPacing(int startGapMs, int waitTicks, int settleTicks) {
    d->startGapMs = startGapMs;
    d->waitTicks = waitTicks;
    d->settleTicks = settleTicks;
}

int DeviceScan::numip() const {
    return d->round->numip;
}
int DeviceScan::potokExitCnt() const {
    return d->round->potokExitCnt;
}
QString DeviceScan::locip() const {
    return d->round->locip;
}
int DeviceScan::runningWorkers() const {
    return d->gate->running;
}
int DeviceScan::peakWorkers() const {
    return d->gate->peak;
}

bool DeviceScan::waitForWorkers(int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (d->gate->running > 0) {
        if (t.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    d->reapWorkers();
    return true;
}

void DeviceScan::run(bool com, bool tcpip, ui::IBusy* busyIndicator) {
    app::Session& session = d->session;
    ui::IUi& u = d->ui;
    if (!session.fptrOK()) {
        u.message(kDriverNotBound, ui::Icon::Error);
        return;
    }
    app::LineLog& memo = d->memo;
    app::DeviceRows& rows = d->rows;
    memo.clear();
    u.processEvents();
    if (!com && !tcpip) return;

    ui::BusyScope busy(busyIndicator);
    d->reapWorkers();
    d->round = std::make_shared<Round>();  // numip := 0; potokExitCnt := 0

    bool anyBusy = false;
    if (com) {
        rows.clear();
        u.processEvents();
        rows.setRows(scanComPorts());
        anyBusy = rows.anyInState(app::PortState::Busy);
        if (!anyBusy && !tcpip) memo.addLine(kDone);
    }

    if (com && anyBusy && d->handles) {
        // the holders of the busy ports
        memo.addLine(kChecking);
        u.processEvents();
        d->handles->start(session.progdir());
        for (int i = 0; i < 201 && d->handles->isRunning(); ++i) u.pause(50);
        const QString self = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        QStringList lines = memo.lines();
        for (const QString& line : d->handles->lines()) {
            const HandleLine h = parseHandleLine(line);
            if (h.exeName.compare(self, Qt::CaseInsensitive) == 0) continue;
            const QString path = session.pc().processImagePath(h.pid);
            for (int i = 0; i < lines.size(); ++i) {
                if (!lines[i].contains(h.deviceTail)) continue;
                lines[i] += " : " + path;
                memo.setLine(i, lines[i]);
                break;
            }
            u.processEvents();
        }
        QStringList kept;
        for (const QString& l : memo.lines())
            if (l != kChecking && !l.isEmpty()) kept << l;
        if (!tcpip) kept << kDone;
        memo.setLines(kept);
        memo.scrollToTop();
        u.processEvents();
    }

    if (tcpip) {
        if (!com) {
            rows.clear();
            u.processEvents();
        }
        scanNetwork();
        for (int i = 0; i < d->waitTicks && d->round->potokExitCnt < kHosts; ++i) u.pause(50);
        for (int i = 0; i < d->settleTicks; ++i) u.pause(50);
        memo.addLine(kDone);
    }
}

QList<app::DeviceRow> DeviceScan::scanComPorts() {
    app::Session& session = d->session;
    platform::IPc& pc = session.pc();
    ui::IUi& u = d->ui;
    app::LineLog& memo = d->memo;
    std::unique_ptr<drv::Fptr> f;
    try {
        f = drv::Fptr::create();
    } catch (const std::exception&) {
        u.message(kPrivateObjectFailed, ui::Icon::Error);
        return {};
    }
    d->service.clear();
    const PortTable table = readPortTable(pc);
    const QStringList inventory = portType(pc, QStringLiteral("xxx"), QStringLiteral("ATOL USB"));
    const app::ConnectionRecord& record = session.record();

    QStringList resultLines;
    for (int slot = 0; slot < int(table.entries.size()); ++slot) {
        if (table.entries[slot].isEmpty()) continue;
        const QString port = table.portName(slot);
        const QString device = table.deviceName(slot);
        QString line;
        if (!session.comConnected().isEmpty() && port == session.comConnected()) {
            // the connected port is described from the connection, not opened again
            line = "/cm/" + port + "/px/" + device + "/eu/" + record.eouPort + "/nz/" +
                   record.model + " (№ " + record.serial + ")" + "/sp/" + portSpeed(pc, port) +
                   "/st/" + QStringLiteral("Подключен");
            memo.addLine(port + ": " + device + " - подключен: " + record.model);
        } else {
            memo.addLine(port + ": " + device);
            u.processEvents();
            if (device.contains(QLatin1String("atol-usbcom"))) {
                line = "/cm/" + port + "/px/" + device;
                const PortClass cls = classifyPort(inventory, port);
                for (const QString& eou : cls.eouPorts) line += "/eu/" + eou;
                if (cls.kind == PortKind::Eou) {
                    line += "/nz/" + QStringLiteral("Для EoU");
                } else {
                    // probe with the private object
                    f->openSerialAuto(port.mid(3, 5));
                    const bool notServed = drv::platform25NotServed(*f);
                    if (f->isOpened()) {
                        f->setParam(drv::names::LIBFPTR_PARAM_DATA_TYPE,
                                    f->c(drv::names::LIBFPTR_DT_STATUS));
                        f->queryData();
                        const QString serial =
                            f->getParamString(drv::names::LIBFPTR_PARAM_SERIAL_NUMBER);
                        const QString model =
                            f->getParamString(drv::names::LIBFPTR_PARAM_MODEL_NAME);
                        line += "/nz/" + (model.isEmpty() ? serial : model + " (№ " + serial + ")");
                        memo.appendToLastLine(" - обнаружено: " + model);
                        u.processEvents();
                    } else {
                        line += "/nz/" +
                                (notServed
                                     ? QStringLiteral("Не определено (Не поддерживается драйвером)")
                                     : QStringLiteral("Не определено"));
                    }
                    f->close();
                }
            } else {
                line = "/cm/" + port + "/px/" + "#%" + "/nz/" + device;
            }
            line += "/sp/" + portSpeed(pc, port);
            if (!portBusy(pc, port)) {
                line += "/st/" + QStringLiteral("Доступен");
            } else {
                line += "/st/" + kBusy;
                memo.appendToLastLine(" - занят");
                u.processEvents();
            }
        }
        resultLines << line;
        d->service.addLine(line);
    }
    f.reset();
    return buildPortRows(resultLines);
}

void DeviceScan::scanNetwork() {
    const QString hop = d->session.pc().firstRouteNextHop();
    const int dot = hop.lastIndexOf('.');
    d->round->locip = dot < 0 ? QString() : hop.left(dot + 1);
    if (d->round->locip.isEmpty()) return;

    const std::shared_ptr<Round> round = d->round;
    const std::shared_ptr<Gate> gate = d->gate;
    platform::IPc* pc = &d->session.pc();
    DeviceScan* self = this;
    QPointer<DeviceScan> alive(this);
    for (int n = 1; n <= kHosts; ++n) {
        d->ui.pause(d->startGapMs);
        if (!alive) return;
        auto done = std::make_shared<std::atomic<bool>>(false);
        ++gate->running;
        for (int p = gate->peak;
             p < gate->running && !gate->peak.compare_exchange_weak(p, gate->running);) {
        }
        // TgetMacThread
        std::thread t([round, gate, pc, self, done] {
            ++round->potokExitCnt;
            const int number = ++round->numip;
            const QString address = round->locip + QString::number(number);
            const platform::PingReply reply = pc->ping(address, kEchoTimeoutMs);
            if (reply.replied && reply.from == address) {
                const bool probe =
                    reply.ttl == 255 && pc->tcpPortOpen(address, kRegisterTcpPort, kTcpTimeoutMs);
                // everything else happens on the GUI thread; the worker waits for it
                auto handled = std::make_shared<bool>(false);
                QMetaObject::invokeMethod(
                    self,
                    [self, gate, handled, address, reply, probe] {
                        // the worker is released on every path, a failing probe included
                        struct Release {
                            std::shared_ptr<Gate> gate;
                            std::shared_ptr<bool> handled;
                            ~Release() {
                                {
                                    std::lock_guard lock(gate->m);
                                    *handled = true;
                                }
                                gate->cv.notify_all();
                            }
                        } release{gate, handled};
                        self->d->ui.processEvents();
                        QString model;
                        try {
                            if (probe) model = self->probeAddress(address);
                        } catch (const std::exception& e) {
                            // a driver that fails here is said once per address; the scan goes on
                            self->d->ui.message(QString::fromUtf8(e.what()), ui::Icon::Error);
                        }
                        QString text = address + " - ответ: " + QString::number(reply.timeMs) +
                                       " мс" + " TTL=" + QString::number(reply.ttl);
                        if (!model.isEmpty()) text += " - обнаружено: " + model;
                        self->d->memo.addLine(text);
                        self->d->ui.processEvents();
                    },
                    Qt::QueuedConnection);
                std::unique_lock lock(gate->m);
                gate->cv.wait(lock, [&] { return *handled || gate->closed; });
            }
            --gate->running;
            *done = true;
        });
        d->workers.push_back({std::move(t), done});
    }
}

QString DeviceScan::probeAddress(const QString& address) {
    std::unique_ptr<drv::Fptr> f;
    try {
        f = drv::Fptr::create();
    } catch (const std::exception&) {
        return {};
    }
    f->openTcpAuto(address);
    QString model;
    if (f->isOpened()) {
        f->setParam(drv::names::LIBFPTR_PARAM_DATA_TYPE, f->c(drv::names::LIBFPTR_DT_STATUS));
        f->queryData();
        const QString serial = f->getParamString(drv::names::LIBFPTR_PARAM_SERIAL_NUMBER);
        model = f->getParamString(drv::names::LIBFPTR_PARAM_MODEL_NAME);
        f->setParam(drv::names::LIBFPTR_PARAM_SETTING_ID, 71);
        f->readDeviceSetting();
        const QString ownAddress = f->getParamString(drv::names::LIBFPTR_PARAM_SETTING_VALUE);
        f->setParam(drv::names::LIBFPTR_PARAM_SETTING_ID, 74);
        f->readDeviceSetting();
        const QString ownPort = f->getParamString(drv::names::LIBFPTR_PARAM_SETTING_VALUE);
        if (!model.isEmpty()) {
            const QString name = model + " (№ " + serial + ")";
            d->service.addLine("/nz/" + name + "/ip/" + ownAddress + ":" + ownPort);
            app::DeviceRow row;
            row.kkm = name;
            // a register on DHCP reports no fixed address: the address that answered is the
            // one to connect to
            row.ip = ownAddress.isEmpty() || ownAddress == QLatin1String("0.0.0.0") ? address
                                                                                    : ownAddress;
            d->rows.append(row);
        }
    }
    f->close();
    return model;
}

}  // namespace discovery
