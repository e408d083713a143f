#pragma once
// A memo of message lines (mmoInfo, mmoServ): line access, and the scroll-bar rule of the status
// memo (vertical bar past 14 lines, horizontal bar when a line is wider than the memo).
#include <QPlainTextEdit>
#include <QStringList>

namespace ui {

class Memo : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit Memo(QWidget* parent = nullptr);

    QStringList lines() const;
    void setLines(const QStringList& lines);
    int lineCount() const { return lines().size(); }
    QString line(int i) const { return lines().value(i); }
    void addLine(const QString& text);
    void setLine(int i, const QString& text);
    void removeLine(int i);
    void appendToLastLine(const QString& text);
    void clearLines();
    void scrollToTop();

    // Applies the status memo's scroll-bar rule on every change.
    void setScrollBarRule(bool on);
    void applyScrollBarRule();

  private:
    bool rule_ = false;
};

}  // namespace ui
