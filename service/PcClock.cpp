#include "service/PcClock.h"

#include <errno.h>
#include <string.h>
#include <time.h>

#include "driver/ValueText.h"

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

namespace {

QString stepText(qint64 seconds) {
    seconds = qAbs(seconds);
    if (seconds < 3600) return QStringLiteral("%1 мин %2 с").arg(seconds / 60).arg(seconds % 60);
    if (seconds < 2 * 86400)
        return QStringLiteral("%1 ч %2 мин").arg(seconds / 3600).arg(seconds % 3600 / 60);
    return QStringLiteral("%1 сут.").arg(seconds / 86400);
}

}  // namespace

QString clockStepQuestion(const QDateTime& pcTime, const QDateTime& serverTime) {
    const qint64 step = pcTime.secsTo(serverTime);
    return QStringLiteral(
               "Время сервера отличается от времени ПК на %1 (%2).\r\n\r\nВремя ПК: "
               "%3\r\nВремя сервера: %4\r\n\r\nУстановить в ПК время сервера?")
        .arg(stepText(step), step < 0 ? QStringLiteral("ПК спешит") : QStringLiteral("ПК отстаёт"),
             drv::dateTimeText(pcTime.toLocalTime()), drv::dateTimeText(serverTime.toLocalTime()));
}

NtpSyncOutcome setPcClockFromNtp(SntpClient& client, IClockSetter& setter, const StepQuestion& ask,
                                 const QString& host, quint16 port, int timeoutMs) {
    NtpSyncOutcome out;
    out.reply = client.query(host, port, timeoutMs);
    if (!out.reply.ok()) {
        out.message = out.reply.message;
        return out;
    }
    const qint64 pcUs = client.wallClockNow();
    if (qAbs(out.reply.offsetUs) > kAskAboveStepSeconds * 1000000) {
        const auto utc = [](qint64 us) {
            return QDateTime::fromMSecsSinceEpoch(us / 1000, Qt::UTC);
        };
        if (!ask || !ask(utc(pcUs), utc(pcUs + out.reply.offsetUs))) {
            out.declined = true;
            return out;
        }
    }
    // The time the question took is not lost: the PC's clock is read again.
    const qint64 nowUs = client.wallClockNow() + out.reply.offsetUs;
    out.setTo = QDateTime::fromMSecsSinceEpoch((nowUs + 500) / 1000, Qt::UTC);
    const ClockSetResult set = setter.setSystemClock(out.setTo);
    out.ok = set.ok;
    if (!set.ok)
        out.message = set.message.isEmpty() ? clockSetErrorText(set.errorCode) : set.message;
    return out;
}

}  // namespace service
