#include "driver/Fptr.h"

#include <atomic>

#include "driver/DriverLog.h"
#include "driver/Names.h"

namespace drv {
namespace {
std::atomic<int> nextId{1};
}

Fptr::Fptr(std::unique_ptr<IDispatch> object) : obj_(std::move(object)), id_(nextId++) {}
Fptr::~Fptr() = default;

std::unique_ptr<Fptr> Fptr::create() {
    return std::make_unique<Fptr>(createObject(kProgId));
}

QVariant Fptr::constant(const QString& name) const {
    auto v = obj_->constant(name);
    if (!v) throw DriverNameError(QStringLiteral("константу"), name);
    return *v;
}

int Fptr::c(const QString& name) const {
    return constant(name).toInt();
}

QVariant Fptr::call(const QString& method, const QVariantList& args) {
    auto r = obj_->invoke(method, args);
    if (!r) throw DriverNameError(QStringLiteral("метод"), method);
    auto& log = DriverLog::instance();
    if (log.enabled() && method != QLatin1String(members::errorCode) &&
        method != QLatin1String(members::errorDescription))
        log.call(id_, method, args, *r, obj_->lastErrorCode().value_or(-1));
    return *r;
}

int Fptr::setSingleSetting(const QString& name, const QString& value) {
    return call(drv::members::setSingleSetting, {name, value}).toInt();
}

int Fptr::openSerialAuto(const QString& comFile) {
    setSingleSetting(constant(drv::names::LIBFPTR_SETTING_MODEL).toString(),
                     QString::number(c(drv::names::LIBFPTR_MODEL_ATOL_AUTO)));
    setSingleSetting(constant(drv::names::LIBFPTR_SETTING_PORT).toString(),
                     QString::number(c(drv::names::LIBFPTR_PORT_COM)));
    applySingleSettings();
    setSingleSetting(constant(drv::names::LIBFPTR_SETTING_COM_FILE).toString(), comFile);
    applySingleSettings();
    return open();
}

int Fptr::openTcpAuto(const QString& address, int port) {
    setSingleSetting(constant(drv::names::LIBFPTR_SETTING_MODEL).toString(),
                     QString::number(c(drv::names::LIBFPTR_MODEL_ATOL_AUTO)));
    setSingleSetting(constant(drv::names::LIBFPTR_SETTING_PORT).toString(),
                     QString::number(c(drv::names::LIBFPTR_PORT_TCPIP)));
    setSingleSetting(constant(drv::names::LIBFPTR_SETTING_IPPORT).toString(),
                     QString::number(port));
    setSingleSetting(constant(drv::names::LIBFPTR_SETTING_IPADDRESS).toString(), address);
    applySingleSettings();
    return open();
}

void Fptr::setParam(int id, const QVariant& value) {
    call(drv::members::setParam, {id, value});
}
int Fptr::getParamInt(int id) {
    return call(drv::members::getParamInt, {id}).toInt();
}
QString Fptr::getParamString(int id) {
    return call(drv::members::getParamString, {id}).toString();
}
bool Fptr::getParamBool(int id) {
    return call(drv::members::getParamBool, {id}).toBool();
}
double Fptr::getParamDouble(int id) {
    return call(drv::members::getParamDouble, {id}).toDouble();
}
QDateTime Fptr::getParamDateTime(int id) {
    return call(drv::members::getParamDateTime, {id}).toDateTime();
}
QByteArray Fptr::getParamByteArray(int id) {
    return call(drv::members::getParamByteArray, {id}).toByteArray();
}

QString Fptr::jsonTask(const QString& request) {
    const int jsonId = c(drv::names::LIBFPTR_PARAM_JSON_DATA);
    setParam(jsonId, request);
    processJson();
    return getParamString(jsonId);
}

}  // namespace drv
