// The Сервис tab in the real window: text printing with its lists per platform, barcodes with
// every control rule, both clocks, the register clock with its confirmation print, the PC clock
// from an NTP server on loopback (through a setter that never touches the machine's clock), the
// maintenance commands and the information report of the ККМ tab.
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

#include "driver/ValueText.h"
#include "emulator/Bench.h"
#include "emulator/PrintJournal.h"
#include "emulator/Register.h"
#include "service/Maintenance.h"
#include "service/PcClock.h"
#include "service/Sntp.h"
#include "service/ui/ServPage.h"
#include "tests/gui/test_info_support.h"

using testing_support::GuiHarness;
using namespace info_test;

namespace {

// Connects as the connection action does, so the print lists are refilled.
bool connectWindow(GuiHarness& h, const QString& portOrIp) {
    if (!connectTo(h, portOrIp)) return false;
    h.window()->session().announceConnected();
    return true;
}

// The demo bench's USB register (platform 5) and network register (platform 3).
std::shared_ptr<emu::Register> usbRegister() {
    return emu::World::instance().reg(0);
}
std::shared_ptr<emu::Register> lanRegister() {
    return emu::World::instance().reg(1);
}

QStringList items(QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
    return out;
}

QStringList numbers(int from, int to) {
    QStringList out;
    for (int i = from; i <= to; ++i) out << QString::number(i);
    return out;
}

// The argument of the last setParam of `name` logged from `from` on, as text.
QString paramText(GuiHarness& h, int from, const char* name) {
    const int id = h.window()->session().fptr()->c(QLatin1String(name));
    const QString head = QStringLiteral("setParam(%1,").arg(id);
    QString value = QStringLiteral("<unset>");
    for (const QString& c : callsFrom(h, from))
        if (c.startsWith(head)) value = c.mid(head.size(), c.size() - head.size() - 1);
    return value;
}

void chooseSymbology(GuiHarness& h, const QString& item) {
    auto* box = h.find<QComboBox>("cbPrintBarCodes");
    const int i = box->findText(item);
    QVERIFY2(i >= 0, qPrintable(item));
    box->setCurrentIndex(i);
}

// Types over the whole text of the box, as a user who selected it all (an empty text: the
// selection deleted).
void typeInto(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Backspace);
    else
        QTest::keyClicks(box, text);
}

// A UDP time server on loopback that answers with its clock `shiftSecs` ahead of the PC's, or
// stays silent.
class LoopbackNtpServer : public QObject {
  public:
    QUdpSocket socket;
    qint64 shiftSecs = 0;
    std::optional<quint32> fixedSeconds;  // the seconds of every timestamp sent, as they stand
    bool silent = false;
    int requests = 0;

    LoopbackNtpServer() {
        if (!socket.bind(QHostAddress::LocalHost, 0)) qWarning("no loopback port for the server");
        connect(&socket, &QUdpSocket::readyRead, this, [this] { serve(); });
    }
    quint16 port() const { return socket.localPort(); }

  private:
    void serve() {
        while (socket.hasPendingDatagrams()) {
            const QNetworkDatagram d = socket.receiveDatagram();
            ++requests;
            const auto request = service::NtpPacket::decode(d.data());
            if (silent || !request) continue;
            const qint64 now = QDateTime::currentMSecsSinceEpoch() * 1000 + shiftSecs * 1000000;
            service::NtpPacket p;
            p.version = request->version;
            p.mode = 4;
            p.stratum = 2;
            p.referenceId = 0x47505300;  // "GPS"
            p.reference = service::toNtp(now - 16000000);
            p.originate = request->transmit;
            p.receive = service::toNtp(now);
            p.transmit = service::toNtp(now);
            if (fixedSeconds) p.receive = p.transmit = {*fixedSeconds, 0};
            socket.writeDatagram(p.encode(), d.senderAddress(), quint16(d.senderPort()));
        }
    }
};

// Records what the PC clock would be set to; the machine's clock is never changed.
class RecordingSetter : public service::IClockSetter {
  public:
    QList<QDateTime> calls;
    service::ClockSetResult answer{true, 0, {}};
    service::ClockSetResult setSystemClock(const QDateTime& utc) override {
        calls << utc;
        return answer;
    }
};

}  // namespace

class TestServicePage : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void init() {
        testing_support::useBench({});
        ui::MessageBox::clearHistory();
    }

    void controlsBeforeAConnection() {
        GuiHarness h;
        h.selectTab("tabServ");
        h.screenshot("service_page");
        QCOMPARE(items(h.find<QComboBox>("cbbPrintPos")),
                 QStringList({"Слева", "По центру", "Справа"}));
        QCOMPARE(h.find<QComboBox>("cbbPrintPos")->currentText(), QString("По центру"));
        QCOMPARE(h.find<QComboBox>("cbPrintBarCodes")->currentText(), QString("EAN-8"));
        QCOMPARE(h.find<QLineEdit>("edtPrintBCotstup")->text(), QString("0"));
        QCOMPARE(h.find<QLineEdit>("edtPrintBCHeigth")->text(), QString("32"));
        QCOMPARE(h.find<QLineEdit>("edtPrintBCKoefUvel")->text(), QString("1"));
        QCOMPARE(h.find<QComboBox>("cbbPrintBCcorrect")->currentText(), QString("По умолчанию"));
        QVERIFY(!h.find<QComboBox>("cbbPrintBCcorrect")->isEnabled());
        QCOMPARE(h.find<QComboBox>("cbbPrintBCvers_stolb")->currentText(), QString("0"));
        QVERIFY(!h.find<QComboBox>("cbbPrintBCvers_stolb")->isEnabled());
        QVERIFY(!h.find<QCheckBox>("cbbPrintBCdata")->isChecked());
        QCOMPARE(h.find<QLineEdit>("edtNTPserver")->text(),
                 QString::fromLatin1(service::kDefaultNtpServer));
        QCOMPARE(h.find<QPushButton>("btnBeep")->text(), QString("Звукой сигнал"));
        QCOMPARE(h.find<QPushButton>("btnSetSyncFromPC")->text(), QString("Синхронизировать c ПК"));
        // the manual picker starts at the PC time
        QVERIFY(qAbs(h.find<QDateTimeEdit>("dtSetTimeManual")
                         ->dateTime()
                         .secsTo(QDateTime::currentDateTime())) < 120);

        // every register command wants a connection and sends nothing without one
        const int from = h.driverLog().size();
        const QStringList buttons = {"btnKKMprintText",  "btnPrintBarcode", "btnSetSyncFromPC",
                                     "btnSetTimeManual", "btnSetTehObnul",  "btnSetReboot",
                                     "btnSetPowerOff",   "btnOpenDYA",      "btnBeep",
                                     "btnFeed",          "btnCutCHL"};
        for (const QString& b : buttons) h.click(b);
        QCOMPARE(h.messageTexts(), QStringList(buttons.size(), "ККМ не подключена"));
        h.selectTab("tabKKMinfo");
        h.click("btnKKMreport");
        QCOMPARE(h.messageTexts().size(), buttons.size() + 1);
        QCOMPARE(callsFrom(h, from), QStringList());
    }

    void textPrintListsPerPlatformAndThePrint() {
        GuiHarness h;
        h.selectTab("tabServ");
        auto* font = h.find<QComboBox>("cbbPrintFont");
        auto* bright = h.find<QComboBox>("cbbPrintBright");
        auto* spacing = h.find<QComboBox>("cbbPrintStrInterval");

        // the network register is an older platform
        QVERIFY(connectWindow(h, "192.168.77.40"));
        QCOMPARE(items(font), numbers(1, 7));
        QCOMPARE(font->currentText(), QString("1"));
        QCOMPARE(items(bright), numbers(0, 15));
        QCOMPARE(bright->currentText(), QString("12"));
        QVERIFY(bright->isEnabled());
        QCOMPARE(spacing->currentText(), QString("5"));
        font->setCurrentIndex(font->findText("3"));
        bright->setCurrentIndex(bright->findText("15"));
        h.find<QComboBox>("cbbPrintPos")->setCurrentIndex(0);
        h.find<QCheckBox>("cbPrintTextDbHeigth")->setChecked(true);
        h.find<QPlainTextEdit>("mmoKKMprintText")->setPlainText("Строка 1\nСтрока 2");
        lanRegister()->journal->clear();
        int from = h.driverLog().size();
        h.click("btnKKMprintText");
        QVERIFY(h.messageTexts().isEmpty());
        QCOMPARE(callsFrom(h, from).filter("printText").size(), 1);
        QCOMPARE(callsFrom(h, from).filter("beginNonfiscalDocument").size(), 0);
        QCOMPARE(paramText(h, from, "LIBFPTR_PARAM_FONT"), QString("3"));
        QCOMPARE(paramText(h, from, "LIBFPTR_PARAM_ALIGNMENT"), QString("0"));
        auto printed = lanRegister()->journal->items();
        QCOMPARE(printed.size(), 1);
        QCOMPARE(printed[0].kind, QString("text"));
        QCOMPARE(printed[0].text, QString("Строка 1\nСтрока 2"));
        QCOMPARE(printed[0].extra.value("font").toString(), QString("3"));
        QCOMPARE(printed[0].extra.value("brightness").toString(), QString("15"));
        QCOMPARE(printed[0].extra.value("lineSpacing").toString(), QString("5"));
        QCOMPARE(printed[0].extra.value("alignment").toString(), QString("0"));
        QCOMPARE(printed[0].extra.value("doubleHeight").toBool(), true);
        QCOMPARE(printed[0].extra.value("doubleWidth").toBool(), false);

        // a platform-5 register: fonts 0 to 3, no brightness or spacing; the lists are rebuilt
        QVERIFY(connectWindow(h, "5"));
        QCOMPARE(items(font), numbers(0, 3));
        QCOMPARE(font->currentText(), QString("0"));
        QCOMPARE(bright->count(), 0);
        QVERIFY(!bright->isEnabled());
        QVERIFY(!spacing->isEnabled());
        h.find<QPlainTextEdit>("mmoKKMprintText")->clear();
        usbRegister()->journal->clear();
        from = h.driverLog().size();
        h.click("btnKKMprintText");
        QCOMPARE(paramText(h, from, "LIBFPTR_PARAM_BRIGHTNESS"), QString(""));
        QCOMPARE(paramText(h, from, "LIBFPTR_PARAM_LINESPACING"), QString(""));
        printed = usbRegister()->journal->items();
        QCOMPARE(printed.size(), 1);  // an empty text is printed too
        QCOMPARE(printed[0].text, QString(""));
        QCOMPARE(printed[0].extra.value("font").toString(), QString("0"));
    }

    void symbologyChangesAndRangeChecks() {
        GuiHarness h;
        h.selectTab("tabServ");
        auto* height = h.find<QLineEdit>("edtPrintBCHeigth");
        auto* scale = h.find<QLineEdit>("edtPrintBCKoefUvel");
        auto* margin = h.find<QLineEdit>("edtPrintBCotstup");
        auto* correct = h.find<QComboBox>("cbbPrintBCcorrect");
        auto* vers = h.find<QComboBox>("cbbPrintBCvers_stolb");
        auto* label = h.find<QLabel>("lblBCvers_stolb");

        chooseSymbology(h, "QR-код");
        QCOMPARE(scale->text(), QString("7"));
        QVERIFY(!height->isEnabled());
        QVERIFY(correct->isEnabled() && vers->isEnabled());
        QCOMPARE(label->text(), QString("Версия"));
        QCOMPARE(items(correct).size(), 5);
        QCOMPARE(correct->itemText(4), QString("Уровень H (30%)"));
        QCOMPARE(items(vers), numbers(0, 40));
        QCOMPARE(vers->currentText(), QString("0"));

        chooseSymbology(h, "EAN-13");
        QCOMPARE(scale->text(), QString("1"));
        QVERIFY(height->isEnabled());
        QVERIFY(!correct->isEnabled() && !vers->isEnabled());
        QCOMPARE(items(vers), numbers(0, 40));  // the QR contents stay
        QCOMPARE(label->text(), QString("Версия"));

        chooseSymbology(h, "PDF417");
        QCOMPARE(label->text(), QString("Столбцы"));
        QCOMPARE(items(vers), numbers(1, 32));
        QCOMPARE(vers->currentText(), QString("1"));
        QCOMPARE(items(correct).size(), 10);
        QCOMPARE(correct->itemText(9), QString("Уровень 8"));
        QCOMPARE(scale->text(), QString("1"));

        // digits only; height and scale keep in range
        chooseSymbology(h, "Code 128");
        typeInto(height, "3a00");
        QCOMPARE(height->text(), QString("200"));
        typeInto(height, "");
        QCOMPARE(height->text(), QString("32"));
        typeInto(height, "150");
        QCOMPARE(height->text(), QString("150"));
        typeInto(scale, "");
        QCOMPARE(scale->text(), QString("1"));
        typeInto(scale, "75");
        QCOMPARE(scale->text(), QString("50"));
        typeInto(margin, "x999");
        QCOMPARE(margin->text(), QString("999"));  // no range for the margin

        // closing a list or the calendar up gives the focus to the panel
        auto* panel = h.find<QWidget>("Panel9");
        for (const char* name : {"cbbPrintPos", "cbbPrintFont", "cbPrintBarCodes",
                                 "cbbPrintBCcorrect", "cbbPrintBCvers_stolb"}) {
            height->setFocus();
            QVERIFY(!panel->hasFocus());
            emit h.find<QComboBox>(name)->activated(0);
            QVERIFY2(panel->hasFocus(), name);
        }
        auto* picker = h.find<QDateTimeEdit>("dtSetTimeManual");
        picker->setFocus();
        // the arrow at the picker's right end opens the calendar
        QTest::mouseClick(picker, Qt::LeftButton, {}, {picker->width() - 4, picker->height() / 2});
        QVERIFY(picker->calendarWidget()->isVisible());
        emit picker->calendarWidget()->clicked(QDate::currentDate());
        QVERIFY(panel->hasFocus());
    }

    void barcodePrints() {
        GuiHarness h;
        QVERIFY(connectWindow(h, "5"));
        h.selectTab("tabServ");
        auto reg = usbRegister();
        reg->journal->clear();

        // empty data sends nothing
        int from = h.driverLog().size();
        h.click("btnPrintBarcode");
        QCOMPARE(callsFrom(h, from), QStringList());

        // a QR code with level H and version 10
        chooseSymbology(h, "QR-код");
        h.find<QComboBox>("cbbPrintBCcorrect")->setCurrentIndex(4);
        h.find<QComboBox>("cbbPrintBCvers_stolb")->setCurrentIndex(10);
        h.find<QCheckBox>("cbbPrintBCdata")->setChecked(true);
        h.find<QPlainTextEdit>("mmoPrintBarcode")->setPlainText("t=20240304T1234&s=100.00");
        from = h.driverLog().size();
        h.click("btnPrintBarcode");
        QVERIFY(h.messageTexts().isEmpty());
        QCOMPARE(paramText(h, from, "LIBFPTR_PARAM_BARCODE_TYPE"), QString("11"));
        QCOMPARE(paramText(h, from, "LIBFPTR_PARAM_BARCODE_CORRECTION"), QString("4"));
        QCOMPARE(paramText(h, from, "LIBFPTR_PARAM_BARCODE_VERSION"), QString("10"));
        QCOMPARE(paramText(h, from, "LIBFPTR_PARAM_HEIGHT"), QString("32"));
        QCOMPARE(paramText(h, from, "LIBFPTR_PARAM_SCALE"), QString("7"));
        QCOMPARE(paramText(h, from, "LIBFPTR_PARAM_BARCODE_COLUMNS"), QString("<unset>"));
        auto printed = reg->journal->items();
        QCOMPARE(printed.size(), 1);
        QCOMPARE(printed[0].kind, QString("barcode"));
        QCOMPARE(printed[0].text, QString("t=20240304T1234&s=100.00"));
        QCOMPARE(printed[0].extra.value("type").toString(), QString("11"));
        QCOMPARE(printed[0].extra.value("correction").toString(), QString("4"));
        QCOMPARE(printed[0].extra.value("version").toString(), QString("10"));
        QCOMPARE(printed[0].extra.value("printText").toBool(), true);

        // PDF417 with the last level: its 512 correction codewords don't fit in 4 columns of
        // 90 rows, they do in 10
        chooseSymbology(h, "PDF417");
        h.find<QComboBox>("cbbPrintBCcorrect")->setCurrentIndex(9);
        h.find<QComboBox>("cbbPrintBCvers_stolb")->setCurrentIndex(3);
        from = h.driverLog().size();
        h.click("btnPrintBarcode");
        QCOMPARE(paramText(h, from, "LIBFPTR_PARAM_BARCODE_CORRECTION"), QString("9"));
        QCOMPARE(paramText(h, from, "LIBFPTR_PARAM_BARCODE_COLUMNS"), QString("4"));
        QCOMPARE(h.messageTexts(), QStringList({"(157) Неверные параметры штрихкода"}));
        QCOMPARE(reg->journal->size(), 1);
        ui::MessageBox::clearHistory();
        h.find<QComboBox>("cbbPrintBCvers_stolb")->setCurrentIndex(9);
        h.click("btnPrintBarcode");
        QVERIFY(h.messageTexts().isEmpty());
        QCOMPARE(reg->journal->size(), 2);
        QCOMPARE(reg->journal->items().last().extra.value("columns").toString(), QString("10"));
        QCOMPARE(reg->journal->items().last().extra.value("correction").toString(), QString("9"));

        // EAN-8 sends no correction, the register refuses data it can't encode
        chooseSymbology(h, "EAN-8");
        h.find<QPlainTextEdit>("mmoPrintBarcode")->setPlainText("12345AB");
        const int before = reg->journal->size();
        from = h.driverLog().size();
        h.click("btnPrintBarcode");
        QCOMPARE(paramText(h, from, "LIBFPTR_PARAM_BARCODE_CORRECTION"), QString("<unset>"));
        QCOMPARE(h.messageTexts(), QStringList({"(157) Неверные параметры штрихкода"}));
        QCOMPARE(reg->journal->size(), before);
        ui::MessageBox::clearHistory();
        h.find<QPlainTextEdit>("mmoPrintBarcode")->setPlainText("4601234");
        h.click("btnPrintBarcode");
        QVERIFY(h.messageTexts().isEmpty());
        QCOMPARE(reg->journal->texts("barcode").last(), QString("4601234"));
        QCOMPARE(reg->journal->items().last().extra.value("type").toString(), QString("0"));
    }

    void clocksShownWhileTheTabIsActive() {
        GuiHarness h;
        auto* page = h.window()->servPage;
        h.selectTab("tabServ");
        page->timerTick();
        QVERIFY(!h.find<QLineEdit>("edtSysTime")->text().isEmpty());
        QVERIFY(h.find<QLineEdit>("edtKKMtime")->text().isEmpty());
        auto reg = usbRegister();
        reg->clockOffsetSeconds = -86400 * 400;  // the register's clock runs 400 days behind
        QVERIFY(connectWindow(h, "5"));
        const int from = h.driverLog().size();
        page->timerTick();
        const QDateTime shown = drv::parseDateTimeText(h.find<QLineEdit>("edtKKMtime")->text());
        QVERIFY(shown.isValid());
        QVERIFY(qAbs(shown.secsTo(reg->wallClock())) < 5);
        QVERIFY(callsFrom(h, from).filter("queryData").size() == 1);
        h.window()->session().setKkmConnected(false);
        page->timerTick();
        QVERIFY(h.find<QLineEdit>("edtKKMtime")->text().isEmpty());
    }

    void registerClockByHandAndFromThePc() {
        GuiHarness h;
        QVERIFY(connectWindow(h, "5"));
        h.selectTab("tabServ");
        auto reg = usbRegister();
        reg->journal->clear();
        const QDateTime picked(QDate(2031, 5, 17), QTime(9, 41, 7));
        h.find<QDateTimeEdit>("dtSetTimeManual")->setDateTime(picked);
        h.window()->servPage->timerTick();  // a picked time stays as picked
        QCOMPARE(h.find<QDateTimeEdit>("dtSetTimeManual")->dateTime(), picked);
        // asked first, naming the time; no writes nothing
        const QString question = "Установить в ККМ дату и время " + drv::dateTimeText(picked) + "?";
        ui::MessageBox::setNextAnswer(QMessageBox::Cancel);
        int from = h.driverLog().size();
        h.click("btnSetTimeManual");
        QCOMPARE(h.messageTexts(), QStringList({question}));
        QCOMPARE(h.messages()[0].defaultButton, QMessageBox::Cancel);
        QCOMPARE(callsFrom(h, from).filter("writeDateTime").size(), 0);
        QCOMPARE(reg->journal->size(), 0);
        ui::MessageBox::clearHistory();
        from = h.driverLog().size();
        h.click("btnSetTimeManual");
        QCOMPARE(h.messageTexts(), QStringList({question}));
        QStringList calls = callsFrom(h, from).filter(
            QRegularExpression("^(writeDateTime|printText|lineFeed|setParam)"));
        QCOMPARE(calls.filter("writeDateTime").size(), 1);
        QVERIFY(qAbs(reg->wallClock().secsTo(picked)) < 5);
        auto printed = reg->journal->items();
        QCOMPARE(printed.size(), 7);
        QCOMPARE(printed[0].text, QString(""));
        QCOMPARE(printed[1].text, "Дата и время установлены\r\n" + drv::dateTimeText(picked));
        for (int i = 2; i < 7; ++i) QCOMPARE(printed[i].kind, QString("lineFeed"));

        // from the PC clock
        reg->journal->clear();
        from = h.driverLog().size();
        h.click("btnSetSyncFromPC");
        QVERIFY(qAbs(reg->wallClock().secsTo(QDateTime::currentDateTime())) < 5);
        printed = reg->journal->items();
        QCOMPARE(printed.size(), 7);
        const QString prefix = QStringLiteral("Дата и время установлены\r\n");
        QVERIFY(printed[1].text.startsWith(prefix));
        const QDateTime printedTime = drv::parseDateTimeText(printed[1].text.mid(prefix.size()));
        QVERIFY(qAbs(printedTime.secsTo(QDateTime::currentDateTime())) < 5);

        // a refused write prints nothing: the register is gone from under the window
        reg->journal->clear();
        ui::MessageBox::clearHistory();
        h.window()->session().fptr()->close();
        h.click("btnSetTimeManual");
        QCOMPARE(h.messageTexts().size(), 2);  // the question, then the error
        QVERIFY(h.messageTexts()[1].startsWith("(1) "));
        QCOMPARE(reg->journal->size(), 0);
    }

    void untouchedPickerSetsThePcTimeOfTheClick() {
        GuiHarness h;
        QVERIFY(connectWindow(h, "5"));
        auto reg = usbRegister();
        QTest::qWait(3000);  // the window has been open a while, the tab never visited
        h.selectTab("tabServ");
        h.click("btnSetTimeManual");
        const qint64 behind = reg->wallClock().msecsTo(QDateTime::currentDateTime());
        QVERIFY2(qAbs(behind) < 1500, qPrintable(QString::number(behind)));
        // what the question named is the time of the click too
        const QString named = h.messageTexts().value(0).section(' ', 6).chopped(1);
        QVERIFY2(qAbs(drv::parseDateTimeText(named).secsTo(QDateTime::currentDateTime())) < 2,
                 qPrintable(named));
    }

    void technicalResetAndCommands() {
        GuiHarness h;
        QVERIFY(connectWindow(h, "5"));
        h.selectTab("tabServ");
        auto reg = usbRegister();
        reg->journal->clear();

        ui::MessageBox::setNextAnswer(QMessageBox::Cancel);
        int from = h.driverLog().size();
        h.click("btnSetTehObnul");
        QCOMPARE(callsFrom(h, from).filter("resetSettings").size(), 0);
        QCOMPARE(h.messageTexts().size(), 1);
        QVERIFY(h.messageTexts()[0].startsWith("При техобнуление будет выполнено:"));
        const auto question = h.messages()[0];
        QCOMPARE(question.icon, ui::Icon::Warning);
        QCOMPARE(question.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(question.defaultButton, QMessageBox::Cancel);
        // the box itself: Russian buttons, and Enter alone answers Cancel
        const auto box =
            ui::MessageBox::make(h.window(), question.text, question.icon, question.title,
                                 question.buttons, question.defaultButton);
        QCOMPARE(box->button(QMessageBox::Ok)->text(), QString("ОК"));
        QCOMPARE(box->button(QMessageBox::Cancel)->text(), QString("Отмена"));
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        QTest::keyClick(box.get(), Qt::Key_Return);
        QCOMPARE(box->clickedButton(), box->button(QMessageBox::Cancel));

        ui::MessageBox::clearHistory();
        ui::MessageBox::setNextAnswer(QMessageBox::Ok);
        from = h.driverLog().size();
        h.click("btnSetTehObnul");
        QCOMPARE(callsFrom(h, from).filter("resetSettings").size(), 1);
        QCOMPARE(h.messageTexts().last(),
                 QString("Выполнено. Перезагрузите ККМ вручную или командой."));
        auto* reset = h.find<QPushButton>("btnSetTehObnul");
        QCOMPARE(reset->text(), QString("Техобнуление ККМ"));
        QVERIFY(reset->isEnabled());

        ui::MessageBox::clearHistory();
        from = h.driverLog().size();
        for (const char* b : {"btnOpenDYA", "btnBeep", "btnFeed", "btnCutCHL", "btnSetReboot"})
            h.click(b);
        const QStringList calls = callsFrom(h, from);
        const int print = h.window()->session().fptr()->c("LIBFPTR_PARAM_PRINT_REPORT");
        QCOMPARE(calls.filter(
                     QRegularExpression("^(openDrawer|beep|lineFeed|cut|deviceReboot|setParam)")),
                 QStringList({"openDrawer()", "beep()", "lineFeed()", "cut()",
                              QStringLiteral("setParam(%1,0)").arg(print), "deviceReboot()"}));
        QStringList kinds;
        for (const auto& i : reg->journal->items()) kinds << i.kind;
        QCOMPARE(kinds, QStringList({"openDrawer", "beep", "lineFeed", "cut", "reboot"}));
        QCOMPARE(h.messageTexts(), QStringList({service::kRebootQuestion}));
        ui::MessageBox::clearHistory();

        // a cut without paper is refused and shown
        reg->flags.paperPresent = false;
        h.click("btnCutCHL");
        QCOMPARE(h.messageTexts(), QStringList({"(44) Нет бумаги"}));
        reg->flags.paperPresent = true;

        // a reboot or power off answered no sends nothing
        for (const char* b : {"btnSetReboot", "btnSetPowerOff"}) {
            ui::MessageBox::clearHistory();
            ui::MessageBox::setNextAnswer(QMessageBox::Cancel);
            from = h.driverLog().size();
            h.click(b);
            QCOMPARE(h.messageTexts().size(), 1);
            QCOMPARE(h.messages()[0].defaultButton, QMessageBox::Cancel);
            QVERIFY(!callsFrom(h, from).join(' ').contains(QRegularExpression("Reboot|Poweroff")));
        }
        QVERIFY(h.window()->session().kkmConnected());
    }

    void powerOffClosesTheConnection() {
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("pf"));
        QFile ini(dir.filePath("pf/set.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(
            "[Fset]\nsave=1\ncom=1\nip=0\n[SavedKKM1]\nkkm=АТОЛ 30Ф (№ 00106107311234)\n"
            "kkmcom=COM5\neoucom=COM6\nip=\nkkmproxy=atol-usbcom_proxy3\n"
            "eouproxy=atol-usbcom_proxy4\nspeed=115200\n");
        ini.close();
        GuiHarness h(dir.path());
        h.selectRow("lvKKMconnect", 0);
        h.click("btnConnectKKM");
        QVERIFY(h.window()->session().kkmConnected());
        QCOMPARE(h.rows("lvKKMconnect")[0][3], QString("Подключен"));
        h.selectTab("tabServ");
        const int from = h.driverLog().size();
        h.click("btnSetPowerOff");
        QCOMPARE(h.messageTexts(), QStringList({service::kPowerOffQuestion}));
        QCOMPARE(callsFrom(h, from).filter("devicePoweroff").size(), 1);
        QCOMPARE(usbRegister()->journal->items().last().kind, QString("poweroff"));
        QVERIFY(!h.window()->session().kkmConnected());
        QVERIFY(h.window()->session().comConnected().isEmpty());
        QCOMPARE(h.rows("lvKKMconnect")[0][3], QString("Доступен"));
        QCOMPARE(h.memo(), QStringList({"АТОЛ 30Ф (№ 00106107311234) - отключена"}));
        // the other commands now want a connection again
        ui::MessageBox::clearHistory();
        h.click("btnBeep");
        QCOMPARE(h.messageTexts(), QStringList({"ККМ не подключена"}));
    }

    void informationReportFromTheKkmTab() {
        GuiHarness h;
        QVERIFY(connectWindow(h, "5"));
        h.selectTab("tabKKMinfo");
        auto reg = usbRegister();
        reg->journal->clear();
        const int from = h.driverLog().size();
        h.click("btnKKMreport");
        const QStringList calls = callsFrom(h, from);
        QCOMPARE(calls.filter("report(").size(), 1);
        QCOMPARE(reg->journal->texts("report").size(), 1);
        QVERIFY(reg->journal->texts("report")[0].contains(reg->serial));
        // its errors are not shown
        reg->flags.coverOpened = true;
        h.click("btnKKMreport");
        QVERIFY(h.messageTexts().isEmpty());
        reg->flags.coverOpened = false;
    }

    void pcClockFromNtpOnLoopback() {
        GuiHarness h;  // no register connected: the NTP button does not need one
        h.selectTab("tabServ");
        auto* page = h.window()->servPage;
        LoopbackNtpServer server;
        server.shiftSecs = 3 * 3600;
        RecordingSetter setter;

        // no PC clock given to the window: said so, nothing queried
        h.click("btnSetSyncPCTimeFromNTP");
        QCOMPARE(h.messageTexts().size(), 1);
        QCOMPARE(server.requests, 0);
        ui::MessageBox::clearHistory();

        page->setClockSetter(&setter);
        page->setNtpServer(QStringLiteral("127.0.0.1"), server.port(), 2000);
        // the box beside the button only shows a name; changing it changes nothing
        h.find<QLineEdit>("edtNTPserver")->setText("time.invalid");
        h.click("btnSetSyncPCTimeFromNTP");
        QCOMPARE(server.requests, 1);
        QCOMPARE(setter.calls.size(), 1);
        const qint64 ahead = QDateTime::currentDateTimeUtc().secsTo(setter.calls[0]);
        QVERIFY2(qAbs(ahead - 3 * 3600) < 5, qPrintable(QString::number(ahead)));
        // three hours is asked first, showing both times
        QCOMPARE(h.messageTexts().size(), 1);
        QVERIFY(h.messageTexts()[0].contains("Время ПК: "));
        QVERIFY(h.messageTexts()[0].contains(
            "Время сервера: " + drv::dateTimeText(setter.calls[0].toLocalTime()).left(13)));
        ui::MessageBox::clearHistory();

        // replies that would set the PC to 2104 or 1968 are asked; "Отмена" keeps the clock
        for (const quint32 seconds : {0x7fffffffu, 0x80000000u}) {
            server.fixedSeconds = seconds;
            ui::MessageBox::setNextAnswer(QMessageBox::Cancel);
            h.click("btnSetSyncPCTimeFromNTP");
            QCOMPARE(h.messageTexts().size(), 1);
            QVERIFY2(h.messageTexts()[0].contains(QRegularExpression("Время сервера: [^\\n]*1968")),
                     qPrintable(h.messageTexts()[0]));
            QCOMPARE(h.messages()[0].defaultButton, QMessageBox::Cancel);
            QCOMPARE(setter.calls.size(), 1);
            ui::MessageBox::clearHistory();
        }
        server.fixedSeconds.reset();

        // a small step is made without a question
        server.shiftSecs = 60;
        h.click("btnSetSyncPCTimeFromNTP");
        QCOMPARE(setter.calls.size(), 2);
        QVERIFY(h.messageTexts().isEmpty());
        server.shiftSecs = 3 * 3600;
        auto* button = h.find<QPushButton>("btnSetSyncPCTimeFromNTP");
        QCOMPARE(button->text(), QString("Синхронизировать с NTP сервером"));
        QVERIFY(button->isEnabled());

        // a setter without the right: the user is told what is missing
        setter.answer = {false, EPERM, service::clockSetErrorText(EPERM)};
        h.click("btnSetSyncPCTimeFromNTP");
        QCOMPARE(h.messageTexts().size(), 2);  // the question, then the refusal
        QVERIFY(h.messageTexts()[1].contains("CAP_SYS_TIME"));
        ui::MessageBox::clearHistory();

        // silence: the clock is left alone, the time-out is bounded and reported
        server.silent = true;
        setter.calls.clear();
        QElapsedTimer t;
        t.start();
        page->setNtpServer(QStringLiteral("127.0.0.1"), server.port(), 500);
        h.click("btnSetSyncPCTimeFromNTP");
        QVERIFY(t.elapsed() < 3000);
        QCOMPARE(setter.calls.size(), 0);
        QCOMPARE(h.messageTexts().size(), 1);
        QVERIFY(button->isEnabled());
    }
};

QTEST_MAIN(TestServicePage)
#include "test_service_page.moc"
