#include "cliche/ui/KlishePage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScopeGuard>
#include <QVBoxLayout>
#include <functional>

#include "app/SavedList.h"
#include "app/ui/widgets/Conventions.h"
#include "app/ui/widgets/FileDialog.h"
#include "app/ui/widgets/Handled.h"
#include "app/ui/widgets/MessageBox.h"
#include "app/ui/widgets/Named.h"
#include "app/ui/widgets/ReportList.h"
#include "cliche/ClicheFile.h"
#include "cliche/Lines.h"
#include "cliche/Markup.h"
#include "cliche/Pictures.h"
#include "driver/Fptr.h"

// The font the program carries for the display form's font mark; outside any namespace, as the
// resource's initialiser wants.
static QString markFontFamily() {
    static const QString family = [] {
        Q_INIT_RESOURCE(cliche_fonts);
        const int id =
            QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/NotoSansRunic-Regular.ttf"));
        return id < 0 ? QString() : QFontDatabase::applicationFontFamilies(id).value(0);
    }();
    return family;
}

namespace cliche {

using ui::named;

namespace {

const QString kNoPictures = QStringLiteral("Нет картинок в памяти ККМ");
const QString kUploadFailed = QStringLiteral("Не удалось загрузить картинку");
const QString kSelectText = QStringLiteral("Выделите в строке нужный текст без спецсимволов");
const QString kPicturesNotRead =
    QStringLiteral("Не удалось считать картинки из памяти ККМ. Память ККМ не изменена");
constexpr int kPreviewSize = 150;

void setOff(QRadioButton* rb) {
    rb->setAutoExclusive(false);
    rb->setChecked(false);
    rb->setAutoExclusive(true);
}

QLineEdit* offsetEdit(QWidget* parent, const char* name, int maxLength) {
    auto* e = named<QLineEdit>(parent, name, QStringLiteral("0"));
    e->setMaxLength(maxLength);
    e->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
    e->setFixedWidth(ui::editWidthFor(e, QString(maxLength, u'0')));
    return e;
}

}  // namespace

KlishePage::KlishePage(const app::PageContext& ctx, QWidget* parent) : Page(ctx, parent) {
    setObjectName("tabKlishe");
}

void KlishePage::build() {
    origFontSymb = QChar(kRegisterFont);
    myFontSymb = QChar(kDisplayFont);

    btnGetKlishe = named<QPushButton>(this, "btnGetKlishe", ui::btnValRead);
    btnKlisheApply = named<QPushButton>(this, "btnKlisheApply", QStringLiteral("Сохранить"));
    Button1 = named<QPushButton>(this, "Button1", QStringLiteral("Очистить строки"));
    rbKlisheMode = named<QRadioButton>(this, "rbKlisheMode", QStringLiteral("Клише"));
    rbFooterMode = named<QRadioButton>(this, "rbFooterMode", QStringLiteral("Подвал"));
    rbKlisheMode->setChecked(true);

    lvKlishe = named<ui::ReportList>(this, "lvKlishe");
    lvKlishe->setColumns({{"№", 30}, {"Строки клише", 400}});
    lvFooter = named<ui::ReportList>(this, "lvFooter");
    lvFooter->setColumns({{"№", 30}, {"Строки подвала", 400}});
    for (auto* list : {lvKlishe, lvFooter}) list->horizontalHeader()->setStretchLastSection(true);
    actLV = lvKlishe;
    lvFooter->hide();
    useMarkFont();

    PnlRename = named<QFrame>(lvKlishe->viewport(), "PnlRename");
    edtItemRename = named<QLineEdit>(PnlRename, "edtItemRename");
    edtItemRename->setFrame(false);
    auto* pl = new QHBoxLayout(PnlRename);
    pl->setContentsMargins(0, 0, 0, 0);
    pl->addWidget(edtItemRename);
    PnlRename->hide();
    edtItemRename->installEventFilter(this);

    grpText = named<QGroupBox>(this, "grpText", QStringLiteral("Текст"));
    rbKlisheLeft =
        named<QRadioButton>(grpText, "rbKlisheLeft", QStringLiteral("Выровнять по левому краю"));
    rbKlisheCenter =
        named<QRadioButton>(grpText, "rbKlisheCenter", QStringLiteral("Выровнять по центру"));
    rbKlisheRight =
        named<QRadioButton>(grpText, "rbKlisheRight", QStringLiteral("Выровнять по правому краю"));
    lblKlisheFont = named<QLabel>(grpText, "lblKlisheFont", QStringLiteral("Номер шрифта:"));
    cbbKlisheFont = named<QComboBox>(grpText, "cbbKlisheFont");
    cbbKlisheFont->addItems({"0", "1", "2", "3"});
    chkKlisheOffsetTop =
        named<QCheckBox>(grpText, "chkKlisheOffsetTop", QStringLiteral("Отступ сверху:"));
    edtKlisheTopOffset = offsetEdit(grpText, "edtKlisheTopOffset", 2);
    btnKlisheBold =
        named<QPushButton>(grpText, "btnKlisheBold", QStringLiteral("Увеличенный шрифт"));
    // the line editor keeps the focus and its selection while the button is pressed
    btnKlisheBold->setFocusPolicy(Qt::NoFocus);
    auto* tl = new QGridLayout(grpText);
    tl->addWidget(rbKlisheLeft, 0, 0, 1, 2);
    tl->addWidget(rbKlisheCenter, 1, 0, 1, 2);
    tl->addWidget(rbKlisheRight, 2, 0, 1, 2);
    tl->addWidget(lblKlisheFont, 3, 0);
    tl->addWidget(cbbKlisheFont, 3, 1);
    tl->addWidget(chkKlisheOffsetTop, 4, 0);
    tl->addWidget(edtKlisheTopOffset, 4, 1);
    tl->addWidget(btnKlisheBold, 5, 0, 1, 2);
    tl->setColumnStretch(2, 1);  // the boxes stay beside their captions on a wide page

    grpPic = named<QGroupBox>(this, "grpPic", QStringLiteral("Картинка"));
    rbKlisheLeftPic =
        named<QRadioButton>(grpPic, "rbKlisheLeftPic", QStringLiteral("Выровнять по левому краю"));
    rbKlisheCenterPic =
        named<QRadioButton>(grpPic, "rbKlisheCenterPic", QStringLiteral("Выровнять по центру"));
    rbKlisheRightPic = named<QRadioButton>(grpPic, "rbKlisheRightPic",
                                           QStringLiteral("Выровнять по правому краю"));
    rbKlisheLeftOffsetPic =
        named<QRadioButton>(grpPic, "rbKlisheLeftOffsetPic", QStringLiteral("Отступ слева:"));
    edtKlisheLeftOffsetPic = offsetEdit(grpPic, "edtKlisheLeftOffsetPic", 5);
    chkKlisheOffsetTopPic =
        named<QCheckBox>(grpPic, "chkKlisheOffsetTopPic", QStringLiteral("Отступ сверху:"));
    edtKlisheTopOffsetPic = offsetEdit(grpPic, "edtKlisheTopOffsetPic", 2);
    auto* gl = new QGridLayout(grpPic);
    gl->addWidget(rbKlisheLeftPic, 0, 0, 1, 2);
    gl->addWidget(rbKlisheCenterPic, 1, 0, 1, 2);
    gl->addWidget(rbKlisheRightPic, 2, 0, 1, 2);
    gl->addWidget(rbKlisheLeftOffsetPic, 3, 0);
    gl->addWidget(edtKlisheLeftOffsetPic, 3, 1);
    gl->addWidget(chkKlisheOffsetTopPic, 4, 0);
    gl->addWidget(edtKlisheTopOffsetPic, 4, 1);
    gl->setColumnStretch(2, 1);

    GroupBox5 = named<QGroupBox>(this, "GroupBox5", QStringLiteral("Картинки в памяти ККМ"));
    cbbPicNums = named<QComboBox>(GroupBox5, "cbbPicNums");
    imgKlishe = named<QLabel>(GroupBox5, "imgKlishe");
    imgKlishe->setFixedSize(kPreviewSize, kPreviewSize);
    imgKlishe->setAlignment(Qt::AlignCenter);
    btnSetPicToStr =
        named<QPushButton>(GroupBox5, "btnSetPicToStr", QStringLiteral("Установить в строку"));
    btnReplacePic = named<QPushButton>(GroupBox5, "btnReplacePic", QStringLiteral("Заменить"));
    btnAddPic = named<QPushButton>(GroupBox5, "btnAddPic", QStringLiteral("Добавить"));
    btnDelPic = named<QPushButton>(GroupBox5, "btnDelPic", QStringLiteral("Удалить"));
    btnSavePic = named<QPushButton>(GroupBox5, "btnSavePic", QStringLiteral("Сохранить"));
    Button3 = named<QPushButton>(GroupBox5, "Button3", QStringLiteral("Напечатать"));
    auto* picl = new QGridLayout(GroupBox5);
    picl->addWidget(cbbPicNums, 0, 0);
    picl->addWidget(imgKlishe, 1, 0, 6, 1);
    int r = 0;
    for (auto* b : {btnSetPicToStr, btnReplacePic, btnAddPic, btnDelPic, btnSavePic, Button3})
        picl->addWidget(b, r++, 1);

    btnKlisheSave = named<QPushButton>(this, "btnKlisheSave", QStringLiteral("Сохранить"));
    btnKlisheOpen = named<QPushButton>(this, "btnKlisheOpen", QStringLiteral("Открыть"));
    btnPrintKlishe = named<QPushButton>(this, "btnPrintKlishe", QStringLiteral("Печать клише"));
    btnTestCheck = named<QPushButton>(this, "btnTestCheck", QStringLiteral("Тестовый чек"));
    auto* note =
        named<QLabel>(this, "lblKlisheNote",
                      QStringLiteral("Неактивные свойства не поддерживаются прошивкой ККМ"));

    auto* top = new QHBoxLayout;
    top->addWidget(btnGetKlishe);
    top->addWidget(btnKlisheApply);
    top->addWidget(Button1);
    top->addStretch(1);
    top->addWidget(rbKlisheMode);
    top->addWidget(rbFooterMode);
    // the lines and the pictures beside them; the formatting of the selected line below
    auto* lists = new QHBoxLayout;
    lists->addWidget(lvKlishe, 1);
    lists->addWidget(lvFooter, 1);
    lists->addWidget(GroupBox5);
    auto* groups = new QHBoxLayout;
    groups->addWidget(grpText, 1);
    groups->addWidget(grpPic, 1);
    auto* bottom = new QHBoxLayout;
    for (auto* b : {btnKlisheSave, btnKlisheOpen, btnPrintKlishe, btnTestCheck})
        bottom->addWidget(b);
    bottom->addStretch(1);
    auto* l = new QVBoxLayout(this);
    l->addLayout(top);
    l->addLayout(lists, 1);
    l->addLayout(groups);
    l->addLayout(bottom);
    l->addWidget(note);

    connect(btnGetKlishe, &QPushButton::clicked, this,
            ui::atEdge(this, [this] { btnGetKlisheClick(Sender::Read); }));
    connect(btnKlisheApply, &QPushButton::clicked, this,
            ui::atEdge(this, &KlishePage::btnKlisheApplyClick));
    connect(Button1, &QPushButton::clicked, this, ui::atEdge(this, &KlishePage::Button1Click));
    connect(rbKlisheMode, &QRadioButton::clicked, this,
            ui::atEdge(this, [this] { rbKlisheModeClick(false); }));
    connect(rbFooterMode, &QRadioButton::clicked, this,
            ui::atEdge(this, [this] { rbKlisheModeClick(true); }));
    for (auto* list : {lvKlishe, lvFooter}) {
        connect(list, &QTableWidget::cellClicked, this,
                ui::atEdge(this, [this, list](int row, int) { lvKlisheItemClick(list, row); }));
        connect(list, &QTableWidget::cellDoubleClicked, this,
                ui::atEdge(this, [this, list](int, int) { lvKlisheItemDblClick(list); }));
    }
    // The handlers below listen only to the user's own changes (clicked, activated, edited):
    // showing a row's formatting fills the controls without rewriting the row.
    connect(rbKlisheLeft, &QRadioButton::clicked, this, ui::atEdge(this, [this] {
                rewriteSelected([](const QString& t) { return setAlignment(t, Align::Left); });
            }));
    connect(rbKlisheCenter, &QRadioButton::clicked, this, ui::atEdge(this, [this] {
                rewriteSelected([](const QString& t) { return setAlignment(t, Align::Center); });
            }));
    connect(rbKlisheRight, &QRadioButton::clicked, this, ui::atEdge(this, [this] {
                rewriteSelected([](const QString& t) { return setAlignment(t, Align::Right); });
            }));
    connect(cbbKlisheFont, &QComboBox::activated, this, ui::atEdge(this, [this](int index) {
                const QString item = cbbKlisheFont->itemText(index);
                rewriteSelected([item](const QString& t) { return cliche::setFont(t, item); });
            }));
    connect(chkKlisheOffsetTop, &QCheckBox::clicked, this,
            ui::atEdge(this, &KlishePage::applyTextOffset));
    connect(edtKlisheTopOffset, &QLineEdit::textEdited, this, ui::atEdge(this, [this] {
                if (chkKlisheOffsetTop->isChecked()) applyTextOffset();
            }));
    for (auto* rb : {rbKlisheLeftPic, rbKlisheCenterPic, rbKlisheRightPic, rbKlisheLeftOffsetPic})
        connect(rb, &QRadioButton::clicked, this,
                ui::atEdge(this, &KlishePage::applyPicturePlacement));
    connect(edtKlisheLeftOffsetPic, &QLineEdit::textEdited, this, ui::atEdge(this, [this] {
                if (rbKlisheLeftOffsetPic->isChecked()) applyPicturePlacement();
            }));
    connect(chkKlisheOffsetTopPic, &QCheckBox::clicked, this,
            ui::atEdge(this, &KlishePage::applyPictureOffset));
    connect(edtKlisheTopOffsetPic, &QLineEdit::textEdited, this, ui::atEdge(this, [this] {
                if (chkKlisheOffsetTopPic->isChecked()) applyPictureOffset();
            }));
    for (auto* e : {edtKlisheTopOffset, edtKlisheLeftOffsetPic, edtKlisheTopOffsetPic})
        connect(e, &QLineEdit::editingFinished, this, ui::atEdge(this, [e] {
                    if (e->text().trimmed().isEmpty()) e->setText(QStringLiteral("0"));
                }));
    connect(btnKlisheBold, &QPushButton::clicked, this,
            ui::atEdge(this, &KlishePage::btnKlisheBoldClick));

    connect(cbbPicNums, &QComboBox::activated, this,
            ui::atEdge(this, &KlishePage::cbbPicNumsChange));
    connect(btnSetPicToStr, &QPushButton::clicked, this,
            ui::atEdge(this, &KlishePage::btnSetPicToStrClick));
    connect(btnAddPic, &QPushButton::clicked, this, ui::atEdge(this, &KlishePage::btnAddPicClick));
    connect(btnReplacePic, &QPushButton::clicked, this,
            ui::atEdge(this, &KlishePage::btnReplacePicClick));
    connect(btnDelPic, &QPushButton::clicked, this, ui::atEdge(this, &KlishePage::btnDelPicClick));
    connect(btnSavePic, &QPushButton::clicked, this,
            ui::atEdge(this, &KlishePage::btnSavePicClick));
    connect(Button3, &QPushButton::clicked, this, ui::atEdge(this, &KlishePage::Button3Click));
    connect(btnKlisheSave, &QPushButton::clicked, this,
            ui::atEdge(this, &KlishePage::btnKlisheSaveClick));
    connect(btnKlisheOpen, &QPushButton::clicked, this,
            ui::atEdge(this, &KlishePage::btnKlisheOpenClick));
    connect(btnPrintKlishe, &QPushButton::clicked, this,
            ui::atEdge(this, &KlishePage::btnPrintKlisheClick));
    connect(btnTestCheck, &QPushButton::clicked, this,
            ui::atEdge(this, &KlishePage::btnTestCheckClick));
    resetFormatting();
}

void KlishePage::windowShown() {
    actLV = lvKlishe;
    origFontSymb = QChar(kRegisterFont);
    myFontSymb = QChar(kDisplayFont);
    rbKlisheMode->setChecked(true);
    lvKlishe->show();
    lvFooter->hide();
}

void KlishePage::resetFormatting() {
    for (auto* rb : {rbKlisheLeft, rbKlisheCenter, rbKlisheRight, rbKlisheLeftPic,
                     rbKlisheCenterPic, rbKlisheRightPic, rbKlisheLeftOffsetPic}) {
        setOff(rb);
        rb->setEnabled(false);
    }
    for (auto* c : {chkKlisheOffsetTop, chkKlisheOffsetTopPic}) {
        c->setChecked(false);
        c->setEnabled(false);
    }
    for (auto* e : {edtKlisheTopOffset, edtKlisheLeftOffsetPic, edtKlisheTopOffsetPic}) {
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
        for (int i = 1; i <= kLineCount; ++i) list->addDataRow({QString::number(i), QString()});
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

bool KlishePage::editorOpen() const {
    return editorOpen_;
}

QStringList KlishePage::lines(const ui::ReportList* list) const {
    QStringList out;
    for (int row = 0; row < kLineCount; ++row) out << list->cell(row, 1);
    return out;
}

void KlishePage::setRowText(ui::ReportList* list, int row, const QString& text) {
    if (row >= 0 && row < kLineCount) list->setCell(row, 1, text);
}

bool KlishePage::connectedOrSay() {
    if (session().kkmConnected() && session().fptr()) return true;
    ui().message(ui::kNotConnected);
    return false;
}

// ---- reading and writing the lines ----

void KlishePage::btnGetKlisheClick(Sender sender) {
    if (!connectedOrSay()) return;
    drv::Fptr& fptr = *session().fptr();
    if (sender == Sender::Read) {
        ui::setReadMarker(btnGetKlishe, 1);
        btnGetKlishe->setEnabled(false);
    }
    btnGetKlishe->setText(ui::kBusyCaption);
    // the button comes back also when a failure ends the read
    const auto restore = qScopeGuard([this] {
        btnGetKlishe->setEnabled(true);
        btnGetKlishe->setText(ui::btnValRead);
    });
    rereadPictures(sender);
    if (sender == Sender::Read) {
        for (int row = 0; row < kLineCount; ++row) setRowText(lvKlishe, row, {});
        ui().processEvents();
        const QStringList rows = readCliche(fptr);
        for (int row = 0; row < kLineCount; ++row) setRowText(lvKlishe, row, rows.value(row));
        if (const int selected = lvKlishe->firstSelectedRow(); selected >= 0)
            lvKlisheItemClick(lvKlishe, selected);
        const auto footer = loadFooter(session().settingsFile(), session().record().serial);
        if (footer)
            for (int row = 0; row < kLineCount; ++row)
                setRowText(lvFooter, row, footer->value(row));
    }
}

void KlishePage::btnKlisheApplyClick() {
    if (!connectedOrSay()) return;
    if (ui::dataNotReceived(btnGetKlishe, ui())) return;
    drv::Fptr& fptr = *session().fptr();
    ui::BusyButton busy(btnKlisheApply, ui());
    const QStringList rows = lines(actLV);
    if (actLV == lvKlishe) {
        writeCliche(fptr, ui(), rows);
        return;
    }
    if (writeFooter(fptr, ui(), rows) != 0) return;
    const QString ini = session().settingsFile();
    if (!storeFooter(ini, session().record().serial, rows))
        ui().message(QStringLiteral("Подвал записан в ККМ, но его копию не удалось сохранить в "
                                    "файле \"%1\"")
                         .arg(QDir::toNativeSeparators(ini)));
}

void KlishePage::Button1Click() {
    for (int row = 0; row < kLineCount; ++row) setRowText(actLV, row, {});
}

void KlishePage::rbKlisheModeClick(bool footer) {
    ui::ReportList* chosen = footer ? lvFooter : lvKlishe;
    if (chosen == actLV) return;
    closeEditor(true);
    (actLV == lvKlishe ? klisheTag_ : footerTag_) = actLV->firstSelectedRow();
    actLV = chosen;
    ui::ReportList* other = footer ? lvKlishe : lvFooter;
    other->clearSelection();
    resetFormatting();
    chosen->show();
    other->hide();
    rbKlisheMode->setChecked(!footer);
    rbFooterMode->setChecked(footer);
    const int remembered = footer ? footerTag_ : klisheTag_;
    if (remembered >= 0) {
        chosen->selectRow(remembered);
        lvKlisheItemClick(chosen, remembered);
    }
}

void KlishePage::useMarkFont() {
    // the rows keep the page's font; the carried font follows it for the marks it lacks
    QFont f = font();
    if (!markFontFamily().isEmpty()) f.setFamilies({f.family(), markFontFamily()});
    for (auto* list : {lvKlishe, lvFooter}) list->setFont(f);
}

void KlishePage::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange && isBuilt()) useMarkFont();
    Page::changeEvent(event);
}

// ---- formatting ----

void KlishePage::lvKlisheItemClick(ui::ReportList* list, int row) {
    if (row < 0 || row >= kLineCount || list->isFiller(row)) return;
    const QString text = list->cell(row, 1);
    const LineFormat f = formatOf(text);
    const bool picture = f.kind == LineFormat::Kind::Picture;
    const bool textLine = f.kind == LineFormat::Kind::Text;
    if (picture) {
        const QList<std::pair<Placement, QRadioButton*>> buttons = {
            {Placement::Left, rbKlisheLeftPic},
            {Placement::Right, rbKlisheRightPic},
            {Placement::Center, rbKlisheCenterPic},
            {Placement::Offset, rbKlisheLeftOffsetPic}};
        for (const auto& [p, rb] : buttons) setOff(rb);
        for (const auto& [p, rb] : buttons)
            if (p == f.placement) rb->setChecked(true);
        if (f.placement == Placement::Offset) edtKlisheLeftOffsetPic->setText(f.leftOffset);
        edtKlisheTopOffsetPic->setText(f.topOffset);
        chkKlisheOffsetTopPic->setChecked(f.hasTopOffset);
    } else if (textLine) {
        for (auto* rb : {rbKlisheLeft, rbKlisheCenter, rbKlisheRight}) setOff(rb);
        if (f.align == Align::Left) rbKlisheLeft->setChecked(true);
        if (f.align == Align::Center) rbKlisheCenter->setChecked(true);
        if (f.align == Align::Right) rbKlisheRight->setChecked(true);
        edtKlisheTopOffset->setText(f.topOffset);
        chkKlisheOffsetTop->setChecked(f.hasTopOffset);
        cbbKlisheFont->setCurrentIndex(f.font);
    }
    // properties a connected register of platform 3 does not take stay disabled
    const bool limited = session().kkmConnected() && !session().isP5();
    for (QWidget* w : std::initializer_list<QWidget*>{
             rbKlisheLeftPic, rbKlisheRightPic, rbKlisheCenterPic, rbKlisheLeftOffsetPic,
             edtKlisheLeftOffsetPic, edtKlisheTopOffsetPic})
        w->setEnabled(picture);
    chkKlisheOffsetTopPic->setEnabled(picture && !limited);
    for (QWidget* w :
         std::initializer_list<QWidget*>{rbKlisheLeft, rbKlisheRight, rbKlisheCenter, cbbKlisheFont,
                                         lblKlisheFont, chkKlisheOffsetTop, edtKlisheTopOffset})
        w->setEnabled(textLine && !limited);
    btnKlisheBold->setEnabled(textLine);
}

void KlishePage::rewriteSelected(const std::function<QString(const QString&)>& rule) {
    const int row = actLV->firstSelectedRow();
    if (row < 0) return;
    setRowText(actLV, row, rule(actLV->cell(row, 1)));
}

void KlishePage::applyTextOffset() {
    const bool on = chkKlisheOffsetTop->isChecked();
    const QString offset = edtKlisheTopOffset->text();
    rewriteSelected([on, offset](const QString& t) { return setTopOffset(t, on, offset); });
}

void KlishePage::applyPictureOffset() {
    const bool on = chkKlisheOffsetTopPic->isChecked();
    const QString offset = edtKlisheTopOffsetPic->text();
    rewriteSelected([on, offset](const QString& t) { return setPictureTopOffset(t, on, offset); });
}

void KlishePage::applyPicturePlacement() {
    Placement p = Placement::None;
    if (rbKlisheLeftPic->isChecked()) p = Placement::Left;
    if (rbKlisheRightPic->isChecked()) p = Placement::Right;
    if (rbKlisheCenterPic->isChecked()) p = Placement::Center;
    if (rbKlisheLeftOffsetPic->isChecked()) p = Placement::Offset;
    const QString offset = edtKlisheLeftOffsetPic->text();
    rewriteSelected([p, offset](const QString& t) { return setPicturePlacement(t, p, offset); });
}

// ---- the line editor ----

void KlishePage::lvKlisheItemDblClick(ui::ReportList* list) {
    const int row = list->firstSelectedRow();
    if (row < 0) return;
    closeEditor(true);
    PnlRename->setParent(list->viewport());
    const QRect cell = list->visualRect(list->model()->index(row, 1));
    PnlRename->setGeometry(cell.left(), cell.top(), list->width() - list->columnWidth(0) - 2,
                           list->rowHeight(row) - 1);
    edtItemRename->setFont(list->font());
    QPalette pal = edtItemRename->palette();
    pal.setColor(QPalette::Text, Qt::black);
    edtItemRename->setPalette(pal);
    edtItemRename->setText(list->cell(row, 1));
    edtItemRename->setCursorPosition(std::min<int>(100, int(edtItemRename->text().size())));
    edtItemRename->deselect();
    PnlRename->show();
    editorOpen_ = true;
    edtItemRename->setFocus();
}

void KlishePage::closeEditor(bool commit) {
    if (!editorOpen_) return;
    editorOpen_ = false;
    const int row = actLV->firstSelectedRow();
    // the focus goes back to the list itself: hiding the focused editor would otherwise move
    // the list's current cell on to the next row
    if (edtItemRename->hasFocus()) actLV->setFocus();
    PnlRename->hide();
    if (commit && row >= 0) setRowText(actLV, row, edtItemRename->text());
}

bool KlishePage::eventFilter(QObject* watched, QEvent* event) {
    if (watched != edtItemRename) return Page::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const int row = actLV->firstSelectedRow();
            if (row >= 0 && editorOpen_) {
                closeEditor(true);
                lvKlisheItemClick(actLV, row);
            }
            return true;
        }
        if (key == Qt::Key_Escape) return true;
    } else if (event->type() == QEvent::FocusOut && editorOpen_) {
        const QPoint at = btnKlisheBold->mapFromGlobal(QCursor::pos());
        if (!btnKlisheBold->isVisible() || !btnKlisheBold->rect().contains(at)) closeEditor(true);
    }
    return Page::eventFilter(watched, event);
}

void KlishePage::btnKlisheBoldClick() {
    if (!editorOpen_ || !edtItemRename->hasSelectedText()) {
        ui().message(kSelectText);
        return;
    }
    const Enlarge e = toggleEnlarged(edtItemRename->selectedText());
    if (e.outcome == Enlarge::Outcome::Discarded) {
        ui().message(kSelectText);
        closeEditor(false);
        return;
    }
    if (e.outcome != Enlarge::Outcome::Applied) return;
    const bool removing = edtItemRename->selectedText().contains(QChar(kEnlarged));
    if (!removing && actLV->firstSelectedRow() < 0) return;
    edtItemRename->insert(e.text);
    closeEditor(true);
}

// ---- pictures ----

void KlishePage::rereadPictures(Sender sender) {
    imgKlishe->clear();
    cbbPicNums->clear();
    ui().processEvents();
    const QStringList entries = readPictureEntries(*session().fptr(), session().isP5());
    if (entries.isEmpty()) return;
    cbbPicNums->addItems(entries);
    int index = 0;
    if (sender == Sender::Add) index = int(entries.size()) - 1;
    if (sender == Sender::Replace) index = std::clamp(replaceTag_, 0, int(entries.size()) - 1);
    cbbPicNums->setCurrentIndex(index);
    showPreview();
}

void KlishePage::cbbPicNumsChange() {
    if (!connectedOrSay()) return;
    showPreview();
}

void KlishePage::showPreview() {
    imgKlishe->clear();
    const auto number = entryNumber(cbbPicNums->currentText());
    if (!number) return;
    QPixmap picture;
    if (const auto bytes = previewPicture(*session().fptr(), *number)) picture.loadFromData(*bytes);
    if (!picture.isNull()) {
        const bool large = picture.width() > kPreviewSize || picture.height() > kPreviewSize;
        imgKlishe->setPixmap(large ? picture.scaled(kPreviewSize, kPreviewSize, Qt::KeepAspectRatio,
                                                    Qt::SmoothTransformation)
                                   : picture);
    }
    if (session().isP5() && cbbPicNums->count() > 0) {
        const int index = cbbPicNums->currentIndex();
        cbbPicNums->setItemText(0, entryText(0, picture.width(), picture.height()));
        cbbPicNums->setCurrentIndex(index);
    }
}

bool KlishePage::picturesReady(bool needEntries) {
    if (!connectedOrSay()) return false;
    if (ui::dataNotReceived(btnGetKlishe, ui())) return false;
    if (needEntries && cbbPicNums->count() == 0) {
        ui().message(kNoPictures);
        return false;
    }
    return true;
}

QString KlishePage::pictureFilter() const {
    return QStringLiteral("Изображения (*.bmp;*.png)|*.png;*.bmp|");
}

void KlishePage::btnSetPicToStrClick() {
    if (!picturesReady(true)) return;
    const int row = actLV->firstSelectedRow();
    if (row < 0) {
        ui().message(QStringLiteral("Выберите строку"));
        return;
    }
    const auto number = entryNumber(cbbPicNums->currentText());
    if (!number) return;
    setRowText(actLV, row, pictureLine(QString::number(*number)));
    lvKlisheItemClick(actLV, row);
}

void KlishePage::btnAddPicClick() {
    if (!picturesReady(false)) return;
    if (session().isP5() && cbbPicNums->count() > 0) {
        ui().message(
            QStringLiteral("В ККМ версий 5.X в клише может использоваться только одна картинка"));
        return;
    }
    const QString file = ui::FileDialog::open(this, pictureFilter(), {}).fileName;
    if (file.isEmpty()) return;
    ui::BusyButton busy(btnAddPic, ui());
    drv::Fptr& fptr = *session().fptr();
    const QVariant result =
        session().isP5() ? uploadPictureCliche(fptr, file) : uploadPictureMemory(fptr, file);
    if (!uploadSucceeded(result)) {
        ui().message(kUploadFailed);
        return;
    }
    btnGetKlisheClick(Sender::Add);
}

void KlishePage::btnReplacePicClick() {
    replaceTag_ = 0;
    if (!picturesReady(true)) return;
    const QString file = ui::FileDialog::open(this, pictureFilter(), {}).fileName;
    if (file.isEmpty()) return;
    ui::BusyButton busy(btnReplacePic, ui());
    drv::Fptr& fptr = *session().fptr();
    if (session().isP5()) {
        uploadPictureCliche(fptr, file);
        if (const int code = fptr.errorCode(); code != 0) {
            ui().message(QStringLiteral("Не удалось загрузить картинку.\r\n%1 (%2).")
                             .arg(fptr.errorDescription())
                             .arg(code));
            return;
        }
        btnGetKlisheClick(Sender::Replace);
        return;
    }
    replaceTag_ = cbbPicNums->currentIndex();
    switch (replaceNumbered(fptr, entryNumber(cbbPicNums->currentText()).value_or(-1), file)) {
        case Change::Done:
            btnGetKlisheClick(Sender::Replace);
            break;
        case Change::UploadFailed:
            ui().message(kUploadFailed);
            break;
        case Change::NotRead:
            ui().message(kPicturesNotRead);
            break;
    }
}

void KlishePage::btnDelPicClick() {
    if (!picturesReady(true)) return;
    ui::BusyButton busy(btnDelPic, ui());
    drv::Fptr& fptr = *session().fptr();
    if (session().isP5()) {
        fptr.run(drv::members::clearPictures);
    } else {
        const Change change =
            deleteNumbered(fptr, entryNumber(cbbPicNums->currentText()).value_or(-1));
        if (change == Change::NotRead) {
            ui().message(kPicturesNotRead);
            return;
        }
        if (change == Change::UploadFailed) ui().message(kUploadFailed);
    }
    btnGetKlisheClick(Sender::Delete);
}

void KlishePage::btnSavePicClick() {
    if (!picturesReady(true)) return;
    const auto number = entryNumber(cbbPicNums->currentText());
    if (!number) return;
    const QString file =
        ui::FileDialog::save(this, QStringLiteral("BMP файл (*.bmp)|*.bmp"), "bmp", {}).fileName;
    if (file.isEmpty()) return;
    ui::BusyButton busy(btnSavePic, ui());
    downloadPicture(*session().fptr(), *number, file);
}

void KlishePage::Button3Click() {
    if (!picturesReady(true)) return;
    const auto number = entryNumber(cbbPicNums->currentText());
    if (!number) return;
    printPicture(*session().fptr(), *number, session().isP5());
}

// ---- cliche files, cliche print and the test receipt ----

void KlishePage::btnKlisheSaveClick() {
    const QString filter = (actLV == lvKlishe ? QStringLiteral("Настройки клише")
                                              : QStringLiteral("Настройки подвала")) +
                           QStringLiteral(" (*.txt)|*.txt|");
    const QString file = ui::FileDialog::save(this, filter, "txt", {}).fileName;
    if (file.isEmpty()) return;
    const QStringList rows = lines(actLV);
    const auto refuse = [this, &file](const QString& why) {
        ui().message(QStringLiteral("Не удалось записать файл \"%1\": %2")
                         .arg(QDir::toNativeSeparators(file), why));
    };
    // nothing but a regular file is offered for replacing
    if (const QString problem = saveTargetProblem(file); !problem.isEmpty()) {
        refuse(problem);
        return;
    }
    if (QFileInfo::exists(file) &&
        ui::MessageBox::show(this, QStringLiteral("Файл уже существует, заменить?"),
                             ui::Icon::Warning, ui::appTitle(),
                             QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
        return;
    QString error;
    if (!saveClicheFile(file, rows, &error)) refuse(error);
}

void KlishePage::btnKlisheOpenClick() {
    const QString filter = (actLV == lvKlishe ? QStringLiteral("Настройки клише")
                                              : QStringLiteral("Настройки подвала")) +
                           QStringLiteral(" (*.txt)|*.txt|");
    const QString file = ui::FileDialog::open(this, filter, {}).fileName;
    if (file.isEmpty()) return;
    const ClicheFileLines loaded = loadClicheFile(file);
    if (!loaded.ok) {
        ui().message(loaded.error);
        return;
    }
    for (int row = 0; row < kLineCount; ++row) setRowText(actLV, row, loaded.lines.value(row));
}

void KlishePage::btnPrintKlisheClick() {
    if (!connectedOrSay()) return;
    printCliche(*session().fptr(), ui());
}

void KlishePage::btnTestCheckClick() {
    if (!connectedOrSay()) return;
    printTestReceipt(*session().fptr(), ui(), session().isP5());
}

}  // namespace cliche
