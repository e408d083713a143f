#pragma once
// Shared conventions of every tab: busy buttons, read markers, the data-not-received guard,
// the driver-error report, text measuring, a picker's calendar, and the window's IUi.
#include <QFont>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "app/Ui.h"

class QAbstractButton;
class QCalendarWidget;
class QDateTimeEdit;
class QLineEdit;
class QWidget;

namespace ui {

// Busy for the lifetime of the object: "Подождите...", disabled, messages processed once; the
// button is enabled and its caption restored at the end whatever the outcome.
class BusyButton {
  public:
    BusyButton(QAbstractButton* button, IUi& ui, std::optional<QString> restoreCaption = {});
    ~BusyButton();
    BusyButton(const BusyButton&) = delete;
    BusyButton& operator=(const BusyButton&) = delete;

  private:
    QPointer<QAbstractButton> button_;
    QString caption_;
};

// The busy indicator of a button for rules that run long (IBusy).
class ButtonBusy : public IBusy {
  public:
    ButtonBusy(QAbstractButton* button, IUi& ui, std::optional<QString> restoreCaption = {});
    void setBusy(bool on) override;

  private:
    QPointer<QAbstractButton> button_;
    IUi& ui_;
    std::optional<QString> caption_;
    std::unique_ptr<BusyButton> scope_;
};

// Read marker in the button's tag: 0 not read since the last reset, 1 read.
int readMarker(const QAbstractButton* button);
void setReadMarker(QAbstractButton* button, int marker);
// Shows the message and returns true when the tab was not read yet.
bool dataNotReceived(const QAbstractButton* button, IUi& ui);

// Width of a one-line text in `font`, measured by a throwaway label placed on `parent`.
int measureTextWidth(const QString& text, const QFont& font, QWidget* parent);

// Calls `made` once with the calendar of a picker with a calendar popup, when the popup first
// shows. Qt makes the calendar on its first use, and making one costs the window's start a few
// milliseconds; asking the picker for it earlier would make it at once.
void whenCalendarShown(QDateTimeEdit* picker, std::function<void(QCalendarWidget*)> made);

// The width a line edit needs to show `text` whole in its own font and style.
int editWidthFor(const QLineEdit* edit, const QString& text);

// IUi of a window: message boxes owned by `owner`, real event processing.
class WindowUi : public IUi {
  public:
    explicit WindowUi(QWidget* owner) : owner_(owner) {}
    void message(const QString& text, Icon icon, std::optional<QString> caption) override;
    bool confirm(const QString& text, Icon icon = Icon::Information,
                 bool cancelByDefault = false) override;
    void processEvents() override;
    void pause(int ms) override;

  private:
    QWidget* owner_;
};

}  // namespace ui
