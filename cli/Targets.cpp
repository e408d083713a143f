#include "cli/Targets.h"

#include <QRegularExpression>

#include "app/SavedList.h"
#include "driver/Fptr.h"

namespace cli {

QString Target::name() const {
    return kind == Kind::Port ? port : address + ':' + QString::number(ipPort);
}

std::optional<Target> portTarget(const QString& text) {
    static const QRegularExpression com(QStringLiteral("^COM([1-9][0-9]{0,2})$"),
                                        QRegularExpression::CaseInsensitiveOption);
    Target t;
    if (const auto m = com.match(text); m.hasMatch())
        t.port = QStringLiteral("COM") + m.captured(1);
    else if (text.startsWith('/') && text.size() > 1)
        t.port = text;
    else
        return std::nullopt;
    return t;
}

std::optional<Target> addressTarget(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^([A-Za-z0-9.-]+)(?::([0-9]{1,5}))?$"));
    const auto m = form.match(text);
    if (!m.hasMatch()) return std::nullopt;
    Target t;
    t.kind = Target::Kind::Address;
    t.address = m.captured(1);
    if (m.hasCaptured(2)) {
        t.ipPort = m.captured(2).toInt();
        if (t.ipPort < 1 || t.ipPort > 65535) return std::nullopt;
    }
    return t;
}

QList<Target> targetsOfRows(const QList<app::DeviceRow>& rows) {
    QList<Target> targets;
    for (const auto& row : rows) {
        std::optional<Target> t;
        if (!row.ip.isEmpty())
            t = addressTarget(row.ip);
        else if (!row.com.isEmpty())
            t = portTarget(row.com);
        if (t && !targets.contains(*t)) targets << *t;
    }
    return targets;
}

QList<Target> savedTargets(const QString& settingsFile, QString* problem) {
    app::DeviceRows rows;
    app::ListOptions options;
    const QString why = app::loadSavedList(settingsFile, rows, options);
    if (problem) *problem = why;
    return targetsOfRows(rows.rows());
}

bool openTarget(drv::Fptr& f, const Target& target) {
    if (target.kind == Target::Kind::Address)
        f.openTcpAuto(target.address, target.ipPort);
    else
        f.openSerialAuto(target.port.startsWith(QStringLiteral("COM"), Qt::CaseInsensitive)
                             ? target.port.mid(3)
                             : target.port);
    return f.isOpened();
}

}  // namespace cli
