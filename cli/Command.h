#pragma once
// velmor-kkt-cli: the command line read into a command, its targets and options, and the run.
#include <QString>
#include <QStringList>
#include <optional>

#include "cli/Reports.h"
#include "cli/Targets.h"

namespace cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

struct Options {
    QString command;
    QStringList arguments;  // the command's own arguments (document N)
    QList<Target> targets;  // --port and --ip, in order
    bool saved = false;
    bool all = false;
    bool tcp = false;
    int timeoutMs = 30000;
    Format format = Format::Text;
    bool jsonLines = false;  // archive: --format jsonl (the same as json there)
    bool cp1251 = false;
    QString output;
    std::optional<qint64> from;
    std::optional<qint64> to;
    bool help = false;
};

// Reads the arguments after the program name; nullopt with `error` set for a bad command line.
std::optional<Options> parseOptions(const QStringList& args, QString* error);

QString helpText();

// Runs the command; the exit code.
int run(const Options& options);

}  // namespace cli
