#include "app/ui/widgets/Conventions.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>

#include "app/ui/widgets/Handled.h"
#include "app/ui/widgets/MessageBox.h"

namespace ui {

BusyButton::BusyButton(QAbstractButton* button, IUi& ui, std::optional<QString> restoreCaption)
    : button_(button), caption_(restoreCaption ? *restoreCaption : button->text()) {
    button->setText(kBusyCaption);
    button->setEnabled(false);
    ui.processEvents();
}

BusyButton::~BusyButton() {
    if (!button_) return;
    // clicks made while it was busy are not run now that it is enabled again
    if (!std::uncaught_exceptions()) dropQueuedInput();
    button_->setEnabled(true);
    button_->setText(caption_);
}

ButtonBusy::ButtonBusy(QAbstractButton* button, IUi& ui, std::optional<QString> restoreCaption)
    : button_(button), ui_(ui), caption_(std::move(restoreCaption)) {}

void ButtonBusy::setBusy(bool on) {
    if (on)
        scope_ = std::make_unique<BusyButton>(button_, ui_, caption_);
    else
        scope_.reset();
}

int readMarker(const QAbstractButton* button) {
    return button->property("tag").toInt();
}
void setReadMarker(QAbstractButton* button, int marker) {
    button->setProperty("tag", marker);
}

bool dataNotReceived(const QAbstractButton* button, IUi& ui) {
    if (readMarker(button) != 0) return false;
    ui.message(QStringLiteral("Данные не получены. Сначала нажмите кнопку \"Считать\""));
    return true;
}

int measureTextWidth(const QString& text, const QFont& font, QWidget* parent) {
    QLabel label(parent);
    label.setFont(font);
    label.setWordWrap(false);
    label.setText(text);
    label.adjustSize();
    return label.fontMetrics().horizontalAdvance(text);
}

void WindowUi::message(const QString& text, Icon icon, std::optional<QString> caption) {
    MessageBox::show(owner_, text, icon, caption ? *caption : appTitle());
}

bool WindowUi::confirm(const QString& text, Icon icon, bool cancelByDefault) {
    return MessageBox::show(owner_, text, icon, appTitle(), QMessageBox::Ok | QMessageBox::Cancel,
                            cancelByDefault ? QMessageBox::Cancel : QMessageBox::Ok) ==
           QMessageBox::Ok;
}

void WindowUi::processEvents() {
    QApplication::processEvents();
}

void WindowUi::pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace ui
