#include "cliche/ui/KlishePage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/ui/widgets/Named.h"
#include "app/ui/widgets/ReportList.h"

namespace cliche {

using ui::named;

KlishePage::KlishePage(const app::PageContext& ctx, QWidget* parent) : Page(ctx, parent) {
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

void KlishePage::resetView() {
    resetLines();
    imgKlishe->clear();
    cbbPicNums->clear();
    resetFormatting();
}

QAbstractButton* KlishePage::readButton() const {
    return btnGetKlishe;
}

}  // namespace cliche
