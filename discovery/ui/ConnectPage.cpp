#include "discovery/ui/ConnectPage.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Connection.h"
#include "app/ui/widgets/Conventions.h"
#include "app/ui/widgets/Handled.h"
#include "app/ui/widgets/Memo.h"
#include "app/ui/widgets/ReportList.h"
#include "discovery/DeviceScan.h"
#include "discovery/HandleListing.h"

namespace discovery {

using namespace app;

ConnectPage::ConnectPage(const app::PageContext& ctx, QWidget* parent) : Page(ctx, parent) {
    setObjectName("tabConnectKKM");
}

void ConnectPage::build() {
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

    handles_ = new HandleListing(session().pc(), context().serviceLog, this);
    connection_ = std::make_unique<Connection>(session(), ui(), rows_, mmoInfo->log(), handles_);
    connect(&session(), &app::Session::disconnectRequested, this,
            ui::atEdge(this, &ConnectPage::btnDiscKKMClick));
    scan_ = new DeviceScan(session(), ui(), rows_, mmoInfo->log(), context().serviceLog, handles_,
                           this);
    connect(&rows_, &DeviceRows::reset, this, ui::atEdge(this, &ConnectPage::showRows));
    connect(&rows_, &DeviceRows::rowAdded, this,
            ui::atEdge(this, [this](int row) { lvKKMconnect->addDataRow(rows_.at(row).cells()); }));
    connect(&rows_, &DeviceRows::rowChanged, this, ui::atEdge(this, &ConnectPage::showRow));

    connect(btnConnectKKM, &QPushButton::clicked, this,
            ui::atEdge(this, &ConnectPage::btnConnectKKMClick));
    connect(btnDiscKKM, &QPushButton::clicked, this,
            ui::atEdge(this, &ConnectPage::btnDiscKKMClick));
    connect(btnScanConnect, &QPushButton::clicked, this,
            ui::atEdge(this, &ConnectPage::btnScanConnectClick));
    connect(chkCOM, &QCheckBox::clicked, this, ui::atEdge(this, &ConnectPage::chkCOMClick));
    connect(chkTCPIP, &QCheckBox::clicked, this, ui::atEdge(this, &ConnectPage::chkCOMClick));
    connect(lvKKMconnect, &QTableWidget::cellDoubleClicked, this,
            ui::atEdge(this, &ConnectPage::lvKKMconnectItemDblClick));
    connect(btnDrvDown, &QPushButton::clicked, this,
            ui::atEdge(this, &ConnectPage::driverDownloadRequested));
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

void ConnectPage::windowShown() {
    applyColumnVisibility();
}

void ConnectPage::showBinding(const app::Binding& binding) {
    btnDrvDown->setText(binding.downloadCaption);
    lblDrvVer->setText(binding.label);
    for (const auto& line : binding.memoLines) mmoInfo->addLine(line);
}

void ConnectPage::showRows() {
    lvKKMconnect->clearRows();
    for (const DeviceRow& r : rows_.rows()) lvKKMconnect->addDataRow(r.cells());
    lvKKMconnect->fillGrid();
}

void ConnectPage::showRow(int row) {
    for (int c = 0; c < deviceColumnCount; ++c)
        lvKKMconnect->setCell(row, c, rows_.at(row).cell(c));
}

QString ConnectPage::loadSaved() {
    ListOptions opts;
    const QString problem = loadSavedList(session().settingsFile(), rows_, opts);
    chkSave->setChecked(opts.save);
    chkCOM->setChecked(opts.com);
    chkTCPIP->setChecked(opts.ip);
    return problem;
}

SaveResult ConnectPage::saveSettings() const {
    const ListOptions opts{chkSave->isChecked(), chkCOM->isChecked(), chkTCPIP->isChecked()};
    return app::saveSettings(session().settingsFile(), rows_, opts);
}

void ConnectPage::chkCOMClick() {
    applyColumnVisibility();
    lvKKMconnect->sizeColumns(false);
}

void ConnectPage::btnConnectKKMClick() {
    const int row = lvKKMconnect->firstSelectedRow();
    if (row < 0 || row >= rows_.size()) {
        ui().message(QStringLiteral("Выберите ККМ"));
        return;
    }
    if (!session().fptrOK()) {
        ui().message(kDriverNotBound, ui::Icon::Error);
        return;
    }
    ui::BusyButton busy(btnConnectKKM, ui(), QStringLiteral("Подключить ККМ"));
    connection_->connectRow(row);
}

void ConnectPage::lvKKMconnectItemDblClick() {
    btnConnectKKMClick();
}

void ConnectPage::btnDiscKKMClick() {
    connection_->disconnect();
}

void ConnectPage::btnScanConnectClick() {
    ui::ButtonBusy busy(btnScanConnect, ui(), QStringLiteral("Найти ККМ"));
    scan_->run(chkCOM->isChecked(), chkTCPIP->isChecked(), &busy);
}

}  // namespace discovery
