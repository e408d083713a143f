#include "info/InfoPages.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/shared/Conventions.h"
#include "app/shared/ReportList.h"
#include "app/shared/Ui.h"
#include "info/DeviceStatusReport.h"
#include "info/FnReport.h"
#include "info/RegistrationReport.h"
#include "info/ReportExport.h"

namespace info {
namespace {

// A report tab: the list above, the buttons below.
ui::ReportList* buildReportTab(QWidget* page, const char* listName, const QString& firstCaption,
                               const QList<QPushButton*>& buttons) {
    auto* list = new ui::ReportList(page);
    list->setObjectName(listName);
    list->setColumns({{firstCaption, 240}, {QStringLiteral("Значение"), 300}});
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

KkmInfoPage::KkmInfoPage(ui::AppContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    setObjectName("tabKKMinfo");
    btnGetKKMinfo = button(this, "btnGetKKMinfo", ui::btnValRead);
    btnSaveKKMInfo = button(this, "btnSaveKKMInfo", QStringLiteral("Сохранить в файл"));
    btnKKMreport = button(this, "btnKKMreport", QStringLiteral("Печать отчета"));
    lvKKMinfo = buildReportTab(this, "lvKKMinfo", QStringLiteral("Свойства ККМ"),
                               {btnGetKKMinfo, btnSaveKKMInfo, btnKKMreport});
    connect(btnGetKKMinfo, &QPushButton::clicked, this, &KkmInfoPage::btnGetKKMinfoClick);
    connect(btnSaveKKMInfo, &QPushButton::clicked, this, &KkmInfoPage::btnSaveKKMInfoClick);
}

RegInfoPage::RegInfoPage(ui::AppContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    setObjectName("tabRegInfo");
    btnGetReginfo = button(this, "btnGetReginfo", ui::btnValRead);
    btnSaveRegInfo = button(this, "btnSaveRegInfo", QStringLiteral("Сохранить в файл"));
    lvRegInfo = buildReportTab(this, "lvRegInfo", QStringLiteral("Параметры регистрации"),
                               {btnGetReginfo, btnSaveRegInfo});
    connect(btnGetReginfo, &QPushButton::clicked, this, &RegInfoPage::btnGetReginfoClick);
    connect(btnSaveRegInfo, &QPushButton::clicked, this, &RegInfoPage::btnSaveRegInfoClick);
}

FnInfoPage::FnInfoPage(ui::AppContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    setObjectName("tabFNinfo");
    btnGetFNinfo = button(this, "btnGetFNinfo", ui::btnValRead);
    btnSaveFNInfo = button(this, "btnSaveFNInfo", QStringLiteral("Сохранить в файл"));
    lvFNinfo = buildReportTab(this, "lvFNinfo", QStringLiteral("Свойства ФН"),
                              {btnGetFNinfo, btnSaveFNInfo});
    connect(btnGetFNinfo, &QPushButton::clicked, this, &FnInfoPage::btnGetFNinfoClick);
    connect(btnSaveFNInfo, &QPushButton::clicked, this, &FnInfoPage::btnSaveFNInfoClick);
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

}  // namespace

void KkmInfoPage::btnGetKKMinfoClick() {
    if (!ctx_.kkmConnected) {
        ctx_.ui->message(ui::kNotConnected);
        return;
    }
    ui::setReadMarker(btnGetKKMinfo, 1);
    ui::BusyButton busy(btnGetKKMinfo, *ctx_.ui, ui::btnValRead);
    fillKKMinfo();
}

void KkmInfoPage::fillKKMinfo() {
    startReport(lvKKMinfo, *ctx_.ui);
    RepaintPause pause(lvKKMinfo);
    lvKKMinfo->clearRows();
    showRows(lvKKMinfo, buildDeviceStatusReport(*ctx_.fptr, ctx_.isP5));
}

void KkmInfoPage::btnSaveKKMInfoClick() {
    saveListToFile(window(), *ctx_.ui, lvKKMinfo->objectName(), kSaveFilterTxtCsv);
}

void RegInfoPage::btnGetReginfoClick() {
    if (!ctx_.kkmConnected) {
        ctx_.ui->message(ui::kNotConnected);
        return;
    }
    ui::setReadMarker(btnGetReginfo, 1);
    ui::BusyButton busy(btnGetReginfo, *ctx_.ui, ui::btnValRead);
    fillRegInfo();
}

void RegInfoPage::fillRegInfo() {
    startReport(lvRegInfo, *ctx_.ui);
    lvRegInfo->clearRows();
    const auto report = buildRegistrationReport(*ctx_.fptr);
    switch (report.status) {
        case RegistrationReport::Status::NoStorage:
            lvRegInfo->fillGrid();
            ctx_.ui->message(kNoStorageMessage);
            return;
        case RegistrationReport::Status::NotFiscal:
            lvRegInfo->fillGrid();
            ctx_.ui->message(kNotFiscalMessage);
            return;
        case RegistrationReport::Status::Built:
            showRows(lvRegInfo, report.rows);
            return;
    }
}

void RegInfoPage::btnSaveRegInfoClick() {
    saveListToFile(window(), *ctx_.ui, lvRegInfo->objectName(), kSaveFilterTxtCsvReg);
}

void FnInfoPage::btnGetFNinfoClick() {
    if (!ctx_.kkmConnected) {
        ctx_.ui->message(ui::kNotConnected);
        return;
    }
    ui::setReadMarker(btnGetFNinfo, 1);
    if (fnPresentText(*ctx_.fptr) == QLatin1String("False")) {
        lvFNinfo->clearRows();
        lvFNinfo->fillGrid();
        ctx_.ui->processEvents();
        ctx_.ui->processEvents();
        ctx_.ui->message(kFnAbsentMessage);
        return;
    }
    ui::BusyButton busy(btnGetFNinfo, *ctx_.ui, ui::btnValRead);
    fillFNinfo();
}

void FnInfoPage::fillFNinfo() {
    startReport(lvFNinfo, *ctx_.ui);
    RepaintPause pause(lvFNinfo);
    lvFNinfo->clearRows();
    showRows(lvFNinfo, buildFnReport(*ctx_.fptr));
}

void FnInfoPage::btnSaveFNInfoClick() {
    saveListToFile(window(), *ctx_.ui, lvFNinfo->objectName(), kSaveFilterTxtCsv);
}

}  // namespace info
