#pragma once
// The ККМ, Регистрация and ФН tabs.
#include <QWidget>

#include "app/shared/AppContext.h"

class QPushButton;
namespace ui {
class ReportList;
}

namespace info {

class KkmInfoPage : public QWidget {
    Q_OBJECT
  public:
    KkmInfoPage(ui::AppContext& ctx, QWidget* parent = nullptr);
    ui::ReportList* lvKKMinfo = nullptr;
    QPushButton* btnGetKKMinfo = nullptr;
    QPushButton* btnSaveKKMInfo = nullptr;
    QPushButton* btnKKMreport = nullptr;

  public slots:
    void btnGetKKMinfoClick();
    void btnSaveKKMInfoClick();
    // Builds the device status report in lvKKMinfo.
    void fillKKMinfo();

  private:
    ui::AppContext& ctx_;
};

class RegInfoPage : public QWidget {
    Q_OBJECT
  public:
    RegInfoPage(ui::AppContext& ctx, QWidget* parent = nullptr);
    ui::ReportList* lvRegInfo = nullptr;
    QPushButton* btnGetReginfo = nullptr;
    QPushButton* btnSaveRegInfo = nullptr;

  public slots:
    void btnGetReginfoClick();
    void btnSaveRegInfoClick();
    // Builds the registration report in lvRegInfo (or shows why there is none).
    void fillRegInfo();

  private:
    ui::AppContext& ctx_;
};

class FnInfoPage : public QWidget {
    Q_OBJECT
  public:
    FnInfoPage(ui::AppContext& ctx, QWidget* parent = nullptr);
    ui::ReportList* lvFNinfo = nullptr;
    QPushButton* btnGetFNinfo = nullptr;
    QPushButton* btnSaveFNInfo = nullptr;

  public slots:
    void btnGetFNinfoClick();
    void btnSaveFNInfoClick();
    // Builds the fiscal storage report in lvFNinfo.
    void fillFNinfo();

  private:
    ui::AppContext& ctx_;
};

}  // namespace info
