// The program as a process: it starts offscreen, and ends cleanly (list saved, no process left)
// when asked to terminate.
#include <signal.h>

#include <QtTest>

class TestProgramProcess : public QObject {
    Q_OBJECT
  private slots:
    void startsAndEndsCleanly() {
        QTemporaryDir dir;
        const QString exe = dir.filePath("velmor-kkt");
        QVERIFY(QFile::copy(VELMOR_BINARY_DIR "/velmor-kkt", exe));
        QFile::setPermissions(exe, QFile::permissions(exe) | QFileDevice::ExeOwner);
        QProcess p;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("VELMOR_DRIVER_LOG", dir.filePath("log.jsonl"));
        env.remove("VELMOR_BENCH");
        p.setProcessEnvironment(env);
        p.start(exe, {});
        QVERIFY(p.waitForStarted());
        // the driver is bound once the window is shown: its version is read
        QTRY_VERIFY_WITH_TIMEOUT(QFile(dir.filePath("log.jsonl")).size() > 0, 20000);
        QVERIFY(p.state() == QProcess::Running);
        ::kill(pid_t(p.processId()), SIGTERM);
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(QFile::exists(dir.filePath("pf/set.ini")));  // the close steps ran
        QFile log(dir.filePath("log.jsonl"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray text = log.readAll();
        QVERIFY(text.contains("\"method\":\"version\""));
        QVERIFY(text.contains("\"method\":\"close\""));
    }

    // A signal while the start-up box about a damaged settings file waits for the user still
    // ends the program through its close steps.
    void terminateWhileTheStartUpBoxIsOpenRunsTheCloseSteps() {
        QTemporaryDir dir;
        const QString exe = dir.filePath("velmor-kkt");
        QVERIFY(QFile::copy(VELMOR_BINARY_DIR "/velmor-kkt", exe));
        QFile::setPermissions(exe, QFile::permissions(exe) | QFileDevice::ExeOwner);
        QVERIFY(QDir(dir.path()).mkpath("pf"));
        QFile damaged(dir.filePath("pf/set.ini"));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("no section here\n");
        damaged.close();
        QProcess p;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.remove("VELMOR_BENCH");
        p.setProcessEnvironment(env);
        p.start(exe, {});
        QVERIFY(p.waitForStarted());
        // the file is set aside right before the box opens
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath("pf/set.ini.bad")), 20000);
        QTest::qWait(1500);
        QVERIFY(p.state() == QProcess::Running);
        ::kill(pid_t(p.processId()), SIGTERM);
        const bool finished = p.waitForFinished(15000);
        if (!finished) p.kill();
        QVERIFY2(finished, "still running 15 s after SIGTERM");
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(QFile::exists(dir.filePath("pf/set.ini")));  // the close steps ran
    }

    void terminateWithUnwritableSettingsEndsWithAMessageOnStderr() {
        QTemporaryDir dir;
        const QString exe = dir.filePath("velmor-kkt");
        QVERIFY(QFile::copy(VELMOR_BINARY_DIR "/velmor-kkt", exe));
        QFile::setPermissions(exe, QFile::permissions(exe) | QFileDevice::ExeOwner);
        // "pf" is a plain file, so the settings go to the user's folder; the user's
        // configuration folder is a plain file too: no settings can be written, not even by root
        for (const char* name : {"pf", "config"}) {
            QFile plain(dir.filePath(name));
            QVERIFY(plain.open(QIODevice::WriteOnly));
        }
        QProcess p;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("VELMOR_DRIVER_LOG", dir.filePath("log.jsonl"));
        env.remove("VELMOR_BENCH");
        p.setProcessEnvironment(env);
        p.start(exe, {});
        QVERIFY(p.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile(dir.filePath("log.jsonl")).size() > 0, 20000);
        ::kill(pid_t(p.processId()), SIGTERM);
        const bool finished = p.waitForFinished(15000);
        if (!finished) p.kill();
        QVERIFY2(finished, "still running 15 s after SIGTERM");
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 1);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(err.contains("Нет доступа для записи настроек"), qPrintable(err));
        QFile log(dir.filePath("log.jsonl"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("\"method\":\"close\""));
    }

    // A driver library beside the program is bound at start-up: the process maps that file.
    void bindsTheLibraryBesideIt() {
        QTemporaryDir dir;
        const QString exe = dir.filePath("velmor-kkt");
        QVERIFY(QFile::copy(VELMOR_BINARY_DIR "/velmor-kkt", exe));
        QFile::setPermissions(exe, QFile::permissions(exe) | QFileDevice::ExeOwner);
        const QString library = dir.filePath("libfptr10.so");
        QVERIFY(QFile::copy(VELMOR_BINARY_DIR "/libvelmor-fptr-virtual.so", library));
        QProcess p;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("VELMOR_DRIVER_LOG", dir.filePath("log.jsonl"));
        env.remove("VELMOR_BENCH");
        env.remove("VELMOR_FPTR_LIBRARY");
        p.setProcessEnvironment(env);
        p.start(exe, {});
        QVERIFY(p.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile(dir.filePath("log.jsonl")).size() > 0, 20000);
        QFile maps(QStringLiteral("/proc/%1/maps").arg(p.processId()));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QString mapped = QString::fromUtf8(maps.readAll());
        QVERIFY2(mapped.contains(QFileInfo(library).canonicalFilePath()), qPrintable(library));
        ::kill(pid_t(p.processId()), SIGTERM);
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
    }

    void badBenchStopsWithAMessageNamingTheFile() {
        QProcess p;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("VELMOR_BENCH", "/nonexistent/bench.json");
        p.setProcessEnvironment(env);
        p.start(VELMOR_BINARY_DIR "/velmor-kkt", {});
        QVERIFY(p.waitForStarted());
        // the message box waits for the user; the message is on stderr already
        QByteArray err;
        QTRY_VERIFY_WITH_TIMEOUT(
            (err += p.readAllStandardError()).contains("/nonexistent/bench.json"), 20000);
        QVERIFY(QString::fromUtf8(err).contains("файл не найден"));
        p.kill();
        p.waitForFinished(5000);
    }
};

QTEST_GUILESS_MAIN(TestProgramProcess)
#include "test_program_process.moc"
