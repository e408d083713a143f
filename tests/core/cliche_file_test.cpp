// Cliche files: the golden file, line counts, files that are no cliche files, and paths that
// are no regular files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <future>

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

// Only a regular file is replaced: a channel, a link to one, a link that leads nowhere and a
// folder are refused with a reason and stay what they were.
TEST(ClicheFile, ASaveReplacesOnlyRegularFiles) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(fifo, dir.filePath("to-fifo")));
    ASSERT_TRUE(QFile::link(dir.filePath("nowhere"), dir.filePath("dangling")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    for (const char* name : {"fifo", "to-fifo", "dangling", "folder"}) {
        SCOPED_TRACE(name);
        const QString path = dir.filePath(name);
        const QFileInfo before(path);
        EXPECT_FALSE(saveTargetProblem(path).isEmpty());
        QString error;
        EXPECT_FALSE(saveClicheFile(path, {"a"}, &error));
        EXPECT_FALSE(error.isEmpty());
        const QFileInfo after(path);
        EXPECT_EQ(after.isSymLink(), before.isSymLink());
        EXPECT_EQ(after.isFile(), before.isFile());
        EXPECT_EQ(after.isDir(), before.isDir());
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("nowhere")));
    // a link to a regular file saves into that file
    const QString target = writeFile(dir, "old");
    ASSERT_TRUE(QFile::link(target, dir.filePath("to-file")));
    EXPECT_TRUE(saveTargetProblem(dir.filePath("to-file")).isEmpty());
    ASSERT_TRUE(saveClicheFile(dir.filePath("to-file"), {"new"}));
    EXPECT_TRUE(QFileInfo(dir.filePath("to-file")).isSymLink());
    EXPECT_TRUE(loadClicheFile(target).lines.startsWith("new"));
}

// A channel, a link to one, a folder and a file that can't be read are refused at once with a
// reason, never waited on nor taken for an empty cliche.
TEST(ClicheFile, OnlyRegularReadableFilesAreLoaded) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(fifo, dir.filePath("to-fifo")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    for (const QString& path : {fifo, dir.filePath("to-fifo"), dir.filePath("folder"),
                                QStringLiteral("/proc/self/mem")}) {
        SCOPED_TRACE(path.toStdString());
        auto load = std::async(std::launch::async, [path] { return loadClicheFile(path); });
        if (load.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << "the load waits on the file";
            // a writer that comes and goes lets the waiting open return
            const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
        }
        const ClicheFileLines r = load.get();
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.error.isEmpty());
    }
}
