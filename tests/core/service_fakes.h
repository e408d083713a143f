#pragma once
// Test helpers of the service rules: the virtual register behind a driver object whose calls
// are recorded, and a window stand-in that records messages and answers questions.
#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>

#include "app/Ui.h"
#include "driver/Dispatch.h"
#include "driver/Fptr.h"
#include "emulator/Bench.h"
#include "emulator/Constants.h"
#include "emulator/Register.h"
#include "emulator/VirtualRegister.h"
#include "tests/support/RecordingUi.h"

namespace service_test {

struct Recorded {
    QString method;
    QVariantList args;
};

// Forwards every call to a virtual register object and records it.
class RecordingDispatch : public drv::IDispatch {
  public:
    explicit RecordingDispatch(QList<Recorded>& log)
        : inner_(emu::VirtualRegister::create(QStringLiteral("AddIn.Fptr10"))), log_(log) {}
    std::optional<QVariant> constant(const QString& name) const override {
        return inner_->constant(name);
    }
    std::optional<QVariant> invoke(const QString& method, const QVariantList& args) override {
        log_.append({method, args});
        return inner_->invoke(method, args);
    }
    std::optional<int> lastErrorCode() const override { return inner_->lastErrorCode(); }

  private:
    std::unique_ptr<drv::IDispatch> inner_;
    QList<Recorded>& log_;
};

using RecordingUi = testing_support::RecordingUi;

class RecordingBusy : public ui::IBusy {
  public:
    explicit RecordingBusy(QStringList& events) : events_(events) {}
    void setBusy(bool on) override { events_ << (on ? "busy" : "idle"); }

  private:
    QStringList& events_;
};

// A register (COM7) opened through a recorded driver object; the calls of the opening are not
// kept.
struct Bench {
    QList<Recorded> calls;
    std::unique_ptr<drv::Fptr> fptr;

    explicit Bench(const QByteArray& registerJson = R"({"com": "COM7", "serial": "007"})") {
        emu::World::instance().loadJson(R"({"registers": [)" + registerJson + "]}", "test");
        fptr = std::make_unique<drv::Fptr>(std::make_unique<RecordingDispatch>(calls));
        if (fptr->openSerialAuto(QStringLiteral("7")) != 0)
            qWarning("the test register did not open: %s", qPrintable(fptr->errorDescription()));
        calls.clear();
    }
    ~Bench() { emu::World::instance().loadDemo(); }

    std::shared_ptr<emu::Register> reg() const { return emu::World::instance().reg(0); }
    static int k(const char* name) { return emu::k(name); }

    // The methods called, without the error queries, in order.
    QStringList methods() const {
        QStringList out;
        for (const auto& c : calls)
            if (c.method != "errorCode" && c.method != "errorDescription") out << c.method;
        return out;
    }
    // The parameters set, in order, as "NAME_ID=value" with the identifier as a number.
    QList<std::pair<int, QVariant>> params() const {
        QList<std::pair<int, QVariant>> out;
        for (const auto& c : calls)
            if (c.method == "setParam") out.append({c.args.value(0).toInt(), c.args.value(1)});
        return out;
    }
    QVariant param(const char* name) const {
        QVariant v;
        for (const auto& [id, value] : params())
            if (id == k(name)) v = value;
        return v;
    }
};

}  // namespace service_test
