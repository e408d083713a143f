#pragma once
// The edge of an event handler: a failure it throws ends there, shown to the user.
#include <QString>
#include <QWidget>
#include <exception>
#include <utility>

namespace ui {

// The error box of a failure that ended an event handler; `what` empty for an unknown one.
void showFailure(QWidget* parent, const QString& what);

// Runs an event handler's work and shows a failure it throws (a driver that lacks a name the
// program asks for, say) in an error box owned by `parent`: the failure ends where it started
// and never unwinds through Qt's event code, which does not support exceptions.
template <class Work>
void handled(QWidget* parent, Work&& work) noexcept {
    try {
        std::forward<Work>(work)();
    } catch (const std::exception& e) {
        showFailure(parent, QString::fromUtf8(e.what()));
    } catch (...) {
        showFailure(parent, QString());
    }
}

}  // namespace ui
