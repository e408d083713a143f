#pragma once
// The device list: one row per register found or remembered. lvKKMconnect shows it; the scan
// and the connection produce and change its rows; the saved list is written from it.
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace app {

// Columns of lvKKMconnect, by identity; each keeps its identity whatever its position or
// visibility.
enum DeviceColumn {
    colKkm = 0,   // "ККМ": register name
    colCom,       // "COM порт": register port
    colEou,       // "Порт EoU"
    colState,     // "Состояние порта"
    colIp,        // "IP адрес"
    colKkmProxy,  // "kkmproxy": register port's device name (hidden)
    colEouProxy,  // "eouproxy": EoU port's device name (hidden)
    colSpeed,     // "speed": port speed (hidden)
    deviceColumnCount
};

enum class PortState { None, Available, Busy, Connected };

// "Доступен", "Занят", "Подключен"; empty for None.
QString portStateText(PortState state);
// The state named by a text; None for any other text.
PortState portStateFromText(const QString& text);

struct DeviceRow {
    QString kkm;
    QString com;
    QString eou;
    PortState state = PortState::None;
    QString ip;
    QString kkmProxy;
    QString eouProxy;
    QString speed;

    QString cell(int column) const;
    void setCell(int column, const QString& text);
    QStringList cells() const;
    static DeviceRow fromCells(const QStringList& cells);
    bool operator==(const DeviceRow&) const = default;
};

class DeviceRows : public QObject {
    Q_OBJECT
  public:
    explicit DeviceRows(QObject* parent = nullptr) : QObject(parent) {}

    const QList<DeviceRow>& rows() const { return rows_; }
    int size() const { return int(rows_.size()); }
    const DeviceRow& at(int row) const { return rows_.at(row); }

    void clear();
    void setRows(const QList<DeviceRow>& rows);
    void append(const DeviceRow& row);
    void setState(int row, PortState state);
    // Rows in state "Подключен" become "Доступен".
    void markConnectedAvailable();
    bool anyInState(PortState state) const;

  signals:
    void reset();
    void rowAdded(int row);
    void rowChanged(int row);

  private:
    QList<DeviceRow> rows_;
};

}  // namespace app
