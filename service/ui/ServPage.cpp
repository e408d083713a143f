#include "service/ui/ServPage.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QVBoxLayout>

#include "app/ui/widgets/Conventions.h"
#include "app/ui/widgets/Handled.h"
#include "app/ui/widgets/Named.h"
#include "driver/Names.h"
#include "driver/ValueText.h"
#include "service/Maintenance.h"
#include "service/PcClock.h"
#include "service/Printing.h"

namespace service {

using ui::named;

namespace {

QLineEdit* digitBox(QWidget* parent, const char* name, const QString& text) {
    auto* e = named<QLineEdit>(parent, name, text);
    e->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
    return e;
}

void fill(QComboBox* box, const OptionList& list) {
    box->clear();
    box->addItems(list.items);
    box->setCurrentIndex(list.selected);
    box->setEnabled(list.enabled);
}

// Sets a box to the text its range check gives, when that differs.
void keepInRange(QLineEdit* box, const QString& checked) {
    if (box->text() != checked) box->setText(checked);
}

}  // namespace

ServPage::ServPage(const app::PageContext& ctx, QWidget* parent) : Page(ctx, parent) {
    setObjectName("tabServ");
}

void ServPage::build() {
    Panel9 = named<QWidget>(this, "Panel9");
    Panel9->setFocusPolicy(Qt::StrongFocus);
    ntp_ = new SntpClient(this);

    buildTextGroup();
    buildBarcodeGroup();
    auto* prints = new QHBoxLayout;
    prints->addWidget(grpPrintText, 1);
    prints->addWidget(grpPrintBarcode, 1);
    auto* panel = new QVBoxLayout(Panel9);
    panel->addLayout(prints);
    panel->addWidget(buildClockGroup());
    panel->addWidget(buildCommandRow());
    panel->addStretch();
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(Panel9);

    tmrServ = new QTimer(this);
    tmrServ->setObjectName("tmrServ");
    tmrServ->setInterval(1000);
    connect(tmrServ, &QTimer::timeout, this, ui::atEdge(this, &ServPage::timerTick));
}

ServPage::~ServPage() = default;

void ServPage::buildTextGroup() {
    grpPrintText = named<QGroupBox>(Panel9, "grpPrintText", QStringLiteral("Печать текста"));
    mmoKKMprintText = named<QPlainTextEdit>(grpPrintText, "mmoKKMprintText");
    mmoKKMprintText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    btnKKMprintText = named<QPushButton>(grpPrintText, "btnKKMprintText", QStringLiteral("Печать"));
    cbbPrintPos = named<QComboBox>(grpPrintText, "cbbPrintPos");
    cbbPrintPos->addItems(alignmentItems());
    cbbPrintPos->setCurrentIndex(kDefaultAlignment);
    cbbPrintFont = named<QComboBox>(grpPrintText, "cbbPrintFont");
    cbbPrintBright = named<QComboBox>(grpPrintText, "cbbPrintBright");
    cbbPrintStrInterval = named<QComboBox>(grpPrintText, "cbbPrintStrInterval");
    cbPrintTextDbWidth =
        named<QCheckBox>(grpPrintText, "cbPrintTextDbWidth", QStringLiteral("Двойная ширина"));
    cbPrintTextDbHeigth =
        named<QCheckBox>(grpPrintText, "cbPrintTextDbHeigth", QStringLiteral("Двойная высота"));

    auto* g = new QGridLayout(grpPrintText);
    g->addWidget(mmoKKMprintText, 0, 0, 1, 2);
    g->addWidget(new QLabel(QStringLiteral("Выравнивание"), grpPrintText), 1, 0);
    g->addWidget(cbbPrintPos, 1, 1);
    g->addWidget(new QLabel(QStringLiteral("Шрифт"), grpPrintText), 2, 0);
    g->addWidget(cbbPrintFont, 2, 1);
    g->addWidget(new QLabel(QStringLiteral("Яркость"), grpPrintText), 3, 0);
    g->addWidget(cbbPrintBright, 3, 1);
    g->addWidget(new QLabel(QStringLiteral("Межстрочный интервал"), grpPrintText), 4, 0);
    g->addWidget(cbbPrintStrInterval, 4, 1);
    g->addWidget(cbPrintTextDbWidth, 5, 0);
    g->addWidget(cbPrintTextDbHeigth, 5, 1);
    g->addWidget(btnKKMprintText, 6, 1);

    connect(btnKKMprintText, &QPushButton::clicked, this,
            ui::atEdge(this, &ServPage::btnKKMprintTextClick));
    for (auto* box : {cbbPrintPos, cbbPrintFont, cbbPrintBright, cbbPrintStrInterval})
        connect(box, &QComboBox::activated, this,
                ui::atEdge(this, &ServPage::cbPrintBarCodesCloseUp));
}

void ServPage::buildBarcodeGroup() {
    grpPrintBarcode =
        named<QGroupBox>(Panel9, "grpPrintBarcode", QStringLiteral("Печать штрихкодов"));
    auto* grp = grpPrintBarcode;
    mmoPrintBarcode = named<QPlainTextEdit>(grp, "mmoPrintBarcode");
    btnPrintBarcode = named<QPushButton>(grp, "btnPrintBarcode", QStringLiteral("Печать"));
    cbPrintBarCodes = named<QComboBox>(grp, "cbPrintBarCodes");
    cbPrintBarCodes->addItems(symbologyItems());
    cbPrintBarCodes->setCurrentIndex(0);
    edtPrintBCotstup = digitBox(grp, "edtPrintBCotstup", QStringLiteral("0"));
    edtPrintBCHeigth = digitBox(grp, "edtPrintBCHeigth", kDefaultHeight);
    edtPrintBCKoefUvel = digitBox(grp, "edtPrintBCKoefUvel", kDefaultScale);
    cbbPrintBCcorrect = named<QComboBox>(grp, "cbbPrintBCcorrect");
    cbbPrintBCcorrect->addItem(QStringLiteral("По умолчанию"));
    cbbPrintBCcorrect->setEnabled(false);
    lblBCvers_stolb = named<QLabel>(grp, "lblBCvers_stolb", QStringLiteral("Версия"));
    cbbPrintBCvers_stolb = named<QComboBox>(grp, "cbbPrintBCvers_stolb");
    cbbPrintBCvers_stolb->addItem(QStringLiteral("0"));
    cbbPrintBCvers_stolb->setEnabled(false);
    cbbPrintBCdata = named<QCheckBox>(grp, "cbbPrintBCdata", QStringLiteral("Печатать данные"));

    auto* g = new QGridLayout(grp);
    g->addWidget(mmoPrintBarcode, 0, 0, 1, 4);
    g->addWidget(cbPrintBarCodes, 1, 0, 1, 2);
    g->addWidget(cbbPrintBCdata, 1, 2, 1, 2);
    g->addWidget(new QLabel(QStringLiteral("Отступ слева"), grp), 2, 0);
    g->addWidget(edtPrintBCotstup, 2, 1);
    g->addWidget(new QLabel(QStringLiteral("Высота"), grp), 2, 2);
    g->addWidget(edtPrintBCHeigth, 2, 3);
    g->addWidget(new QLabel(QStringLiteral("Размер"), grp), 3, 0);
    g->addWidget(edtPrintBCKoefUvel, 3, 1);
    g->addWidget(new QLabel(QStringLiteral("Коррекция"), grp), 4, 0);
    g->addWidget(cbbPrintBCcorrect, 4, 1, 1, 3);
    g->addWidget(lblBCvers_stolb, 5, 0);
    g->addWidget(cbbPrintBCvers_stolb, 5, 1);
    g->addWidget(btnPrintBarcode, 6, 3);

    connect(btnPrintBarcode, &QPushButton::clicked, this,
            ui::atEdge(this, &ServPage::btnPrintBarcodeClick));
    connect(cbPrintBarCodes, &QComboBox::currentIndexChanged, this,
            ui::atEdge(this, &ServPage::cbPrintBarCodesChange));
    connect(edtPrintBCHeigth, &QLineEdit::textChanged, this,
            ui::atEdge(this, &ServPage::edtPrintBCHeigthChange));
    connect(edtPrintBCotstup, &QLineEdit::textChanged, this,
            ui::atEdge(this, &ServPage::edtPrintBCHeigthChange));
    connect(edtPrintBCKoefUvel, &QLineEdit::textChanged, this,
            ui::atEdge(this, &ServPage::edtPrintBCKoefUvelChange));
    for (auto* box : {cbPrintBarCodes, cbbPrintBCcorrect, cbbPrintBCvers_stolb})
        connect(box, &QComboBox::activated, this,
                ui::atEdge(this, &ServPage::cbPrintBarCodesCloseUp));
}

QWidget* ServPage::buildClockGroup() {
    auto* grp = named<QGroupBox>(Panel9, "grpTime", QStringLiteral("Время и дата"));
    edtSysTime = named<QLineEdit>(grp, "edtSysTime");
    edtSysTime->setReadOnly(true);
    edtKKMtime = named<QLineEdit>(grp, "edtKKMtime");
    edtKKMtime->setReadOnly(true);
    btnSetSyncPCTimeFromNTP = named<QPushButton>(grp, "btnSetSyncPCTimeFromNTP",
                                                 QStringLiteral("Синхронизировать с NTP сервером"));
    edtNTPserver = named<QLineEdit>(grp, "edtNTPserver", QString::fromLatin1(kDefaultNtpServer));
    btnSetSyncFromPC =
        named<QPushButton>(grp, "btnSetSyncFromPC", QStringLiteral("Синхронизировать c ПК"));
    dtSetTimeManual = named<QDateTimeEdit>(grp, "dtSetTimeManual");
    dtSetTimeManual->setCalendarPopup(true);
    dtSetTimeManual->setDisplayFormat(drv::dateTimeFormat());
    btnSetTimeManual = named<QPushButton>(grp, "btnSetTimeManual", QStringLiteral("Установить"));

    // one column per clock: its caption, its value and its button
    auto* g = new QGridLayout(grp);
    g->addWidget(new QLabel(QStringLiteral("Дата и время в ПК:"), grp), 0, 0);
    g->addWidget(edtSysTime, 1, 0);
    g->addWidget(btnSetSyncPCTimeFromNTP, 2, 0);
    g->addWidget(edtNTPserver, 3, 0);
    g->addWidget(new QLabel(QStringLiteral("Дата и время в ККМ:"), grp), 0, 1);
    g->addWidget(edtKKMtime, 1, 1);
    g->addWidget(btnSetSyncFromPC, 2, 1);
    auto* manual = new QLabel(QStringLiteral("Установить дату и время в ККМ вручную:"), grp);
    manual->setWordWrap(true);
    g->addWidget(manual, 0, 2);
    g->addWidget(dtSetTimeManual, 1, 2);
    g->addWidget(btnSetTimeManual, 2, 2);
    for (int c = 0; c < 3; ++c) g->setColumnStretch(c, 1);

    connect(btnSetSyncPCTimeFromNTP, &QPushButton::clicked, this,
            ui::atEdge(this, &ServPage::btnSetSyncPCTimeFromNTPClick));
    connect(btnSetSyncFromPC, &QPushButton::clicked, this,
            ui::atEdge(this, &ServPage::btnSetSyncFromPCClick));
    connect(btnSetTimeManual, &QPushButton::clicked, this,
            ui::atEdge(this, &ServPage::btnSetTimeManualClick));
    ui::whenCalendarShown(dtSetTimeManual, [this](QCalendarWidget* calendar) {
        connect(calendar, &QCalendarWidget::clicked, this,
                ui::atEdge(this, &ServPage::dtSetTimeManualCloseUp));
    });
    connect(dtSetTimeManual, &QDateTimeEdit::dateTimeChanged, this, ui::atEdge(this, [this] {
                if (!followingClock_) manualTimeEdited_ = true;
            }));
    return grp;
}

QWidget* ServPage::buildCommandRow() {
    auto* row = named<QWidget>(Panel9, "pnlServCommands");
    auto* g = new QGridLayout(row);
    g->setContentsMargins(0, 0, 0, 0);
    const auto add = [&](const char* name, const QString& caption, int r, int c,
                         void (ServPage::*handler)()) {
        auto* b = named<QPushButton>(row, name, caption);
        g->addWidget(b, r, c);
        connect(b, &QPushButton::clicked, this, ui::atEdge(this, handler));
        return b;
    };
    btnSetTehObnul = add("btnSetTehObnul", QStringLiteral("Техобнуление ККМ"), 0, 0,
                         &ServPage::btnSetTehObnulClick);
    btnSetReboot =
        add("btnSetReboot", QStringLiteral("Перезагрузка"), 0, 1, &ServPage::btnSetRebootClick);
    btnSetPowerOff = add("btnSetPowerOff", QStringLiteral("Выключение ККМ"), 0, 2,
                         &ServPage::btnSetPowerOffClick);
    btnOpenDYA = add("btnOpenDYA", QStringLiteral("Открыть ДЯ"), 1, 0, &ServPage::btnOpenDYAClick);
    btnBeep = add("btnBeep", QStringLiteral("Звукой сигнал"), 1, 1, &ServPage::btnBeepClick);
    btnFeed = add("btnFeed", QStringLiteral("Промотка ЧЛ"), 1, 2, &ServPage::btnFeedClick);
    btnCutCHL = add("btnCutCHL", QStringLiteral("Отрезать ЧЛ"), 1, 3, &ServPage::btnCutCHLClick);
    return row;
}

void ServPage::setNtpServer(const QString& host, quint16 port, int timeoutMs) {
    ntpHost_ = host;
    ntpPort_ = port;
    ntpTimeoutMs_ = timeoutMs;
}

void ServPage::windowShown() {
    followPcClock();
}

void ServPage::followPcClock() {
    if (manualTimeEdited_) return;
    followingClock_ = true;
    dtSetTimeManual->setDateTime(QDateTime::currentDateTime());
    followingClock_ = false;
}

void ServPage::connectionChanged() {
    const TextPrintLists lists = textPrintLists(session().isP5());
    fill(cbbPrintFont, lists.font);
    fill(cbbPrintBright, lists.brightness);
    fill(cbbPrintStrInterval, lists.lineSpacing);
}

void ServPage::setActive(bool active) {
    if (active) {
        Panel9->setFocus();
        tmrServ->start();
    } else {
        tmrServ->stop();
    }
}

void ServPage::timerTick() {
    if (!tmrServ->isActive()) return;
    edtSysTime->setText(drv::dateTimeText(QDateTime::currentDateTime()));
    followPcClock();
    if (session().kkmConnected() && session().fptr()) {
        auto& f = *session().fptr();
        f.setParam(drv::names::LIBFPTR_PARAM_DATA_TYPE, f.c(drv::names::LIBFPTR_DT_DATE_TIME));
        f.queryData();
        const QString t =
            drv::dateTimeText(f.getParamDateTime(drv::names::LIBFPTR_PARAM_DATE_TIME));
        if (!t.isEmpty()) edtKKMtime->setText(t);
    } else {
        edtKKMtime->clear();
    }
}

drv::Fptr* ServPage::connectedDriver() {
    if (session().kkmConnected() && session().fptr()) return session().fptr();
    ui().message(ui::kNotConnected);
    return nullptr;
}

void ServPage::btnKKMprintTextClick() {
    drv::Fptr* f = connectedDriver();
    if (!f) return;
    TextPrintJob job;
    job.text = mmoKKMprintText->toPlainText();
    job.alignmentPosition = cbbPrintPos->currentIndex();
    job.font = cbbPrintFont->currentText();
    job.brightness = cbbPrintBright->currentText();
    job.lineSpacing = cbbPrintStrInterval->currentText();
    job.doubleWidth = cbPrintTextDbWidth->isChecked();
    job.doubleHeight = cbPrintTextDbHeigth->isChecked();
    printText(*f, ui(), job);
}

void ServPage::btnPrintBarcodeClick() {
    drv::Fptr* f = connectedDriver();
    if (!f) return;
    BarcodePrintJob job;
    job.data = mmoPrintBarcode->toPlainText();
    job.symbology = cbPrintBarCodes->currentText();
    job.leftMargin = edtPrintBCotstup->text();
    job.height = edtPrintBCHeigth->text();
    job.scale = edtPrintBCKoefUvel->text();
    job.correctionPosition = cbbPrintBCcorrect->currentIndex();
    job.versionOrColumns = cbbPrintBCvers_stolb->currentText();
    job.printData = cbbPrintBCdata->isChecked();
    printBarcode(*f, ui(), job);
}

void ServPage::cbPrintBarCodesChange() {
    const BarcodeControls c = barcodeControlsFor(cbPrintBarCodes->currentText());
    edtPrintBCHeigth->setEnabled(c.heightEnabled);
    if (c.rebuildLists) {
        lblBCvers_stolb->setText(c.versionLabel);
        cbbPrintBCcorrect->clear();
        cbbPrintBCcorrect->addItems(c.correctionItems);
        cbbPrintBCcorrect->setCurrentIndex(0);
        cbbPrintBCvers_stolb->clear();
        cbbPrintBCvers_stolb->addItems(c.versionItems);
        cbbPrintBCvers_stolb->setCurrentIndex(c.versionSelected);
    }
    cbbPrintBCcorrect->setEnabled(c.listsEnabled);
    cbbPrintBCvers_stolb->setEnabled(c.listsEnabled);
    edtPrintBCKoefUvel->setText(c.scale);
}

void ServPage::edtPrintBCHeigthChange() {
    keepInRange(edtPrintBCHeigth, checkedHeight(edtPrintBCHeigth->text()));
}

void ServPage::edtPrintBCKoefUvelChange() {
    keepInRange(edtPrintBCKoefUvel, checkedScale(edtPrintBCKoefUvel->text()));
}

void ServPage::cbPrintBarCodesCloseUp() {
    Panel9->setFocus();
}

void ServPage::dtSetTimeManualCloseUp() {
    Panel9->setFocus();
}

void ServPage::btnSetSyncPCTimeFromNTPClick() {
    if (!clockSetter_) {
        ui().message(QStringLiteral("Установка системного времени недоступна."));
        return;
    }
    NtpSyncOutcome out;
    {
        ui::BusyButton busy(btnSetSyncPCTimeFromNTP, ui());
        const StepQuestion ask = [this](const QDateTime& pc, const QDateTime& server) {
            return ui().confirm(clockStepQuestion(pc, server), ui::Icon::Question, true);
        };
        out = setPcClockFromNtp(*ntp_, *clockSetter_, ask, ntpHost_, ntpPort_, ntpTimeoutMs_);
    }
    // A time that could not be had or set is said so: the PC clock stays as it was.
    if (!out.ok && !out.declined) ui().message(out.message, ui::Icon::Warning);
}

void ServPage::btnSetSyncFromPCClick() {
    drv::Fptr* f = connectedDriver();
    if (!f) return;
    setRegisterClock(*f, ui(), QDateTime::currentDateTime(),
                     [] { return QDateTime::currentDateTime(); });
}

void ServPage::btnSetTimeManualClick() {
    drv::Fptr* f = connectedDriver();
    if (!f) return;
    followPcClock();  // untouched, the picker means the PC's time now, not when it was shown
    const QDateTime picked = dtSetTimeManual->dateTime();
    if (!ui().confirm(manualClockQuestion(picked), ui::Icon::Question, true)) return;
    setRegisterClock(*f, ui(), picked, [picked] { return picked; });
}

void ServPage::btnSetTehObnulClick() {
    drv::Fptr* f = connectedDriver();
    if (!f) return;
    ui::ButtonBusy busy(btnSetTehObnul, ui());
    technicalReset(*f, ui(), &busy);
}

void ServPage::command(int which) {
    drv::Fptr* f = connectedDriver();
    if (!f) return;
    const int code = runCommand(*f, ui(), Command(which));
    // A register switched off is no longer there: the connection is closed as by "Отключить".
    if (Command(which) == Command::PowerOff && code == 0) session().requestDisconnect();
}

void ServPage::btnSetRebootClick() {
    command(int(Command::Reboot));
}
void ServPage::btnSetPowerOffClick() {
    command(int(Command::PowerOff));
}
void ServPage::btnOpenDYAClick() {
    command(int(Command::OpenDrawer));
}
void ServPage::btnBeepClick() {
    command(int(Command::Beep));
}
void ServPage::btnFeedClick() {
    command(int(Command::Feed));
}
void ServPage::btnCutCHLClick() {
    command(int(Command::Cut));
}

}  // namespace service
