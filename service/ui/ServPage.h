#pragma once
// The Сервис tab.
#include "app/ui/Page.h"

class QDateTimeEdit;
class QLineEdit;
class QTimer;

namespace service {

class ServPage : public app::Page {
    Q_OBJECT
  public:
    explicit ServPage(const app::PageContext& ctx, QWidget* parent = nullptr);
    QString caption() const override { return QStringLiteral(" Сервис   "); }
    void setActive(bool active) override;
    void windowShown() override;

    QWidget* pnlServ = nullptr;
    QLineEdit* edtSysTime = nullptr;
    QLineEdit* edtKKMtime = nullptr;
    QDateTimeEdit* dtSetTimeManual = nullptr;
    // Shows both clocks every second while the tab is active.
    QTimer* tmrServ = nullptr;

  public slots:
    void timerTick();
};

}  // namespace service
