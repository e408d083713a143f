#include "settings/ui/TFormSetSet.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/ui/widgets/Handled.h"
#include "app/ui/widgets/Named.h"

namespace settings {

using ui::named;

TFormSetSet::TFormSetSet(QWidget* parent) : QDialog(parent) {
    setObjectName("TFormSetSet");
    setWindowTitle(QStringLiteral("Настройка параметра"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    lblValue = named<QLabel>(this, "lblValue", QStringLiteral("Значение"));
    edtSetNewVal = named<QLineEdit>(this, "edtSetNewVal");
    cbSetNewVal = named<QComboBox>(this, "cbSetNewVal");
    cbSetNewVal->setEditable(false);
    lblDesc = named<QLabel>(this, "lblDesc", QStringLiteral("Описание"));
    mmoSetDesc = named<QPlainTextEdit>(this, "mmoSetDesc");
    mmoSetDesc->setReadOnly(true);
    btnOK = named<QPushButton>(this, "btnOK", QStringLiteral("ОК"));
    btnCanc = named<QPushButton>(this, "btnCanc", QStringLiteral("Отмена"));
    btnOK->setDefault(true);

    auto* value = new QVBoxLayout;
    value->addWidget(lblValue);
    value->addWidget(edtSetNewVal);
    value->addWidget(cbSetNewVal);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCanc);
    auto* l = new QVBoxLayout(this);
    l->addLayout(value);
    l->addWidget(lblDesc);
    l->addWidget(mmoSetDesc, 1);
    l->addLayout(buttons);
    l->setSizeConstraint(QLayout::SetFixedSize);
    mmoSetDesc->setFixedSize(360, 90);

    connect(btnOK, &QPushButton::clicked, this, ui::atEdge(this, &TFormSetSet::btnOKClick));
    connect(btnCanc, &QPushButton::clicked, this, ui::atEdge(this, &TFormSetSet::btnCancClick));
    // cbSetNewValCloseUp: after a choice the focus goes to OK
    connect(cbSetNewVal, qOverload<int>(&QComboBox::activated), this,
            ui::atEdge(this, [this](int) { btnOK->setFocus(); }));
}

void TFormSetSet::setUp(const EditorSetup& setup) {
    cbSetNewVal->clear();
    mmoSetDesc->clear();
    edtSetNewVal->clear();
    edtSetNewVal->setReadOnly(false);
    const bool choice = setup.kind == EditorKind::Choice;
    cbSetNewVal->setVisible(choice);
    edtSetNewVal->setVisible(!choice);
    if (choice) {
        cbSetNewVal->addItems(setup.choices);
        cbSetNewVal->setCurrentIndex(setup.selected);
    } else {
        edtSetNewVal->setText(setup.text);
        // a kind without an editor of its own shows the value but takes no change
        edtSetNewVal->setReadOnly(setup.kind == EditorKind::None);
    }
    mmoSetDesc->setPlainText(setup.description);
    setWindowTitle(setup.caption);
}

void TFormSetSet::showEditor() {
    centreOnParent();
    open();
}

void TFormSetSet::btnOKClick() {
    if (!onAccept || onAccept()) accept();
}

void TFormSetSet::btnCancClick() {
    reject();
}

void TFormSetSet::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    btnOK->setFocus();  // FormShow
}

void TFormSetSet::centreOnParent() {
    adjustSize();
    if (auto* p = parentWidget()) {
        const QRect r = p->window()->frameGeometry();
        move(r.center() - rect().center());
    }
}

}  // namespace settings
