#pragma once
// The register's clock and maintenance commands: setting its clock with the confirmation
// print, the technical reset with its question, and the one-call commands.
#include <QDateTime>
#include <QString>
#include <functional>

namespace drv {
class Fptr;
}
namespace ui {
class IUi;
class IBusy;
}  // namespace ui

namespace service {

inline const QString kTechResetQuestion = QStringLiteral(
    "При техобнуление будет выполнено:\r\n\r\nИнициализация системных таблиц начальными "
    "значениями.\r\nОбщее гашение ККТ.\r\nОбнуление счетчика общих гашений.");
inline const QString kTechResetDone =
    QStringLiteral("Выполнено. Перезагрузите ККМ вручную или командой.");
inline const QString kClockSetPrint = QStringLiteral("Дата и время установлены\r\n");
inline const QString kRebootQuestion = QStringLiteral("Перезагрузить ККМ?");
inline const QString kPowerOffQuestion = QStringLiteral(
    "Выключить ККМ?\r\n\r\nСоединение с ней будет закрыто; включить ККМ снова можно только "
    "на ней самой.");
// The question before the register's clock is set by hand, naming the time.
QString manualClockQuestion(const QDateTime& value);
// runCommand's result when the user said no to the command's question.
inline constexpr int kCommandDeclined = -1;
inline constexpr int kConfirmationFeeds = 5;

// Writes `value` to the register's clock (as a date-time value) and shows a driver error. Only
// when that succeeds the confirmation is printed, with the time `shownTime` gives at that
// moment. Returns the error code of the clock write.
int setRegisterClock(drv::Fptr& fptr, ui::IUi& ui, const QDateTime& value,
                     const std::function<QDateTime()>& shownTime);

// The confirmation of a clock change on the tape: an empty line, the text with the time, and
// five line feeds.
void printClockConfirmation(drv::Fptr& fptr, const QDateTime& shown);

enum class TechResetOutcome { Cancelled, Failed, Done };
// Asks first; then resets with `busy` shown only while the register works, and reports.
TechResetOutcome technicalReset(drv::Fptr& fptr, ui::IUi& ui, ui::IBusy* busy);

enum class Command { Reboot, PowerOff, OpenDrawer, Beep, Feed, Cut };
// One maintenance command and its error report; returns the error code. A reboot and a power
// off are asked first (Enter alone answers no): kCommandDeclined when the user says no.
int runCommand(drv::Fptr& fptr, ui::IUi& ui, Command command);

// Prints the register information report; its errors are not shown.
void printInfoReport(drv::Fptr& fptr);

}  // namespace service
