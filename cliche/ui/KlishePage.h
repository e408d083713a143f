#pragma once
// The Клише/Подвал tab.
#include <QList>

#include "app/ui/Page.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace cliche {

class KlishePage : public app::Page {
    Q_OBJECT
  public:
    explicit KlishePage(const app::PageContext& ctx, QWidget* parent = nullptr);
    QString caption() const override { return QStringLiteral(" Клише/Подвал   "); }
    void resetView() override;
    QAbstractButton* readButton() const override;
    ui::ReportList* reportList() const override { return lvKlishe; }

    QPushButton* btnGetKlishe = nullptr;
    ui::ReportList* lvKlishe = nullptr;
    ui::ReportList* lvFooter = nullptr;
    QLabel* imgKlishe = nullptr;
    QComboBox* cbbPicNums = nullptr;
    QList<QRadioButton*> alignButtons;
    QList<QCheckBox*> formatChecks;
    QList<QLineEdit*> offsetEdits;
    QLabel* lblKlisheFont = nullptr;
    QComboBox* cbbKlisheFont = nullptr;
    QPushButton* btnKlisheBold = nullptr;
    // Resets the formatting controls: all off, cleared, "0" and disabled.
    void resetFormatting();
    // The ten numbered rows of both line lists.
    void resetLines();
};

}  // namespace cliche
