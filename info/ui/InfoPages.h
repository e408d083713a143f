#pragma once
// The ККМ, Регистрация and ФН tabs.
#include "app/ui/Page.h"

class QPushButton;

namespace info {

class KkmInfoPage : public app::Page {
    Q_OBJECT
  public:
    explicit KkmInfoPage(const app::PageContext& ctx, QWidget* parent = nullptr);

  protected:
    void build() override;

  public:
    QString caption() const override { return QStringLiteral(" ККМ   "); }
    void resetView() override;
    QAbstractButton* readButton() const override;
    ui::ReportList* reportList() const override { return lvKKMinfo; }

    ui::ReportList* lvKKMinfo = nullptr;
    QPushButton* btnGetKKMinfo = nullptr;
    QPushButton* btnSaveKKMInfo = nullptr;
    QPushButton* btnKKMreport = nullptr;

  public slots:
    void btnGetKKMinfoClick();
    void btnSaveKKMInfoClick();
    // Prints the register information report.
    void btnKKMreportClick();
    // Builds the device status report in lvKKMinfo.
    void fillKKMinfo();
};

class RegInfoPage : public app::Page {
    Q_OBJECT
  public:
    explicit RegInfoPage(const app::PageContext& ctx, QWidget* parent = nullptr);

  protected:
    void build() override;

  public:
    QString caption() const override { return QStringLiteral(" Регистрация   "); }
    void resetView() override;
    QAbstractButton* readButton() const override;
    ui::ReportList* reportList() const override { return lvRegInfo; }

    ui::ReportList* lvRegInfo = nullptr;
    QPushButton* btnGetReginfo = nullptr;
    QPushButton* btnSaveRegInfo = nullptr;

  public slots:
    void btnGetReginfoClick();
    void btnSaveRegInfoClick();
    // Builds the registration report in lvRegInfo (or shows why there is none).
    void fillRegInfo();
};

class FnInfoPage : public app::Page {
    Q_OBJECT
  public:
    explicit FnInfoPage(const app::PageContext& ctx, QWidget* parent = nullptr);

  protected:
    void build() override;

  public:
    QString caption() const override { return QStringLiteral(" ФН   "); }
    void resetView() override;
    QAbstractButton* readButton() const override;
    ui::ReportList* reportList() const override { return lvFNinfo; }

    ui::ReportList* lvFNinfo = nullptr;
    QPushButton* btnGetFNinfo = nullptr;
    QPushButton* btnSaveFNInfo = nullptr;

  public slots:
    void btnGetFNinfoClick();
    void btnSaveFNInfoClick();
    // Builds the fiscal storage report in lvFNinfo.
    void fillFNinfo();
};

}  // namespace info
