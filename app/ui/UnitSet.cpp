#include "app/ui/UnitSet.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLayout>
#include <QMenu>
#include <QScreen>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <cstdio>

#include "app/DeviceRows.h"
#include "app/IniFile.h"
#include "app/QtTranslation.h"
#include "app/SavedList.h"
#include "app/ui/Page.h"
#include "app/ui/widgets/Handled.h"
#include "app/ui/widgets/Memo.h"
#include "app/ui/widgets/ReportList.h"
#include "cliche/ui/KlishePage.h"
#include "discovery/ui/ConnectPage.h"
#include "documents/ui/CheckPage.h"
#include "documents/ui/ShiftPage.h"
#include "info/ui/CopyMenu.h"
#include "info/ui/InfoPages.h"
#include "platform/Pc.h"
#include "service/ui/ServPage.h"
#include "settings/ui/SetPage.h"
#include "update/Rules.h"
#include "update/ui/TFormUpdate.h"

namespace app {

TFormSet::TFormSet(platform::IPc& pc, const QString& progdir, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      windowUi_(this) {
    installQtTranslation();  // the boxes and dialogs of Qt speak as the window does
    setObjectName("TFormSet");
    setWindowTitle(kWindowCaption);
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(12);
    setFont(f);

    // 1. program directory
    session_ = new Session(
        pc,
        QDir(progdir.isEmpty() ? QCoreApplication::applicationDirPath() : progdir).absolutePath() +
            '/',
        this);
    // An installed program keeps each user's settings in the user's own folder, made here.
    session_->setSettingsFile(settingsFilePath(session_->progdir(), userConfigDir()));
    if (session_->settingsFile() != iniPath(session_->progdir()))
        QDir().mkpath(QFileInfo(session_->settingsFile()).absolutePath());
    connect(session_, &Session::viewResetRequested, this, ui::atEdge(this, &TFormSet::resetViews));
    connect(session_, &Session::connected, this, ui::atEdge(this, [this] {
                everConnected_ = true;
                for (Page* p : pages_)
                    if (p->isBuilt()) p->connectionChanged();
            }));
    // 2. the debug privilege has no counterpart here: reading /proc needs none.
    createPages();
    // The pages are laid out for any size from their own minimum on; this is the size the
    // window opens with.
    resize(kClientWidth, kClientHeight);
    if (auto* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    // 3. system menu item "Поверх всех окон" (command 1000)
    actStayOnTop = new QAction(QStringLiteral("Поверх всех окон"), this);
    actStayOnTop->setObjectName("actStayOnTop");
    actStayOnTop->setCheckable(true);
    actStayOnTop->setData(1000);
    connect(actStayOnTop, &QAction::triggered, this, ui::atEdge(this, &TFormSet::toggleStayOnTop));
    // 4. the wheel rule and the popup menu pmCopy of the report lists (copy a row or the whole
    // list) come to each page's lists as the page is made
    copyMenu_ = info::installCopyMenu(this, windowUi_, [this] { return activeTabList(); });
    for (Page* p : pages_) connect(p, &Page::built, this, &TFormSet::pageBuilt);
    // the first tab is in front at the first paint and its list is loaded below
    connectPage->ensureBuilt();
    // 5.
    session_->clearConnection();
    // 6. the columns of lvSetKKM are laid out once the window is shown and sized
    // 7.
    const QString iniProblem = connectPage->loadSaved();
    if (!iniProblem.isEmpty()) windowUi_.message(iniProblem, ui::Icon::Warning, std::nullopt);

    auto* ctrlR = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this);
    connect(ctrlR, &QShortcut::activated, this, ui::atEdge(this, &TFormSet::toggleServiceView));
    auto* ctrlE = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), this);
    connect(ctrlE, &QShortcut::activated, this, ui::atEdge(this, &TFormSet::openEouFolder));
    connect(connectPage, &discovery::ConnectPage::driverDownloadRequested, this,
            ui::atEdge(this, &TFormSet::btnDrvDownClick));
    connect(pgcSet, &QTabWidget::currentChanged, this, ui::atEdge(this, &TFormSet::pgcSetChange));
}

TFormSet::~TFormSet() = default;

void TFormSet::createPages() {
    pgcSet = new QTabWidget(this);
    pgcSet->setObjectName("pgcSet");
    // all nine tabs stay in view, as on the original's Tahoma font
    pgcSet->setUsesScrollButtons(false);
    pgcSet->tabBar()->setElideMode(Qt::ElideNone);
    // on the tab bar alone: a style sheet on the tab widget would restyle every page's widgets
    pgcSet->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 1px 3px 1px; }"));
    const PageContext ctx{*session_, windowUi_, serviceLog_};
    connectPage = new discovery::ConnectPage(ctx);
    kkmInfoPage = new info::KkmInfoPage(ctx);
    regInfoPage = new info::RegInfoPage(ctx);
    fnInfoPage = new info::FnInfoPage(ctx);
    shiftPage = new documents::ShiftPage(ctx);
    checkPage = new documents::CheckPage(ctx);
    klishePage = new cliche::KlishePage(ctx);
    setPage = new settings::SetPage(ctx);
    servPage = new service::ServPage(ctx);
    pages_ = {connectPage, kkmInfoPage, regInfoPage, fnInfoPage, shiftPage,
              checkPage,   klishePage,  setPage,     servPage};
    for (Page* p : pages_) pgcSet->addTab(p, p->caption());
    activePage_ = pages_.first();
    // the tab bar names every page; a page makes its controls when first shown or needed

    mmoServ = new ui::Memo(this);
    mmoServ->setObjectName("mmoServ");
    mmoServ->setFixedWidth(kServiceViewWidth);
    mmoServ->hide();
    mmoServ->setLog(&serviceLog_);
    auto* l = new QHBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(kServiceViewGap);
    l->addWidget(pgcSet, 1);
    l->addWidget(mmoServ);
}

QList<QAbstractButton*> TFormSet::readButtons() const {
    QList<QAbstractButton*> out;
    for (Page* p : pages_)
        if (auto* b = p->isBuilt() ? p->readButton() : nullptr) out << b;
    return out;
}

void TFormSet::pageBuilt(Page* page) {
    for (auto* list : page->findChildren<ui::ReportList*>()) {
        list->setWheelRule([this] {
            auto* active = activeTabList();
            return active && active->scrollBarEnabled();
        });
        if (info::copyMenuLists().contains(list->objectName())) copyMenu_->attach(list);
    }
    if (!formShown_) return;  // the window's first show brings it up to date with the others
    // a page made after the first show: as the first show and the last connection left the
    // pages made then
    QWidget* front = pgcSet->currentWidget();
    if (front && front != page) page->resize(front->size());
    if (auto* l = page->layout()) l->activate();
    if (auto* b = page->readButton()) {
        b->setText(ui::btnValRead);
        ui::setReadMarker(b, 0);
    }
    page->windowShown();
    page->resetView();
    if (everConnected_) page->connectionChanged();
}

ui::ReportList* TFormSet::activeTabList() const {
    auto* page = qobject_cast<Page*>(pgcSet->currentWidget());
    return page ? page->reportList() : nullptr;
}

void TFormSet::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (shown_) return;
    shown_ = true;
    ui::handled(this, [this] { formShow(); });
}

void TFormSet::formShow() {
    // layouts must have their sizes before the grids are filled
    for (int i = 0; i < pgcSet->count(); ++i)
        if (auto* l = pgcSet->widget(i)->layout()) {  // none yet on a page not made
            pgcSet->widget(i)->resize(pgcSet->currentWidget()->size());
            l->activate();
        }
    // 1.
    for (auto* b : readButtons()) b->setText(ui::btnValRead);
    // 2. binding steps 1 to 5
    binding_ = bindDriver(session_->pc());
    setWindowTitle(kWindowCaption + binding_.titleSuffix);
    // 3. to 5.: the date of the archive search, the list columns, the manual clock, the active
    // cliche list and the font marks of the two line forms
    for (Page* p : pages_)
        if (p->isBuilt()) p->windowShown();
    session_->setKkmConnected(false);
    session_->setP5(false);
    pgcSet->setCurrentIndex(0);
    // 6. binding steps 6 to 8
    session_->bind(std::move(binding_.fptr), binding_.fptrOK, binding_.drvVer);
    connectPage->showBinding(binding_);
    // 7.
    for (int c : {colEouProxy, colKkmProxy, colSpeed})
        connectPage->lvKKMconnect->setColumnHidden(c, true);
    // 8.
    resetViews();
    formShown_ = true;
}

void TFormSet::resetViews() {
    for (Page* p : pages_)
        if (p->isBuilt()) p->resetView();
    for (auto* b : readButtons()) ui::setReadMarker(b, 0);
}

void TFormSet::closeEvent(QCloseEvent* e) {
    if (!closed_) {
        closed_ = true;
        // 1.
        settingsWritten_ = connectPage->saveSettings() == SaveResult::Saved;
        if (!settingsWritten_) {
            const QString text = QStringLiteral("Нет доступа для записи настроек");
            // Ending on a signal or with the session nobody is there to answer a box.
            if (terminating_)
                std::fprintf(
                    stderr, "%s: %s: %s\n", ui::appTitle().toUtf8().constData(),
                    text.toUtf8().constData(),
                    QDir::toNativeSeparators(session_->settingsFile()).toUtf8().constData());
            else
                windowUi_.message(text, ui::Icon::Information, std::nullopt);
        }
        // 2.
        session_->closeDriver();
        // 3.
        for (const auto& p : session_->pc().processes()) {
            if (QFileInfo(QString(p.imagePath).replace('\\', '/'))
                    .fileName()
                    .compare(QLatin1String("EthOverUsbTest.exe"), Qt::CaseInsensitive) == 0) {
                session_->pc().terminateProcess(p.pid);
                break;
            }
        }
        // 4.
        session_->pc().closeScanTestPort();
    }
    QWidget::closeEvent(e);
}

void TFormSet::setUpdateDialog(update::TFormUpdate* dialog) {
    updateDialog_ = dialog;
    if (!dialog) return;
    IniFile ini;
    const QString option = ini.load(session_->settingsFile())
                               ? ini.value(QStringLiteral("Update"), "server")
                               : QString();
    dialog->setServerBase(update::serverBase(option));
    dialog->setServiceLog([this](const QString& line) { serviceLog_.addLine(line); });
}

void TFormSet::btnDrvDownClick() {
    if (!updateDialog_) return;
    updateDialog_->setDriverState(session_->fptrOK(), session_->drvVer());
    updateDialog_->runCheck();
}

bool TFormSet::terminate() {
    terminating_ = true;
    dismissModals();  // a box or dialog waiting for the user gives way first
    close();
    return settingsWritten_;
}

void TFormSet::dismissModals() {
    for (int i = 0; i < 16; ++i) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) break;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        if (QApplication::activeModalWidget() == modal) modal->hide();
    }
}

void TFormSet::toggleServiceView() {
    // The service view stands right of the pages, which keep their width: the window grows by
    // the view and its gaps, and shrinks back when it is hidden.
    const bool show = mmoServ->isHidden();
    const int extra = kServiceViewWidth + 2 * kServiceViewGap + 3;
    const int target = width() + (show ? extra : -extra);  // before the minimum follows the view
    layout()->setContentsMargins(0, 0, show ? kServiceViewGap + 3 : 0, 0);
    mmoServ->setVisible(show);
    layout()->invalidate();
    layout()->activate();
    if (!isMaximized() && !isFullScreen()) resize(target, height());
}

void TFormSet::openEouFolder() {
    QString dir = session_->pc().envVar(QStringLiteral("programdata"));
    session_->pc().openFolder(dir + QStringLiteral("\\ATOL\\EoU\\"));
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
    auto* page = qobject_cast<Page*>(pgcSet->currentWidget());
    if (page) page->ensureBuilt();  // shown already, unless the window is hidden
    if (page == activePage_) return;
    if (activePage_) activePage_->setActive(false);
    activePage_ = page;
    if (page) page->setActive(true);
}

}  // namespace app
