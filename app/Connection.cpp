#include "app/Connection.h"

#include "app/ConnectPage.h"
#include "app/shared/Conventions.h"
#include "app/shared/Memo.h"
#include "app/shared/ReportList.h"
#include "discovery/HandleListing.h"
#include "driver/Versions.h"
#include "platform/Pc.h"

namespace app {

Connection::Connection(ui::AppContext& ctx, ui::ReportList& list, ui::Memo& memo)
    : ctx_(ctx), list_(list), memo_(memo) {}

QString Connection::check_openKKM_com(const QString& numORip, bool stayconnect) {
    QString result;
    ctx_.isP5 = false;
    try {
        ctx_.fptr.reset();
        ctx_.fptr = drv::Fptr::create();
    } catch (const std::exception&) {
        ctx_.fptr.reset();
        return result;
    }
    drv::Fptr& f = *ctx_.fptr;
    if (numORip.size() != 4) {
        if (numORip.size() < 4)
            f.openSerialAuto(numORip);
        else
            f.openTcpAuto(numORip);
        if (drv::platform25NotServed(f)) {
            f.close();
            return kNeed1010;
        }
        ui::reportDriverError(f, *ctx_.ui, true);
        if (f.isOpened()) {
            f.setParam("LIBFPTR_PARAM_DATA_TYPE", f.c("LIBFPTR_DT_UNIT_VERSION"));
            f.setParam("LIBFPTR_PARAM_UNIT_TYPE", f.c("LIBFPTR_UT_CONFIGURATION"));
            f.queryData();
            ctx_.isP5 = f.getParamString("LIBFPTR_PARAM_UNIT_VERSION").startsWith('5');
            f.setParam("LIBFPTR_PARAM_DATA_TYPE", f.c("LIBFPTR_DT_STATUS"));
            f.queryData();
            const QString serial = f.getParamString("LIBFPTR_PARAM_SERIAL_NUMBER");
            const QString modelName = f.getParamString("LIBFPTR_PARAM_MODEL_NAME");
            const QString firmware = f.getParamString("LIBFPTR_PARAM_UNIT_VERSION");
            ctx_.record.model = modelName;
            ctx_.record.serial = serial;
            if (!modelName.isEmpty())
                result = modelName + " (№ " + serial + ") " + "/ Версия ПО: " + firmware;
        }
    }
    if (!stayconnect) f.close();
    return result;
}

void Connection::markConnectedRowsAvailable() {
    for (int r = 0; r < list_.rowCount(); ++r)
        if (!list_.isFiller(r) && list_.cell(r, colState) == QStringLiteral("Подключен"))
            list_.setCell(r, colState, QStringLiteral("Доступен"));
}

// Closes the current register before a new attempt; views are reset even when it fails.
void Connection::closeCurrent(bool network) {
    if (ctx_.fptr) ctx_.fptr->close();
    if (network)
        ctx_.ipConnected.clear();
    else
        ctx_.comConnected.clear();
    ctx_.kkmConnected = false;
    if (ctx_.resetViews) ctx_.resetViews();
    memo_.clearLines();
    memo_.setScrollBarRule(true);
    ctx_.ui->processEvents();
    if (!ctx_.fptr || !ctx_.fptr->isOpened()) {
        markConnectedRowsAvailable();
    }
}

void Connection::connectRow(int row) {
    const QString ip = list_.cell(row, colIp);
    const QString port = list_.cell(row, colCom);
    if (!ip.isEmpty()) {
        if (ip == ctx_.ipConnected) return;
        closeCurrent(true);
        const QString result = check_openKKM_com(ip, true);
        if (result == kNeed1010) {
            memo_.addLine(kPlatform25Message);
        } else if (!result.isEmpty()) {
            ctx_.kkmConnected = true;
            ctx_.ipConnected = ip;
            ctx_.comConnected.clear();
            showConnected(result, {QStringLiteral("IP адрес: ") + ip});
        }
    } else {
        if (port == ctx_.comConnected) return;
        closeCurrent(false);
        QString result;
        if (!port.isEmpty()) result = check_openKKM_com(port.mid(3, 3), true);
        if (result == kNeed1010) {
            memo_.addLine(kPlatform25Message);
        } else if (!result.isEmpty()) {
            ctx_.kkmConnected = true;
            ctx_.comConnected = port;
            list_.setCell(row, colState, QStringLiteral("Подключен"));
            ctx_.record.eouPort = list_.cell(row, colEou);
            showConnected(result,
                          {QStringLiteral("COM порт: ") + port,
                           QStringLiteral("Имя порта: ") + list_.cell(row, colKkmProxy),
                           QStringLiteral("Скорость порта: ") + list_.cell(row, colSpeed),
                           QStringLiteral("COM порт EoU: ") + list_.cell(row, colEou),
                           QStringLiteral("Имя порта EoU: ") + list_.cell(row, colEouProxy)});
        } else if (!ctx_.pc->portExists(port)) {
            ctx_.ui->message(QStringLiteral("Порт ") + port + QStringLiteral(" не существует"));
        } else {
            busyPortCheck(row);
        }
    }
    if (ctx_.kkmConnected && ctx_.connectionChanged) ctx_.connectionChanged();
}

// The memo after a connection: model, serial number, firmware (from the open's result), then
// the lines of the way it was reached.
void Connection::showConnected(const QString& result, const QStringList& tail) {
    memo_.addLine(QStringLiteral("Подключена ККМ: ") + ctx_.record.model);
    memo_.addLine(QStringLiteral("Серийный номер: ") + ctx_.record.serial);
    memo_.addLine(QStringLiteral("Версия ПО: ") +
                  result.section(QStringLiteral("/ Версия ПО: "), 1));
    for (const QString& line : tail) memo_.addLine(line);
}

void Connection::busyPortCheck(int row) {
    const QString port = list_.cell(row, colCom);
    const QString device = list_.cell(row, colKkmProxy);
    memo_.addLine(QStringLiteral("[Проверка используемых портов...]"));
    ctx_.ui->processEvents();
    if (ctx_.handleListing) {
        ctx_.handleListing->start(ctx_.progdir);
        for (int i = 0; i < 201 && ctx_.handleListing->isRunning(); ++i) ctx_.ui->pause(50);
        for (const QString& line : ctx_.handleListing->lines()) {
            const auto h = discovery::parseHandleLine(line);
            if (h.deviceTail.isEmpty() || !device.contains(h.deviceTail)) continue;
            const QString path = ctx_.pc->processImagePath(h.pid);
            memo_.setPlainText(port + ": " + device +
                               QStringLiteral(" - занят, используется процессом:") + "\n" + path);
            memo_.scrollToTop();
            return;
        }
    }
    memo_.addLine(QStringLiteral("Не определено"));
}

void Connection::disconnect() {
    const auto closeAndReport = [this](bool rows) {
        ctx_.fptr->close();
        if (ctx_.fptr->isOpened()) return false;
        if (rows) markConnectedRowsAvailable();
        ctx_.kkmConnected = false;
        memo_.clearLines();
        ctx_.ui->processEvents();
        memo_.addLine(ctx_.record.model + " (№ " + ctx_.record.serial + ") - отключена");
        return true;
    };
    if (!ctx_.fptr) return;
    if (!ctx_.comConnected.isEmpty() && closeAndReport(true)) ctx_.comConnected.clear();
    if (!ctx_.ipConnected.isEmpty() && closeAndReport(false)) ctx_.ipConnected.clear();
}

}  // namespace app
