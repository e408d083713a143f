#include "emulator/PrintJournal.h"

#include "driver/DriverLog.h"

namespace emu {

void PrintJournal::append(const QString& kind, const QString& text, const QJsonObject& extra) {
    {
        std::lock_guard lock(mutex_);
        if (items_.size() >= size_t(kCapacity)) items_.pop_front();
        items_.push_back({kind, text, extra});
    }
    QJsonObject logged = extra;
    logged.insert(QStringLiteral("serial"), serial_);
    drv::DriverLog::instance().printed(kind, text, logged);
}

QList<PrintedItem> PrintJournal::items() const {
    std::lock_guard lock(mutex_);
    return QList<PrintedItem>(items_.begin(), items_.end());
}

QStringList PrintJournal::texts(const QString& kind) const {
    std::lock_guard lock(mutex_);
    QStringList out;
    for (const auto& item : items_)
        if (item.kind == kind) out.append(item.text);
    return out;
}

int PrintJournal::size() const {
    std::lock_guard lock(mutex_);
    return int(items_.size());
}

void PrintJournal::clear() {
    std::lock_guard lock(mutex_);
    items_.clear();
}

}  // namespace emu
