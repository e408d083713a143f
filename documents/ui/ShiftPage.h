#pragma once
// The Смена tab: the shift report, open and close the shift, the X report, cash in and out.
#include "app/ui/Page.h"

class QLineEdit;
class QPushButton;

namespace documents {

class ShiftPage : public app::Page {
    Q_OBJECT
  public:
    explicit ShiftPage(const app::PageContext& ctx, QWidget* parent = nullptr);

  protected:
    void build() override;

  public:
    QString caption() const override { return QStringLiteral(" Смена   "); }
    void resetView() override;
    QAbstractButton* readButton() const override;
    ui::ReportList* reportList() const override { return lvShiftInfo; }

    // Handlers of the tab's controls.
    void btnShiftClick();
    void btnOpenShiftClick();
    void btnCloseShiftClick();
    void btnShiftXreportClick();
    void btnShiftCashInClick();
    void btnShiftCashOutClick();
    void btnSaveShiftinfoClick();

    QPushButton* btnShift = nullptr;
    ui::ReportList* lvShiftInfo = nullptr;
    QPushButton* btnOpenShift = nullptr;
    QPushButton* btnCloseShift = nullptr;
    QPushButton* btnShiftXreport = nullptr;
    QPushButton* btnShiftCashIn = nullptr;
    QPushButton* btnShiftCashOut = nullptr;
    QLineEdit* edtShiftCash = nullptr;
    QPushButton* btnSaveShiftinfo = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // True when a register is connected; otherwise says so.
    bool connected();
};

}  // namespace documents
