#include "driver/libfptr/LibraryDispatch.h"

#include <QDateTime>
#include <limits>
#include <vector>

#include "driver/libfptr/Constants.h"
#include "driver/libfptr/Ports.h"
#include "driver/libfptr/WideText.h"

namespace drv::libfptr {
namespace {

// A first buffer for getSingleSetting, whose values (ports, addresses, numbers) are short; a
// longer one is read again at the size the library reports.
constexpr int kSettingBuffer = 256;

QString comFileKey() {
    static const QString key = publishedConstant(QStringLiteral("LIBFPTR_SETTING_COM_FILE"))
                                   .value_or(QVariant())
                                   .toString();
    return key;
}

bool isIntegral(int typeId) {
    switch (typeId) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
            return true;
        default:
            return false;
    }
}

int constantOf(const char* name) {
    return publishedConstant(QLatin1String(name)).value_or(QVariant(-1)).toInt();
}

// The parameters the driver takes as integers or as real numbers, of those the program sets.
enum class Kind { Integer, Real, Other };
Kind kindOf(int id) {
    static const QHash<int, Kind> kinds = [] {
        QHash<int, Kind> k;
        for (const char* name : {"LIBFPTR_PARAM_SETTING_ID",
                                 "LIBFPTR_PARAM_PICTURE_NUMBER",
                                 "LIBFPTR_PARAM_DOCUMENT_NUMBER",
                                 "LIBFPTR_PARAM_RECORDS_TYPE",
                                 "LIBFPTR_PARAM_DATA_TYPE",
                                 "LIBFPTR_PARAM_FN_DATA_TYPE",
                                 "LIBFPTR_PARAM_REPORT_TYPE",
                                 "LIBFPTR_PARAM_RECEIPT_TYPE",
                                 "LIBFPTR_PARAM_PAYMENT_TYPE",
                                 "LIBFPTR_PARAM_UNIT_TYPE",
                                 "LIBFPTR_PARAM_POWER_SOURCE_TYPE",
                                 "LIBFPTR_PARAM_BARCODE_TYPE",
                                 "LIBFPTR_PARAM_BARCODE_CORRECTION",
                                 "LIBFPTR_PARAM_BARCODE_VERSION",
                                 "LIBFPTR_PARAM_BARCODE_COLUMNS",
                                 "LIBFPTR_PARAM_ALIGNMENT",
                                 "LIBFPTR_PARAM_FONT",
                                 "LIBFPTR_PARAM_BRIGHTNESS",
                                 "LIBFPTR_PARAM_LINESPACING",
                                 "LIBFPTR_PARAM_LEFT_MARGIN",
                                 "LIBFPTR_PARAM_HEIGHT",
                                 "LIBFPTR_PARAM_SCALE",
                                 "LIBFPTR_PARAM_TEXT_WRAP"})
            k.insert(constantOf(name), Kind::Integer);
        k.insert(constantOf("LIBFPTR_PARAM_SUM"), Kind::Real);
        return k;
    }();
    return kinds.value(id, Kind::Other);
}

std::optional<qint64> wholeNumber(const QString& text) {
    bool ok = false;
    const qint64 n = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(n) : std::nullopt;
}

}  // namespace

LibraryDispatch::LibraryDispatch(std::shared_ptr<Library> library, void* handle, Options options)
    : lib_(std::move(library)), handle_(handle), options_(options) {}

std::unique_ptr<LibraryDispatch> LibraryDispatch::create(std::shared_ptr<Library> library) {
    return create(std::move(library), Options{});
}

std::unique_ptr<LibraryDispatch> LibraryDispatch::create(std::shared_ptr<Library> library,
                                                         Options options) {
    if (!library || !library->api().create) return nullptr;
    void* handle = nullptr;
    const int rc = library->thread().call([&] { return library->api().create(&handle); });
    if (rc != 0 || !handle) return nullptr;
    return std::unique_ptr<LibraryDispatch>(
        new LibraryDispatch(std::move(library), handle, options));
}

LibraryDispatch::~LibraryDispatch() {
    if (lib_->api().destroy) lib_->thread().run([this] { lib_->api().destroy(&handle_); });
}

std::optional<QVariant> LibraryDispatch::constant(const QString& name) const {
    return publishedConstant(name);
}

std::optional<int> LibraryDispatch::lastErrorCode() const {
    const int code = lastError_.load();
    if (code == kNoCode) return std::nullopt;
    return code;
}

std::optional<QVariant> LibraryDispatch::invoke(const QString& method, const QVariantList& args) {
    return lib_->thread().call([&]() -> std::optional<QVariant> {
        auto result = call(method, args);
        if (result && lib_->api().errorCode) lastError_ = lib_->api().errorCode(handle_);
        return result;
    });
}

std::optional<QVariant> LibraryDispatch::call(const QString& method, const QVariantList& args) {
    const Api& a = lib_->api();
    void* h = handle_;
    if (method == QLatin1String("version")) {
        if (!a.getVersionString) return std::nullopt;
        return QVariant(lib_->version());
    }
    if (method == QLatin1String("errorCode")) {
        if (!a.errorCode) return std::nullopt;
        return QVariant(a.errorCode(h));
    }
    if (method == QLatin1String("errorDescription")) {
        if (!a.errorDescription) return std::nullopt;
        return QVariant(
            readText([&](wchar_t* buf, int size) { return a.errorDescription(h, buf, size); }));
    }
    if (method == QLatin1String("isOpened")) {
        if (!a.isOpened) return std::nullopt;
        return QVariant(a.isOpened(h) != 0);
    }
    if (method == QLatin1String("resetError")) {
        if (!a.resetError) return std::nullopt;
        a.resetError(h);
        return QVariant(0);
    }
    if (method == QLatin1String("setSingleSetting")) {
        if (!a.setSingleSetting) return std::nullopt;
        if (args.size() < 2) return QVariant(-1);
        const QString key = args[0].toString();
        QString value = args[1].toString();
        if (options_.comFileAsDeviceNode && key == comFileKey()) value = comFileForLibrary(value);
        a.setSingleSetting(h, toWide(key).c_str(), toWide(value).c_str());
        return QVariant(0);
    }
    if (method == QLatin1String("getSingleSetting")) {
        if (!a.getSingleSetting) return std::nullopt;
        if (args.isEmpty()) return QVariant(-1);
        const std::wstring key = toWide(args[0].toString());
        return QVariant(readText(
            [&](wchar_t* buf, int size) { return a.getSingleSetting(h, key.c_str(), buf, size); },
            kSettingBuffer));
    }
    if (method == QLatin1String("setSettings")) {
        if (!a.setSettings) return std::nullopt;
        if (args.isEmpty()) return QVariant(-1);
        return QVariant(a.setSettings(h, toWide(args[0].toString()).c_str()));
    }
    if (method == QLatin1String("getSettings")) {
        if (!a.getSettings) return std::nullopt;
        return QVariant(
            readText([&](wchar_t* buf, int size) { return a.getSettings(h, buf, size); }));
    }
    if (method == QLatin1String("setParam")) return setParam(a.param, args);
    if (method == QLatin1String("setNonPrintableParam")) return setParam(a.nonPrintableParam, args);
    if (method.startsWith(QLatin1String("getParam"))) return getParam(method, args);
    if (auto it = a.operations.constFind(method); it != a.operations.constEnd()) {
        const int result = (*it)(h);
        if (method == QLatin1String("beginReadRecords")) readingType_ = recordsType_;
        if (method == QLatin1String("readNextRecord") && result == 0) noteSettingType();
        return QVariant(result);
    }
    return std::nullopt;
}

QVariant LibraryDispatch::inLibraryKind(int id, const QString& text) const {
    static const int settingValue = constantOf("LIBFPTR_PARAM_SETTING_VALUE");
    const auto number = wholeNumber(text);
    if (id == settingValue) {
        const int type = settingTypes_.value(settingId_, -1);
        if (type == constantOf("LIBFPTR_ST_NUMBER") && number) return QVariant(*number);
        if (type == constantOf("LIBFPTR_ST_BOOL") && number && (*number == 0 || *number == 1))
            return QVariant(*number == 1);
        return QVariant(text);
    }
    switch (kindOf(id)) {
        case Kind::Integer:
            if (number) return QVariant(*number);
            break;
        case Kind::Real: {
            bool ok = false;
            const double d = text.trimmed().toDouble(&ok);
            if (ok) return QVariant(d);
            break;
        }
        case Kind::Other:
            break;
    }
    return QVariant(text);
}

void LibraryDispatch::noteSettingType() {
    const Api& a = lib_->api();
    if (readingType_ != constantOf("LIBFPTR_RT_SETTINGS") || !a.getParamInt) return;
    const int id = int(qint32(a.getParamInt(handle_, constantOf("LIBFPTR_PARAM_SETTING_ID"))));
    const int type = int(qint32(a.getParamInt(handle_, constantOf("LIBFPTR_PARAM_SETTING_TYPE"))));
    settingTypes_.insert(id, type);
}

std::optional<QVariant> LibraryDispatch::setParam(const Setters& s, const QVariantList& args) {
    if (args.size() < 2) return QVariant(-1);
    void* h = handle_;
    const int id = args[0].toInt();
    const QVariant v =
        args[1].typeId() == QMetaType::QString ? inLibraryKind(id, args[1].toString()) : args[1];
    if (id == constantOf("LIBFPTR_PARAM_RECORDS_TYPE")) recordsType_ = v.toInt();
    if (id == constantOf("LIBFPTR_PARAM_SETTING_ID")) settingId_ = v.toInt();
    const int type = v.typeId();
    const auto asDouble = [&](double d) -> std::optional<QVariant> {
        if (!s.real) return std::nullopt;
        s.real(h, id, d);
        return QVariant(0);
    };
    if (type == QMetaType::Bool) {
        if (!s.boolean) return std::nullopt;
        s.boolean(h, id, v.toBool() ? 1 : 0);
        return QVariant(0);
    }
    if (isIntegral(type)) {
        constexpr qlonglong lowest = std::numeric_limits<qint32>::min();
        constexpr qlonglong highest = std::numeric_limits<quint32>::max();
        bool fits = false;
        quint32 bits = 0;
        if (type == QMetaType::ULongLong || type == QMetaType::ULong) {
            const qulonglong u = v.toULongLong();
            fits = u <= qulonglong(highest);
            bits = quint32(u);
            if (!fits) return asDouble(double(u));
        } else {
            const qlonglong n = v.toLongLong();
            fits = n >= lowest && n <= highest;
            bits = quint32(n);
            if (!fits) return asDouble(double(n));
        }
        if (!s.integer) return std::nullopt;
        s.integer(h, id, bits);
        return QVariant(0);
    }
    if (type == QMetaType::Double || type == QMetaType::Float) return asDouble(v.toDouble());
    if (type == QMetaType::QDateTime || type == QMetaType::QDate) {
        if (!s.dateTime) return std::nullopt;
        const QDateTime dt =
            type == QMetaType::QDate ? v.toDate().startOfDay() : v.toDateTime().toLocalTime();
        if (!dt.isValid()) {
            s.dateTime(h, id, 0, 0, 0, 0, 0, 0);
        } else {
            const QDate d = dt.date();
            const QTime t = dt.time();
            s.dateTime(h, id, d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
        }
        return QVariant(0);
    }
    if (type == QMetaType::QByteArray) {
        if (!s.bytes) return std::nullopt;
        const QByteArray b = v.toByteArray();
        s.bytes(h, id, reinterpret_cast<const unsigned char*>(b.constData()), int(b.size()));
        return QVariant(0);
    }
    if (!s.text) return std::nullopt;
    s.text(h, id, toWide(v.toString()).c_str());
    return QVariant(0);
}

std::optional<QVariant> LibraryDispatch::getParam(const QString& method, const QVariantList& args) {
    const Api& a = lib_->api();
    void* h = handle_;
    const bool known =
        method == QLatin1String("getParamInt") || method == QLatin1String("getParamBool") ||
        method == QLatin1String("getParamDouble") || method == QLatin1String("getParamString") ||
        method == QLatin1String("getParamDateTime") || method == QLatin1String("getParamByteArray");
    if (!known) return std::nullopt;
    const bool present = method == QLatin1String("getParamInt")      ? a.getParamInt != nullptr
                         : method == QLatin1String("getParamBool")   ? a.getParamBool != nullptr
                         : method == QLatin1String("getParamDouble") ? a.getParamDouble != nullptr
                         : method == QLatin1String("getParamString") ? a.getParamString != nullptr
                         : method == QLatin1String("getParamDateTime")
                             ? a.getParamDateTime != nullptr
                             : a.getParamByteArray != nullptr;
    if (!present) return std::nullopt;
    if (args.isEmpty()) return QVariant(-1);
    const int id = args[0].toInt();
    if (method == QLatin1String("getParamInt")) return QVariant(int(qint32(a.getParamInt(h, id))));
    if (method == QLatin1String("getParamBool")) return QVariant(a.getParamBool(h, id) != 0);
    if (method == QLatin1String("getParamDouble")) return QVariant(a.getParamDouble(h, id));
    if (method == QLatin1String("getParamString"))
        return QVariant(
            readText([&](wchar_t* buf, int size) { return a.getParamString(h, id, buf, size); }));
    if (method == QLatin1String("getParamByteArray"))
        return QVariant(readBytes(
            [&](unsigned char* buf, int size) { return a.getParamByteArray(h, id, buf, size); }));
    int y = 0, mo = 0, d = 0, hh = 0, mi = 0, ss = 0;
    a.getParamDateTime(h, id, &y, &mo, &d, &hh, &mi, &ss);
    const QDate date(y, mo, d);
    const QTime time(hh, mi, ss);
    if (y <= 0 || !date.isValid() || !time.isValid()) return QVariant(QDateTime());
    return QVariant(QDateTime(date, time));
}

DispatchFactory libraryFactory(std::shared_ptr<Library> library, LibraryDispatch::Options options) {
    return [library, options](const QString& progId) -> std::unique_ptr<IDispatch> {
        if (progId.compare(QLatin1String(kProgId), Qt::CaseInsensitive) != 0) return nullptr;
        return LibraryDispatch::create(library, options);
    };
}

}  // namespace drv::libfptr
