#include "discovery/DeviceScan.h"

namespace discovery {

struct DeviceScan::Impl {};

DeviceScan::DeviceScan(ui::AppContext&, ui::ReportList&, ui::Memo&, QAbstractButton*,
                       QObject* parent)
    : QObject(parent), d(std::make_unique<Impl>()) {}
DeviceScan::~DeviceScan() = default;
void DeviceScan::run(bool, bool) {}

}  // namespace discovery
