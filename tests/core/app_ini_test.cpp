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

TEST(IniFile, SaveThroughALinkReplacesTheFileItPointsTo) {
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("real"));
    const QString target = write(dir, "[Fset]\nsave=1\n");
    ASSERT_TRUE(QFile::rename(target, dir.filePath("real/set.ini")));
    ASSERT_TRUE(QFile::link(dir.filePath("real/set.ini"), dir.filePath("set.ini")));
    app::IniFile ini;
    ASSERT_TRUE(ini.load(dir.filePath("set.ini")));
    ini.setValue("Fset", "save", "0");
    ASSERT_TRUE(ini.save(dir.filePath("set.ini")));
    EXPECT_TRUE(QFileInfo(dir.filePath("set.ini")).isSymLink());
    EXPECT_EQ(read(dir.filePath("real/set.ini")), QByteArray("[Fset]\nsave=0\n"));
}

TEST(IniFile, RefusedContentSaysWhy) {
    QTemporaryDir dir;
    app::IniFile ini;
    EXPECT_FALSE(ini.load(write(dir, "")));
    EXPECT_EQ(ini.errorString(), "файл пуст");
    EXPECT_FALSE(ini.load(write(dir, "no section here\n")));
    EXPECT_EQ(ini.errorString(), "файл повреждён");
    EXPECT_FALSE(
        ini.load(write(dir, "[A]\nk=" + QByteArray(app::IniFile::kMaxValueChars + 1, 'x'))));
    EXPECT_TRUE(ini.errorString().contains("\"k\" в разделе \"A\""))
        << ini.errorString().toStdString();
    EXPECT_TRUE(ini.sections().isEmpty());  // nothing of a refused file is kept
    // a value of the largest size in letters of two bytes each is still read
    const QString longest(app::IniFile::kMaxValueChars, QChar(0x0416));
    ASSERT_TRUE(ini.load(write(dir, "[A]\nk=" + longest.toUtf8() + "\n")));
    EXPECT_EQ(ini.value("A", "k"), longest);
    EXPECT_FALSE(ini.repaired());
    EXPECT_EQ(ini.errorString(), "");
    // a line that is neither section, key nor comment is read past, and noted
    ASSERT_TRUE(ini.load(write(dir, "[A]\ngarbage\nk=v\n")));
    EXPECT_EQ(ini.value("A", "k"), "v");
    EXPECT_TRUE(ini.repaired());
}

}  // namespace

// ---- The saved list in pf/set.ini: writing where only the file is writable, interrupted
// saves, damaged and oversized files.

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <functional>

#include "app/DeviceRows.h"
#include "app/SavedList.h"

namespace {

// The program directory of one test: <tmp>/ with pf/ inside, open to every user.
struct ProgDir {
    QTemporaryDir tmp;
    QString dir = tmp.path() + '/';
    QString pf = dir + "pf";
    QString ini = pf + "/set.ini";
    ProgDir() {
        ::chmod(QFile::encodeName(tmp.path()).constData(), 0755);
        QDir().mkpath(pf);
    }
    ~ProgDir() { ::chmod(QFile::encodeName(pf).constData(), 0755); }
    void write(const QByteArray& bytes) const {
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QStringList files() const { return QDir(pf).entryList(QDir::Files | QDir::Hidden); }
};

void setMode(const QString& path, mode_t mode) {
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

// Runs `body` in a child process; the child's exit code is the result (-1: it did not end by
// itself). `asNobody` drops root's privileges first (-2: that was not possible).
int runInChild(const std::function<int()>& body, bool asNobody = false) {
    uid_t uid = 65534;
    gid_t gid = 65534;
    if (const passwd* pw = ::getpwnam("nobody")) {
        uid = pw->pw_uid;
        gid = pw->pw_gid;
    }
    const pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        if (asNobody && ::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0))
            ::_exit(254);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status)) return -1;
    if (WEXITSTATUS(status) == 254) return -2;
    return WEXITSTATUS(status);
}

struct DeviceList {
    app::DeviceRows list;
    explicit DeviceList(int rows = 1) {
        for (int r = 0; r < rows; ++r) {
            app::DeviceRow row;
            row.kkm = QString("АТОЛ 30Ф (№ %1)").arg(r + 1, 14, 10, QChar('0'));
            row.com = QString("COM%1").arg(r + 3);
            row.speed = "115200";
            list.append(row);
        }
    }
};

const QByteArray kFooterAndRow =
    "[Footer-00106107311234]\n1=Спасибо за покупку\n[Fset]\nsave=1\ncom=1\nip=0\n"
    "[SavedKKM1]\nkkm=old\nkkmcom=COM9\n";

}  // namespace

TEST(SavedListSave, ReadOnlyFolderWritesTheWritableFileInPlace) {
    ProgDir p;
    p.write(kFooterAndRow);
    setMode(p.ini, 0666);
    setMode(p.pf, 0555);
    DeviceList devices(2);
    const int result = runInChild(
        [&] { return int(app::saveSettings(p.ini, devices.list, app::ListOptions{})); }, true);
    if (result == -2) GTEST_SKIP() << "cannot run as the user nobody here";
    ASSERT_EQ(result, int(app::SaveResult::Saved));
    app::IniFile ini;
    ASSERT_TRUE(ini.load(p.ini));
    EXPECT_EQ(ini.sections(),
              QStringList({"Footer-00106107311234", "Fset", "SavedKKM1", "SavedKKM2"}));
    EXPECT_EQ(ini.value("Footer-00106107311234", "1"), "Спасибо за покупку");
    EXPECT_EQ(ini.value("SavedKKM1", "kkmcom"), "COM3");
    EXPECT_EQ(ini.value("SavedKKM2", "kkm"), "АТОЛ 30Ф (№ 00000000000002)");
    EXPECT_EQ(p.files(), QStringList({"set.ini"}));
    EXPECT_EQ(modeOf(p.ini), mode_t(0666));
}

TEST(SavedListSave, UnwritableFileOrFolderIsNoAccessAndChangesNothing) {
    DeviceList devices;
    const auto save = [&](const ProgDir& p) {
        return runInChild(
            [&] { return int(app::saveSettings(p.ini, devices.list, app::ListOptions{})); }, true);
    };
    {  // a writable folder does not make a read-only file writable
        ProgDir p;
        p.write(kFooterAndRow);
        setMode(p.ini, 0444);
        const int result = save(p);
        if (result == -2) GTEST_SKIP() << "cannot run as the user nobody here";
        EXPECT_EQ(result, int(app::SaveResult::NoAccess));
        QFile f(p.ini);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), kFooterAndRow);
        EXPECT_EQ(p.files(), QStringList({"set.ini"}));
    }
    {  // no file and a read-only folder: nothing can be created
        ProgDir p;
        setMode(p.pf, 0555);
        EXPECT_EQ(save(p), int(app::SaveResult::NoAccess));
        EXPECT_EQ(p.files(), QStringList());
    }
}

TEST(SavedListSave, FailedFirstSaveCreatesNoFile) {
    // a file size limit stops the write part way, as a full disk would
    ProgDir p;
    DeviceList devices(20);
    const int result = runInChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return int(app::saveSettings(p.ini, devices.list, app::ListOptions{}));
    });
    EXPECT_NE(result, int(app::SaveResult::Saved));
    EXPECT_NE(result, -1);
    EXPECT_EQ(p.files(), QStringList());  // neither an empty set.ini nor a temporary file
    // the same with a file already there: it keeps its content
    p.write(kFooterAndRow);
    runInChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return int(app::saveSettings(p.ini, devices.list, app::ListOptions{}));
    });
    QFile f(p.ini);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), kFooterAndRow);
    EXPECT_EQ(p.files(), QStringList({"set.ini"}));
}

TEST(SavedListSave, FailedWriteInPlacePutsTheOldContentBack) {
    ProgDir p;
    p.write(kFooterAndRow);
    setMode(p.ini, 0666);
    setMode(p.pf, 0555);
    DeviceList devices(20);
    const int result = runInChild(
        [&] {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{rlim_t(kFooterAndRow.size() + 40),
                               rlim_t(kFooterAndRow.size() + 40)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            return int(app::saveSettings(p.ini, devices.list, app::ListOptions{}));
        },
        true);
    if (result == -2) GTEST_SKIP() << "cannot run as the user nobody here";
    EXPECT_EQ(result, int(app::SaveResult::WriteFailed));
    QFile f(p.ini);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), kFooterAndRow);
}

TEST(SavedListSave, KilledSavesLeaveTheWholeFileOrNone) {
    ProgDir p;
    DeviceList devices(400);
    QElapsedTimer timer;
    timer.start();
    ASSERT_EQ(app::saveSettings(p.ini, devices.list, app::ListOptions{}), app::SaveResult::Saved);
    // kills land anywhere in the first saves of a round
    const int saveMicros = std::max(1000, int(timer.nsecsElapsed() / 1000));
    // a first save and a save over the file: the same entries, "Fset" first once it was read
    QList<QByteArray> whole;
    for (int i = 0; i < 2; ++i) {
        QFile f(p.ini);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        whole << f.readAll();
        ASSERT_EQ(app::saveSettings(p.ini, devices.list, app::ListOptions{}),
                  app::SaveResult::Saved);
    }
    ASSERT_EQ(whole[0].size(), whole[1].size());
    int present = 0;
    for (int round = 0; round < 40; ++round) {
        QFile::remove(p.ini);
        int firstSaved[2];
        ASSERT_EQ(::pipe(firstSaved), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            // the first save of the file, then saves over it, until killed
            app::saveSettings(p.ini, devices.list, app::ListOptions{});
            [[maybe_unused]] auto n = ::write(firstSaved[1], "1", 1);
            for (;;) app::saveSettings(p.ini, devices.list, app::ListOptions{});
        }
        ::close(firstSaved[1]);
        auto* rng = QRandomGenerator::global();
        if (round % 2 == 0) {
            // anywhere in the first saves
            ::usleep(useconds_t(rng->bounded(saveMicros / 2, 3 * saveMicros)));
        } else {
            // in a save over the file
            char c = 0;
            ASSERT_EQ(::read(firstSaved[0], &c, 1), 1);
            ::usleep(useconds_t(rng->bounded(0, 2 * saveMicros)));
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        ::close(firstSaved[0]);
        QFile f(p.ini);
        if (!f.exists()) {
            EXPECT_EQ(round % 2, 0) << "round " << round;
            continue;
        }
        ++present;
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        ASSERT_EQ(bytes.size(), whole[0].size()) << "round " << round;
        ASSERT_TRUE(whole.contains(bytes)) << "round " << round;
    }
    EXPECT_GE(present, 20);
    // what the kills left behind goes at the next start
    app::DeviceRows list;
    app::ListOptions opts;
    app::loadSavedList(p.ini, list, opts);
    EXPECT_TRUE(p.files().filter(".tmp").isEmpty()) << p.files().join(' ').toStdString();
}

TEST(SavedListLoad, LeftoverTemporaryFilesGoAtStart) {
    ProgDir p;
    p.write("[Fset]\nsave=1\ncom=1\nip=0\n[SavedKKM1]\nkkm=x\n");
    for (const QString name : {"set.ini.Ab12Cd.tmp", "set.ini.zzzzzz.tmp", "set.ini.bad",
                               "set.ini.bak", "other.tmp", "set.ini.tmp", "set5x.ini"}) {
        QFile f(p.pf + '/' + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    DeviceList devices(0);
    app::ListOptions opts;
    app::loadSavedList(p.ini, devices.list, opts);
    EXPECT_EQ(devices.list.size(), 1);
    EXPECT_EQ(p.files(), QStringList({"other.tmp", "set.ini", "set.ini.bad", "set.ini.bak",
                                      "set.ini.tmp", "set5x.ini"}));
}

TEST(SavedListLoad, NulBytesAndInvalidUtf8HideNoLaterEntry) {
    ProgDir p;
    const QByteArray nuls(4, '\0');
    p.write("[Fset]\nsave=1\ncom=0\nip=1\n[SavedKKM1]\nkkm=A\nkkmcom=COM3" + nuls +
            "\n[SavedKKM2]\nkkm=B\xff\xfe\xc3\nkkmcom=COM4\n" + nuls + "[SavedKKM3]\nkkm=C\n");
    DeviceList devices(0);
    app::ListOptions opts;
    app::loadSavedList(p.ini, devices.list, opts);
    EXPECT_TRUE(opts.save);
    EXPECT_FALSE(opts.com);
    EXPECT_TRUE(opts.ip);
    ASSERT_EQ(devices.list.size(), 3);
    EXPECT_EQ(devices.list.at(0).cell(app::colCom), "COM3");
    EXPECT_TRUE(devices.list.at(1).cell(app::colKkm).startsWith("B"));
    EXPECT_EQ(devices.list.at(1).cell(app::colCom), "COM4");
    EXPECT_EQ(devices.list.at(2).cell(app::colKkm), "C");
}

// A file that was read only in part is used as read, its original is kept as set.ini.bad and
// the user is told; the repaired file saves the same bytes every time.
TEST(SavedListLoad, DamagedButReadableFileIsKeptAsBadAndTold) {
    const QList<QByteArray> damaged = {
        QByteArray("[Fset]\nsave=1\n[SavedKKM1]\nkkm=A\0TAIL\n", 37),
        QByteArray("[Fset]\nsave=1\n[SavedKKM1]\nkkm=B\xff\n"),
        QByteArray("[Fset]\nsave=1\n[]\n[=\ni=\n"),
        QByteArray("[Fset]\nsave=1\n[SavedKKM1\nkkm=C=D\n"),
    };
    for (const QByteArray& bytes : damaged) {
        SCOPED_TRACE(bytes.toStdString());
        ProgDir p;
        p.write(bytes);
        DeviceList devices(0);
        app::ListOptions opts;
        const QString message = app::loadSavedList(p.ini, devices.list, opts);
        EXPECT_TRUE(message.contains("повреждён")) << message.toStdString();
        EXPECT_TRUE(message.contains("set.ini.bad")) << message.toStdString();
        EXPECT_TRUE(opts.save);
        EXPECT_EQ(p.files(), QStringList({"set.ini", "set.ini.bad"}));
        QFile bad(p.pf + "/set.ini.bad");
        ASSERT_TRUE(bad.open(QIODevice::ReadOnly));
        EXPECT_EQ(bad.readAll(), bytes);

        app::IniFile ini;
        ASSERT_TRUE(ini.load(p.ini));
        ASSERT_TRUE(ini.save(p.ini));
        QFile once(p.ini);
        ASSERT_TRUE(once.open(QIODevice::ReadOnly));
        const QByteArray first = once.readAll();
        ASSERT_TRUE(ini.load(p.ini));
        EXPECT_FALSE(ini.repaired());
        ASSERT_TRUE(ini.save(p.ini));
        QFile twice(p.ini);
        ASSERT_TRUE(twice.open(QIODevice::ReadOnly));
        EXPECT_EQ(twice.readAll(), first);
        EXPECT_EQ(ini.sections().first(), "Fset");
    }
}

TEST(SavedListSave, ANewFileFollowsTheUmask) {
    for (const mode_t mask : {mode_t(022), mode_t(077), mode_t(002)}) {
        ProgDir p;
        const mode_t old = ::umask(mask);
        const auto result = app::saveSettings(p.ini, DeviceList(1).list, app::ListOptions{});
        ::umask(old);
        ASSERT_EQ(result, app::SaveResult::Saved);
        EXPECT_EQ(modeOf(p.ini), mode_t(0666 & ~mask)) << std::oct << mask;
    }
}

TEST(SavedListLoad, UnreadableFileIsKeptAsBadAndDefaultsUsed) {
    const QList<QByteArray> unreadable = {
        QByteArray(),
        QByteArray("\n \r\n\t\n"),
        QByteArray(4096, '\0'),
        QByteArray("\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR\x00\x00\x01\x00", 20),
        QByteArray("just some words\nwithout any section\n"),
        QByteArray("[Fs"),
        QByteArray("[Fset]\nsa") + QByteArray(8, '\0'),
        QByteArray("[Fset]\nsave=1\n[SavedKKM1]\nkkm=") + QByteArray(10000, 'x') + '\n',
    };
    for (const QByteArray& bytes : unreadable) {
        SCOPED_TRACE(bytes.left(40).toStdString());
        ProgDir p;
        p.write(bytes);
        DeviceList devices(0);
        const app::ListOptions defaults;
        app::ListOptions opts = defaults;
        const QString message = app::loadSavedList(p.ini, devices.list, opts);
        EXPECT_TRUE(message.contains("set.ini.bad")) << message.toStdString();
        EXPECT_TRUE(message.contains("по умолчанию")) << message.toStdString();
        EXPECT_EQ(opts.save, defaults.save);
        EXPECT_EQ(opts.com, defaults.com);
        EXPECT_EQ(opts.ip, defaults.ip);
        EXPECT_EQ(devices.list.size(), 0);
        EXPECT_EQ(p.files(), QStringList({"set.ini.bad"}));
        QFile bad(p.pf + "/set.ini.bad");
        ASSERT_TRUE(bad.open(QIODevice::ReadOnly));
        EXPECT_EQ(bad.readAll(), bytes);
        // told once: the next start finds no file and says nothing
        EXPECT_EQ(app::loadSavedList(p.ini, devices.list, opts), QString());
        // and the next close writes a fresh file beside the kept one
        EXPECT_EQ(app::saveSettings(p.ini, devices.list, opts), app::SaveResult::Saved);
        EXPECT_EQ(p.files(), QStringList({"set.ini", "set.ini.bad"}));
    }
}

TEST(SavedListLoad, ReadableFilesSayNothing) {
    for (const QByteArray& bytes :
         {QByteArray("[Fset]\nsave=0\n"), QByteArray("[Footer-1]\n1=line\n"),
          QByteArray("; comment\n[Fset]\nsave=1\ncom=1\nip=1\n"), kFooterAndRow}) {
        ProgDir p;
        p.write(bytes);
        DeviceList devices(0);
        app::ListOptions opts;
        EXPECT_EQ(app::loadSavedList(p.ini, devices.list, opts), QString()) << bytes.toStdString();
        EXPECT_EQ(p.files(), QStringList({"set.ini"}));
    }
}

TEST(SavedListLoad, OversizedFileIsRefusedQuickly) {
    ProgDir p;
    {
        QFile f(p.ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Fset]\nsave=1\ncom=1\nip=0\n[SavedKKM1]\nkkm=");
        const QByteArray chunk(1 << 20, 'x');
        for (int i = 0; i < 50; ++i) f.write(chunk);
        f.write("\n");
    }
    DeviceList devices(0);
    app::ListOptions opts;
    QElapsedTimer timer;
    timer.start();
    const QString message = app::loadSavedList(p.ini, devices.list, opts);
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_TRUE(message.contains("слишком велик")) << message.toStdString();
    EXPECT_EQ(devices.list.size(), 0);
    EXPECT_TRUE(opts.save);
    EXPECT_EQ(p.files(), QStringList({"set.ini.bad"}));
}

// --- Where the settings file is ------------------------------------------------------------

TEST(SettingsFilePlace, BesideTheProgramWhenItsFolderIsWritableOrTheFileIsThere) {
    QTemporaryDir user;
    const QString userDir = user.path() + "/velmor-kkt";
    const QString mine = userDir + "/set.ini";
    const auto place = [&](const ProgDir& p) {
        return runInChild([&] { return app::settingsFilePath(p.dir, userDir) == p.ini ? 10 : 20; },
                          true);
    };
    {  // a build or a portable copy: pf/ can be written
        ProgDir p;
        EXPECT_EQ(app::settingsFilePath(p.dir, userDir), p.ini);
    }
    {  // no pf/ yet, the program's folder can be written
        QTemporaryDir tmp;
        EXPECT_EQ(app::settingsFilePath(tmp.path() + '/', userDir), tmp.path() + "/pf/set.ini");
    }
    {  // installed: neither pf/ nor the folder can be written by the user -> the user's folder
        ProgDir p;
        setMode(p.pf, 0555);
        const int result = place(p);
        if (result == -2) GTEST_SKIP() << "cannot run as the user nobody here";
        EXPECT_EQ(result, 20);
        const int mineResult = runInChild(
            [&] { return app::settingsFilePath(p.dir, userDir) == mine ? 10 : 20; }, true);
        EXPECT_EQ(mineResult, 10);
    }
    {  // an existing set.ini beside the program is still used, even in a read-only folder
        ProgDir p;
        p.write(kFooterAndRow);
        setMode(p.pf, 0555);
        EXPECT_EQ(place(p), 10);
    }
    {  // installed: even where it could be written (as root) and holds a set.ini, the program's
       // folder is left alone
        ProgDir p;
        p.write(kFooterAndRow);
        QFile marker(app::installMarkerPath(p.dir));
        ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
        marker.close();
        EXPECT_EQ(app::settingsFilePath(p.dir, userDir), mine);
    }
}

TEST(SettingsFilePlace, TheUsersFileIsSavedAndReadInItsOwnFolder) {
    QTemporaryDir user;
    const QString file = user.path() + "/config/velmor-kkt/set.ini";
    DeviceList devices(2);
    ASSERT_EQ(app::saveSettings(file, devices.list, app::ListOptions{}), app::SaveResult::Saved);
    DeviceList loaded(0);
    app::ListOptions opts;
    EXPECT_EQ(app::loadSavedList(file, loaded.list, opts), QString());
    ASSERT_EQ(loaded.list.size(), 2);
    EXPECT_EQ(loaded.list.rows()[1].cell(app::colCom), "COM4");
}

TEST(SettingsFilePlace, InstallReportNamesWhatIsMissing) {
    ProgDir p;
    auto r = app::checkInstall(p.dir, p.ini);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.lines.contains("catalogue pf/set5x.ini: missing or unreadable"));
    EXPECT_TRUE(r.lines.contains("handle listing Com/hs: missing or not executable"));

    for (const char* name : {"set5x.ini", "set3x.ini"}) {
        QFile f(p.pf + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[1]\nname=Первая\n[2]\nname=Вторая\n");
    }
    QDir().mkpath(p.dir + "Com");
    QFile hs(p.dir + "Com/hs");
    ASSERT_TRUE(hs.open(QIODevice::WriteOnly));
    hs.write("#!/bin/sh\n");
    hs.close();
    r = app::checkInstall(p.dir, p.ini);
    EXPECT_FALSE(r.ok) << "a tool that can't be run is missing";
    hs.setPermissions(hs.permissions() | QFile::ExeOwner);
    r = app::checkInstall(p.dir, p.ini);
    EXPECT_TRUE(r.ok) << r.lines.join('\n').toStdString();
    EXPECT_TRUE(r.lines.contains("catalogue pf/set3x.ini: 2 settings"));
    EXPECT_TRUE(r.lines.contains("handle listing Com/hs: found"));
}
