// The driver download dialog end to end: a loopback HTTPS server with the tests' own authority,
// the dialog's own controls clicked, and the labels, files, messages and opened installers
// checked. Sizes are shown in a Russian number format.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/ui/widgets/MessageBox.h"
#include "tests/support/HttpsTestServer.h"
#include "update/Texts.h"
#include "update/ui/TFormUpdate.h"

using namespace test_update;
using update::TFormUpdate;

namespace {

class FakeDesktop : public update::IDesktop {
  public:
    QString downloads;
    std::optional<QByteArray> inf;
    QStringList openedFiles;
    QList<QUrl> openedUrls;
    int ended = 0;
    bool openWorks = true;

    QString downloadsDir() override { return downloads; }
    bool openFile(const QString& path) override {
        openedFiles << path;
        return openWorks;
    }
    bool openUrl(const QUrl& url) override {
        openedUrls << url;
        return true;
    }
    std::optional<QByteArray> readSystemFile(const QString& path) override {
        return path == update::kUsbcomInfPath ? inf : std::nullopt;
    }
    void endProgram() override { ++ended; }
};

const QByteArray kInf = "[Version]\r\nClass=Ports\r\nDriverVer=05/18/2017,1.26.0.0\r\n";
const QString k64Name = QStringLiteral("KKT10-10.10.7.0-windows64-setup.exe");
const QString kUsbcomName = QStringLiteral("ATOL USB-COM Driver 1.26.0_2017-05-18.exe");

QStringList messageTexts() {
    QStringList out;
    for (const auto& r : ui::MessageBox::history()) out << r.text;
    return out;
}

Route slowFile(const QByteArray& body) {
    Route r = file(body);
    r.chunk = 16 * 1024;
    r.delayMs = 25;
    return r;
}

}  // namespace

class TestUpdateDialog : public QObject {
    Q_OBJECT

    QTemporaryDir tmp_;
    FakeDesktop desktop_;
    std::unique_ptr<HttpsServer> server_;
    std::unique_ptr<TFormUpdate> dlg_;
    QStringList log_;
    int run_ = 0;
    QByteArray body64_ = payload(200 * 1024, 5);
    QByteArray bodyUsbcom_ = payload(96 * 1024, 9);

    // A distributor's site with the example version and a full, a 64-bit and a USB-COM file.
    void serve(Site site = {}, const QString& certificate = "server.pem") {
        server_ = std::make_unique<HttpsServer>(certificate);
        QVERIFY(server_->listening());
        if (!site.full) site.full = announced(12582912);
        if (!site.bit64) site.bit64 = file(body64_);
        if (!site.usbcom) site.usbcom = file(bodyUsbcom_);
        layOut(*server_, site);
    }

    // The main window's driver button, as the window calls it.
    void check(bool fptrOK = true) {
        dlg_->setServerBase(update::serverBase(server_->base()));
        dlg_->setDriverState(fptrOK, "10.9.5.0");
        dlg_->runCheck();
        QTRY_VERIFY_WITH_TIMEOUT(!dlg_->updater().checkRunning(), 20000);
    }

    QStringList downloads() const {
        return QDir(desktop_.downloads).entryList(QDir::Files | QDir::Hidden);
    }
    QByteArray downloaded(const QString& name) const {
        QFile f(QDir(desktop_.downloads).filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

  private slots:
    void initTestCase() {
        // The dialog is made at start-up with the window, but loading the TLS backend (a third
        // of a second) waits for the first request.
        const auto tlsLoaded = [] {
            QFile maps("/proc/self/maps");
            return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/plugins/tls/");
        };
        QVERIFY(!tlsLoaded());
        FakeDesktop desktop;
        TFormUpdate dialog(&desktop);
        dialog.setServerBase(update::serverBase({}));
        QVERIFY(!tlsLoaded());
    }

    void init() {
        ui::MessageBox::setTestMode(true);
        ui::MessageBox::clearHistory();
        desktop_ = FakeDesktop{};
        desktop_.downloads = tmp_.filePath(QStringLiteral("Downloads%1").arg(++run_));
        desktop_.inf = kInf;
        log_.clear();
        dlg_ = std::make_unique<TFormUpdate>(&desktop_);
        dlg_->updater().setExtraCaCertificates(testCa());
        dlg_->updater().setForLinux(false);  // the Windows packages, unless a test says otherwise
        dlg_->setServiceLog([this](const QString& l) { log_ << l; });
    }
    void cleanup() {
        dlg_.reset();
        server_.reset();
    }

    void controlsAndCaptions() {
        QCOMPARE(dlg_->objectName(), QString("TFormUpdate"));
        QCOMPARE(dlg_->windowTitle(), QString("Загрузка драйверов"));
        for (const char* name : {"lblNowVer", "lblNewVer", "lblFullSize", "lbl32Size", "lbl64Size",
                                 "lblNowVer_usbcom", "lblNewVer_usbcom"})
            QVERIFY2(dlg_->findChild<QLabel*>(name), name);
        for (const char* name : {"prgDown", "prgDown_usbcom"})
            QVERIFY2(dlg_->findChild<QProgressBar*>(name), name);
        QCOMPARE(dlg_->findChild<QPushButton*>("btnDrvDown")->text(), QString("Скачать"));
        QCOMPARE(dlg_->findChild<QPushButton*>("btnDrvDown_usbcom")->text(), QString("Скачать"));
        QCOMPARE(dlg_->findChild<QPushButton*>("btnDrvOldVers")->text(), QString("Другие"));
        QCOMPARE(dlg_->findChild<QRadioButton*>("rbFull")->text(),
                 QString("Драйверы ККТ - Полный архив"));
        QCOMPARE(dlg_->findChild<QRadioButton*>("rb32")->text(), QString("Драйверы ККТ - 32 bit"));
        QCOMPARE(dlg_->findChild<QRadioButton*>("rb64")->text(), QString("Драйверы ККТ - 64 bit"));
        QStringList captions;
        for (QLabel* l : dlg_->findChildren<QLabel*>()) captions << l->text();
        QCOMPARE(captions.count("Установленная версия:"), 2);
        QVERIFY(captions.contains("Последняя версия:"));
        QVERIFY(captions.contains("Доступна для скачивания:"));
    }

    void checkFillsTheDialog() {
        serve();
        check();
        QVERIFY(dlg_->isVisible());
        QVERIFY(!dlg_->isModal());
        QCOMPARE(dlg_->lblNowVer->text(), QString("10.9.5.0"));
        QCOMPARE(dlg_->lblNowVer_usbcom->text(), QString("1.26.0.0"));
        QCOMPARE(dlg_->lblNewVer->text(), QString("10.10.7.0"));
        QCOMPARE(dlg_->lblFullSize->text(), QString("(12,0 МБ)"));
        QCOMPARE(dlg_->lbl32Size->text(), QString("(0,0 МБ)"));
        QCOMPARE(dlg_->lbl64Size->text(), QString("(0,2 МБ)"));
        QCOMPARE(dlg_->lblNewVer_usbcom->text(), QString("1.26.0.0   (0,1 МБ)"));
        QCOMPARE(dlg_->rb64->isChecked(), sizeof(void*) == 8);
        QCOMPARE(dlg_->prgDown->value(), 0);
        QVERIFY(ui::MessageBox::history().isEmpty());

        // Nothing installed: both installed versions read "Нет".
        desktop_.inf.reset();
        dlg_->setDriverState(false, QString());
        dlg_->runCheck();  // the dialog is still open, its installed versions are filled anew
        QCOMPARE(dlg_->lblNowVer->text(), QString("Нет"));
        QCOMPARE(dlg_->lblNowVer_usbcom->text(), QString("Нет"));
        QCOMPARE(dlg_->lblNewVer->text(), QString(""));  // reset while the check runs
        QTRY_VERIFY_WITH_TIMEOUT(!dlg_->updater().checkRunning(), 20000);
        QCOMPARE(dlg_->lblNewVer->text(), QString("10.10.7.0"));
    }

    void driverDownloadedAndProgramClosed() {
        serve();
        check(true);
        ui::MessageBox::setNextAnswer(QMessageBox::Yes);
        QTest::mouseClick(dlg_->btnDrvDown, Qt::LeftButton);
        QCOMPARE(dlg_->btnDrvDown->text(), QString("Отмена"));
        QTRY_COMPARE_WITH_TIMEOUT(desktop_.openedFiles.size(), 1, 20000);
        const QString target = QDir(desktop_.downloads).filePath(k64Name);
        QCOMPARE(desktop_.openedFiles.value(0), target);
        QCOMPARE(downloaded(k64Name), body64_);
        QCOMPARE(downloads(), QStringList({k64Name}));
        QCOMPARE(desktop_.ended, 1);
        QVERIFY(!dlg_->isVisible());
        QCOMPARE(dlg_->windowTitle(), QString("Загрузка драйверов"));
        QCOMPARE(dlg_->btnDrvDown->text(), QString("Скачать"));
        QCOMPARE(ui::MessageBox::history().size(), 1);
        const auto question = ui::MessageBox::history().value(0);
        QCOMPARE(question.text, QString("Драйвер загружен и готов к установке. На время установки "
                                        "программу нужно закрыть, закрыть сейчас?"));
        QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(question.icon, ui::Icon::Information);
        QCOMPARE(question.title, ui::appTitle());
        // The address and the target went to the service log.
        QCOMPARE(log_, QStringList({server_->url(withVersion(k64Path, "10.10.7.0")), target}));
    }

    void driverDownloadedProgramStays() {
        serve();
        check(true);
        dlg_->rbFull->setChecked(true);
        // The full archive's HEAD announced 12 MiB, its GET brings an empty file: not kept.
        QTest::mouseClick(dlg_->btnDrvDown, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(messageTexts(), QStringList({"Не удалось загрузить файл"}),
                                  20000);
        QVERIFY(server_->requests().contains("GET /KKT/10.10.7.0/full.zip"));
        QVERIFY(downloads().isEmpty());
        QVERIFY(desktop_.openedFiles.isEmpty());
        QVERIFY(dlg_->isVisible());

        ui::MessageBox::clearHistory();
        dlg_->rb64->setChecked(true);
        ui::MessageBox::setNextAnswer(QMessageBox::No);
        QTest::mouseClick(dlg_->btnDrvDown, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(desktop_.openedFiles.size(), 1, 20000);
        QCOMPARE(desktop_.ended, 0);
        QCOMPARE(downloaded(k64Name), body64_);
    }

    void driverDownloadedWithoutBoundDriver() {
        serve();
        check(false);
        QTest::mouseClick(dlg_->btnDrvDown, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(desktop_.openedFiles.size(), 1, 20000);
        QCOMPARE(messageTexts(), QStringList({"Драйвер загружен и готов к установке. После "
                                              "установки программу нужно перезапустить."}));
        QCOMPARE(desktop_.ended, 0);
    }

    void usbcomDownloaded() {
        serve();
        check();
        QTest::mouseClick(dlg_->btnDrvDown_usbcom, Qt::LeftButton);
        QCOMPARE(dlg_->btnDrvDown_usbcom->text(), QString("Отмена"));
        QTRY_COMPARE_WITH_TIMEOUT(desktop_.openedFiles.size(), 1, 20000);
        QCOMPARE(desktop_.openedFiles.value(0), QDir(desktop_.downloads).filePath(kUsbcomName));
        QCOMPARE(downloaded(kUsbcomName), bodyUsbcom_);
        QCOMPARE(messageTexts(),
                 QStringList({"Драйвер загружен и готов к установке. После установки, устройства "
                              "KKM возможно понадобится переподключить или перезагрузить."}));
        QVERIFY(!dlg_->isVisible());
        QCOMPARE(dlg_->btnDrvDown_usbcom->text(), QString("Скачать"));
        QCOMPARE(desktop_.ended, 0);
    }

    void cancelASlowDownload() {
        Site site;
        site.bit64 = slowFile(payload(3 * 1024 * 1024));
        serve(site);
        check();
        QTest::mouseClick(dlg_->btnDrvDown, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(dlg_->prgDown->value() > 0, 20000);
        QVERIFY(dlg_->windowTitle().startsWith("Загрузка драйверов ("));
        QVERIFY(dlg_->windowTitle().endsWith("%)"));
        QCOMPARE(dlg_->prgDown->maximum(), 3 * 1024 * 1024);
        const QString temporary = dlg_->updater().temporaryPath(update::Slot::Driver);
        QVERIFY(QFileInfo::exists(temporary));

        // The other button does nothing while this download runs.
        QTest::mouseClick(dlg_->btnDrvDown_usbcom, Qt::LeftButton);
        QCOMPARE(dlg_->btnDrvDown_usbcom->text(), QString("Скачать"));
        QVERIFY(dlg_->updater().downloading(update::Slot::Driver));

        QTest::mouseClick(dlg_->btnDrvDown, Qt::LeftButton);  // Отмена
        QCOMPARE(dlg_->btnDrvDown->text(), QString("Скачать"));
        QCOMPARE(dlg_->prgDown->value(), 0);
        QCOMPARE(dlg_->windowTitle(), QString("Загрузка драйверов"));
        QVERIFY(!dlg_->updater().downloading(update::Slot::Driver));
        QVERIFY(!QFileInfo::exists(temporary));
        QVERIFY(downloads().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(server_->brokenOff(), 1, 5000);
        QTest::qWait(100);
        QCOMPARE(dlg_->prgDown->value(), 0);
        QVERIFY(ui::MessageBox::history().isEmpty());
        QVERIFY(desktop_.openedFiles.isEmpty());
        QVERIFY(dlg_->isVisible());
    }

    void closingTheDialogStopsOnlyTheDriverDownload() {
        Site site;
        const QByteArray usbcom = payload(1024 * 1024);
        site.usbcom = slowFile(usbcom);
        site.bit64 = slowFile(payload(3 * 1024 * 1024));
        serve(site);
        check();
        QTest::mouseClick(dlg_->btnDrvDown, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(dlg_->windowTitle().contains('%'), 20000);
        dlg_->close();
        QVERIFY(!dlg_->isVisible());
        QVERIFY(!dlg_->updater().anyDownloading());
        QCOMPARE(dlg_->btnDrvDown->text(), QString("Скачать"));
        QVERIFY(dlg_->btnDrvDown->isEnabled());
        QVERIFY(downloads().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(server_->brokenOff(), 1, 5000);

        // The USB-COM download outlives the dialog and ends as it would with the dialog open.
        check();
        QTest::mouseClick(dlg_->btnDrvDown_usbcom, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(dlg_->windowTitle().contains('%'), 20000);
        dlg_->close();
        QVERIFY(dlg_->updater().downloading(update::Slot::Usbcom));
        QTRY_COMPARE_WITH_TIMEOUT(desktop_.openedFiles.size(), 1, 30000);
        QCOMPARE(downloaded(kUsbcomName), usbcom);
        QCOMPARE(server_->brokenOff(), 1);
        QCOMPARE(messageTexts().size(), 1);
        QVERIFY(messageTexts().value(0).startsWith("Драйвер загружен и готов к установке."));
    }

    void onLinuxTheLinuxPackageOrAWord() {
        dlg_->updater().setForLinux(true);
        // A list without a Linux package: no Windows installer is fetched.
        serve();
        check();
        QCOMPARE(dlg_->lblNewVer->text(), QString("10.10.7.0"));
        QTest::mouseClick(dlg_->btnDrvDown, Qt::LeftButton);
        QCOMPARE(messageTexts(),
                 QStringList({"Для Linux скачайте пакет драйвера с сайта производителя"}));
        QCOMPARE(dlg_->btnDrvDown->text(), QString("Скачать"));
        QVERIFY(!dlg_->updater().anyDownloading());

        // A list with one: that package, whichever Windows package is chosen.
        ui::MessageBox::clearHistory();
        Site site;
        const QByteArray deb = payload(150 * 1024, 7);
        site.linuxPackage = file(deb);
        serve(site);
        check();
        QCOMPARE(dlg_->lblNewVer->text(), QString("10.10.7.0 (пакет для Linux)"));
        dlg_->rbFull->setChecked(true);
        QTest::mouseClick(dlg_->btnDrvDown, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(desktop_.openedFiles.size(), 1, 20000);
        const QString name = QStringLiteral("libfptr10_10.10.7.0_amd64.deb");
        QCOMPARE(desktop_.openedFiles.value(0), QDir(desktop_.downloads).filePath(name));
        QCOMPARE(downloaded(name), deb);
        QVERIFY(!server_->requests().contains("GET /KKT/10.10.7.0/full.zip"));
    }

    void serverUnavailable() {
        server_ = std::make_unique<HttpsServer>();  // knows no file
        check();
        QCOMPARE(dlg_->lblNewVer->text(), QString("Сервер недоступен"));
        QCOMPARE(dlg_->lblNewVer_usbcom->text(), QString(""));
        QVERIFY(ui::MessageBox::history().isEmpty());
        QTest::mouseClick(dlg_->btnDrvDown, Qt::LeftButton);
        QTest::mouseClick(dlg_->btnDrvDown_usbcom, Qt::LeftButton);
        QCOMPARE(messageTexts(), QStringList({"Сервер недоступен", "Сервер недоступен"}));
        QCOMPARE(dlg_->btnDrvDown->text(), QString("Скачать"));
        QCOMPARE(server_->requests().size(), 1);  // only the version list was asked for
    }

    void transferBrokenOff() {
        Site site;
        Route cut = file(payload(400 * 1024));
        cut.dropAfter = 100 * 1024;
        site.bit64 = cut;
        serve(site);
        check();
        QTest::mouseClick(dlg_->btnDrvDown, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(messageTexts(), QStringList({"Не удалось загрузить файл"}),
                                  20000);
        QCOMPARE(dlg_->btnDrvDown->text(), QString("Скачать"));
        QCOMPARE(dlg_->windowTitle(), QString("Загрузка драйверов"));
        QVERIFY(downloads().isEmpty());
        QVERIFY(desktop_.openedFiles.isEmpty());
        QVERIFY(dlg_->isVisible());
        QCOMPARE(log_.size(), 3);  // address, target, and what went wrong
    }

    void refusedCertificate() {
        serve({}, "wronghost.pem");
        check();
        QCOMPARE(dlg_->lblNewVer->text(), QString("Сервер недоступен"));
        QCOMPARE(ui::MessageBox::history().size(), 1);
        QVERIFY(ui::MessageBox::history()[0].text.startsWith(update::text::kTlsRefused));
        QVERIFY(ui::MessageBox::history()[0].text.contains("другого имени сервера"));
        QVERIFY(server_->requests().isEmpty());
    }

    void otherVersionsPage() {
        serve();
        dlg_->setServerBase(update::serverBase(server_->base()));
        QTest::mouseClick(dlg_->btnDrvOldVers, Qt::LeftButton);
        QCOMPARE(desktop_.openedUrls,
                 QList<QUrl>({QUrl(server_->url("/drajvery-atol-kkt-versiya-10/"))}));
    }

    void installerThatCannotBeOpened() {
        serve();
        check(true);
        desktop_.openWorks = false;
        ui::MessageBox::setNextAnswer(QMessageBox::Yes);
        QTest::mouseClick(dlg_->btnDrvDown, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(ui::MessageBox::history().size(), 2, 20000);
        QCOMPARE(ui::MessageBox::history()[1].text,
                 "Не удалось открыть файл " + QDir(desktop_.downloads).filePath(k64Name));
        QCOMPARE(desktop_.ended, 0);  // the program stays when nothing could be started
    }
};

int main(int argc, char** argv) {
    // Sizes in a Russian number format, whatever the machine's own.
    qputenv("LC_ALL", "ru_RU.UTF-8");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestUpdateDialog t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_update_dialog.moc"
