#include "app/ui/widgets/MessageBox.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFileInfo>
#include <QQueue>

namespace ui {
namespace {
bool gTestMode = false;
QQueue<QMessageBox::StandardButton>& answers() {
    static QQueue<QMessageBox::StandardButton> q;
    return q;
}
QList<MessageBox::Record>& records() {
    static QList<MessageBox::Record> r;
    return r;
}
QMessageBox::Icon qtIcon(Icon i) {
    switch (i) {
        case Icon::Error:
            return QMessageBox::Critical;
        case Icon::Warning:
            return QMessageBox::Warning;
        case Icon::Question:
            return QMessageBox::Question;
        default:
            return QMessageBox::Information;
    }
}
}  // namespace

std::unique_ptr<QMessageBox> MessageBox::make(QWidget* parent, const QString& text, Icon icon,
                                              const QString& title,
                                              QMessageBox::StandardButtons buttons,
                                              QMessageBox::StandardButton defaultButton) {
    auto box = std::make_unique<QMessageBox>(qtIcon(icon), title, text, buttons, parent);
    box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    static const std::pair<QMessageBox::StandardButton, const char*> kCaptions[] = {
        {QMessageBox::Ok, "ОК"},
        {QMessageBox::Cancel, "Отмена"},
        {QMessageBox::Yes, "Да"},
        {QMessageBox::No, "Нет"},
        {QMessageBox::Close, "Закрыть"}};
    for (const auto& [which, caption] : kCaptions)
        if (QAbstractButton* b = box->button(which)) b->setText(QString::fromUtf8(caption));
    if (defaultButton != QMessageBox::NoButton) {
        box->setDefaultButton(defaultButton);
    }
    return box;
}

QMessageBox::StandardButton MessageBox::show(QWidget* parent, const QString& text, Icon icon,
                                             const QString& title,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton) {
    records().append({title, text, icon, buttons, defaultButton});
    if (!answers().isEmpty()) return answers().dequeue();
    if (gTestMode) return (buttons & QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::Yes;
    const auto box = make(parent, text, icon, title, buttons, defaultButton);
    return static_cast<QMessageBox::StandardButton>(box->exec());
}

void MessageBox::setTestMode(bool on) {
    gTestMode = on;
}
bool MessageBox::testMode() {
    return gTestMode;
}
void MessageBox::setNextAnswer(QMessageBox::StandardButton a) {
    answers().enqueue(a);
}
QList<MessageBox::Record> MessageBox::history() {
    return records();
}
void MessageBox::clearHistory() {
    records().clear();
    answers().clear();
}

}  // namespace ui
