#include "service/PcClock.h"

#include <errno.h>
#include <string.h>
#include <time.h>

namespace service {

QString clockSetErrorText(int err) {
    if (err == EPERM)
        return QStringLiteral(
            "Нет права изменять системное время: процессу нужна привилегия CAP_SYS_TIME. "
            "Запустите программу от имени root или выдайте ей это право "
            "(setcap cap_sys_time+ep).");
    return QStringLiteral("Не удалось установить системное время: %1 (код %2).")
        .arg(QString::fromLocal8Bit(strerror(err)))
        .arg(err);
}

ClockSetResult LinuxClockSetter::setSystemClock(const QDateTime& utc) {
    ClockSetResult r;
    if (!utc.isValid()) {
        r.errorCode = EINVAL;
        r.message = clockSetErrorText(EINVAL);
        return r;
    }
    const qint64 ms = utc.toMSecsSinceEpoch();
    timespec ts{};
    ts.tv_sec = time_t(ms / 1000);
    ts.tv_nsec = long(ms % 1000) * 1000000L;
    if (ts.tv_nsec < 0) {
        ts.tv_nsec += 1000000000L;
        --ts.tv_sec;
    }
    if (::clock_settime(CLOCK_REALTIME, &ts) != 0) {
        r.errorCode = errno;
        r.message = clockSetErrorText(r.errorCode);
        return r;
    }
    r.ok = true;
    return r;
}

NtpSyncOutcome setPcClockFromNtp(SntpClient& client, IClockSetter& setter, const QString& host,
                                 quint16 port, int timeoutMs) {
    NtpSyncOutcome out;
    out.reply = client.query(host, port, timeoutMs);
    if (!out.reply.ok()) {
        out.message = out.reply.message;
        return out;
    }
    const qint64 nowUs = client.wallClockNow() + out.reply.offsetUs;
    out.setTo = QDateTime::fromMSecsSinceEpoch((nowUs + 500) / 1000, Qt::UTC);
    const ClockSetResult set = setter.setSystemClock(out.setTo);
    out.ok = set.ok;
    if (!set.ok)
        out.message = set.message.isEmpty() ? clockSetErrorText(set.errorCode) : set.message;
    return out;
}

}  // namespace service
