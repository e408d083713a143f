// The main window against the demo bench: title, tabs, binding lines, views and close.
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "app/ui/widgets/Memo.h"
#include "app/ui/widgets/ReportList.h"
#include "discovery/ui/ConnectPage.h"
#include "driver/Dispatch.h"
#include "emulator/VirtualRegister.h"
#include "tests/gui/test_info_support.h"
#include "tests/support/GuiHarness.h"

using testing_support::GuiHarness;

namespace {

// The virtual register, with every member but the error queries gone once `lacking` is set: a
// driver of another version that lacks what the program asks for.
class LackingDriver : public drv::IDispatch {
  public:
    explicit LackingDriver(std::shared_ptr<const bool> lacking)
        : inner_(emu::VirtualRegister::create(drv::kProgId)), lacking_(std::move(lacking)) {}
    std::optional<QVariant> constant(const QString& name) const override {
        return inner_->constant(name);
    }
    std::optional<QVariant> invoke(const QString& method, const QVariantList& args) override {
        if (*lacking_ && method != "errorCode" && method != "errorDescription") return std::nullopt;
        return inner_->invoke(method, args);
    }

  private:
    std::unique_ptr<drv::IDispatch> inner_;
    std::shared_ptr<const bool> lacking_;
};

// What a page shows, control by control: text, state, entries and rows (Qt's own inner
// controls and the running clocks left out).
QStringList pageState(app::Page* page) {
    QStringList out;
    for (auto* w : page->findChildren<QWidget*>()) {
        const QString name = w->objectName();
        if (name.isEmpty() || name.startsWith("qt_") || name == "edtSysTime") continue;
        QString s = name + (w->isVisibleTo(page) ? " shown" : " hidden") +
                    (w->isEnabled() ? "" : " disabled");
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            s += " '" + b->text() + "'" + (b->isChecked() ? " checked" : "") + " marker " +
                 QString::number(ui::readMarker(b));
        else if (auto* e = qobject_cast<QLineEdit*>(w))
            s += " '" + e->text() + "'";
        else if (auto* box = qobject_cast<QComboBox*>(w)) {
            for (int i = 0; i < box->count(); ++i) s += " | " + box->itemText(i);
            s += " @" + QString::number(box->currentIndex());
        } else if (auto* t = qobject_cast<QPlainTextEdit*>(w))
            s += " '" + t->toPlainText() + "'";
        else if (auto* l = qobject_cast<ui::ReportList*>(w)) {
            for (int c = 0; c < l->columnCount(); ++c)
                s += l->isColumnHidden(c) ? QStringLiteral(" -")
                                          : " " + QString::number(l->columnWidth(c));
            for (int r = 0; r < l->rowCount(); ++r)
                for (int c = 0; c < l->columnCount(); ++c) s += " | " + l->cell(r, c);
        }
        out << s;
    }
    out.sort();
    return out;
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
  private slots:
    void init() { testing_support::useBench({}); }

    void titleTabsAndBinding() {
        GuiHarness h;
        auto* w = h.window();
        QCOMPARE(w->objectName(), QString("TFormSet"));
        QCOMPARE(w->windowTitle(),
                 QString("Velmor АТОЛ ККТ 1.1 Beta - 32bit  (www.velmor-kkt.ru)"));
        auto* tabs = h.find<QTabWidget>("pgcSet");
        const QStringList captions = {" Подключение   ",  " ККМ   ",        " Регистрация   ",
                                      " ФН   ",           " Смена   ",      " Чеки   ",
                                      " Клише/Подвал   ", " Настройки    ", " Сервис   "};
        QCOMPARE(tabs->count(), captions.size());
        for (int i = 0; i < captions.size(); ++i) QCOMPARE(tabs->tabText(i), captions[i]);
        QCOMPARE(h.memo(), QStringList({"Найден драйвер ККТ: Версия 10.10.4.0 (32bit)",
                                        "Драйвер (32bit) подключен",
                                        "Используется виртуальная ККТ (стенд VELMOR_BENCH)"}));
        QCOMPARE(h.find<QLabel>("lblDrvVer")->text(),
                 QString("ОС: Windows 10 Pro Professional (Build 19045) x64 / Драйвер ККТ: "
                         "10.10.4.0"));
        QCOMPARE(h.find<QPushButton>("btnDrvDown")->text(), QString("Обновить драйвер"));
        QCOMPARE(w->size(), QSize(698, 672));
        for (auto* b : w->readButtons()) QCOMPARE(b->text(), QString("Cчитать"));
    }

    void settingsNameColumnFillsTheShownList() {
        GuiHarness h;
        auto* list = h.list("lvSetKKM");
        const int name = list->columnByCaption("Имя");
        const int value = list->columnByCaption("Значение");
        // sized once the window is shown: the list's own width, not the start-up default
        QVERIFY(list->width() > 300);
        QCOMPARE(list->columnWidth(name), list->width() - list->columnWidth(value) + 1);
        QVERIFY(list->isColumnHidden(list->columnByCaption("Тип")));
    }

    void driverButtonOpensTheDownloadDialogOnTheConfiguredServer() {
        QTemporaryDir dir;
        QDir().mkpath(dir.path() + "/pf");
        QFile ini(dir.path() + "/pf/set.ini");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        // a loopback port where nothing listens: the check fails at once, nothing leaves the PC
        ini.write("[Fset]\nsave=1\ncom=1\nip=0\n[Update]\nserver=https://127.0.0.1:9/\n");
        ini.close();
        GuiHarness h(dir.path());
        auto* dialog = h.program().updateDialog.get();
        QVERIFY(dialog);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->updater().serverBase().host(), QString("127.0.0.1"));
        h.click("btnDrvDown");
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->objectName(), QString("TFormUpdate"));
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->lblNewVer->text().isEmpty(), 10000);
        // the server that could not be reached is said in the dialog, not left blank
        QCOMPARE(dialog->lblNewVer->text(), QString("Сервер недоступен"));
        dialog->close();
    }

    // A failure thrown in a handler ends at the handler's own edge: shown in a box, the button
    // given back, the window going on. (This test's application object catches nothing; a
    // failure that went on through Qt's event code would fail the test.)
    void aDriverLackingANameFailsEachHandlerAtItsEdge() {
        GuiHarness h;
        const auto lacking = std::make_shared<bool>(false);
        drv::setDispatchFactory(
            [lacking](const QString&) { return std::make_unique<LackingDriver>(lacking); });
        QVERIFY(info_test::connectTo(h, "5"));
        *lacking = true;
        QList<QAbstractButton*> buttons = h.window()->readButtons();
        for (const char* name : {"btnOpenShift", "btnShiftXreport", "btnKKMprintText"})
            buttons << h.find<QAbstractButton>(name);
        for (auto* button : buttons) {
            ui::MessageBox::clearHistory();
            auto* tabs = h.find<QTabWidget>("pgcSet");
            for (QWidget* w = button; w; w = w->parentWidget())
                if (tabs->indexOf(w) >= 0) tabs->setCurrentWidget(w);
            QTest::mouseClick(button, Qt::LeftButton);
            const auto shown = h.messages();
            QVERIFY2(!shown.isEmpty(), qPrintable(button->objectName()));
            QCOMPARE(shown.last().icon, ui::Icon::Error);
            QVERIFY2(shown.last().text.startsWith("Драйвер ККТ не знает метод"),
                     qPrintable(button->objectName() + ": " + shown.last().text));
            QVERIFY2(button->isEnabled(), qPrintable(button->objectName()));
        }
        h.close();
        QVERIFY(!h.window()->isVisible());
    }

    void theWindowMakesOnlyWhatItsFirstPaintNeeds() {
        GuiHarness h;
        auto* w = h.window();
        // only the tab in front has its controls; the others are made when first opened
        QCOMPARE(w->pages().size(), 9);
        QVERIFY(w->connectPage->isBuilt());
        for (auto* page : w->pages().mid(1))
            QVERIFY2(!page->isBuilt() && page->children().isEmpty(),
                     qPrintable(page->objectName()));
        QVERIFY(w->readButtons().isEmpty());
        for (auto* page : w->pages()) w->pgcSet->setCurrentWidget(page);
        QCOMPARE(w->readButtons().size(), 7);
        // the pickers' calendars wait for their first opening
        QVERIFY(w->findChildren<QCalendarWidget*>().isEmpty());
        // the pages keep the application's style: no style sheet reaches them
        for (auto* page : w->pages())
            QVERIFY2(page->style() == QApplication::style(), qPrintable(page->objectName()));
    }

    void aTabFirstOpenedLateLooksAsIfMadeAtStart() {
        // one window makes every page before its first show, the other makes each when it is
        // first opened after the connection; each page must then show the same captions,
        // lists, entries and states
        const auto openAll = [](GuiHarness& h) {
            for (auto* page : h.window()->pages()) h.window()->pgcSet->setCurrentWidget(page);
            h.window()->pgcSet->setCurrentIndex(0);
        };
        const auto connect = [](GuiHarness& h) {
            QVERIFY(info_test::connectTo(h, "5"));
            h.window()->session().announceConnected();
        };
        QList<QStringList> early, late;
        {
            GuiHarness h({}, GuiHarness::Pages::MadeAtStart);
            connect(h);
            openAll(h);
            for (auto* page : h.window()->pages()) early << pageState(page);
        }
        {
            GuiHarness h;
            connect(h);
            openAll(h);
            for (auto* page : h.window()->pages()) late << pageState(page);
        }
        QCOMPARE(late.size(), early.size());
        for (int i = 0; i < early.size(); ++i) QCOMPARE(late[i], early[i]);
    }

    void everyTabIsAPageTheWindowLoopsOver() {
        GuiHarness h;
        auto* w = h.window();
        QCOMPARE(w->pages().size(), 9);
        // each tab answers its own list for the wheel rule and the copy menu
        const QList<QPair<QString, QString>> lists = {{"tabConnectKKM", "lvKKMconnect"},
                                                      {"tabKKMinfo", "lvKKMinfo"},
                                                      {"tabShift", "lvShiftInfo"},
                                                      {"tabKlishe", "lvKlishe"},
                                                      {"tabSet", "lvSetKKM"},
                                                      {"tabCheck", ""}};
        for (const auto& [tab, list] : lists) {
            h.selectTab(tab);
            auto* active = w->activeTabList();
            QCOMPARE(active ? active->objectName() : QString(), list);
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
