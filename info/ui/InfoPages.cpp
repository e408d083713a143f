#include "info/ui/InfoPages.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ui/widgets/Conventions.h"
#include "app/ui/widgets/Handled.h"
#include "app/ui/widgets/ReportList.h"
#include "info/DeviceStatusReport.h"
#include "info/FnReport.h"
#include "info/RegistrationReport.h"
#include "info/ReportExport.h"
#include "info/ui/ListExport.h"
#include "service/Maintenance.h"

namespace info {
namespace {

// A report tab: the list above, the buttons below.
ui::ReportList* buildReportTab(QWidget* page, const char* listName, const QString& firstCaption,
                               const QList<QPushButton*>& buttons) {
    auto* list = new ui::ReportList(page);
    list->setObjectName(listName);
    list->setColumns({{firstCaption, 240}, {kValueCaption, 300}});
    list->horizontalHeader()->setStretchLastSection(true);
    auto* row = new QHBoxLayout;
    for (auto* b : buttons) row->addWidget(b);
    row->addStretch();
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(list, 1);
    layout->addLayout(row);
    return list;
}

QPushButton* button(QWidget* page, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, page);
    b->setObjectName(name);
    return b;
}

}  // namespace

KkmInfoPage::KkmInfoPage(const app::PageContext& ctx, QWidget* parent) : Page(ctx, parent) {
    setObjectName("tabKKMinfo");
}

void KkmInfoPage::build() {
    btnGetKKMinfo = button(this, "btnGetKKMinfo", ui::btnValRead);
    btnSaveKKMInfo = button(this, "btnSaveKKMInfo", QStringLiteral("Сохранить в файл"));
    btnKKMreport = button(this, "btnKKMreport", QStringLiteral("Печать отчета"));
    lvKKMinfo = buildReportTab(this, "lvKKMinfo", kKkmInfoCaption,
                               {btnGetKKMinfo, btnSaveKKMInfo, btnKKMreport});
    connect(btnGetKKMinfo, &QPushButton::clicked, this,
            ui::atEdge(this, &KkmInfoPage::btnGetKKMinfoClick));
    connect(btnSaveKKMInfo, &QPushButton::clicked, this,
            ui::atEdge(this, &KkmInfoPage::btnSaveKKMInfoClick));
    connect(btnKKMreport, &QPushButton::clicked, this,
            ui::atEdge(this, &KkmInfoPage::btnKKMreportClick));
}

void KkmInfoPage::btnKKMreportClick() {
    if (!session().kkmConnected() || !session().fptr()) {
        ui().message(ui::kNotConnected);
        return;
    }
    service::printInfoReport(*session().fptr());
}

RegInfoPage::RegInfoPage(const app::PageContext& ctx, QWidget* parent) : Page(ctx, parent) {
    setObjectName("tabRegInfo");
}

void RegInfoPage::build() {
    btnGetReginfo = button(this, "btnGetReginfo", ui::btnValRead);
    btnSaveRegInfo = button(this, "btnSaveRegInfo", QStringLiteral("Сохранить в файл"));
    lvRegInfo = buildReportTab(this, "lvRegInfo", kRegInfoCaption, {btnGetReginfo, btnSaveRegInfo});
    connect(btnGetReginfo, &QPushButton::clicked, this,
            ui::atEdge(this, &RegInfoPage::btnGetReginfoClick));
    connect(btnSaveRegInfo, &QPushButton::clicked, this,
            ui::atEdge(this, &RegInfoPage::btnSaveRegInfoClick));
}

FnInfoPage::FnInfoPage(const app::PageContext& ctx, QWidget* parent) : Page(ctx, parent) {
    setObjectName("tabFNinfo");
}

void FnInfoPage::build() {
    btnGetFNinfo = button(this, "btnGetFNinfo", ui::btnValRead);
    btnSaveFNInfo = button(this, "btnSaveFNInfo", QStringLiteral("Сохранить в файл"));
    lvFNinfo = buildReportTab(this, "lvFNinfo", kFnInfoCaption, {btnGetFNinfo, btnSaveFNInfo});
    connect(btnGetFNinfo, &QPushButton::clicked, this,
            ui::atEdge(this, &FnInfoPage::btnGetFNinfoClick));
    connect(btnSaveFNInfo, &QPushButton::clicked, this,
            ui::atEdge(this, &FnInfoPage::btnSaveFNInfoClick));
}

namespace {

// Repainting of a list suspended for the lifetime of the object.
class RepaintPause {
  public:
    explicit RepaintPause(QWidget* w) : w_(w) { w_->setUpdatesEnabled(false); }
    ~RepaintPause() { w_->setUpdatesEnabled(true); }
    RepaintPause(const RepaintPause&) = delete;
    RepaintPause& operator=(const RepaintPause&) = delete;

  private:
    QWidget* w_;
};

// Clears the list and fills its grid, lets the busy caption paint, clears it again.
void startReport(ui::ReportList* list, ui::IUi& ui) {
    list->clearRows();
    list->fillGrid();
    ui.processEvents();
}

void showRows(ui::ReportList* list, const ReportRows& rows) {
    for (const auto& row : rows) list->addDataRow(row.cells, row.mark);
    list->fillGrid();
}

void resetList(ui::ReportList* list) {
    list->clearRows();
    list->fillGrid();
}

}  // namespace

void KkmInfoPage::resetView() {
    resetList(lvKKMinfo);
}
QAbstractButton* KkmInfoPage::readButton() const {
    return btnGetKKMinfo;
}
void RegInfoPage::resetView() {
    resetList(lvRegInfo);
}
QAbstractButton* RegInfoPage::readButton() const {
    return btnGetReginfo;
}
void FnInfoPage::resetView() {
    resetList(lvFNinfo);
}
QAbstractButton* FnInfoPage::readButton() const {
    return btnGetFNinfo;
}

void KkmInfoPage::btnGetKKMinfoClick() {
    if (!session().kkmConnected()) {
        ui().message(ui::kNotConnected);
        return;
    }
    ui::setReadMarker(btnGetKKMinfo, 1);
    ui::BusyButton busy(btnGetKKMinfo, ui(), ui::btnValRead);
    fillKKMinfo();
}

void KkmInfoPage::fillKKMinfo() {
    startReport(lvKKMinfo, ui());
    RepaintPause pause(lvKKMinfo);
    lvKKMinfo->clearRows();
    showRows(lvKKMinfo, buildDeviceStatusReport(*session().fptr(), session().isP5()));
}

void KkmInfoPage::btnSaveKKMInfoClick() {
    saveListToFile(window(), ui(), lvKKMinfo->objectName(), kSaveFilterTxtCsv);
}

void RegInfoPage::btnGetReginfoClick() {
    if (!session().kkmConnected()) {
        ui().message(ui::kNotConnected);
        return;
    }
    ui::setReadMarker(btnGetReginfo, 1);
    ui::BusyButton busy(btnGetReginfo, ui(), ui::btnValRead);
    fillRegInfo();
}

void RegInfoPage::fillRegInfo() {
    startReport(lvRegInfo, ui());
    lvRegInfo->clearRows();
    const auto report = buildRegistrationReport(*session().fptr());
    switch (report.status) {
        case RegistrationReport::Status::NoStorage:
            lvRegInfo->fillGrid();
            ui().message(kNoStorageMessage);
            return;
        case RegistrationReport::Status::NotFiscal:
            lvRegInfo->fillGrid();
            ui().message(kNotFiscalMessage);
            return;
        case RegistrationReport::Status::Built:
            showRows(lvRegInfo, report.rows);
            return;
    }
}

void RegInfoPage::btnSaveRegInfoClick() {
    saveListToFile(window(), ui(), lvRegInfo->objectName(), kSaveFilterTxtCsvReg);
}

void FnInfoPage::btnGetFNinfoClick() {
    if (!session().kkmConnected()) {
        ui().message(ui::kNotConnected);
        return;
    }
    ui::setReadMarker(btnGetFNinfo, 1);
    if (fnPresentText(*session().fptr()) == QLatin1String("False")) {
        lvFNinfo->clearRows();
        lvFNinfo->fillGrid();
        ui().processEvents();
        ui().processEvents();
        ui().message(kFnAbsentMessage);
        return;
    }
    ui::BusyButton busy(btnGetFNinfo, ui(), ui::btnValRead);
    fillFNinfo();
}

void FnInfoPage::fillFNinfo() {
    startReport(lvFNinfo, ui());
    RepaintPause pause(lvFNinfo);
    lvFNinfo->clearRows();
    showRows(lvFNinfo, buildFnReport(*session().fptr()));
}

void FnInfoPage::btnSaveFNInfoClick() {
    saveListToFile(window(), ui(), lvFNinfo->objectName(), kSaveFilterTxtCsv);
}

}  // namespace info
