#include "app/SavedList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/DeviceRows.h"
#include "app/IniFile.h"

namespace app {
namespace {

const QString kFset = QStringLiteral("Fset");
const QString kSaved = QStringLiteral("SavedKKM");

struct SavedKey {
    const char* key;
    int column;
};
const SavedKey kSavedKeys[] = {
    {"kkm", colKkm},           {"kkmcom", colCom},        {"eoucom", colEou}, {"ip", colIp},
    {"kkmproxy", colKkmProxy}, {"eouproxy", colEouProxy}, {"speed", colSpeed}};

}  // namespace

QString iniPath(const QString& progdir) {
    return progdir + QStringLiteral("pf/set.ini");
}

void loadSavedList(const QString& progdir, DeviceRows& rows, ListOptions& opts) {
    const QString path = iniPath(progdir);
    if (!QFileInfo::exists(path)) return;
    IniFile ini;
    if (!ini.load(path)) return;
    if (ini.value(kFset, "save") != QLatin1String("1")) {
        opts.save = false;
        return;
    }
    opts.save = true;
    opts.com = ini.value(kFset, "com") == QLatin1String("1");
    opts.ip = ini.value(kFset, "ip") == QLatin1String("1");
    QList<DeviceRow> loaded;
    for (const QString& section : ini.sections()) {
        if (!section.contains(kSaved)) continue;
        DeviceRow row;
        for (const auto& k : kSavedKeys) row.setCell(k.column, ini.value(section, k.key));
        loaded << row;
    }
    rows.setRows(loaded);
}

SaveResult saveSettings(const QString& progdir, const DeviceRows& rows, const ListOptions& opts) {
    const QString path = iniPath(progdir);
    if (QFileInfo::exists(path)) {
        QFile f(path);
        if (!f.open(QIODevice::ReadWrite)) return SaveResult::NoAccess;
    } else {
        QDir().mkpath(progdir + QStringLiteral("pf"));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) return SaveResult::NoAccess;
        f.close();
        if (!QFileInfo::exists(path)) return SaveResult::NoAccess;
    }
    IniFile ini;
    if (!ini.load(path)) return SaveResult::NoAccess;
    for (const QString& section : ini.sections())
        if (section.contains(kSaved)) ini.deleteSection(section);
    if (opts.save) {
        int n = 0;
        for (const DeviceRow& row : rows.rows()) {
            const QString section = kSaved + QString::number(++n);
            for (const auto& k : kSavedKeys) ini.setValue(section, k.key, row.cell(k.column));
        }
        ini.setValue(kFset, "save", "1");
        ini.setValue(kFset, "com", opts.com ? "1" : "0");
        ini.setValue(kFset, "ip", opts.ip ? "1" : "0");
    } else {
        ini.setValue(kFset, "save", "0");
        ini.deleteKey(kFset, "com");
        ini.deleteKey(kFset, "ip");
    }
    return ini.save(path) ? SaveResult::Saved : SaveResult::WriteFailed;
}

}  // namespace app
