#include "discovery/DosCommand.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/timerfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QProcess>
#include <QStringDecoder>
#include <chrono>
#include <thread>
#include <vector>

namespace discovery {

// --- TSyncString

void TSyncString::append(const QString& text) {
    std::lock_guard lock(mutex_);
    text_ += text;
}

QString TSyncString::take() {
    std::lock_guard lock(mutex_);
    QString out;
    out.swap(text_);
    return out;
}

bool TSyncString::isEmpty() const {
    std::lock_guard lock(mutex_);
    return text_.isEmpty();
}

// --- LineSplitter

bool LineSplitter::feed(const QString& piece, const Emit& sink) {
    const QString text = partial_ + piece;
    const qsizetype pieceStart = partial_.size();
    partial_.clear();
    bool ended = false;
    QString line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch == QChar(0)) continue;
        if (ch == '\r' || ch == '\n') {
            // an LF right after a CR of the same piece belongs to that line end
            if (ch == '\n' && i > pieceStart && text[i - 1] == '\r') continue;
            sink(line, otEntireLine);
            line.clear();
            ended = true;
            continue;
        }
        line += ch;
    }
    partial_ = line;
    if (!partial_.isEmpty()) sink(partial_, otBeginningOfLine);
    return ended;
}

void LineSplitter::finish(const Emit& sink) {
    if (!partial_.isEmpty()) sink(partial_, otEntireLine);
    partial_.clear();
}

// --- the run: TDosThread (worker), TReadPipe (reader), TProcessTimer (tick), TInputLines

namespace {

QString sysError(int err) {
    return QString::fromLocal8Bit(strerror(err));
}

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

void signalFd(int fd) {
    if (fd < 0) return;
    const uint64_t one = 1;
    [[maybe_unused]] auto n = ::write(fd, &one, sizeof one);
}

void drainFd(int fd) {
    uint64_t v;
    [[maybe_unused]] auto n = ::read(fd, &v, sizeof v);
}

// One-second ticks on a timer descriptor.
class TProcessTimer {
  public:
    TProcessTimer() {
        fd_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
        itimerspec spec{};
        spec.it_interval.tv_sec = 1;
        spec.it_value.tv_sec = 1;
        if (fd_ < 0 || ::timerfd_settime(fd_, 0, &spec, nullptr) != 0) {
            closeFd(fd_);
            throw DosCommandError("could not start timer");
        }
    }
    ~TProcessTimer() noexcept(false) {
        if (fd_ >= 0 && ::close(fd_) != 0 && !std::uncaught_exceptions())
            throw DosCommandError("could not kill timer");
    }
    int fd() const { return fd_; }

  private:
    int fd_ = -1;
};

}  // namespace

struct TDosCommand::Run {
    TDosCommand* owner = nullptr;
    quint64 id = 0;
    QString commandLine;
    bool inputToOutput = false;
    int maxBegin = 0;
    int maxSilent = 0;

    std::thread worker;
    int wakeFd = -1;  // reader data, queued input and stop requests
    std::atomic<bool> stopRequested{false};
    TSyncString buffer;  // TSyncString between the reader and the worker
    std::mutex inputMutex;
    QStringList inputLines;  // TInputLines

    ~Run() { closeFd(wakeFd); }

    void post(std::function<void(TDosCommand*)> f) {
        TDosCommand* o = owner;
        QMetaObject::invokeMethod(
            o, [o, f = std::move(f)] { f(o); }, Qt::QueuedConnection);
    }
    void queueLine(const QString& line, TOutputType type) {
        const quint64 runId = id;
        post([runId, line, type](TDosCommand* o) { o->deliverLine(runId, line, type); });
    }

    void execute();  // TDosThread.Execute
};

void TDosCommand::Run::execute() {
    int outPipe[2] = {-1, -1};
    int inPipe[2] = {-1, -1};
    int statusPipe[2] = {-1, -1};
    int readerStop = -1;
    int pidFd = -1;
    pid_t pid = -1;
    int exitCode = -1;
    QString error;
    std::thread reader;
    std::atomic<bool> readerDone{false};
    LineSplitter splitter;
    const auto emitLine = [this](const QString& l, TOutputType t) { queueLine(l, t); };

    try {
        if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(inPipe, O_CLOEXEC) != 0 ||
            ::pipe2(statusPipe, O_CLOEXEC) != 0)
            throw DosCommandError(
                QStringLiteral("Error creating Pipe: %1").arg(sysError(errno)).toStdString());
        readerStop = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (readerStop < 0)
            throw DosCommandError(
                QStringLiteral("Error creating Pipe: %1").arg(sysError(errno)).toStdString());

        // Everything the child needs is prepared before fork: only exec and dup2 run there.
        const QStringList args = QProcess::splitCommand(commandLine);
        std::vector<QByteArray> argBytes;
        for (const auto& a : args) argBytes.push_back(a.toLocal8Bit());
        std::vector<char*> argv;
        for (auto& a : argBytes) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (args.isEmpty())
            throw DosCommandError(QStringLiteral("Error creating Process: %1 - (%2)")
                                      .arg(commandLine, sysError(ENOENT))
                                      .toStdString());

        pid = ::fork();
        if (pid < 0)
            throw DosCommandError(QStringLiteral("Error creating Process: %1 - (%2)")
                                      .arg(commandLine, sysError(errno))
                                      .toStdString());
        if (pid == 0) {
            // the child: its own process group (its "console"), pipes as standard handles
            ::setpgid(0, 0);
            ::dup2(inPipe[0], 0);
            ::dup2(outPipe[1], 1);
            ::dup2(outPipe[1], 2);
            ::execvp(argv[0], argv.data());
            const int err = errno;
            [[maybe_unused]] auto n = ::write(statusPipe[1], &err, sizeof err);
            ::_exit(127);
        }
        ::setpgid(pid, pid);
        closeFd(outPipe[1]);
        closeFd(inPipe[0]);
        closeFd(statusPipe[1]);
        int childErr = 0;
        ssize_t got;
        do got = ::read(statusPipe[0], &childErr, sizeof childErr);
        while (got < 0 && errno == EINTR);
        closeFd(statusPipe[0]);
        if (got == sizeof childErr) {
            ::waitpid(pid, nullptr, 0);
            pid = -1;
            throw DosCommandError(QStringLiteral("Error creating Process: %1 - (%2)")
                                      .arg(commandLine, sysError(childErr))
                                      .toStdString());
        }
        pidFd = int(::syscall(SYS_pidfd_open, pid, 0));

        TProcessTimer timer;

        // TReadPipe: up to 1024 bytes at a time, decoded, into the shared buffer
        const int readFd = outPipe[0];
        const int wake = wakeFd;
        reader = std::thread([this, readFd, readerStop, wake, &readerDone] {
            QStringDecoder decoder(QStringDecoder::System);
            char buf[1024];
            for (;;) {
                pollfd fds[2] = {{readFd, POLLIN, 0}, {readerStop, POLLIN, 0}};
                if (::poll(fds, 2, -1) < 0) {
                    if (errno == EINTR) continue;
                    break;
                }
                if (fds[1].revents) break;
                const ssize_t n = ::read(readFd, buf, sizeof buf);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) break;  // the pipe is broken: every writer has gone
                buffer.append(decoder.decode(QByteArrayView(buf, n)));
                signalFd(wake);
            }
            readerDone = true;
            signalFd(wake);
        });

        // Waiting: reader data, queued input, the child's end, a stop request, a tick.
        using Clock = std::chrono::steady_clock;
        const auto started = Clock::now();
        auto lastOutput = started;
        bool childEnded = false;
        int status = 0;
        const auto reap = [&] {
            if (childEnded) return true;
            const pid_t r = ::waitpid(pid, &status, WNOHANG);
            if (r == pid) childEnded = true;
            return childEnded;
        };
        const auto seconds = [](Clock::time_point since) {
            return std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - since).count();
        };
        for (;;) {
            pollfd fds[3] = {{wakeFd, POLLIN, 0}, {timer.fd(), POLLIN, 0}, {pidFd, POLLIN, 0}};
            const int nfds = pidFd >= 0 ? 3 : 2;
            const int r = ::poll(fds, nfds, pidFd >= 0 ? -1 : 50);
            if (r < 0 && errno != EINTR) break;
            if (fds[0].revents) drainFd(wakeFd);
            if (fds[1].revents) drainFd(timer.fd());
            if (!buffer.isEmpty() && splitter.feed(buffer.take(), emitLine))
                lastOutput = Clock::now();
            {
                std::lock_guard lock(inputMutex);
                for (const QString& l : inputLines) {
                    const QByteArray bytes = (l + '\n').toLocal8Bit();
                    [[maybe_unused]] auto n = ::write(inPipe[1], bytes.constData(), bytes.size());
                    if (inputToOutput) queueLine(l, otEntireLine);
                }
                inputLines.clear();
            }
            if (stopRequested) break;
            if (reap()) break;
            if (maxBegin > 0 && seconds(started) >= maxBegin) break;
            if (maxSilent > 0 && seconds(lastOutput) >= maxSilent) break;
        }

        // End: terminate a child that still runs.
        bool terminated = false;
        if (!reap()) {
            post([runId = id](TDosCommand* o) { o->deliverTerminate(runId); });
            ::kill(-pid, SIGKILL);
            ::kill(pid, SIGKILL);
            terminated = true;
        }
        // What the child wrote before it ended is still in the pipe or the buffer: take it all
        // (up to one second when a descendant keeps the pipe open).
        if (!terminated) {
            const auto until = Clock::now() + std::chrono::milliseconds(1000);
            while (!readerDone && Clock::now() < until) {
                pollfd w{wakeFd, POLLIN, 0};
                ::poll(&w, 1, 20);
                if (w.revents) drainFd(wakeFd);
                if (!buffer.isEmpty()) splitter.feed(buffer.take(), emitLine);
            }
            if (!buffer.isEmpty()) splitter.feed(buffer.take(), emitLine);
        }
        splitter.finish(emitLine);
        const auto until = Clock::now() + std::chrono::milliseconds(1000);
        while (!reap() && Clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (childEnded) exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        pid = -1;
    } catch (const std::exception& e) {
        error = QString::fromStdString(e.what());
    }
    signalFd(readerStop);
    if (reader.joinable()) reader.join();
    if (pid > 0) {  // an end that went wrong after the start: do not leave the child behind
        ::kill(-pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    for (int* fd : {&outPipe[0], &outPipe[1], &inPipe[0], &inPipe[1], &statusPipe[0],
                    &statusPipe[1], &readerStop, &pidFd})
        closeFd(*fd);
    post([runId = id, exitCode, error](TDosCommand* o) { o->deliverEnd(runId, exitCode, error); });
}

// --- TDosCommand

TDosCommand::TDosCommand(QObject* parent) : QObject(parent) {}

TDosCommand::~TDosCommand() {
    if (run_) {
        run_->stopRequested = true;
        signalFd(run_->wakeFd);
    }
    joinWorker();
}

void TDosCommand::joinWorker() {
    if (run_ && run_->worker.joinable()) run_->worker.join();
}

void TDosCommand::Execute() {
    if (running_) throw DosCommandError("DosCommand still running");
    if (CommandLine.isEmpty()) throw DosCommandError("No Commandline to execute");
    joinWorker();
    auto run = std::make_shared<Run>();
    run->owner = this;
    run->id = ++runId_;
    run->commandLine = CommandLine;
    run->inputToOutput = InputToOutput;
    run->maxBegin = MaxTimeAfterBeginning;
    run->maxSilent = MaxTimeAfterLastOutput;
    run->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    lastError_.clear();
    exitCode_ = -1;
    running_ = true;
    run_ = run;
    Run* r = run.get();
    run->worker = std::thread([r] { r->execute(); });
}

void TDosCommand::Stop() {
    if (!run_ || !running_) return;
    run_->stopRequested = true;
    signalFd(run_->wakeFd);
}

void TDosCommand::SendLine(const QString& line) {
    if (!run_ || !running_) return;
    {
        std::lock_guard lock(run_->inputMutex);
        run_->inputLines << line;
    }
    signalFd(run_->wakeFd);
}

void TDosCommand::deliverLine(quint64 runId, const QString& line, TOutputType type) {
    if (runId != runId_) return;
    if (OnNewLine) OnNewLine(this, line, type);
}

void TDosCommand::deliverTerminate(quint64 runId) {
    if (runId != runId_) return;
    // The event is asynchronous: the worker does not wait for the answer.
    bool canTerminate = true;
    if (OnTerminateProcess) OnTerminateProcess(this, canTerminate);
}

void TDosCommand::deliverEnd(quint64 runId, int exitCode, const QString& error) {
    if (runId != runId_) return;
    joinWorker();
    exitCode_ = exitCode;
    lastError_ = error;
    running_ = false;
    emit finished();
}

}  // namespace discovery
