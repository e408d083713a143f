#include "app/DriverBinding.h"

#include "app/IniFile.h"
#include "app/SavedList.h"
#include "platform/Pc.h"

namespace app {

namespace {
DriverInUse& current() {
    static DriverInUse d;
    return d;
}
}  // namespace

DriverInUse describe(const drv::libfptr::BindingChoice& choice) {
    DriverInUse d;
    d.library = choice.kind == drv::libfptr::BindingChoice::Kind::Library;
    if (d.library) {
        d.libraryPath = choice.search.path;
        d.libraryVersion = choice.search.version;
    }
    d.bench = choice.benchSet;
    d.statusLines = choice.statusLines();
    return d;
}

QString iniDriverLibrary(const QString& progdir) {
    IniFile ini;
    const QString dir = progdir.endsWith('/') ? progdir : progdir + '/';
    if (!ini.load(settingsFilePath(dir, userConfigDir()))) return {};
    return ini.value(QStringLiteral("Driver"), QStringLiteral("library")).trimmed();
}

void setDriverInUse(const DriverInUse& driver) {
    current() = driver;
}

const DriverInUse& driverInUse() {
    return current();
}

QString editionName(std::optional<int> t) {
    if (!t) return {};
    switch (*t) {
        case 1:
        case 28:
            return QStringLiteral("Ultimate");
        case 2:
        case 3:
        case 5:
        case 26:
            return QStringLiteral("Home");
        case 4:
        case 27:
        case 70:
            return QStringLiteral("Enterprise");
        case 6:
        case 16:
            return QStringLiteral("Business");
        case 11:
            return QStringLiteral("Starter");
        case 48:
        case 49:
            return QStringLiteral("Professional");
        case 65:
            return QStringLiteral("Embedded");
        case 101:
            return QStringLiteral("Core");
        default:
            return QStringLiteral("Unknown");
    }
}

Binding bindDriver(platform::IPc& pc) {
    return bindDriver(pc, driverInUse());
}

Binding bindDriver(platform::IPc& pc, const DriverInUse& driver) {
    Binding b;
    // 1
    b.is32prog = true;
    b.titleSuffix = QStringLiteral(" - 32bit  (") + kDistributorAddress + ')';
    // 2
    b.is32os = driver.library ? sizeof(void*) == 4 : !pc.dirExists(paths::programFilesX86);
    QString ver32, ver64;
    bool addinFound = false;
    // 3, 4
    if (driver.library) {
        b.drvX86 = true;
        ver32 = driver.libraryVersion;
        addinFound = true;
    } else if (!b.is32os) {
        if (pc.fileExists(paths::x86Present)) {
            b.drvX86 = true;
            ver32 = pc.fileVersionText(paths::x86Version);
            addinFound = pc.fileExists(paths::addin);
        }
        if (pc.fileExists(paths::pfPresent)) {
            b.drvX64 = true;
            ver64 = pc.fileVersionText(paths::pfVersion);
        }
    } else if (pc.fileExists(paths::pfPresent)) {
        b.drvX86 = true;
        ver32 = pc.fileVersionText(paths::pfVersion);
        addinFound = pc.fileExists(paths::addin);
    }
    // 5
    const auto os = pc.osFacts();
    b.label = QStringLiteral("ОС: ") + os.productName + ' ' + editionName(os.productType) +
              QStringLiteral(" (Build ") + os.build + QStringLiteral(") ") +
              (b.is32os ? QStringLiteral("x86") : QStringLiteral("x64"));
    // 6, 7
    try {
        auto fptr = drv::Fptr::create();
        const QString version = fptr->version();
        b.fptr = std::move(fptr);
        b.fptrOK = true;
        b.drvVer = version;
        b.downloadCaption = QStringLiteral("Обновить драйвер");
        b.label += QStringLiteral(" / Драйвер ККТ: ") + b.drvVer;
    } catch (const std::exception&) {
        b.fptr.reset();
        b.fptrOK = false;
        b.drvVer.clear();
        b.label += QStringLiteral(" / Драйвер ККТ: ") +
                   (ver32.isEmpty() ? QStringLiteral("Неизвестно") : ver32);
        b.downloadCaption = QStringLiteral("Установить драйвер");
    }
    // 8
    const QString found = QStringLiteral("Найден драйвер ККТ: Версия ") + b.drvVer;
    if (b.is32os) {
        b.memoLines << (b.drvX86 ? found + QStringLiteral(" (32bit)")
                                 : QStringLiteral("Драйвер ККТ не найден"));
    } else {
        if (b.drvX86) b.memoLines << found + QStringLiteral(" (32bit)");
        if (b.drvX64) b.memoLines << found + QStringLiteral(" (64bit)");
        if (!b.drvX86)
            b.memoLines << QStringLiteral(
                "Для 32-битной версии программы требуется 32-битная версия драйвера");
    }
    if (b.fptrOK) {
        b.memoLines << QStringLiteral("Драйвер (32bit) подключен");
    } else if (b.drvX86 && !addinFound) {
        b.memoLines << QStringLiteral("Не удалось подключиться к драйверу") << QString()
                    << QStringLiteral(
                           "Установлена ограниченная версия драйвера, в которой нет необходимого "
                           "компонента. Установите стандартную версию.");
    } else {
        b.memoLines << QStringLiteral("Не удалось подключиться к драйверу");
    }
    b.memoLines << driver.statusLines;
    return b;
}

}  // namespace app
