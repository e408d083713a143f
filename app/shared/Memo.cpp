#include "app/shared/Memo.h"

#include <QScrollBar>
#include <QTextBlock>

namespace ui {

Memo::Memo(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (rule_) applyScrollBarRule();
    });
}

QStringList Memo::lines() const {
    const QString text = toPlainText();
    if (text.isEmpty() && document()->blockCount() <= 1) return {};
    return text.split('\n');
}

void Memo::setLines(const QStringList& lines) {
    setPlainText(lines.join('\n'));
}

void Memo::addLine(const QString& text) {
    if (toPlainText().isEmpty() && document()->blockCount() <= 1)
        setPlainText(text);
    else
        appendPlainText(text);
}

void Memo::setLine(int i, const QString& text) {
    QStringList l = lines();
    if (i < 0 || i >= l.size()) return;
    l[i] = text;
    setLines(l);
}

void Memo::removeLine(int i) {
    QStringList l = lines();
    if (i < 0 || i >= l.size()) return;
    l.removeAt(i);
    setLines(l);
}

void Memo::appendToLastLine(const QString& text) {
    QStringList l = lines();
    if (l.isEmpty())
        l << text;
    else
        l.last() += text;
    setLines(l);
}

void Memo::clearLines() {
    clear();
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
    const QStringList l = lines();
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
