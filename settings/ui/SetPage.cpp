#include "settings/ui/SetPage.h"

#include <QComboBox>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ui/widgets/Conventions.h"
#include "app/ui/widgets/Handled.h"
#include "app/ui/widgets/Named.h"
#include "app/ui/widgets/ReportList.h"
#include "info/ui/ListExport.h"
#include "settings/SavePlan.h"
#include "settings/ui/TFormSetSet.h"

namespace settings {

using ui::named;

namespace {
constexpr int kShownColumn = 3;
constexpr int kBaselineColumn = 6;
const QString kSaveCaption = QStringLiteral("Сохранить");
}  // namespace

MaskedValueDelegate::MaskedValueDelegate(QAbstractItemDelegate* plain, QObject* parent)
    : QStyledItemDelegate(parent), plain_(plain) {}

void MaskedValueDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    if (plain_ && !index.data(kMaskedRole).toBool())
        plain_->paint(painter, option, index);
    else
        QStyledItemDelegate::paint(painter, option, index);
}

QString MaskedValueDelegate::shownText(const QModelIndex& index) const {
    return index.data(kMaskedRole).toBool() ? kMaskedValue : index.data().toString();
}

void MaskedValueDelegate::initStyleOption(QStyleOptionViewItem* option,
                                          const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->text = shownText(index);
}

SetPage::SetPage(const app::PageContext& ctx, QWidget* parent) : Page(ctx, parent) {
    setObjectName("tabSet");
}

void SetPage::build() {
    btnGenSet = named<QPushButton>(this, "btnGenSet", ui::btnValRead);
    btnSetSave = named<QPushButton>(this, "btnSetSave", kSaveCaption);
    btnSetSaveInfo = named<QPushButton>(this, "btnSetSaveInfo", QStringLiteral("Сохранить в файл"));
    lvSetKKM = named<ui::ReportList>(this, "lvSetKKM");
    lvSetKKM->setColumns({{"ID", 50},
                          {"Имя", 300},
                          {"Тип", 40},
                          {"Значение", 200},
                          {"Описание", 200},
                          {"Raw значение из драйвера", 100},
                          {"Дубл. значение для контроля", 100}});
    lvSetKKM->setOneSpaceEmptyCells(true);
    lvSetKKM->setItemDelegateForColumn(kShownColumn,
                                       new MaskedValueDelegate(lvSetKKM->itemDelegate(), lvSetKKM));
    edtSetFilter = named<QLineEdit>(this, "edtSetFilter");
    edtSetFilter->setPlaceholderText(QStringLiteral("Фильтр: номер или слова названия"));
    edtSetFilter->setClearButtonEnabled(true);
    lblSetDesc = named<QLabel>(this, "lblSetDesc");
    lblSetDesc->setWordWrap(true);
    lblSetDesc->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* row = new QHBoxLayout;
    row->addWidget(btnGenSet);
    row->addWidget(btnSetSave);
    row->addStretch();
    row->addWidget(btnSetSaveInfo);
    auto* l = new QVBoxLayout(this);
    l->addWidget(edtSetFilter);
    l->addWidget(lvSetKKM, 1);
    l->addWidget(lblSetDesc);
    l->addLayout(row);

    connect(edtSetFilter, &QLineEdit::textChanged, this, ui::atEdge(this, &SetPage::applyFilter));
    connect(lvSetKKM, &QTableWidget::currentCellChanged, this,
            ui::atEdge(this, [this](int r) { showDescription(r); }));

    connect(btnGenSet, &QPushButton::clicked, this, ui::atEdge(this, &SetPage::btnGenSetClick));
    connect(btnSetSave, &QPushButton::clicked, this, ui::atEdge(this, &SetPage::btnSetSaveClick));
    connect(btnSetSaveInfo, &QPushButton::clicked, this,
            ui::atEdge(this, &SetPage::btnSetSaveInfoClick));
    connect(lvSetKKM, &ui::ReportList::widthChanged, this,
            ui::atEdge(this, &SetPage::setUpColumns));
    connect(lvSetKKM, &QTableWidget::cellDoubleClicked, this,
            ui::atEdge(this, [this](int r, int) { lvSetKKMItemDblClick(r); }));
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
    if (editor_ && editor_->isVisible()) editor_->reject();
    read_.reset();
    editing_.reset();
    editedRow_ = -1;
    lvSetKKM->clearRows();
    lvSetKKM->fillGrid();
    lblSetDesc->clear();
}

QAbstractButton* SetPage::readButton() const {
    return btnGenSet;
}

void SetPage::windowShown() {
    setUpColumns();
}

void SetPage::setEditor(TFormSetSet* editor) {
    editor_ = editor;
}

TFormSetSet* SetPage::editor() {
    if (!editor_) editor_ = new TFormSetSet(window());
    return editor_;
}

void SetPage::btnGenSetClick() {
    if (!session().kkmConnected()) {
        ui().message(ui::kNotConnected);
        return;
    }
    ui::setReadMarker(btnGenSet, 1);
    ui::BusyButton busy(btnGenSet, ui(), ui::btnValRead);
    auto read = readSettings(*session().fptr(), ui(), session().progdir(), session().isP5());
    if (!read) return;  // no catalogue: the list keeps what it showed
    if (editor_ && editor_->isVisible()) editor_->reject();
    editing_.reset();
    editedRow_ = -1;
    read_ = std::move(read);
    showRows();
}

void SetPage::showRows() {
    lvSetKKM->setUpdatesEnabled(false);
    lvSetKKM->clearRows();
    for (const auto& r : read_->rows) lvSetKKM->addDataRow(r.cells(), r.mark);
    for (int i = 0; i < read_->rows.size(); ++i) markRow(i);
    lvSetKKM->fillGrid();
    applyFilter();
    lvSetKKM->setUpdatesEnabled(true);
    showDescription(lvSetKKM->currentRow());
}

void SetPage::markRow(int row) {
    const SettingRow& r = read_->rows[row];
    for (int c = 0; c < lvSetKKM->columnCount(); ++c) {
        QTableWidgetItem* it = lvSetKKM->item(row, c);
        if (!it) continue;
        QFont f = it->font();
        f.setBold(r.changed());
        it->setFont(f);
        if (c == kShownColumn) it->setData(MaskedValueDelegate::kMaskedRole, r.isPassword());
    }
}

void SetPage::applyFilter() {
    if (!read_) return;
    const QList<bool> shown = rowsMatching(read_->rows, edtSetFilter->text());
    for (int i = 0; i < shown.size(); ++i) lvSetKKM->setRowHidden(i, !shown[i]);
}

void SetPage::showDescription(int row) {
    if (!read_ || row < 0 || row >= read_->rows.size() || read_->rows[row].isCaption()) {
        lblSetDesc->clear();
        return;
    }
    lblSetDesc->setText(read_->rows[row].description);
}

void SetPage::lvSetKKMItemDblClick(int row) {
    if (!read_ || row < 0 || row >= read_->rows.size()) return;
    auto setup = editorFor(read_->rows[row], read_->catalogue);
    if (!setup) return;  // a group caption row
    editing_ = std::move(setup);
    editedRow_ = row;
    auto* e = editor();
    e->setUp(*editing_);
    e->onAccept = [this] { return acceptEditor(); };
    e->showEditor();
}

bool SetPage::acceptEditor() {
    if (!read_ || !editing_ || editedRow_ < 0 || editedRow_ >= read_->rows.size()) return true;
    auto* e = editor();
    auto& row = read_->rows[editedRow_];
    const auto result =
        acceptEdit(row, *editing_, e->edtSetNewVal->text(), e->cbSetNewVal->currentIndex());
    if (!result.accepted()) {
        ui().message(result.message);
        return false;
    }
    if (result.shown) {
        row.shown = *result.shown;
        lvSetKKM->setCell(editedRow_, kShownColumn, row.shown);
        markRow(editedRow_);
    }
    editing_.reset();
    editedRow_ = -1;
    return true;
}

void SetPage::btnSetSaveClick() {
    if (!session().kkmConnected()) {
        ui().message(ui::kNotConnected);
        return;
    }
    if (read_) {
        const QString question = unverifiedQuestion(read_->rows, read_->catalogue);
        if (!question.isEmpty() && !ui().confirm(question)) return;
    }
    SaveOutcome out;
    {
        ui::BusyButton busy(btnSetSave, ui(), kSaveCaption);
        if (read_) {
            out = saveSettings(*session().fptr(), read_->rows, read_->catalogue, &ui());
            for (int i = 0; i < read_->rows.size(); ++i) {
                lvSetKKM->setCell(i, kShownColumn, read_->rows[i].shown);
                lvSetKKM->setCell(i, kBaselineColumn, read_->rows[i].baseline);
                markRow(i);
            }
        } else {
            // nothing read yet: nothing to write, the register still commits
            SettingRows none;
            out = saveSettings(*session().fptr(), none, Catalogue{});
        }
    }
    reportSave(out, ui());
}

void SetPage::btnSetSaveInfoClick() {
    info::saveListToFile(window(), ui(), lvSetKKM->objectName(), info::kSaveFilterTxtCsvReg);
}

}  // namespace settings
