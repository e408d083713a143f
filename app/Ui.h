#pragma once
// What the window-free logic needs from the window: messages, questions, and keeping the
// window alive during long sequences. The window implements it with real boxes; tests with a
// recorder.
#include <QString>
#include <optional>

namespace drv {
class Fptr;
}

namespace ui {

enum class Icon { Information, Error, Warning, Question };

class IUi {
  public:
    virtual ~IUi() = default;
    // A message box; `caption` nullopt means the application title.
    virtual void message(const QString& text, Icon icon = Icon::Information,
                         std::optional<QString> caption = std::nullopt) = 0;
    // An OK/Cancel question; true for OK. `cancelByDefault`: Enter alone answers Cancel (for
    // what cannot be undone).
    virtual bool confirm(const QString& text, Icon icon = Icon::Information,
                         bool cancelByDefault = false) = 0;
    // Process pending window messages once.
    virtual void processEvents() = 0;
    // Pause `ms` milliseconds, then process pending messages.
    virtual void pause(int ms) = 0;
};

// A control that shows "busy" while a long handler works (a busy button).
class IBusy {
  public:
    virtual ~IBusy() = default;
    virtual void setBusy(bool on) = 0;
};

// Busy for the lifetime of the object (a null indicator does nothing).
class BusyScope {
  public:
    explicit BusyScope(IBusy* busy) : busy_(busy) {
        if (busy_) busy_->setBusy(true);
    }
    ~BusyScope() {
        if (busy_) busy_->setBusy(false);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    IBusy* busy_;
};

// The application title: the executable's file name without its extension.
QString appTitle();

// Caption of the read buttons: the first letter is the Latin capital C.
inline const QString btnValRead = QStringLiteral("Cчитать");
inline const QString kBusyCaption = QStringLiteral("Подождите...");
inline const QString kNotConnected = QStringLiteral("ККМ не подключена");

// The driver's error code; shown as "(code) description" in a box titled `caption` when asked
// and non-zero.
int reportDriverError(drv::Fptr& fptr, IUi& ui, bool show, const QString& caption = {});

}  // namespace ui
