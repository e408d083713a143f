#include "service/Maintenance.h"

#include "app/Ui.h"
#include "driver/Fptr.h"
#include "driver/Names.h"
#include "driver/ValueText.h"

namespace service {

using namespace drv::names;

int setRegisterClock(drv::Fptr& fptr, ui::IUi& ui, const QDateTime& value,
                     const std::function<QDateTime()>& shownTime) {
    fptr.setParam(LIBFPTR_PARAM_DATE_TIME, value);
    fptr.run(drv::members::writeDateTime);
    const int code = ui::reportDriverError(fptr, ui, true);
    if (code == 0) printClockConfirmation(fptr, shownTime ? shownTime() : value);
    return code;
}

void printClockConfirmation(drv::Fptr& fptr, const QDateTime& shown) {
    fptr.run(drv::members::printText);
    fptr.setParam(LIBFPTR_PARAM_TEXT, kClockSetPrint + drv::dateTimeText(shown));
    fptr.run(drv::members::printText);
    for (int i = 0; i < kConfirmationFeeds; ++i) fptr.run(drv::members::lineFeed);
}

QString manualClockQuestion(const QDateTime& value) {
    return QStringLiteral("Установить в ККМ дату и время %1?").arg(drv::dateTimeText(value));
}

TechResetOutcome technicalReset(drv::Fptr& fptr, ui::IUi& ui, ui::IBusy* busy) {
    if (!ui.confirm(kTechResetQuestion, ui::Icon::Warning, true))
        return TechResetOutcome::Cancelled;
    {
        ui::BusyScope scope(busy);
        fptr.resetSettings();
    }
    if (ui::reportDriverError(fptr, ui, true) != 0) return TechResetOutcome::Failed;
    ui.message(kTechResetDone);
    return TechResetOutcome::Done;
}

int runCommand(drv::Fptr& fptr, ui::IUi& ui, Command command) {
    const QString question = command == Command::Reboot     ? kRebootQuestion
                             : command == Command::PowerOff ? kPowerOffQuestion
                                                            : QString();
    if (!question.isEmpty() && !ui.confirm(question, ui::Icon::Question, true))
        return kCommandDeclined;
    switch (command) {
        case Command::Reboot:
            fptr.setParam(LIBFPTR_PARAM_PRINT_REPORT, false);
            fptr.run(drv::members::deviceReboot);
            break;
        case Command::PowerOff:
            fptr.run(drv::members::devicePoweroff);
            break;
        case Command::OpenDrawer:
            fptr.run(drv::members::openDrawer);
            break;
        case Command::Beep:
            fptr.run(drv::members::beep);
            break;
        case Command::Feed:
            fptr.run(drv::members::lineFeed);
            break;
        case Command::Cut:
            fptr.run(drv::members::cut);
            break;
    }
    return ui::reportDriverError(fptr, ui, true);
}

void printInfoReport(drv::Fptr& fptr) {
    fptr.setParam(LIBFPTR_PARAM_REPORT_TYPE, fptr.c(LIBFPTR_RT_KKT_INFO));
    fptr.run(drv::members::report);
}

}  // namespace service
