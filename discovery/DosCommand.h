#pragma once
// TDosCommand: runs one console command line as a child process, reads its output (standard
// output and standard error share one pipe) on worker threads, splits it into lines and hands
// every line to the GUI thread as an event.
//
// Threads per run: the GUI thread (events, IsRunning), the worker TDosThread (child, waiting,
// line splitting) and the reader TReadPipe (reads of up to 1024 bytes into TSyncString).
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
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

// The text buffer shared by the reader and the worker.
class TSyncString {
  public:
    void append(const QString& text);
    // Takes the whole text and leaves the buffer empty.
    QString take();
    bool isEmpty() const;

  private:
    mutable std::mutex mutex_;
    QString text_;
};

// Line splitting of the worker: every piece the reader hands over is split with the pending
// partial line in front of it.
class LineSplitter {
  public:
    using Emit = std::function<void(const QString& line, TOutputType type)>;
    // Splits one piece; returns true when at least one line ended.
    bool feed(const QString& piece, const Emit& sink);
    // Delivers a pending partial line as a complete line (end of the run).
    void finish(const Emit& sink);
    QString pending() const { return partial_; }

  private:
    QString partial_;
};

class TDosCommand : public QObject {
    Q_OBJECT
  public:
    explicit TDosCommand(QObject* parent = nullptr);
    ~TDosCommand() override;  // stops a running child and waits for the worker

    // Settings; read at Execute.
    QString CommandLine;
    bool InputToOutput = false;
    int MaxTimeAfterBeginning = 0;   // seconds; 0 = no limit
    int MaxTimeAfterLastOutput = 0;  // seconds; 0 = no limit
    std::function<void(QObject* sender, const QString& line, TOutputType type)> OnNewLine;
    std::function<void(QObject* sender, bool& canTerminate)> OnTerminateProcess;

    // Starts a run. Throws DosCommandError "DosCommand still running" or
    // "No Commandline to execute".
    void Execute();
    // True from Execute until the end of the worker has been handled on the GUI thread.
    bool IsRunning() const { return running_; }
    // Asks the worker to finish (the child is terminated when it still runs).
    void Stop();
    // Queues a line (with a line feed) for the child's standard input.
    void SendLine(const QString& line);

    // Facts of the last finished run.
    int ExitCode() const { return exitCode_; }
    // The failure that ended the last run before its child started ("Error creating ...").
    QString LastError() const { return lastError_; }

  signals:
    // Emitted on the GUI thread after IsRunning became false.
    void finished();

  private:
    struct Run;
    void deliverLine(quint64 runId, const QString& line, TOutputType type);
    void deliverTerminate(quint64 runId);
    void deliverEnd(quint64 runId, int exitCode, const QString& error);
    void joinWorker();

    bool running_ = false;
    int exitCode_ = -1;
    QString lastError_;
    quint64 runId_ = 0;
    std::shared_ptr<Run> run_;
};

}  // namespace discovery
