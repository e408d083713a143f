#pragma once
// What the driver download needs from the desktop around the program. The dialog gets the real
// one; tests give their own.
#include <QByteArray>
#include <QString>
#include <QUrl>
#include <optional>

namespace update {

class IDesktop {
  public:
    virtual ~IDesktop() = default;
    // The user's Downloads folder.
    virtual QString downloadsDir() = 0;
    // Opens a downloaded installer with the desktop's handler for it (never runs it directly).
    virtual bool openFile(const QString& path) = 0;
    // Opens a web page in the default browser.
    virtual bool openUrl(const QUrl& url) = 0;
    // The content of a system file named by its Windows path; nullopt when there is none.
    virtual std::optional<QByteArray> readSystemFile(const QString& windowsPath) = 0;
    // Ends the program the way closing its main window does.
    virtual void endProgram() = 0;
};

}  // namespace update
