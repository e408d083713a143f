#pragma once
// The saved device list and list options in the user's settings file.
#include <QString>
#include <QStringList>

namespace app {

class DeviceRows;

struct ListOptions {
    bool save = true;  // chkSave
    bool com = true;   // chkCOM
    bool ip = false;   // chkTCPIP
};

// pf/set.ini beside the program.
QString iniPath(const QString& progdir);

// The folder of the user's own settings file: "velmor-kkt" in the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config).
QString userConfigDir();

// The file a package installs beside the program: an installed program never writes into its
// own folder, whoever runs it (root could), so every user, root included, keeps set.ini in
// `userDir`.
QString installMarkerPath(const QString& progdir);

// Where the user's settings file is. An installed program (see installMarkerPath) keeps it in
// `userDir` (the folder is not created here). A build or a portable copy keeps it beside the
// program: pf/set.ini when that file exists, or when the program's pf folder (or, with no pf
// folder, the program's folder) can be written; otherwise it too uses `userDir`.
QString settingsFilePath(const QString& progdir, const QString& userDir);

// What an installation holds, for "velmor-kkt --paths": one line per file the program needs
// (the settings catalogues, the handle-listing tool) and where the settings file is. `ok` is
// false when a file the program needs is missing or unreadable.
struct InstallReport {
    QStringList lines;
    bool ok = true;
};
InstallReport checkInstall(const QString& progdir, const QString& settingsFile);

// loadSavedList: options and rows from the file; `opts` keeps its defaults when the file is
// missing or "save" is not "1" (then only `save` becomes false). Temporary files left by an
// interrupted save go first. A file that can't be read (empty, damaged, oversized) is moved to
// "set.ini.bad" beside it, `opts` keeps its defaults and the text to tell the user is returned.
// A damaged file that could still be read (NUL bytes, bytes that are no UTF-8, broken lines) is
// used as read, a copy of it is kept as "set.ini.bad" and the text to tell the user is
// returned; otherwise the result is empty.
QString loadSavedList(const QString& settingsFile, DeviceRows& rows, ListOptions& opts);

enum class SaveResult { Saved, NoAccess, WriteFailed };
// saveSettings: writes the options and, when saving is on, one section per data row.
SaveResult saveSettings(const QString& settingsFile, const DeviceRows& rows,
                        const ListOptions& opts);

}  // namespace app
