// The INI file: loaded, the saved list read from it, saved and loaded again.
#include "FuzzInput.h"
#include "app/DeviceRows.h"
#include "app/IniFile.h"
#include "app/SavedList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::asFile(data, size, "set.ini");
    app::IniFile ini;
    if (ini.load(path)) {
        for (const QString& section : ini.sections())
            for (const QString& key : ini.keys(section)) ini.value(section, key);
        if (ini.save(path)) ini.load(path);
    }
    fuzz::asFile(data, size, "set.ini");
    app::DeviceRows rows;
    app::ListOptions opts;
    app::loadSavedList(path, rows, opts);
    QFile::remove(path);
    QFile::remove(path + QStringLiteral(".bad"));
    return 0;
}
