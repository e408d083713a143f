#pragma once
// Найти ККМ: the device scan over the maker's USB serial ports and the local /24 network.
#include <QObject>

#include "app/shared/AppContext.h"

class QAbstractButton;
namespace ui {
class Memo;
class ReportList;
}  // namespace ui

namespace discovery {

class DeviceScan : public QObject {
    Q_OBJECT
public:
    // Lives as long as the page: network workers may report after run() has returned.
    DeviceScan(ui::AppContext& ctx, ui::ReportList& list, ui::Memo& memo, QAbstractButton* button,
               QObject* parent = nullptr);
    ~DeviceScan() override;

    // btnScanConnectClick: the whole scan with the two options.
    void run(bool com, bool tcpip);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace discovery
