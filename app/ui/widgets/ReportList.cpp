#include "app/ui/widgets/ReportList.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace ui {
namespace {

constexpr int kFillerRole = Qt::UserRole + 1;
constexpr int kMarkRole = Qt::UserRole + 2;

// Rows marked as bands are filled with the grid colour and never show as selected.
class BandDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int mark = index.siblingAtColumn(0).data(kMarkRole).toInt();
        if (mark == ReportList::kMarkSeparator || mark == ReportList::kMarkGroup) {
            // the colour the view draws its grid lines with
            auto* view = qobject_cast<const QTableView*>(parent());
            const QColor grid = view ? QColor::fromRgba(static_cast<QRgb>(view->style()->styleHint(
                                           QStyle::SH_Table_GridLineColor, &option, view)))
                                     : QColor(Qt::gray);
            p->fillRect(option.rect, grid);
            QStyleOptionViewItem o(option);
            o.state &= ~QStyle::State_Selected;
            o.state &= ~QStyle::State_HasFocus;
            o.backgroundBrush = grid;
            QStyledItemDelegate::paint(p, o, index);
            return;
        }
        QStyledItemDelegate::paint(p, option, index);
    }
};

}  // namespace

ReportList::ReportList(QWidget* parent) : QTableWidget(parent) {
    setItemDelegate(new BandDelegate(this));
    setShowGrid(true);
    setFrameShape(QFrame::NoFrame);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setMinimumSectionSize(1);
}

void ReportList::setColumns(const QList<ColumnSpec>& columns) {
    setColumnCount(columns.size());
    for (int i = 0; i < columns.size(); ++i) {
        setHorizontalHeaderItem(i, new QTableWidgetItem(columns[i].caption));
        setColumnWidth(i, columns[i].width);
        setColumnHidden(i, !columns[i].visible);
    }
}

int ReportList::columnByCaption(const QString& caption) const {
    for (int i = 0; i < columnCount(); ++i)
        if (columnCaption(i) == caption) return i;
    return -1;
}

QString ReportList::columnCaption(int column) const {
    auto* h = horizontalHeaderItem(column);
    return h ? h->text() : QString();
}

QList<int> ReportList::visibleColumns() const {
    QList<int> out;
    for (int v = 0; v < columnCount(); ++v) {
        const int logical = horizontalHeader()->logicalIndex(v);
        if (!isColumnHidden(logical)) out.append(logical);
    }
    return out;
}

void ReportList::clearRows() {
    setRowCount(0);
}

QTableWidgetItem* ReportList::makeItem(const QString& text, bool filler) const {
    auto* item = new QTableWidgetItem(text);
    if (filler) {
        item->setFlags(Qt::NoItemFlags);
        item->setData(kFillerRole, true);
    } else {
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    }
    return item;
}

int ReportList::insertDataRow(int row, const QStringList& cells, int mark) {
    insertRow(row);
    for (int c = 0; c < columnCount(); ++c) setItem(row, c, makeItem(cells.value(c), false));
    setRowMark(row, mark);
    return row;
}

int ReportList::addDataRow(const QStringList& cells, int mark) {
    const int filler = firstFillerRow();
    return insertDataRow(filler < 0 ? rowCount() : filler, cells, mark);
}

void ReportList::addFillerRow() {
    const int row = rowCount();
    insertRow(row);
    for (int c = 0; c < columnCount(); ++c) setItem(row, c, makeItem({}, true));
}

bool ReportList::isFiller(int row) const {
    auto* it = item(row, 0);
    return !it || it->data(kFillerRole).toBool();
}

int ReportList::firstFillerRow() const {
    for (int r = 0; r < rowCount(); ++r)
        if (isFiller(r)) return r;
    return -1;
}

int ReportList::dataRowCount() const {
    int n = 0;
    for (int r = 0; r < rowCount(); ++r)
        if (!isFiller(r)) ++n;
    return n;
}

QString ReportList::cell(int row, int column) const {
    auto* it = item(row, column);
    return it ? it->text() : QString();
}

void ReportList::setCell(int row, int column, const QString& text) {
    if (auto* it = item(row, column))
        it->setText(text);
    else
        setItem(row, column, makeItem(text, false));
}

QStringList ReportList::rowCells(int row) const {
    QStringList out;
    for (int c = 0; c < columnCount(); ++c) out << cell(row, c);
    return out;
}

int ReportList::rowMark(int row) const {
    auto* it = item(row, 0);
    return it ? it->data(kMarkRole).toInt() : 0;
}

void ReportList::setRowMark(int row, int mark) {
    if (auto* it = item(row, 0)) it->setData(kMarkRole, mark);
    // A band row never shows as selected: it can't be selected at all.
    const bool band = mark == kMarkSeparator || mark == kMarkGroup;
    for (int c = 0; c < columnCount(); ++c) {
        auto* it = item(row, c);
        if (!it || isFiller(row)) continue;
        it->setFlags(band ? (it->flags() & ~Qt::ItemIsSelectable)
                          : (it->flags() | Qt::ItemIsSelectable));
    }
    if (band && selectionModel()) {
        selectionModel()->select(model()->index(row, 0),
                                 QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }
}

int ReportList::firstSelectedRow() const {
    for (int r = 0; r < rowCount(); ++r)
        if (!isFiller(r) && selectionModel()->isRowSelected(r, QModelIndex())) return r;
    return -1;
}

QList<int> ReportList::selectedDataRows() const {
    QList<int> out;
    for (int r = 0; r < rowCount(); ++r)
        if (!isFiller(r) && selectionModel()->isRowSelected(r, QModelIndex())) out.append(r);
    return out;
}

void ReportList::fillGrid() {
    const int header = horizontalHeader()->isHidden() ? 0 : horizontalHeader()->height();
    const int clientHeight = height() - 2 * frameWidth();
    const int fit = std::max(0, (clientHeight - header) / kRowHeight);
    const int n = dataRowCount();
    const int k = fit - n + 1;
    if (k > 0 && fit > rowCount()) {
        for (int i = 0; i < k; ++i) addFillerRow();
    }
    if (k <= 0) {
        for (int r = rowCount() - 1; r >= 0; --r)
            if (isFiller(r)) removeRow(r);
    }
    scrollEnabled_ = k <= 0;
    setVerticalScrollBarPolicy(scrollEnabled_ ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void ReportList::sizeColumns(bool scrollUse) {
    columnsScrollUse_ = scrollUse;
    const auto cols = visibleColumns();
    if (cols.isEmpty()) return;
    int others = 0;
    for (int i = 1; i < cols.size(); ++i) others += columnWidth(cols[i]);
    int first = width() - others + 1;
    if (scrollUse && scrollEnabled_) first -= 18;
    first = std::max(first, 100);
    setColumnWidth(cols[0], first);
    doItemsLayout();
}

void ReportList::wheelEvent(QWheelEvent* e) {
    if (wheelRule_ && !wheelRule_()) {
        e->accept();
        return;
    }
    QTableWidget::wheelEvent(e);
}

void ReportList::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::RightButton) {
        const int row = rowAt(e->position().toPoint().y());
        if (row >= 0 && !isFiller(row)) {
            const int first = firstSelectedRow();
            if (first >= 0)
                selectionModel()->select(model()->index(first, 0),
                                         QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
            selectionModel()->select(model()->index(row, 0),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
            emit rightClickedRow(row);
        }
        e->accept();
        return;
    }
    QTableWidget::mousePressEvent(e);
}

void ReportList::resizeEvent(QResizeEvent* e) {
    QTableWidget::resizeEvent(e);
    // the grid lines reach the bottom of the list at any size
    if (e->size().height() != e->oldSize().height()) fillGrid();
    if (e->size().width() == e->oldSize().width()) return;
    if (columnsScrollUse_) sizeColumns(*columnsScrollUse_);
    emit widthChanged();
}

}  // namespace ui
