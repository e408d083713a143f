#include "discovery/PortInventory.h"

#include "platform/Pc.h"

namespace discovery {

QString PortTable::portName(int slot) const {
    if (slot < 0 || slot >= int(entries.size()) || entries[slot].isEmpty()) return {};
    const QString first = entries[slot].section(QStringLiteral(" / "), 0, 0);
    const int i = valueNames.indexOf(first);
    return i < 0 ? QString() : portNames[i];
}

PortTable readPortTable(platform::IPc& pc) {
    PortTable t;
    for (const auto& v : pc.serialCommValues()) {
        t.valueNames << v.valueName;
        t.portNames << v.portName;
        if (v.valueName.size() <= 6) continue;
        // COM5 -> 5; names that are not COM plus a number in 0..255 lie outside the table
        if (!v.portName.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) continue;
        bool ok = false;
        const int n = v.portName.mid(3, 5).toInt(&ok);
        if (!ok || n < 0 || n > 255) continue;
        QString& slot = t.entries[n];
        if (slot.isEmpty())
            slot = v.valueName;
        else
            slot += QStringLiteral(" / ") + v.valueName;
    }
    return t;
}

QStringList portType(platform::IPc& pc, const QString&, const QString& str) {
    QStringList lines;
    for (const auto& e : pc.pnpEntities()) {
        if (e.caption.isNull() || !e.caption.contains(str)) continue;
        lines << e.caption << e.deviceId.value_or(QStringLiteral("###")) << QString();
    }
    return lines;
}

namespace {
// A caption names the port when the name stands in it whole: "(COM1)" names COM1, "(COM12)" does
// not, so COM1 is never taken for the channel of COM12 (nor COM10 for COM101).
bool captionNamesPort(const QString& caption, const QString& portName) {
    if (portName.isEmpty()) return false;
    for (qsizetype at = caption.indexOf(portName); at >= 0;
         at = caption.indexOf(portName, at + 1)) {
        const qsizetype after = at + portName.size();
        if (after >= caption.size() || !caption[after].isDigit()) return true;
    }
    return false;
}
}  // namespace

PortClass classifyPort(const QStringList& inventory, const QString& portName) {
    PortClass out;
    QString siblingKey;
    for (int i = 0; i + 1 < inventory.size(); i += 3) {
        if (!captionNamesPort(inventory[i], portName)) continue;
        const QString& id = inventory[i + 1];
        if (id.isEmpty()) continue;
        const QChar last = id.back();
        if (last == '0') {
            out.kind = PortKind::Kkm;
            QString component = id.section('\\', -1);
            component.chop(1);
            siblingKey = '\\' + component + '2';
        } else if (last == '2') {
            out.kind = PortKind::Eou;
        }
    }
    if (out.kind != PortKind::Kkm) return out;
    for (int j = 1; j < inventory.size(); ++j) {
        if (!inventory[j].contains(siblingKey)) continue;
        const QString& caption = inventory[j - 1];
        const int open = caption.indexOf('(');
        if (open < 0) continue;
        QString port = caption.mid(open + 1, 10);
        port.chop(1);
        out.eouPorts << port;
    }
    return out;
}

QString portSpeed(platform::IPc& pc, const QString& portName) {
    QString name = portName;
    if (name.endsWith(':')) name.chop(1);
    auto baud = pc.defaultBaudRate(name);
    if (!baud) baud = pc.defaultBaudRate(QStringLiteral("\\\\.\\") + name);
    return QString::number(baud.value_or(0));
}

bool portBusy(platform::IPc& pc, const QString& portName) {
    return !pc.canOpenPort(portName);
}

}  // namespace discovery
