#include "documents/ui/CheckPage.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/ui/widgets/Named.h"

namespace documents {

using ui::named;

CheckPage::CheckPage(const app::PageContext& ctx, QWidget* parent) : Page(ctx, parent) {
    setObjectName("tabCheck");
    btnCheck = named<QPushButton>(this, "btnCheck", ui::btnValRead);
    dtpCheck = named<QDateEdit>(this, "dtpCheck");
    dtpCheck->setCalendarPopup(true);
    edtCheckLstNum = named<QLineEdit>(this, "edtCheckLstNum");
    edtCheckLastDate = named<QLineEdit>(this, "edtCheckLastDate");
    edtCheckFirstDate = named<QLineEdit>(this, "edtCheckFirstDate");
    edtCheckCurState = named<QLineEdit>(this, "edtCheckCurState");
    edtCheckNumCheck = named<QLineEdit>(this, "edtCheckNumCheck");
    for (auto* e : {edtCheckLstNum, edtCheckLastDate, edtCheckFirstDate, edtCheckCurState})
        e->setReadOnly(true);
    mmoChekFormat = named<QPlainTextEdit>(this, "mmoChekFormat");
    mmoChekFormat->setReadOnly(true);
    auto* form = new QFormLayout;
    form->addRow(btnCheck);
    form->addRow("Последний документ", edtCheckLstNum);
    form->addRow("Дата последнего", edtCheckLastDate);
    form->addRow("Дата первого", edtCheckFirstDate);
    form->addRow("Состояние", edtCheckCurState);
    form->addRow("Номер документа", edtCheckNumCheck);
    form->addRow("Дата", dtpCheck);
    auto* l = new QHBoxLayout(this);
    l->addLayout(form);
    l->addWidget(mmoChekFormat, 1);
}

void CheckPage::resetView() {
    for (auto* e :
         {edtCheckLstNum, edtCheckLastDate, edtCheckFirstDate, edtCheckCurState, edtCheckNumCheck})
        e->clear();
    mmoChekFormat->clear();
}

QAbstractButton* CheckPage::readButton() const {
    return btnCheck;
}

void CheckPage::windowShown() {
    dtpCheck->setDate(QDate::currentDate());
}

}  // namespace documents
