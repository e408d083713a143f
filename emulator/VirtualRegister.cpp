#include "emulator/VirtualRegister.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QThread>

#include "driver/DriverLog.h"
#include "driver/ValueText.h"
#include "driver/Versions.h"
#include "emulator/Bench.h"
#include "emulator/Constants.h"

namespace emu {
namespace {

const QHash<int, QString>& errorTexts() {
    static const QHash<int, QString> t = {
        {1, "Соединение не установлено"},
        {2, "Нет связи"},
        {3, "Порт занят"},
        {4, "Порт недоступен"},
        {5, "Некорректные данные от устройства"},
        {8, "Не указан обязательный параметр"},
        {11, "Не поддерживается в данной версии"},
        {12, "Неверный режим"},
        {13, "Неверный параметр"},
        {44, "Нет бумаги"},
        {45, "Открыта крышка"},
        {68, "Смена превысила 24 часа"},
        {73, "Операция невозможна в закрытой смене"},
        {81, "Операция невозможна в закрытом чеке"},
        {82, "Операция невозможна в открытом чеке"},
        {83, "Операция невозможна в открытой смене"},
        {123, "Нет больше данных"},
        {166, "ФН не найден"},
    };
    return t;
}

QString driverVersion() {
    auto& w = World::instance();
    return w.pc().value("driver").toObject().value("version").toString("10.10.4.0");
}

QVariant jsonToVariant(const QJsonValue& v) {
    if (v.isBool()) return v.toBool();
    if (v.isString()) return v.toString();
    if (v.isDouble()) {
        const QVariant x = v.toVariant();
        if (x.typeId() == QMetaType::LongLong || x.typeId() == QMetaType::Int)
            return x.toLongLong();
        return v.toDouble();
    }
    return {};
}

}  // namespace

VirtualRegister::VirtualRegister() {
    addHandlers();
}

std::unique_ptr<drv::IDispatch> VirtualRegister::create(const QString& progId) {
    if (progId.compare(QLatin1String(drv::kProgId), Qt::CaseInsensitive) != 0) return nullptr;
    auto& w = World::instance();
    std::lock_guard lock(w.mutex());
    if (!w.pc().value("driver").toObject().value("creatable").toBool(true)) return nullptr;
    return std::make_unique<VirtualRegister>();
}

std::optional<QVariant> VirtualRegister::constant(const QString& name) const {
    if (const auto v = drv::constantValue(name)) return QVariant(*v);
    if (const auto key = drv::settingKey(name)) return QVariant(*key);
    return std::nullopt;
}

int VirtualRegister::fail(int code, const QString& description) {
    errorCode_ = code;
    errorDescription_ = description.isEmpty() ? errorTexts().value(code, "Ошибка") : description;
    return -1;
}

int VirtualRegister::ok() {
    errorCode_ = 0;
    errorDescription_ = QStringLiteral("Ошибок нет");
    return 0;
}

QJsonObject* VirtualRegister::reg() {
    if (opened_ < 0 || opened_ >= World::instance().registerCount()) return nullptr;
    return &World::instance().reg(opened_);
}

int VirtualRegister::needOpen() {
    if (reg()) return 0;
    fail(1);
    return errorCode_;
}

QVariant VirtualRegister::in(const char* param) const {
    return inParams_.value(k(param));
}
void VirtualRegister::out(const char* param, const QVariant& v) {
    outParams_[k(param)] = v;
}

QDateTime VirtualRegister::clock() const {
    const auto* r = const_cast<VirtualRegister*>(this)->reg();
    const qint64 offset = r ? r->value("clockOffsetSeconds").toInteger() : 0;
    return QDateTime::currentDateTime().addSecs(offset);
}

bool VirtualRegister::injectedError(const QString& method) {
    auto* r = reg();
    int idx = opened_;
    if (!r && method == "open") {
        // errors of open belong to the register the settings point at
        const auto port = singleSettings_.value("Port").toInt();
        idx = port == k("LIBFPTR_PORT_TCPIP")
                  ? World::instance().findByAddress(singleSettings_.value("IPAddress").toString(),
                                                    singleSettings_.value("IPPort").toInt())
                  : World::instance().findByPort(singleSettings_.value("ComFile").toString());
        if (idx < 0) return false;
        r = &World::instance().reg(idx);
    }
    if (!r) return false;
    const auto errors = r->value("errors").toArray();
    bool counted = false;
    int n = 0;
    for (const auto& e : errors) {
        const auto o = e.toObject();
        if (o.value("method").toString() != method) continue;
        if (!counted) {
            n = World::instance().countCall(idx, method);
            counted = true;
        }
        const int from = o.value("fromCall").toInt(1);
        const int times = o.value("times").toInt(0);
        if (n >= from && (times <= 0 || n < from + times)) {
            fail(o.value("code").toInt(2), o.value("description").toString());
            return true;
        }
    }
    return false;
}

std::optional<QVariant> VirtualRegister::invoke(const QString& method, const QVariantList& args) {
    auto& w = World::instance();
    std::lock_guard lock(w.mutex());
    // plain accessors
    if (method == "errorCode") return QVariant(errorCode_);
    if (method == "errorDescription") return QVariant(errorDescription_);
    if (method == "version") return QVariant(driverVersion());
    if (method == "isOpened") return QVariant(opened_ >= 0);
    if (method == "setParam") {
        if (args.size() < 2) return QVariant(fail(8));
        inParams_[args[0].toInt()] = args[1];
        return QVariant(ok());
    }
    if (method.startsWith(QLatin1String("getParam"))) {
        if (args.isEmpty()) return QVariant(fail(8));
        const QVariant v = outParams_.value(args[0].toInt());
        if (method == "getParamInt") return QVariant(v.toInt());
        if (method == "getParamBool") return QVariant(v.toBool());
        if (method == "getParamDouble") return QVariant(v.toDouble());
        if (method == "getParamDateTime") return QVariant(v.toDateTime());
        if (method == "getParamByteArray") return QVariant(v.toByteArray());
        if (method == "getParamString") {
            if (v.typeId() == QMetaType::Bool) return QVariant(v.toBool() ? "1" : "0");
            if (v.typeId() == QMetaType::QDateTime)
                return QVariant(v.toDateTime().toString(Qt::ISODate));
            return QVariant(v.toString());
        }
        return std::nullopt;
    }
    auto it = handlers_.constFind(method);
    if (it == handlers_.constEnd()) return std::nullopt;

    // A serial link takes its time per call.
    int latency = w.pc().value("latencyMs").toInt(0);
    if (const auto* r = reg()) latency = r->value("latencyMs").toInt(latency);
    if (latency > 0) QThread::msleep(latency);

    if (injectedError(method)) {
        inParams_.clear();
        return QVariant(-1);
    }
    const int result = (*it)(args);
    if (method != "setSingleSetting") inParams_.clear();
    return QVariant(result);
}

int VirtualRegister::printed(const QString& kind, const QString& text) {
    if (needOpen()) return -1;
    drv::DriverLog::instance().printed(kind, text, {{"serial", reg()->value("serial").toString()}});
    return ok();
}

void VirtualRegister::addHandlers() {
    handlers_["setSingleSetting"] = [this](const QVariantList& a) {
        if (a.size() < 2) return fail(8);
        pendingSingle_[a[0].toString()] = a[1];
        return ok();
    };
    handlers_["applySingleSettings"] = [this](const QVariantList&) {
        for (auto i = pendingSingle_.constBegin(); i != pendingSingle_.constEnd(); ++i)
            singleSettings_[i.key()] = i.value();
        pendingSingle_.clear();
        return ok();
    };
    handlers_["open"] = [this](const QVariantList&) { return doOpen(); };
    handlers_["close"] = [this](const QVariantList&) {
        opened_ = -1;
        return ok();
    };
    handlers_["queryData"] = [this](const QVariantList&) { return doQueryData(); };
    handlers_["fnQueryData"] = [this](const QVariantList&) { return doFnQueryData(); };
    handlers_["processJson"] = [this](const QVariantList&) { return doProcessJson(); };
    handlers_["beginReadRecords"] = [this](const QVariantList&) { return doBeginReadRecords(); };
    handlers_["readNextRecord"] = [this](const QVariantList&) { return doReadNextRecord(); };
    handlers_["endReadRecords"] = [this](const QVariantList&) {
        recordsId_.clear();
        recordsType_ = -1;
        return ok();
    };
    handlers_["readDeviceSetting"] = [this](const QVariantList&) { return doReadDeviceSetting(); };
    handlers_["writeDeviceSetting"] = [this](const QVariantList&) {
        return doWriteDeviceSetting();
    };
    handlers_["commitSettings"] = [this](const QVariantList&) { return needOpen() ? -1 : ok(); };
    handlers_["resetSettings"] = [this](const QVariantList&) { return needOpen() ? -1 : ok(); };

    // Commands that print: the text goes to the driver log.
    handlers_["printText"] = [this](const QVariantList&) {
        return printed("text", in("LIBFPTR_PARAM_TEXT").toString());
    };
    handlers_["printBarcode"] = [this](const QVariantList&) {
        return printed("barcode", in("LIBFPTR_PARAM_BARCODE").toString());
    };
    handlers_["printPicture"] = [this](const QVariantList&) {
        return printed("picture", in("LIBFPTR_PARAM_FILENAME").toString());
    };
    handlers_["printPictureByNumber"] = [this](const QVariantList&) {
        return printed("picture", QString::number(inInt("LIBFPTR_PARAM_PICTURE_NUMBER")));
    };
    handlers_["printCliche"] = [this](const QVariantList&) { return printed("cliche", {}); };
    handlers_["lineFeed"] = [this](const QVariantList&) { return printed("lineFeed", {}); };
    handlers_["cut"] = [this](const QVariantList&) { return printed("cut", {}); };
    handlers_["beep"] = [this](const QVariantList&) { return printed("beep", {}); };
    handlers_["openDrawer"] = [this](const QVariantList&) { return printed("openDrawer", {}); };
    handlers_["deviceReboot"] = [this](const QVariantList&) { return printed("reboot", {}); };
    handlers_["devicePoweroff"] = [this](const QVariantList&) {
        if (printed("poweroff", {})) return -1;
        opened_ = -1;
        return ok();
    };
    handlers_["writeDateTime"] = [this](const QVariantList&) {
        if (needOpen()) return -1;
        const QDateTime want = in("LIBFPTR_PARAM_DATE_TIME").toDateTime();
        if (!want.isValid()) return fail(8);
        reg()->insert("clockOffsetSeconds", QDateTime::currentDateTime().secsTo(want));
        return ok();
    };
    handlers_["openShift"] = [this](const QVariantList&) {
        if (needOpen()) return -1;
        auto shift = reg()->value("shift").toObject();
        if (shift.value("state").toInt() != 0) return fail(83);
        shift["state"] = 1;
        shift["number"] = shift.value("number").toInt() + 1;
        shift["expiresAt"] = clock().addSecs(24 * 3600).toString(Qt::ISODate);
        reg()->insert("shift", shift);
        return printed("report", "openShift");
    };
    handlers_["report"] = [this](const QVariantList&) {
        if (needOpen()) return -1;
        const int type = inInt("LIBFPTR_PARAM_REPORT_TYPE");
        if (type == k("LIBFPTR_RT_CLOSE_SHIFT")) {
            auto shift = reg()->value("shift").toObject();
            if (shift.value("state").toInt() == 0) return fail(73);
            shift["state"] = 0;
            reg()->insert("shift", shift);
        }
        return printed("report", QString::number(type));
    };
    handlers_["checkDocumentClosed"] = [this](const QVariantList&) {
        if (needOpen()) return -1;
        out("LIBFPTR_PARAM_DOCUMENT_CLOSED", true);
        return ok();
    };
    const auto cash = [this](const char* key) {
        return [this, key](const QVariantList&) {
            if (needOpen()) return -1;
            auto shift = reg()->value("shift").toObject();
            if (shift.value("state").toInt() == 2) return fail(68);
            const double sum = in("LIBFPTR_PARAM_SUM").toDouble();
            auto counters = reg()->value("counters").toObject();
            counters[QString(key) + "Sum"] = counters.value(QString(key) + "Sum").toDouble() + sum;
            counters[QString(key) + "Count"] = counters.value(QString(key) + "Count").toInt() + 1;
            reg()->insert("counters", counters);
            return printed(key, drv::jsonOf(sum).toVariant().toString());
        };
    };
    handlers_["cashIncome"] = cash("cashIn");
    handlers_["cashOutcome"] = cash("cashOut");
    const auto endReceipt = [this](const char* what) {
        return [this, what](const QVariantList&) {
            if (needOpen()) return -1;
            auto receipt = reg()->value("receipt").toObject();
            if (receipt.value("type").toInt() == 0) return fail(81);
            receipt["type"] = 0;
            reg()->insert("receipt", receipt);
            return printed("receipt", what);
        };
    };
    handlers_["closeReceipt"] = endReceipt("close");
    handlers_["cancelReceipt"] = endReceipt("cancel");
    handlers_["continuePrint"] = [this](const QVariantList&) { return printed("continue", {}); };
    handlers_["beginNonfiscalDocument"] = [this](const QVariantList&) {
        return printed("nonfiscal", "begin");
    };
    handlers_["endNonfiscalDocument"] = [this](const QVariantList&) {
        return printed("nonfiscal", "end");
    };
    handlers_["setFooterLines"] = [this](const QVariantList&) { return needOpen() ? -1 : ok(); };
    handlers_["uploadPictureMemory"] = [this](const QVariantList&) {
        if (needOpen()) return -1;
        auto pics = reg()->value("pictures").toArray();
        pics.append(QJsonObject{{"file", in("LIBFPTR_PARAM_FILENAME").toString()}});
        reg()->insert("pictures", pics);
        out("LIBFPTR_PARAM_PICTURE_NUMBER", int(pics.size()));
        return ok();
    };
    handlers_["uploadPictureCliche"] = handlers_["uploadPictureMemory"];
    handlers_["downloadPicture"] = [this](const QVariantList&) {
        if (needOpen()) return -1;
        const int n = inInt("LIBFPTR_PARAM_PICTURE_NUMBER");
        const auto pics = reg()->value("pictures").toArray();
        if (n < 1 || n > pics.size()) return fail(13);
        return ok();
    };
    handlers_["clearPictures"] = [this](const QVariantList&) {
        if (needOpen()) return -1;
        reg()->insert("pictures", QJsonArray());
        return ok();
    };
}

int VirtualRegister::doOpen() {
    auto& w = World::instance();
    opened_ = -1;
    const int port = singleSettings_.value("Port").toInt();
    int idx = -1;
    if (port == k("LIBFPTR_PORT_TCPIP")) {
        idx = w.findByAddress(singleSettings_.value("IPAddress").toString(),
                              singleSettings_.value("IPPort").toInt());
        if (idx < 0) return fail(2);
    } else {
        const QString file = singleSettings_.value("ComFile").toString();
        idx = w.findByPort(file);
        if (idx < 0) {
            // A port the virtual PC has but no register answers on, or no port at all.
            const auto ports = w.pc().value("serialcomm").toArray();
            for (const auto& p : ports) {
                const QString name = p.toObject().value("port").toString();
                if (QString::number(comNumber(name)) == file || name == file) return fail(2);
            }
            return fail(4);
        }
        const QString com = w.reg(idx).value("com").toString();
        const auto portState = w.pc().value("ports").toObject().value(com).toObject();
        if (portState.value("busyBy").toInteger() != 0) return fail(3);
    }
    const QJsonObject& r = w.reg(idx);
    if (r.value("platform").toString() == "2.5" &&
        drv::compareVersions("10.10.0.0", driverVersion()) == 2)
        return fail(11);
    if (r.value("offline").toBool()) return fail(2);
    opened_ = idx;
    return ok();
}

int VirtualRegister::doQueryData() {
    if (needOpen()) return -1;
    const QJsonObject& r = *reg();
    const int type = inInt("LIBFPTR_PARAM_DATA_TYPE", -1);
    const auto flags = r.value("flags").toObject();
    const auto units = r.value("units").toObject();
    const auto shift = r.value("shift").toObject();
    const auto receipt = r.value("receipt").toObject();
    const auto counters = r.value("counters").toObject();
    outParams_.clear();
    if (type == k("LIBFPTR_DT_STATUS")) {
        out("LIBFPTR_PARAM_MODEL_NAME", r.value("model").toString());
        out("LIBFPTR_PARAM_SERIAL_NUMBER", r.value("serial").toString());
        out("LIBFPTR_PARAM_UNIT_VERSION", units.value("firmware").toString());
        out("LIBFPTR_PARAM_FISCAL", flags.value("fiscal").toBool());
        out("LIBFPTR_PARAM_FN_PRESENT", flags.value("fnPresent").toBool(true));
        out("LIBFPTR_PARAM_FN_FISCAL", flags.value("fnFiscal").toBool());
        out("LIBFPTR_PARAM_COVER_OPENED", flags.value("coverOpened").toBool());
        out("LIBFPTR_PARAM_RECEIPT_PAPER_PRESENT", flags.value("paperPresent").toBool(true));
        out("LIBFPTR_PARAM_CUT_ERROR", flags.value("cutError").toBool());
        out("LIBFPTR_PARAM_PRINTER_OVERHEAT", flags.value("printerOverheat").toBool());
        out("LIBFPTR_PARAM_BLOCKED", flags.value("blocked").toBool());
        out("LIBFPTR_PARAM_SHIFT_STATE", shift.value("state").toInt());
        out("LIBFPTR_PARAM_SHIFT_NUMBER", shift.value("number").toInt());
        out("LIBFPTR_PARAM_RECEIPT_TYPE", receipt.value("type").toInt());
        out("LIBFPTR_PARAM_RECEIPT_LINE_LENGTH", r.value("lineLength").toInt(48));
        out("LIBFPTR_PARAM_DATE_TIME", clock());
    } else if (type == k("LIBFPTR_DT_SERIAL_NUMBER")) {
        out("LIBFPTR_PARAM_SERIAL_NUMBER", r.value("serial").toString());
    } else if (type == k("LIBFPTR_DT_UNIT_VERSION")) {
        static const char* unitKeys[] = {"firmware", "configuration", "templates", "controlUnit",
                                         "boot"};
        const int unit = inInt("LIBFPTR_PARAM_UNIT_TYPE", -1);
        if (unit < 0 || unit > 4) return fail(13);
        const QString key = unitKeys[unit];
        if (!units.contains(key)) return fail(11);
        out("LIBFPTR_PARAM_UNIT_VERSION", units.value(key).toString());
        out("LIBFPTR_PARAM_UNIT_RELEASE_VERSION", units.value(key + "Release").toString());
    } else if (type == k("LIBFPTR_DT_SCRIPTS_INFO")) {
        out("LIBFPTR_PARAM_SCRIPT_NAME", r.value("scriptName").toString());
    } else if (type == k("LIBFPTR_DT_POWER_SOURCE_STATE")) {
        static const char* sources[] = {"powerSupply", "rtcBattery", "battery"};
        const int src = inInt("LIBFPTR_PARAM_POWER_SOURCE_TYPE", -1);
        if (src < 0 || src > 2) return fail(13);
        const auto volts = r.value("voltages").toObject();
        if (!volts.contains(sources[src])) return fail(11);
        out("LIBFPTR_PARAM_VOLTAGE", volts.value(sources[src]).toDouble());
    } else if (type == k("LIBFPTR_DT_MAC_ADDRESS")) {
        out("LIBFPTR_PARAM_MAC_ADDRESS", r.value("mac").toString());
    } else if (type == k("LIBFPTR_DT_WIFI_INFO")) {
        if (r.value("wifi").toInt(-1) < 0) return fail(11);
        return ok();
    } else if (type == k("LIBFPTR_DT_SHIFT_STATE")) {
        int state = shift.value("state").toInt();
        const QDateTime expires =
            QDateTime::fromString(shift.value("expiresAt").toString(), Qt::ISODate);
        if (state == 1 && expires.isValid() && expires < clock()) state = 2;
        out("LIBFPTR_PARAM_SHIFT_STATE", state);
        out("LIBFPTR_PARAM_SHIFT_NUMBER", shift.value("number").toInt());
        // the driver answers date-times in the PC's local time
        out("LIBFPTR_PARAM_DATE_TIME", expires.toLocalTime());
    } else if (type == k("LIBFPTR_DT_RECEIPT_STATE")) {
        out("LIBFPTR_PARAM_RECEIPT_TYPE", receipt.value("type").toInt());
        out("LIBFPTR_PARAM_RECEIPT_NUMBER", receipt.value("number").toInt());
        out("LIBFPTR_PARAM_DOCUMENT_NUMBER", receipt.value("documentNumber").toInt());
        out("LIBFPTR_PARAM_RECEIPT_SUM", receipt.value("sum").toDouble());
        out("LIBFPTR_PARAM_REMAINDER", receipt.value("remainder").toDouble());
        out("LIBFPTR_PARAM_CHANGE", receipt.value("change").toDouble());
    } else if (type == k("LIBFPTR_DT_NON_NULLABLE_SUM")) {
        const QString rt = QString::number(inInt("LIBFPTR_PARAM_RECEIPT_TYPE"));
        out("LIBFPTR_PARAM_SUM", r.value("nonNullableSum").toObject().value(rt).toDouble());
    } else if (type == k("LIBFPTR_DT_DATE_TIME")) {
        out("LIBFPTR_PARAM_DATE_TIME", clock());
    } else if (type == k("LIBFPTR_DT_CASH_SUM")) {
        out("LIBFPTR_PARAM_SUM", counters.value("cashSum").toDouble());
    } else if (type == k("LIBFPTR_DT_CASHIN_SUM")) {
        out("LIBFPTR_PARAM_SUM", counters.value("cashInSum").toDouble());
    } else if (type == k("LIBFPTR_DT_CASHOUT_SUM")) {
        out("LIBFPTR_PARAM_SUM", counters.value("cashOutSum").toDouble());
    } else if (type == k("LIBFPTR_DT_CASHIN_COUNT")) {
        out("LIBFPTR_PARAM_COUNT", counters.value("cashInCount").toInt());
    } else if (type == k("LIBFPTR_DT_CASHOUT_COUNT")) {
        out("LIBFPTR_PARAM_COUNT", counters.value("cashOutCount").toInt());
    } else if (type == k("LIBFPTR_DT_RECEIPT_COUNT")) {
        const QString rt = QString::number(inInt("LIBFPTR_PARAM_RECEIPT_TYPE"));
        out("LIBFPTR_PARAM_COUNT", counters.value("receiptCount").toObject().value(rt).toInt());
    } else if (type == k("LIBFPTR_DT_PAYMENT_SUM")) {
        const QString key = QString::number(inInt("LIBFPTR_PARAM_RECEIPT_TYPE")) + "/" +
                            QString::number(inInt("LIBFPTR_PARAM_PAYMENT_TYPE"));
        out("LIBFPTR_PARAM_SUM", counters.value("paymentSum").toObject().value(key).toDouble());
    } else if (type == k("LIBFPTR_DT_PICTURES_ARRAY_INFO")) {
        out("LIBFPTR_PARAM_COUNT", int(r.value("pictures").toArray().size()));
    } else if (type == k("LIBFPTR_DT_PICTURE_INFO")) {
        const int n = inInt("LIBFPTR_PARAM_PICTURE_NUMBER");
        const auto pics = r.value("pictures").toArray();
        if (n < 1 || n > pics.size()) return fail(13);
        const auto p = pics[n - 1].toObject();
        out("LIBFPTR_PARAM_WIDTH", p.value("width").toInt());
        out("LIBFPTR_PARAM_HEIGHT", p.value("height").toInt());
    } else if (type == k("LIBFPTR_DT_FONT_INFO")) {
        out("LIBFPTR_PARAM_RECEIPT_LINE_LENGTH", r.value("lineLength").toInt(48));
    } else {
        return fail(13);
    }
    return ok();
}

int VirtualRegister::doFnQueryData() {
    if (needOpen()) return -1;
    const QJsonObject& r = *reg();
    outParams_.clear();
    if (!r.value("flags").toObject().value("fnPresent").toBool(true)) return fail(166);
    const int type = inInt("LIBFPTR_PARAM_FN_DATA_TYPE", -1);
    const auto fn = r.value("fn").toObject();
    const auto info = fn.value("info").toObject();
    const auto ffd = r.value("ffd").toObject();
    if (type == k("LIBFPTR_FNDT_FFD_VERSIONS")) {
        out("LIBFPTR_PARAM_DEVICE_FFD_VERSION", ffd.value("device").toInt());
        out("LIBFPTR_PARAM_DEVICE_MAX_FFD_VERSION", ffd.value("deviceMax").toInt());
        out("LIBFPTR_PARAM_DEVICE_MIN_FFD_VERSION", ffd.value("deviceMin").toInt());
        out("LIBFPTR_PARAM_FN_MAX_FFD_VERSION", ffd.value("fnMax").toInt());
        out("LIBFPTR_PARAM_FN_FFD_VERSION", ffd.value("fn").toInt());
    } else if (type == k("LIBFPTR_FNDT_REG_INFO")) {
        if (!r.value("flags").toObject().value("fnFiscal").toBool()) return fail(12);
        const auto tags = r.value("registration").toObject();
        for (auto i = tags.constBegin(); i != tags.constEnd(); ++i)
            outParams_[i.key().toInt()] = jsonToVariant(i.value());
    } else if (type == k("LIBFPTR_FNDT_LAST_REGISTRATION")) {
        const auto last = fn.value("lastRegistration").toObject();
        out("LIBFPTR_PARAM_DOCUMENT_NUMBER", last.value("documentNumber").toInt());
        out("LIBFPTR_PARAM_REGISTRATIONS_COUNT", last.value("registrationsCount").toInt());
        out("LIBFPTR_PARAM_DATE_TIME",
            drv::parseIsoDateTime(last.value("dateTime").toString()).toLocalTime());
    } else if (type == k("LIBFPTR_FNDT_FN_INFO")) {
        out("LIBFPTR_PARAM_SERIAL_NUMBER", info.value("serial").toString());
        out("LIBFPTR_PARAM_FN_KEYS_UPDATER_SERVER_URI",
            fn.value("keysUpdaterServerUri").toString());
    } else if (type == k("LIBFPTR_FNDT_FREE_MEMORY")) {
        out("LIBFPTR_PARAM_DOCUMENTS_COUNT", fn.value("freeDocuments").toInt());
    } else if (type == k("LIBFPTR_FNDT_VALIDITY")) {
        out("LIBFPTR_PARAM_DATE_TIME",
            drv::parseIsoDateTime(info.value("validityDate").toString()).toLocalTime());
        out("LIBFPTR_PARAM_REGISTRATIONS_COUNT", info.value("numberOfRegistrations").toInt());
    } else if (type == k("LIBFPTR_FNDT_OFD_EXCHANGE_STATUS")) {
        const auto st = fn.value("ofdExchange").toObject().value("status").toObject();
        out("LIBFPTR_PARAM_DOCUMENTS_COUNT", st.value("notSentCount").toInt());
        out("LIBFPTR_PARAM_DOCUMENT_NUMBER", st.value("notSentFirstDocNumber").toInt());
        out("LIBFPTR_PARAM_DATE_TIME",
            drv::parseIsoDateTime(st.value("notSentFirstDocDateTime").toString()).toLocalTime());
    } else if (type == k("LIBFPTR_FNDT_LAST_DOCUMENT") || type == k("LIBFPTR_FNDT_LAST_RECEIPT") ||
               type == k("LIBFPTR_FNDT_DOCUMENT_BY_NUMBER")) {
        const auto docs = fn.value("documents").toArray();
        QJsonObject found;
        const int want = inInt("LIBFPTR_PARAM_DOCUMENT_NUMBER", -1);
        for (const auto& d : docs) {
            const auto tlv = d.toObject().value("documentTLV").toObject();
            const QString t = d.toObject().value("fiscalDocumentType").toString();
            if (type == k("LIBFPTR_FNDT_DOCUMENT_BY_NUMBER")) {
                if (tlv.value("1040").toInt() == want) found = d.toObject();
            } else if (type == k("LIBFPTR_FNDT_LAST_DOCUMENT") || t == "receipt") {
                if (tlv.value("1040").toInt() >=
                    found.value("documentTLV").toObject().value("1040").toInt())
                    found = d.toObject();
            }
        }
        if (found.isEmpty()) return fail(123);
        const auto tlv = found.value("documentTLV").toObject();
        out("LIBFPTR_PARAM_DOCUMENT_NUMBER", tlv.value("1040").toInt());
        out("LIBFPTR_PARAM_FISCAL_SIGN",
            QString::number(tlv.value("1077").toVariant().toLongLong()));
        out("LIBFPTR_PARAM_DATE_TIME",
            drv::parseIsoDateTime(tlv.value("1012").toString()).toLocalTime());
        out("LIBFPTR_PARAM_RECEIPT_SUM", tlv.value("1020").toDouble());
        out("LIBFPTR_PARAM_RECEIPT_TYPE", tlv.value("1054").toInt());
    } else if (type == k("LIBFPTR_FNDT_SHIFT")) {
        const auto shift = r.value("shift").toObject();
        out("LIBFPTR_PARAM_SHIFT_NUMBER", shift.value("number").toInt());
        out("LIBFPTR_PARAM_RECEIPT_NUMBER", shift.value("receipts").toInt());
    } else {
        return fail(13);
    }
    return ok();
}

int VirtualRegister::doProcessJson() {
    if (needOpen()) return -1;
    const QJsonObject& r = *reg();
    const int jsonParam = k("LIBFPTR_PARAM_JSON_DATA");
    outParams_.clear();
    const auto request = QJsonDocument::fromJson(inParams_.value(jsonParam).toString().toUtf8());
    if (!request.isObject()) return fail(5);
    const QString type = request.object().value("type").toString();
    // A bench may give a task's answer text as it stands (empty, or not JSON at all).
    const auto raw = r.value("jsonAnswers").toObject();
    if (raw.contains(type)) {
        outParams_[jsonParam] = raw.value(type).toString();
        return ok();
    }
    const auto answer = [&](const QJsonObject& o) {
        outParams_[jsonParam] = QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
        return ok();
    };
    const auto fn = r.value("fn").toObject();
    const bool fnPresent = r.value("flags").toObject().value("fnPresent").toBool(true);
    if (type == "getRegistrationInfo" || type == "getFnInfo" || type == "getFnStatus" ||
        type == "ofdExchangeStatus" || type == "getFnDocument") {
        if (!fnPresent) {
            outParams_[jsonParam] = QString();
            return fail(166);
        }
    }
    if (type == "getFnInfo") return answer({{"fnInfo", fn.value("info")}});
    if (type == "getFnStatus") return answer({{"fnStatus", fn.value("status")}});
    if (type == "ofdExchangeStatus") return answer(fn.value("ofdExchange").toObject());
    if (type == "getRegistrationInfo") return answer(r.value("registrationInfo").toObject());
    if (type == "getFnDocument") {
        const int want = request.object().value("fiscalDocumentNumber").toInt(-1);
        for (const auto& d : fn.value("documents").toArray()) {
            const auto doc = d.toObject();
            if (doc.value("documentTLV").toObject().value("1040").toInt() == want)
                return answer(doc);
        }
        outParams_[jsonParam] = QString();
        return fail(123);
    }
    return fail(11);
}

int VirtualRegister::doBeginReadRecords() {
    if (needOpen()) return -1;
    recordsType_ = inInt("LIBFPTR_PARAM_RECORDS_TYPE", -1);
    if (recordsType_ != k("LIBFPTR_RT_LICENSES") && recordsType_ != k("LIBFPTR_RT_SETTINGS"))
        return fail(13);
    recordsPos_ = 0;
    recordsId_ = QStringLiteral("records-%1-%2").arg(recordsType_).arg(quintptr(this), 0, 16);
    outParams_.clear();
    out("LIBFPTR_PARAM_RECORDS_ID", recordsId_);
    return ok();
}

int VirtualRegister::doReadNextRecord() {
    if (needOpen()) return -1;
    if (recordsId_.isEmpty() || in("LIBFPTR_PARAM_RECORDS_ID").toString() != recordsId_)
        return fail(13);
    const QJsonObject& r = *reg();
    outParams_.clear();
    if (recordsType_ == k("LIBFPTR_RT_LICENSES")) {
        const auto list = r.value("licenses").toArray();
        if (recordsPos_ >= list.size()) return fail(123);
        const auto l = list[recordsPos_++].toObject();
        out("LIBFPTR_PARAM_LICENSE_NUMBER", l.value("number").toInt());
        out("LIBFPTR_PARAM_LICENSE_NAME", l.value("name").toString());
        out("LIBFPTR_PARAM_LICENSE_VALID_FROM",
            drv::parseIsoDateTime(l.value("from").toString()).toLocalTime());
        out("LIBFPTR_PARAM_LICENSE_VALID_UNTIL",
            drv::parseIsoDateTime(l.value("until").toString()).toLocalTime());
        return ok();
    }
    const auto list = r.value("settings").toArray();
    if (recordsPos_ >= list.size()) return fail(123);
    const auto s = list[recordsPos_++].toObject();
    const QString t = s.value("type").toString("number");
    out("LIBFPTR_PARAM_SETTING_ID", s.value("id").toInt());
    out("LIBFPTR_PARAM_SETTING_TYPE", t == "string" ? k("LIBFPTR_ST_STRING")
                                      : t == "bool" ? k("LIBFPTR_ST_BOOL")
                                                    : k("LIBFPTR_ST_NUMBER"));
    out("LIBFPTR_PARAM_SETTING_VALUE", jsonToVariant(s.value("value")));
    return ok();
}

int VirtualRegister::doReadDeviceSetting() {
    if (needOpen()) return -1;
    const int id = inInt("LIBFPTR_PARAM_SETTING_ID", -1);
    outParams_.clear();
    for (const auto& v : reg()->value("settings").toArray()) {
        const auto s = v.toObject();
        if (s.value("id").toInt() != id) continue;
        QVariant value = jsonToVariant(s.value("value"));
        if (value.typeId() == QMetaType::Bool) value = value.toBool() ? 1 : 0;
        out("LIBFPTR_PARAM_SETTING_VALUE", value);
        return ok();
    }
    return fail(13);
}

int VirtualRegister::doWriteDeviceSetting() {
    if (needOpen()) return -1;
    const int id = inInt("LIBFPTR_PARAM_SETTING_ID", -1);
    const QVariant value = in("LIBFPTR_PARAM_SETTING_VALUE");
    if (!value.isValid()) return fail(8);
    auto settings = reg()->value("settings").toArray();
    for (int i = 0; i < settings.size(); ++i) {
        auto s = settings[i].toObject();
        if (s.value("id").toInt() != id) continue;
        const QString t = s.value("type").toString("number");
        if (t == "string")
            s["value"] = value.toString();
        else if (t == "bool")
            s["value"] = value.toString() == "1" ||
                         value.toString().compare("true", Qt::CaseInsensitive) == 0;
        else {
            bool okNum = false;
            const qlonglong n = value.toString().toLongLong(&okNum);
            if (!okNum) return fail(13);
            s["value"] = n;
        }
        settings[i] = s;
        reg()->insert("settings", settings);
        return ok();
    }
    return fail(13);
}

}  // namespace emu
