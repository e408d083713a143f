#pragma once
// The real desktop of the driver download: the user's Downloads folder, the desktop's handler
// for files and pages, and the end of the program.
#include "update/Desktop.h"

namespace update {

class DesktopShell : public IDesktop {
  public:
    // "Downloads" under the user's profile folder ("userprofile"), else the desktop's own
    // Downloads folder.
    QString downloadsDir() override;
    bool openFile(const QString& path) override;
    bool openUrl(const QUrl& url) override;
    std::optional<QByteArray> readSystemFile(const QString& windowsPath) override;
    // Closes every window (the main window's close writes the INI file and closes the driver),
    // then leaves the event loop.
    void endProgram() override;
};

}  // namespace update
