#pragma once
// The virtual register: one driver object of the emulated driver. Registers' state lives in the
// bench (World) and is shared by all driver objects, as real registers are.
#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <functional>

#include "driver/Dispatch.h"

namespace emu {

class VirtualRegister : public drv::IDispatch {
  public:
    VirtualRegister();
    std::optional<QVariant> constant(const QString& name) const override;
    std::optional<QVariant> invoke(const QString& method, const QVariantList& args) override;
    std::optional<int> lastErrorCode() const override { return errorCode_; }

    // The factory for drv::setDispatchFactory: makes objects of "AddIn.Fptr10" unless the bench
    // says the driver's automation object is not registered.
    static std::unique_ptr<drv::IDispatch> create(const QString& progId);

  private:
    using Handler = std::function<int(const QVariantList&)>;
    void addHandlers();
    int fail(int code, const QString& description = {});
    int ok();
    QJsonObject* reg();  // the opened register, or null
    int needOpen();      // 0 when a register is opened, else the error code set
    QVariant in(const char* param) const;
    int inInt(const char* param, int def = 0) const {
        return in(param).isValid() ? in(param).toInt() : def;
    }
    void out(const char* param, const QVariant& v);
    QDateTime clock() const;
    bool injectedError(const QString& method);

    int doOpen();
    int doQueryData();
    int doFnQueryData();
    int doProcessJson();
    int doBeginReadRecords();
    int doReadNextRecord();
    int doReadDeviceSetting();
    int doWriteDeviceSetting();
    int printed(const QString& kind, const QString& text);

    QHash<QString, Handler> handlers_;
    QHash<QString, QVariant> singleSettings_;
    QHash<QString, QVariant> pendingSingle_;
    QHash<int, QVariant> inParams_;
    QHash<int, QVariant> outParams_;
    int opened_ = -1;  // register index
    int errorCode_ = 0;
    QString errorDescription_;
    QVariant lastResult_;
    // records reading
    QString recordsId_;
    int recordsType_ = -1;
    int recordsPos_ = 0;
    QString jsonAnswer_;
};

}  // namespace emu
