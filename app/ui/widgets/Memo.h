#pragma once
// A memo of message lines (mmoInfo, mmoServ): it shows a line log, and applies the scroll-bar
// rule of the status memo (vertical bar past 14 lines, horizontal bar when a line is wider than
// the memo).
#include <QPlainTextEdit>
#include <QPointer>
#include <QStringList>

#include "app/LineLog.h"

namespace ui {

class Memo : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit Memo(QWidget* parent = nullptr);

    // The log shown; by default the memo's own.
    app::LineLog& log() { return *log_; }
    void setLog(app::LineLog* log);

    QStringList lines() const { return log_->lines(); }
    void setLines(const QStringList& lines) { log_->setLines(lines); }
    int lineCount() const { return log_->size(); }
    QString line(int i) const { return log_->line(i); }
    void addLine(const QString& text) { log_->addLine(text); }
    void setLine(int i, const QString& text) { log_->setLine(i, text); }
    void removeLine(int i) { log_->removeLine(i); }
    void appendToLastLine(const QString& text) { log_->appendToLastLine(text); }
    void clearLines() { log_->clear(); }
    void scrollToTop();

    // Applies the status memo's scroll-bar rule on every change.
    void setScrollBarRule(bool on);
    void applyScrollBarRule();

  private:
    void showAll();
    void showAdded(const QString& text);
    app::LineLog ownLog_;
    QPointer<app::LineLog> log_;
    bool rule_ = false;
};

}  // namespace ui
