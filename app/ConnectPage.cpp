#include "app/ConnectPage.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Connection.h"
#include "app/shared/Conventions.h"
#include "app/shared/Memo.h"
#include "app/shared/ReportList.h"
#include "discovery/DeviceScan.h"

namespace app {

ConnectPage::ConnectPage(ui::AppContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    setObjectName("tabConnectKKM");
    lvKKMconnect = new ui::ReportList(this);
    lvKKMconnect->setObjectName("lvKKMconnect");
    lvKKMconnect->setColumns({{"ККМ", 80},
                              {"COM порт", 73},
                              {"Порт EoU", 70},
                              {"Состояние порта", 120},
                              {"IP адрес", 100},
                              {"kkmproxy", 70, false},
                              {"eouproxy", 70, false},
                              {"speed", 80, false}});
    lvKKMconnect->setFixedHeight(229);

    btnScanConnect = new QPushButton("Найти ККМ", this);
    btnScanConnect->setObjectName("btnScanConnect");
    btnConnectKKM = new QPushButton("Подключить ККМ", this);
    btnConnectKKM->setObjectName("btnConnectKKM");
    btnDiscKKM = new QPushButton("Отключить ККМ", this);
    btnDiscKKM->setObjectName("btnDiscKKM");
    chkCOM = new QCheckBox("COM/VCOM", this);
    chkCOM->setObjectName("chkCOM");
    chkCOM->setChecked(true);
    chkTCPIP = new QCheckBox("TCP/IP (Ethernet)", this);
    chkTCPIP->setObjectName("chkTCPIP");
    chkSave = new QCheckBox("Сохранять список", this);
    chkSave->setObjectName("chkSave");
    chkSave->setChecked(true);

    mmoInfo = new ui::Memo(this);
    mmoInfo->setObjectName("mmoInfo");
    mmoInfo->setScrollBarRule(true);

    lblDrvVer = new QLabel(this);
    lblDrvVer->setObjectName("lblDrvVer");
    btnDrvDown = new QPushButton("Установить драйвер", this);
    btnDrvDown->setObjectName("btnDrvDown");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnScanConnect);
    buttons->addWidget(btnConnectKKM);
    buttons->addWidget(btnDiscKKM);
    buttons->addStretch();
    auto* options = new QHBoxLayout;
    options->addWidget(chkCOM);
    options->addWidget(chkTCPIP);
    options->addStretch();
    options->addWidget(chkSave);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblDrvVer, 1);
    bottom->addWidget(btnDrvDown);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lvKKMconnect);
    layout->addLayout(options);
    layout->addLayout(buttons);
    layout->addWidget(mmoInfo, 1);
    layout->addLayout(bottom);

    connection_ = std::make_unique<Connection>(ctx_, *lvKKMconnect, *mmoInfo);
    scan_ = new discovery::DeviceScan(ctx_, *lvKKMconnect, *mmoInfo, btnScanConnect, this);

    connect(btnConnectKKM, &QPushButton::clicked, this, &ConnectPage::btnConnectKKMClick);
    connect(btnDiscKKM, &QPushButton::clicked, this, &ConnectPage::btnDiscKKMClick);
    connect(btnScanConnect, &QPushButton::clicked, this, &ConnectPage::btnScanConnectClick);
    connect(chkCOM, &QCheckBox::clicked, this, &ConnectPage::chkCOMClick);
    connect(chkTCPIP, &QCheckBox::clicked, this, &ConnectPage::chkCOMClick);
    connect(lvKKMconnect, &QTableWidget::cellDoubleClicked, this,
            &ConnectPage::lvKKMconnectItemDblClick);
    connect(btnDrvDown, &QPushButton::clicked, this, &ConnectPage::driverDownloadRequested);
}

ConnectPage::~ConnectPage() = default;

void ConnectPage::applyColumnVisibility() {
    lvKKMconnect->setColumnHidden(colCom, !chkCOM->isChecked());
    lvKKMconnect->setColumnHidden(colEou, !chkCOM->isChecked());
    lvKKMconnect->setColumnHidden(colState, !chkCOM->isChecked());
    lvKKMconnect->setColumnHidden(colIp, !chkTCPIP->isChecked());
}

void ConnectPage::resetView() {
    lvKKMconnect->fillGrid();
    lvKKMconnect->sizeColumns(false);
}

void ConnectPage::chkCOMClick() {
    applyColumnVisibility();
    lvKKMconnect->sizeColumns(false);
}

void ConnectPage::btnConnectKKMClick() {
    const int row = lvKKMconnect->firstSelectedRow();
    if (row < 0) {
        ctx_.ui->message(QStringLiteral("Выберите ККМ"));
        return;
    }
    if (!ctx_.fptrOK) {
        ctx_.ui->message(kDriverNotBound, ui::Icon::Error);
        return;
    }
    ui::BusyButton busy(btnConnectKKM, *ctx_.ui, QStringLiteral("Подключить ККМ"));
    connection_->connectRow(row);
}

void ConnectPage::lvKKMconnectItemDblClick() {
    btnConnectKKMClick();
}

void ConnectPage::btnDiscKKMClick() {
    connection_->disconnect();
}

void ConnectPage::btnScanConnectClick() {
    scan_->run(chkCOM->isChecked(), chkTCPIP->isChecked());
}

}  // namespace app
