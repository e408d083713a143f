// The register's clock with the confirmation print, the technical reset with its question, the
// one-call maintenance commands and the information report, against the virtual register.
#include <gtest/gtest.h>

#include "driver/Names.h"
#include "driver/ValueText.h"
#include "emulator/PrintJournal.h"
#include "service/Maintenance.h"
#include "tests/core/service_fakes.h"

namespace {

using namespace service;
using service_test::Bench;
using service_test::RecordingBusy;
using service_test::RecordingUi;

QStringList kinds(const Bench& b) {
    QStringList out;
    for (const auto& i : b.reg()->journal->items()) out << i.kind;
    return out;
}

TEST(ServiceClock, ManualClockIsWrittenThenConfirmedOnTape) {
    Bench b;
    RecordingUi ui;
    const QDateTime picked(QDate(2031, 5, 17), QTime(9, 41, 7));
    int asked = 0;
    const int code = setRegisterClock(*b.fptr, ui, picked, [&] {
        ++asked;
        return picked;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(b.methods(),
              QStringList({"setParam", "writeDateTime", "printText", "setParam", "printText",
                           "lineFeed", "lineFeed", "lineFeed", "lineFeed", "lineFeed"}));
    // a date-time value, not text
    const QVariant written = b.param(drv::names::LIBFPTR_PARAM_DATE_TIME);
    EXPECT_EQ(written.typeId(), QMetaType::QDateTime);
    EXPECT_EQ(written.toDateTime(), picked);
    // the register's clock now runs from the picked time
    EXPECT_LE(qAbs(b.reg()->wallClock().secsTo(picked)), 2);

    const auto items = b.reg()->journal->items();
    ASSERT_EQ(items.size(), 7);
    EXPECT_EQ(items[0].kind, "text");
    EXPECT_EQ(items[0].text, "");
    EXPECT_EQ(items[1].kind, "text");
    EXPECT_EQ(items[1].text, "Дата и время установлены\r\n" + drv::dateTimeText(picked));
    EXPECT_EQ(kinds(b).mid(2), QStringList(5, "lineFeed"));
}

TEST(ServiceClock, FromThePcTheTimeIsReadAgainForThePrint) {
    Bench b;
    RecordingUi ui;
    const QDateTime written(QDate(2030, 1, 1), QTime(0, 0, 0));
    const QDateTime later = written.addSecs(3);
    EXPECT_EQ(setRegisterClock(*b.fptr, ui, written, [&] { return later; }), 0);
    EXPECT_EQ(b.reg()->journal->texts("text").value(1),
              "Дата и время установлены\r\n" + drv::dateTimeText(later));
}

TEST(ServiceClock, AFailedWriteIsShownAndNothingIsPrinted) {
    Bench b;
    RecordingUi ui;
    int asked = 0;
    const int code = setRegisterClock(*b.fptr, ui, QDateTime(), [&] {
        ++asked;
        return QDateTime::currentDateTime();
    });
    EXPECT_EQ(code, emu::k(drv::names::LIBFPTR_ERROR_NO_REQUIRED_PARAM));
    EXPECT_EQ(ui.messages,
              QStringList({QStringLiteral("(%1) %2").arg(code).arg(emu::errorText(code))}));
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(b.methods().filter("printText").size(), 0);
    EXPECT_EQ(b.methods().filter("lineFeed").size(), 0);
    EXPECT_EQ(b.reg()->journal->size(), 0);
}

TEST(ServiceTechReset, CancelSendsNothing) {
    Bench b;
    RecordingUi ui;
    ui.answer = false;
    QStringList events;
    RecordingBusy busy(events);
    EXPECT_EQ(technicalReset(*b.fptr, ui, &busy), TechResetOutcome::Cancelled);
    EXPECT_EQ(ui.questions, QStringList({kTechResetQuestion}));
    EXPECT_TRUE(ui.questions[0].startsWith("При техобнуление будет выполнено:\r\n\r\n"));
    // a warning, and Enter alone does not reset
    EXPECT_EQ(ui.asked[0].icon, ui::Icon::Warning);
    EXPECT_TRUE(ui.asked[0].cancelByDefault);
    EXPECT_TRUE(b.calls.isEmpty());
    EXPECT_TRUE(events.isEmpty());
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST(ServiceTechReset, BusyOnlyWhileTheRegisterWorksThenDone) {
    Bench b;
    RecordingUi ui;
    RecordingBusy busy(ui.events);
    EXPECT_EQ(technicalReset(*b.fptr, ui, &busy), TechResetOutcome::Done);
    EXPECT_EQ(b.methods(), QStringList({"resetSettings"}));
    EXPECT_EQ(ui.events, QStringList({"confirm", "busy", "idle", "message:" + kTechResetDone}));
}

TEST(ServiceTechReset, AFailureIsShownAfterTheButtonIsBack) {
    // a driver object never opened: the register refuses every command
    QList<service_test::Recorded> calls;
    drv::Fptr f(std::make_unique<service_test::RecordingDispatch>(calls));
    RecordingUi ui;
    RecordingBusy busy(ui.events);
    EXPECT_EQ(technicalReset(f, ui, &busy), TechResetOutcome::Failed);
    ASSERT_EQ(ui.events.size(), 4);
    EXPECT_EQ(ui.events.mid(0, 3), QStringList({"confirm", "busy", "idle"}));
    EXPECT_TRUE(ui.events[3].startsWith("message:(1) ")) << ui.events[3].toStdString();
    EXPECT_FALSE(ui.messages.contains(kTechResetDone));
}

TEST(ServiceCommands, EachCommandIsItsDriverCall) {
    const QList<std::pair<Command, QStringList>> cases = {
        {Command::Reboot, {"setParam", "deviceReboot"}},
        {Command::PowerOff, {"devicePoweroff"}},
        {Command::OpenDrawer, {"openDrawer"}},
        {Command::Beep, {"beep"}},
        {Command::Feed, {"lineFeed"}},
        {Command::Cut, {"cut"}},
    };
    const QStringList journalKinds = {"reboot", "poweroff", "openDrawer",
                                      "beep",   "lineFeed", "cut"};
    for (int i = 0; i < cases.size(); ++i) {
        Bench b;
        RecordingUi ui;
        EXPECT_EQ(runCommand(*b.fptr, ui, cases[i].first), 0) << i;
        EXPECT_EQ(b.methods(), cases[i].second) << i;
        EXPECT_EQ(kinds(b), QStringList({journalKinds[i]})) << i;
        EXPECT_TRUE(ui.messages.isEmpty()) << i;
        // only a reboot and a power off are asked first
        EXPECT_EQ(ui.questions.size(), i < 2 ? 1 : 0) << i;
    }
}

TEST(ServiceCommands, RebootAndPowerOffAskFirstAndNoSendsNothing) {
    for (const Command c : {Command::Reboot, Command::PowerOff}) {
        Bench b;
        RecordingUi ui;
        ui.answer = false;
        EXPECT_EQ(runCommand(*b.fptr, ui, c), kCommandDeclined);
        ASSERT_EQ(ui.asked.size(), 1);
        EXPECT_EQ(ui.asked[0].text, c == Command::Reboot ? kRebootQuestion : kPowerOffQuestion);
        EXPECT_TRUE(ui.asked[0].cancelByDefault);
        EXPECT_TRUE(b.calls.isEmpty());
        EXPECT_EQ(b.reg()->journal->size(), 0);
    }
}

TEST(ServiceCommands, RebootAsksForNoReport) {
    Bench b;
    RecordingUi ui;
    runCommand(*b.fptr, ui, Command::Reboot);
    EXPECT_EQ(b.param(drv::names::LIBFPTR_PARAM_PRINT_REPORT), QVariant(false));
    const auto items = b.reg()->journal->items();
    ASSERT_EQ(items.size(), 1);
    EXPECT_FALSE(items[0].extra.value("printReport").toBool(true));
}

TEST(ServiceCommands, ARefusedCutIsShown) {
    Bench b(R"({"com": "COM7", "flags": {"paperPresent": false}})");
    RecordingUi ui;
    const int code = runCommand(*b.fptr, ui, Command::Cut);
    EXPECT_EQ(code, emu::k(drv::names::LIBFPTR_ERROR_NO_PAPER));
    EXPECT_EQ(ui.messages, QStringList({QStringLiteral("(%1) Нет бумаги").arg(code)}));
    EXPECT_EQ(b.reg()->journal->size(), 0);
}

TEST(ServiceReport, InformationReportIsPrintedAndItsErrorNotQueried) {
    Bench b;
    printInfoReport(*b.fptr);
    EXPECT_EQ(b.methods(), QStringList({"setParam", "report"}));
    for (const auto& c : b.calls) EXPECT_NE(c.method, "errorCode");
    EXPECT_EQ(b.param(drv::names::LIBFPTR_PARAM_REPORT_TYPE),
              QVariant(emu::k(drv::names::LIBFPTR_RT_KKT_INFO)));
    const auto texts = b.reg()->journal->texts("report");
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].startsWith("ИНФОРМАЦИЯ О ККТ")) << texts[0].toStdString();
    EXPECT_TRUE(texts[0].contains("007"));
}

}  // namespace
