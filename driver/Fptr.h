#pragma once
// The driver object `fptr`: typed, named access to one late-bound driver instance.
//
// Constants are looked up by name on every use (the program holds no numbers for them); an
// unknown constant or member raises DriverNameError. Operations never raise for a failure of
// the register: callers read errorCode() as the driver intends.
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <memory>

#include "driver/Dispatch.h"
#include "driver/Names.h"

namespace drv {

class Fptr {
  public:
    explicit Fptr(std::unique_ptr<IDispatch> object);
    ~Fptr();
    Fptr(const Fptr&) = delete;
    Fptr& operator=(const Fptr&) = delete;

    // A fresh object of the driver class "AddIn.Fptr10" (throws DriverCreateError).
    static std::unique_ptr<Fptr> create();

    // Constant value by name, e.g. c("LIBFPTR_DT_STATUS").
    int c(const QString& name) const;
    QVariant constant(const QString& name) const;

    // Any member by name; the typed helpers below all go through here.
    QVariant call(const QString& method, const QVariantList& args = {});
    int run(const QString& method) { return call(method).toInt(); }

    QString version() { return call(members::version).toString(); }
    int open() { return run(members::open); }
    int close() { return run(members::close); }
    bool isOpened() { return call(members::isOpened).toBool(); }

    // `name` is the value of a LIBFPTR_SETTING_ constant; constants go as decimal text.
    int setSingleSetting(const QString& name, const QString& value);
    int applySingleSettings() { return run(members::applySingleSettings); }
    // The settings and open of a register of any model: on the serial port `comFile` (the port
    // number), or at `address` on TCP port 5555. Returns open's result.
    int openSerialAuto(const QString& comFile);
    int openTcpAuto(const QString& address, int port = 5555);

    void setParam(int id, const QVariant& value);
    void setParam(const QString& idName, const QVariant& value) { setParam(c(idName), value); }
    int getParamInt(int id);
    QString getParamString(int id);
    bool getParamBool(int id);
    double getParamDouble(int id);
    QDateTime getParamDateTime(int id);
    QByteArray getParamByteArray(int id);
    int getParamInt(const QString& idName) { return getParamInt(c(idName)); }
    QString getParamString(const QString& idName) { return getParamString(c(idName)); }
    bool getParamBool(const QString& idName) { return getParamBool(c(idName)); }
    double getParamDouble(const QString& idName) { return getParamDouble(c(idName)); }
    QDateTime getParamDateTime(const QString& idName) { return getParamDateTime(c(idName)); }

    int queryData() { return run(members::queryData); }
    int fnQueryData() { return run(members::fnQueryData); }
    int processJson() { return run(members::processJson); }
    int beginReadRecords() { return run(members::beginReadRecords); }
    int readNextRecord() { return run(members::readNextRecord); }
    int endReadRecords() { return run(members::endReadRecords); }
    int readDeviceSetting() { return run(members::readDeviceSetting); }
    int writeDeviceSetting() { return run(members::writeDeviceSetting); }
    int commitSettings() { return run(members::commitSettings); }
    int resetSettings() { return run(members::resetSettings); }

    int errorCode() { return call(members::errorCode).toInt(); }
    QString errorDescription() { return call(members::errorDescription).toString(); }

    // JSON task: request in, answer text out (the answer of LIBFPTR_PARAM_JSON_DATA).
    QString jsonTask(const QString& request);

    int objectId() const { return id_; }

  private:
    std::unique_ptr<IDispatch> obj_;
    int id_;
};

}  // namespace drv
