// Driver members and the C functions behind them.
#include <gtest/gtest.h>

#include <QSet>

#include "driver/libfptr/CApi.h"

namespace {

using namespace drv::libfptr;

TEST(LibfptrNames, MembersInLowerSnakeCaseWithThePrefix) {
    const QList<QPair<QString, QString>> names = {
        {"open", "libfptr_open"},
        {"queryData", "libfptr_query_data"},
        {"fnQueryData", "libfptr_fn_query_data"},
        {"processJson", "libfptr_process_json"},
        {"readNextRecord", "libfptr_read_next_record"},
        {"setFooterLines", "libfptr_set_footer_lines"},
        {"uploadPictureMemory", "libfptr_upload_picture_memory"},
        {"writeDateTime", "libfptr_write_date_time"},
        {"deviceReboot", "libfptr_device_reboot"},
        {"applySingleSettings", "libfptr_apply_single_settings"},
        {"version", "libfptr_get_version_string"},
        {"getParamString", "libfptr_get_param_str"},
        {"getParamDateTime", "libfptr_get_param_datetime"},
        {"getParamByteArray", "libfptr_get_param_bytearray"},
        {"getParamInt", "libfptr_get_param_int"},
    };
    for (const auto& [member, function] : names) EXPECT_EQ(functionName(member), function);
}

// Resolving asks for every function the program needs, and binds each of its operations.
TEST(LibfptrNames, EveryMemberOfTheProgramHasItsFunction) {
    QSet<QString> asked;
    static int dummy = 0;
    const Api api = Api::resolve([&](const char* name) -> void* {
        asked.insert(QString::fromLatin1(name));
        return &dummy;
    });
    for (const auto& f : programFunctions())
        EXPECT_TRUE(asked.contains(f)) << f.toStdString() << " is never looked up";
    const QSet<QString> special = {"version",          "isOpened",         "errorCode",
                                   "errorDescription", "setSingleSetting", "setParam",
                                   "getParamInt",      "getParamString",   "getParamBool",
                                   "getParamDouble",   "getParamDateTime", "getParamByteArray"};
    for (const auto& m : programMembers()) {
        if (special.contains(m)) continue;
        EXPECT_TRUE(api.operations.contains(m)) << m.toStdString() << " is no operation";
    }
    EXPECT_TRUE(api.create && api.destroy && api.errorCode && api.getParamDateTime &&
                api.param.bytes && api.nonPrintableParam.dateTime);
    // the core is part of what the program needs
    for (const auto& f : coreFunctions()) EXPECT_TRUE(programFunctions().contains(f));
}

TEST(LibfptrNames, AbsentFunctionsStayNull) {
    const Api api = Api::resolve([](const char*) -> void* { return nullptr; });
    EXPECT_EQ(api.create, nullptr);
    EXPECT_EQ(api.param.text, nullptr);
    EXPECT_TRUE(api.operations.isEmpty());
}

}  // namespace
