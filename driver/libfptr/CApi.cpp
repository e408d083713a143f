#include "driver/libfptr/CApi.h"

#include "driver/libfptr/Operations.h"

namespace drv::libfptr {
namespace {

template <class F>
void bindFunction(F& slot, const Api::Resolver& resolve, const char* name) {
    slot = reinterpret_cast<F>(resolve(name));
}

void bindSetters(Setters& s, const Api::Resolver& resolve, const char* prefix) {
    const auto fn = [&](const char* kind) { return QByteArray(prefix) + kind; };
    bindFunction(s.boolean, resolve, fn("bool").constData());
    bindFunction(s.integer, resolve, fn("int").constData());
    bindFunction(s.real, resolve, fn("double").constData());
    bindFunction(s.text, resolve, fn("str").constData());
    bindFunction(s.dateTime, resolve, fn("datetime").constData());
    bindFunction(s.bytes, resolve, fn("bytearray").constData());
}

}  // namespace

Api Api::resolve(const Resolver& resolve) {
    Api a;
    bindFunction(a.getVersionString, resolve, "libfptr_get_version_string");
    bindFunction(a.create, resolve, "libfptr_create");
    bindFunction(a.destroy, resolve, "libfptr_destroy");
    bindFunction(a.errorCode, resolve, "libfptr_error_code");
    bindFunction(a.errorDescription, resolve, "libfptr_error_description");
    bindFunction(a.resetError, resolve, "libfptr_reset_error");
    bindFunction(a.setSettings, resolve, "libfptr_set_settings");
    bindFunction(a.getSettings, resolve, "libfptr_get_settings");
    bindFunction(a.setSingleSetting, resolve, "libfptr_set_single_setting");
    bindFunction(a.getSingleSetting, resolve, "libfptr_get_single_setting");
    bindFunction(a.isOpened, resolve, "libfptr_is_opened");
    bindSetters(a.param, resolve, "libfptr_set_param_");
    bindSetters(a.nonPrintableParam, resolve, "libfptr_set_non_printable_param_");
    bindFunction(a.getParamBool, resolve, "libfptr_get_param_bool");
    bindFunction(a.getParamInt, resolve, "libfptr_get_param_int");
    bindFunction(a.getParamDouble, resolve, "libfptr_get_param_double");
    bindFunction(a.getParamString, resolve, "libfptr_get_param_str");
    bindFunction(a.getParamDateTime, resolve, "libfptr_get_param_datetime");
    bindFunction(a.getParamByteArray, resolve, "libfptr_get_param_bytearray");
#define VELMOR_BIND_OPERATION(snake, member)                                   \
    if (auto* f = reinterpret_cast<IntOfHandleFn>(resolve("libfptr_" #snake))) \
        a.operations.insert(QStringLiteral(#member), f);
    VELMOR_FPTR_OPERATIONS(VELMOR_BIND_OPERATION)
#undef VELMOR_BIND_OPERATION
    return a;
}

QString functionName(const QString& member) {
    static const QHash<QString, QString> special = {
        {"version", "libfptr_get_version_string"},
        {"getParamString", "libfptr_get_param_str"},
        {"getParamDateTime", "libfptr_get_param_datetime"},
        {"getParamByteArray", "libfptr_get_param_bytearray"},
    };
    if (auto it = special.constFind(member); it != special.constEnd()) return *it;
    QString out = QStringLiteral("libfptr_");
    for (const QChar c : member) {
        if (c.isUpper()) {
            out += '_';
            out += c.toLower();
        } else {
            out += c;
        }
    }
    return out;
}

const QStringList& coreFunctions() {
    static const QStringList list = {"libfptr_get_version_string", "libfptr_create",
                                     "libfptr_destroy", "libfptr_error_code",
                                     "libfptr_error_description"};
    return list;
}

const QStringList& programMembers() {
    static const QStringList list = {
        "version", "isOpened", "errorCode", "errorDescription", "setSingleSetting",
        "applySingleSettings", "setParam", "getParamInt", "getParamString", "getParamBool",
        "getParamDouble", "getParamDateTime", "getParamByteArray",
        // operations
        "open", "close", "queryData", "fnQueryData", "processJson", "beginReadRecords",
        "readNextRecord", "endReadRecords", "readDeviceSetting", "writeDeviceSetting",
        "commitSettings", "resetSettings", "printText", "printBarcode", "printPicture",
        "printPictureByNumber", "printCliche", "lineFeed", "cut", "beep", "openDrawer",
        "deviceReboot", "devicePoweroff", "writeDateTime", "openShift", "report",
        "checkDocumentClosed", "cashIncome", "cashOutcome", "closeReceipt", "cancelReceipt",
        "continuePrint", "beginNonfiscalDocument", "endNonfiscalDocument", "setFooterLines",
        "uploadPictureMemory", "uploadPictureCliche", "downloadPicture", "clearPictures"};
    return list;
}

const QStringList& programFunctions() {
    static const QStringList list = [] {
        QStringList out = coreFunctions();
        for (const auto& m : programMembers()) {
            if (m == QLatin1String("setParam")) {
                for (const char* kind : {"bool", "int", "double", "str", "datetime", "bytearray"})
                    out << QStringLiteral("libfptr_set_param_") + QLatin1String(kind);
                continue;
            }
            const QString f = functionName(m);
            if (!out.contains(f)) out << f;
        }
        return out;
    }();
    return list;
}

}  // namespace drv::libfptr
