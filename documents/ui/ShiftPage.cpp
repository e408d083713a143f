#include "documents/ui/ShiftPage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ui/widgets/Named.h"
#include "app/ui/widgets/ReportList.h"

namespace documents {

using ui::named;

ShiftPage::ShiftPage(const app::PageContext& ctx, QWidget* parent) : Page(ctx, parent) {
    setObjectName("tabShift");
    btnShift = named<QPushButton>(this, "btnShift", ui::btnValRead);
    lvShiftInfo = named<ui::ReportList>(this, "lvShiftInfo");
    lvShiftInfo->setColumns({{"Параметры смены", 240}, {"Значение", 300}});
    lvShiftInfo->horizontalHeader()->setStretchLastSection(true);
    edtShiftCash = named<QLineEdit>(this, "edtShiftCash");
    auto* row = new QHBoxLayout;
    row->addWidget(btnShift);
    row->addStretch();
    row->addWidget(edtShiftCash);
    auto* l = new QVBoxLayout(this);
    l->addWidget(lvShiftInfo, 1);
    l->addLayout(row);
}

void ShiftPage::resetView() {
    lvShiftInfo->clearRows();
    lvShiftInfo->fillGrid();
    edtShiftCash->setText(QStringLiteral("100,00"));
}

QAbstractButton* ShiftPage::readButton() const {
    return btnShift;
}

}  // namespace documents
