#include "app/ui/widgets/Handled.h"

#include <QApplication>
#include <QPointer>

#include "app/ui/widgets/MessageBox.h"

namespace ui {

namespace {

bool startsAnAction(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TabletPress:
            return true;
        default:
            return false;  // releases too: without their press they do nothing
    }
}

// Eats what starts an action, in every window but a modal one opened after it was made.
class InputEater : public QObject {
  public:
    InputEater() { qApp->installEventFilter(this); }
    ~InputEater() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject*, QEvent* event) override {
        if (!startsAnAction(event->type())) return false;
        QWidget* modal = QApplication::activeModalWidget();
        return !modal || modal == modalBefore_;
    }

  private:
    QPointer<QWidget> modalBefore_ = QApplication::activeModalWidget();
};

}  // namespace

void dropQueuedInput() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    const InputEater eater;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

HandlerEdge::~HandlerEdge() {
    if (started_.elapsed() >= kQuickMs && !std::uncaught_exceptions()) dropQueuedInput();
}

void showFailure(QWidget* parent, const QString& what) {
    MessageBox::show(parent, what.isEmpty() ? QStringLiteral("Непредвиденная ошибка") : what,
                     Icon::Error, appTitle());
}

}  // namespace ui
