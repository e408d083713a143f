// Connecting, disconnecting and the saved device list, through the real window.
#include <QtTest>

#include "app/Connection.h"
#include "app/IniFile.h"
#include "app/ui/widgets/Conventions.h"
#include "discovery/ui/ConnectPage.h"
#include "tests/support/GuiHarness.h"

using testing_support::GuiHarness;

namespace {

const char* kUsbRow =
    "[SavedKKM1]\nkkm=АТОЛ 30Ф (№ 00106107311234)\nkkmcom=COM5\neoucom=COM6\nip=\n"
    "kkmproxy=atol-usbcom_proxy3\neouproxy=atol-usbcom_proxy4\nspeed=115200\n";
const char* kNetRow =
    "[SavedKKM2]\nkkm=АТОЛ 27Ф (№ 00106908765432)\nkkmcom=\neoucom=\nip=192.168.77.40\n"
    "kkmproxy=\neouproxy=\nspeed=\n";

QString writeIni(const QString& dir, const QByteArray& text) {
    QDir().mkpath(dir + "/pf");
    QFile f(dir + "/pf/set.ini");
    f.open(QIODevice::WriteOnly);
    f.write(text);
    return f.fileName();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

int countCalls(const GuiHarness& h, const QString& method) {
    return int(h.driverCalls().count(method));
}

// Starts the program on the demo bench changed by `edit` (its virtual PC and USB register),
// with the USB register's row saved, and connects to that row.
std::unique_ptr<GuiHarness> connectUsbRow(
    const QTemporaryDir& dir, const std::function<void(QJsonObject&, QJsonObject&)>& edit) {
    auto bench = testing_support::demoBench();
    auto pc = bench["pc"].toObject();
    auto regs = bench["registers"].toArray();
    auto usb = regs[0].toObject();
    edit(pc, usb);
    regs[0] = usb;
    bench["registers"] = regs;
    bench["pc"] = pc;
    testing_support::useBench(testing_support::toJson(bench));
    writeIni(dir.path(), QByteArray("[Fset]\nsave=1\ncom=1\nip=0\n") + kUsbRow);
    auto h = std::make_unique<GuiHarness>(dir.path());
    h->selectRow("lvKKMconnect", 0);
    h->click("btnConnectKKM");
    return h;
}

}  // namespace

class TestConnection : public QObject {
    Q_OBJECT
  private slots:
    void init() { testing_support::useBench({}); }

    void connectByPortThenAgainDoesNothing() {
        QTemporaryDir dir;
        writeIni(dir.path(), QByteArray("[Fset]\nsave=1\ncom=1\nip=1\n") + kUsbRow + kNetRow);
        GuiHarness h(dir.path());
        QCOMPARE(h.rows("lvKKMconnect").size(), 2);
        QCOMPARE(h.rows("lvKKMconnect")[0][3], QString());  // restored rows have no state
        h.selectRow("lvKKMconnect", 0);
        h.click("btnConnectKKM");
        QCOMPARE(h.memo(),
                 QStringList({"Подключена ККМ: АТОЛ 30Ф", "Серийный номер: 00106107311234",
                              "Версия ПО: 5.8.100", "COM порт: COM5",
                              "Имя порта: atol-usbcom_proxy3", "Скорость порта: 115200",
                              "COM порт EoU: COM6", "Имя порта EoU: atol-usbcom_proxy4"}));
        auto& ctx = h.window()->session();
        QVERIFY(ctx.kkmConnected());
        QVERIFY(ctx.isP5());
        QCOMPARE(ctx.comConnected(), QString("COM5"));
        QCOMPARE(ctx.record().eouPort, QString("COM6"));
        QCOMPARE(h.rows("lvKKMconnect")[0][3], QString("Подключен"));
        QCOMPARE(h.find<QPushButton>("btnConnectKKM")->text(), QString("Подключить ККМ"));
        QVERIFY(h.find<QPushButton>("btnConnectKKM")->isEnabled());
        // the port number goes to the driver as the characters after "COM"
        bool sawComFile = false;
        for (const auto& call : h.driverLog())
            if (call.value("method") == "setSingleSetting" &&
                call.value("args").toArray().at(0) == "ComFile")
                sawComFile = call.value("args").toArray().at(1) == "5";
        QVERIFY(sawComFile);
        const int opens = countCalls(h, "open");
        h.click("btnConnectKKM");
        QCOMPARE(countCalls(h, "open"), opens);
        QVERIFY(ctx.kkmConnected());
        QVERIFY(GuiHarness::messages().isEmpty());
    }

    void connectByNetworkResetsViewsAndMarkers() {
        QTemporaryDir dir;
        writeIni(dir.path(), QByteArray("[Fset]\nsave=1\ncom=1\nip=1\n") + kUsbRow + kNetRow);
        GuiHarness h(dir.path());
        auto* read = h.find<QPushButton>("btnGetKKMinfo");
        ui::setReadMarker(read, 1);
        h.list("lvKKMinfo")->addDataRow({"Модель", "старое"});
        h.selectRow("lvKKMconnect", 1);
        h.click("btnConnectKKM");
        QCOMPARE(h.memo(),
                 QStringList({"Подключена ККМ: АТОЛ 27Ф", "Серийный номер: 00106908765432",
                              "Версия ПО: 3.0.8233", "IP адрес: 192.168.77.40"}));
        auto& ctx = h.window()->session();
        QCOMPARE(ctx.ipConnected(), QString("192.168.77.40"));
        QVERIFY(ctx.comConnected().isEmpty());
        QVERIFY(!ctx.isP5());
        QCOMPARE(ui::readMarker(read), 0);
        QCOMPARE(h.rows("lvKKMinfo").size(), 0);
        bool sawPort = false;
        for (const auto& call : h.driverLog())
            if (call.value("method") == "setSingleSetting" &&
                call.value("args").toArray().at(0) == "IPPort")
                sawPort = call.value("args").toArray().at(1) == "5555";
        QVERIFY(sawPort);
    }

    void rowWithPortAndAddressConnectsByNetwork() {
        QTemporaryDir dir;
        writeIni(dir.path(),
                 "[Fset]\nsave=1\ncom=1\nip=1\n[SavedKKM1]\nkkm=x\nkkmcom=COM5\n"
                 "ip=192.168.77.40\n");
        GuiHarness h(dir.path());
        h.selectRow("lvKKMconnect", 0);
        h.click("btnConnectKKM");
        QCOMPARE(h.window()->session().ipConnected(), QString("192.168.77.40"));
        QCOMPARE(h.memo().value(0), QString("Подключена ККМ: АТОЛ 27Ф"));
    }

    void noRowSelected() {
        GuiHarness h;
        h.click("btnConnectKKM");
        QCOMPARE(GuiHarness::messageTexts(), QStringList({"Выберите ККМ"}));
        QCOMPARE(GuiHarness::messages()[0].icon, ui::Icon::Information);
        QVERIFY(!h.driverCalls().contains("open"));
    }

    void portThatDoesNotExist() {
        QTemporaryDir dir;
        writeIni(dir.path(), "[Fset]\nsave=1\ncom=1\nip=0\n[SavedKKM1]\nkkm=x\nkkmcom=COM9\n");
        GuiHarness h(dir.path());
        h.selectRow("lvKKMconnect", 0);
        h.click("btnConnectKKM");
        QVERIFY(GuiHarness::messageTexts().contains("Порт COM9 не существует"));
        QVERIFY(!h.window()->session().kkmConnected());
        QCOMPARE(h.find<QPushButton>("btnConnectKKM")->text(), QString("Подключить ККМ"));
    }

    void driverErrorOnOpenIsReported() {
        QTemporaryDir dir;
        auto h = connectUsbRow(dir, [](QJsonObject&, QJsonObject& usb) {
            usb["errors"] = QJsonArray{QJsonObject{
                {"method", "open"}, {"code", 5}, {"description", "Некорректные данные"}}};
        });
        QCOMPARE(GuiHarness::messages().value(0).text, QString("(5) Некорректные данные"));
        QCOMPARE(GuiHarness::messages().value(0).title, QString(""));
        QVERIFY(!h->window()->session().kkmConnected());
        // the port exists, so the busy-port check runs and finds no holder
        QCOMPARE(h->memo().first(), QString("[Проверка используемых портов...]"));
        QCOMPARE(h->memo().last(), QString("Не определено"));
    }

    void busyPortNamesItsHolder() {
        QTemporaryDir dir;
        auto h = connectUsbRow(dir, [](QJsonObject& pc, QJsonObject&) {
            auto ports = pc["ports"].toObject();
            ports["COM5"] = QJsonObject{{"speed", 115200}, {"busyBy", 4321}};
            pc["ports"] = ports;
            auto procs = pc["processes"].toArray();
            procs.append(
                QJsonObject{{"pid", 4321}, {"path", "C:\\Program Files\\Kassa\\kassa.exe"}});
            pc["processes"] = procs;
        });
        QCOMPARE(GuiHarness::messageTexts(), QStringList({"(3) Порт занят"}));
        QCOMPARE(h->memo(),
                 QStringList({"COM5: atol-usbcom_proxy3 - занят, используется процессом:",
                              "C:\\Program Files\\Kassa\\kassa.exe"}));
        QVERIFY(!h->window()->session().kkmConnected());
        // the listing's lines are kept in the service view
        QVERIFY(h->memo("mmoServ").join('\n').contains("atol-usbcom_proxy3"));
    }

    void platform25RegisterWithNewDriver() {
        QTemporaryDir dir;
        auto h = connectUsbRow(dir, [](QJsonObject& pc, QJsonObject& usb) {
            pc["driver"] = QJsonObject{{"creatable", true}, {"version", "10.11.0.0"}};
            usb["platform"] = "2.5";
        });
        QCOMPARE(h->memo(), QStringList({"Для работы с кассами на платформе 2.5, версия драйвера "
                                         "ККТ должна быть не выше 10.10.0.0"}));
        QVERIFY(!h->window()->session().kkmConnected());
        QVERIFY(GuiHarness::messages().isEmpty());  // no driver-error box for this case
        const QStringList calls = h->driverCalls();
        QCOMPARE(calls.mid(calls.lastIndexOf("open") + 1, 2), QStringList({"version", "close"}));
    }

    void disconnectKeepsViews() {
        QTemporaryDir dir;
        writeIni(dir.path(), QByteArray("[Fset]\nsave=1\ncom=1\nip=0\n") + kUsbRow);
        GuiHarness h(dir.path());
        h.selectRow("lvKKMconnect", 0);
        h.click("btnConnectKKM");
        h.list("lvKKMinfo")->addDataRow({"Модель", "АТОЛ 30Ф"});
        h.click("btnDiscKKM");
        QCOMPARE(h.memo(), QStringList({"АТОЛ 30Ф (№ 00106107311234) - отключена"}));
        auto& ctx = h.window()->session();
        QVERIFY(!ctx.kkmConnected());
        QVERIFY(ctx.comConnected().isEmpty());
        QCOMPARE(h.rows("lvKKMconnect")[0][3], QString("Доступен"));
        QCOMPARE(h.rows("lvKKMinfo").size(), 1);
        // a second press has nothing to disconnect
        h.click("btnDiscKKM");
        QCOMPARE(h.memo().size(), 1);
    }

    void listSavedAndRestoredAcrossRuns() {
        QTemporaryDir dir;
        const QString ini =
            writeIni(dir.path(), QByteArray("[Footer-00106107311234]\n1=Спасибо за покупку\n"
                                            "[Fset]\nsave=1\ncom=1\nip=1\n[SavedKKM7]\nkkm=old\n") +
                                     kUsbRow + kNetRow);
        {
            GuiHarness h(dir.path());
            QCOMPARE(h.rows("lvKKMconnect").size(), 3);
            // the list changes (as a scan does)
            auto& rows = h.window()->connectPage->rows();
            rows.setRows(rows.rows().mid(1));
            h.find<QCheckBox>("chkTCPIP")->setChecked(false);
            h.close();
        }
        app::IniFile file;
        QVERIFY(file.load(ini));
        QCOMPARE(file.sections(),
                 QStringList({"Footer-00106107311234", "Fset", "SavedKKM1", "SavedKKM2"}));
        QCOMPARE(file.value("Footer-00106107311234", "1"), QString("Спасибо за покупку"));
        QCOMPARE(file.value("Fset", "save"), QString("1"));
        QCOMPARE(file.value("Fset", "com"), QString("1"));
        QCOMPARE(file.value("Fset", "ip"), QString("0"));
        QCOMPARE(file.value("SavedKKM1", "kkmcom"), QString("COM5"));
        QCOMPARE(file.value("SavedKKM2", "ip"), QString("192.168.77.40"));
        QCOMPARE(file.keys("SavedKKM2"),
                 QStringList({"kkm", "kkmcom", "eoucom", "ip", "kkmproxy", "eouproxy", "speed"}));
        QVERIFY(!QDir(dir.path() + "/pf").entryList(QDir::Files).filter(".tmp").size());
        GuiHarness again(dir.path());
        QCOMPARE(again.rows("lvKKMconnect").size(), 2);
        QCOMPARE(again.rows("lvKKMconnect")[0][0], QString("АТОЛ 30Ф (№ 00106107311234)"));
        QVERIFY(!again.find<QCheckBox>("chkTCPIP")->isChecked());
        QVERIFY(again.list("lvKKMconnect")->isColumnHidden(app::colIp));
        QVERIFY(!again.list("lvKKMconnect")->isColumnHidden(app::colCom));
    }

    void saveOffForgetsTheList() {
        QTemporaryDir dir;
        writeIni(dir.path(), QByteArray("[Fset]\nsave=1\ncom=0\nip=1\n") + kUsbRow);
        {
            GuiHarness h(dir.path());
            QVERIFY(!h.find<QCheckBox>("chkCOM")->isChecked());
            h.find<QCheckBox>("chkSave")->setChecked(false);
            h.close();
        }
        app::IniFile file;
        QVERIFY(file.load(dir.path() + "/pf/set.ini"));
        QCOMPARE(file.value("Fset", "save"), QString("0"));
        QVERIFY(!file.hasKey("Fset", "com"));
        QVERIFY(!file.hasKey("Fset", "ip"));
        QVERIFY(file.sections().filter("SavedKKM").isEmpty());
        GuiHarness again(dir.path());
        QCOMPARE(again.rows("lvKKMconnect").size(), 0);
        QVERIFY(!again.find<QCheckBox>("chkSave")->isChecked());
        QVERIFY(again.find<QCheckBox>("chkCOM")->isChecked());
        QVERIFY(!again.find<QCheckBox>("chkTCPIP")->isChecked());
    }

    void firstStartCreatesTheFile() {
        QTemporaryDir dir;
        {
            GuiHarness h(dir.path());
            h.close();
        }
        const QByteArray text = readFile(dir.path() + "/pf/set.ini");
        QVERIFY(text.contains("[Fset]"));
        QVERIFY(text.contains("save=1"));
        QVERIFY(!text.contains("SavedKKM"));  // an empty list writes no rows
    }

    void unwritableFileIsLeftAlone() {
        QTemporaryDir dir;
        QDir().mkpath(dir.path() + "/pf/set.ini");  // a directory where the file should be
        {
            GuiHarness h(dir.path());
            h.close();
            QCOMPARE(GuiHarness::messageTexts(), QStringList({"Нет доступа для записи настроек"}));
        }
        QVERIFY(QFileInfo(dir.path() + "/pf/set.ini").isDir());
    }

    void terminateWithUnwritableSettingsShowsNoBox() {
        QTemporaryDir dir;
        QDir().mkpath(dir.path() + "/pf/set.ini");  // a directory where the file should be
        GuiHarness h(dir.path());
        // a dialog waiting for the user gives way
        QDialog dialog(h.window());
        dialog.setModal(true);
        dialog.show();
        QCOMPARE(QApplication::activeModalWidget(), &dialog);
        QVERIFY(!h.window()->terminate());  // the settings were not written
        QVERIFY(!dialog.isVisible());
        QVERIFY(GuiHarness::messageTexts().isEmpty());
        QVERIFY(!h.window()->isVisible());
        QVERIFY(h.driverCalls().contains("close"));  // the other close steps ran
    }

    void unreadableFileIsSetAsideAndToldOnce() {
        QTemporaryDir dir;
        const QByteArray damaged = QByteArray("[Fset]\nsa") + QByteArray(64, '\0');
        writeIni(dir.path(), damaged);
        {
            GuiHarness h(dir.path());
            const QStringList texts = GuiHarness::messageTexts();
            QCOMPARE(texts.size(), 1);
            QVERIFY2(texts[0].contains("set.ini.bad"), qPrintable(texts[0]));
            // the options keep their defaults
            QVERIFY(h.find<QCheckBox>("chkSave")->isChecked());
            QVERIFY(h.find<QCheckBox>("chkCOM")->isChecked());
            QVERIFY(!h.find<QCheckBox>("chkTCPIP")->isChecked());
            h.close();
        }
        QCOMPARE(readFile(dir.path() + "/pf/set.ini.bad"), damaged);
        QVERIFY(readFile(dir.path() + "/pf/set.ini").contains("save=1"));
        GuiHarness again(dir.path());
        QVERIFY(GuiHarness::messageTexts().isEmpty());
        QVERIFY(again.find<QCheckBox>("chkSave")->isChecked());
    }

    void portNumbersAndAddressesByLength() {
        testing_support::useBench(R"({"pc": {"serialcomm": [{"value": "\\Device\\x123",
            "port": "COM123"}]}, "registers": [{"com": "COM123", "model": "АТОЛ 91Ф",
            "serial": "777", "units": {"firmware": "3.1", "configuration": "3.1"}}]})");
        QTemporaryDir dir;
        writeIni(dir.path(), "[Fset]\nsave=1\ncom=1\nip=0\n[SavedKKM1]\nkkm=x\nkkmcom=COM123\n");
        GuiHarness h(dir.path());
        auto& conn = h.window()->connectPage->connection();
        // four characters are neither a port number nor an address: nothing is opened
        QCOMPARE(conn.check_openKKM_com("1234", true), QString());
        QVERIFY(!h.driverCalls().contains("open"));
        QCOMPARE(conn.check_openKKM_com("123", false),
                 QString("АТОЛ 91Ф (№ 777) / Версия ПО: 3.1"));
        QVERIFY(!h.window()->session().fptr()->isOpened());  // stayconnect false closes again
        h.selectRow("lvKKMconnect", 0);
        h.click("btnConnectKKM");
        QCOMPARE(h.window()->session().comConnected(), QString("COM123"));
    }

    void columnOptions() {
        GuiHarness h;
        auto* list = h.list("lvKKMconnect");
        QVERIFY(!list->isColumnHidden(app::colCom));
        QVERIFY(list->isColumnHidden(app::colIp));
        QVERIFY(list->isColumnHidden(app::colKkmProxy));
        h.click("chkTCPIP");
        QVERIFY(!list->isColumnHidden(app::colIp));
        h.click("chkCOM");
        QVERIFY(list->isColumnHidden(app::colCom));
        QVERIFY(list->isColumnHidden(app::colEou));
        QVERIFY(list->isColumnHidden(app::colState));
        QVERIFY(list->columnWidth(app::colKkm) >= 100);
        QCOMPARE(list->columnWidth(app::colKkm), list->width() - 100 + 1);
    }
};

QTEST_MAIN(TestConnection)
#include "test_connection.moc"
