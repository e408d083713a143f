// The register's typed stores: the settings table per platform with its ranges and injected
// failures, pictures in memory, cliche and footer lines.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include "driver/Fptr.h"
#include "driver/Names.h"
#include "emulator/Bench.h"
#include "emulator/SettingsStore.h"
#include "emulator/VirtualRegister.h"

namespace {

using namespace drv::names;

class EmulatorStores : public ::testing::Test {
  protected:
    void SetUp() override { drv::setDispatchFactory(&emu::VirtualRegister::create); }
    void TearDown() override { emu::World::instance().loadDemo(); }
    static std::unique_ptr<drv::Fptr> openOn(const QByteArray& bench) {
        emu::World::instance().loadJson(bench, "stores");
        auto f = drv::Fptr::create();
        EXPECT_EQ(f->openSerialAuto("7"), 0);
        return f;
    }
    static int write(drv::Fptr& f, const QVariant& id, const QVariant& value) {
        f.setParam(LIBFPTR_PARAM_SETTING_ID, id);
        f.setParam(LIBFPTR_PARAM_SETTING_VALUE, value);
        f.run(drv::members::writeDeviceSetting);
        return f.errorCode();
    }
    static QString read(drv::Fptr& f, int id) {
        f.setParam(LIBFPTR_PARAM_SETTING_ID, id);
        f.readDeviceSetting();
        return f.getParamString(LIBFPTR_PARAM_SETTING_VALUE);
    }
    // The whole table through the records reading: id, type code and value text.
    static QList<QStringList> records(drv::Fptr& f) {
        f.setParam(LIBFPTR_PARAM_RECORDS_TYPE, f.c(LIBFPTR_RT_SETTINGS));
        EXPECT_EQ(f.beginReadRecords(), 0);
        const QString id = f.getParamString(LIBFPTR_PARAM_RECORDS_ID);
        QList<QStringList> out;
        for (;;) {
            f.setParam(LIBFPTR_PARAM_RECORDS_ID, id);
            if (f.readNextRecord() != 0) break;
            out.append({QString::number(f.getParamInt(LIBFPTR_PARAM_SETTING_ID)),
                        QString::number(f.getParamInt(LIBFPTR_PARAM_SETTING_TYPE)),
                        f.getParamString(LIBFPTR_PARAM_SETTING_VALUE)});
        }
        f.setParam(LIBFPTR_PARAM_RECORDS_ID, id);
        f.endReadRecords();
        return out;
    }
};

TEST_F(EmulatorStores, EachPlatformHasItsTableAndTheBenchOverridesIt) {
    auto p5 = openOn(R"({"registers": [{"com": "COM7", "platform": "5",
        "settings": [{"id": 37, "type": "number", "value": 0}, {"id": 5000, "type": "bool", "value": true}]}]})");
    const auto table5 = records(*p5);
    auto p3 = openOn(R"({"registers": [{"com": "COM7", "platform": "3"}]})");
    const auto table3 = records(*p3);
    QStringList ids5, ids3;
    for (const auto& r : table5) ids5 << r[0];
    for (const auto& r : table3) ids3 << r[0];
    EXPECT_GT(table5.size(), 100);
    EXPECT_GT(table3.size(), 100);
    EXPECT_TRUE(ids3.contains("184") && ids5.contains("184"));
    // the bench's value replaces the table's in its place; a new identifier comes last
    const int at37 = int(ids5.indexOf("37"));
    ASSERT_GE(at37, 0);
    EXPECT_EQ(table5[at37], (QStringList{"37", QString::number(emu::k(LIBFPTR_ST_NUMBER)), "0"}));
    EXPECT_EQ(table5.last(), (QStringList{"5000", QString::number(emu::k(LIBFPTR_ST_BOOL)), "1"}));
    const int at184 = int(ids5.indexOf("184"));
    EXPECT_EQ(table5[at184][1], QString::number(emu::k(LIBFPTR_ST_STRING)));
    // a bench may give only its own table
    auto own = openOn(R"({"registers": [{"com": "COM7", "settingsBase": "none",
        "settings": [{"id": 1, "type": "string", "value": "a"}]}]})");
    EXPECT_EQ(records(*own), (QList<QStringList>{{"1", "1", "a"}}));
}

TEST_F(EmulatorStores, WritesAreCheckedAgainstTypeRangeAndLength) {
    auto f = openOn(R"({"registers": [{"com": "COM7", "settingsBase": "none", "settings": [
        {"id": 10, "type": "number", "value": 5, "min": 0, "max": 255},
        {"id": 11, "type": "string", "value": "", "maxLength": 4},
        {"id": 12, "type": "bool", "value": false}]}]})");
    const int invalid = emu::k(LIBFPTR_ERROR_INVALID_SETTING_VALUE);
    EXPECT_EQ(write(*f, "10", "12"), 0);  // identifier and value as text, as the editor sends
    EXPECT_EQ(read(*f, 10), "12");
    EXPECT_EQ(write(*f, 10, 0), 0);
    EXPECT_EQ(write(*f, 10, "256"), invalid);
    EXPECT_EQ(write(*f, 10, "-1"), invalid);
    EXPECT_EQ(write(*f, 10, "1.5"), invalid);
    EXPECT_EQ(write(*f, 10, "abc"), invalid);
    EXPECT_EQ(f->errorDescription(), "Неверное значение настройки");
    EXPECT_EQ(read(*f, 10), "0");
    EXPECT_EQ(write(*f, 11, "abcd"), 0);
    EXPECT_EQ(write(*f, 11, "abcde"), invalid);
    EXPECT_EQ(read(*f, 11), "abcd");
    EXPECT_EQ(write(*f, 12, "1"), 0);
    EXPECT_EQ(read(*f, 12), "1");
    EXPECT_EQ(write(*f, 12, "2"), invalid);
    EXPECT_EQ(write(*f, 12, false), 0);
    EXPECT_EQ(read(*f, 12), "0");
    EXPECT_EQ(write(*f, 99, "1"), emu::k(LIBFPTR_ERROR_INVALID_PARAM));
    f->setParam(LIBFPTR_PARAM_SETTING_ID, 10);
    f->run(drv::members::writeDeviceSetting);
    EXPECT_EQ(f->errorCode(), emu::k(LIBFPTR_ERROR_NO_REQUIRED_PARAM));
    // reset brings back the values the table was loaded with
    f->resetSettings();
    EXPECT_EQ(read(*f, 10), "5");
    EXPECT_EQ(read(*f, 11), "");
}

TEST_F(EmulatorStores, ABenchInjectsAWriteFailurePerIdentifier) {
    auto f = openOn(R"({"registers": [{"com": "COM7", "settingsBase": "none", "settings": [
        {"id": 10, "type": "number", "value": 5}, {"id": 11, "type": "number", "value": 5}],
        "settingWriteErrors": [{"id": 11, "code": 191, "times": 1}]}]})");
    EXPECT_EQ(write(*f, 10, "6"), 0);
    EXPECT_EQ(write(*f, 11, "6"), 191);
    EXPECT_EQ(f->errorDescription(), "Изменение настройки запрещено");
    EXPECT_EQ(read(*f, 11), "5");
    EXPECT_EQ(write(*f, 11, "6"), 0);  // once only
    EXPECT_EQ(read(*f, 11), "6");
}

TEST(EmulatorSettingsFile, TheLoaderIsStrictButIgnoresExtraKeys) {
    const auto parse = [](const char* json) {
        return emu::SettingsStore::parse(QJsonDocument::fromJson(json).array(), "", "data.json",
                                         true);
    };
    const auto ok = parse(R"([{"id": 1, "type": "number", "value": 3, "min": 0, "max": 9,
        "name": "extra", "comment": 1}, {"id": 2, "type": "string", "value": "x", "maxLength": 1}])");
    ASSERT_EQ(ok.size(), 2u);
    EXPECT_EQ(ok[0].max, 9);
    EXPECT_EQ(ok[1].maxLength, 1);
    const auto refused = [&](const char* json, const char* key) {
        try {
            parse(json);
            ADD_FAILURE() << "accepted " << json;
        } catch (const emu::BenchError& e) {
            EXPECT_NE(std::string(e.what()).find(key), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("data.json"), std::string::npos) << e.what();
        }
    };
    refused(R"([{"id": 1, "value": 3}])", "settings[0].type");
    refused(R"([{"id": 1, "type": "text", "value": "a"}])", "settings[0].type");
    refused(R"([{"id": 1, "type": "number"}])", "settings[0].value");
    refused(R"([{"id": 1, "type": "number", "value": "3"}])", "settings[0].value");
    refused(R"([{"id": 1, "type": "bool", "value": 1}])", "settings[0].value");
    refused(R"([{"id": 1, "type": "number", "value": 10, "max": 9}])", "settings[0].value");
    refused(R"([{"id": 1, "type": "string", "value": "ab", "maxLength": 1}])", "settings[0].value");
    refused(R"([{"id": 1, "type": "number", "value": 1}, {"id": 1, "type": "number", "value": 1}])",
            "settings[1].id");
    refused(R"([3])", "settings[0]");
}

TEST(EmulatorSettingsFile, BuiltInTablesLoad) {
    for (const char* platform : {"5", "3", "2.5"}) {
        const auto store = emu::SettingsStore::forPlatform(platform);
        EXPECT_GT(store.size(), 100) << platform;
        for (int id = 184; id <= 203; ++id) {
            const auto* s = store.find(id);
            ASSERT_TRUE(s) << id;
            EXPECT_EQ(s->type, emu::Setting::Type::String);
        }
        ASSERT_TRUE(store.find(37));
        EXPECT_EQ(store.find(37)->type, emu::Setting::Type::Number);
    }
}

QString writeImage(const QTemporaryDir& dir, const QString& name, int w, int h) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(emu::PictureStore::blankBmp(w, h));
    return path;
}

std::pair<int, int> pictureInfo(drv::Fptr& f, int n) {
    f.setParam(LIBFPTR_PARAM_DATA_TYPE, f.c(LIBFPTR_DT_PICTURE_INFO));
    f.setParam(LIBFPTR_PARAM_PICTURE_NUMBER, QString::number(n));
    f.queryData();
    return {f.getParamInt(LIBFPTR_PARAM_WIDTH), f.getParamInt(LIBFPTR_PARAM_HEIGHT)};
}

TEST_F(EmulatorStores, NumberedPictureMemory) {
    QTemporaryDir dir;
    auto f = openOn(R"({"registers": [{"com": "COM7", "platform": "3",
        "pictures": [{"number": 0, "width": 384, "height": 120}]}]})");
    EXPECT_EQ(pictureInfo(*f, 0), std::make_pair(384, 120));
    EXPECT_EQ(pictureInfo(*f, 1), std::make_pair(0, 0));  // no picture: width 0, no error
    EXPECT_EQ(f->errorCode(), 0);
    f->setParam(LIBFPTR_PARAM_FILENAME, writeImage(dir, "a.bmp", 200, 64));
    EXPECT_EQ(f->run(drv::members::uploadPictureMemory), 0);
    EXPECT_EQ(f->getParamInt(LIBFPTR_PARAM_PICTURE_NUMBER), 1);
    EXPECT_EQ(pictureInfo(*f, 1), std::make_pair(200, 64));
    // the register gives back the file it was given
    const QString out = dir.filePath("back.bmp");
    f->setParam(LIBFPTR_PARAM_PICTURE_NUMBER, QStringLiteral("1"));
    f->setParam(LIBFPTR_PARAM_FILENAME, out);
    ASSERT_EQ(f->run(drv::members::downloadPicture), 0);
    QFile back(out);
    ASSERT_TRUE(back.open(QIODevice::ReadOnly));
    EXPECT_EQ(back.readAll(), emu::PictureStore::blankBmp(200, 64));
    // a declared picture downloads as a blank image of its size
    f->setParam(LIBFPTR_PARAM_PICTURE_NUMBER, QStringLiteral("0"));
    f->setParam(LIBFPTR_PARAM_FILENAME, out);
    ASSERT_EQ(f->run(drv::members::downloadPicture), 0);
    back.close();
    back.open(QIODevice::ReadOnly);
    EXPECT_EQ(back.readAll(), emu::PictureStore::blankBmp(384, 120));
    // refusals: no such file, too wide, not an image, memory full
    f->setParam(LIBFPTR_PARAM_FILENAME, dir.filePath("none.bmp"));
    EXPECT_EQ(f->run(drv::members::uploadPictureMemory), -1);
    EXPECT_EQ(f->errorCode(), emu::k(LIBFPTR_ERROR_FILE_NOT_FOUND));
    f->setParam(LIBFPTR_PARAM_FILENAME, writeImage(dir, "wide.bmp", 2000, 10));
    EXPECT_EQ(f->run(drv::members::uploadPictureMemory), -1);
    EXPECT_EQ(f->errorCode(), emu::k(LIBFPTR_ERROR_PICTURE_TOO_BIG));
    for (int i = 2; i < 11; ++i) {
        f->setParam(LIBFPTR_PARAM_FILENAME, writeImage(dir, "p.bmp", 10, 10));
        ASSERT_EQ(f->run(drv::members::uploadPictureMemory), 0) << i;
    }
    f->setParam(LIBFPTR_PARAM_FILENAME, writeImage(dir, "p.bmp", 10, 10));
    EXPECT_EQ(f->run(drv::members::uploadPictureMemory), -1);
    EXPECT_EQ(f->errorCode(), emu::k(LIBFPTR_ERROR_NO_MEMORY));
    f->setParam(LIBFPTR_PARAM_PICTURE_NUMBER, QStringLiteral("10"));
    f->setParam(LIBFPTR_PARAM_ALIGNMENT, f->c(LIBFPTR_ALIGNMENT_CENTER));
    EXPECT_EQ(f->run(drv::members::printPictureByNumber), 0);
    EXPECT_EQ(emu::World::instance().reg(0)->journal->texts("picture"), QStringList{"10"});
    f->run(drv::members::clearPictures);
    f->setParam(LIBFPTR_PARAM_DATA_TYPE, f->c(LIBFPTR_DT_PICTURES_ARRAY_INFO));
    f->queryData();
    EXPECT_EQ(f->getParamInt(LIBFPTR_PARAM_COUNT), 0);
    f->setParam(LIBFPTR_PARAM_PICTURE_NUMBER, QStringLiteral("10"));
    EXPECT_EQ(f->run(drv::members::printPictureByNumber), -1);
    EXPECT_EQ(f->errorCode(), emu::k(LIBFPTR_ERROR_PICTURE_NOT_FOUND));
}

TEST_F(EmulatorStores, SingleClichePictureIsReplaced) {
    QTemporaryDir dir;
    auto f = openOn(R"({"registers": [{"com": "COM7", "platform": "5"}]})");
    for (int w : {100, 300}) {
        f->setParam(LIBFPTR_PARAM_FILENAME, writeImage(dir, "c.bmp", w, 50));
        ASSERT_EQ(f->run(drv::members::uploadPictureCliche), 0);
        EXPECT_EQ(f->getParamInt(LIBFPTR_PARAM_PICTURE_NUMBER), 0);
    }
    f->setParam(LIBFPTR_PARAM_DATA_TYPE, f->c(LIBFPTR_DT_PICTURES_ARRAY_INFO));
    f->queryData();
    EXPECT_EQ(f->getParamInt(LIBFPTR_PARAM_COUNT), 1);
    EXPECT_EQ(pictureInfo(*f, 0), std::make_pair(300, 50));
    f->setParam(LIBFPTR_PARAM_FILENAME, writeImage(dir, "c.bmp", 10, 10));
    EXPECT_EQ(f->run(drv::members::uploadPictureMemory), -1);
    EXPECT_EQ(f->errorCode(), emu::k(LIBFPTR_ERROR_NOT_SUPPORTED));
}

TEST_F(EmulatorStores, ClicheAndFooterLines) {
    auto f = openOn(R"({"registers": [{"com": "COM7", "platform": "5"}]})");
    auto r = emu::World::instance().reg(0);
    // the cliche lives in settings 184 to 193
    EXPECT_EQ(write(*f, 184, QStringLiteral("⤊Магазин")), 0);
    for (int id = 185; id <= 193; ++id) EXPECT_EQ(write(*f, id, QString()), 0);
    ASSERT_EQ(f->run(drv::members::printCliche), 0);
    EXPECT_EQ(r->journal->texts("cliche"), QStringList{"⤊Магазин"});
    f->setParam(LIBFPTR_PARAM_TEXT, QStringLiteral("Первая\r\nВторая"));
    ASSERT_EQ(f->run(drv::members::setHeaderLines), 0);
    EXPECT_EQ(read(*f, 184), "Первая");
    EXPECT_EQ(read(*f, 185), "Вторая");
    EXPECT_EQ(read(*f, 186), "");
    f->setParam(LIBFPTR_PARAM_TEXT, QStringLiteral("Спасибо\r\n\r\nЖдём снова"));
    ASSERT_EQ(f->run(drv::members::setFooterLines), 0);
    EXPECT_EQ(r->footerLines, QStringList({"Спасибо", "", "Ждём снова"}));
    f->setParam(LIBFPTR_PARAM_TEXT, QString(QChar(0)));
    ASSERT_EQ(f->run(drv::members::setFooterLines), 0);
    EXPECT_TRUE(r->footerLines.isEmpty());
    f->setParam(LIBFPTR_PARAM_TEXT, QStringLiteral("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11"));
    EXPECT_EQ(f->run(drv::members::setFooterLines), -1);
}

}  // namespace
