#pragma once
// The Настройки tab: the register's settings read into a grouped list, edited one row at a time
// in the setting editor and written back together.
#include <QPointer>
#include <QStyledItemDelegate>
#include <optional>

#include "app/ui/Page.h"
#include "settings/Editor.h"
#include "settings/SettingsTable.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace settings {

class TFormSetSet;

// Paints the value of a password setting as "••••"; the cell keeps the value for the editor and
// the list's file. Other cells are painted by the list's own delegate.
class MaskedValueDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    static constexpr int kMaskedRole = Qt::UserRole + 40;
    MaskedValueDelegate(QAbstractItemDelegate* plain, QObject* parent);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    // The text painted for the cell.
    QString shownText(const QModelIndex& index) const;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

  private:
    QAbstractItemDelegate* plain_;
};

class SetPage : public app::Page {
    Q_OBJECT
  public:
    explicit SetPage(const app::PageContext& ctx, QWidget* parent = nullptr);

  protected:
    void build() override;

  public:
    QString caption() const override { return QStringLiteral(" Настройки    "); }
    void resetView() override;
    QAbstractButton* readButton() const override;
    ui::ReportList* reportList() const override { return lvSetKKM; }
    void windowShown() override;

    // The setting editor created with the window; without one the page makes its own on first
    // use.
    void setEditor(TFormSetSet* editor);
    TFormSetSet* editor();

    QPushButton* btnGenSet = nullptr;
    QPushButton* btnSetSave = nullptr;
    QPushButton* btnSetSaveInfo = nullptr;
    ui::ReportList* lvSetKKM = nullptr;
    QLineEdit* edtSetFilter = nullptr;  // above the list: identifier or words of the name
    QLabel* lblSetDesc = nullptr;       // under the list: the selected setting's description
    // Column layout at start and at every change of the list's width: hidden columns and the
    // width of "Имя".
    void setUpColumns();

    void btnGenSetClick();
    void lvSetKKMItemDblClick(int row);
    void btnSetSaveClick();
    void btnSetSaveInfoClick();

    // The last reading (catalogue and rows); empty before the first one and after a reset.
    const std::optional<SettingsRead>& lastRead() const { return read_; }

  private:
    void showRows();
    // Bold while edited and not saved; the password mask.
    void markRow(int row);
    void applyFilter();
    void showDescription(int row);
    // OK of the editor for the row being edited: true closes the editor.
    bool acceptEditor();

    std::optional<SettingsRead> read_;
    QPointer<TFormSetSet> editor_;
    std::optional<EditorSetup> editing_;  // what the open editor was set up with
    int editedRow_ = -1;
};

}  // namespace settings
