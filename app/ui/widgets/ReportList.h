#pragma once
// The report list: a column list in report view with grid lines, whole-row multiple selection,
// rows 19 pixels high; data rows first, then disabled empty filler rows that carry the grid to
// the bottom. A row may carry a mark (10 separator band, 20 group caption band).
#include <QStringList>
#include <QTableWidget>
#include <functional>
#include <optional>

namespace ui {

struct ColumnSpec {
    QString caption;
    int width = 100;
    bool visible = true;
};

class ReportList : public QTableWidget {
    Q_OBJECT
  public:
    static constexpr int kRowHeight = 19;
    static constexpr int kMarkSeparator = 10;
    static constexpr int kMarkGroup = 20;

    explicit ReportList(QWidget* parent = nullptr);

    void setColumns(const QList<ColumnSpec>& columns);
    int columnByCaption(const QString& caption) const;
    QString columnCaption(int column) const;
    // Visible columns in display order.
    QList<int> visibleColumns() const;

    // Removes every row, data and filler.
    void clearRows();
    // Adds a data row just before the first filler row (at the end when there is none).
    int addDataRow(const QStringList& cells, int mark = 0);
    // Inserts a data row at `row` (which must not be past the data rows).
    int insertDataRow(int row, const QStringList& cells, int mark = 0);
    int dataRowCount() const;
    bool isFiller(int row) const;
    int firstFillerRow() const;  // -1 when there is none

    QString cell(int row, int column) const;
    void setCell(int row, int column, const QString& text);
    QStringList rowCells(int row) const;
    int rowMark(int row) const;
    void setRowMark(int row, int mark);
    int firstSelectedRow() const;
    QList<int> selectedDataRows() const;

    // Grid filling: filler rows down to the bottom, scroll bar only when the data needs it.
    void fillGrid();
    // Column sizing: the first column takes what the other visible columns leave, now and
    // whenever the list's width changes.
    void sizeColumns(bool scrollUse);
    bool scrollBarEnabled() const { return scrollEnabled_; }

    // The list's kind for the text export: an empty cell counts as one space and keeps the
    // line's alignment (the settings list).
    void setOneSpaceEmptyCells(bool on) { oneSpaceEmptyCells_ = on; }
    bool oneSpaceEmptyCells() const { return oneSpaceEmptyCells_; }

    // The wheel scrolls this list only while `allowed` says so (the window's wheel rule).
    void setWheelRule(std::function<bool()> allowed) { wheelRule_ = std::move(allowed); }

  signals:
    // Right mouse button pressed over a row (after the row selection rule ran).
    void rightClickedRow(int row);
    // The list's width changed (its columns may follow).
    void widthChanged();

  protected:
    void wheelEvent(QWheelEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

  private:
    QTableWidgetItem* makeItem(const QString& text, bool filler) const;
    void addFillerRow();
    bool scrollEnabled_ = false;
    bool oneSpaceEmptyCells_ = false;
    std::optional<bool> columnsScrollUse_;  // set once sizeColumns has run
    std::function<bool()> wheelRule_;
};

// The shared names of the conventions.
inline void easyLVsetFullGrid(ReportList* list) {
    list->fillGrid();
}
inline void uniColsSize(ReportList* list, bool scrollUse) {
    list->sizeColumns(scrollUse);
}

}  // namespace ui
