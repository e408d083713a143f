#include "app/LineLog.h"

namespace app {

void LineLog::addLine(const QString& text) {
    // a text with line breaks is several lines, as a memo shows it
    const QStringList parts = text.split('\n');
    for (const QString& p : parts) {
        lines_ << p;
        emit lineAdded(p);
    }
}

void LineLog::setLines(const QStringList& lines) {
    lines_.clear();
    for (const QString& l : lines) lines_ << l.split('\n');
    emit reset();
}

void LineLog::setLine(int i, const QString& text) {
    if (i < 0 || i >= lines_.size()) return;
    lines_[i] = text;
    emit reset();
}

void LineLog::removeLine(int i) {
    if (i < 0 || i >= lines_.size()) return;
    lines_.removeAt(i);
    emit reset();
}

void LineLog::appendToLastLine(const QString& text) {
    if (lines_.isEmpty()) {
        addLine(text);
        return;
    }
    lines_.last() += text;
    emit reset();
}

void LineLog::clear() {
    lines_.clear();
    emit reset();
}

}  // namespace app
