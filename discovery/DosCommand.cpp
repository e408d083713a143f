#include "discovery/DosCommand.h"

#include <errno.h>
#include <signal.h>
#include <string.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QStringDecoder>
#include <QTimer>
#include <algorithm>

namespace discovery {

// --- LineSplitter

namespace {

// The text of a line's bytes; a NUL is dropped.
QString lineText(const QByteArray& bytes) {
    return QString::fromLocal8Bit(bytes).remove(QChar(0));
}

}  // namespace

bool LineSplitter::feedBytes(QByteArrayView bytes, const Emit& sink) {
    bool ended = false;
    for (const char byte : bytes) {
        if (byte == '\0') {  // dropped from the text, so it parts no CR LF
            partial_ += byte;
            continue;
        }
        if (byte == '\n' && afterCr_) {  // the LF of a CR LF, wherever the read was cut
            afterCr_ = false;
            continue;
        }
        afterCr_ = byte == '\r';
        if (byte == '\r' || byte == '\n') {
            sink(lineText(partial_), otEntireLine);
            partial_.clear();
            ended = true;
            continue;
        }
        partial_ += byte;
    }
    // a character still cut at the end of the piece waits for its next bytes
    QStringDecoder begun(QStringDecoder::System);
    const QString text = QString(begun.decode(partial_)).remove(QChar(0));
    if (!text.isEmpty()) sink(text, otBeginningOfLine);
    return ended;
}

void LineSplitter::finish(const Emit& sink) {
    if (const QString text = lineText(partial_); !text.isEmpty()) sink(text, otEntireLine);
    partial_.clear();
    afterCr_ = false;
}

// --- TDosCommand

namespace {

QString systemErrorText(int err) {
    return QString::fromLocal8Bit(strerror(err));
}

}  // namespace

struct TDosCommand::Run {
    quint64 id = 0;
    QProcess process;
    QTimer limitTimer;  // the nearer of the two time limits
    QElapsedTimer sinceStart;
    QElapsedTimer sinceLastLine;
    int maxBegin = 0;
    int maxSilent = 0;
    bool inputToOutput = false;
    bool ended = false;  // the end is queued; nothing more comes from this run
    LineSplitter splitter;
};

TDosCommand::TDosCommand(QObject* parent) : QObject(parent) {}

TDosCommand::~TDosCommand() {
    if (!run_) return;
    run_->process.disconnect(this);
    run_->limitTimer.stop();
    if (run_->process.state() != QProcess::NotRunning) {
        const qint64 pid = run_->process.processId();
        if (pid > 0) ::kill(-pid_t(pid), SIGKILL);
        run_->process.kill();
        run_->process.waitForFinished(1000);
    }
}

void TDosCommand::post(std::function<void()> event) {
    const quint64 id = runId_;
    QMetaObject::invokeMethod(
        this,
        [this, id, event = std::move(event)] {
            if (id == runId_) event();
        },
        Qt::QueuedConnection);
}

void TDosCommand::Execute() {
    if (running_) throw DosCommandError("DosCommand still running");
    if (CommandLine.isEmpty() && Arguments.isEmpty())
        throw DosCommandError("No Commandline to execute");

    run_.reset();  // the previous run has ended: its child is gone
    auto run = std::make_unique<Run>();
    run->id = ++runId_;
    run->maxBegin = std::max(0, MaxTimeAfterBeginning);
    run->maxSilent = std::max(0, MaxTimeAfterLastOutput);
    run->inputToOutput = InputToOutput;
    lastError_.clear();
    exitCode_ = -1;
    running_ = true;
    run_ = std::move(run);
    Run* r = run_.get();

    const QStringList args = Arguments.isEmpty() ? QProcess::splitCommand(CommandLine) : Arguments;
    const QString commandLine = Arguments.isEmpty() ? CommandLine : Arguments.join(u' ');
    if (args.isEmpty()) {
        r->ended = true;
        const QString error = QStringLiteral("Error creating Process: %1 - (%2)")
                                  .arg(commandLine, systemErrorText(ENOENT));
        post([this, error] { deliverEnd(-1, error); });
        return;
    }

    QProcess& p = r->process;
    p.setProcessChannelMode(QProcess::MergedChannels);
    // the child leads a process group of its own, so that a termination also ends what it started
    p.setChildProcessModifier([] { ::setpgid(0, 0); });
    connect(&p, &QProcess::readyReadStandardOutput, this, [this] { readOutput(); });
    connect(&p, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        childEnded(status == QProcess::CrashExit ? 128 + code : code);
    });
    connect(&p, &QProcess::errorOccurred, this, [this, r, commandLine](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart || r->ended) return;
        r->ended = true;
        r->limitTimer.stop();
        const QString error = QStringLiteral("Error creating Process: %1 - (%2)")
                                  .arg(commandLine, r->process.errorString());
        post([this, error] { deliverEnd(-1, error); });
    });
    r->limitTimer.setSingleShot(true);
    connect(&r->limitTimer, &QTimer::timeout, this, [this] { checkLimits(); });

    r->sinceStart.start();
    r->sinceLastLine.start();
    p.start(args.first(), args.mid(1));
    if (!r->ended) checkLimits();
}

// Arms the limit timer for the nearer limit, or ends the run when a limit is exceeded.
void TDosCommand::checkLimits() {
    Run* r = run_.get();
    if (!r || r->ended) return;
    qint64 left = -1;
    const auto consider = [&](int limitSeconds, const QElapsedTimer& since) {
        if (limitSeconds <= 0) return;
        const qint64 ms = qint64(limitSeconds) * 1000 - since.elapsed();
        left = left < 0 ? std::max<qint64>(ms, 0) : std::min(left, std::max<qint64>(ms, 0));
    };
    consider(r->maxBegin, r->sinceStart);
    consider(r->maxSilent, r->sinceLastLine);
    if (left < 0) return;  // no limit
    if (left == 0) {
        terminateChild();
        return;
    }
    r->limitTimer.start(int(std::min<qint64>(left, 24 * 3600 * 1000)));
}

void TDosCommand::readOutput() {
    Run* r = run_.get();
    if (!r || r->ended) return;
    const QByteArray bytes = r->process.readAllStandardOutput();
    if (bytes.isEmpty()) return;
    const bool lineEnded = r->splitter.feedBytes(bytes, [this](const QString& l, TOutputType t) {
        post([this, l, t] {
            if (OnNewLine) OnNewLine(this, l, t);
        });
    });
    if (lineEnded && r->maxSilent > 0) {
        r->sinceLastLine.restart();
        checkLimits();
    }
}

void TDosCommand::terminateChild() {
    Run* r = run_.get();
    if (!r || r->ended || r->process.state() == QProcess::NotRunning) return;
    r->limitTimer.stop();
    // The question is asked on the event loop; the child is ended whatever the answer.
    post([this] {
        bool canTerminate = true;
        if (OnTerminateProcess) OnTerminateProcess(this, canTerminate);
    });
    const qint64 pid = r->process.processId();
    if (pid > 0) ::kill(-pid_t(pid), SIGKILL);
    r->process.kill();
}

// The child has ended: what it wrote before its end is still taken, then a pending partial line
// is delivered as complete, then the end.
void TDosCommand::childEnded(int exitCode) {
    Run* r = run_.get();
    if (!r || r->ended) return;
    readOutput();
    r->ended = true;
    r->limitTimer.stop();
    const auto sink = [this](const QString& l, TOutputType t) {
        post([this, l, t] {
            if (OnNewLine) OnNewLine(this, l, t);
        });
    };
    r->splitter.finish(sink);
    post([this, exitCode] { deliverEnd(exitCode, QString()); });
}

void TDosCommand::deliverEnd(int exitCode, const QString& error) {
    exitCode_ = exitCode;
    lastError_ = error;
    running_ = false;
    emit finished();
}

void TDosCommand::Stop() {
    if (!running_) return;
    terminateChild();
}

void TDosCommand::SendLine(const QString& line) {
    Run* r = run_.get();
    if (!running_ || !r || r->ended || r->process.state() == QProcess::NotRunning) return;
    r->process.write((line + '\n').toLocal8Bit());
    if (r->inputToOutput)
        post([this, line] {
            if (OnNewLine) OnNewLine(this, line, otEntireLine);
        });
}

}  // namespace discovery
