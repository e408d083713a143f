#pragma once
// The Клише/Подвал tab: the cliche and footer lines with their formatting, the pictures in the
// register's memory, cliche files, the cliche print and the test receipt.
#include <QList>
#include <functional>

#include "app/ui/Page.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace cliche {

class KlishePage : public app::Page {
    Q_OBJECT
  public:
    explicit KlishePage(const app::PageContext& ctx, QWidget* parent = nullptr);

  protected:
    void build() override;

  public:
    QString caption() const override { return QStringLiteral(" Клише/Подвал   "); }
    void resetView() override;
    QAbstractButton* readButton() const override;
    ui::ReportList* reportList() const override { return lvKlishe; }
    void windowShown() override;

    // What started a read of the tab: the read button itself, or a picture change that re-reads
    // only the picture list and selects the entry it wants.
    enum class Sender { Read, Add, Replace, Delete };

    // The active line list (actLV) and the font marks of the two line forms.
    ui::ReportList* actLV = nullptr;
    QChar origFontSymb;
    QChar myFontSymb;
    bool editorOpen() const;

    QPushButton* btnGetKlishe = nullptr;
    QPushButton* btnKlisheApply = nullptr;
    QPushButton* Button1 = nullptr;
    QRadioButton* rbKlisheMode = nullptr;
    QRadioButton* rbFooterMode = nullptr;
    ui::ReportList* lvKlishe = nullptr;
    ui::ReportList* lvFooter = nullptr;
    QFrame* PnlRename = nullptr;
    QLineEdit* edtItemRename = nullptr;

    QGroupBox* grpText = nullptr;
    QRadioButton* rbKlisheLeft = nullptr;
    QRadioButton* rbKlisheCenter = nullptr;
    QRadioButton* rbKlisheRight = nullptr;
    QLabel* lblKlisheFont = nullptr;
    QComboBox* cbbKlisheFont = nullptr;
    QCheckBox* chkKlisheOffsetTop = nullptr;
    QLineEdit* edtKlisheTopOffset = nullptr;
    QPushButton* btnKlisheBold = nullptr;

    QGroupBox* grpPic = nullptr;
    QRadioButton* rbKlisheLeftPic = nullptr;
    QRadioButton* rbKlisheCenterPic = nullptr;
    QRadioButton* rbKlisheRightPic = nullptr;
    QRadioButton* rbKlisheLeftOffsetPic = nullptr;
    QLineEdit* edtKlisheLeftOffsetPic = nullptr;
    QCheckBox* chkKlisheOffsetTopPic = nullptr;
    QLineEdit* edtKlisheTopOffsetPic = nullptr;

    QGroupBox* GroupBox5 = nullptr;
    QComboBox* cbbPicNums = nullptr;
    QLabel* imgKlishe = nullptr;
    QPushButton* btnSetPicToStr = nullptr;
    QPushButton* btnReplacePic = nullptr;
    QPushButton* btnAddPic = nullptr;
    QPushButton* btnDelPic = nullptr;
    QPushButton* btnSavePic = nullptr;
    QPushButton* Button3 = nullptr;

    QPushButton* btnKlisheSave = nullptr;
    QPushButton* btnKlisheOpen = nullptr;
    QPushButton* btnPrintKlishe = nullptr;
    QPushButton* btnTestCheck = nullptr;

    // Resets the formatting controls: all off, cleared, "0" and disabled.
    void resetFormatting();
    // The ten numbered rows of both line lists.
    void resetLines();
    // The display-form texts of a list's ten rows.
    QStringList lines(const ui::ReportList* list) const;

  public slots:
    void btnGetKlisheClick(Sender sender = Sender::Read);
    void btnKlisheApplyClick();
    void Button1Click();
    void rbKlisheModeClick(bool footer);
    void lvKlisheItemClick(ui::ReportList* list, int row);
    void lvKlisheItemDblClick(ui::ReportList* list);
    void btnKlisheBoldClick();

    void cbbPicNumsChange();
    void btnSetPicToStrClick();
    void btnAddPicClick();
    void btnReplacePicClick();
    void btnDelPicClick();
    void btnSavePicClick();
    void Button3Click();

    void btnKlisheSaveClick();
    void btnKlisheOpenClick();
    void btnPrintKlisheClick();
    void btnTestCheckClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    // The line lists take the page's font followed by the font the program carries for the
    // display font mark (U+16A5), which no stock desktop font has.
    void useMarkFont();
    void rereadPictures(Sender sender);
    void showPreview();
    void setRowText(ui::ReportList* list, int row, const QString& text);
    // Rewrites the active list's selected row; nothing without a selected row.
    void rewriteSelected(const std::function<QString(const QString&)>& rule);
    void applyTextOffset();
    void applyPictureOffset();
    void applyPicturePlacement();
    void closeEditor(bool commit);
    bool connectedOrSay();
    bool picturesReady(bool needEntries);
    QString pictureFilter() const;
    int replaceTag_ = 0;  // btnReplacePic's Tag
    int klisheTag_ = -1;  // the rows remembered by the two lists
    int footerTag_ = -1;
    bool editorOpen_ = false;
};

}  // namespace cliche
