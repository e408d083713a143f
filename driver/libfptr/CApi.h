#pragma once
// The maker's driver v10 as a C library (libfptr10.so): our own declarations of the functions
// the adapter binds, written from the published interface. Handles are opaque pointers; text
// is wchar_t (UTF-32 on Linux), zero-terminated; a function that hands text or bytes out fills
// the caller's buffer and returns the size the whole value needs.
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

namespace drv::libfptr {

extern "C" {
using VersionStringFn = const char* (*)();
using CreateFn = int (*)(void** handle);
using DestroyFn = void (*)(void** handle);
using IntOfHandleFn = int (*)(void* h);  // error_code, is_opened and every operation
using VoidOfHandleFn = void (*)(void* h);
using TextOutFn = int (*)(void* h, wchar_t* buf, int size);
using TextInFn = int (*)(void* h, const wchar_t* text);
using SetSingleSettingFn = void (*)(void* h, const wchar_t* key, const wchar_t* value);
using GetSingleSettingFn = int (*)(void* h, const wchar_t* key, wchar_t* buf, int size);

using SetBoolFn = void (*)(void* h, int id, int value);
using SetIntFn = void (*)(void* h, int id, unsigned int value);
using SetDoubleFn = void (*)(void* h, int id, double value);
using SetStrFn = void (*)(void* h, int id, const wchar_t* value);
using SetDateTimeFn = void (*)(void* h, int id, int year, int month, int day, int hour, int minute,
                               int second);
using SetBytesFn = void (*)(void* h, int id, const unsigned char* value, int size);

using GetBoolFn = int (*)(void* h, int id);
using GetIntFn = unsigned int (*)(void* h, int id);
using GetDoubleFn = double (*)(void* h, int id);
using GetStrFn = int (*)(void* h, int id, wchar_t* buf, int size);
using GetDateTimeFn = void (*)(void* h, int id, int* year, int* month, int* day, int* hour,
                               int* minute, int* second);
using GetBytesFn = int (*)(void* h, int id, unsigned char* buf, int size);
}

// One family of parameter setters (libfptr_set_param_* or libfptr_set_non_printable_param_*).
struct Setters {
    SetBoolFn boolean = nullptr;
    SetIntFn integer = nullptr;
    SetDoubleFn real = nullptr;
    SetStrFn text = nullptr;
    SetDateTimeFn dateTime = nullptr;
    SetBytesFn bytes = nullptr;
};

// The functions of one loaded library; a pointer is null when the library lacks the function.
struct Api {
    VersionStringFn getVersionString = nullptr;
    CreateFn create = nullptr;
    DestroyFn destroy = nullptr;
    IntOfHandleFn errorCode = nullptr;
    TextOutFn errorDescription = nullptr;
    VoidOfHandleFn resetError = nullptr;
    TextInFn setSettings = nullptr;
    TextOutFn getSettings = nullptr;
    SetSingleSettingFn setSingleSetting = nullptr;
    GetSingleSettingFn getSingleSetting = nullptr;
    IntOfHandleFn isOpened = nullptr;
    Setters param;
    Setters nonPrintableParam;
    GetBoolFn getParamBool = nullptr;
    GetIntFn getParamInt = nullptr;
    GetDoubleFn getParamDouble = nullptr;
    GetStrFn getParamString = nullptr;
    GetDateTimeFn getParamDateTime = nullptr;
    GetBytesFn getParamByteArray = nullptr;
    // The operations without arguments (Operations.h) the library has, by member name.
    QHash<QString, IntOfHandleFn> operations;

    // Looks every function up through `resolve` (dlsym of a loaded library, or a test's table).
    using Resolver = std::function<void*(const char* name)>;
    static Api resolve(const Resolver& resolve);
};

// C function name of a driver member: "fnQueryData" -> "libfptr_fn_query_data".
QString functionName(const QString& member);

// Functions without which no driver object can be made or asked anything: a library that
// lacks one of them is not bound.
const QStringList& coreFunctions();
// The members the program calls (Fptr's helpers and every operation the tabs run).
const QStringList& programMembers();
// The C functions behind the program's members (the setters and getters per value type
// included); the library check names each one that is missing.
const QStringList& programFunctions();

}  // namespace drv::libfptr
