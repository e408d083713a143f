// What the start-up binding says of the driver in use: a driver library found on the PC, one
// that cannot make an object, and the virtual register; and the INI option that names a library.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/DriverBinding.h"
#include "driver/Dispatch.h"
#include "emulator/VirtualPc.h"
#include "tests/support/Benches.h"

namespace {

// A driver object that only tells its version.
class VersionOnly : public drv::IDispatch {
  public:
    explicit VersionOnly(QString v) : version_(std::move(v)) {}
    std::optional<QVariant> constant(const QString&) const override { return std::nullopt; }
    std::optional<QVariant> invoke(const QString& method, const QVariantList&) override {
        if (method == QLatin1String("version")) return QVariant(version_);
        return std::nullopt;
    }

  private:
    QString version_;
};

// A 32-bit Windows bench without any driver installed: what the library stands in for.
QByteArray bareWindows() {
    return R"({"pc": {"windows64": false, "files": {},
               "os": {"productName": "Windows 7", "productType": 1, "build": "7601"},
               "driver": {"creatable": false}}, "registers": []})";
}

drv::libfptr::BindingChoice libraryChoice(const QStringList& missing = {}) {
    drv::libfptr::BindingChoice c;
    c.kind = drv::libfptr::BindingChoice::Kind::Library;
    c.search.path = QStringLiteral("/opt/ATOL/Drivers10/KKT/bin/libfptr10.so");
    c.search.version = QStringLiteral("10.12.1.5");
    c.search.missingFunctions = missing;
    return c;
}

struct Factory {
    explicit Factory(drv::DispatchFactory f) { drv::setDispatchFactory(std::move(f)); }
    ~Factory() { drv::setDispatchFactory({}); }
};

}  // namespace

TEST(AppBinding, ALibraryStandsForTheInstalledDriver) {
    testing_support::useBench(bareWindows());
    emu::VirtualPc pc;
    Factory factory([](const QString&) { return std::make_unique<VersionOnly>("10.12.1.5"); });
    const auto driver = app::describe(libraryChoice({"libfptr_beep"}));
    EXPECT_TRUE(driver.library);
    EXPECT_EQ(driver.libraryVersion, "10.12.1.5");
    const app::Binding b = app::bindDriver(pc, driver);
    EXPECT_TRUE(b.fptrOK);
    EXPECT_TRUE(b.drvX86);
    EXPECT_FALSE(b.drvX64);
    EXPECT_EQ(b.is32os, sizeof(void*) == 4);
    EXPECT_EQ(b.drvVer, "10.12.1.5");
    const QString found = QStringLiteral("Найден драйвер ККТ: Версия 10.12.1.5 (32bit)");
    EXPECT_EQ(b.memoLines,
              QStringList({found, "Драйвер (32bit) подключен",
                           "Библиотека драйвера ККТ: /opt/ATOL/Drivers10/KKT/bin/libfptr10.so, "
                           "версия 10.12.1.5",
                           "В библиотеке драйвера нет функции libfptr_beep"}));
    const QString arch = sizeof(void*) == 4 ? "x86" : "x64";
    EXPECT_EQ(b.label, "ОС: Windows 7 Ultimate (Build 7601) " + arch + " / Драйвер ККТ: 10.12.1.5");
    EXPECT_EQ(b.downloadCaption, "Обновить драйвер");
}

TEST(AppBinding, ALibraryThatMakesNoObject) {
    testing_support::useBench(bareWindows());
    emu::VirtualPc pc;
    Factory factory([](const QString&) { return std::unique_ptr<drv::IDispatch>(); });
    const app::Binding b = app::bindDriver(pc, app::describe(libraryChoice()));
    EXPECT_FALSE(b.fptrOK);
    EXPECT_FALSE(b.fptr);
    EXPECT_TRUE(b.drvVer.isEmpty());
    // the library's own version stands for the file version; no add-in is missing
    EXPECT_TRUE(b.label.endsWith(" / Драйвер ККТ: 10.12.1.5")) << b.label.toStdString();
    EXPECT_EQ(b.memoLines.mid(b.memoLines.size() - 2),
              QStringList({"Не удалось подключиться к драйверу",
                           "Библиотека драйвера ККТ: /opt/ATOL/Drivers10/KKT/bin/libfptr10.so, "
                           "версия 10.12.1.5"}));
    EXPECT_EQ(b.downloadCaption, "Установить драйвер");
}

TEST(AppBinding, TheVirtualRegisterKeepsTheWindowsTestsAndSaysSo) {
    testing_support::useBench(bareWindows());
    emu::VirtualPc pc;
    Factory factory([](const QString&) { return std::make_unique<VersionOnly>("10.10.4.0"); });
    drv::libfptr::BindingChoice c;
    c.search.failures = QStringList({"/usr/lib/libfptr10.so: не удалось загрузить"});
    const auto driver = app::describe(c);
    EXPECT_FALSE(driver.library);
    EXPECT_TRUE(driver.libraryPath.isEmpty());
    const app::Binding b = app::bindDriver(pc, driver);
    // a 32-bit Windows without the driver's files: the bench decides, not the library search
    EXPECT_TRUE(b.is32os);
    EXPECT_FALSE(b.drvX86);
    EXPECT_EQ(b.memoLines,
              QStringList({"Драйвер ККТ не найден", "Драйвер (32bit) подключен",
                           "Библиотека драйвера ККТ не загружена: /usr/lib/libfptr10.so: не "
                           "удалось загрузить",
                           "Библиотека драйвера ККТ (libfptr10.so) не найдена",
                           "Используется виртуальная ККТ"}));

    // the process-wide choice is what the window's binding reports
    app::setDriverInUse(app::describe(libraryChoice()));
    EXPECT_TRUE(app::bindDriver(pc).drvX86);
    app::setDriverInUse(driver);
    EXPECT_FALSE(app::bindDriver(pc).drvX86);
}

TEST(AppBinding, TheIniOptionNamesTheLibrary) {
    QTemporaryDir dir;
    EXPECT_EQ(app::iniDriverLibrary(dir.path()), QString());  // no file
    QDir(dir.path()).mkpath("pf");
    QFile f(dir.filePath("pf/set.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Fset]\nsave=1\n[Driver]\nlibrary= /opt/ATOL/Drivers10/KKT/bin/libfptr10.so \n");
    f.close();
    EXPECT_EQ(app::iniDriverLibrary(dir.path()), "/opt/ATOL/Drivers10/KKT/bin/libfptr10.so");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[Fset]\nsave=1\n[Other]\nlibrary=/x.so\n");
    f.close();
    EXPECT_EQ(app::iniDriverLibrary(dir.path()), QString());
}
