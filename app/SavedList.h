#pragma once
// The saved device list and list options in pf/set.ini.
#include <QString>

namespace app {

class DeviceRows;

struct ListOptions {
    bool save = true;  // chkSave
    bool com = true;   // chkCOM
    bool ip = false;   // chkTCPIP
};

QString iniPath(const QString& progdir);
// loadSavedList: options and rows from the file; `opts` keeps its defaults when the file is
// missing or "save" is not "1" (then only `save` becomes false). Temporary files left by an
// interrupted save go first. A file that can't be read (empty, damaged, oversized) is moved to
// "set.ini.bad" beside it, `opts` keeps its defaults and the text to tell the user is returned;
// otherwise the result is empty.
QString loadSavedList(const QString& progdir, DeviceRows& rows, ListOptions& opts);

enum class SaveResult { Saved, NoAccess, WriteFailed };
// saveSettings: writes the options and, when saving is on, one section per data row.
SaveResult saveSettings(const QString& progdir, const DeviceRows& rows, const ListOptions& opts);

}  // namespace app
