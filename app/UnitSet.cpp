#include "app/UnitSet.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <cstdio>

#include "app/ConnectPage.h"
#include "app/OtherTabs.h"
#include "app/SavedList.h"
#include "app/shared/Memo.h"
#include "app/shared/ReportList.h"
#include "app/shared/Ui.h"
#include "discovery/HandleListing.h"
#include "driver/ValueText.h"
#include "info/CopyMenu.h"
#include "info/InfoPages.h"
#include "platform/Pc.h"

namespace app {

TFormSet::TFormSet(platform::IPc& pc, const QString& progdir, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      windowUi_(this) {
    setObjectName("TFormSet");
    setWindowTitle(kWindowCaption);
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(12);
    setFont(f);
    setFixedSize(kClientWidth, kClientHeight);
    if (auto* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    ctx_.ui = &windowUi_;
    ctx_.pc = &pc;
    ctx_.resetViews = [this] { resetViews(); };

    // 1. program directory
    ctx_.progdir =
        QDir(progdir.isEmpty() ? QCoreApplication::applicationDirPath() : progdir).absolutePath() +
        '/';
    // 2. the debug privilege has no counterpart here: reading /proc needs none.
    createPages();
    // 3. system menu item "Поверх всех окон" (command 1000)
    actStayOnTop = new QAction(QStringLiteral("Поверх всех окон"), this);
    actStayOnTop->setObjectName("actStayOnTop");
    actStayOnTop->setCheckable(true);
    actStayOnTop->setData(1000);
    connect(actStayOnTop, &QAction::triggered, this, &TFormSet::toggleStayOnTop);
    // 4. wheel rule
    for (auto* list : findChildren<ui::ReportList*>())
        list->setWheelRule([this] {
            auto* active = activeTabList();
            return active && active->scrollBarEnabled();
        });
    // the popup menu pmCopy of the report lists (copy a row or the whole list)
    info::installCopyMenu(this, windowUi_, [this] { return activeTabList(); });
    // 5.
    ctx_.comConnected.clear();
    ctx_.ipConnected.clear();
    // 6.
    setPage->setUpColumns();
    // 7.
    ListOptions opts;
    const QString iniProblem = loadSavedList(ctx_.progdir, *connectPage->lvKKMconnect, opts);
    if (!iniProblem.isEmpty()) ctx_.ui->message(iniProblem, ui::Icon::Warning);
    connectPage->chkSave->setChecked(opts.save);
    connectPage->chkCOM->setChecked(opts.com);
    connectPage->chkTCPIP->setChecked(opts.ip);

    auto* ctrlR = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this);
    connect(ctrlR, &QShortcut::activated, this, &TFormSet::toggleServiceView);
    auto* ctrlE = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), this);
    connect(ctrlE, &QShortcut::activated, this, &TFormSet::openEouFolder);

    tmrServ = new QTimer(this);
    tmrServ->setObjectName("tmrServ");
    tmrServ->setInterval(1000);
    connect(tmrServ, &QTimer::timeout, this, &TFormSet::timerTick);
    connect(pgcSet, &QTabWidget::currentChanged, this, &TFormSet::pgcSetChange);
}

TFormSet::~TFormSet() = default;

void TFormSet::createPages() {
    pgcSet = new QTabWidget(this);
    pgcSet->setObjectName("pgcSet");
    pgcSet->setGeometry(0, 0, kClientWidth + 2, kClientHeight);
    // all nine tabs stay in view, as on the original's Tahoma font
    pgcSet->setUsesScrollButtons(false);
    pgcSet->tabBar()->setElideMode(Qt::ElideNone);
    pgcSet->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 1px 3px 1px; }"));
    connectPage = new ConnectPage(ctx_);
    kkmInfoPage = new info::KkmInfoPage(ctx_);
    regInfoPage = new info::RegInfoPage(ctx_);
    fnInfoPage = new info::FnInfoPage(ctx_);
    shiftPage = new ShiftPage;
    checkPage = new CheckPage;
    klishePage = new KlishePage;
    setPage = new SetPage;
    servPage = new ServPage;
    pgcSet->addTab(connectPage, QStringLiteral(" Подключение   "));
    pgcSet->addTab(kkmInfoPage, QStringLiteral(" ККМ   "));
    pgcSet->addTab(regInfoPage, QStringLiteral(" Регистрация   "));
    pgcSet->addTab(fnInfoPage, QStringLiteral(" ФН   "));
    pgcSet->addTab(shiftPage, QStringLiteral(" Смена   "));
    pgcSet->addTab(checkPage, QStringLiteral(" Чеки   "));
    pgcSet->addTab(klishePage, QStringLiteral(" Клише/Подвал   "));
    pgcSet->addTab(setPage, QStringLiteral(" Настройки    "));
    pgcSet->addTab(servPage, QStringLiteral(" Сервис   "));

    mmoServ = new ui::Memo(this);
    mmoServ->setObjectName("mmoServ");
    mmoServ->setGeometry(kClientWidth + 8, 8, 400, kClientHeight - 16);
    mmoServ->hide();
    ctx_.serviceView = mmoServ;
    handleListing_ = new discovery::HandleListing(*ctx_.pc, *mmoServ, this);
    ctx_.handleListing = handleListing_;
}

QList<QAbstractButton*> TFormSet::readButtons() const {
    return {kkmInfoPage->btnGetKKMinfo, regInfoPage->btnGetReginfo, fnInfoPage->btnGetFNinfo,
            shiftPage->btnShift,        checkPage->btnCheck,        klishePage->btnGetKlishe,
            setPage->btnGenSet};
}

ui::ReportList* TFormSet::activeTabList() const {
    QWidget* page = pgcSet->currentWidget();
    if (page == connectPage) return connectPage->lvKKMconnect;
    if (page == kkmInfoPage) return kkmInfoPage->lvKKMinfo;
    if (page == regInfoPage) return regInfoPage->lvRegInfo;
    if (page == fnInfoPage) return fnInfoPage->lvFNinfo;
    if (page == shiftPage) return shiftPage->lvShiftInfo;
    if (page == setPage) return setPage->lvSetKKM;
    if (page == klishePage) return klishePage->lvKlishe;
    return nullptr;
}

void TFormSet::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (shown_) return;
    shown_ = true;
    formShow();
}

void TFormSet::formShow() {
    // layouts must have their sizes before the grids are filled
    for (int i = 0; i < pgcSet->count(); ++i)
        if (auto* l = pgcSet->widget(i)->layout()) {
            pgcSet->widget(i)->resize(pgcSet->currentWidget()->size());
            l->activate();
        }
    // 1.
    for (auto* b : readButtons()) b->setText(ui::btnValRead);
    // 2. binding steps 1 to 5
    binding_ = bindDriver(*ctx_.pc);
    setWindowTitle(kWindowCaption + binding_.titleSuffix);
    // 3.
    checkPage->dtpCheck->setDate(QDate::currentDate());
    // 4.
    connectPage->applyColumnVisibility();
    // 5.
    ctx_.kkmConnected = false;
    ctx_.isP5 = false;
    servPage->dtSetTimeManual->setDateTime(QDateTime::currentDateTime());
    pgcSet->setCurrentIndex(0);
    // 6. binding steps 6 to 8
    ctx_.fptr = std::move(binding_.fptr);
    ctx_.fptrOK = binding_.fptrOK;
    ctx_.drvVer = binding_.drvVer;
    connectPage->btnDrvDown->setText(binding_.downloadCaption);
    connectPage->lblDrvVer->setText(binding_.label);
    for (const auto& line : binding_.memoLines) connectPage->mmoInfo->addLine(line);
    // 7.
    for (int c : {colEouProxy, colKkmProxy, colSpeed})
        connectPage->lvKKMconnect->setColumnHidden(c, true);
    // 8.
    resetViews();
}

void TFormSet::resetViews() {
    connectPage->resetView();
    for (auto* list : {kkmInfoPage->lvKKMinfo, regInfoPage->lvRegInfo, fnInfoPage->lvFNinfo,
                       shiftPage->lvShiftInfo, setPage->lvSetKKM}) {
        list->clearRows();
        list->fillGrid();
    }
    shiftPage->edtShiftCash->setText(QStringLiteral("100,00"));
    klishePage->resetLines();
    klishePage->imgKlishe->clear();
    klishePage->cbbPicNums->clear();
    klishePage->resetFormatting();
    for (auto* e :
         {checkPage->edtCheckLstNum, checkPage->edtCheckLastDate, checkPage->edtCheckFirstDate,
          checkPage->edtCheckCurState, checkPage->edtCheckNumCheck})
        e->clear();
    checkPage->mmoChekFormat->clear();
    for (auto* b : readButtons()) ui::setReadMarker(b, 0);
}

void TFormSet::closeEvent(QCloseEvent* e) {
    if (!closed_) {
        closed_ = true;
        // 1.
        ListOptions opts{connectPage->chkSave->isChecked(), connectPage->chkCOM->isChecked(),
                         connectPage->chkTCPIP->isChecked()};
        settingsWritten_ =
            saveSettings(ctx_.progdir, *connectPage->lvKKMconnect, opts) == SaveResult::Saved;
        if (!settingsWritten_) {
            const QString text = QStringLiteral("Нет доступа для записи настроек");
            // Ending on a signal or with the session nobody is there to answer a box.
            if (terminating_)
                std::fprintf(stderr, "%s: %s: %s\n", ui::appTitle().toUtf8().constData(),
                             text.toUtf8().constData(),
                             QDir::toNativeSeparators(iniPath(ctx_.progdir)).toUtf8().constData());
            else
                ctx_.ui->message(text);
        }
        // 2.
        if (ctx_.fptrOK && ctx_.fptr) {
            try {
                ctx_.fptr->close();
            } catch (const std::exception&) {
            }
            ctx_.fptr.reset();
        }
        // 3.
        for (const auto& p : ctx_.pc->processes()) {
            if (QFileInfo(QString(p.imagePath).replace('\\', '/'))
                    .fileName()
                    .compare(QLatin1String("EthOverUsbTest.exe"), Qt::CaseInsensitive) == 0) {
                ctx_.pc->terminateProcess(p.pid);
                break;
            }
        }
        // 4.
        ctx_.pc->closeScanTestPort();
    }
    QWidget::closeEvent(e);
}

bool TFormSet::terminate() {
    terminating_ = true;
    // A box or dialog waiting for the user gives way first; hiding it ends its modality.
    for (int i = 0; i < 16; ++i) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) break;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        if (QApplication::activeModalWidget() == modal) modal->hide();
    }
    close();
    return settingsWritten_;
}

void TFormSet::toggleServiceView() {
    if (mmoServ->isHidden()) {
        mmoServ->show();
        setFixedWidth(mmoServ->width() + 2 * mmoServ->x() - pgcSet->width() + 3);
    } else {
        mmoServ->hide();
        setFixedWidth(pgcSet->width() - 2);
    }
}

void TFormSet::openEouFolder() {
    QString dir = ctx_.pc->envVar(QStringLiteral("programdata"));
    ctx_.pc->openFolder(dir + QStringLiteral("\\ATOL\\EoU\\"));
}

void TFormSet::toggleStayOnTop() {
    const bool onTop = !(windowFlags() & Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    actStayOnTop->setChecked(onTop);
    show();
}

void TFormSet::contextMenuEvent(QContextMenuEvent* e) {
    // Linux window managers have no system menu for programs to extend; the window's own
    // context menu carries the item instead.
    QMenu menu(this);
    menu.addSeparator();
    menu.addAction(actStayOnTop);
    menu.exec(e->globalPos());
}

void TFormSet::pgcSetChange(int) {
    if (pgcSet->currentWidget() == servPage) {
        servPage->pnlServ->setFocus();
        tmrServ->start();
    } else {
        tmrServ->stop();
    }
}

void TFormSet::timerTick() {
    if (pgcSet->currentWidget() != servPage) return;
    servPage->edtSysTime->setText(drv::dateTimeText(QDateTime::currentDateTime()));
    if (ctx_.kkmConnected && ctx_.fptr) {
        auto& f = *ctx_.fptr;
        f.setParam("LIBFPTR_PARAM_DATA_TYPE", f.c("LIBFPTR_DT_DATE_TIME"));
        f.queryData();
        const QString t = drv::dateTimeText(f.getParamDateTime("LIBFPTR_PARAM_DATE_TIME"));
        if (!t.isEmpty()) servPage->edtKKMtime->setText(t);
    } else {
        servPage->edtKKMtime->clear();
    }
}

}  // namespace app
