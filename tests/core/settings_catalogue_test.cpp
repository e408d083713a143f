// The settings catalogue: file order, labels and their keys, and damaged files.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "settings/Catalogue.h"

using namespace settings;

namespace {

const QByteArray kSample =
    "\xEF\xBB\xBF; comment line\r\n"
    "# another comment\r\n"
    "[37]\r\n"
    "name = Открывать ящик\r\n"
    "type=#\r\n"
    "desc=Открывать ящик после чека\r\n"
    "1=Да\r\n"
    "0=Нет\r\n"
    "2=\r\n"
    "\r\n"
    "[5]\r\n"
    "name=Без меток\r\n"
    "type=$\r\n"
    "desc=0..255\r\n"
    "[9]\r\n"
    "type=#\r\n"
    "desc=Раздел без имени\r\n"
    "[12]\r\n"
    "name=Метки похожи на служебные ключи\r\n"
    "type=#\r\n"
    "desc=Метки похожи на служебные ключи\r\n"
    "name2=Да\r\n"
    "7=Метки похожи на служебные ключи\r\n"
    "8=Да\r\n";

Catalogue sample() {
    QString error;
    auto cat = Catalogue::parse(kSample, "sample.ini", &error);
    EXPECT_TRUE(cat.has_value()) << error.toStdString();
    return cat ? *cat : Catalogue{};
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

}  // namespace

TEST(SettingsCatalogue, SectionsAndKeysInFileOrder) {
    const Catalogue cat = sample();
    EXPECT_EQ(cat.sections(), (QStringList{"37", "5", "9", "12"}));
    EXPECT_EQ(cat.keys("37"), (QStringList{"name", "type", "desc", "1", "0", "2"}));
    EXPECT_EQ(cat.name("37"), "Открывать ящик");  // blanks around "=" removed
    EXPECT_EQ(cat.kind("37"), "#");               // "#" is a value, not a comment
    EXPECT_EQ(cat.kind("5"), "$");
    EXPECT_EQ(cat.description("5"), "0..255");
    EXPECT_TRUE(cat.hasSection("9"));
    EXPECT_FALSE(cat.hasSection("10"));
    EXPECT_TRUE(cat.keys("10").isEmpty());
}

TEST(SettingsCatalogue, MissingNameReadsAsMinusOne) {
    const Catalogue cat = sample();
    EXPECT_EQ(cat.name("9"), kNoName);
    EXPECT_EQ(cat.name("404"), kNoName);
    EXPECT_EQ(cat.kind("404"), "");
    EXPECT_EQ(cat.description("404"), "");
}

TEST(SettingsCatalogue, LabelsAreTheValueKeysInFileOrder) {
    const Catalogue cat = sample();
    EXPECT_EQ(cat.labels("37"), (QList<Label>{{"1", "Да"}, {"0", "Нет"}, {"2", ""}}));
    EXPECT_EQ(cat.choices("37"), (QStringList{"Да", "Нет"}));  // empty labels are not offered
    EXPECT_TRUE(cat.labels("5").isEmpty());
    EXPECT_TRUE(cat.choices("404").isEmpty());
}

TEST(SettingsCatalogue, RawValueToLabel) {
    const Catalogue cat = sample();
    EXPECT_EQ(cat.shownValue("37", "1"), "Да");
    EXPECT_EQ(cat.shownValue("37", "0"), "Нет");
    EXPECT_EQ(cat.shownValue("37", "2"), "2");        // empty label: the raw value
    EXPECT_EQ(cat.shownValue("37", "3"), "3");        // no label: the raw value
    EXPECT_EQ(cat.shownValue("404", "3"), "3");       // no section: the raw value
    EXPECT_EQ(cat.shownValue("37", "name"), "name");  // never the setting's name
    EXPECT_EQ(cat.shownValue("37", "desc"), "desc");
}

TEST(SettingsCatalogue, LabelToKey) {
    const Catalogue cat = sample();
    EXPECT_EQ(cat.rawValue("37", "Да"), "1");
    EXPECT_EQ(cat.rawValue("37", "Нет"), "0");
    EXPECT_EQ(cat.rawValue("37", "12"), "12");  // no label reads so: written as shown
    EXPECT_EQ(cat.rawValue("404", "Да"), "Да");
    // A value equal to the name or the description is a value, not the key "name"/"desc";
    // the first label in file order wins.
    EXPECT_EQ(cat.rawValue("12", "Метки похожи на служебные ключи"), "7");
    EXPECT_EQ(cat.rawValue("12", "Да"), "name2");
    for (const auto& l : cat.labels("37"))
        EXPECT_EQ(cat.shownValue("37", cat.rawValue("37", l.text)),
                  l.text.isEmpty() ? l.key : l.text);
}

TEST(SettingsCatalogue, DamagedFilesGiveOneClearMessage) {
    const QDir dir(QStringLiteral(VELMOR_SOURCE_DIR "/tests/data/settings/catalogue"));
    const QStringList files = dir.entryList({"*.ini"}, QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 8);
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        const QString base = file.chopped(4);
        const QString expected = QString::fromUtf8(readFile(dir.filePath(base + ".expected")));
        QString error;
        const auto cat = Catalogue::parse(readFile(dir.filePath(file)), file, &error);
        EXPECT_FALSE(cat.has_value());
        EXPECT_EQ(error, expected);
    }
}

TEST(SettingsCatalogue, LoadFromFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("set5x.ini");
    QString error;
    EXPECT_FALSE(Catalogue::load(path, &error).has_value());
    EXPECT_TRUE(error.contains(path)) << error.toStdString();

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(kSample);
    f.close();
    error.clear();
    const auto cat = Catalogue::load(path, &error);
    ASSERT_TRUE(cat.has_value()) << error.toStdString();
    EXPECT_EQ(cat->sections().size(), 4);

    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("[37]\nname=again\n");
    f.close();
    EXPECT_FALSE(Catalogue::load(path, &error).has_value());
    EXPECT_TRUE(error.contains("раздел [37] повторяется (строки 3 и 25)")) << error.toStdString();
}
