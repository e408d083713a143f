#include "app/Session.h"

namespace app {

Session::Session(platform::IPc& pc, const QString& progdir, QObject* parent)
    : QObject(parent), pc_(pc), progdir_(progdir), settingsFile_(progdir + "pf/set.ini") {}

Session::~Session() = default;

void Session::bind(std::unique_ptr<drv::Fptr> fptr, bool ok, const QString& drvVer) {
    fptr_ = std::move(fptr);
    fptrOK_ = ok;
    drvVer_ = drvVer;
    emit changed();
}

void Session::replaceDriver(std::unique_ptr<drv::Fptr> fptr) {
    fptr_ = std::move(fptr);
    emit changed();
}

void Session::closeDriver() {
    if (fptrOK_ && fptr_) {
        try {
            fptr_->close();
        } catch (const std::exception&) {
        }
    }
    fptr_.reset();
    emit changed();
}

void Session::setKkmConnected(bool on) {
    if (kkmConnected_ == on) return;
    kkmConnected_ = on;
    emit changed();
}

void Session::setComConnected(const QString& port) {
    if (comConnected_ == port) return;
    comConnected_ = port;
    emit changed();
}

void Session::setIpConnected(const QString& address) {
    if (ipConnected_ == address) return;
    ipConnected_ = address;
    emit changed();
}

void Session::setP5(bool on) {
    if (isP5_ == on) return;
    isP5_ = on;
    emit changed();
}

void Session::setRecord(const ConnectionRecord& record) {
    record_ = record;
    emit changed();
}

void Session::setEouPort(const QString& port) {
    record_.eouPort = port;
    emit changed();
}

void Session::clearConnection() {
    kkmConnected_ = false;
    comConnected_.clear();
    ipConnected_.clear();
    emit changed();
}

}  // namespace app
