#pragma once
// Running a command against one register: a fresh driver object in a thread of its own, the
// register opened, the command's work, the register closed, all within a bounded time.
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <functional>

#include "app/Connection.h"
#include "app/Ui.h"
#include "cli/Targets.h"

namespace cli {

// What one target gave.
struct Outcome {
    Target target;
    bool answered = false;  // it opened and answered the status query
    bool timedOut = false;  // its time ran out before the work ended
    QStringList errors;     // driver errors, "(code) text", and the other problems met
    QString output;         // what the command wrote for this register
    QJsonObject data;       // figures the command read (metrics)
    app::RegisterIdentity id;
    qint64 calls = 0;  // driver calls made for it
};

// A command's work on an opened register: its output goes into `out.output`, the driver errors
// it meets into `out.errors`.
using Job = std::function<void(drv::Fptr& f, Outcome& out)>;

// Opens the register of `target` on a new driver object and runs `job`. The work runs in a
// thread of its own; after `timeoutMs` without an end (or a keepAlive) the outcome says so and the
// thread is left to end alone.
Outcome runTarget(const Target& target, const Job& job, int timeoutMs);
// Called by a long job on its thread after each step: the time allowed starts again.
void keepAlive();
// A target's thread still runs after its time ran out: the program must not wait for it.
bool workAbandoned();

// Wraps the driver class in use so that every driver call counts for the thread that made it.
void countDriverCalls();
qint64 callsOfThisThread();

// The driver's error code after the last call, as "(code) text"; empty when it is 0.
QString driverError(drv::Fptr& f);

// The window's IUi for work without a window: messages are collected, questions are declined,
// pauses sleep.
class CollectingUi : public ui::IUi {
  public:
    void message(const QString& text, ui::Icon icon, std::optional<QString> caption) override;
    bool confirm(const QString& text, ui::Icon icon, bool cancelByDefault) override;
    void processEvents() override;
    void pause(int ms) override;
    QStringList messages;
};

}  // namespace cli
