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

#include "app/QtTranslation.h"
#include "app/SavedList.h"
#include "app/Ui.h"
#include "app/ui/Application.h"
#include "app/ui/Program.h"

namespace {

int signalPipe[2] = {-1, -1};

void onTerminate(int) {
    const char c = 1;
    [[maybe_unused]] auto n = ::write(signalPipe[0], &c, 1);
}

// SIGTERM and SIGINT end the program through the main window's close steps, so the list is
// saved and the driver closed; the end of the session does the same. Nothing waits for the
// user then: a failure to write the settings goes to standard error and the exit code.
void closeOnTerminate(app::TFormSet* window) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
        char c = 0;
        [[maybe_unused]] auto n = ::read(signalPipe[1], &c, 1);
        QCoreApplication::exit(window->terminate() ? 0 : 1);
    });
#if QT_CONFIG(sessionmanager)
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, window,
                     [window](QSessionManager&) { window->terminate(); });
#endif
    struct sigaction sa {};
    sa.sa_handler = onTerminate;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}

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
    app::Application app(argc, argv);
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
    closeOnTerminate(program.mainWindow.get());
    program.mainWindow->show();
    return app.exec();
}
