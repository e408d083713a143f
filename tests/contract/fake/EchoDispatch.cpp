#include "tests/contract/fake/EchoDispatch.h"

#include <QDateTime>
#include <QThread>
#include <algorithm>

#include "driver/libfptr/Constants.h"

namespace contract {

std::optional<QVariant> EchoDispatch::constant(const QString& name) const {
    return drv::libfptr::publishedConstant(name);
}

int EchoDispatch::fail(int code, const QString& description) {
    errorCode_ = code;
    errorDescription_ = description;
    return -1;
}

int EchoDispatch::ok() {
    errorCode_ = 0;
    errorDescription_ = QStringLiteral("Ошибок нет");
    return 0;
}

QVariant EchoDispatch::param(const char* name) const {
    return params_.value(constant(QString::fromLatin1(name))->toInt());
}

std::optional<QVariant> EchoDispatch::invoke(const QString& method, const QVariantList& args) {
    if (method == "version") return QVariant(kVersion);
    if (method == "errorCode") return QVariant(errorCode_);
    if (method == "errorDescription") return QVariant(errorDescription_);
    if (method == "isOpened") return QVariant(opened_);
    if (method == "resetError") return QVariant(ok());
    if (method == "setParam" || method == "setNonPrintableParam") {
        if (args.size() < 2) return QVariant(-1);
        (method == "setParam" ? params_ : nonPrintable_)[args[0].toInt()] = args[1];
        return QVariant(0);
    }
    if (method.startsWith(QLatin1String("getParam"))) {
        if (args.isEmpty()) return QVariant(-1);
        const QVariant v = params_.value(args[0].toInt());
        if (method == "getParamInt") return QVariant(int(qint32(quint32(v.toLongLong()))));
        if (method == "getParamBool") return QVariant(v.toBool());
        if (method == "getParamDouble") return QVariant(v.toDouble());
        if (method == "getParamString") return QVariant(v.toString());
        if (method == "getParamByteArray") return QVariant(v.toByteArray());
        if (method == "getParamDateTime") {
            QDateTime dt = v.typeId() == QMetaType::QDate ? v.toDate().startOfDay()
                                                          : v.toDateTime().toLocalTime();
            if (dt.isValid())
                dt.setTime(QTime(dt.time().hour(), dt.time().minute(), dt.time().second()));
            return QVariant(dt);
        }
        return std::nullopt;
    }
    if (method == "setSingleSetting") {
        if (args.size() < 2) return QVariant(-1);
        pendingSettings_[args[0].toString()] = args[1].toString();
        return QVariant(0);
    }
    if (method == "getSingleSetting") {
        if (args.isEmpty()) return QVariant(-1);
        const QString key = args[0].toString();
        return QVariant(pendingSettings_.value(key, settings_.value(key)));
    }
    if (method == "applySingleSettings") {
        settings_.insert(pendingSettings_);
        pendingSettings_.clear();
        return QVariant(ok());
    }
    if (method == "setSettings") {
        if (args.isEmpty()) return QVariant(-1);
        settingsJson_ = args[0].toString();
        return QVariant(ok());
    }
    if (method == "getSettings") return QVariant(settingsJson_);
    if (method == "open") {
        opened_ = true;
        return QVariant(ok());
    }
    if (method == "close") {
        opened_ = false;
        return QVariant(ok());
    }
    if (method == "queryData" || method == "processJson") return QVariant(ok());
    if (method == "beep") {
        const int ms = std::clamp(param("LIBFPTR_PARAM_DURATION").toInt(), 0, 10000);
        QThread::msleep(ulong(ms));
        return QVariant(ok());
    }
    if (method == "report")
        return QVariant(fail(param("LIBFPTR_PARAM_REPORT_TYPE").toInt(),
                             param("LIBFPTR_PARAM_TEXT").toString()));
    return std::nullopt;
}

}  // namespace contract
