#pragma once
// The PC clock: setting it goes through IClockSetter (tests give a fake one; the real one is
// the system call), and setting it from an NTP server is one query followed by one set.
#include <QDateTime>
#include <QString>
#include <functional>

#include "service/Sntp.h"

namespace service {

struct ClockSetResult {
    bool ok = false;
    int errorCode = 0;  // errno of the failure
    QString message;    // for the user, in Russian; empty on success
};

class IClockSetter {
  public:
    virtual ~IClockSetter() = default;
    // Sets the PC's system clock to `utc`.
    virtual ClockSetResult setSystemClock(const QDateTime& utc) = 0;
};

// The system clock through clock_settime(CLOCK_REALTIME). Needs the right to set the clock
// (CAP_SYS_TIME); without it the result names what is missing.
class LinuxClockSetter : public IClockSetter {
  public:
    ClockSetResult setSystemClock(const QDateTime& utc) override;
};

// Russian text for a failed clock set with the given errno.
QString clockSetErrorText(int err);

struct NtpSyncOutcome {
    bool ok = false;
    bool declined = false;  // the step was too large and the user kept the PC's time
    QString message;        // for the user, in Russian; empty on success or when declined
    SntpResult reply;
    QDateTime setTo;  // UTC, what the clock was set to (valid when the set was tried)
};

// A step of the PC clock larger than this is made only when the user agrees.
inline constexpr qint64 kAskAboveStepSeconds = 5 * 60;

// Asked before a large step: the PC's time and the server's, both UTC; true to set the clock.
// A null question refuses every large step.
using StepQuestion = std::function<bool(const QDateTime& pcTime, const QDateTime& serverTime)>;

// The question's text: both times in the system's format (local time) and the difference.
QString clockStepQuestion(const QDateTime& pcTime, const QDateTime& serverTime);

// One SNTP query to `host`, then the PC clock set to the PC's own time corrected by the measured
// offset (so the time spent since the answer is not lost). The clock is untouched when the query
// brings no valid time, and when it would move by more than kAskAboveStepSeconds and `ask` does
// not agree. Waits processing events, at most `timeoutMs` for the query.
NtpSyncOutcome setPcClockFromNtp(SntpClient& client, IClockSetter& setter, const StepQuestion& ask,
                                 const QString& host = QString::fromLatin1(kDefaultNtpServer),
                                 quint16 port = kNtpPort, int timeoutMs = kDefaultNtpTimeoutMs);

}  // namespace service
