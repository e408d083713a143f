#pragma once
// Shared conventions of every tab: busy buttons, read markers, the data-not-received guard,
// the driver-error report, text measuring, and the window's IUi.
#include <QFont>
#include <QPointer>
#include <QString>
#include <optional>

#include "app/shared/Ui.h"

class QAbstractButton;
class QWidget;
namespace drv {
class Fptr;
}

namespace ui {

// Caption of the read buttons: the first letter is the Latin capital C.
inline const QString btnValRead = QStringLiteral("Cчитать");
inline const QString kBusyCaption = QStringLiteral("Подождите...");
inline const QString kNotConnected = QStringLiteral("ККМ не подключена");

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

// Read marker in the button's tag: 0 not read since the last reset, 1 read.
int readMarker(const QAbstractButton* button);
void setReadMarker(QAbstractButton* button, int marker);
// Shows the message and returns true when the tab was not read yet.
bool dataNotReceived(const QAbstractButton* button, IUi& ui);

// The driver's error code; shown as "(code) description" in a box titled `caption` when asked
// and non-zero.
int reportDriverError(drv::Fptr& fptr, IUi& ui, bool show, const QString& caption = {});

// Width of a one-line text in `font`, measured by a throwaway label placed on `parent`.
int measureTextWidth(const QString& text, const QFont& font, QWidget* parent);

// IUi of a window: message boxes owned by `owner`, real event processing.
class WindowUi : public IUi {
  public:
    explicit WindowUi(QWidget* owner) : owner_(owner) {}
    void message(const QString& text, Icon icon, std::optional<QString> caption) override;
    bool confirm(const QString& text) override;
    void processEvents() override;
    void pause(int ms) override;

  private:
    QWidget* owner_;
};

}  // namespace ui
