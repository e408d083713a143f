#pragma once
// Optional trace of every driver call and every printed line, one JSON object per line.
// Enabled by the environment variable VELMOR_DRIVER_LOG (a file path, appended to). The file is
// opened once and kept open; every line is flushed as it is written.
#include <QJsonObject>
#include <QString>
#include <QVariant>
#include <atomic>
#include <memory>
#include <mutex>

class QFile;

namespace drv {

class DriverLog {
  public:
    // The log named by VELMOR_DRIVER_LOG, read once; tests may point it elsewhere.
    static DriverLog& instance();
    ~DriverLog();
    // Closes the current file and opens `path` for appending; empty (or a path that cannot be
    // opened) disables the log.
    void setPath(const QString& path);
    bool enabled() const { return enabled_.load(std::memory_order_acquire); }

    // `errorCode` is the driver object's error code after the call, as the object reports it.
    void call(int objectId, const QString& method, const QVariantList& args, const QVariant& result,
              int errorCode);
    void printed(const QString& kind, const QString& text, const QJsonObject& extra = {});
    // A line a program writes into the driver's log (libfptr_log_write): its tag, level and
    // text, and the label of the driver object it came through (empty for none).
    void message(const QString& label, const QString& tag, int level, const QString& text);

  private:
    DriverLog();
    void append(QJsonObject line);
    std::atomic<bool> enabled_{false};
    std::mutex mutex_;
    std::unique_ptr<QFile> file_;
};

// JSON form of a driver value (date-times as ISO text).
QJsonValue jsonOf(const QVariant& v);

}  // namespace drv
