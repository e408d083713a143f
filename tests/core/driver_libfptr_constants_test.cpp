// The constant table the adapter answers names from.
#include <gtest/gtest.h>

#include "driver/libfptr/Constants.h"

namespace {

using namespace drv::libfptr;

TEST(LibfptrConstants, TheTableParsesNumbersAndTexts) {
    QStringList errors;
    const auto t = parseConstantTable(
        "# a comment\n"
        "LIBFPTR_A 65536\n"
        "\n"
        "  LIBFPTR_B -3  \n"
        "LIBFPTR_C 4294967295\n"
        "LIBFPTR_SETTING_X \"Com File\"\n"
        "LIBFPTR_EMPTY \"\"\r\n",
        &errors);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_EQ(t.size(), 5);
    EXPECT_EQ(t.value("LIBFPTR_A"), QVariant(65536));
    EXPECT_EQ(t.value("LIBFPTR_B"), QVariant(-3));
    EXPECT_EQ(t.value("LIBFPTR_C"), QVariant(-1));  // the same 32 bits as an int
    EXPECT_EQ(t.value("LIBFPTR_SETTING_X"), QVariant(QStringLiteral("Com File")));
    EXPECT_EQ(t.value("LIBFPTR_EMPTY"), QVariant(QString()));
}

TEST(LibfptrConstants, LinesThatDoNotParseAreNamed) {
    QStringList errors;
    const auto t = parseConstantTable(
        "LIBFPTR_OK 0\n"
        "LIBFPTR_NO_VALUE\n"
        "LIBFPTR_OK 1\n"
        "LIBFPTR_BIG 4294967296\n"
        "LIBFPTR_WORD twelve\n"
        "LIBFPTR_OPEN \"text\n",
        &errors);
    EXPECT_EQ(t.size(), 1);
    EXPECT_EQ(t.value("LIBFPTR_OK"), QVariant(0));  // the first one stays
    ASSERT_EQ(errors.size(), 5) << errors.join('\n').toStdString();
    EXPECT_TRUE(errors[0].startsWith("line 2:"));
    EXPECT_TRUE(errors[1].contains("LIBFPTR_OK given twice"));
    EXPECT_TRUE(errors[2].contains("out of range"));
}

TEST(LibfptrConstants, PublishedValues) {
    EXPECT_EQ(publishedConstant("LIBFPTR_OK"), QVariant(0));
    EXPECT_EQ(publishedConstant("LIBFPTR_PARAM_JSON_DATA"), QVariant(65645));
    EXPECT_EQ(publishedConstant("LIBFPTR_PARAM_FN_KEYS_UPDATER_SERVER_URI"), QVariant(65901));
    EXPECT_EQ(publishedConstant("LIBFPTR_MODEL_ATOL_AUTO"), QVariant(500));
    EXPECT_EQ(publishedConstant("LIBFPTR_PORT_TCPIP"), QVariant(2));
    EXPECT_EQ(publishedConstant("LIBFPTR_FNDT_FREE_MEMORY"), QVariant(17));
    EXPECT_EQ(publishedConstant("LIBFPTR_SETTING_COM_FILE"), QVariant(QStringLiteral("ComFile")));
    EXPECT_EQ(publishedConstant("LIBFPTR_SETTING_IPPORT"), QVariant(QStringLiteral("IPPort")));
    EXPECT_EQ(publishedConstant("LIBFPTR_PARAM_NO_SUCH_THING"), std::nullopt);
    EXPECT_EQ(publishedConstant("libfptr_ok"), std::nullopt);  // names are exact
}

}  // namespace
