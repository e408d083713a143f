#include "documents/ui/ShiftPage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ui/widgets/Conventions.h"
#include "app/ui/widgets/Handled.h"
#include "app/ui/widgets/Named.h"
#include "app/ui/widgets/ReportList.h"
#include "documents/Shift.h"
#include "info/ui/ListExport.h"

namespace documents {

using ui::named;

ShiftPage::ShiftPage(const app::PageContext& ctx, QWidget* parent) : Page(ctx, parent) {
    setObjectName("tabShift");
}

void ShiftPage::build() {
    btnShift = named<QPushButton>(this, "btnShift", ui::btnValRead);
    lvShiftInfo = named<ui::ReportList>(this, "lvShiftInfo");
    lvShiftInfo->setColumns({{info::kShiftInfoCaption, 240}, {info::kValueCaption, 300}});
    lvShiftInfo->horizontalHeader()->setStretchLastSection(true);
    btnOpenShift = named<QPushButton>(this, "btnOpenShift", QStringLiteral("Открыть смену"));
    btnCloseShift = named<QPushButton>(this, "btnCloseShift", QStringLiteral("Закрыть смену"));
    btnShiftXreport = named<QPushButton>(this, "btnShiftXreport", QStringLiteral("Х-отчет"));
    btnShiftCashIn = named<QPushButton>(this, "btnShiftCashIn", QStringLiteral("Внесение"));
    btnShiftCashOut = named<QPushButton>(this, "btnShiftCashOut", QStringLiteral("Выплата"));
    edtShiftCash = named<QLineEdit>(this, "edtShiftCash");
    edtShiftCash->setAlignment(Qt::AlignRight);
    edtShiftCash->setText(QStringLiteral("100,00"));
    edtShiftCash->setFixedWidth(ui::editWidthFor(edtShiftCash, QStringLiteral("9999999,99")));
    edtShiftCash->installEventFilter(this);
    btnSaveShiftinfo =
        named<QPushButton>(this, "btnSaveShiftinfo", QStringLiteral("Сохранить в файл"));

    // the report's buttons and the shift's under the list, the cash operations below them
    auto* row = new QHBoxLayout;
    row->addWidget(btnShift);
    row->addWidget(btnSaveShiftinfo);
    row->addStretch();
    row->addWidget(btnOpenShift);
    row->addWidget(btnCloseShift);
    row->addWidget(btnShiftXreport);
    auto* cash = new QHBoxLayout;
    cash->addStretch();
    cash->addWidget(edtShiftCash);
    cash->addWidget(btnShiftCashIn);
    cash->addWidget(btnShiftCashOut);
    auto* l = new QVBoxLayout(this);
    l->addWidget(lvShiftInfo, 1);
    l->addLayout(row);
    l->addLayout(cash);

    connect(btnShift, &QPushButton::clicked, this, ui::atEdge(this, [this] { btnShiftClick(); }));
    connect(btnOpenShift, &QPushButton::clicked, this,
            ui::atEdge(this, [this] { btnOpenShiftClick(); }));
    connect(btnCloseShift, &QPushButton::clicked, this,
            ui::atEdge(this, [this] { btnCloseShiftClick(); }));
    connect(btnShiftXreport, &QPushButton::clicked, this,
            ui::atEdge(this, [this] { btnShiftXreportClick(); }));
    connect(btnShiftCashIn, &QPushButton::clicked, this,
            ui::atEdge(this, [this] { btnShiftCashInClick(); }));
    connect(btnShiftCashOut, &QPushButton::clicked, this,
            ui::atEdge(this, [this] { btnShiftCashOutClick(); }));
    connect(btnSaveShiftinfo, &QPushButton::clicked, this,
            ui::atEdge(this, [this] { btnSaveShiftinfoClick(); }));
}

void ShiftPage::resetView() {
    lvShiftInfo->clearRows();
    lvShiftInfo->fillGrid();
    edtShiftCash->setText(QStringLiteral("100,00"));
}

QAbstractButton* ShiftPage::readButton() const {
    return btnShift;
}

bool ShiftPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edtShiftCash && event->type() == QEvent::KeyPress) {
        // Character keys: digits, the comma and Backspace; editing and moving keys pass.
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (!text.isEmpty() && text.at(0).isPrint() && !acceptsAmountKey(text.at(0))) return true;
    }
    return Page::eventFilter(watched, event);
}

bool ShiftPage::connected() {
    if (session().kkmConnected() && session().fptr()) return true;
    ui().message(ui::kNotConnected);
    return false;
}

void ShiftPage::btnShiftClick() {
    if (!connected()) return;
    ui::setReadMarker(btnShift, 1);
    lvShiftInfo->clearRows();
    lvShiftInfo->fillGrid();
    ui::BusyButton busy(btnShift, ui(), ui::btnValRead);
    if (!session().fptr()) return;
    lvShiftInfo->setUpdatesEnabled(false);
    lvShiftInfo->clearRows();
    for (const auto& row : buildShiftReport(*session().fptr()))
        lvShiftInfo->addDataRow(row.cells, row.mark);
    lvShiftInfo->fillGrid();
    lvShiftInfo->setUpdatesEnabled(true);
}

void ShiftPage::btnOpenShiftClick() {
    if (connected()) openShiftOperation(*session().fptr(), ui());
}

void ShiftPage::btnCloseShiftClick() {
    if (connected()) closeShiftOperation(*session().fptr(), ui());
}

void ShiftPage::btnShiftXreportClick() {
    if (connected()) xReportOperation(*session().fptr(), ui());
}

void ShiftPage::btnShiftCashInClick() {
    if (connected()) cashOperation(*session().fptr(), ui(), edtShiftCash->text(), true);
}

void ShiftPage::btnShiftCashOutClick() {
    if (connected()) cashOperation(*session().fptr(), ui(), edtShiftCash->text(), false);
}

void ShiftPage::btnSaveShiftinfoClick() {
    info::saveListToFile(window(), ui(), lvShiftInfo->objectName(), info::kSaveFilterTxtCsv);
}

}  // namespace documents
