// The Регистрация tab in the real window: storage checks, rows, the separator band and its
// painting (shared with the Смена and Настройки lists).
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QtTest>

#include "app/ui/widgets/Conventions.h"
#include "app/ui/widgets/ReportList.h"
#include "tests/gui/test_info_support.h"

using testing_support::GuiHarness;
using namespace info_test;

namespace {

QColor gridColour(ui::ReportList* list) {
    QStyleOptionViewItem option;
    option.initFrom(list);
    return QColor::fromRgba(
        static_cast<QRgb>(list->style()->styleHint(QStyle::SH_Table_GridLineColor, &option, list)));
}

// Colour in the middle of a row's first cell as the list paints it.
QColor paintedColour(ui::ReportList* list, int row) {
    const QImage image = list->viewport()->grab().toImage();
    const QRect cell = list->visualRect(list->model()->index(row, 0));
    return image.pixelColor(cell.left() + cell.width() - 4, cell.center().y());
}

}  // namespace

class TestInfoReg : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void init() { testing_support::useBench({}); }

    void notConnected() {
        GuiHarness h;
        h.click("btnGetReginfo");
        QCOMPARE(h.messageTexts(), QStringList({"ККМ не подключена"}));
        QCOMPARE(ui::readMarker(h.find<QPushButton>("btnGetReginfo")), 0);
    }

    void ffd12RegisterRowsAndSeparator() {
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabRegInfo");
        const int from = h.driverLog().size();
        h.click("btnGetReginfo");
        QVERIFY(h.messageTexts().isEmpty());
        const auto rows = h.rows("lvRegInfo");
        QCOMPARE(rows.size(), 30);
        QCOMPARE(rows[6], QStringList({"Системы налогообложения", "ОСН, УСН доход"}));
        QCOMPARE(rows[19], QStringList({"Торговля маркированными товарами", "Да"}));
        QCOMPARE(rows[22], QStringList({"ФФД", "1.2"}));
        QCOMPARE(rows[26], QStringList({"", ""}));
        auto* list = h.list("lvRegInfo");
        QCOMPARE(list->rowMark(26), int(ui::ReportList::kMarkSeparator));
        QCOMPARE(list->rowMark(25), 0);
        QCOMPARE(rows[28], QStringList({"Номер пере/регистрации", "1"}));
        auto* button = h.find<QPushButton>("btnGetReginfo");
        QCOMPARE(button->text(), QString("Cчитать"));
        QVERIFY(button->isEnabled());
        QCOMPARE(ui::readMarker(button), 1);
        // registration values by tag, then the JSON task, then the last registration
        const QStringList calls = callsFrom(h, from);
        const int regInfo = calls.indexOf("setParam(65622,9)");
        const int json =
            calls.indexOf(QRegularExpression("setParam\\(65645,.*getRegistrationInfo.*"));
        const int last = calls.indexOf("setParam(65622,3)");
        QVERIFY(regInfo >= 0 && json > regInfo && last > json);
        QCOMPARE(calls.mid(regInfo + 2, 3),
                 QStringList({"getParamInt(1062)", "getParamInt(1057)", "getParamInt(1209)"}));
    }

    void separatorBandIsGridColouredAndNeverSelected() {
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabRegInfo");
        h.click("btnGetReginfo");
        auto* list = h.list("lvRegInfo");
        list->scrollToBottom();
        list->selectAll();
        QVERIFY(list->selectionModel()->isRowSelected(25, {}));
        QCOMPARE(paintedColour(list, 26), gridColour(list));
        QVERIFY(paintedColour(list, 25) != gridColour(list));
        // the band row itself is never part of the selection
        QVERIFY(!list->selectedDataRows().contains(26));
        // a right click on the band does not select it
        list->clearSelection();
        const QRect band = list->visualRect(list->model()->index(26, 0));
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, band.center());
        QVERIFY(list->selectedDataRows().isEmpty());
    }

    void groupBandsOfOtherListsToo() {
        GuiHarness h;
        for (const QString name : {"lvShiftInfo", "lvSetKKM"}) {
            auto* list = h.list(name);
            list->clearRows();
            list->addDataRow({"Общие", "", "", ""}, ui::ReportList::kMarkGroup);
            list->addDataRow({"a", "b", "c", "d"});
            list->fillGrid();
            list->selectAll();
            QCOMPARE(paintedColour(list, 0), gridColour(list));
        }
    }

    void storageMissingOrNotFiscalised() {
        useBenchWith(0, [](QJsonObject& r) {
            r["flags"] = merged(r["flags"].toObject(), {{"fnPresent", false}});
        });
        {
            GuiHarness h;
            QVERIFY(connectTo(h, "5"));
            h.click("btnGetReginfo");
            QCOMPARE(h.messageTexts(),
                     QStringList({"Регистрационные данные отсутствуют, ФН не найден."}));
            QCOMPARE(h.rows("lvRegInfo").size(), 0);
            QVERIFY(h.find<QPushButton>("btnGetReginfo")->isEnabled());
        }
        useBenchWith(0, [](QJsonObject& r) {
            r["flags"] = merged(r["flags"].toObject(), {{"fnFiscal", false}});
        });
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.click("btnGetReginfo");
        QCOMPARE(h.messageTexts(),
                 QStringList({"Регистрационные данные отсутствуют, ФН не фискализирован."}));
        QCOMPARE(h.rows("lvRegInfo").size(), 0);
        QCOMPARE(h.find<QPushButton>("btnGetReginfo")->text(), QString("Cчитать"));
    }

    void ffd105FallbackAndAgentBits() {
        useBenchWith(1, [](QJsonObject& r) {
            auto tags = r["registration"].toObject();
            tags["1057"] = 64;
            tags["1062"] = 0;
            r["registration"] = tags;
        });
        GuiHarness h;
        QVERIFY(connectTo(h, "192.168.77.40"));
        h.click("btnGetReginfo");
        const auto rows = h.rows("lvRegInfo");
        QCOMPARE(valueOf(rows, "Торговля маркированными товарами"), QString("Нет"));
        QCOMPARE(valueOf(rows, "Признаки агента"), QString("Агент"));
        QCOMPARE(valueOf(rows, "Системы налогообложения"), QString(""));
        QCOMPARE(valueOf(rows, "ФФД"), QString("1.05"));
    }
};

QTEST_MAIN(TestInfoReg)
#include "test_info_reg.moc"
