// What the setting editor shows for a row and what its OK does with the row.
#include <gtest/gtest.h>

#include "settings/Editor.h"

using namespace settings;

namespace {

Catalogue catalogue() {
    QString error;
    auto cat = Catalogue::parse(
        "[37]\nname=Открывать ящик\ntype=#\ndesc=После чека\n0=Нет\n1=Да\n2=\n3=Только наличные\n"
        "[40]\nname=Число импульсов\ntype=#\ndesc=0..255\n12=Двенадцать\n"
        "[41]\nname=Пауза\ntype=#\ndesc=0..255 байт\n"
        "[184]\nname=Клише, строка 1\ntype=$\ndesc=Строка клише\n"
        "[300]\nname=Счетчик\ntype=?\ndesc=Только для чтения\n"
        "[301]\nname=Порт\ntype=$\ndesc=1..65535\n",
        "editor.ini", &error);
    EXPECT_TRUE(cat.has_value()) << error.toStdString();
    return cat ? *cat : Catalogue{};
}

SettingRow rowOf(const Catalogue& cat, const QString& id, const QString& raw) {
    const QString shown = cat.shownValue(id, raw);
    return {id, cat.name(id), cat.kind(id), shown, cat.description(id), raw, shown, 0};
}

}  // namespace

TEST(SettingsEditor, CaptionRowOpensNothing) {
    const SettingRow caption{"", "[Общие]", "", "", "", "", "", kCaptionMark};
    EXPECT_FALSE(editorFor(caption, catalogue()).has_value());
}

TEST(SettingsEditor, ChoiceListOfLabels) {
    const Catalogue cat = catalogue();
    const auto setup = editorFor(rowOf(cat, "37", "1"), cat);
    ASSERT_TRUE(setup.has_value());
    EXPECT_EQ(setup->kind, EditorKind::Choice);
    EXPECT_EQ(setup->choices, (QStringList{"Нет", "Да", "Только наличные"}));
    EXPECT_EQ(setup->selected, 1);
    EXPECT_EQ(setup->description, "После чека");
    EXPECT_EQ(setup->caption, "[37] Открывать ящик");

    // a raw value without a label selects nothing
    const auto none = editorFor(rowOf(cat, "37", "7"), cat);
    EXPECT_EQ(none->selected, -1);

    // choosing a label changes the shown value to the label
    const EditResult chosen = acceptEdit(rowOf(cat, "37", "1"), *setup, QString(), 2);
    EXPECT_TRUE(chosen.accepted());
    EXPECT_EQ(chosen.shown, "Только наличные");
    // nothing chosen leaves the row as it is instead of blanking it
    const EditResult nothing = acceptEdit(rowOf(cat, "37", "7"), *none, QString(), -1);
    EXPECT_TRUE(nothing.accepted());
    EXPECT_FALSE(nothing.shown.has_value());
}

TEST(SettingsEditor, RangeTakesTheEditWhateverTheKind) {
    const Catalogue cat = catalogue();
    const SettingRow row = rowOf(cat, "40", "12");
    EXPECT_EQ(row.shown, "Двенадцать");
    const auto setup = editorFor(row, cat);
    ASSERT_TRUE(setup.has_value());
    EXPECT_EQ(setup->kind, EditorKind::Edit);
    EXPECT_EQ(setup->text, "Двенадцать");
    EXPECT_TRUE(setup->choices.isEmpty());

    const EditResult refused = acceptEdit(row, *setup, "256", -1);
    EXPECT_FALSE(refused.accepted());
    EXPECT_EQ(refused.message, "Некорректное значение");
    EXPECT_FALSE(refused.shown.has_value());  // the editor stays open, the row unchanged

    EXPECT_EQ(acceptEdit(row, *setup, "Двенадцать", -1).message, "Введено некорректное значение.");

    const EditResult ok = acceptEdit(row, *setup, " 12 ", -1);
    EXPECT_TRUE(ok.accepted());
    EXPECT_TRUE(ok.message.isEmpty());
    EXPECT_EQ(ok.shown, " 12 ");  // kept as typed

    const SettingRow odd = rowOf(cat, "41", "5");
    const auto oddSetup = editorFor(odd, cat);
    EXPECT_EQ(oddSetup->kind, EditorKind::Edit);
    EXPECT_EQ(acceptEdit(odd, *oddSetup, "5", -1).message, "Некорректный диапазон");

    const SettingRow port = rowOf(cat, "301", "5555");
    const auto portSetup = editorFor(port, cat);
    EXPECT_EQ(portSetup->kind, EditorKind::Edit);
    EXPECT_EQ(acceptEdit(port, *portSetup, "65536", -1).check, RangeCheck::OutOfRange);
    EXPECT_EQ(acceptEdit(port, *portSetup, "80", -1).shown, "80");
}

TEST(SettingsEditor, FreeTextAndOtherKinds) {
    const Catalogue cat = catalogue();
    SettingRow cliche = rowOf(cat, "184", "x");
    cliche.shown = "ᚥ01ᚥООО";
    const auto setup = editorFor(cliche, cat);
    ASSERT_TRUE(setup.has_value());
    EXPECT_EQ(setup->kind, EditorKind::Edit);
    EXPECT_EQ(setup->text, "ᚥ01ᚥООО");
    const EditResult typed = acceptEdit(cliche, *setup, "  любой текст, 1..2 ", -1);
    EXPECT_TRUE(typed.accepted());  // no range in the description: any text
    EXPECT_EQ(typed.shown, "  любой текст, 1..2 ");
    EXPECT_EQ(acceptEdit(cliche, *setup, "", -1).shown, "");  // an empty line is a value too

    const SettingRow other = rowOf(cat, "300", "9");
    const auto view = editorFor(other, cat);
    ASSERT_TRUE(view.has_value());
    EXPECT_EQ(view->kind, EditorKind::None);
    EXPECT_EQ(view->text, "9");
    EXPECT_EQ(view->caption, "[300] Счетчик");
    EXPECT_FALSE(acceptEdit(other, *view, "10", 0).shown.has_value());
}
