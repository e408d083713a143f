#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#if QT_CONFIG(sessionmanager)
#include <QSessionManager>
#endif
#include <QSocketNotifier>
#include <cstdio>
#include <cstring>
#include <optional>

#include "app/QtTranslation.h"
#include "app/SavedList.h"
#include "app/Ui.h"
#include "app/ui/Program.h"

namespace {

int signalPipe[2] = {-1, -1};

void onTerminate(int) {
    const char c = 1;
    [[maybe_unused]] auto n = ::write(signalPipe[0], &c, 1);
}

// SIGTERM and SIGINT end the program through the main window's close steps, so the list is
// saved and the driver closed; the end of the session does the same. Nothing waits for the
// user then: a failure to write the settings goes to standard error and the exit code. The
// handler is in place before anything can wait for the user: a signal that comes while the
// window is still being made (a start-up box open) closes the box and ends the program as
// soon as the window exists.
class Terminator {
  public:
    Terminator() {
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
        notifier_ = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, qApp);
        QObject::connect(notifier_, &QSocketNotifier::activated, qApp, [this] {
            char c = 0;
            [[maybe_unused]] auto n = ::read(signalPipe[1], &c, 1);
            requested_ = true;
            if (window_) {
                exitCode_ = window_->terminate() ? 0 : 1;
                QCoreApplication::exit(*exitCode_);
            } else
                app::TFormSet::dismissModals();
        });
        struct sigaction sa {};
        sa.sa_handler = onTerminate;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        sigaction(SIGTERM, &sa, nullptr);
        sigaction(SIGINT, &sa, nullptr);
    }

    // The window whose close steps end the program from now on. True when a signal already
    // came: the program then ends without showing the window.
    bool watch(app::TFormSet* window) {
        window_ = window;
#if QT_CONFIG(sessionmanager)
        QObject::connect(qApp, &QGuiApplication::commitDataRequest, window,
                         [window](QSessionManager&) { window->terminate(); });
#endif
        return requested_;
    }

    // The exit code when the close steps ran already: a signal handled while the window was
    // being shown, before the event loop that exit() ends was running.
    std::optional<int> ended() const {
        return exitCode_;
    }

  private:
    QSocketNotifier* notifier_ = nullptr;
    app::TFormSet* window_ = nullptr;
    bool requested_ = false;
    std::optional<int> exitCode_;
};

// "--paths": where the program finds its files, without opening the window. The exit code is 1
// when a file it needs is missing.
int printPaths(int argc, char** argv) {
    QCoreApplication core(argc, argv);
    const QString progdir = QCoreApplication::applicationDirPath() + '/';
    const auto report =
        app::checkInstall(progdir, app::settingsFilePath(progdir, app::userConfigDir()));
    for (const QString& line : report.lines) std::printf("%s\n", line.toUtf8().constData());
    return report.ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--paths") == 0) return printPaths(argc, argv);
    QApplication app(argc, argv);
    Terminator terminator;
    app::installQtTranslation();
    app::Program program;
    try {
        program = app::createProgram();
    } catch (const std::exception& e) {
        const QString text = QString::fromUtf8(e.what());
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
        QMessageBox::critical(nullptr, ui::appTitle(), text);
        return 2;
    }
    if (terminator.watch(program.mainWindow.get())) return program.mainWindow->terminate() ? 0 : 1;
    program.mainWindow->show();
    if (const auto code = terminator.ended()) return *code;
    return app.exec();
}
