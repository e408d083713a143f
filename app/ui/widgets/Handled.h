#pragma once
// The edge of an event handler: a failure it throws ends there, shown to the user.
#include <QElapsedTimer>
#include <QString>
#include <QWidget>
#include <exception>
#include <functional>
#include <type_traits>
#include <utility>

namespace ui {

// The error box of a failure that ended an event handler; `what` empty for an unknown one.
void showFailure(QWidget* parent, const QString& what);

// Drops the user input (presses of mouse buttons and keys, the wheel, shortcuts) that the
// window system queued while the program was busy, so a click made during a long call never
// runs once the call is over: the events queued now are processed with that input eaten. Input
// to a box opened meanwhile still reaches it.
void dropQueuedInput();

// The end of an event handler: one that ran long enough for the user to click again drops the
// input queued meanwhile.
class HandlerEdge {
  public:
    HandlerEdge() { started_.start(); }
    ~HandlerEdge();
    HandlerEdge(const HandlerEdge&) = delete;
    HandlerEdge& operator=(const HandlerEdge&) = delete;

    // Quicker than any two clicks of a hand.
    static constexpr int kQuickMs = 50;

  private:
    QElapsedTimer started_;
};

// Runs an event handler's work and shows a failure it throws (a driver that lacks a name the
// program asks for, say) in an error box owned by `parent`: the failure ends where it started
// and never unwinds through Qt's event code, which does not support exceptions.
template <class Work>
void handled(QWidget* parent, Work&& work) noexcept {
    const HandlerEdge edge;
    try {
        std::forward<Work>(work)();
    } catch (const std::exception& e) {
        showFailure(parent, QString::fromUtf8(e.what()));
    } catch (...) {
        showFailure(parent, QString());
    }
}

// An event handler for QObject::connect that runs `handler` through handled(): a member
// function of `owner` or any callable, given as many of the signal's arguments as it takes
// (Qt drops the rest, as for a plain handler).
//   connect(button, &QPushButton::clicked, this, ui::atEdge(this, &Page::buttonClick));
template <class Owner, class Handler>
class AtEdge {
  public:
    AtEdge(Owner* owner, Handler handler) : owner_(owner), handler_(std::move(handler)) {}

    template <class... Args>
    requires(std::is_member_function_pointer_v<Handler>
                 ? std::is_invocable_v<const Handler&, Owner*, Args...>
                 : std::is_invocable_v<const Handler&, Args...>) void
    operator()(Args... args) const noexcept {
        handled(owner_, [&] {
            if constexpr (std::is_member_function_pointer_v<Handler>)
                std::invoke(handler_, owner_, args...);
            else
                std::invoke(handler_, args...);
        });
    }

  private:
    Owner* owner_;
    Handler handler_;
};

template <class Owner, class Handler>
AtEdge<Owner, Handler> atEdge(Owner* owner, Handler handler) {
    return {owner, std::move(handler)};
}

}  // namespace ui
