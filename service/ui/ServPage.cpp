#include "service/ui/ServPage.h"

#include <QDateTimeEdit>
#include <QFormLayout>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "app/ui/widgets/Named.h"
#include "driver/Names.h"
#include "driver/ValueText.h"

namespace service {

using ui::named;

ServPage::ServPage(const app::PageContext& ctx, QWidget* parent) : Page(ctx, parent) {
    setObjectName("tabServ");
    pnlServ = named<QWidget>(this, "pnlServ");
    pnlServ->setFocusPolicy(Qt::StrongFocus);
    edtSysTime = named<QLineEdit>(pnlServ, "edtSysTime");
    edtSysTime->setReadOnly(true);
    edtKKMtime = named<QLineEdit>(pnlServ, "edtKKMtime");
    edtKKMtime->setReadOnly(true);
    dtSetTimeManual = named<QDateTimeEdit>(pnlServ, "dtSetTimeManual");
    auto* form = new QFormLayout(pnlServ);
    form->addRow("Время ПК", edtSysTime);
    form->addRow("Время ККМ", edtKKMtime);
    form->addRow("Установить", dtSetTimeManual);
    auto* l = new QVBoxLayout(this);
    l->addWidget(pnlServ);
    l->addStretch();

    tmrServ = new QTimer(this);
    tmrServ->setObjectName("tmrServ");
    tmrServ->setInterval(1000);
    connect(tmrServ, &QTimer::timeout, this, &ServPage::timerTick);
}

void ServPage::windowShown() {
    dtSetTimeManual->setDateTime(QDateTime::currentDateTime());
}

void ServPage::setActive(bool active) {
    if (active) {
        pnlServ->setFocus();
        tmrServ->start();
    } else {
        tmrServ->stop();
    }
}

void ServPage::timerTick() {
    if (!tmrServ->isActive()) return;
    edtSysTime->setText(drv::dateTimeText(QDateTime::currentDateTime()));
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

}  // namespace service
