#include "documents/ui/CheckPage.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QFontMetrics>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QStyle>
#include <QTextDocument>
#include <QVBoxLayout>

#include "app/ui/widgets/Conventions.h"
#include "app/ui/widgets/FileDialog.h"
#include "app/ui/widgets/Handled.h"
#include "app/ui/widgets/Named.h"
#include "info/ReportExport.h"

namespace documents {

using ui::named;

CheckPage::CheckPage(const app::PageContext& ctx, QWidget* parent) : Page(ctx, parent) {
    setObjectName("tabCheck");
}

void CheckPage::build() {
    Panel7 = named<QFrame>(this, "Panel7");
    Panel7->setFocusPolicy(Qt::StrongFocus);
    btnCheck = named<QPushButton>(Panel7, "btnCheck", ui::btnValRead);
    dtpCheck = named<QDateEdit>(Panel7, "dtpCheck");
    dtpCheck->setCalendarPopup(true);
    edtCheckLstNum = named<QLineEdit>(Panel7, "edtCheckLstNum");
    edtCheckLastDate = named<QLineEdit>(Panel7, "edtCheckLastDate");
    edtCheckFirstDate = named<QLineEdit>(Panel7, "edtCheckFirstDate");
    edtCheckCurState = named<QLineEdit>(Panel7, "edtCheckCurState");
    edtCheckNumCheck = named<QLineEdit>(Panel7, "edtCheckNumCheck");
    edtCheckNumCheck->setAlignment(Qt::AlignCenter);
    // Typed keys are filtered below; the validator also keeps pasted text to digits.
    edtCheckNumCheck->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edtCheckNumCheck));
    edtCheckNumCheck->installEventFilter(this);
    for (auto* e : {edtCheckLstNum, edtCheckLastDate, edtCheckFirstDate, edtCheckCurState})
        e->setReadOnly(true);
    btnCheckSowCheck = named<QPushButton>(Panel7, "btnCheckSowCheck",
                                          QStringLiteral("Прочитать документ по номеру"));
    btnCheckPrev = named<QPushButton>(Panel7, "btnCheckPrev", QStringLiteral("<"));
    btnCheckNext = named<QPushButton>(Panel7, "btnCheckNext", QStringLiteral(">"));
    btnCheckSearch = named<QPushButton>(Panel7, "btnCheckSearch", kSearchCaption);
    btnShiftPrev = named<QPushButton>(Panel7, "btnShiftPrev", QStringLiteral("<"));
    btnShiftNext = named<QPushButton>(Panel7, "btnShiftNext", QStringLiteral(">"));
    chkCheckIncFiscalinfo = named<QCheckBox>(Panel7, "chkCheckIncFiscalinfo",
                                             QStringLiteral("Вывод рег. информации в чеке"));
    btnCheckGetOpened =
        named<QPushButton>(Panel7, "btnCheckGetOpened", QStringLiteral("Прочитать"));
    btnCheckClose = named<QPushButton>(Panel7, "btnCheckClose", QStringLiteral("Закрыть"));
    btnCheckCancel = named<QPushButton>(Panel7, "btnCheckCancel", QStringLiteral("Отменить"));
    btnCheckDopechatat =
        named<QPushButton>(Panel7, "btnCheckDopechatat", QStringLiteral("Допечатать"));
    Button6 = named<QPushButton>(Panel7, "Button6", QStringLiteral("Напечатать документ"));
    btnSaveCheck = named<QPushButton>(Panel7, "btnSaveCheck", QStringLiteral("Сохранить в файл"));
    mmoChekFormat = named<QPlainTextEdit>(this, "mmoChekFormat");
    mmoChekFormat->setReadOnly(true);
    mmoChekFormat->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setPixelSize(13);
    mmoChekFormat->setFont(mono);
    clearView();
    // room for the widest receipt line beside the vertical scroll bar
    mmoChekFormat->setMinimumWidth(
        QFontMetrics(mono).horizontalAdvance(QString(kWidestReceiptLine, u'=')) +
        2 * int(mmoChekFormat->document()->documentMargin()) + 2 * mmoChekFormat->frameWidth() +
        mmoChekFormat->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, mmoChekFormat));

    // the arrows as narrow as they are high and a half, the boxes between them wide
    for (auto* b : {btnCheckPrev, btnCheckNext, btnShiftPrev, btnShiftNext})
        b->setFixedWidth(b->sizeHint().height() * 3 / 2);
    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(btnCheckPrev);
    numberRow->addWidget(edtCheckNumCheck, 1);
    numberRow->addWidget(btnCheckNext);
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(btnShiftPrev);
    dateRow->addWidget(dtpCheck, 1);
    dateRow->addWidget(btnShiftNext);
    // A narrow column of controls, each caption above its box, leaves the width to the view.
    auto* form = new QFormLayout;
    form->setRowWrapPolicy(QFormLayout::WrapAllRows);
    form->addRow(btnCheck);
    form->addRow(QStringLiteral("Текущий чек в ККМ:"), edtCheckCurState);
    auto* receiptRows = new QGridLayout;
    receiptRows->addWidget(btnCheckGetOpened, 0, 0);
    receiptRows->addWidget(btnCheckClose, 0, 1);
    receiptRows->addWidget(btnCheckCancel, 1, 0);
    receiptRows->addWidget(btnCheckDopechatat, 1, 1);
    form->addRow(receiptRows);
    form->addRow(QStringLiteral("Документы в ФН:"), edtCheckFirstDate);
    form->addRow(edtCheckLastDate);
    form->addRow(QStringLiteral("Всего документов в ФН:"), edtCheckLstNum);
    form->addRow(numberRow);
    form->addRow(btnCheckSowCheck);
    form->addRow(chkCheckIncFiscalinfo);
    form->addRow(dateRow);
    form->addRow(btnCheckSearch);
    form->addRow(Button6);
    form->addRow(btnSaveCheck);
    auto* panel = new QVBoxLayout(Panel7);
    panel->setContentsMargins(0, 0, 0, 0);
    panel->addLayout(form);
    panel->addStretch();
    auto* l = new QHBoxLayout(this);
    l->addWidget(Panel7);
    l->addWidget(mmoChekFormat, 1);

    connect(btnCheck, &QPushButton::clicked, this, ui::atEdge(this, [this] { btnCheckClick(); }));
    connect(btnCheckSowCheck, &QPushButton::clicked, this,
            ui::atEdge(this, [this] { btnCheckSowCheckClick(Sender::ShowButton); }));
    connect(btnCheckNext, &QPushButton::clicked, this,
            ui::atEdge(this, [this] { btnCheckNextClick(); }));
    connect(btnCheckPrev, &QPushButton::clicked, this,
            ui::atEdge(this, [this] { btnCheckPrevClick(); }));
    connect(btnCheckSearch, &QPushButton::clicked, this,
            ui::atEdge(this, [this] { btnCheckSearchClick(); }));
    connect(btnShiftNext, &QPushButton::clicked, this,
            ui::atEdge(this, [this] { btnShiftNextClick(); }));
    connect(btnShiftPrev, &QPushButton::clicked, this,
            ui::atEdge(this, [this] { btnShiftPrevClick(); }));
    connect(btnCheckGetOpened, &QPushButton::clicked, this,
            ui::atEdge(this, [this] { btnCheckGetOpenedClick(); }));
    connect(btnCheckClose, &QPushButton::clicked, this,
            ui::atEdge(this, [this] { btnCheckCloseClick(); }));
    connect(btnCheckCancel, &QPushButton::clicked, this,
            ui::atEdge(this, [this] { btnCheckCancelClick(); }));
    connect(btnCheckDopechatat, &QPushButton::clicked, this,
            ui::atEdge(this, [this] { btnCheckDopechatatClick(); }));
    connect(Button6, &QPushButton::clicked, this, ui::atEdge(this, [this] { Button6Click(); }));
    connect(btnSaveCheck, &QPushButton::clicked, this,
            ui::atEdge(this, [this] { btnSaveCheckClick(); }));
    // The picker's calendar closes on a choice; the focus goes back to the panel.
    ui::whenCalendarShown(dtpCheck, [this](QCalendarWidget* calendar) {
        connect(calendar, &QCalendarWidget::clicked, this,
                ui::atEdge(this, [this] { Panel7->setFocus(); }));
    });
}

void CheckPage::resetView() {
    for (auto* e :
         {edtCheckLstNum, edtCheckLastDate, edtCheckFirstDate, edtCheckCurState, edtCheckNumCheck})
        e->clear();
    clearView();
    // A walk waiting for messages must not go on with a driver object that may be replaced.
    searchMark_.clear();
    shiftMark_.clear();
    btnCheckSearch->setText(kSearchCaption);
}

QAbstractButton* CheckPage::readButton() const {
    return btnCheck;
}

void CheckPage::windowShown() {
    dtpCheck->setDate(QDate::currentDate());
}

bool CheckPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edtCheckNumCheck && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            btnCheckSowCheckClick(Sender::NumberBox);
            Panel7->setFocus();
            return true;
        }
        // Character keys: digits and Backspace only; editing and moving keys pass.
        const QString text = key->text();
        if (!text.isEmpty() && text.at(0).isPrint() && !acceptsNumberKey(text.at(0))) return true;
    }
    return Page::eventFilter(watched, event);
}

void CheckPage::clearView() {
    mmoChekFormat->clear();
    mmoChekFormat->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mmoChekFormat->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

bool CheckPage::tabReset() const {
    return ui::readMarker(btnCheck) == 0;
}

bool CheckPage::canStep() {
    if (ui::dataNotReceived(btnCheck, ui())) return false;
    if (edtCheckNumCheck->text().isEmpty() || edtCheckLstNum->text().isEmpty()) return false;
    return session().fptr() != nullptr;
}

void CheckPage::showDocument(qint64 number, Sender sender) {
    edtCheckNumCheck->setText(QString::number(number));
    btnCheckSowCheckClick(sender);
}

void CheckPage::btnCheckSowCheckClick(Sender sender) {
    if (ui::dataNotReceived(btnCheck, ui())) return;
    if (edtCheckNumCheck->text().isEmpty() || edtCheckLstNum->text().isEmpty()) return;
    const auto number = documentNumber(edtCheckNumCheck->text());
    if (!number || !session().fptr()) return;
    const int client =
        mmoChekFormat->viewport()->width() - 2 * int(mmoChekFormat->document()->documentMargin());
    const QFont font = mmoChekFormat->font();
    const int width = separatorLength(
        [&font](const QString& s) { return QFontMetrics(font).horizontalAdvance(s); }, client);
    clearView();
    ui().processEvents();
    if (tabReset()) return;
    const auto source =
        readRenderSource(*session().fptr(), ui(), *number, chkCheckIncFiscalinfo->isChecked());
    if (!source || tabReset()) return;
    const Rendering r = documents::render(*source, width, sender);
    mmoChekFormat->setUpdatesEnabled(false);
    mmoChekFormat->setPlainText(r.text());
    mmoChekFormat->setUpdatesEnabled(true);
    if (r.bothScrollBars) mmoChekFormat->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    curCheckShiftNum_ = r.shiftNumber;
    if (r.pickerDateTime) dtpCheck->setDate(r.pickerDateTime->date());
}

void CheckPage::btnCheckClick() {
    if (!session().kkmConnected() || !session().fptr()) {
        ui().message(kNotConnected);
        return;
    }
    ui::setReadMarker(btnCheck, 1);
    for (auto* e :
         {edtCheckLstNum, edtCheckFirstDate, edtCheckLastDate, edtCheckCurState, edtCheckNumCheck})
        e->clear();
    ui::BusyButton busy(btnCheck, ui(), ui::btnValRead);
    clearView();
    ui().processEvents();
    if (tabReset() || !session().fptr()) return;
    drv::Fptr& fptr = *session().fptr();
    edtCheckCurState->setText(readReceiptState(fptr, ui()));
    const TabState t = readArchiveState(fptr, ui());
    if (!t.fnFound) return;
    edtCheckLstNum->setText(t.lastNumber);
    edtCheckNumCheck->setText(t.lastNumber);
    edtCheckFirstDate->setText(t.firstDate);
    edtCheckLastDate->setText(t.lastDate);
    // The picker's range: the days of the first and the last document.
    if (t.first) dtpCheck->setMinimumDate(*t.first);
    if (t.last) dtpCheck->setMaximumDate(*t.last);
    lastCheckShiftNum_ = t.lastShift;
    curCheckShiftNum_ = t.lastShift;
}

void CheckPage::btnCheckNextClick() {
    if (!canStep()) return;
    const auto n = nextDocument(edtCheckNumCheck->text(), edtCheckLstNum->text());
    if (!n) return;
    ui().processEvents();
    if (tabReset()) return;
    showDocument(*n, Sender::NextDocument);
}

void CheckPage::btnCheckPrevClick() {
    if (!canStep()) return;
    const auto n = previousDocument(edtCheckNumCheck->text(), edtCheckLstNum->text());
    if (!n) return;
    showDocument(*n, Sender::PreviousDocument);
}

void CheckPage::btnCheckSearchClick() {
    if (ui::dataNotReceived(btnCheck, ui())) return;
    if (edtCheckLstNum->text().isEmpty() || !session().fptr()) return;
    if (searchMark_.isSet()) {  // the second press: "Прервать"
        searchMark_.clear();
        return;
    }
    clearView();
    edtCheckNumCheck->clear();
    btnCheckSearch->setText(kAbortCaption);
    searchMark_.set();
    ui().processEvents();
    WalkResult r;
    if (!tabReset() && searchMark_.isSet())
        r = dateSearch(*session().fptr(), ui(), searchMark_,
                       {edtCheckLstNum->text(), edtCheckLastDate->text(), dtpCheck->date()});
    const bool reset = tabReset();
    btnCheckSearch->setText(kSearchCaption);
    searchMark_.clear();
    if (reset) return;
    if (r.show)
        showDocument(*r.show, Sender::DateSearch);
    else if (r.numberText)
        edtCheckNumCheck->setText(*r.numberText);
    if (!r.viewLine.isEmpty()) mmoChekFormat->appendPlainText(r.viewLine);
}

void CheckPage::shiftStep(bool next) {
    if (!canStep()) return;
    ShiftStepInput in;
    in.view = mmoChekFormat->toPlainText().split(u'\n');
    if (mmoChekFormat->document()->isEmpty()) in.view.clear();
    in.number = edtCheckNumCheck->text();
    in.lastNumber = edtCheckLstNum->text();
    in.curShift = curCheckShiftNum_;
    in.lastShift = lastCheckShiftNum_;
    in.clearView = [this] { clearView(); };
    shiftMark_.set();
    const WalkResult r = next ? nextShift(*session().fptr(), ui(), shiftMark_, in)
                              : previousShift(*session().fptr(), ui(), shiftMark_, in);
    shiftMark_.clear();
    if (tabReset()) return;
    if (r.show) showDocument(*r.show, next ? Sender::NextShift : Sender::PreviousShift);
}

void CheckPage::btnShiftNextClick() {
    shiftStep(true);
}

void CheckPage::btnShiftPrevClick() {
    shiftStep(false);
}

bool CheckPage::receiptControlsReady() {
    if (ui::dataNotReceived(btnCheck, ui())) return false;
    return session().fptr() != nullptr;
}

void CheckPage::showOpenReceipt(const OpenReceiptView& view) {
    edtCheckCurState->setText(view.state);
    clearView();
    mmoChekFormat->setPlainText(view.lines.join(u'\n'));
}

void CheckPage::btnCheckGetOpenedClick() {
    if (!receiptControlsReady()) return;
    const OpenReceiptView view = readOpenReceipt(*session().fptr());
    // A failed query answers nothing about the receipt: it is told, not shown as a closed one.
    if (view.error != 0) {
        ui().message(view.errorDescription);
        return;
    }
    showOpenReceipt(view);
}

void CheckPage::btnCheckCloseClick() {
    if (!receiptControlsReady()) return;
    if (closeOpenReceipt(*session().fptr(), ui())) btnCheckGetOpenedClick();
}

void CheckPage::btnCheckCancelClick() {
    if (!receiptControlsReady()) return;
    if (cancelOpenReceipt(*session().fptr(), ui())) btnCheckGetOpenedClick();
}

void CheckPage::btnCheckDopechatatClick() {
    if (!receiptControlsReady()) return;
    continuePrinting(*session().fptr(), ui());
}

void CheckPage::Button6Click() {
    if (!receiptControlsReady()) return;
    printDocumentCopy(*session().fptr(), ui(), edtCheckNumCheck->text());
}

void CheckPage::btnSaveCheckClick() {
    const auto chosen =
        ui::FileDialog::save(window(), kSaveViewFilter, QStringLiteral("txt"), savedViewName_);
    if (chosen.fileName.isEmpty()) return;
    savedViewName_ = chosen.fileName;
    QString error;
    if (!info::writeAnsiFile(chosen.fileName, viewLines(mmoChekFormat->toPlainText()), &error))
        ui().message(
            QStringLiteral("Не удалось записать файл \"%1\": %2").arg(chosen.fileName, error),
            ui::Icon::Error);
}

}  // namespace documents
