// Saving the edited settings: the plan, the writes, the commit and the report.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "driver/DriverLog.h"
#include "emulator/Bench.h"
#include "emulator/VirtualRegister.h"
#include "settings/Editor.h"
#include "settings/SavePlan.h"
#include "settings_fakes.h"

using namespace settings;
using namespace settings_test;

namespace {

const QByteArray kCatalogue =
    "[37]\nname=Открывать ящик\ntype=#\ndesc=После чека\n0=Нет\n1=Да\n"
    "[40]\nname=Число импульсов\ntype=#\ndesc=0..255\n3=12\n"
    "[38]\nname=Длительность\ntype=#\ndesc=10..500 (мс)\n"
    "[184]\nname=Клише, строка 1\ntype=$\ndesc=Строка клише\n"
    "[71]\nname=IP-адрес\ntype=$\ndesc=Адрес\n"
    "[300]\nname=Счетчик\ntype=?\ndesc=Только для чтения\n";

Catalogue catalogue() {
    QString error;
    auto cat = Catalogue::parse(kCatalogue, "save.ini", &error);
    EXPECT_TRUE(cat.has_value()) << error.toStdString();
    return cat ? *cat : Catalogue{};
}

// Rows as read: the register holds 37 = 1, 40 = 3, 38 = 100, 184, 71 and 300.
SettingRows readRows(const Catalogue& cat) {
    DeviceTable table = {{"37", "1"},  {"40", "3"},        {"38", "100"},
                         {"184", "x"}, {"71", "10.0.0.1"}, {"300", "9"}};
    return layoutSettings(table, cat);
}

int rowOf(const SettingRows& rows, const QString& id) {
    for (int i = 0; i < rows.size(); ++i)
        if (rows[i].id == id) return i;
    ADD_FAILURE() << "no row " << id.toStdString();
    return 0;
}

}  // namespace

TEST(SettingsSavePlan, OnlyChangedRowsWithKeysAndStoredMarks) {
    const Catalogue cat = catalogue();
    SettingRows rows = readRows(cat);
    EXPECT_TRUE(savePlan(rows, cat).isEmpty());
    EXPECT_EQ(rows[rowOf(rows, "40")].shown, "12");  // key 3 reads "12"

    rows[rowOf(rows, "37")].shown = "Нет";  // label -> its key
    rows[rowOf(rows, "40")].shown = "13";   // no label reads so: written as shown
    rows[rowOf(rows, "38")].shown = "250";
    rows[rowOf(rows, "184")].shown = "⇌ᚥ02ᚥИТОГ ᚥ";  // display marks -> stored marks
    rows[rowOf(rows, "300")].shown = "10";           // no editor kind: never written
    const QList<WriteStep> plan = savePlan(rows, cat);
    EXPECT_EQ(plan, (QList<WriteStep>{{rowOf(rows, "37"), "37", "0", true},
                                      {rowOf(rows, "40"), "40", "13", true},
                                      {rowOf(rows, "38"), "38", "250", true},
                                      {rowOf(rows, "184"), "184", "⇌⤊02⤊ИТОГ ⤊", false}}));

    // a number typed into a range edit is written as the key of a label reading so
    rows[rowOf(rows, "40")].shown = "12";
    rows[rowOf(rows, "40")].baseline = "0";
    EXPECT_EQ(savePlan(rows, cat)[1], (WriteStep{rowOf(rows, "40"), "40", "3", true}));
}

TEST(SettingsSave, NothingChangedStillCommits) {
    FakeDriver d;
    const Catalogue cat = catalogue();
    SettingRows rows = readRows(cat);
    const SaveOutcome out = saveSettings(*d.fptr, rows, cat);
    EXPECT_EQ(d.reg->callsOf("writeDeviceSetting").size(), 0);
    EXPECT_EQ(d.reg->callsOf("commitSettings").size(), 1);
    RecordingUi ui;
    reportSave(out, ui);
    ASSERT_EQ(ui.shown.size(), 1);
    EXPECT_EQ(ui.shown[0].text, "Настройки сохранены");
    EXPECT_EQ(ui.shown[0].icon, ui::Icon::Information);
}

TEST(SettingsSave, WritesIdentifierAndValueAsTextThenCommitsOnce) {
    FakeDriver d;
    const Catalogue cat = catalogue();
    SettingRows rows = readRows(cat);
    rows[rowOf(rows, "37")].shown = "Нет";
    rows[rowOf(rows, "71")].shown = "192.168.1.5";
    const SaveOutcome out = saveSettings(*d.fptr, rows, cat);

    QList<FakeRegister::Call> expected = {
        {"setParam", {FakeRegister::k("LIBFPTR_PARAM_SETTING_ID"), "37"}},
        {"setParam", {FakeRegister::k("LIBFPTR_PARAM_SETTING_VALUE"), "0"}},
        {"writeDeviceSetting", {}},
        {"errorCode", {}},
        {"setParam", {FakeRegister::k("LIBFPTR_PARAM_SETTING_ID"), "71"}},
        {"setParam", {FakeRegister::k("LIBFPTR_PARAM_SETTING_VALUE"), "192.168.1.5"}},
        {"writeDeviceSetting", {}},
        {"errorCode", {}},
        {"commitSettings", {}},
        {"errorCode", {}},
    };
    ASSERT_EQ(d.reg->calls.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(d.reg->calls[i].method, expected[i].method);
        EXPECT_EQ(d.reg->calls[i].args, expected[i].args);
        for (const auto& a : d.reg->calls[i].args.mid(1))
            EXPECT_EQ(a.typeId(), QMetaType::QString);  // values go as text
    }
    EXPECT_EQ(d.reg->committed.value(37), "0");
    EXPECT_EQ(d.reg->committed.value(71), "192.168.1.5");
    EXPECT_EQ(out.savedRows, (QList<int>{rowOf(rows, "37"), rowOf(rows, "71")}));
    EXPECT_TRUE(changedRows(rows).isEmpty());
}

TEST(SettingsSave, RefusedValueStaysChangedAndIsWrittenAgain) {
    FakeDriver d;
    d.reg->refuse.insert(38, {164, "Неверное значение настройки"});
    const Catalogue cat = catalogue();
    SettingRows rows = readRows(cat);
    rows[rowOf(rows, "37")].shown = "Нет";
    rows[rowOf(rows, "38")].shown = "600";
    SaveOutcome out = saveSettings(*d.fptr, rows, cat);
    EXPECT_EQ(out.failures, (QStringList{"[38] Длительность - Неверное значение настройки"}));
    EXPECT_EQ(changedRows(rows), (QList<int>{rowOf(rows, "38")}));
    EXPECT_EQ(d.reg->committed.value(37), "0");
    EXPECT_FALSE(d.reg->committed.contains(38));

    RecordingUi ui;
    reportSave(out, ui);
    ASSERT_EQ(ui.shown.size(), 1);
    EXPECT_EQ(ui.shown[0].text,
              "При сохранении настроек возникли ошибки:\n\n"
              "[38] Длительность - Неверное значение настройки\n");
    EXPECT_EQ(ui.shown[0].icon, ui::Icon::Warning);

    // the second save writes only the refused row
    d.reg->calls.clear();
    d.reg->refuse.clear();
    out = saveSettings(*d.fptr, rows, cat);
    EXPECT_EQ(d.reg->writtenIds(), (QStringList{"38"}));
    EXPECT_TRUE(out.failures.isEmpty());
    EXPECT_EQ(d.reg->committed.value(38), "600");
    EXPECT_TRUE(changedRows(rows).isEmpty());
}

TEST(SettingsSave, FailedCommitKeepsEveryRowChanged) {
    FakeDriver d;
    d.reg->refuse.insert(71, {164, "Неверное значение настройки"});
    d.reg->commitError = 206;
    const Catalogue cat = catalogue();
    SettingRows rows = readRows(cat);
    rows[rowOf(rows, "71")].shown = "999.1.1.1";
    rows[rowOf(rows, "184")].shown = "Новая строка";
    const SaveOutcome out = saveSettings(*d.fptr, rows, cat);
    EXPECT_EQ(out.commitCode, 206);
    EXPECT_TRUE(out.savedRows.isEmpty());
    // the register took 184 but did not keep it: it is not shown as saved
    EXPECT_EQ(changedRows(rows), (QList<int>{rowOf(rows, "184"), rowOf(rows, "71")}));

    RecordingUi ui;
    reportSave(out, ui);
    ASSERT_EQ(ui.shown.size(), 2);  // the failure lines are not shown in this case
    EXPECT_EQ(ui.shown[0].text, "(206) Ошибка записи настроек");
    EXPECT_EQ(ui.shown[0].caption, "[71] IP-адрес - Неверное значение настройки");
    EXPECT_EQ(ui.shown[1].text, "Ошибка при сохранении настроек");
    EXPECT_FALSE(ui.shown[1].caption.has_value());

    d.reg->commitError = 0;
    d.reg->refuse.clear();
    d.reg->calls.clear();
    saveSettings(*d.fptr, rows, cat);
    EXPECT_EQ(d.reg->writtenIds(), (QStringList{"184", "71"}));
    EXPECT_TRUE(changedRows(rows).isEmpty());
}

TEST(SettingsSave, FailureBufferIsEmptiedByEachChoiceRow) {
    const Catalogue cat = catalogue();
    {
        // "$" refused, then a "#" row: the buffer is emptied, the commit box has no title
        FakeDriver d;
        d.reg->refuse.insert(184, {164, "Неверное значение"});
        d.reg->commitError = 206;
        SettingRows rows = readRows(cat);
        rows[rowOf(rows, "184")].shown = "a";
        rows[rowOf(rows, "38")].shown = "20";
        rows.move(rowOf(rows, "38"), rows.size() - 1);  // "#" after "$"
        const SaveOutcome out = saveSettings(*d.fptr, rows, cat);
        EXPECT_EQ(out.failures.size(), 1);
        EXPECT_EQ(out.failureBuffer, "");
    }
    {
        // "#" refused, then a "$" row: the buffer keeps the line
        FakeDriver d;
        d.reg->refuse.insert(37, {164, "Неверное значение"});
        SettingRows rows = readRows(cat);
        rows[rowOf(rows, "37")].shown = "Нет";
        rows[rowOf(rows, "71")].shown = "1.1.1.1";
        const SaveOutcome out = saveSettings(*d.fptr, rows, cat);
        EXPECT_EQ(out.failureBuffer, "[37] Открывать ящик - Неверное значение");
    }
}

TEST(SettingsSave, EditAndSaveAgainstTheVirtualRegister) {
    QFile data(QStringLiteral(VELMOR_SOURCE_DIR "/emulator/data/settings-p5.json"));
    ASSERT_TRUE(data.open(QIODevice::ReadOnly));
    const QJsonArray table = QJsonDocument::fromJson(data.readAll()).array();
    const QJsonObject reg{
        {"com", "COM7"},
        {"platform", "5"},
        {"settings", table},
        {"errors", QJsonArray{QJsonObject{{"method", "writeDeviceSetting"},
                                          {"code", 164},
                                          {"description", "Неверное значение настройки"},
                                          {"fromCall", 2},
                                          {"times", 1}}}}};
    auto& world = emu::World::instance();
    world.loadJson(QJsonDocument(QJsonObject{{"registers", QJsonArray{reg}}}).toJson(), "test");
    QTemporaryDir dir;
    const QString log = dir.filePath("driver.log");
    drv::DriverLog::instance().setPath(log);
    struct Restore {
        ~Restore() {
            drv::DriverLog::instance().setPath({});
            emu::World::instance().loadDemo();
        }
    } restore;

    drv::Fptr fptr(std::make_unique<emu::VirtualRegister>());
    ASSERT_EQ(fptr.openSerialAuto("7"), 0);
    RecordingUi ui;
    QString error;
    const auto cat = Catalogue::load(QStringLiteral(VELMOR_SOURCE_DIR "/pf/set5x.ini"), &error);
    ASSERT_TRUE(cat.has_value()) << error.toStdString();
    SettingRows rows = layoutSettings(readSettingsTable(fptr, ui), *cat);
    EXPECT_TRUE(ui.shown.isEmpty());

    // a "#" row through the choice list, a "$" row through the edit
    const int drawer = rowOf(rows, "37");
    auto setup = editorFor(rows[drawer], *cat);
    ASSERT_EQ(setup->kind, EditorKind::Choice);
    EXPECT_EQ(rows[drawer].shown, "Да");
    rows[drawer].shown =
        *acceptEdit(rows[drawer], *setup, {}, int(setup->choices.indexOf("Нет"))).shown;
    const int line2 = rowOf(rows, "185");
    setup = editorFor(rows[line2], *cat);
    ASSERT_EQ(setup->kind, EditorKind::Edit);
    rows[line2].shown = *acceptEdit(rows[line2], *setup, "⇌ᚥ02ᚥСкидки каждый день", -1).shown;

    qint64 seen = 0;  // the log stays open: each look reads what came since the last one
    const auto writesInLog = [&] {
        QFile f(log);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        f.seek(seen);
        QStringList ids;
        QString last;
        for (const QByteArray& line : f.readAll().split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            const QJsonArray args = o.value("args").toArray();
            if (o.value("method") == "setParam" &&
                args[0].toInt() == FakeRegister::k("LIBFPTR_PARAM_SETTING_ID"))
                last = args[1].toString();
            if (o.value("method") == "writeDeviceSetting")
                ids << last + (o.value("error").toInt() ? " refused" : " ok");
        }
        seen = f.size();
        return ids;
    };
    writesInLog();  // the reading

    SaveOutcome out = saveSettings(fptr, rows, *cat);
    EXPECT_EQ(writesInLog(), (QStringList{"37 ok", "185 refused"}));
    EXPECT_EQ(out.failures, (QStringList{"[185] Строка клише 2 - Неверное значение настройки"}));
    EXPECT_EQ(changedRows(rows), (QList<int>{line2}));

    out = saveSettings(fptr, rows, *cat);
    EXPECT_EQ(writesInLog(), (QStringList{"185 ok"}));
    EXPECT_TRUE(out.failures.isEmpty());
    EXPECT_EQ(out.commitCode, 0);
    EXPECT_TRUE(changedRows(rows).isEmpty());

    // read back: the register holds the key and the stored marks
    const SettingRows again = layoutSettings(readSettingsTable(fptr, ui), *cat);
    EXPECT_EQ(again[rowOf(again, "37")].raw, "0");
    EXPECT_EQ(again[rowOf(again, "37")].shown, "Нет");
    EXPECT_EQ(again[rowOf(again, "185")].raw, "⇌⤊02⤊Скидки каждый день");
    EXPECT_EQ(again[rowOf(again, "185")].shown, "⇌ᚥ02ᚥСкидки каждый день");
}

// A long read or save lets the window process its events between any two driver operations, so
// a slow link never freezes it for longer than one call.
TEST(SettingsSave, TheWindowTakesATurnBeforeEveryRecordAndEveryWrite) {
    struct TurnsUi : RecordingUi {
        FakeRegister* reg = nullptr;
        void processEvents() override { reg->calls.append(FakeRegister::Call{"turn", {}}); }
    };
    FakeDriver d;
    for (int id : {37, 40, 38}) d.reg->table.append(FakeRegister::Setting{id, number(), 1});
    TurnsUi ui;
    ui.reg = d.reg;
    readSettingsTable(*d.fptr, ui);
    const Catalogue cat = catalogue();
    SettingRows rows = readRows(cat);
    rows[rowOf(rows, "37")].shown = "Нет";
    rows[rowOf(rows, "40")].shown = "13";
    rows[rowOf(rows, "38")].shown = "250";
    saveSettings(*d.fptr, rows, cat, &ui);

    int operations = 0;
    bool turned = true;
    for (const auto& c : d.reg->calls) {
        if (c.method == "turn") turned = true;
        if (c.method != "readNextRecord" && c.method != "writeDeviceSetting") continue;
        ++operations;
        EXPECT_TRUE(turned) << operations << ": " << c.method.toStdString();
        turned = false;
    }
    EXPECT_EQ(operations, 4 + 3);  // three records and the read that ends them, three writes
}

// A setting named by a guess is written only after a question naming it; settings the save
// does not write, and verified ones, are not named.
TEST(SettingsSavePlan, TheQuestionNamesEveryGuessedSettingToBeWritten) {
    const Catalogue cat = catalogue();
    SettingRows rows = readRows(cat);
    EXPECT_TRUE(unverifiedQuestion(rows, cat).isEmpty());
    for (const char* id : {"37", "40", "300"}) rows[rowOf(rows, id)].name += " (не проверено)";
    EXPECT_TRUE(unverifiedQuestion(rows, cat).isEmpty());  // nothing changed
    rows[rowOf(rows, "37")].shown = "Нет";
    rows[rowOf(rows, "71")].shown = "10.0.0.2";  // changed, but verified
    rows[rowOf(rows, "300")].shown = "10";       // guessed, but never written (no kind)
    const QString q = unverifiedQuestion(rows, cat);
    EXPECT_TRUE(q.contains("\n[37] Открывать ящик (не проверено)\n")) << q.toStdString();
    EXPECT_FALSE(q.contains("[40]") || q.contains("[71]") || q.contains("[300]"));
    EXPECT_TRUE(q.endsWith("Записать настройки в ККТ?"));
}
