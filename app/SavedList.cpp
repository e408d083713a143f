#include "app/SavedList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <filesystem>
#include <system_error>

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

QString userConfigDir() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/velmor-kkt");
}

QString installMarkerPath(const QString& progdir) {
    return progdir + QStringLiteral("installed");
}

QString settingsFilePath(const QString& progdir, const QString& userDir) {
    const QString mine = QDir(userDir).filePath(QStringLiteral("set.ini"));
    if (QFileInfo(installMarkerPath(progdir)).isFile()) return mine;
    const QString beside = iniPath(progdir);
    if (QFileInfo::exists(beside)) return beside;
    const QFileInfo pf(progdir + QStringLiteral("pf"));
    const bool writable =
        pf.exists() ? pf.isDir() && pf.isWritable() : QFileInfo(progdir).isWritable();
    return writable ? beside : mine;
}

InstallReport checkInstall(const QString& progdir, const QString& settingsFile) {
    InstallReport r;
    r.lines << QStringLiteral("program folder: %1").arg(QDir::toNativeSeparators(progdir));
    r.lines << QStringLiteral("settings file: %1 (%2)")
                   .arg(QDir::toNativeSeparators(settingsFile),
                        QFileInfo::exists(settingsFile)
                            ? QStringLiteral("exists")
                            : QStringLiteral("created at the first close"));
    for (const char* name : {"pf/set5x.ini", "pf/set3x.ini"}) {
        const QString path = progdir + QLatin1String(name);
        IniFile ini;
        const bool read = QFileInfo(path).isFile() && ini.load(path) && !ini.sections().isEmpty();
        r.lines << (read ? QStringLiteral("catalogue %1: %2 settings")
                               .arg(name)
                               .arg(ini.sections().size())
                         : QStringLiteral("catalogue %1: missing or unreadable").arg(name));
        r.ok &= read;
    }
    const QFileInfo hs(progdir + QStringLiteral("Com/hs"));
    const bool runnable = hs.isFile() && hs.isExecutable();
    r.lines << (runnable ? QStringLiteral("handle listing Com/hs: found")
                         : QStringLiteral("handle listing Com/hs: missing or not executable"));
    r.ok &= runnable;
    return r;
}

namespace {

bool isSaveFlag(const QString& value) {
    return value == QLatin1String("1") || value == QLatin1String("0");
}

// Moves a file that can't be read out of the way, to "set.ini.bad" beside it (an older one is
// replaced), and returns what the user is told.
QString setAside(const QString& path, const QString& reason) {
    const QString bad = path + QStringLiteral(".bad");
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(path.toStdU16String()),
                            std::filesystem::path(bad.toStdU16String()), error);
    const QString badName = QFileInfo(bad).fileName();
    QString text = QStringLiteral("Файл настроек \"%1\" не удалось прочитать: %2.\r\n")
                       .arg(QDir::toNativeSeparators(path), reason);
    if (!error)
        text += QStringLiteral(
                    "Он сохранён рядом под именем \"%1\", программа запущена с "
                    "настройками по умолчанию.")
                    .arg(badName);
    else
        text += QStringLiteral(
                    "Сохранить его под именем \"%1\" не удалось, программа запущена "
                    "с настройками по умолчанию.")
                    .arg(badName);
    return text;
}

// Keeps a copy of a damaged file that could still be read, as "set.ini.bad" beside it (an
// older one is replaced): what was read is used and saved over it at close, so the original
// would otherwise be lost. Returns what the user is told.
QString keepCopy(const QString& path) {
    const QString bad = path + QStringLiteral(".bad");
    const QString badName = QFileInfo(bad).fileName();
    std::error_code error;
    std::filesystem::copy_file(std::filesystem::path(path.toStdU16String()),
                               std::filesystem::path(bad.toStdU16String()),
                               std::filesystem::copy_options::overwrite_existing, error);
    QString text = QStringLiteral("Файл настроек \"%1\" повреждён: прочитано то, что удалось.\r\n")
                       .arg(QDir::toNativeSeparators(path));
    if (!error)
        text += QStringLiteral("Исходный файл сохранён рядом под именем \"%1\".").arg(badName);
    else
        text +=
            QStringLiteral("Сохранить исходный файл под именем \"%1\" не удалось.").arg(badName);
    return text;
}

}  // namespace

QString loadSavedList(const QString& path, DeviceRows& rows, ListOptions& opts) {
    IniFile::removeLeftovers(path);
    if (!QFileInfo(path).isFile()) return {};
    IniFile ini;
    if (!ini.load(path)) {
        // a file that can't be opened is left to the save at close, which reports it
        if (ini.errorString().isEmpty()) return {};
        return setAside(path, ini.errorString());
    }
    // A damaged file that lost its "save" flag would switch saving off and be overwritten at
    // close: it is set aside instead.
    if (ini.repaired() && !isSaveFlag(ini.value(kFset, "save")))
        return setAside(path, QStringLiteral("файл повреждён"));
    const QString told = ini.repaired() ? keepCopy(path) : QString();
    if (ini.value(kFset, "save") != QLatin1String("1")) {
        opts.save = false;
        return told;
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
    return told;
}

SaveResult saveSettings(const QString& path, const DeviceRows& rows, const ListOptions& opts) {
    const QString folder = QFileInfo(path).absolutePath();
    const bool existed = QFileInfo::exists(path);
    // An existing file must be writable: it is opened for writing, but neither created nor
    // truncated. A missing one is only written by the save itself, so no empty file is ever
    // left under its name.
    if (existed) {
        QFile f(path);
        if (!f.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) return SaveResult::NoAccess;
    } else if (!QDir().mkpath(folder)) {
        return SaveResult::NoAccess;
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
    if (ini.save(path)) return SaveResult::Saved;
    if (!existed && !QFileInfo(folder).isWritable()) return SaveResult::NoAccess;
    return SaveResult::WriteFailed;
}

}  // namespace app
