#pragma once
// Test doubles of the settings tests: a small driver object that holds a typed settings table
// and records every call, and a recorder of the messages shown to the user.
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

#include "app/Ui.h"
#include "driver/Dispatch.h"
#include "driver/Fptr.h"
#include "driver/Names.h"
#include "emulator/Constants.h"
#include "tests/support/RecordingUi.h"

namespace settings_test {

using Shown = testing_support::RecordingUi::Shown;
using RecordingUi = testing_support::RecordingUi;

// A register's settings table behind the driver's records and settings members.
class FakeRegister : public drv::IDispatch {
  public:
    struct Setting {
        int id;
        int type;  // LIBFPTR_ST_
        QVariant value;
    };
    struct Call {
        QString method;
        QVariantList args;
    };

    QList<Setting> table;
    QHash<int, std::pair<int, QString>> refuse;  // identifier -> error code and description
    int beginError = 0;
    int endError = 0;
    int commitError = 0;
    QList<Call> calls;
    QHash<int, QString> committed;  // identifier -> value text the last commit kept

    static int k(const char* name) { return emu::k(name); }

    std::optional<QVariant> constant(const QString& name) const override {
        const auto value = drv::constantValue(name);
        if (!value) return std::nullopt;
        return QVariant(*value);
    }

    std::optional<QVariant> invoke(const QString& method, const QVariantList& args) override {
        calls.append({method, args});
        if (method == "errorCode") return QVariant(code_);
        if (method == "errorDescription") return QVariant(description_);
        if (method == "setParam") {
            in_[args.value(0).toInt()] = args.value(1);
            return QVariant(0);
        }
        if (method.startsWith("getParam")) {
            const QVariant v = out_.value(args.value(0).toInt());
            if (method == "getParamInt") return QVariant(v.toInt());
            if (method == "getParamBool") return QVariant(v.toBool());
            if (method == "getParamString") return QVariant(v.toString());
            return v;
        }
        if (method == "beginReadRecords") {
            pos_ = 0;
            out_.clear();
            if (beginError) return fail(beginError, "Неверный тип записей");
            reading_ = true;
            out_[k("LIBFPTR_PARAM_RECORDS_ID")] = QStringLiteral("rec-1");
            return ok();
        }
        if (method == "readNextRecord") {
            if (!reading_ || in_.value(k("LIBFPTR_PARAM_RECORDS_ID")).toString() != "rec-1")
                return fail(13, "Неверный параметр");
            if (pos_ >= table.size()) return fail(30, "Нет больше данных");
            const Setting& s = table[pos_++];
            out_.clear();
            out_[k("LIBFPTR_PARAM_SETTING_ID")] = s.id;
            out_[k("LIBFPTR_PARAM_SETTING_TYPE")] = s.type;
            out_[k("LIBFPTR_PARAM_SETTING_VALUE")] = s.value;
            return ok();
        }
        if (method == "endReadRecords") {
            reading_ = false;
            if (endError) return fail(endError, "Ошибка завершения чтения");
            return ok();
        }
        if (method == "writeDeviceSetting") {
            const int id = in_.value(k("LIBFPTR_PARAM_SETTING_ID")).toInt();
            const QString value = in_.value(k("LIBFPTR_PARAM_SETTING_VALUE")).toString();
            if (refuse.contains(id)) return fail(refuse[id].first, refuse[id].second);
            pending_[id] = value;
            return ok();
        }
        if (method == "commitSettings") {
            if (commitError) {
                pending_.clear();
                return fail(commitError, "Ошибка записи настроек");
            }
            for (auto it = pending_.constBegin(); it != pending_.constEnd(); ++it)
                committed[it.key()] = it.value();
            pending_.clear();
            return ok();
        }
        return std::nullopt;
    }

    // The calls of `method`, in order.
    QList<Call> callsOf(const QString& method) const {
        QList<Call> out;
        for (const auto& c : calls)
            if (c.method == method) out.append(c);
        return out;
    }
    // The identifiers written, in order, as the register saw them.
    QStringList writtenIds() const {
        QStringList ids;
        QString last;
        for (const auto& c : calls) {
            if (c.method == "setParam" && c.args.value(0).toInt() == k("LIBFPTR_PARAM_SETTING_ID"))
                last = c.args.value(1).toString();
            if (c.method == "writeDeviceSetting") ids << last;
        }
        return ids;
    }

  private:
    QVariant fail(int code, const QString& description) {
        code_ = code;
        description_ = description;
        return QVariant(-1);
    }
    QVariant ok() {
        code_ = 0;
        description_ = QStringLiteral("Ошибок нет");
        return QVariant(0);
    }
    int code_ = 0;
    QString description_;
    QHash<int, QVariant> in_, out_;
    QHash<int, QString> pending_;
    int pos_ = 0;
    bool reading_ = false;
};

// A driver object around a fake register the test keeps a pointer to.
struct FakeDriver {
    FakeRegister* reg;
    std::unique_ptr<drv::Fptr> fptr;
    FakeDriver() {
        auto r = std::make_unique<FakeRegister>();
        reg = r.get();
        fptr = std::make_unique<drv::Fptr>(std::move(r));
    }
};

inline int number() {
    return emu::k("LIBFPTR_ST_NUMBER");
}
inline int boolean() {
    return emu::k("LIBFPTR_ST_BOOL");
}
inline int string() {
    return emu::k("LIBFPTR_ST_STRING");
}

}  // namespace settings_test
