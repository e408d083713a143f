#include "info/ui/CopyMenu.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QWidget>

#include "app/ui/widgets/ReportList.h"
#include "info/ui/ListExport.h"

namespace info {

CopyMenu::CopyMenu(QWidget* form, ui::IUi& ui, std::function<ui::ReportList*()> activeList)
    : QObject(form), form_(form), ui_(ui), activeList_(std::move(activeList)) {
    setObjectName("copyMenu");
    pmCopy = new QMenu(form);
    pmCopy->setObjectName("pmCopy");
    actCopyString = pmCopy->addAction(QStringLiteral("Копировать строку"));
    actCopyString->setObjectName("actCopyString");
    actCopyAll = pmCopy->addAction(QStringLiteral("Копировать все"));
    actCopyAll->setObjectName("actCopyAll");
    connect(pmCopy, &QMenu::aboutToShow, this, &CopyMenu::pmCopyPopup);
    connect(actCopyString, &QAction::triggered, this, &CopyMenu::actCopyStringClick);
    connect(actCopyAll, &QAction::triggered, this, &CopyMenu::actCopyAllClick);
}

void CopyMenu::attach(ui::ReportList* list) {
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this,
            [this, list](const QPoint& pos) { pmCopy->popup(list->viewport()->mapToGlobal(pos)); });
}

namespace {
ui::ReportList* menuList(const std::function<ui::ReportList*()>& activeList) {
    auto* list = activeList ? activeList() : nullptr;
    return list && copyMenuLists().contains(list->objectName()) ? list : nullptr;
}
}  // namespace

void CopyMenu::pmCopyPopup() {
    auto* list = menuList(activeList_);
    actCopyString->setEnabled(list && list->firstSelectedRow() >= 0);
}

void CopyMenu::actCopyStringClick() {
    auto* list = menuList(activeList_);
    if (!list) return;
    const int row = list->firstSelectedRow();
    if (row < 0) return;
    QGuiApplication::clipboard()->setText(list->cell(row, 0) + QStringLiteral("  |  ") +
                                          list->cell(row, 1));
}

void CopyMenu::actCopyAllClick() {
    auto* list = menuList(activeList_);
    if (!list) return;
    listToClipBoardOrSaveTxt(form_, ui_, list->objectName(), true, false);
}

const QStringList& copyMenuLists() {
    static const QStringList names = {"lvKKMinfo", "lvRegInfo", "lvFNinfo", "lvShiftInfo",
                                      "lvSetKKM"};
    return names;
}

CopyMenu* installCopyMenu(QWidget* form, ui::IUi& ui, std::function<ui::ReportList*()> activeList) {
    auto* menu = new CopyMenu(form, ui, std::move(activeList));
    for (const auto& name : copyMenuLists())
        if (auto* list = form->findChild<ui::ReportList*>(name)) menu->attach(list);
    return menu;
}

}  // namespace info
