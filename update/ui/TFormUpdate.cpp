#include "update/ui/TFormUpdate.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <climits>

#include "app/ui/widgets/Handled.h"
#include "app/ui/widgets/MessageBox.h"
#include "update/Texts.h"
#include "update/ui/DesktopShell.h"

namespace update {
namespace {

template <class W>
W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

}  // namespace

TFormUpdate::TFormUpdate(IDesktop* desktop, QWidget* parent) : QDialog(parent), updater_(this) {
    if (!desktop) {
        ownDesktop_ = std::make_unique<DesktopShell>();
        desktop = ownDesktop_.get();
    }
    desktop_ = desktop;
    setObjectName(QStringLiteral("TFormUpdate"));
    setWindowTitle(text::kCaption);
    setModal(false);
    buildControls();

    connect(btnDrvDown, &QPushButton::clicked, this,
            ui::atEdge(this, &TFormUpdate::btnDrvDownClick));
    connect(btnDrvDown_usbcom, &QPushButton::clicked, this,
            ui::atEdge(this, &TFormUpdate::btnDrvDown_usbcomClick));
    connect(btnDrvOldVers, &QPushButton::clicked, this,
            ui::atEdge(this, &TFormUpdate::btnDrvOldVersClick));
    connect(&updater_, &Updater::checkChanged, this, ui::atEdge(this, &TFormUpdate::showCheck));
    connect(&updater_, &Updater::checkFinished, this,
            ui::atEdge(this, &TFormUpdate::checkFinished));
    connect(&updater_, &Updater::downloadStarted, this,
            ui::atEdge(this, [this](Slot, const QUrl& address, const QString& target) {
                log(address.toDisplayString());
                if (!target.isEmpty()) log(target);
            }));
    connect(&updater_, &Updater::progress, this, ui::atEdge(this, &TFormUpdate::showProgress));
    connect(&updater_, &Updater::downloadFinished, this,
            ui::atEdge(this, &TFormUpdate::downloadFinished));
}

TFormUpdate::~TFormUpdate() {
    // No outcome reaches the widgets while they go.
    updater_.disconnect(this);
}

void TFormUpdate::buildControls() {
    auto* drv = new QGroupBox(QStringLiteral("Драйвер ККТ"), this);
    auto* g = new QGridLayout(drv);
    g->addWidget(new QLabel(QStringLiteral("Установленная версия:"), drv), 0, 0);
    lblNowVer = named(new QLabel(drv), "lblNowVer");
    g->addWidget(lblNowVer, 0, 1);
    g->addWidget(new QLabel(QStringLiteral("Последняя версия:"), drv), 1, 0);
    lblNewVer = named(new QLabel(drv), "lblNewVer");
    g->addWidget(lblNewVer, 1, 1);
    btnDrvOldVers = named(new QPushButton(QStringLiteral("Другие"), drv), "btnDrvOldVers");
    g->addWidget(btnDrvOldVers, 1, 2);
    rbFull = named(new QRadioButton(QStringLiteral("Драйверы ККТ - Полный архив"), drv), "rbFull");
    rb32 = named(new QRadioButton(QStringLiteral("Драйверы ККТ - 32 bit"), drv), "rb32");
    rb64 = named(new QRadioButton(QStringLiteral("Драйверы ККТ - 64 bit"), drv), "rb64");
    lblFullSize = named(new QLabel(drv), "lblFullSize");
    lbl32Size = named(new QLabel(drv), "lbl32Size");
    lbl64Size = named(new QLabel(drv), "lbl64Size");
    g->addWidget(rbFull, 2, 0);
    g->addWidget(lblFullSize, 2, 1);
    g->addWidget(rb32, 3, 0);
    g->addWidget(lbl32Size, 3, 1);
    g->addWidget(rb64, 4, 0);
    g->addWidget(lbl64Size, 4, 1);
    prgDown = named(new QProgressBar(drv), "prgDown");
    g->addWidget(prgDown, 5, 0, 1, 2);
    btnDrvDown = named(new QPushButton(text::kDownload, drv), "btnDrvDown");
    g->addWidget(btnDrvDown, 5, 2);

    auto* usb = new QGroupBox(QStringLiteral("Драйвер USB-COM"), this);
    auto* u = new QGridLayout(usb);
    u->addWidget(new QLabel(QStringLiteral("Установленная версия:"), usb), 0, 0);
    lblNowVer_usbcom = named(new QLabel(usb), "lblNowVer_usbcom");
    u->addWidget(lblNowVer_usbcom, 0, 1);
    u->addWidget(new QLabel(QStringLiteral("Доступна для скачивания:"), usb), 1, 0);
    lblNewVer_usbcom = named(new QLabel(usb), "lblNewVer_usbcom");
    u->addWidget(lblNewVer_usbcom, 1, 1);
    prgDown_usbcom = named(new QProgressBar(usb), "prgDown_usbcom");
    u->addWidget(prgDown_usbcom, 2, 0, 1, 2);
    btnDrvDown_usbcom = named(new QPushButton(text::kDownload, usb), "btnDrvDown_usbcom");
    u->addWidget(btnDrvDown_usbcom, 2, 2);

    auto* v = new QVBoxLayout(this);
    v->addWidget(drv);
    v->addWidget(usb);

    for (QProgressBar* p : {prgDown, prgDown_usbcom}) {
        p->setRange(0, 100);
        p->setValue(0);
    }
    const QString zero = sizeLabel(0);
    for (QLabel* l : {lblFullSize, lbl32Size, lbl64Size}) l->setText(zero);
    (sizeof(void*) == 4 ? rb32 : rb64)->setChecked(true);
}

void TFormUpdate::setServerBase(const QUrl& base) {
    updater_.setServerBase(base);
}

void TFormUpdate::setDriverState(bool fptrOK, const QString& version) {
    fptrOK_ = fptrOK;
    drvVer_ = version;
}

void TFormUpdate::setServiceLog(std::function<void(const QString&)> log) {
    log_ = std::move(log);
}

void TFormUpdate::log(const QString& line) {
    if (log_) log_(line);
}

void TFormUpdate::fillInstalledVersions() {
    lblNowVer->setText(fptrOK_ ? drvVer_ : text::kNone);
    const auto inf = desktop_->readSystemFile(kUsbcomInfPath);
    lblNowVer_usbcom->setText(inf ? usbcomVersionFromInf(*inf) : text::kNone);
}

void TFormUpdate::showEvent(QShowEvent* e) {
    fillInstalledVersions();
    QDialog::showEvent(e);
}

void TFormUpdate::runCheck() {
    // A running download keeps its state; the dialog is only brought forward.
    if (updater_.anyDownloading()) {
        show();
        raise();
        activateWindow();
        return;
    }
    for (QLabel* l : {lblNowVer, lblNewVer, lblNowVer_usbcom, lblNewVer_usbcom}) l->clear();
    for (QProgressBar* p : {prgDown, prgDown_usbcom}) {
        p->setRange(0, 100);
        p->setValue(0);
    }
    const QString zero = sizeLabel(0);
    for (QLabel* l : {lblFullSize, lbl32Size, lbl64Size}) l->setText(zero);
    (sizeof(void*) == 4 ? rb32 : rb64)->setChecked(true);
    setWindowTitle(text::kCaption);
    show();
    raise();
    activateWindow();
    // Shown already: the show event does not come again.
    fillInstalledVersions();
    updater_.startCheck();
}

void TFormUpdate::showCheck() {
    const CheckView v = checkView(updater_.result(), updater_.forLinux());
    lblNewVer->setText(v.newVer);
    lblFullSize->setText(v.sizes[0]);
    lbl32Size->setText(v.sizes[1]);
    lbl64Size->setText(v.sizes[2]);
    lblNewVer_usbcom->setText(v.newVerUsbcom);
}

void TFormUpdate::checkFinished() {
    showCheck();
    const QString message = updater_.result().message;
    if (!message.isEmpty())
        ui::MessageBox::show(this, message, ui::Icon::Information, ui::appTitle());
}

Package TFormUpdate::chosenPackage() const {
    if (rbFull->isChecked()) return Package::Full;
    if (rb32->isChecked()) return Package::Bit32;
    return Package::Bit64;
}

void TFormUpdate::btnDrvDownClick() {
    downloadClick(Slot::Driver);
}

void TFormUpdate::btnDrvDown_usbcomClick() {
    downloadClick(Slot::Usbcom);
}

void TFormUpdate::downloadClick(Slot slot) {
    switch (updater_.decide(slot)) {
        case Updater::Click::Ignore:
            return;
        case Updater::Click::NoAddress:
            ui::MessageBox::show(this, text::kServerUnavailable, ui::Icon::Information,
                                 ui::appTitle());
            return;
        case Updater::Click::NoLinuxPackage:
            ui::MessageBox::show(this, text::kNoLinuxPackage, ui::Icon::Information,
                                 ui::appTitle());
            return;
        case Updater::Click::Cancel:
            updater_.cancel(slot);  // the outcome restores the button
            return;
        case Updater::Click::Start:
            button(slot)->setText(text::kCancel);
            bar(slot)->setRange(0, 100);
            bar(slot)->setValue(0);
            updater_.start(slot, chosenPackage(), desktop_->downloadsDir());
            return;
    }
}

void TFormUpdate::showProgress(Slot slot, qint64 received, qint64 total) {
    QProgressBar* p = bar(slot);
    int percent = 0;
    if (total > 0) {
        const qint64 scale = total > INT_MAX ? 1024 : 1;
        p->setRange(0, int(total / scale));
        p->setValue(int(qMin(received, total) / scale));
        percent = int(qMin(received, total) * 100 / total);
    }
    setWindowTitle(text::kCaption + QStringLiteral(" (%1%)").arg(percent));
}

void TFormUpdate::downloadFinished(Slot slot, const DownloadOutcome& outcome) {
    button(slot)->setText(text::kDownload);
    bar(slot)->setRange(0, 100);
    bar(slot)->setValue(0);
    setWindowTitle(text::kCaption);
    switch (outcome.kind) {
        case DownloadOutcome::Kind::Cancelled:
            return;
        case DownloadOutcome::Kind::Failed:
            if (!outcome.detail.isEmpty()) log(outcome.detail);
            ui::MessageBox::show(this, outcome.message, ui::Icon::Information, ui::appTitle());
            return;
        case DownloadOutcome::Kind::Completed:
            break;
    }
    close();
    QWidget* owner = parentWidget() ? parentWidget() : this;
    const QString title = ui::appTitle();
    if (slot == Slot::Usbcom) {
        ui::MessageBox::show(owner, text::kUsbcomReady, ui::Icon::Information, title);
        openInstaller(outcome.path);
        return;
    }
    if (!fptrOK_) {
        ui::MessageBox::show(owner, text::kDriverReadyRestart, ui::Icon::Information, title);
        openInstaller(outcome.path);
        return;
    }
    const auto answer =
        ui::MessageBox::show(owner, text::kDriverReadyAskClose, ui::Icon::Information, title,
                             QMessageBox::Yes | QMessageBox::No);
    const bool opened = desktop_->openFile(outcome.path);
    if (!opened) {
        ui::MessageBox::show(owner, text::kOpenFailed + outcome.path, ui::Icon::Information, title);
        return;  // nothing to install with, so the program stays
    }
    if (answer == QMessageBox::Yes) desktop_->endProgram();
}

void TFormUpdate::openInstaller(const QString& path) {
    if (!desktop_->openFile(path)) {
        QWidget* owner = parentWidget() ? parentWidget() : this;
        ui::MessageBox::show(owner, text::kOpenFailed + path, ui::Icon::Information,
                             ui::appTitle());
    }
}

void TFormUpdate::btnDrvOldVersClick() {
    desktop_->openUrl(versionsPageUrl(updater_.serverBase()));
}

void TFormUpdate::done(int r) {
    // Every way of closing the dialog (its close box, Esc, close()) ends here. The driver's
    // download stops; the USB-COM installer's goes on and, when done, is offered as usual.
    updater_.abortCheck();
    updater_.cancel(Slot::Driver);
    btnDrvDown->setEnabled(true);
    QDialog::done(r);
}

}  // namespace update
