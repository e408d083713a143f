// Cliche files: the golden file, line counts, and files that are no cliche files.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "cliche/ClicheFile.h"

using namespace cliche;

namespace {

QByteArray golden() {
    QFile f(QStringLiteral(VELMOR_SOURCE_DIR "/tests/data/cliche/cliche-file.txt"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

QString writeFile(const QTemporaryDir& dir, const QByteArray& bytes) {
    const QString path = dir.filePath("in.txt");
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    return path;
}

}  // namespace

TEST(ClicheFile, GoldenFileLoadsInDisplayFormAndSavesByteForByte) {
    const QByteArray bytes = golden();
    const auto loaded = decodeClicheFile(bytes);
    ASSERT_TRUE(loaded.ok) << loaded.error.toStdString();
    ASSERT_EQ(loaded.lines.size(), 10);
    EXPECT_EQ(loaded.lines[0], QString::fromUtf8("ᚥ01ᚥТекст"));
    EXPECT_EQ(loaded.lines[2], QString::fromUtf8("↓20↓¶0,center¶"));
    EXPECT_TRUE(loaded.lines[3].isEmpty());
    EXPECT_EQ(encodeClicheFile(loaded.lines), bytes);

    QTemporaryDir dir;
    const QString path = dir.filePath("saved.txt");
    ASSERT_TRUE(saveClicheFile(path, loaded.lines));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), bytes);
}

TEST(ClicheFile, LineCountsAndLineEnds) {
    QByteArray twelve;
    for (int i = 1; i <= 12; ++i) twelve += "L" + QByteArray::number(i) + "\r\n";
    auto r = decodeClicheFile(twelve);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.lines.size(), 10);
    EXPECT_EQ(r.lines[9], "L10");

    // three lines, no byte-order mark, LF and a last line without an end
    r = decodeClicheFile("a\nb\r\nc");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.lines, QStringList({"a", "b", "c"}));
    r = decodeClicheFile("");
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.lines.isEmpty());
    // an empty line inside the file stays a line
    r = decodeClicheFile("\xEF\xBB\xBF\r\nx\r\n");
    EXPECT_EQ(r.lines, QStringList({"", "x"}));
}

TEST(ClicheFile, NoClicheFileIsRefusedWithAReason) {
    QTemporaryDir dir;
    const QByteArray png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10", 20);
    const QByteArray cases[] = {png, QByteArray("abc\xff\xfe\r\n"), QByteArray("a\0b", 3),
                                QByteArray(kMaxClicheFileBytes + 1, 'a')};
    for (const QByteArray& bytes : cases) {
        const auto r = loadClicheFile(writeFile(dir, bytes));
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.lines.isEmpty());
        EXPECT_TRUE(r.error.startsWith(QString::fromUtf8("Файл не является файлом настроек клише")))
            << r.error.toStdString();
    }
    const auto missing = loadClicheFile(dir.filePath("nothing.txt"));
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(missing.error.isEmpty());
}

TEST(ClicheFile, ASaveThatCannotBeWrittenSaysSoAndLeavesNoFile) {
    QTemporaryDir dir;
    QString error;
    const QString path = dir.filePath("missing-folder/out.txt");
    EXPECT_FALSE(saveClicheFile(path, {"a"}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(path));
}
