#include "app/OtherTabs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/shared/Conventions.h"
#include "app/shared/ReportList.h"

namespace app {
namespace {
template <typename W, typename... Args>
W* named(QWidget* parent, const char* name, Args&&... args) {
    auto* w = new W(std::forward<Args>(args)..., parent);
    w->setObjectName(name);
    return w;
}
}  // namespace

ShiftPage::ShiftPage(QWidget* parent) : QWidget(parent) {
    setObjectName("tabShift");
    btnShift = named<QPushButton>(this, "btnShift", ui::btnValRead);
    lvShiftInfo = named<ui::ReportList>(this, "lvShiftInfo");
    lvShiftInfo->setColumns({{"Параметры смены", 240}, {"Значение", 300}});
    lvShiftInfo->horizontalHeader()->setStretchLastSection(true);
    edtShiftCash = named<QLineEdit>(this, "edtShiftCash");
    auto* row = new QHBoxLayout;
    row->addWidget(btnShift);
    row->addStretch();
    row->addWidget(edtShiftCash);
    auto* l = new QVBoxLayout(this);
    l->addWidget(lvShiftInfo, 1);
    l->addLayout(row);
}

CheckPage::CheckPage(QWidget* parent) : QWidget(parent) {
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

KlishePage::KlishePage(QWidget* parent) : QWidget(parent) {
    setObjectName("tabKlishe");
    btnGetKlishe = named<QPushButton>(this, "btnGetKlishe", ui::btnValRead);
    lvKlishe = named<ui::ReportList>(this, "lvKlishe");
    lvKlishe->setColumns({{"№", 30}, {"Клише", 400}});
    lvFooter = named<ui::ReportList>(this, "lvFooter");
    lvFooter->setColumns({{"№", 30}, {"Подвал", 400}});
    for (auto* list : {lvKlishe, lvFooter}) list->horizontalHeader()->setStretchLastSection(true);
    imgKlishe = named<QLabel>(this, "imgKlishe");
    cbbPicNums = named<QComboBox>(this, "cbbPicNums");
    auto* fmt = new QHBoxLayout;
    for (const char* n : {"rbKlisheLeft", "rbKlisheCenter", "rbKlisheRight"}) {
        auto* rb = named<QRadioButton>(this, n);
        alignButtons << rb;
        fmt->addWidget(rb);
    }
    for (const char* n : {"chkKlisheDoubleWidth", "chkKlisheDoubleHeight"}) {
        auto* c = named<QCheckBox>(this, n);
        formatChecks << c;
        fmt->addWidget(c);
    }
    for (const char* n : {"edtKlisheOffset1", "edtKlisheOffset2", "edtKlisheOffset3"}) {
        auto* e = named<QLineEdit>(this, n);
        offsetEdits << e;
        fmt->addWidget(e);
    }
    lblKlisheFont = named<QLabel>(this, "lblKlisheFont", QStringLiteral("Шрифт"));
    cbbKlisheFont = named<QComboBox>(this, "cbbKlisheFont");
    btnKlisheBold = named<QPushButton>(this, "btnKlisheBold", QStringLiteral("Ж"));
    fmt->addWidget(lblKlisheFont);
    fmt->addWidget(cbbKlisheFont);
    fmt->addWidget(btnKlisheBold);
    auto* top = new QHBoxLayout;
    top->addWidget(btnGetKlishe);
    top->addWidget(cbbPicNums);
    top->addWidget(imgKlishe, 1);
    auto* l = new QVBoxLayout(this);
    l->addLayout(top);
    l->addWidget(lvKlishe, 1);
    l->addWidget(lvFooter, 1);
    l->addLayout(fmt);
}

void KlishePage::resetFormatting() {
    for (auto* rb : alignButtons) {
        rb->setAutoExclusive(false);
        rb->setChecked(false);
        rb->setAutoExclusive(true);
        rb->setEnabled(false);
    }
    for (auto* c : formatChecks) {
        c->setChecked(false);
        c->setEnabled(false);
    }
    for (auto* e : offsetEdits) {
        e->setText("0");
        e->setEnabled(false);
    }
    cbbKlisheFont->setCurrentIndex(-1);
    cbbKlisheFont->setEnabled(false);
    lblKlisheFont->setEnabled(false);
    btnKlisheBold->setEnabled(false);
}

void KlishePage::resetLines() {
    for (auto* list : {lvKlishe, lvFooter}) {
        list->clearRows();
        for (int i = 1; i <= 10; ++i) list->addDataRow({QString::number(i), QString()});
        list->fillGrid();
    }
}

SetPage::SetPage(QWidget* parent) : QWidget(parent) {
    setObjectName("tabSet");
    btnGenSet = named<QPushButton>(this, "btnGenSet", ui::btnValRead);
    lvSetKKM = named<ui::ReportList>(this, "lvSetKKM");
    lvSetKKM->setColumns({{"ID", 50},
                          {"Имя", 300},
                          {"Тип", 40},
                          {"Значение", 200},
                          {"Описание", 200},
                          {"Raw значение из драйвера", 100},
                          {"Дубл. значение для контроля", 100}});
    auto* row = new QHBoxLayout;
    row->addWidget(btnGenSet);
    row->addStretch();
    auto* l = new QVBoxLayout(this);
    l->addWidget(lvSetKKM, 1);
    l->addLayout(row);
}

void SetPage::setUpColumns() {
    for (const char* c :
         {"Тип", "Описание", "Raw значение из драйвера", "Дубл. значение для контроля"})
        lvSetKKM->setColumnHidden(lvSetKKM->columnByCaption(c), true);
    const int name = lvSetKKM->columnByCaption("Имя");
    const int value = lvSetKKM->columnByCaption("Значение");
    lvSetKKM->setColumnWidth(name, lvSetKKM->width() - lvSetKKM->columnWidth(value) + 1);
}

ServPage::ServPage(QWidget* parent) : QWidget(parent) {
    setObjectName("tabServ");
    pnlServ = named<QWidget>(this, "pnlServ");
    pnlServ->setFocusPolicy(Qt::StrongFocus);
    edtSysTime = named<QLineEdit>(pnlServ, "edtSysTime");
    edtSysTime->setReadOnly(true);
    edtKKMtime = named<QLineEdit>(pnlServ, "edtKKMtime");
    edtKKMtime->setReadOnly(true);
    dtSetTimeManual = named<QDateTimeEdit>(pnlServ, "dtSetTimeManual");
    auto* form = new QFormLayout(pnlServ);
    form->addRow("Время ПК", edtSysTime);
    form->addRow("Время ККМ", edtKKMtime);
    form->addRow("Установить", dtSetTimeManual);
    auto* l = new QVBoxLayout(this);
    l->addWidget(pnlServ);
    l->addStretch();
}

}  // namespace app
