#pragma once
// TDosCommand: runs one console command line as a child process (standard output and standard
// error share one channel), splits its output into lines and hands every line to the caller as
// an event. Everything runs on the event loop of the thread that owns the object: the child is a
// QProcess, and events arrive when that loop next processes its queue, so a caller that waits
// must keep processing events.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <stdexcept>

namespace discovery {

// Output type of a line event.
enum TOutputType {
    otEntireLine = 0,       // a complete line
    otBeginningOfLine = 1,  // the start of a line whose end has not arrived yet
};

class DosCommandError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Line splitting of the runner. CR LF, a lone CR and a lone LF each end a line; a NUL is
// dropped. The output is split as bytes and each complete line decoded as a whole (the system's
// code page, ASCII-compatible), so a character cut between two reads, or a damaged one next to a
// line end, never changes the lines: they do not depend on how the output was chunked. After
// every piece that leaves a partial line, the characters of that line complete so far are
// reported as a beginning of line.
class LineSplitter {
  public:
    using Emit = std::function<void(const QString& line, TOutputType type)>;
    // Splits one piece of raw output; returns true when at least one line ended.
    bool feedBytes(QByteArrayView bytes, const Emit& sink);
    // Delivers a pending partial line as a complete line (end of the run).
    void finish(const Emit& sink);

  private:
    QByteArray partial_;    // the bytes of the line begun
    bool afterCr_ = false;  // the last byte seen ended a line with CR
};

class TDosCommand : public QObject {
    Q_OBJECT
  public:
    explicit TDosCommand(QObject* parent = nullptr);
    ~TDosCommand() override;  // ends a running child; no event is delivered afterwards

    // Settings; read at Execute. The program and its arguments: `Arguments` when it is not
    // empty (each element one argument, whatever characters it holds), else `CommandLine`
    // split by the shell's quoting rules.
    QString CommandLine;
    QStringList Arguments;
    bool InputToOutput = false;
    int MaxTimeAfterBeginning = 0;   // seconds; 0 = no limit
    int MaxTimeAfterLastOutput = 0;  // seconds; 0 = no limit
    std::function<void(QObject* sender, const QString& line, TOutputType type)> OnNewLine;
    std::function<void(QObject* sender, bool& canTerminate)> OnTerminateProcess;

    // Starts a run. Throws DosCommandError "DosCommand still running" or
    // "No Commandline to execute".
    void Execute();
    // True from Execute until the end of the run has been handled on the event loop.
    bool IsRunning() const { return running_; }
    // Asks the run to finish (the child is terminated when it still runs).
    void Stop();
    // Queues a line (with a line feed) for the child's standard input.
    void SendLine(const QString& line);

    // Facts of the last finished run.
    int ExitCode() const { return exitCode_; }
    // The failure that ended the last run before its child started ("Error creating ...").
    QString LastError() const { return lastError_; }

  signals:
    // Emitted after IsRunning became false.
    void finished();

  private:
    struct Run;
    void readOutput();
    void checkLimits();
    void terminateChild();
    void childEnded(int exitCode);
    // Queues an event of the current run; it is dropped when another run has started by then.
    void post(std::function<void()> event);
    void deliverEnd(int exitCode, const QString& error);

    bool running_ = false;
    int exitCode_ = -1;
    QString lastError_;
    quint64 runId_ = 0;
    std::unique_ptr<Run> run_;
};

}  // namespace discovery
