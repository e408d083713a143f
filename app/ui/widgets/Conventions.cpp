#include "app/ui/widgets/Conventions.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCalendarWidget>
#include <QChildEvent>
#include <QDateTimeEdit>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTimer>
#include <utility>

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

int editWidthFor(const QLineEdit* edit, const QString& text) {
    // QLineEdit draws its text 2 pixels inside the text margins, which lie inside the frame;
    // one pixel more keeps the cursor after the last character in view.
    const int frame = edit->hasFrame()
                          ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit)
                          : 0;
    const QMargins m = edit->textMargins();
    return edit->fontMetrics().horizontalAdvance(text) + 2 * frame + m.left() + m.right() + 5;
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

namespace {

// Watches the widgets the picker makes (its popup among them) until one shows a calendar.
class CalendarHook : public QObject {
  public:
    CalendarHook(QDateTimeEdit* picker, std::function<void(QCalendarWidget*)> made)
        : QObject(picker), made_(std::move(made)) {
        picker->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::ChildAdded) {
            if (auto* child = static_cast<QChildEvent*>(e)->child(); child->isWidgetType())
                child->installEventFilter(this);
        } else if (e->type() == QEvent::Show && watched != parent() && made_) {
            if (auto* calendar = watched->findChild<QCalendarWidget*>()) {
                std::exchange(made_, nullptr)(calendar);
                deleteLater();
            }
        }
        return false;
    }

  private:
    std::function<void(QCalendarWidget*)> made_;
};

}  // namespace

void whenCalendarShown(QDateTimeEdit* picker, std::function<void(QCalendarWidget*)> made) {
    if (auto* calendar = picker->findChild<QCalendarWidget*>())
        made(calendar);
    else
        new CalendarHook(picker, std::move(made));
}

}  // namespace ui
