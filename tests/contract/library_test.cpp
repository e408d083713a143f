// The adapter's side of the C interface: loading, missing functions, the search, the choice
// of driver at start-up, and the serial port a Linux library is given.
#include <dlfcn.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <thread>

#include "driver/DriverLog.h"
#include "driver/libfptr/LibraryDispatch.h"
#include "driver/libfptr/Search.h"
#include "tests/contract/Contract.h"
#include "tests/contract/fake/EchoDispatch.h"

namespace contract {
namespace {

using drv::libfptr::Library;
using drv::libfptr::LibraryDispatch;

// The echo library's functions, less the ones named.
drv::libfptr::LoadResult echoWithout(const QStringList& hidden) {
    void* handle = ::dlopen(QFile::encodeName(echoLibraryPath()).constData(), RTLD_NOW);
    EXPECT_NE(handle, nullptr);
    return Library::fromResolver(
        [handle, hidden](const char* name) -> void* {
            return hidden.contains(QLatin1String(name)) ? nullptr : ::dlsym(handle, name);
        },
        QStringLiteral("/test/libfptr10.so"));
}

QString settingAfter(drv::Fptr& f, const QString& key, const QString& value) {
    f.setSingleSetting(key, value);
    return f.call("getSingleSetting", {key}).toString();
}

TEST(LibraryAdapter, ComFileReachesTheLibraryAsTheDeviceNode) {
    drv::Fptr f(LibraryDispatch::create(echoLibrary()));
    EXPECT_EQ(settingAfter(f, "ComFile", "101"), "/dev/ttyACM0");
    EXPECT_EQ(settingAfter(f, "ComFile", "COM5"), "/dev/ttyS4");
    EXPECT_EQ(settingAfter(f, "ComFile", "40"), "/dev/ttyUSB7");
    EXPECT_EQ(settingAfter(f, "ComFile", "/dev/ttyUSB3"), "/dev/ttyUSB3");
    EXPECT_EQ(settingAfter(f, "ComFile", "300"), "300");
    EXPECT_EQ(settingAfter(f, "IPPort", "101"), "101");  // only the port's setting

    drv::Fptr plain(LibraryDispatch::create(echoLibrary(), {.comFileAsDeviceNode = false}));
    EXPECT_EQ(settingAfter(plain, "ComFile", "101"), "101");
}

TEST(LibraryAdapter, MembersWhoseFunctionIsMissingFailAsUnknownNames) {
    const auto r = echoWithout({"libfptr_beep", "libfptr_get_param_bytearray",
                                "libfptr_set_param_datetime", "libfptr_reset_error"});
    ASSERT_TRUE(r.library) << r.error.toStdString();
    // the program's members among them are named for the status lines
    EXPECT_EQ(r.missingFunctions, QStringList({"libfptr_set_param_datetime",
                                               "libfptr_get_param_bytearray", "libfptr_beep"}));
    drv::Fptr f(LibraryDispatch::create(r.library));
    try {
        f.call("beep");
        ADD_FAILURE() << "beep answered";
    } catch (const drv::DriverNameError& e) {
        EXPECT_EQ(e.name(), "beep");
    }
    EXPECT_THROW(f.getParamByteArray(65536), drv::DriverNameError);
    EXPECT_THROW(f.setParam(65536, QDateTime::currentDateTime()), drv::DriverNameError);
    EXPECT_THROW(f.call("resetError"), drv::DriverNameError);
    // the rest of the library still works
    f.setParam(65536, QStringLiteral("дальше"));
    EXPECT_EQ(f.getParamString(65536), "дальше");
    EXPECT_EQ(f.open(), 0);
}

TEST(LibraryAdapter, AMemberTheLibraryHasButItsObjectLacksIsNotSupported) {
    drv::Fptr f(LibraryDispatch::create(echoLibrary()));
    EXPECT_EQ(f.run("cut"), -1);
    EXPECT_EQ(f.errorCode(), 11);
    EXPECT_EQ(f.errorDescription(), "Не поддерживается в данной версии");
    EXPECT_EQ(f.open(), 0);  // the next member it has clears it
    EXPECT_EQ(f.errorCode(), 0);
}

TEST(LibraryAdapter, EachCallCarriesTheLibrarysErrorCodeToTheDriverLog) {
    QTemporaryDir dir;
    const QString path = dir.filePath("log.jsonl");
    drv::DriverLog::instance().setPath(path);
    auto object = LibraryDispatch::create(echoLibrary());
    ASSERT_TRUE(object);
    LibraryDispatch* adapter = object.get();
    EXPECT_FALSE(adapter->lastErrorCode());  // nothing called yet
    drv::Fptr f(std::move(object));
    f.setParam(f.c("LIBFPTR_PARAM_REPORT_TYPE"), 7);
    f.setParam(f.c("LIBFPTR_PARAM_TEXT"), QStringLiteral("Нет бумаги"));
    EXPECT_EQ(f.run("report"), -1);
    EXPECT_EQ(adapter->lastErrorCode(), 7);
    EXPECT_EQ(f.run("cut"), -1);  // a member its object lacks
    EXPECT_EQ(adapter->lastErrorCode(), 11);
    EXPECT_EQ(f.open(), 0);
    EXPECT_EQ(adapter->lastErrorCode(), 0);
    drv::DriverLog::instance().setPath({});

    QFile log(path);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    QStringList calls;
    while (!log.atEnd()) {
        const auto o = QJsonDocument::fromJson(log.readLine()).object();
        calls << o.value("method").toString() + '=' + QString::number(o.value("error").toInt(-1));
    }
    EXPECT_EQ(calls, QStringList({"setParam=0", "setParam=0", "report=7", "cut=11", "open=0"}));
}

TEST(LibraryAdapter, ALibraryWithoutCoreFunctionsIsNotBound) {
    const auto hidden = echoWithout({"libfptr_create"});
    EXPECT_FALSE(hidden.library);
    EXPECT_TRUE(hidden.error.contains("libfptr_create")) << hidden.error.toStdString();

    const auto r = Library::load(incompleteLibraryPath());
    EXPECT_FALSE(r.library);
    EXPECT_TRUE(r.mapped);
    EXPECT_TRUE(r.error.contains("libfptr_create")) << r.error.toStdString();
    EXPECT_TRUE(r.error.contains("libfptr_error_description")) << r.error.toStdString();
    EXPECT_FALSE(r.error.contains("libfptr_destroy"));
}

TEST(LibraryAdapter, FilesThatAreNoLibraries) {
    QTemporaryDir dir;
    const auto missing = Library::load(dir.filePath("libfptr10.so"));
    EXPECT_FALSE(missing.library);
    EXPECT_FALSE(missing.mapped);
    EXPECT_TRUE(missing.error.contains("не найден"));

    QFile text(dir.filePath("text.so"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a library\n");
    text.close();
    const auto r = Library::load(text.fileName());
    EXPECT_FALSE(r.library);
    EXPECT_FALSE(r.mapped);
    EXPECT_TRUE(r.error.startsWith("не удалось загрузить")) << r.error.toStdString();
}

TEST(LibraryAdapter, OneFileIsOneLibraryWithItsVersion) {
    const auto a = Library::load(echoLibraryPath());
    const auto b = Library::load(QDir(QFileInfo(echoLibraryPath()).path())
                                     .filePath("./" + QFileInfo(echoLibraryPath()).fileName()));
    ASSERT_TRUE(a.library && b.library);
    EXPECT_EQ(a.library, b.library);
    EXPECT_EQ(a.library->version(), EchoDispatch::kVersion);
    EXPECT_TRUE(a.missingFunctions.isEmpty()) << a.missingFunctions.join(' ').toStdString();
    EXPECT_EQ(a.library->path(), QFileInfo(echoLibraryPath()).absoluteFilePath());
}

TEST(LibraryAdapter, TheFactoryMakesObjectsOfTheDriverClassOnly) {
    auto factory = drv::libfptr::libraryFactory(echoLibrary());
    EXPECT_EQ(factory("Other.Class"), nullptr);
    drv::setDispatchFactory(factory);
    auto f = drv::Fptr::create();
    drv::setDispatchFactory({});
    EXPECT_EQ(f->version(), EchoDispatch::kVersion);
    EXPECT_THROW(drv::Fptr::create(), drv::DriverCreateError);
}

TEST(LibraryAdapter, ObjectsUsedFromSeveralThreadsAtOnce) {
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([i, &wrong] {
            drv::Fptr f(LibraryDispatch::create(echoLibrary()));
            for (int k = 0; k < 200; ++k) {
                const QString v = QStringLiteral("поток %1 шаг %2").arg(i).arg(k);
                f.setParam(65536, v);
                if (f.getParamString(65536) != v) ++wrong;
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(wrong.load(), 0);
}

// --- the search

struct SearchBench {
    QTemporaryDir dir;
    QString prog = dir.filePath("prog");
    QString pkg = dir.filePath("pkg");
    SearchBench() {
        QDir().mkpath(prog);
        QDir().mkpath(pkg);
    }
    void put(const QString& folder, const QString& library) const {
        QFile::copy(library, QDir(folder).filePath("libfptr10.so"));
    }
    drv::libfptr::SearchOptions options() const {
        drv::libfptr::SearchOptions o;
        o.programDir = prog;
        o.packageDirs = {pkg};
        o.systemSearch = false;
        return o;
    }
};

TEST(LibrarySearch, TheProgramsFolderComesBeforeThePackagesPlaces) {
    SearchBench b;
    b.put(b.prog, echoLibraryPath());
    b.put(b.pkg, virtualLibraryPath());
    auto r = drv::libfptr::findLibrary(b.options());
    ASSERT_TRUE(r.found());
    EXPECT_EQ(r.path, QDir(b.prog).filePath("libfptr10.so"));
    EXPECT_EQ(r.version, EchoDispatch::kVersion);

    auto o = b.options();
    o.programDir.clear();
    r = drv::libfptr::findLibrary(o);
    ASSERT_TRUE(r.found());
    EXPECT_EQ(r.path, QDir(b.pkg).filePath("libfptr10.so"));
    EXPECT_EQ(r.version, "10.10.4.0");
    EXPECT_FALSE(r.explicitPath);
}

TEST(LibrarySearch, ACandidateThatDoesNotLoadIsNotedAndPassed) {
    SearchBench b;
    QFile broken(QDir(b.prog).filePath("libfptr10.so"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("garbage");
    broken.close();
    b.put(b.pkg, echoLibraryPath());
    const auto r = drv::libfptr::findLibrary(b.options());
    ASSERT_TRUE(r.found());
    EXPECT_EQ(r.path, QDir(b.pkg).filePath("libfptr10.so"));
    ASSERT_EQ(r.failures.size(), 1);
    EXPECT_TRUE(r.failures[0].startsWith(broken.fileName()));
}

TEST(LibrarySearch, AnExplicitPathIsTheOnlyOneTried) {
    SearchBench b;
    b.put(b.prog, echoLibraryPath());
    auto o = b.options();
    o.explicitPath = b.dir.filePath("elsewhere/libfptr10.so");
    auto r = drv::libfptr::findLibrary(o);
    EXPECT_FALSE(r.found());
    EXPECT_TRUE(r.explicitPath);
    EXPECT_EQ(r.failures.size(), 1);

    o.explicitPath = virtualLibraryPath();
    r = drv::libfptr::findLibrary(o);
    ASSERT_TRUE(r.found());
    EXPECT_EQ(r.version, "10.10.4.0");
}

TEST(LibrarySearch, NothingFoundIsQuiet) {
    SearchBench b;
    auto o = b.options();
    o.systemSearch = true;
    o.fileName = "libvelmor-no-such-driver.so";
    const auto r = drv::libfptr::findLibrary(o);
    EXPECT_FALSE(r.found());
    EXPECT_TRUE(r.failures.isEmpty()) << r.failures.join('\n').toStdString();
}

TEST(LibrarySearch, TheSystemsLibrarySearch) {
    const QString dir = QFileInfo(echoLibraryPath()).absolutePath();
    if (!qEnvironmentVariable("LD_LIBRARY_PATH").split(':').contains(dir))
        GTEST_SKIP() << "LD_LIBRARY_PATH does not name " << dir.toStdString() << " (ctest sets it)";
    drv::libfptr::SearchOptions o;
    o.packageDirs.clear();
    o.fileName = QFileInfo(echoLibraryPath()).fileName();
    const auto r = drv::libfptr::findLibrary(o);
    ASSERT_TRUE(r.found());
    EXPECT_EQ(r.path, QFileInfo(echoLibraryPath()).absoluteFilePath());  // where it was found
}

// --- the choice at start-up

std::function<QString(const char*)> environment(const QHash<QString, QString>& vars) {
    return [vars](const char* name) { return vars.value(QString::fromLatin1(name)); };
}

TEST(DriverChoice, ANamedLibraryWinsOverTheBench) {
    const auto c = drv::libfptr::chooseDriver(
        {}, {},
        environment({{"VELMOR_FPTR_LIBRARY", virtualLibraryPath()}, {"VELMOR_BENCH", "/x.json"}}));
    ASSERT_EQ(c.kind, drv::libfptr::BindingChoice::Kind::Library);
    EXPECT_EQ(c.search.version, "10.10.4.0");
    EXPECT_EQ(c.statusLines(),
              QStringList({QStringLiteral("Библиотека драйвера ККТ: %1, версия 10.10.4.0")
                               .arg(QFileInfo(virtualLibraryPath()).absoluteFilePath())}));
}

TEST(DriverChoice, TheBenchMeansTheVirtualRegister) {
    SearchBench b;
    b.put(b.prog, echoLibraryPath());  // not even looked at
    const auto c = drv::libfptr::chooseDriver(echoLibraryPath(), b.prog,
                                              environment({{"VELMOR_BENCH", "/x.json"}}));
    EXPECT_EQ(c.kind, drv::libfptr::BindingChoice::Kind::VirtualRegister);
    EXPECT_TRUE(c.benchSet);
    EXPECT_EQ(c.statusLines(), QStringList({"Используется виртуальная ККТ (стенд VELMOR_BENCH)"}));
}

TEST(DriverChoice, TheIniOptionNamesTheLibrary) {
    const auto c = drv::libfptr::chooseDriver(" " + echoLibraryPath() + " ", {}, environment({}));
    ASSERT_EQ(c.kind, drv::libfptr::BindingChoice::Kind::Library);
    EXPECT_EQ(c.search.version, EchoDispatch::kVersion);
    EXPECT_TRUE(c.search.explicitPath);
}

TEST(DriverChoice, ANamedLibraryThatFailsLeavesTheVirtualRegisterAndSaysWhy) {
    const auto c = drv::libfptr::chooseDriver(
        {}, {}, environment({{"VELMOR_FPTR_LIBRARY", incompleteLibraryPath()}}));
    EXPECT_EQ(c.kind, drv::libfptr::BindingChoice::Kind::VirtualRegister);
    const QStringList lines = c.statusLines();
    ASSERT_EQ(lines.size(), 2) << lines.join('\n').toStdString();
    EXPECT_TRUE(
        lines[0].startsWith("Библиотека драйвера ККТ не загружена: " + incompleteLibraryPath()));
    EXPECT_TRUE(lines[0].contains("libfptr_create"));
    EXPECT_EQ(lines[1], "Используется виртуальная ККТ");
}

TEST(DriverChoice, ACandidatePassedOverIsNamedBeforeTheBoundLibrary) {
    SearchBench b;
    QFile broken(QDir(b.prog).filePath("libfptr10.so"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("garbage");
    broken.close();
    b.put(b.pkg, echoLibraryPath());
    drv::libfptr::BindingChoice c;
    c.kind = drv::libfptr::BindingChoice::Kind::Library;
    c.search = drv::libfptr::findLibrary(b.options());
    ASSERT_TRUE(c.search.found());
    const QStringList lines = c.statusLines();
    ASSERT_EQ(lines.size(), 2) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[0].startsWith("Библиотека драйвера ККТ не загружена: " + broken.fileName()))
        << lines[0].toStdString();
    EXPECT_EQ(lines[1], QStringLiteral("Библиотека драйвера ККТ: %1, версия %2")
                            .arg(QDir(b.pkg).filePath("libfptr10.so"), EchoDispatch::kVersion));
}

TEST(DriverChoice, StatusLinesNameEachMissingFunction) {
    drv::libfptr::BindingChoice c;
    c.kind = drv::libfptr::BindingChoice::Kind::Library;
    c.search.path = "/opt/ATOL/Drivers10/KKT/bin/libfptr10.so";
    c.search.missingFunctions = {"libfptr_process_json", "libfptr_beep"};
    EXPECT_EQ(c.statusLines(),
              QStringList({"Библиотека драйвера ККТ: /opt/ATOL/Drivers10/KKT/bin/libfptr10.so, "
                           "версия неизвестна",
                           "В библиотеке драйвера нет функции libfptr_process_json",
                           "В библиотеке драйвера нет функции libfptr_beep"}));

    drv::libfptr::BindingChoice none;
    EXPECT_EQ(none.statusLines(), QStringList({"Библиотека драйвера ККТ (libfptr10.so) не найдена",
                                               "Используется виртуальная ККТ"}));
}

}  // namespace
}  // namespace contract
