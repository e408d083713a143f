// The program's INI file: file order kept, other owners' sections untouched, UTF-8 text.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "app/IniFile.h"

namespace {

QString write(const QTemporaryDir& dir, const QByteArray& text) {
    const QString path = dir.filePath("set.ini");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text);
    return path;
}

QByteArray read(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

TEST(IniFile, KeepsFileOrderAndForeignSections) {
    QTemporaryDir dir;
    const QString path =
        write(dir, "[Zeta]\nb=2\na=1\n[Footer-123]\n10=десятая\n1=первая\n[Alpha]\nk=v\n");
    app::IniFile ini;
    ASSERT_TRUE(ini.load(path));
    EXPECT_EQ(ini.sections(), QStringList({"Zeta", "Footer-123", "Alpha"}));
    EXPECT_EQ(ini.keys("Footer-123"), QStringList({"10", "1"}));
    EXPECT_EQ(ini.value("Footer-123", "1"), "первая");
    ini.deleteSection("Zeta");
    ini.setValue("New", "x", "новое");
    ini.setValue("Alpha", "k", "w");
    ASSERT_TRUE(ini.save(path));
    EXPECT_EQ(read(path).toStdString(),
              std::string("[Footer-123]\n10=десятая\n1=первая\n\n\n[Alpha]\nk=w\n\n\n"
                          "[New]\nx=новое\n"));
}

TEST(IniFile, MissingKeysAndFilesReadEmpty) {
    QTemporaryDir dir;
    app::IniFile ini;
    EXPECT_TRUE(ini.load(dir.filePath("absent.ini")));
    EXPECT_EQ(ini.value("Fset", "save"), "");
    EXPECT_FALSE(ini.hasKey("Fset", "save"));
    ini.setValue("Fset", "save", "");
    EXPECT_TRUE(ini.hasKey("Fset", "save"));
    ini.deleteKey("Fset", "save");
    EXPECT_FALSE(ini.hasKey("Fset", "save"));
}

TEST(IniFile, SaveReplacesTheFileWhole) {
    QTemporaryDir dir;
    const QString path = write(dir, "[Fset]\nsave=1\n");
    app::IniFile ini;
    ASSERT_TRUE(ini.load(path));
    ini.setValue("Fset", "save", "0");
    ASSERT_TRUE(ini.save(path));
    EXPECT_EQ(read(path), QByteArray("[Fset]\nsave=0\n"));
    // nothing but the file itself is left in the folder
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"set.ini"}));
    // a folder where the file should go: the save fails and reports it
    EXPECT_FALSE(ini.save(dir.path()));
}

}  // namespace
