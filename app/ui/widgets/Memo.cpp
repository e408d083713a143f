#include "app/ui/widgets/Memo.h"

#include <QScrollBar>
#include <QTextBlock>

namespace ui {

Memo::Memo(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLog(&ownLog_);
}

void Memo::setLog(app::LineLog* log) {
    if (log_) disconnect(log_, nullptr, this, nullptr);
    log_ = log ? log : &ownLog_;
    connect(log_, &app::LineLog::reset, this, &Memo::showAll);
    connect(log_, &app::LineLog::lineAdded, this, &Memo::showAdded);
    connect(log_, &app::LineLog::scrollToTopRequested, this, &Memo::scrollToTop);
    showAll();
}

void Memo::showAll() {
    setPlainText(log_->lines().join('\n'));
    if (rule_) applyScrollBarRule();
}

void Memo::showAdded(const QString& text) {
    if (log_->size() <= 1)
        setPlainText(text);
    else
        appendPlainText(text);
    if (rule_) applyScrollBarRule();
}

void Memo::scrollToTop() {
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    moveCursor(QTextCursor::Start);
}

void Memo::setScrollBarRule(bool on) {
    rule_ = on;
    if (on) applyScrollBarRule();
}

void Memo::applyScrollBarRule() {
    setUpdatesEnabled(false);
    const QStringList& l = log_->lines();
    const bool vertical = l.size() > 14;
    bool horizontal = false;
    const int client = viewport()->width();
    for (const auto& line : l) {
        if (fontMetrics().horizontalAdvance(line) > client) {
            horizontal = true;
            break;
        }
    }
    setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setUpdatesEnabled(true);
}

}  // namespace ui
