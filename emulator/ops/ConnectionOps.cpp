// Connection: settings of the link (one by one or as a JSON object), open and close.
#include <QJsonDocument>
#include <QJsonObject>

#include "driver/Versions.h"
#include "emulator/Bench.h"
#include "emulator/ops/Call.h"

namespace emu {
namespace {

using namespace drv::names;

const QString kPort = QStringLiteral("Port");
const QString kComFile = QStringLiteral("ComFile");
const QString kIpAddress = QStringLiteral("IPAddress");
const QString kIpPort = QStringLiteral("IPPort");
const QString kUsbDevicePath = QStringLiteral("UsbDevicePath");

// What a fresh driver object holds before anything is set: any model, the first USB register.
const QHash<QString, QVariant>& defaultSettings() {
    static const QHash<QString, QVariant> d = {
        {QStringLiteral("Model"), k(LIBFPTR_MODEL_ATOL_AUTO)},
        {kPort, k(LIBFPTR_PORT_USB)},
        {QStringLiteral("BaudRate"), k(LIBFPTR_PORT_BR_115200)},
        {QStringLiteral("Bits"), k(LIBFPTR_PORT_BITS_8)},
        {QStringLiteral("Parity"), k(LIBFPTR_PORT_PARITY_NO)},
        {QStringLiteral("StopBits"), k(LIBFPTR_PORT_SB_1)},
        {kComFile, QString()},
        {kIpAddress, QString()},
        {kIpPort, 5555},
        {kUsbDevicePath, QStringLiteral("auto")},
        {QStringLiteral("AccessPassword"), QString()},
        {QStringLiteral("UserPassword"), QString()},
    };
    return d;
}

// Settings the driver reads as numbers or as true/false; the rest are texts.
bool isNumberSetting(const QString& key) {
    static const QStringList keys = {"Model",  "Port",       "BaudRate",
                                     "Bits",   "Parity",     "StopBits",
                                     "IPPort", "OfdChannel", "RemoteServerConnectionTimeout"};
    return keys.contains(key);
}
bool isBoolSetting(const QString& key) {
    static const QStringList keys = {"AutoEnableBluetooth",    "AutoDisableBluetooth",
                                     "UseDocumentsJournal",    "AutoReconnect",
                                     "InvertCashDrawerStatus", "ValidateMarksWithFnmOnly",
                                     "AutoMeasurementUnit",    "SilentReboot",
                                     "AutoTimeSync",           "MergeReceiptItems"};
    return keys.contains(key);
}

QVariant settingValue(const ObjectState& s, const QString& key) {
    if (s.pendingSingle.contains(key)) return s.pendingSingle.value(key);
    if (s.singleSettings.contains(key)) return s.singleSettings.value(key);
    return defaultSettings().value(key);
}

QString settingText(const QVariant& v) {
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return v.toString();
}

QJsonValue jsonSetting(const QString& key, const QVariant& v) {
    const QString text = settingText(v);
    bool ok = false;
    if (isBoolSetting(key)) {
        const int n = text.toInt(&ok);
        if (ok) return n != 0;
        return text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    }
    if (isNumberSetting(key)) {
        const qlonglong n = text.toLongLong(&ok);
        if (ok) return n;
    }
    return text;
}

int doSetSingleSetting(Call& c) {
    if (c.args.size() < 2) return c.fail(LIBFPTR_ERROR_NO_REQUIRED_PARAM);
    c.object.pendingSingle.insert(c.args[0].toString(), c.args[1]);
    return c.ok();
}

int doApplySingleSettings(Call& c) {
    for (auto i = c.object.pendingSingle.constBegin(); i != c.object.pendingSingle.constEnd(); ++i)
        c.object.singleSettings.insert(i.key(), i.value());
    c.object.pendingSingle.clear();
    return c.ok();
}

// The whole set at once, as a JSON object of keys and values (numbers, texts or true/false);
// keys it does not name keep their values. Something else is refused and changes nothing.
int doSetSettings(Call& c) {
    if (c.args.isEmpty()) return c.fail(LIBFPTR_ERROR_NO_REQUIRED_PARAM);
    QJsonParseError error;
    const auto doc = QJsonDocument::fromJson(c.args[0].toString().toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return c.fail(LIBFPTR_ERROR_INVALID_SETTINGS);
    const QJsonObject o = doc.object();
    for (auto it = o.begin(); it != o.end(); ++it)
        if (!it.value().isString() && !it.value().isDouble() && !it.value().isBool())
            return c.fail(LIBFPTR_ERROR_INVALID_SETTINGS);
    for (auto it = o.begin(); it != o.end(); ++it) {
        const QJsonValue v = it.value();
        c.object.singleSettings.insert(
            it.key(), v.isBool()     ? QVariant(v.toBool() ? 1 : 0)
                      : v.isDouble() ? QVariant(QString::number(v.toDouble(), 'g', 15))
                                     : QVariant(v.toString()));
    }
    c.object.pendingSingle.clear();
    return c.ok();
}

int doOpen(Call& c) {
    auto& w = World::instance();
    const auto& s = c.object.singleSettings;
    c.object.opened.reset();
    const int port = settingValue(c.object, kPort).toInt();
    std::shared_ptr<Register> reg = openTarget(c.object);
    if (port == k(LIBFPTR_PORT_TCPIP)) {
        if (!reg) return c.fail(LIBFPTR_ERROR_NO_CONNECTION);
    } else if (port == k(LIBFPTR_PORT_USB)) {
        // no USB register plugged in (or none at the path asked for)
        if (!reg) return c.fail(LIBFPTR_ERROR_PORT_NOT_AVAILABLE);
        if (w.portBusy(reg->com)) return c.fail(LIBFPTR_ERROR_PORT_BUSY);
    } else if (port == k(LIBFPTR_PORT_COM)) {
        const QString file = s.value(kComFile).toString();
        // a port the virtual PC has but no register answers on, or no port at all
        if (!reg)
            return c.fail(w.pcHasPort(file) ? LIBFPTR_ERROR_NO_CONNECTION
                                            : LIBFPTR_ERROR_PORT_NOT_AVAILABLE);
        if (w.portBusy(reg->com)) return c.fail(LIBFPTR_ERROR_PORT_BUSY);
    } else {
        // Bluetooth, or a port kind the driver does not know
        return c.fail(LIBFPTR_ERROR_PORT_NOT_AVAILABLE);
    }
    if (reg->platform == QLatin1String("2.5") &&
        drv::compareVersions(QStringLiteral("10.10.0.0"), w.driverVersion()) == 2)
        return c.fail(LIBFPTR_ERROR_NOT_SUPPORTED);
    if (reg->offline) return c.fail(LIBFPTR_ERROR_NO_CONNECTION);
    c.object.opened = std::move(reg);
    return c.ok();
}

int doClose(Call& c) {
    c.object.opened.reset();
    c.object.records = {};
    return c.ok();
}

}  // namespace

std::shared_ptr<Register> openTarget(const ObjectState& state) {
    auto& w = World::instance();
    const int port = settingValue(state, kPort).toInt();
    const auto& s = state.singleSettings;
    if (port == k(LIBFPTR_PORT_TCPIP))
        return w.findByAddress(s.value(kIpAddress).toString(), s.value(kIpPort).toInt());
    if (port == k(LIBFPTR_PORT_USB)) {
        const QString path = s.value(kUsbDevicePath).toString().trimmed();
        return w.findUsb(path.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0 ? QString()
                                                                                       : path);
    }
    if (port == k(LIBFPTR_PORT_COM)) return w.findByPort(s.value(kComFile).toString());
    return nullptr;
}

std::optional<QVariant> connectionAccessor(ObjectState& state, const QString& method,
                                           const QVariantList& args) {
    if (method == QLatin1String(drv::members::getSingleSetting)) {
        if (args.isEmpty()) return QVariant(QString());
        return QVariant(settingText(settingValue(state, args[0].toString())));
    }
    if (method == QLatin1String(drv::members::getSettings)) {
        QJsonObject o;
        for (auto i = defaultSettings().constBegin(); i != defaultSettings().constEnd(); ++i)
            o.insert(i.key(), jsonSetting(i.key(), i.value()));
        for (auto i = state.singleSettings.constBegin(); i != state.singleSettings.constEnd(); ++i)
            o.insert(i.key(), jsonSetting(i.key(), i.value()));
        return QVariant(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
    }
    if (method == QLatin1String(drv::members::errorRecommendation))
        return QVariant(errorRecommendation(state.errorCode));
    return std::nullopt;
}

void addConnectionOperations(OperationTable& t) {
    namespace m = drv::members;
    t.insert(m::setSingleSetting, {&doSetSingleSetting, false, true});
    t.insert(m::applySingleSettings, {&doApplySingleSettings, false, false});
    t.insert(m::setSettings, {&doSetSettings, false, true});
    t.insert(m::open, {&doOpen, false, false});
    t.insert(m::close, {&doClose, false, false});
}

}  // namespace emu
