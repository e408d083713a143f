#include "app/ui/Application.h"

#include "app/ui/widgets/MessageBox.h"

namespace app {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ui::MessageBox::show(activeWindow(), QString::fromUtf8(e.what()), ui::Icon::Error,
                             ui::appTitle());
    } catch (...) {
        ui::MessageBox::show(activeWindow(), QStringLiteral("Непредвиденная ошибка"),
                             ui::Icon::Error, ui::appTitle());
    }
    return false;
}

}  // namespace app
