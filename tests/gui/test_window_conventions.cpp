// The window's shared conventions: keys, the stay-on-top item, the Сервис timer, the wheel rule,
// the guards and the driver-error report.
#include <QtTest>

#include "app/ui/widgets/Conventions.h"
#include "discovery/ui/ConnectPage.h"
#include "emulator/Bench.h"
#include "emulator/VirtualPc.h"
#include "tests/gui/test_info_support.h"
#include "tests/support/GuiHarness.h"

using testing_support::GuiHarness;

namespace {
// An IUi that records what it is asked to show.
struct RecordingUi : ui::IUi {
    QStringList shown;
    QList<std::optional<QString>> captions;
    void message(const QString& text, ui::Icon, std::optional<QString> caption) override {
        shown << text;
        captions << caption;
    }
    bool confirm(const QString&, ui::Icon, bool) override { return true; }
    void processEvents() override {}
    void pause(int) override {}
};
}  // namespace

class TestWindowConventions : public QObject {
    Q_OBJECT
  private slots:
    void init() { testing_support::useBench({}); }

    void ctrlRShowsAndHidesTheServiceView() {
        GuiHarness h;
        auto* w = h.window();
        auto* serv = h.find<QWidget>("mmoServ");
        QVERIFY(serv->isHidden());
        QTest::keyClick(w, Qt::Key_R, Qt::ControlModifier);
        QVERIFY(!serv->isHidden());
        QCOMPARE(w->width(), serv->width() + 2 * serv->x() - w->pgcSet->width() + 3);
        QCOMPARE(w->pgcSet->width(), 698);  // the pages keep their width beside the view
        QTest::keyClick(w, Qt::Key_R, Qt::ControlModifier);
        QVERIFY(serv->isHidden());
        QCOMPARE(w->width(), 698);
        // R alone does nothing
        QTest::keyClick(w, Qt::Key_R);
        QVERIFY(serv->isHidden());
    }

    void ctrlEOpensTheEouFolder() {
        GuiHarness h;
        auto* pc = dynamic_cast<emu::VirtualPc*>(h.program().pc.get());
        QVERIFY(pc);
        QTest::keyClick(h.window(), Qt::Key_E, Qt::ControlModifier);
        QVERIFY(pc->actions().contains("open C:\\ProgramData\\ATOL\\EoU\\"));
    }

    void stayOnTopToggles() {
        GuiHarness h;
        auto* w = h.window();
        QCOMPARE(w->actStayOnTop->text(), QString("Поверх всех окон"));
        QCOMPARE(w->actStayOnTop->data().toInt(), 1000);
        QVERIFY(!w->actStayOnTop->isChecked());
        w->actStayOnTop->trigger();
        QVERIFY(w->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(w->actStayOnTop->isChecked());
        w->actStayOnTop->trigger();
        QVERIFY(!(w->windowFlags() & Qt::WindowStaysOnTopHint));
        QVERIFY(!w->actStayOnTop->isChecked());
    }

    void serviceTimerRunsOnlyOnItsTab() {
        GuiHarness h;
        auto* w = h.window();
        QVERIFY(!w->servPage->isBuilt());  // its timer is made with the tab, when first opened
        h.selectTab("tabServ");
        QVERIFY(w->servPage->tmrServ->isActive());
        w->servPage->timerTick();
        QVERIFY(!h.find<QLineEdit>("edtSysTime")->text().isEmpty());
        QVERIFY(h.find<QLineEdit>("edtKKMtime")->text().isEmpty());  // not connected
        QVERIFY(!h.driverCalls().contains("queryData"));
        // connected: the register's clock is read
        w->session().fptr()->setSingleSetting("Port", "0");
        w->session().fptr()->setSingleSetting("ComFile", "5");
        w->session().fptr()->applySingleSettings();
        w->session().fptr()->open();
        w->session().setKkmConnected(true);
        w->servPage->timerTick();
        QVERIFY(!h.find<QLineEdit>("edtKKMtime")->text().isEmpty());
        QVERIFY(h.driverCalls().contains("getParamDateTime"));
        h.selectTab("tabKKMinfo");
        QVERIFY(!w->servPage->tmrServ->isActive());
    }

    void wheelScrollsOnlyTheActiveTabsScrollableList() {
        GuiHarness h;
        auto* list = h.list("lvKKMinfo");
        for (int i = 0; i < 60; ++i) list->addDataRow({QString::number(i), "x"});
        list->fillGrid();
        QVERIFY(list->scrollBarEnabled());
        auto wheel = [&] {
            QWheelEvent e(QPointF(10, 40), list->viewport()->mapToGlobal(QPointF(10, 40)), QPoint(),
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(list->viewport(), &e);
        };
        h.selectTab("tabConnectKKM");  // another tab: nothing scrolls
        wheel();
        QCOMPARE(list->verticalScrollBar()->value(), 0);
        h.selectTab("tabKKMinfo");
        wheel();
        QVERIFY(list->verticalScrollBar()->value() > 0);
    }

    void guardsAndDriverErrorReport() {
        GuiHarness h;
        RecordingUi rec;
        auto* button = h.find<QPushButton>("btnCheck");
        QVERIFY(ui::dataNotReceived(button, rec));
        QCOMPARE(rec.shown,
                 QStringList({"Данные не получены. Сначала нажмите кнопку \"Считать\""}));
        ui::setReadMarker(button, 1);
        QVERIFY(!ui::dataNotReceived(button, rec));
        auto& f = *h.window()->session().fptr();
        f.queryData();  // fails: nothing opened
        rec.shown.clear();
        rec.captions.clear();
        const int code = ui::reportDriverError(f, rec, true, "Заголовок");
        QVERIFY(code != 0);
        QCOMPARE(rec.shown, QStringList({QString("(%1) %2").arg(code).arg(f.errorDescription())}));
        QCOMPARE(rec.captions.value(0), std::optional<QString>("Заголовок"));
        f.setParam("LIBFPTR_PARAM_DATA_TYPE", 0);  // succeeds
        rec.shown.clear();
        QCOMPARE(ui::reportDriverError(f, rec, true), 0);
        QVERIFY(rec.shown.isEmpty());
    }

    void statusMemoScrollBars() {
        GuiHarness h;
        auto* memo = h.find<ui::Memo>("mmoInfo");
        memo->clearLines();
        for (int i = 0; i < 14; ++i) memo->addLine(QString::number(i));
        QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        memo->addLine("15");
        QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        memo->addLine(QString(400, QChar('W')));
        QCOMPARE(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        memo->setLines({"short"});
        QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    }

    void measuredTextWidthGrowsWithText() {
        GuiHarness h;
        const QFont f = h.window()->font();
        const int one = ui::measureTextWidth("Ш", f, h.window());
        const int ten = ui::measureTextWidth(QString(10, QChar(u'Ш')), f, h.window());
        QVERIFY(one > 0);
        QCOMPARE(ten, QFontMetrics(f).horizontalAdvance(QString(10, QChar(u'Ш'))));
        QVERIFY(ten >= 9 * one);
        QCOMPARE(ui::measureTextWidth("", f, h.window()), 0);
    }

    void busyButtonRestoresCaption() {
        GuiHarness h;
        RecordingUi rec;
        auto* b = h.find<QPushButton>("btnGetKKMinfo");
        {
            ui::BusyButton busy(b, rec, ui::btnValRead);
            QCOMPARE(b->text(), QString("Подождите..."));
            QVERIFY(!b->isEnabled());
        }
        QCOMPARE(b->text(), QString("Cчитать"));
        QVERIFY(b->isEnabled());
    }

    void resetViewsAtStart() {
        GuiHarness h;
        QCOMPARE(h.find<QLineEdit>("edtShiftCash")->text(), QString("100,00"));
        QCOMPARE(h.rows("lvKlishe").size(), 10);
        QCOMPARE(h.rows("lvFooter")[9][0], QString("10"));
        for (auto* b : h.window()->readButtons()) QCOMPARE(ui::readMarker(b), 0);
        auto* set = h.list("lvSetKKM");
        QVERIFY(set->isColumnHidden(set->columnByCaption("Тип")));
        QVERIFY(set->isColumnHidden(set->columnByCaption("Описание")));
        QVERIFY(!set->isColumnHidden(set->columnByCaption("Значение")));
        QCOMPARE(h.find<QDateEdit>("dtpCheck")->date(), QDate::currentDate());
        // every list shows filler rows down to its bottom
        QVERIFY(h.list("lvKKMinfo")->rowCount() > 0);
        QCOMPARE(h.list("lvKKMinfo")->dataRowCount(), 0);
    }

    void secondaryWindowsAndClose() {
        GuiHarness h;
        QCOMPARE(h.program().portDialog->windowTitle(), QString("Настройка"));
        QCOMPARE(h.program().portDialog->objectName(), QString("TformPortSet"));
        QCOMPARE(h.program().updateDialog->windowTitle(), QString("Загрузка драйверов"));
        QCOMPARE(h.program().setEditor->windowTitle(), QString("Настройка параметра"));
        QVERIFY(h.program().portDialog->isHidden());
        h.close();
        QVERIFY(!h.window()->isVisible());
        QVERIFY(QFile::exists(h.progdir() + "/pf/set.ini"));
    }

    void closeEndsTheEouTestProcess() {
        auto bench = testing_support::demoBench();
        auto pc = bench["pc"].toObject();
        auto procs = pc["processes"].toArray();
        procs.append(QJsonObject{{"pid", 5150}, {"path", "C:\\ATOL\\EoU\\ethoverusbtest.EXE"}});
        procs.append(QJsonObject{{"pid", 5151}, {"path", "C:\\ATOL\\EoU\\EthOverUsbTest.exe"}});
        pc["processes"] = procs;
        bench["pc"] = pc;
        testing_support::useBench(testing_support::toJson(bench));
        GuiHarness h;
        auto* vpc = dynamic_cast<emu::VirtualPc*>(h.program().pc.get());
        const int before = int(vpc->actions().filter("terminate").size());
        h.close();
        const QStringList terminated = vpc->actions().filter("terminate").mid(before);
        QCOMPARE(terminated, QStringList({"terminate 5150"}));  // the first one only
    }

    // Two more clicks while a slow register works on the first one run nothing afterwards, on
    // a button that stays enabled and on one that shows "Подождите...".
    void clicksDuringAnOperationAreDropped_data() {
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("call");
        QTest::newRow("test receipt") << "tabKlishe"
                                      << "btnTestCheck"
                                      << "beginNonfiscalDocument";
        QTest::newRow("settings save") << "tabSet"
                                       << "btnSetSave"
                                       << "commitSettings";
    }
    void clicksDuringAnOperationAreDropped() {
        QFETCH(QString, tab);
        QFETCH(QString, button);
        QFETCH(QString, call);
        GuiHarness h;
        QVERIFY(info_test::connectTo(h, "5"));
        h.selectTab(tab);
        emu::World::instance().reg(0)->latencyMs = 150;
        {
            const auto outside = h.clickFromOutside(button, {60, 120});
            h.click(button);
        }
        QTest::qWait(500);  // the held clicks would have run by now
        QCOMPARE(h.driverCalls().count(call), 1);
    }

    // Qt's own boxes, file dialogs and network errors speak Russian.
    void qtTextsAreRussian() {
        GuiHarness h;
        QMessageBox box(QMessageBox::Question, QString(), QString(),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, h.window());
        QCOMPARE(box.button(QMessageBox::Yes)->text(), QString("&Да"));
        QCOMPARE(box.button(QMessageBox::No)->text(), QString("&Нет"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QString("Отмена"));
        QFileDialog dialog(h.window());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        auto* buttons = dialog.findChild<QDialogButtonBox*>();
        QCOMPARE(buttons->button(QDialogButtonBox::Open)->text(), QString("&Открыть"));
        QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QString("Отмена"));
        QCOMPARE(QCoreApplication::translate("QHttp", "Insecure redirect"),
                 QString("Небезопасное перенаправление"));
    }
};

QTEST_MAIN(TestWindowConventions)
#include "test_window_conventions.moc"
