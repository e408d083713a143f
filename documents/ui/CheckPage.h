#pragma once
// The Чеки tab: the tab read, one document rendered by number, next and previous document, the
// search of a shift by date and the steps to the next and previous shift; the receipt open in
// the register, printing a copy of a document and saving the view.
#include "app/ui/Page.h"
#include "documents/Archive.h"
#include "documents/Receipt.h"
#include "documents/Render.h"

class QCheckBox;
class QDateEdit;
class QFrame;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace documents {

class CheckPage : public app::Page {
    Q_OBJECT
  public:
    explicit CheckPage(const app::PageContext& ctx, QWidget* parent = nullptr);

  protected:
    void build() override;

  public:
    QString caption() const override { return QStringLiteral(" Чеки   "); }
    void resetView() override;
    QAbstractButton* readButton() const override;
    void windowShown() override;

    // Handlers of the tab's controls.
    void btnCheckClick();
    void btnCheckSowCheckClick(Sender sender = Sender::ShowButton);
    void btnCheckNextClick();
    void btnCheckPrevClick();
    void btnCheckSearchClick();
    void btnShiftNextClick();
    void btnShiftPrevClick();
    void btnCheckGetOpenedClick();
    void btnCheckCloseClick();
    void btnCheckCancelClick();
    void btnCheckDopechatatClick();
    void Button6Click();
    void btnSaveCheckClick();

    // Shift of the shown document and of the last document ("-1" when unknown).
    const QString& curCheckShiftNum() const { return curCheckShiftNum_; }
    const QString& lastCheckShiftNum() const { return lastCheckShiftNum_; }

    QFrame* Panel7 = nullptr;
    QPushButton* btnCheck = nullptr;
    QDateEdit* dtpCheck = nullptr;
    QLineEdit* edtCheckLstNum = nullptr;
    QLineEdit* edtCheckLastDate = nullptr;
    QLineEdit* edtCheckFirstDate = nullptr;
    QLineEdit* edtCheckCurState = nullptr;
    QLineEdit* edtCheckNumCheck = nullptr;
    QPushButton* btnCheckSowCheck = nullptr;
    QPushButton* btnCheckPrev = nullptr;
    QPushButton* btnCheckNext = nullptr;
    QPushButton* btnCheckSearch = nullptr;
    QPushButton* btnShiftPrev = nullptr;
    QPushButton* btnShiftNext = nullptr;
    QCheckBox* chkCheckIncFiscalinfo = nullptr;
    QPushButton* btnCheckGetOpened = nullptr;
    QPushButton* btnCheckClose = nullptr;
    QPushButton* btnCheckCancel = nullptr;
    QPushButton* btnCheckDopechatat = nullptr;
    QPushButton* Button6 = nullptr;
    QPushButton* btnSaveCheck = nullptr;
    QPlainTextEdit* mmoChekFormat = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Clears the view and leaves it with the vertical scroll bar only.
    void clearView();
    // Writes `number` into the number box and renders it with `sender`.
    void showDocument(qint64 number, Sender sender);
    // The guard and the two boxes every step needs; true when the step may go on.
    bool canStep();
    bool tabReset() const;
    void shiftStep(bool next);
    // The guard of the receipt controls: the tab was read and a driver object is there.
    bool receiptControlsReady();
    // Shows the open receipt's state in the state box and the view.
    void showOpenReceipt(const OpenReceiptView& view);

    QString curCheckShiftNum_ = QStringLiteral("-1");
    QString lastCheckShiftNum_ = QStringLiteral("-1");
    RunMark searchMark_;
    RunMark shiftMark_;
    QString savedViewName_;
};

}  // namespace documents
