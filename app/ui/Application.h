#pragma once
// The program's application object. A failure that escapes an event handler (a driver that
// lacks a name the program asks for, say) is shown to the user instead of ending the program.
#include <QApplication>

namespace app {

class Application : public QApplication {
    Q_OBJECT
  public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace app
