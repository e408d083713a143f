// velmor-kkt-cli run as a program against a bench of three registers: COM5, whose storage
// expires in ten days; COM6, with documents unsent for three days; COM7, which does not answer.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "app/DeviceRows.h"
#include "app/SavedList.h"
#include "cli/Targets.h"

namespace {

const QString kData = QStringLiteral(VELMOR_SOURCE_DIR "/tests/data/cli/");
const QString kProgram = QStringLiteral(VELMOR_BINARY_DIR "/velmor-kkt-cli");

QProcessEnvironment environment(const QString& bench = kData + "bench.json") {
    auto env = QProcessEnvironment::systemEnvironment();
    env.remove("VELMOR_FPTR_LIBRARY");
    env.remove("VELMOR_DRIVER_LOG");
    env.insert("VELMOR_BENCH", bench);
    env.insert("VELMOR_CLI_NOW", "2026-12-01T12:00:00Z");
    env.insert("TZ", "UTC");
    env.insert("LC_ALL", "C.UTF-8");
    return env;
}

struct Result {
    QByteArray out;
    QByteArray err;
    int code = -1;
};

Result runCli(const QStringList& args, const QProcessEnvironment& env = environment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(kProgram, args);
    p.waitForFinished(120000);
    return {p.readAllStandardOutput(), p.readAllStandardError(), p.exitCode()};
}

// A golden file may hold "{clock}" where the register's own clock is shown (VELMOR_UPDATE_GOLDEN
// writes the clock itself: put the mark back).
bool matchesGolden(const QByteArray& actual, const QByteArray& golden) {
    QString pattern = QRegularExpression::escape(QString::fromUtf8(golden));
    pattern.replace(QRegularExpression::escape("{clock}"),
                    QStringLiteral("\\d{1,2} \\w{3} \\d{4} \\d\\d:\\d\\d:\\d\\d"));
    return QRegularExpression(QRegularExpression::anchoredPattern(pattern),
                              QRegularExpression::DotMatchesEverythingOption)
        .match(QString::fromUtf8(actual))
        .hasMatch();
}

struct Case {
    const char* args;
    const char* golden;  // file in tests/data/cli/; "" for no output
    int code;
};

const Case kCases[] = {
    {"scan", "scan.txt", 1},
    {"status --port COM5", "status.txt", 0},
    {"status --port COM5 --format json", "status.json", 0},
    {"registration --port com6 --format csv", "registration.csv", 0},
    {"fn --port COM5 --format csv --encoding cp1251", "fn-cp1251.csv", 0},
    {"fn --all --format json", "fn.json", 1},
    {"shift --port COM5 --port COM6", "shift.txt", 0},
    {"metrics --all", "metrics.prom", 1},
    {"document 2 --port COM5", "document.txt", 0},
    {"archive --port COM6 --from 1 --to 3 --format jsonl", "archive.jsonl", 0},
    {"archive --port COM5 --from 7 --to 8 --format csv", "archive.csv", 0},
    {"status --port COM7 --timeout 5", "", 1},
    {"status", "", 2},
    {"status --port COM5 --format yaml", "", 2},
    {"archive --port COM5 --to 3", "", 2},
    {"document x --port COM5", "", 2},
    {"launch --port COM5", "", 2},
};

TEST(Cli, CommandsGiveTheGoldenOutputAndExitCode) {
    const bool update = qEnvironmentVariableIsSet("VELMOR_UPDATE_GOLDEN");
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.args);
        const Result r = runCli(QString::fromUtf8(c.args).split(' '));
        EXPECT_EQ(r.code, c.code) << r.err.constData();
        const QString golden = QString::fromUtf8(c.golden);
        if (golden.isEmpty()) {
            EXPECT_TRUE(r.out.isEmpty()) << r.out.constData();
            continue;
        }
        QFile file(kData + golden);
        if (update) {
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(r.out);
            continue;
        }
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << golden.toStdString();
        EXPECT_TRUE(matchesGolden(r.out, file.readAll())) << r.out.constData();
    }
}

TEST(Cli, FailingRegistersAreNamedOnStandardError) {
    const Result r = runCli({"fn", "--all", "--format", "json"});
    EXPECT_TRUE(r.err.contains("COM7: (2) ")) << r.err.constData();
    EXPECT_FALSE(r.err.contains("COM5")) << r.err.constData();
}

TEST(Cli, MetricsFilePassesPromtool) {
    const QString promtool = QStandardPaths::findExecutable("promtool");
    if (promtool.isEmpty()) GTEST_SKIP() << "promtool missing: run .ci/install-deps";
    QTemporaryDir dir;
    const QString path = dir.filePath("kkt.prom");
    ASSERT_EQ(runCli({"metrics", "--all", "--output", path}).code, 1);
    QProcess check;
    check.setStandardInputFile(path);
    check.start(promtool, {"check", "metrics"});
    check.waitForFinished(60000);
    EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardError().constData();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"kkt.prom"});
}

// The bench with every driver call taking `latencyMs`, written into `dir`.
QString slowBench(const QTemporaryDir& dir, int latencyMs) {
    QFile source(kData + "bench.json");
    EXPECT_TRUE(source.open(QIODevice::ReadOnly));
    QJsonObject bench = QJsonDocument::fromJson(source.readAll()).object();
    QJsonObject pc = bench["pc"].toObject();
    pc["latencyMs"] = latencyMs;
    bench["pc"] = pc;
    const QString path = dir.filePath("slow.json");
    QFile slow(path);
    EXPECT_TRUE(slow.open(QIODevice::WriteOnly));
    slow.write(QJsonDocument(bench).toJson());
    return path;
}

// The alert rules of docs/cli.md fire on the bench's expiring storage and unsent documents.
TEST(Cli, DocumentedAlertRulesFire) {
    const QString promtool = QStandardPaths::findExecutable("promtool");
    if (promtool.isEmpty()) GTEST_SKIP() << "promtool missing: run .ci/install-deps";
    QFile doc(VELMOR_SOURCE_DIR "/docs/cli.md");
    ASSERT_TRUE(doc.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(doc.readAll());
    const qsizetype start = text.indexOf("    groups:");
    ASSERT_GE(start, 0);
    QStringList rules;
    for (const QString& line : text.mid(start).split('\n')) {
        if (!line.isEmpty() && !line.startsWith("    ")) break;
        rules << line.mid(4);
    }
    QTemporaryDir dir;
    QFile rulesFile(dir.filePath("kkt-rules.yml"));
    ASSERT_TRUE(rulesFile.open(QIODevice::WriteOnly));
    rulesFile.write(rules.join('\n').toUtf8());
    rulesFile.close();
    ASSERT_TRUE(QFile::copy(kData + "alerts-test.yml", dir.filePath("alerts-test.yml")));
    QProcess check;
    check.setWorkingDirectory(dir.path());
    check.start(promtool, {"test", "rules", "alerts-test.yml"});
    check.waitForFinished(60000);
    EXPECT_EQ(check.exitCode(), 0) << check.readAll().constData();
}

TEST(Cli, RegisterOutOfTimeIsNamedAndLeftBehind) {
    QTemporaryDir dir;
    QElapsedTimer clock;
    clock.start();
    const Result r = runCli({"status", "--port", "COM5", "--port", "COM6", "--timeout", "0.5"},
                            environment(slowBench(dir, 2000)));
    EXPECT_LT(clock.elapsed(), 8000);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("COM5: no answer within 0.5 s")) << r.err.constData();
    EXPECT_TRUE(r.err.contains("COM6: no answer within 0.5 s")) << r.err.constData();
}

TEST(Cli, InterruptedArchiveLeavesWholeLinesAndResumes) {
    QTemporaryDir dir;
    QProcess p;
    p.setProcessEnvironment(environment(slowBench(dir, 10)));
    p.start(kProgram, {"archive", "--port", "COM5", "--from", "1", "--to", "200"});
    QByteArray out;
    while (out.count('\n') < 3 && p.waitForReadyRead(30000)) out += p.readAllStandardOutput();
    ::kill(pid_t(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(30000));
    out += p.readAllStandardOutput();
    EXPECT_EQ(p.exitCode(), 1);
    ASSERT_TRUE(out.endsWith('\n'));
    const QList<QByteArray> lines = out.trimmed().split('\n');
    ASSERT_LT(lines.size(), 200);
    for (int i = 0; i < lines.size(); ++i)
        ASSERT_EQ(QJsonDocument::fromJson(lines[i]).object()["number"].toInt(), i + 1);

    const int next = int(lines.size()) + 1;
    const QByteArray err = p.readAllStandardError();
    EXPECT_TRUE(err.contains(QStringLiteral("resume with --from %1").arg(next).toUtf8()))
        << err.constData();
    EXPECT_TRUE(QRegularExpression("\\d+/200 documents, [\\d.]+/s, \\d\\d:\\d\\d:\\d\\d left\n")
                    .match(QString::fromUtf8(err))
                    .hasMatch())
        << err.constData();
    const Result rest =
        runCli({"archive", "--port", "COM5", "--from", QString::number(next), "--to", "200"});
    ASSERT_EQ(rest.code, 0) << rest.err.constData();
    const QList<QByteArray> restLines = rest.out.trimmed().split('\n');
    ASSERT_EQ(lines.size() + restLines.size(), 200);
    EXPECT_EQ(QJsonDocument::fromJson(restLines.first()).object()["number"].toInt(), next);
}

TEST(Cli, SavedListGivesPortsAndAddresses) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("set.ini");
    app::DeviceRows rows;
    app::DeviceRow com, ip, none;
    com.com = "COM5";
    ip.ip = "192.168.77.40";
    rows.setRows({com, ip, none, com});
    ASSERT_EQ(app::saveSettings(ini, rows, {}), app::SaveResult::Saved);
    QString problem;
    const auto targets = cli::savedTargets(ini, &problem);
    ASSERT_EQ(targets.size(), 2);
    EXPECT_EQ(targets[0].name(), "COM5");
    EXPECT_EQ(targets[1].name(), "192.168.77.40:5555");
}

}  // namespace
