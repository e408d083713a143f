// Driver binding as the Подключение tab reports it, for each kind of PC a bench can describe.
#include <QtTest>

#include "tests/support/GuiHarness.h"

using testing_support::GuiHarness;

namespace {

const char* kX86 = "c:\\\\Program Files (x86)\\\\ATOL\\\\Drivers10\\\\KKT\\\\bin\\\\fptr10.dll";
const char* kAddin =
    "c:\\\\Program Files (x86)\\\\ATOL\\\\Drivers10\\\\kkt\\\\langs\\\\com\\\\addin_fptr10_x86.dll";
const char* kPf = "c:\\\\Program Files\\\\ATOL\\\\Drivers10\\\\KKT\\\\bin\\\\fptr10.dll";

QByteArray bench(bool win64, const QStringList& files, bool creatable, const QString& os = {}) {
    QString json = QStringLiteral(R"({"pc": {"windows64": %1, "files": {%2},
        "driver": {"creatable": %3, "version": "10.10.4.0"}%4},
        "registers": [{"com": "COM5", "model": "АТОЛ 30Ф", "serial": "1"}]})")
                       .arg(win64 ? "true" : "false", files.join(','), creatable ? "true" : "false",
                            os.isEmpty() ? "" : "," + os);
    return json.toUtf8();
}

QString file(const char* path, const char* version) {
    return QStringLiteral("\"%1\": \"%2\"").arg(path, version);
}

}  // namespace

class TestBinding : public QObject {
    Q_OBJECT
  private slots:
    void only64BitDriverOn64BitWindows() {
        testing_support::useBench(bench(true, {file(kPf, "10.11.0.0")}, false));
        GuiHarness h;
        QCOMPARE(h.memo(),
                 QStringList({"Найден драйвер ККТ: Версия  (64bit)",
                              "Для 32-битной версии программы требуется 32-битная версия драйвера",
                              "Не удалось подключиться к драйверу",
                              "Используется виртуальная ККТ (стенд VELMOR_BENCH)"}));
        QVERIFY(h.find<QLabel>("lblDrvVer")->text().endsWith(" / Драйвер ККТ: Неизвестно"));
        QCOMPARE(h.find<QPushButton>("btnDrvDown")->text(), QString("Установить драйвер"));
        QVERIFY(!h.window()->session().fptrOK());
    }

    void limitedDriverWithoutAddIn() {
        testing_support::useBench(bench(true, {file(kX86, "10.9.1.0")}, false));
        GuiHarness h;
        QCOMPARE(h.memo(), QStringList({"Найден драйвер ККТ: Версия  (32bit)",
                                        "Не удалось подключиться к драйверу", "",
                                        "Установлена ограниченная версия драйвера, в которой нет "
                                        "необходимого компонента. Установите стандартную версию.",
                                        "Используется виртуальная ККТ (стенд VELMOR_BENCH)"}));
        // the label falls back to the library's file version
        QVERIFY(h.find<QLabel>("lblDrvVer")->text().endsWith(" / Драйвер ККТ: 10.9.1.0"));
    }

    void bothDriversBound() {
        testing_support::useBench(bench(
            true, {file(kX86, "10.10.4.0"), file(kAddin, "10.10.4.0"), file(kPf, "10.10.4.0")},
            true));
        GuiHarness h;
        QCOMPARE(h.memo(), QStringList({"Найден драйвер ККТ: Версия 10.10.4.0 (32bit)",
                                        "Найден драйвер ККТ: Версия 10.10.4.0 (64bit)",
                                        "Драйвер (32bit) подключен",
                                        "Используется виртуальная ККТ (стенд VELMOR_BENCH)"}));
        QCOMPARE(h.find<QPushButton>("btnDrvDown")->text(), QString("Обновить драйвер"));
    }

    void noDriverOn32BitWindows() {
        testing_support::useBench(bench(false, {}, false,
                                        R"("os": {"productName": "Windows 7", "productType": 1,
                                                  "build": "7601"})"));
        GuiHarness h;
        QCOMPARE(h.memo(),
                 QStringList({"Драйвер ККТ не найден", "Не удалось подключиться к драйверу",
                              "Используется виртуальная ККТ (стенд VELMOR_BENCH)"}));
        QCOMPARE(h.find<QLabel>("lblDrvVer")->text(),
                 QString("ОС: Windows 7 Ultimate (Build 7601) x86 / Драйвер ККТ: Неизвестно"));
        // without a bound driver neither connecting nor scanning starts
        h.window()->connectPage->rows().append(app::DeviceRow::fromCells({"АТОЛ", "COM5"}));
        h.selectRow("lvKKMconnect", 0);
        h.click("btnConnectKKM");
        auto msgs = GuiHarness::messages();
        QCOMPARE(msgs.size(), 1);
        QCOMPARE(msgs[0].text,
                 QString("Не удалось подключиться к драйверу ККТ, установите драйвер."));
        QCOMPARE(msgs[0].icon, ui::Icon::Error);
        QCOMPARE(msgs[0].title, QString("test_binding"));
        QVERIFY(!h.driverCalls().contains("open"));
    }

    void driverOn32BitWindowsWithUnknownEdition() {
        testing_support::useBench(bench(false, {file(kPf, "10.10.4.0"), file(kAddin, "10.10.4.0")},
                                        true,
                                        R"("os": {"productName": "Windows 10", "productType": 12,
                                                  "build": "19045"})"));
        GuiHarness h;
        QCOMPARE(h.memo(), QStringList({"Найден драйвер ККТ: Версия 10.10.4.0 (32bit)",
                                        "Драйвер (32bit) подключен",
                                        "Используется виртуальная ККТ (стенд VELMOR_BENCH)"}));
        QCOMPARE(h.find<QLabel>("lblDrvVer")->text(),
                 QString("ОС: Windows 10 Unknown (Build 19045) x86 / Драйвер ККТ: 10.10.4.0"));
    }

    void aNamedLibraryThatCannotBeLoadedLeavesTheVirtualRegister() {
        testing_support::useBench({});
        QTemporaryDir dir;
        const QString missing = dir.filePath("libfptr10.so");
        qputenv("VELMOR_FPTR_LIBRARY", QFile::encodeName(missing));
        GuiHarness h;
        qunsetenv("VELMOR_FPTR_LIBRARY");
        QCOMPARE(h.memo(), QStringList({"Найден драйвер ККТ: Версия 10.10.4.0 (32bit)",
                                        "Драйвер (32bit) подключен",
                                        "Библиотека драйвера ККТ не загружена: " + missing +
                                            ": файл " + missing + " не найден",
                                        "Используется виртуальная ККТ"}));
        QVERIFY(h.window()->session().fptrOK());
    }
};

QTEST_MAIN(TestBinding)
#include "test_binding.moc"
