#include "app/DeviceRows.h"

namespace app {

QString portStateText(PortState state) {
    switch (state) {
        case PortState::Available:
            return QStringLiteral("Доступен");
        case PortState::Busy:
            return QStringLiteral("Занят");
        case PortState::Connected:
            return QStringLiteral("Подключен");
        case PortState::None:
            break;
    }
    return {};
}

PortState portStateFromText(const QString& text) {
    for (PortState s : {PortState::Available, PortState::Busy, PortState::Connected})
        if (text == portStateText(s)) return s;
    return PortState::None;
}

QString DeviceRow::cell(int column) const {
    switch (column) {
        case colKkm:
            return kkm;
        case colCom:
            return com;
        case colEou:
            return eou;
        case colState:
            return portStateText(state);
        case colIp:
            return ip;
        case colKkmProxy:
            return kkmProxy;
        case colEouProxy:
            return eouProxy;
        case colSpeed:
            return speed;
        default:
            return {};
    }
}

void DeviceRow::setCell(int column, const QString& text) {
    switch (column) {
        case colKkm:
            kkm = text;
            break;
        case colCom:
            com = text;
            break;
        case colEou:
            eou = text;
            break;
        case colState:
            state = portStateFromText(text);
            break;
        case colIp:
            ip = text;
            break;
        case colKkmProxy:
            kkmProxy = text;
            break;
        case colEouProxy:
            eouProxy = text;
            break;
        case colSpeed:
            speed = text;
            break;
        default:
            break;
    }
}

QStringList DeviceRow::cells() const {
    QStringList out;
    for (int c = 0; c < deviceColumnCount; ++c) out << cell(c);
    return out;
}

DeviceRow DeviceRow::fromCells(const QStringList& cells) {
    DeviceRow r;
    for (int c = 0; c < deviceColumnCount && c < cells.size(); ++c) r.setCell(c, cells[c]);
    return r;
}

void DeviceRows::clear() {
    rows_.clear();
    emit reset();
}

void DeviceRows::setRows(const QList<DeviceRow>& rows) {
    rows_ = rows;
    emit reset();
}

void DeviceRows::append(const DeviceRow& row) {
    rows_.append(row);
    emit rowAdded(int(rows_.size()) - 1);
}

void DeviceRows::setState(int row, PortState state) {
    if (row < 0 || row >= rows_.size() || rows_[row].state == state) return;
    rows_[row].state = state;
    emit rowChanged(row);
}

void DeviceRows::markConnectedAvailable() {
    for (int r = 0; r < rows_.size(); ++r)
        if (rows_[r].state == PortState::Connected) setState(r, PortState::Available);
}

bool DeviceRows::anyInState(PortState state) const {
    for (const auto& r : rows_)
        if (r.state == state) return true;
    return false;
}

}  // namespace app
