#pragma once
// The Настройки tab: the register's settings read into a grouped list, edited one row at a time
// in the setting editor and written back together.
#include <QPointer>
#include <optional>

#include "app/ui/Page.h"
#include "settings/Editor.h"
#include "settings/SettingsTable.h"

class QPushButton;

namespace settings {

class TFormSetSet;

class SetPage : public app::Page {
    Q_OBJECT
  public:
    explicit SetPage(const app::PageContext& ctx, QWidget* parent = nullptr);
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
    // Start-up column layout: hidden columns and the width of "Имя".
    void setUpColumns();

    void btnGenSetClick();
    void lvSetKKMItemDblClick(int row);
    void btnSetSaveClick();
    void btnSetSaveInfoClick();

    // The last reading (catalogue and rows); empty before the first one and after a reset.
    const std::optional<SettingsRead>& lastRead() const { return read_; }

  private:
    void showRows();
    // OK of the editor for the row being edited: true closes the editor.
    bool acceptEditor();

    std::optional<SettingsRead> read_;
    QPointer<TFormSetSet> editor_;
    std::optional<EditorSetup> editing_;  // what the open editor was set up with
    int editedRow_ = -1;
};

}  // namespace settings
