#pragma once
// The Чеки tab.
#include "app/ui/Page.h"

class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace documents {

class CheckPage : public app::Page {
    Q_OBJECT
  public:
    explicit CheckPage(const app::PageContext& ctx, QWidget* parent = nullptr);
    QString caption() const override { return QStringLiteral(" Чеки   "); }
    void resetView() override;
    QAbstractButton* readButton() const override;
    void windowShown() override;

    QPushButton* btnCheck = nullptr;
    QDateEdit* dtpCheck = nullptr;
    QLineEdit* edtCheckLstNum = nullptr;
    QLineEdit* edtCheckLastDate = nullptr;
    QLineEdit* edtCheckFirstDate = nullptr;
    QLineEdit* edtCheckCurState = nullptr;
    QLineEdit* edtCheckNumCheck = nullptr;
    QPlainTextEdit* mmoChekFormat = nullptr;
};

}  // namespace documents
