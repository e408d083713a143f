// The settings table (read, write, commit, reset) and the records reading of settings and
// licences.
#include "emulator/ops/Call.h"

namespace emu {
namespace {

using namespace drv::names;

int settingTypeCode(Setting::Type t) {
    switch (t) {
        case Setting::Type::String:
            return k(LIBFPTR_ST_STRING);
        case Setting::Type::Bool:
            return k(LIBFPTR_ST_BOOL);
        case Setting::Type::Number:
            break;
    }
    return k(LIBFPTR_ST_NUMBER);
}

bool sameKind(const Setting& s, const QVariant& value) {
    switch (s.type) {
        case Setting::Type::String:
            return value.typeId() == QMetaType::QString;
        case Setting::Type::Bool:
            return value.typeId() == QMetaType::Bool;
        case Setting::Type::Number:
            break;
    }
    return value.typeId() == QMetaType::Int || value.typeId() == QMetaType::UInt ||
           value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::ULongLong;
}

int doBeginReadRecords(Call& c) {
    const int type = c.inInt(LIBFPTR_PARAM_RECORDS_TYPE, -1);
    c.clearOut();
    if (type != k(LIBFPTR_RT_LICENSES) && type != k(LIBFPTR_RT_SETTINGS))
        return c.fail(LIBFPTR_ERROR_INVALID_PARAM);
    static std::atomic<quint64> nextId{1};
    c.object.records = {QStringLiteral("records-%1-%2").arg(type).arg(nextId++), type, 0};
    c.out(LIBFPTR_PARAM_RECORDS_ID, c.object.records.id);
    return c.ok();
}

int doReadNextRecord(Call& c) {
    RecordsSession& s = c.object.records;
    if (s.id.isEmpty() || c.in(LIBFPTR_PARAM_RECORDS_ID).toString() != s.id)
        return c.fail(LIBFPTR_ERROR_INVALID_PARAM);
    const Register& r = c.reg();
    c.clearOut();
    if (s.type == k(LIBFPTR_RT_LICENSES)) {
        if (s.position >= r.licenses.size()) return c.fail(LIBFPTR_ERROR_FN_NO_MORE_DATA);
        const License& l = r.licenses[s.position++];
        c.out(LIBFPTR_PARAM_LICENSE_NUMBER, l.number);
        c.out(LIBFPTR_PARAM_LICENSE_NAME, l.name);
        c.out(LIBFPTR_PARAM_LICENSE_VALID_FROM, c.reg().wallTime(l.from));
        c.out(LIBFPTR_PARAM_LICENSE_VALID_UNTIL, c.reg().wallTime(l.until));
        return c.ok();
    }
    if (s.position >= r.settings.size()) return c.fail(LIBFPTR_ERROR_FN_NO_MORE_DATA);
    const Setting& setting = r.settings.at(s.position++);
    c.out(LIBFPTR_PARAM_SETTING_ID, setting.id);
    c.out(LIBFPTR_PARAM_SETTING_TYPE, settingTypeCode(setting.type));
    c.out(LIBFPTR_PARAM_SETTING_VALUE, setting.value());
    return c.ok();
}

int doEndReadRecords(Call& c) {
    c.object.records = {};
    return c.ok();
}

int doReadDeviceSetting(Call& c) {
    const int id = c.inInt(LIBFPTR_PARAM_SETTING_ID, -1);
    c.clearOut();
    const Setting* s = c.reg().settings.find(id);
    if (!s) return c.fail(LIBFPTR_ERROR_INVALID_PARAM);
    c.out(LIBFPTR_PARAM_SETTING_VALUE, s->value());
    return c.ok();
}

int doWriteDeviceSetting(Call& c) {
    const QVariant value = c.in(LIBFPTR_PARAM_SETTING_VALUE);
    if (!c.has(LIBFPTR_PARAM_SETTING_ID) || !value.isValid())
        return c.fail(LIBFPTR_ERROR_NO_REQUIRED_PARAM);
    const int n = c.inInt(LIBFPTR_PARAM_SETTING_ID, -1);
    if (n < 0) return c.fail(LIBFPTR_ERROR_INVALID_PARAM);
    // Without conversion the value must come in the setting's own kind.
    const Setting* s = c.reg().settings.find(n);
    if (s && !c.object.textNumbers && !sameKind(*s, value))
        return c.fail(LIBFPTR_ERROR_INVALID_SETTING_VALUE);
    const auto result = c.reg().settings.write(n, value);
    return c.result(result.code, result.description);
}

int doCommitSettings(Call& c) {
    return c.ok();
}

int doResetSettings(Call& c) {
    c.reg().settings.reset();
    return c.ok();
}

}  // namespace

void addSettingsOperations(OperationTable& t) {
    namespace m = drv::members;
    t.insert(m::beginReadRecords, {&doBeginReadRecords, true, false});
    t.insert(m::readNextRecord, {&doReadNextRecord, true, false});
    t.insert(m::endReadRecords, {&doEndReadRecords, true, false});
    t.insert(m::readDeviceSetting, {&doReadDeviceSetting, true, false});
    t.insert(m::writeDeviceSetting, {&doWriteDeviceSetting, true, false});
    t.insert(m::commitSettings, {&doCommitSettings, true, false});
    t.insert(m::resetSettings, {&doResetSettings, true, false});
}

}  // namespace emu
