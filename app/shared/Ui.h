#pragma once
// What the window-free logic needs from the window: messages, questions, and keeping the
// window alive during long sequences. The window implements it with real boxes; tests with a
// recorder.
#include <QString>
#include <optional>

namespace ui {

enum class Icon { Information, Error, Warning, Question };

class IUi {
  public:
    virtual ~IUi() = default;
    // A message box; `caption` nullopt means the application title.
    virtual void message(const QString& text, Icon icon = Icon::Information,
                         std::optional<QString> caption = std::nullopt) = 0;
    // An OK/Cancel question; true for OK.
    virtual bool confirm(const QString& text) = 0;
    // Process pending window messages once.
    virtual void processEvents() = 0;
    // Pause `ms` milliseconds, then process pending messages.
    virtual void pause(int ms) = 0;
};

// The application title: the executable's file name without its extension.
QString appTitle();

}  // namespace ui
