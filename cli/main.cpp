#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

#include "cli/Command.h"
#include "cli/Run.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString error;
    const auto options = cli::parseOptions(app.arguments().mid(1), &error);
    if (!options) {
        std::fprintf(stderr, "velmor-kkt-cli: %s\nTry 'velmor-kkt-cli --help'.\n",
                     error.toUtf8().constData());
        return cli::kExitUsage;
    }
    const int code = cli::run(*options);
    std::fflush(stdout);
    std::fflush(stderr);
    // A register that never answered still holds its thread: leave without waiting for it.
    if (cli::workAbandoned()) std::_Exit(code);
    return code;
}
