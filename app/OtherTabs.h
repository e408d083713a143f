#pragma once
// The Смена, Чеки, Клише/Подвал, Настройки and Сервис tabs: their controls as the window's
// conventions (reset of the views, read markers, timer, wheel rule) need them.
#include <QWidget>

#include "app/shared/AppContext.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
namespace ui {
class ReportList;
}

namespace app {

class ShiftPage : public QWidget {
    Q_OBJECT
  public:
    explicit ShiftPage(QWidget* parent = nullptr);
    QPushButton* btnShift;
    ui::ReportList* lvShiftInfo;
    QLineEdit* edtShiftCash;
};

class CheckPage : public QWidget {
    Q_OBJECT
  public:
    explicit CheckPage(QWidget* parent = nullptr);
    QPushButton* btnCheck;
    QDateEdit* dtpCheck;
    QLineEdit* edtCheckLstNum;
    QLineEdit* edtCheckLastDate;
    QLineEdit* edtCheckFirstDate;
    QLineEdit* edtCheckCurState;
    QLineEdit* edtCheckNumCheck;
    QPlainTextEdit* mmoChekFormat;
};

class KlishePage : public QWidget {
    Q_OBJECT
  public:
    explicit KlishePage(QWidget* parent = nullptr);
    QPushButton* btnGetKlishe;
    ui::ReportList* lvKlishe;
    ui::ReportList* lvFooter;
    QLabel* imgKlishe;
    QComboBox* cbbPicNums;
    QList<QRadioButton*> alignButtons;
    QList<QCheckBox*> formatChecks;
    QList<QLineEdit*> offsetEdits;
    QLabel* lblKlisheFont;
    QComboBox* cbbKlisheFont;
    QPushButton* btnKlisheBold;
    // Resets the formatting controls: all off, cleared, "0" and disabled.
    void resetFormatting();
    // The ten numbered rows of both line lists.
    void resetLines();
};

class SetPage : public QWidget {
    Q_OBJECT
  public:
    explicit SetPage(QWidget* parent = nullptr);
    QPushButton* btnGenSet;
    ui::ReportList* lvSetKKM;
    // Start-up column layout: hidden columns and the width of "Имя".
    void setUpColumns();
};

class ServPage : public QWidget {
    Q_OBJECT
  public:
    explicit ServPage(QWidget* parent = nullptr);
    QWidget* pnlServ;
    QLineEdit* edtSysTime;
    QLineEdit* edtKKMtime;
    QDateTimeEdit* dtSetTimeManual;
};

}  // namespace app
