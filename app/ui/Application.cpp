#include "app/ui/Application.h"

#include "app/ui/widgets/Handled.h"

namespace app {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ui::showFailure(activeWindow(), QString::fromUtf8(e.what()));
    } catch (...) {
        ui::showFailure(activeWindow(), QString());
    }
    return false;
}

}  // namespace app
