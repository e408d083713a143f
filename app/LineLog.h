#pragma once
// Lines of a message view (the status memo mmoInfo, the service view mmoServ). The rules write
// here; the memo widget shows it.
#include <QObject>
#include <QStringList>

namespace app {

class LineLog : public QObject {
    Q_OBJECT
  public:
    explicit LineLog(QObject* parent = nullptr) : QObject(parent) {}

    const QStringList& lines() const { return lines_; }
    int size() const { return int(lines_.size()); }
    QString line(int i) const { return lines_.value(i); }

    void addLine(const QString& text);
    void setLines(const QStringList& lines);
    void setLine(int i, const QString& text);
    void removeLine(int i);
    void appendToLastLine(const QString& text);
    void clear();
    // Asks the view to show the first line.
    void scrollToTop() { emit scrollToTopRequested(); }

  signals:
    // A line was added at the end.
    void lineAdded(const QString& text);
    // Anything else changed.
    void reset();
    void scrollToTopRequested();

  private:
    QStringList lines_;
};

}  // namespace app
