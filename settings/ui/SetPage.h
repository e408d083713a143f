#pragma once
// The Настройки tab.
#include "app/ui/Page.h"

class QPushButton;

namespace settings {

class SetPage : public app::Page {
    Q_OBJECT
  public:
    explicit SetPage(const app::PageContext& ctx, QWidget* parent = nullptr);
    QString caption() const override { return QStringLiteral(" Настройки    "); }
    void resetView() override;
    QAbstractButton* readButton() const override;
    ui::ReportList* reportList() const override { return lvSetKKM; }
    void windowShown() override;

    QPushButton* btnGenSet = nullptr;
    ui::ReportList* lvSetKKM = nullptr;
    // Start-up column layout: hidden columns and the width of "Имя".
    void setUpColumns();
};

}  // namespace settings
