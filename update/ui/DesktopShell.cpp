#include "update/ui/DesktopShell.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace update {

QString DesktopShell::downloadsDir() {
    const QString profile = qEnvironmentVariable("userprofile");
    if (!profile.isEmpty()) return QDir(profile).filePath(QStringLiteral("Downloads"));
    return QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
}

bool DesktopShell::openFile(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool DesktopShell::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

std::optional<QByteArray> DesktopShell::readSystemFile(const QString& windowsPath) {
#ifdef Q_OS_WIN
    QFile f(windowsPath);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    return f.readAll();
#else
    // Windows system files have no counterpart here.
    Q_UNUSED(windowsPath);
    return std::nullopt;
#endif
}

void DesktopShell::endProgram() {
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}

}  // namespace update
