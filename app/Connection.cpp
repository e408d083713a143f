#include "app/Connection.h"

#include "app/DeviceRows.h"
#include "app/LineLog.h"
#include "discovery/HandleListing.h"
#include "driver/Names.h"
#include "driver/Versions.h"
#include "platform/Pc.h"

namespace app {

RegisterIdentity readIdentity(drv::Fptr& f) {
    RegisterIdentity id;
    f.setParam(drv::names::LIBFPTR_PARAM_DATA_TYPE, f.c(drv::names::LIBFPTR_DT_UNIT_VERSION));
    f.setParam(drv::names::LIBFPTR_PARAM_UNIT_TYPE, f.c(drv::names::LIBFPTR_UT_CONFIGURATION));
    f.queryData();
    id.isP5 = f.getParamString(drv::names::LIBFPTR_PARAM_UNIT_VERSION).startsWith('5');
    f.setParam(drv::names::LIBFPTR_PARAM_DATA_TYPE, f.c(drv::names::LIBFPTR_DT_STATUS));
    f.queryData();
    id.serial = f.getParamString(drv::names::LIBFPTR_PARAM_SERIAL_NUMBER);
    id.model = f.getParamString(drv::names::LIBFPTR_PARAM_MODEL_NAME);
    id.firmware = f.getParamString(drv::names::LIBFPTR_PARAM_UNIT_VERSION);
    return id;
}

Connection::Connection(Session& session, ui::IUi& ui, DeviceRows& rows, LineLog& memo,
                       discovery::HandleListing* handles)
    : session_(session), ui_(ui), rows_(rows), memo_(memo), handles_(handles) {}

QString Connection::check_openKKM_com(const QString& numORip, bool stayconnect) {
    QString result;
    session_.setP5(false);
    try {
        session_.replaceDriver(nullptr);
        session_.replaceDriver(drv::Fptr::create());
    } catch (const std::exception&) {
        session_.replaceDriver(nullptr);
        return result;
    }
    drv::Fptr& f = *session_.fptr();
    if (numORip.size() != 4) {
        if (numORip.size() < 4)
            f.openSerialAuto(numORip);
        else
            f.openTcpAuto(numORip);
        if (drv::platform25NotServed(f)) {
            f.close();
            return kNeed1010;
        }
        ui::reportDriverError(f, ui_, true);
        if (f.isOpened()) {
            const RegisterIdentity id = readIdentity(f);
            session_.setP5(id.isP5);
            ConnectionRecord record = session_.record();
            record.model = id.model;
            record.serial = id.serial;
            session_.setRecord(record);
            if (!id.model.isEmpty())
                result = id.model + " (№ " + id.serial + ") " + "/ Версия ПО: " + id.firmware;
        }
    }
    if (!stayconnect) f.close();
    return result;
}

// Closes the current register before a new attempt; views are reset even when it fails. The
// flags and ports of the old connection go with it, so a failed attempt leaves none behind.
void Connection::closeCurrent() {
    if (session_.fptr()) session_.fptr()->close();
    session_.clearConnection();
    session_.requestViewReset();
    memo_.clear();
    ui_.processEvents();
    if (!session_.fptr() || !session_.fptr()->isOpened()) rows_.markConnectedAvailable();
}

void Connection::connectRow(int row) {
    if (row < 0 || row >= rows_.size()) return;
    const DeviceRow r = rows_.at(row);
    if (!r.ip.isEmpty()) {
        if (r.ip == session_.ipConnected()) return;
        closeCurrent();
        const QString result = check_openKKM_com(r.ip, true);
        if (result == kNeed1010) {
            memo_.addLine(kPlatform25Message);
        } else if (!result.isEmpty()) {
            session_.setKkmConnected(true);
            session_.setIpConnected(r.ip);
            session_.setComConnected({});
            showConnected(result, {QStringLiteral("IP адрес: ") + r.ip});
        }
    } else {
        if (r.com == session_.comConnected()) return;
        closeCurrent();
        QString result;
        if (!r.com.isEmpty()) result = check_openKKM_com(r.com.mid(3, 3), true);
        if (result == kNeed1010) {
            memo_.addLine(kPlatform25Message);
        } else if (!result.isEmpty()) {
            session_.setKkmConnected(true);
            session_.setComConnected(r.com);
            rows_.setState(row, PortState::Connected);
            session_.setEouPort(r.eou);
            showConnected(result, {QStringLiteral("COM порт: ") + r.com,
                                   QStringLiteral("Имя порта: ") + r.kkmProxy,
                                   QStringLiteral("Скорость порта: ") + r.speed,
                                   QStringLiteral("COM порт EoU: ") + r.eou,
                                   QStringLiteral("Имя порта EoU: ") + r.eouProxy});
        } else if (!session_.pc().portExists(r.com)) {
            ui_.message(QStringLiteral("Порт ") + r.com + QStringLiteral(" не существует"));
        } else {
            busyPortCheck(row);
        }
    }
    if (session_.kkmConnected()) session_.announceConnected();
}

// The memo after a connection: model, serial number, firmware (from the open's result), then
// the lines of the way it was reached.
void Connection::showConnected(const QString& result, const QStringList& tail) {
    memo_.addLine(QStringLiteral("Подключена ККМ: ") + session_.record().model);
    memo_.addLine(QStringLiteral("Серийный номер: ") + session_.record().serial);
    memo_.addLine(QStringLiteral("Версия ПО: ") +
                  result.section(QStringLiteral("/ Версия ПО: "), 1));
    for (const QString& line : tail) memo_.addLine(line);
}

void Connection::busyPortCheck(int row) {
    const QString port = rows_.at(row).com;
    const QString device = rows_.at(row).kkmProxy;
    memo_.addLine(QStringLiteral("[Проверка используемых портов...]"));
    ui_.processEvents();
    if (handles_) {
        handles_->start(session_.progdir());
        for (int i = 0; i < 201 && handles_->isRunning(); ++i) ui_.pause(50);
        for (const QString& line : handles_->lines()) {
            const auto h = discovery::parseHandleLine(line);
            if (h.deviceTail.isEmpty() || !device.contains(h.deviceTail)) continue;
            const QString path = session_.pc().processImagePath(h.pid);
            memo_.setLines(
                {port + ": " + device + QStringLiteral(" - занят, используется процессом:"), path});
            memo_.scrollToTop();
            return;
        }
    }
    memo_.addLine(QStringLiteral("Не определено"));
}

void Connection::disconnect() {
    drv::Fptr* f = session_.fptr();
    const auto closeAndReport = [&](bool rows) {
        f->close();
        if (f->isOpened()) return false;
        if (rows) rows_.markConnectedAvailable();
        session_.setKkmConnected(false);
        memo_.clear();
        ui_.processEvents();
        memo_.addLine(session_.record().model + " (№ " + session_.record().serial +
                      ") - отключена");
        return true;
    };
    if (!f) return;
    if (!session_.comConnected().isEmpty() && closeAndReport(true)) session_.setComConnected({});
    if (!session_.ipConnected().isEmpty() && closeAndReport(false)) session_.setIpConnected({});
}

}  // namespace app
