// The driver's names and published values come from the fact files kept in driver/.
#include <gtest/gtest.h>

#include <QFile>

#include "driver/Names.h"

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

TEST(DriverNames, RepositoryCopiesMatchTheSharedFacts) {
    const QString shared = QStringLiteral(VELMOR_SOURCE_DIR "/../shared/driver/");
    int compared = 0;
    for (const char* name : {"constants.txt", "methods.txt", "setting-keys.txt"}) {
        const QString theirs = shared + QLatin1String(name);
        if (!QFile::exists(theirs)) continue;
        const QByteArray ours = readFile(QStringLiteral(VELMOR_SOURCE_DIR "/driver/") + name);
        ASSERT_FALSE(ours.isEmpty()) << name;
        EXPECT_EQ(ours, readFile(theirs))
            << "driver/" << name << " differs from " << theirs.toStdString();
        ++compared;
    }
    if (compared == 0) GTEST_SKIP() << "no shared driver facts beside the repository";
}

TEST(DriverNames, PublishedValues) {
    using namespace drv::names;
    EXPECT_EQ(drv::constantValue(LIBFPTR_OK), 0);
    EXPECT_EQ(drv::constantValue(LIBFPTR_PARAM_JSON_DATA), 65645);
    EXPECT_EQ(drv::constantValue(LIBFPTR_PARAM_FN_KEYS_UPDATER_SERVER_URI), 65901);
    EXPECT_EQ(drv::constantValue(LIBFPTR_FNDT_DOCUMENT_BY_NUMBER), 13);
    EXPECT_EQ(drv::constantValue(LIBFPTR_RT_BUY_RETURN_CORRECTION), 10);
    EXPECT_EQ(drv::constantValue(LIBFPTR_TAX_VAT20), 7);
    EXPECT_EQ(drv::constantValue(LIBFPTR_MODEL_ATOL_AUTO), 500);
    EXPECT_EQ(drv::constantValue(LIBFPTR_DT_MAC_ADDRESS), 35);
    EXPECT_EQ(drv::constantValue(LIBFPTR_ERROR_FN_NOT_FOUND), 166);
    EXPECT_EQ(drv::constantValue(QStringLiteral("LIBFPTR_ST_BOOL")), 2);
    // the first and the last name of the sorted table are found too
    EXPECT_TRUE(drv::constantValue(std::string_view("LIBFPTR_ALIGNMENT_CENTER")).has_value());
    EXPECT_FALSE(drv::constantValue(std::string_view("LIBFPTR_NO_SUCH_THING")).has_value());
    EXPECT_FALSE(drv::constantValue(std::string_view("")).has_value());
    EXPECT_FALSE(drv::constantValue(QStringLiteral("LIBFPTR_ДТ")).has_value());
    EXPECT_EQ(drv::kConstantCount, 1190);
    EXPECT_EQ(drv::constantValue(LIBFPTR_UC_OTHERS), -1);  // 4294967295 in 32 bits
}

TEST(DriverNames, EveryLineOfTheTableIsFound) {
    const QByteArray text = readFile(QStringLiteral(VELMOR_SOURCE_DIR "/driver/constants.txt"));
    int lines = 0;
    for (const QByteArray& line : text.split('\n')) {
        if (line.isEmpty()) continue;
        const auto parts = line.split(' ');
        ASSERT_EQ(parts.size(), 2) << line.constData();
        // a value above the int range (the driver takes unsigned 32-bit values) keeps its bits
        EXPECT_EQ(drv::constantValue(QString::fromLatin1(parts[0])),
                  int(quint32(parts[1].toLongLong())))
            << line.constData();
        ++lines;
    }
    EXPECT_EQ(lines, drv::kConstantCount);
}

TEST(DriverNames, SettingKeysAndMembers) {
    using namespace drv::names;
    EXPECT_EQ(drv::settingKey(LIBFPTR_SETTING_COM_FILE), QStringLiteral("ComFile"));
    EXPECT_EQ(drv::settingKey(LIBFPTR_SETTING_IPPORT), QStringLiteral("IPPort"));
    EXPECT_FALSE(drv::settingKey(LIBFPTR_OK).has_value());
    EXPECT_FALSE(drv::constantValue(LIBFPTR_SETTING_MODEL).has_value());
    EXPECT_STREQ(drv::members::queryData, "queryData");
    EXPECT_STREQ(drv::members::getParamString, "getParamString");
    EXPECT_TRUE(drv::isMember(drv::members::uploadPictureMemory));
    EXPECT_TRUE(drv::isMember("setParam"));
    EXPECT_FALSE(drv::isMember("noSuchMethod"));
}

}  // namespace
