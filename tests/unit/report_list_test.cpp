// Report list geometry: filler rows, the scroll bar rule and column sizing.
#include <gtest/gtest.h>

#include <QHeaderView>

#include "app/ui/widgets/ReportList.h"
#include "info/ui/ListExport.h"

namespace {

struct ListFixture : ::testing::Test {
    ui::ReportList list;
    int fit = 0;
    void SetUp() override {
        list.setColumns({{"Свойства", 240}, {"Значение", 200}});
        list.resize(500, 300);
        list.horizontalHeader()->setFixedHeight(20);
        fit = (300 - 20) / ui::ReportList::kRowHeight;  // 14 rows fit
    }
    void addRows(int n) {
        for (int i = 0; i < n; ++i) list.addDataRow({QString::number(i), "x"});
    }
    int fillers() const { return list.rowCount() - list.dataRowCount(); }
};

TEST_F(ListFixture, FewRowsGetFillersDownToTheBottom) {
    addRows(3);
    list.fillGrid();
    EXPECT_EQ(list.dataRowCount(), 3);
    EXPECT_EQ(fillers(), fit - 3 + 1);
    EXPECT_FALSE(list.scrollBarEnabled());
    for (int r = 0; r < 3; ++r) EXPECT_FALSE(list.isFiller(r));
    for (int r = 3; r < list.rowCount(); ++r) {
        EXPECT_TRUE(list.isFiller(r));
        EXPECT_FALSE(list.item(r, 0)->flags() & Qt::ItemIsEnabled);
    }
}

TEST_F(ListFixture, ExactlyFitPlusOneKeepsNoFillersAndScrolls) {
    addRows(fit + 1);  // k = 0
    list.fillGrid();
    EXPECT_EQ(fillers(), 0);
    EXPECT_TRUE(list.scrollBarEnabled());
}

TEST_F(ListFixture, FillingTwiceDoesNotDoubleFillers) {
    addRows(2);
    list.fillGrid();
    const int rows = list.rowCount();
    list.fillGrid();
    EXPECT_EQ(list.rowCount(), rows);
}

TEST_F(ListFixture, GrowingPastTheViewDropsAllFillers) {
    addRows(2);
    list.fillGrid();
    ASSERT_GT(fillers(), 0);
    addRows(fit + 5);  // inserted before the fillers
    for (int r = 0; r < list.dataRowCount(); ++r) EXPECT_FALSE(list.isFiller(r));
    list.fillGrid();
    EXPECT_EQ(fillers(), 0);
    EXPECT_EQ(list.dataRowCount(), fit + 7);
}

TEST_F(ListFixture, DataRowsGoBeforeFillerRows) {
    list.fillGrid();
    const int row = list.addDataRow({"новая", "строка"});
    EXPECT_EQ(row, 0);
    EXPECT_EQ(list.cell(0, 0), "новая");
    EXPECT_TRUE(list.isFiller(1));
}

TEST_F(ListFixture, FirstColumnTakesTheRestButNeverUnder100) {
    list.sizeColumns(false);
    EXPECT_EQ(list.columnWidth(0), 500 - 200 + 1);
    addRows(fit + 1);
    list.fillGrid();
    list.sizeColumns(true);  // scroll bar enabled: 18 less
    EXPECT_EQ(list.columnWidth(0), 500 - 200 + 1 - 18);
    list.setColumnWidth(1, 480);
    list.sizeColumns(false);
    EXPECT_EQ(list.columnWidth(0), 100);
}

TEST_F(ListFixture, HiddenColumnsDoNotCount) {
    list.setColumns({{"ККМ", 80}, {"COM порт", 73}, {"kkmproxy", 70, false}, {"IP", 100}});
    list.sizeColumns(false);
    EXPECT_EQ(list.columnWidth(0), 500 - 73 - 100 + 1);
    EXPECT_EQ(list.visibleColumns(), QList<int>({0, 1, 3}));
}

TEST_F(ListFixture, RowMarks) {
    list.addDataRow({"a", "b"});
    list.addDataRow({"", ""}, ui::ReportList::kMarkSeparator);
    EXPECT_EQ(list.rowMark(0), 0);
    EXPECT_EQ(list.rowMark(1), 10);
}

}  // namespace

TEST(InfoExport, TableOfAReportListSkipsFillersAndHiddenColumns) {
    ui::ReportList list;
    list.setOneSpaceEmptyCells(true);  // the settings list
    list.setColumns({{"Ид.", 50}, {"Тип", 50, false}, {"Имя", 100}, {"Значение", 100}});
    list.resize(300, 200);
    list.addDataRow({"", "", "Общие", ""}, ui::ReportList::kMarkGroup);
    list.addDataRow({"37", "number", "Печать", "1"});
    list.fillGrid();
    ASSERT_GT(list.rowCount(), 2);  // filler rows follow
    list.addDataRow({"71", "string", "IP", "0.0.0.0"});
    const auto t = info::tableOf(list, false);
    EXPECT_EQ(t.headers, QStringList({"Ид.", "Имя", "Значение"}));
    ASSERT_EQ(t.rows.size(), 3);
    EXPECT_EQ(t.rows[0], QStringList({"", "Общие", ""}));
    EXPECT_EQ(t.rows[2], QStringList({"71", "IP", "0.0.0.0"}));
    EXPECT_TRUE(list.oneSpaceEmptyCells());
    list.selectRow(2);
    const auto selected = info::tableOf(list, true);
    ASSERT_EQ(selected.rows.size(), 1);
    EXPECT_EQ(selected.rows[0][0], "71");
}
