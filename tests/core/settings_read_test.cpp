// Reading the settings table in one records pass and laying it out in groups.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "settings/Groups.h"
#include "settings/SettingsTable.h"
#include "settings_fakes.h"

using namespace settings;
using namespace settings_test;

namespace {

Catalogue catalogueOf(const QByteArray& text) {
    QString error;
    auto cat = Catalogue::parse(text, "test.ini", &error);
    EXPECT_TRUE(cat.has_value()) << error.toStdString();
    return cat ? *cat : Catalogue{};
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

// Rows as text: the mark, then the seven cells.
QStringList rowLines(const SettingRows& rows) {
    QStringList out;
    for (const auto& r : rows) out << QString::number(r.mark) + " | " + r.cells().join(" | ");
    return out;
}

const QByteArray kCatalogue =
    "[37]\nname=Открывать ящик\ntype=#\ndesc=После чека\n0=Нет\n1=Да\n"
    "[1]\nname=Сигнал при включении\ntype=#\ndesc=Короткий сигнал\n0=Выкл.\n1=Вкл.\n"
    "[184]\nname=Клише, строка 1\ntype=$\ndesc=Строка клише\n"
    "[35]\nname=Интервал клише\ntype=#\ndesc=0..10 (точек)\n0=ноль\n"
    "[8]\ntype=#\ndesc=Нет имени: не показывается\n"
    "[12]\nname=-1\ntype=#\ndesc=Имя -1: не показывается\n"
    "[80]\nname=Скидки и надбавки\ntype=#\ndesc=Разрешить\n0=Нет\n1=Да\n"
    "[71]\nname=IP-адрес\ntype=$\ndesc=Адрес\n";

}  // namespace

TEST(SettingsRead, RawValuesByTypeInOnePass) {
    FakeDriver d;
    d.reg->table = {{37, number(), 1},
                    {1, boolean(), true},
                    {2, boolean(), false},
                    {184, string(), QString("ООО \"Ромашка\"")},
                    {99, 7, QString("неизвестный тип")},
                    {300, number(), -5}};
    RecordingUi ui;
    const DeviceTable table = readSettingsTable(*d.fptr, ui);
    EXPECT_EQ(table, (DeviceTable{{"37", "1"},
                                  {"1", "1"},
                                  {"2", "0"},
                                  {"184", "ООО \"Ромашка\""},
                                  {"99", ""},
                                  {"300", "-5"}}));
    EXPECT_TRUE(ui.shown.isEmpty());
    // One pass: begin once, one read per record plus the one that ends it, end once; the
    // records identifier of the pass goes with every step and with the end.
    EXPECT_EQ(d.reg->callsOf("beginReadRecords").size(), 1);
    EXPECT_EQ(d.reg->callsOf("readNextRecord").size(), 7);
    EXPECT_EQ(d.reg->callsOf("endReadRecords").size(), 1);
    EXPECT_EQ(d.reg->callsOf("readDeviceSetting").size(), 0);
    int recordIds = 0;
    for (const auto& c : d.reg->callsOf("setParam"))
        if (c.args[0].toInt() == FakeRegister::k("LIBFPTR_PARAM_RECORDS_ID")) {
            EXPECT_EQ(c.args[1].toString(), "rec-1");
            ++recordIds;
        }
    EXPECT_EQ(recordIds, 8);
    const auto first = d.reg->callsOf("setParam").first();
    EXPECT_EQ(first.args[0].toInt(), FakeRegister::k("LIBFPTR_PARAM_RECORDS_TYPE"));
    EXPECT_EQ(first.args[1].toInt(), FakeRegister::k("LIBFPTR_RT_SETTINGS"));
}

TEST(SettingsRead, DriverErrorsAreShownAndTheReadingGoesOn) {
    FakeDriver d;
    d.reg->table = {{37, number(), 1}};
    d.reg->beginError = 13;
    d.reg->endError = 2;
    RecordingUi ui;
    const DeviceTable table = readSettingsTable(*d.fptr, ui);
    EXPECT_TRUE(table.isEmpty());  // a failed start yields an empty table
    ASSERT_EQ(ui.shown.size(), 2);
    EXPECT_EQ(ui.shown[0].text, "(13) Неверный тип записей");
    EXPECT_EQ(ui.shown[0].caption, QString());  // a box without a title of its own
    EXPECT_EQ(ui.shown[0].icon, ui::Icon::Information);
    EXPECT_EQ(ui.shown[1].text, "(2) Ошибка завершения чтения");
    EXPECT_EQ(d.reg->callsOf("endReadRecords").size(), 1);
    // and the layout of an empty table is an empty list
    EXPECT_TRUE(layoutSettings(table, catalogueOf(kCatalogue)).isEmpty());
}

TEST(SettingsRead, GroupsCaptionsLabelsAndReadingOrder) {
    const Catalogue cat = catalogueOf(kCatalogue);
    // 37 and 1 are in "Общие", read in the order 37, 1; 8 and 12 in "Печать" have no name.
    const DeviceTable table = {{"80", "1"}, {"184", "⤊01⤊ООО"}, {"37", "1"},       {"8", "3"},
                               {"1", "0"},  {"500", "5"},       {"12", "2"},       {"37", "0"},
                               {"35", "0"}, {"54", "1"},        {"71", "10.0.0.1"}};
    const SettingRows rows = layoutSettings(table, cat);
    const QStringList expected = {
        "20 |  | [Общие] |  |  |  |  | ",
        "0 | 37 | Открывать ящик | # | Да | После чека | 1 | Да",
        "0 | 1 | Сигнал при включении | # | Выкл. | Короткий сигнал | 0 | Выкл.",
        "20 |  | [Печать] |  |  |  |  | ",  // its settings have no name: the band stays alone
        "20 |  | [Клише] |  |  |  |  | ",
        "0 | 184 | Клише, строка 1 | $ | ᚥ01ᚥООО | Строка клише | ⤊01⤊ООО | ᚥ01ᚥООО",
        "0 | 35 | Интервал клише | # | 0 | 0..10 (точек) | 0 | 0",  // no labels in "Клише"
        "20 |  | [Ethernet] |  |  |  |  | ",
        "0 | 71 | IP-адрес | $ | 10.0.0.1 | Адрес | 10.0.0.1 | 10.0.0.1",
        "20 |  | [Скидки/Надбавки] |  |  |  |  | ",
        "0 | 80 | Скидки и надбавки | # | Да | Разрешить | 1 | Да",
    };
    EXPECT_EQ(rowLines(rows), expected);
    EXPECT_TRUE(changedRows(rows).isEmpty());
}

TEST(SettingsRead, GroupTableCoversEveryIdentifierOnce) {
    const auto& all = groups();
    ASSERT_EQ(all.size(), 19);
    EXPECT_EQ(all.first().name, "Общие");
    EXPECT_EQ(all[7].name, "Клише");
    EXPECT_EQ(all.last().name, "Скидки/Надбавки");
    EXPECT_EQ(all.last().ids, (QList<int>{80, 312, 313}));
    int total = 0;
    for (int g = 0; g < all.size(); ++g) {
        total += int(all[g].ids.size());
        for (int id : all[g].ids) EXPECT_EQ(groupOf(id), g) << id;
    }
    EXPECT_EQ(total, 371);
    for (int id : {54,  70,  78,  81,  91,  92,  149, 258, 264, 286, 287, 316,  324, 335,
                   340, 342, 344, 356, 357, 364, 367, 371, 373, 388, 999, 1014, -1})
        EXPECT_EQ(groupOf(id), -1) << id;
    EXPECT_EQ(groupOf(0), 0);
    EXPECT_EQ(groupOf(1013), 8);
    EXPECT_EQ(groupOf(387), 17);
}

TEST(SettingsRead, GoldenLayouts) {
    const QDir dir(QStringLiteral(VELMOR_SOURCE_DIR "/tests/data/settings/layout"));
    const QStringList cases = dir.entryList({"*.table.json"}, QDir::Files, QDir::Name);
    ASSERT_FALSE(cases.isEmpty());
    for (const QString& file : cases) {
        SCOPED_TRACE(file.toStdString());
        const QString base = file.chopped(QStringLiteral(".table.json").size());
        DeviceTable table;
        for (const auto& v : QJsonDocument::fromJson(readFile(dir.filePath(file))).array())
            table.append(
                {v.toObject().value("id").toString(), v.toObject().value("raw").toString()});
        const Catalogue cat = catalogueOf(readFile(dir.filePath(base + ".ini")));
        const QString expected = QString::fromUtf8(readFile(dir.filePath(base + ".rows.txt")));
        EXPECT_EQ(rowLines(layoutSettings(table, cat)).join('\n') + '\n', expected);
    }
}

TEST(SettingsRead, CatalogueByPlatformAndMissingOrDamagedFile) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("pf");
    EXPECT_EQ(catalogueFile(dir.path(), true), dir.filePath("pf/set5x.ini"));
    EXPECT_EQ(catalogueFile(dir.path(), false), dir.filePath("pf/set3x.ini"));

    FakeDriver d;
    d.reg->table = {{37, number(), 1}};
    RecordingUi ui;
    // no file: the message after the register was read, and nothing to show
    EXPECT_FALSE(readSettings(*d.fptr, ui, dir.path(), true).has_value());
    EXPECT_EQ(d.reg->callsOf("endReadRecords").size(), 1);
    ASSERT_EQ(ui.shown.size(), 1);
    EXPECT_EQ(ui.shown[0].text, "В каталоге программы отсутствует файл настроек ККТ");
    EXPECT_EQ(ui.shown[0].icon, ui::Icon::Error);
    EXPECT_FALSE(ui.shown[0].caption.has_value());  // the application title

    QFile p5(dir.filePath("pf/set5x.ini"));
    ASSERT_TRUE(p5.open(QIODevice::WriteOnly));
    p5.write("[37]\nname=Ящик (платформа 5)\ntype=#\ndesc=\n0=Нет\n1=Да\n");
    p5.close();
    QFile p3(dir.filePath("pf/set3x.ini"));
    ASSERT_TRUE(p3.open(QIODevice::WriteOnly));
    p3.write("[37]\nname=Ящик (платформа 3)\ntype=#\ndesc=\n0=Нет\n[37]\nname=снова\n");
    p3.close();

    ui.shown.clear();
    const auto read5 = readSettings(*d.fptr, ui, dir.path(), true);
    ASSERT_TRUE(read5.has_value());
    EXPECT_TRUE(ui.shown.isEmpty());
    ASSERT_EQ(read5->rows.size(), 2);
    EXPECT_EQ(read5->rows[1].name, "Ящик (платформа 5)");
    EXPECT_EQ(read5->rows[1].shown, "Да");
    EXPECT_EQ(read5->catalogue.name("37"), "Ящик (платформа 5)");  // kept for the editor

    // a damaged catalogue: a clear message and no list at all
    EXPECT_FALSE(readSettings(*d.fptr, ui, dir.path(), false).has_value());
    ASSERT_EQ(ui.shown.size(), 1);
    EXPECT_EQ(ui.shown[0].icon, ui::Icon::Error);
    EXPECT_TRUE(ui.shown[0].text.contains("раздел [37] повторяется (строки 1 и 6)"))
        << ui.shown[0].text.toStdString();
    EXPECT_TRUE(ui.shown[0].text.contains("set3x.ini"));
}

TEST(SettingsRead, CellsAndChangeDetection) {
    SettingRow row{"37", "Ящик", "#", "Да", "desc", "1", "Да", 0};
    EXPECT_EQ(row.cells(), (QStringList{"37", "Ящик", "#", "Да", "desc", "1", "Да"}));
    EXPECT_FALSE(row.changed());
    row.shown = "Нет";
    EXPECT_TRUE(row.changed());
    row.shown = "Да";
    EXPECT_FALSE(row.changed());  // edited back to the baseline: nothing to save

    SettingRows rows = {{"", "[Общие]", "", "", "", "", "", kCaptionMark}, row, row, row};
    rows[1].shown = "Нет";
    rows[3].shown = "";
    EXPECT_EQ(changedRows(rows), (QList<int>{1, 3}));
    rows[0].shown = "x";  // a caption row is never a changed setting
    EXPECT_EQ(changedRows(rows), (QList<int>{1, 3}));
}

// The filter above the list: an identifier, or words of the name in any case and order; a
// group's caption row stays while one of its settings is shown.
TEST(SettingsRead, FilterByIdentifierOrWordsOfTheName) {
    const Catalogue cat = catalogueOf(kCatalogue);
    const SettingRows rows =
        layoutSettings({{"37", "1"}, {"1", "0"}, {"184", "x"}, {"71", "10.0.0.1"}}, cat);
    const auto shownIds = [&](const QString& filter) {
        const QList<bool> shown = rowsMatching(rows, filter);
        EXPECT_EQ(shown.size(), rows.size());
        QStringList ids;
        for (int i = 0; i < rows.size(); ++i)
            if (shown.value(i)) ids << (rows[i].isCaption() ? rows[i].name : rows[i].id);
        return ids;
    };
    const QStringList all = {"[Общие]", "37", "1", "[Клише]", "184", "[Ethernet]", "71"};
    EXPECT_EQ(shownIds(""), all);
    EXPECT_EQ(shownIds("  "), all);
    EXPECT_EQ(shownIds("184"), QStringList({"[Клише]", "184"}));
    EXPECT_EQ(shownIds("ЯЩИК откры"), QStringList({"[Общие]", "37"}));
    EXPECT_EQ(shownIds("сигнал ящик"), QStringList());
    EXPECT_EQ(shownIds("адрес"), QStringList({"[Ethernet]", "71"}));
    EXPECT_EQ(shownIds("3"), QStringList());  // an identifier is matched whole
}
