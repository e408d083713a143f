#include "settings/ui/SetPage.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ui/widgets/Named.h"
#include "app/ui/widgets/ReportList.h"

namespace settings {

using ui::named;

SetPage::SetPage(const app::PageContext& ctx, QWidget* parent) : Page(ctx, parent) {
    setObjectName("tabSet");
    btnGenSet = named<QPushButton>(this, "btnGenSet", ui::btnValRead);
    lvSetKKM = named<ui::ReportList>(this, "lvSetKKM");
    lvSetKKM->setColumns({{"ID", 50},
                          {"Имя", 300},
                          {"Тип", 40},
                          {"Значение", 200},
                          {"Описание", 200},
                          {"Raw значение из драйвера", 100},
                          {"Дубл. значение для контроля", 100}});
    lvSetKKM->setOneSpaceEmptyCells(true);
    auto* row = new QHBoxLayout;
    row->addWidget(btnGenSet);
    row->addStretch();
    auto* l = new QVBoxLayout(this);
    l->addWidget(lvSetKKM, 1);
    l->addLayout(row);
}

void SetPage::setUpColumns() {
    for (const char* c :
         {"Тип", "Описание", "Raw значение из драйвера", "Дубл. значение для контроля"})
        lvSetKKM->setColumnHidden(lvSetKKM->columnByCaption(c), true);
    const int name = lvSetKKM->columnByCaption("Имя");
    const int value = lvSetKKM->columnByCaption("Значение");
    lvSetKKM->setColumnWidth(name, lvSetKKM->width() - lvSetKKM->columnWidth(value) + 1);
}

void SetPage::resetView() {
    lvSetKKM->clearRows();
    lvSetKKM->fillGrid();
}

QAbstractButton* SetPage::readButton() const {
    return btnGenSet;
}

void SetPage::windowShown() {
    setUpColumns();
}

}  // namespace settings
