#pragma once
// Optional trace of every driver call and every printed line, one JSON object per line.
// Enabled by the environment variable VELMOR_DRIVER_LOG (a file path, appended to).
#include <QJsonObject>
#include <QString>
#include <QVariant>

namespace drv {

class DriverLog {
  public:
    // The log named by VELMOR_DRIVER_LOG, read once; tests may point it elsewhere.
    static DriverLog& instance();
    void setPath(const QString& path);  // empty disables
    bool enabled() const;

    void call(int objectId, const QString& method, const QVariantList& args, const QVariant& result,
              int errorCode);
    void printed(const QString& kind, const QString& text, const QJsonObject& extra = {});

  private:
    DriverLog();
    void append(const QJsonObject& line);
    QString path_;
};

// JSON form of a driver value (date-times as ISO text).
QJsonValue jsonOf(const QVariant& v);

}  // namespace drv
