#include "info/InfoPages.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/shared/Conventions.h"
#include "app/shared/ReportList.h"

namespace info {
namespace {

// A report tab: the list above, the buttons below.
ui::ReportList* buildReportTab(QWidget* page, const char* listName, const QString& firstCaption,
                               const QList<QPushButton*>& buttons) {
    auto* list = new ui::ReportList(page);
    list->setObjectName(listName);
    list->setColumns({{firstCaption, 240}, {QStringLiteral("Значение"), 300}});
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

// The report handlers are built in the report files of this folder.
void KkmInfoPage::btnGetKKMinfoClick() {}
void KkmInfoPage::btnSaveKKMInfoClick() {}
void RegInfoPage::btnGetReginfoClick() {}
void RegInfoPage::btnSaveRegInfoClick() {}
void FnInfoPage::btnGetFNinfoClick() {}
void FnInfoPage::btnSaveFNInfoClick() {}

}  // namespace info
