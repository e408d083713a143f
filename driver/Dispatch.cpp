#include "driver/Dispatch.h"

#include <mutex>

namespace drv {
namespace {
std::mutex factoryMutex;
DispatchFactory& factory() {
    static DispatchFactory f;
    return f;
}
}  // namespace

void setDispatchFactory(DispatchFactory f) {
    std::lock_guard lock(factoryMutex);
    factory() = std::move(f);
}

DispatchFactory dispatchFactory() {
    std::lock_guard lock(factoryMutex);
    return factory();
}

std::unique_ptr<IDispatch> createObject(const QString& progId) {
    DispatchFactory f;
    {
        std::lock_guard lock(factoryMutex);
        f = factory();
    }
    if (!f)
        throw DriverCreateError("Драйвер ККТ не установлен: нет класса " + progId.toStdString());
    auto obj = f(progId);
    if (!obj) throw DriverCreateError("Не удалось создать объект " + progId.toStdString());
    return obj;
}

}  // namespace drv
