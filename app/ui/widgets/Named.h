#pragma once
// A control created with its object name (the name tests and accessibility tools find it by).
#include <QWidget>
#include <utility>

namespace ui {

template <typename W, typename... Args>
W* named(QWidget* parent, const char* name, Args&&... args) {
    auto* w = new W(std::forward<Args>(args)..., parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

}  // namespace ui
