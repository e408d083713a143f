// The libfptr_ functions over a drv::IDispatch (see CExport.h). Built only into shared
// libraries, never into the program.
#include "driver/libfptr/CExport.h"

#include <QDateTime>
#include <climits>
#include <mutex>
#include <string>

#include "driver/DriverLog.h"
#include "driver/libfptr/Operations.h"
#include "driver/libfptr/WideText.h"

#define VELMOR_C extern "C" __attribute__((visibility("default")))

namespace drv::libfptr::exported {
namespace {

constexpr int kNotSupported = 11;
constexpr int kIncorrectData = 5;

struct Handle {
    std::unique_ptr<IDispatch> object;
    // An error of this layer: the member is missing, or the object threw.
    int ownError = 0;
    QString ownDescription;
    // The object's name in the driver's log (libfptr_create_with_id, libfptr_change_label).
    QString label;
};

Handle* handleOf(void* h) {
    return static_cast<Handle*>(h);
}

// Runs `member` on the object; nullopt when the object lacks it or threw (the handle's own
// error then says so).
std::optional<QVariant> call(void* h, const QString& member, const QVariantList& args = {}) {
    Handle* handle = handleOf(h);
    if (!handle || !handle->object) return std::nullopt;
    try {
        auto r = handle->object->invoke(member, args);
        if (r) {
            handle->ownError = 0;
            handle->ownDescription.clear();
        } else {
            handle->ownError = kNotSupported;
            handle->ownDescription = QStringLiteral("Не поддерживается в данной версии");
        }
        return r;
    } catch (const std::exception& e) {
        handle->ownError = kIncorrectData;
        handle->ownDescription = QString::fromUtf8(e.what());
    } catch (...) {
        handle->ownError = kIncorrectData;
        handle->ownDescription = QStringLiteral("Внутренняя ошибка драйвера");
    }
    return std::nullopt;
}

int operation(void* h, const char* member) {
    const auto r = call(h, QString::fromLatin1(member));
    return r ? r->toInt() : -1;
}

QDateTime dateTimeOf(int year, int month, int day, int hour, int minute, int second) {
    const QDate d(year, month, day);
    const QTime t(hour, minute, second);
    if (year <= 0 || !d.isValid() || !t.isValid()) return {};
    return QDateTime(d, t);
}

void setParam(void* h, const char* member, int id, const QVariant& value) {
    call(h, QString::fromLatin1(member), {id, value});
}

}  // namespace
}  // namespace drv::libfptr::exported

using namespace drv::libfptr;
using namespace drv::libfptr::exported;

VELMOR_C const char* libfptr_get_version_string() {
    static std::mutex m;
    static std::string text;
    std::lock_guard lock(m);
    try {
        auto object = makeObject();
        const auto v = object ? object->invoke(QStringLiteral("version"), {}) : std::nullopt;
        text = v ? v->toString().toStdString() : std::string();
    } catch (...) {
        text.clear();
    }
    return text.c_str();
}

VELMOR_C int libfptr_create(void** handle) {
    if (!handle) return -1;
    *handle = nullptr;
    try {
        auto object = makeObject();
        if (!object) return -1;
        *handle = new Handle{std::move(object), 0, {}, {}};
        return 0;
    } catch (...) {
        return -1;
    }
}

VELMOR_C void libfptr_destroy(void** handle) {
    if (!handle) return;
    delete handleOf(*handle);
    *handle = nullptr;
}

// The error of this layer, else the object's own; asking never clears either.
VELMOR_C int libfptr_error_code(void* h) {
    Handle* handle = handleOf(h);
    if (!handle) return -1;
    if (handle->ownError) return handle->ownError;
    try {
        const auto r = handle->object->invoke(QStringLiteral("errorCode"), {});
        return r ? r->toInt() : 0;
    } catch (...) {
        return kIncorrectData;
    }
}

VELMOR_C int libfptr_error_description(void* h, wchar_t* buf, int size) {
    Handle* handle = handleOf(h);
    if (!handle) return writeText({}, buf, size);
    if (handle->ownError) return writeText(handle->ownDescription, buf, size);
    try {
        const auto r = handle->object->invoke(QStringLiteral("errorDescription"), {});
        return writeText(r ? r->toString() : QString(), buf, size);
    } catch (...) {
        return writeText({}, buf, size);
    }
}

VELMOR_C void libfptr_reset_error(void* h) {
    call(h, QStringLiteral("resetError"));
}

VELMOR_C int libfptr_set_settings(void* h, const wchar_t* json) {
    const auto r = call(h, QStringLiteral("setSettings"), {fromWide(json, INT_MAX)});
    return r ? r->toInt() : -1;
}

VELMOR_C int libfptr_get_settings(void* h, wchar_t* buf, int size) {
    const auto r = call(h, QStringLiteral("getSettings"));
    return writeText(r ? r->toString() : QString(), buf, size);
}

VELMOR_C void libfptr_set_single_setting(void* h, const wchar_t* key, const wchar_t* value) {
    call(h, QStringLiteral("setSingleSetting"), {fromWide(key, INT_MAX), fromWide(value, INT_MAX)});
}

VELMOR_C int libfptr_get_single_setting(void* h, const wchar_t* key, wchar_t* buf, int size) {
    const auto r = call(h, QStringLiteral("getSingleSetting"), {fromWide(key, INT_MAX)});
    return writeText(r ? r->toString() : QString(), buf, size);
}

VELMOR_C int libfptr_is_opened(void* h) {
    const auto r = call(h, QStringLiteral("isOpened"));
    return r && r->toBool() ? 1 : 0;
}

// Setters of both families.
#define VELMOR_SETTERS(prefix, member)                                                       \
    VELMOR_C void prefix##bool(void* h, int id, int value) {                                 \
        setParam(h, member, id, value != 0);                                                 \
    }                                                                                        \
    VELMOR_C void prefix##int(void* h, int id, unsigned int value) {                         \
        setParam(h, member, id, int(qint32(value)));                                         \
    }                                                                                        \
    VELMOR_C void prefix##double(void* h, int id, double value) {                            \
        setParam(h, member, id, value);                                                      \
    }                                                                                        \
    VELMOR_C void prefix##str(void* h, int id, const wchar_t* value) {                       \
        setParam(h, member, id, fromWide(value, INT_MAX));                                   \
    }                                                                                        \
    VELMOR_C void prefix##datetime(void* h, int id, int year, int month, int day, int hour,  \
                                   int minute, int second) {                                 \
        setParam(h, member, id, dateTimeOf(year, month, day, hour, minute, second));         \
    }                                                                                        \
    VELMOR_C void prefix##bytearray(void* h, int id, const unsigned char* value, int size) { \
        setParam(h, member, id,                                                              \
                 value&& size > 0 ? QByteArray(reinterpret_cast<const char*>(value), size)   \
                                  : QByteArray());                                           \
    }
VELMOR_SETTERS(libfptr_set_param_, "setParam")
VELMOR_SETTERS(libfptr_set_non_printable_param_, "setNonPrintableParam")
VELMOR_SETTERS(libfptr_set_user_param_, "setUserParam")
#undef VELMOR_SETTERS

VELMOR_C int libfptr_get_param_bool(void* h, int id) {
    const auto r = call(h, QStringLiteral("getParamBool"), {id});
    return r && r->toBool() ? 1 : 0;
}

VELMOR_C unsigned int libfptr_get_param_int(void* h, int id) {
    const auto r = call(h, QStringLiteral("getParamInt"), {id});
    return r ? quint32(r->toLongLong()) : 0u;
}

VELMOR_C double libfptr_get_param_double(void* h, int id) {
    const auto r = call(h, QStringLiteral("getParamDouble"), {id});
    return r ? r->toDouble() : 0.0;
}

VELMOR_C int libfptr_get_param_str(void* h, int id, wchar_t* buf, int size) {
    const auto r = call(h, QStringLiteral("getParamString"), {id});
    return writeText(r ? r->toString() : QString(), buf, size);
}

VELMOR_C void libfptr_get_param_datetime(void* h, int id, int* year, int* month, int* day,
                                         int* hour, int* minute, int* second) {
    const auto r = call(h, QStringLiteral("getParamDateTime"), {id});
    // the date and time as the object gives them: the register's own clock, never moved to the
    // PC's time zone
    const QDateTime dt = r ? r->toDateTime() : QDateTime();
    const bool valid = dt.isValid();
    const QDate d = dt.date();
    const QTime t = dt.time();
    if (year) *year = valid ? d.year() : 0;
    if (month) *month = valid ? d.month() : 0;
    if (day) *day = valid ? d.day() : 0;
    if (hour) *hour = valid ? t.hour() : 0;
    if (minute) *minute = valid ? t.minute() : 0;
    if (second) *second = valid ? t.second() : 0;
}

VELMOR_C int libfptr_get_param_bytearray(void* h, int id, unsigned char* buf, int size) {
    const auto r = call(h, QStringLiteral("getParamByteArray"), {id});
    return writeBytes(r ? r->toByteArray() : QByteArray(), buf, size);
}

// The operations without arguments.
#define VELMOR_OPERATION(snake, member)     \
    VELMOR_C int libfptr_##snake(void* h) { \
        return operation(h, #member);       \
    }
VELMOR_FPTR_OPERATIONS(VELMOR_OPERATION)
#undef VELMOR_OPERATION

// --- The object's name, hints, parameter availability, the driver's log and its window.

namespace drv::libfptr::exported {
namespace {

// Asks the object something without touching the error the caller may be asking about.
std::optional<QVariant> ask(void* h, const QString& member, const QVariantList& args = {}) {
    Handle* handle = handleOf(h);
    if (!handle || !handle->object) return std::nullopt;
    try {
        return handle->object->invoke(member, args);
    } catch (...) {
        return std::nullopt;
    }
}

int logLine(const QString& label, const wchar_t* tag, int level, const wchar_t* message) {
    drv::DriverLog::instance().message(label, fromWide(tag, INT_MAX), level,
                                       fromWide(message, INT_MAX));
    return 0;
}

}  // namespace
}  // namespace drv::libfptr::exported

VELMOR_C int libfptr_create_with_id(void** handle, const wchar_t* id) {
    const int r = libfptr_create(handle);
    if (r == 0 && id) handleOf(*handle)->label = fromWide(id, INT_MAX);
    return r;
}

VELMOR_C int libfptr_change_label(void* h, const wchar_t* label) {
    Handle* handle = handleOf(h);
    if (!handle) return -1;
    handle->label = fromWide(label, INT_MAX);
    return 0;
}

// A hint for the current error; this layer's own errors (a member the object lacks) have none.
VELMOR_C int libfptr_error_recommendation(void* h, wchar_t* buf, int size) {
    Handle* handle = handleOf(h);
    if (!handle || handle->ownError) return writeText({}, buf, size);
    const auto r = ask(h, QStringLiteral("errorRecommendation"));
    return writeText(r ? r->toString() : QString(), buf, size);
}

VELMOR_C int libfptr_is_param_available(void* h, int id) {
    const auto r = ask(h, QStringLiteral("isParamAvailable"), {id});
    return r && r->toBool() ? 1 : 0;
}

VELMOR_C int libfptr_log_write(const wchar_t* tag, int level, const wchar_t* message) {
    return logLine({}, tag, level, message);
}

VELMOR_C int libfptr_log_write_ex(void* h, const wchar_t* tag, int level, const wchar_t* message) {
    Handle* handle = handleOf(h);
    if (!handle) return -1;
    return logLine(handle->label, tag, level, message);
}

// The settings dialog needs a window, which a library of this kind never opens.
VELMOR_C int libfptr_show_properties(void* h, int /*parentType*/, void* /*parent*/) {
    Handle* handle = handleOf(h);
    if (!handle) return -1;
    handle->ownError = kNotSupported;
    handle->ownDescription = QStringLiteral("Не поддерживается в данной версии");
    return -1;
}
