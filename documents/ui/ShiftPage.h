#pragma once
// The Смена tab.
#include "app/ui/Page.h"

class QLineEdit;
class QPushButton;

namespace documents {

class ShiftPage : public app::Page {
    Q_OBJECT
  public:
    explicit ShiftPage(const app::PageContext& ctx, QWidget* parent = nullptr);
    QString caption() const override { return QStringLiteral(" Смена   "); }
    void resetView() override;
    QAbstractButton* readButton() const override;
    ui::ReportList* reportList() const override { return lvShiftInfo; }

    QPushButton* btnShift = nullptr;
    ui::ReportList* lvShiftInfo = nullptr;
    QLineEdit* edtShiftCash = nullptr;
};

}  // namespace documents
