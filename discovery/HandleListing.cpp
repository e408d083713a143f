#include "discovery/HandleListing.h"

#include <QDir>
#include <QTemporaryFile>
#include <memory>

#include "app/LineLog.h"
#include "discovery/DosCommand.h"
#include "platform/Pc.h"

namespace discovery {

struct HandleListing::Impl {
    Impl(platform::IPc& p, app::LineLog& v) : pc(p), view(v) {}
    platform::IPc& pc;
    app::LineLog& view;
    QStringList lines;
    // The process list handed to the tool for one run: a private file, created exclusively
    // under a random name and removed when the run ends (declared before the runner, so that
    // the runner ends its child before the file goes).
    std::unique_ptr<QTemporaryFile> dataFile;
    TDosCommand DosCommand_handle;
    QString header;
    QString error;
};

HandleListing::HandleListing(platform::IPc& pc, app::LineLog& serviceView, QObject* parent)
    : QObject(parent), d(new Impl(pc, serviceView)) {
    d->DosCommand_handle.InputToOutput = false;
    d->DosCommand_handle.MaxTimeAfterBeginning = 0;
    d->DosCommand_handle.MaxTimeAfterLastOutput = 0;
    d->DosCommand_handle.OnNewLine = [this](QObject*, const QString& line, TOutputType type) {
        if (type != otEntireLine) return;
        if (line.contains(QLatin1String("pid:"))) d->header = line;
        if (line.contains(QLatin1String("atol-usb"))) {
            const QString kept = d->header + QStringLiteral(" /\\ ") + line;
            d->lines << kept;
            d->view.addLine(kept);
        }
    };
    d->DosCommand_handle.OnTerminateProcess = [](QObject*, bool& canTerminate) {
        canTerminate = true;
    };
    connect(&d->DosCommand_handle, &TDosCommand::finished, this, [this] { d->dataFile.reset(); });
}

HandleListing::~HandleListing() {
    delete d;
}

void HandleListing::start(const QString& progdir) {
    d->view.clear();
    if (d->DosCommand_handle.IsRunning()) return;  // the running listing goes on
    d->lines.clear();
    d->header.clear();
    d->error.clear();
    d->dataFile.reset();
    QStringList command = d->pc.handleListingCommand(progdir);
    const QByteArray data = d->pc.handleListingData();
    if (!data.isEmpty()) {
        auto file = std::make_unique<QTemporaryFile>(
            QDir(QDir::tempPath()).filePath(QStringLiteral("velmor-handles-XXXXXX.json")));
        if (!file->open() || file->write(data) != data.size() || !file->flush()) {
            d->error = QStringLiteral("Не удалось создать файл списка процессов: %1")
                           .arg(file->errorString());
            qWarning("handle listing: %s", qPrintable(d->error));
            return;
        }
        file->close();  // the file stays until the object is destroyed
        command << QStringLiteral("--from") << file->fileName();
        d->dataFile = std::move(file);
    }
    d->DosCommand_handle.Arguments = command;
    try {
        d->DosCommand_handle.Execute();
    } catch (const DosCommandError& e) {
        d->dataFile.reset();
        d->error = QString::fromUtf8(e.what());
        qWarning("handle listing: %s", e.what());
    }
}

bool HandleListing::isRunning() const {
    return d->DosCommand_handle.IsRunning();
}

QStringList HandleListing::lines() const {
    QStringList out;
    for (const QString& l : d->lines)
        if (!l.isEmpty()) out << l;
    return out;
}

QString HandleListing::lastError() const {
    return d->error.isEmpty() ? d->DosCommand_handle.LastError() : d->error;
}

HandleLine parseHandleLine(const QString& line) {
    HandleLine h;
    h.deviceTail = line.right(6);
    const int p = line.indexOf(QLatin1String("pid:"));
    if (p < 0) return h;
    const int from = p + 4 + 1;
    int to = line.indexOf(' ', from);
    if (to < 0) to = line.size();
    h.pid = line.mid(from, to - from).toLongLong();
    // The executable name: up to the end of the first "exe" plus one character. Names without
    // the Windows extension (Linux executables) run up to " pid:".
    const QString head = line.left(p).trimmed();
    const int exe = line.indexOf(QLatin1String("exe"), 0, Qt::CaseInsensitive);
    if (head.endsWith(QLatin1String("exe"), Qt::CaseInsensitive) && exe >= 0)
        h.exeName = line.left(exe + 3 + 1).trimmed();
    else
        h.exeName = head;
    return h;
}

}  // namespace discovery
