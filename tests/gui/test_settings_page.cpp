// The Настройки tab in the real window: reading into groups, the setting editor, saving with a
// refused value, and the list's file.
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "app/ui/widgets/Conventions.h"
#include "app/ui/widgets/FileDialog.h"
#include "app/ui/widgets/ReportList.h"
#include "settings/ui/SetPage.h"
#include "settings/ui/TFormSetSet.h"
#include "tests/gui/test_info_support.h"

using testing_support::GuiHarness;
using namespace info_test;

namespace {

const QString kStored = QString(QChar(0x290A));
const QString kShown = QString(QChar(0x16A5));
const QString kRefused = QStringLiteral("Недопустимое значение настройки");

// The USB register with only the settings of this test; the cliche line's first write is refused.
void useSmallTable() {
    useBenchWith(0, [](QJsonObject& r) {
        r["settingsBase"] = "none";
        r["settings"] = QJsonArray{
            QJsonObject{{"id", 184}, {"type", "string"}, {"value", "Ромашка" + kStored + "1"}},
            QJsonObject{{"id", 1}, {"type", "bool"}, {"value", true}},
            QJsonObject{{"id", 0}, {"type", "number"}, {"value", 5}},
            QJsonObject{{"id", 71}, {"type", "string"}, {"value", "0.0.0.0"}},
            QJsonObject{{"id", 999}, {"type", "number"}, {"value", 3}},
        };
        r["settingWriteErrors"] = QJsonArray{QJsonObject{
            {"id", 184}, {"code", 164}, {"description", kRefused}, {"fromCall", 1}, {"times", 1}}};
    });
}

// The catalogues in place, the demo register connected and its settings read on the tab; false
// when the register could not be connected.
bool readDemoRegister(GuiHarness& h) {
    h.installCatalogues();
    if (!connectTo(h, "5")) return false;
    h.selectTab("tabSet");
    h.click("btnGenSet");
    return true;
}

int rowOf(const QList<QStringList>& rows, const QString& id) {
    for (int i = 0; i < rows.size(); ++i)
        if (rows[i].value(0) == id) return i;
    return -1;
}

// The setting writes among `calls`, as "id=value".
QStringList writes(const QStringList& calls) {
    QStringList out;
    QString id, value;
    for (const auto& c : calls) {
        if (c.startsWith("setParam(65650,")) id = c.mid(15).chopped(1);
        if (c.startsWith("setParam(65651,")) value = c.mid(15).chopped(1);
        if (c.startsWith("writeDeviceSetting")) out << id + '=' + value;
    }
    return out;
}

}  // namespace

class TestSettingsPage : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void init() {
        testing_support::useBench({});
        ui::MessageBox::clearHistory();
    }

    void notConnectedReadAndSaveOnlyTellIt() {
        GuiHarness h;
        h.selectTab("tabSet");
        const int from = h.driverLog().size();
        h.click("btnGenSet");
        h.click("btnSetSave");
        QCOMPARE(h.messageTexts(), QStringList({"ККМ не подключена", "ККМ не подключена"}));
        QCOMPARE(h.rows("lvSetKKM").size(), 0);
        QCOMPARE(ui::readMarker(h.find<QPushButton>("btnGenSet")), 0);
        QVERIFY(callsFrom(h, from).filter("Record").isEmpty());
        QVERIFY(callsFrom(h, from).filter("commitSettings").isEmpty());
    }

    void missingCatalogueKeepsTheList() {
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabSet");
        QFile::remove(h.progdir() + "/pf/set5x.ini");
        const int from = h.driverLog().size();
        h.click("btnGenSet");
        QCOMPARE(h.messageTexts(),
                 QStringList({"В каталоге программы отсутствует файл настроек ККТ"}));
        QCOMPARE(h.messages()[0].icon, ui::Icon::Error);
        QCOMPARE(h.rows("lvSetKKM").size(), 0);
        QCOMPARE(callsFrom(h, from).filter("endReadRecords").size(), 1);  // read first
        h.list("lvSetKKM")->cellDoubleClicked(0, 1);
        QVERIFY(!h.program().setEditor->isVisible());
    }

    void demoRegisterShowsGroupsInOrder() {
        GuiHarness h;
        QVERIFY(readDemoRegister(h));
        QVERIFY(h.messageTexts().isEmpty());
        auto* list = h.list("lvSetKKM");
        const auto rows = h.rows("lvSetKKM");
        QVERIFY(rows.size() > 20);
        QStringList captions;
        for (int i = 0; i < rows.size(); ++i)
            if (list->rowMark(i) == ui::ReportList::kMarkGroup) {
                captions << rows[i][1];
                QVERIFY(rows[i][0].trimmed().isEmpty());
            }
        QCOMPARE(captions.value(0), QString("[Общие]"));
        QVERIFY(captions.contains("[Клише]"));
        QVERIFY(captions.indexOf("[Печать]") < captions.indexOf("[Клише]"));
        const int r37 = rowOf(rows, "37");
        QVERIFY(r37 > 0);
        QCOMPARE(rows[r37][1], QString("Открывать денежный ящик при закрытии чека (не проверено)"));
        QCOMPARE(rows[r37][5], QString("1"));
        QCOMPARE(rows[r37][6], rows[r37][3]);
        auto* button = h.find<QPushButton>("btnGenSet");
        QCOMPARE(ui::readMarker(button), 1);
        QVERIFY(button->isEnabled());
        QCOMPARE(button->text(), ui::btnValRead);
    }

    void editSaveWithARefusedValueAndExport() {
        useSmallTable();
        GuiHarness h;
        QVERIFY(readDemoRegister(h));
        QVERIFY(h.messageTexts().isEmpty());
        auto* list = h.list("lvSetKKM");
        auto rows = h.rows("lvSetKKM");
        // three groups: the setting in no group is left out
        QCOMPARE(rows.size(), 7);
        QCOMPARE(rows[0][1], QString("[Общие]"));
        QCOMPARE(list->rowMark(0), ui::ReportList::kMarkGroup);
        const int r1 = rowOf(rows, "1"), r0 = rowOf(rows, "0"), r184 = rowOf(rows, "184");
        QVERIFY(r1 > 0 && r0 > 0 && r184 > 0);
        QCOMPARE(list->rowMark(r1), 0);
        QCOMPARE(rows[r1].mid(0, 4),
                 QStringList({"1", "Звуковой сигнал при включении (не проверено)", "#", "Да"}));
        QCOMPARE(rows[r1][5], QString("1"));
        QVERIFY(rows[r0][4].startsWith("1..255 ("));
        QCOMPARE(rows[r184 - 1][1], QString("[Клише]"));
        QCOMPARE(rows[r184][3], "Ромашка" + kShown + "1");
        QCOMPARE(rows[r184][5], "Ромашка" + kStored + "1");
        QCOMPARE(rows[r184 + 1][1], QString("[Ethernet]"));
        QCOMPARE(rowOf(rows, "999"), -1);

        auto* editor = h.program().setEditor.get();
        auto* combo = editor->findChild<QComboBox*>("cbSetNewVal");
        auto* edit = editor->findChild<QLineEdit*>("edtSetNewVal");
        auto* ok = editor->findChild<QPushButton*>("btnOK");
        QVERIFY(combo && edit && ok);

        // a caption row opens nothing
        list->cellDoubleClicked(0, 1);
        QVERIFY(!editor->isVisible());

        // "#" with labels: the choice list
        list->cellDoubleClicked(r1, 1);
        QVERIFY(editor->isVisible());
        QCOMPARE(editor->windowTitle(),
                 QString("[1] Звуковой сигнал при включении (не проверено)"));
        QVERIFY(!combo->isHidden());
        QVERIFY(edit->isHidden());
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->currentText(), QString("Да"));
        QCOMPARE(editor->findChild<QPlainTextEdit*>("mmoSetDesc")->toPlainText(),
                 QString("Короткий сигнал после включения питания ККТ"));
        combo->setCurrentIndex(0);
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!editor->isVisible());
        QCOMPARE(list->cell(r1, 3), QString("Нет"));
        QCOMPARE(list->cell(r1, 6), QString("Да"));

        // "#" with a range: the edit, checked against the range
        list->cellDoubleClicked(r0, 1);
        QVERIFY(!edit->isHidden());
        QVERIFY(combo->isHidden());
        QCOMPARE(edit->text(), QString("5"));
        edit->setText("256");
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(h.messageTexts(), QStringList({"Некорректное значение"}));
        QVERIFY(editor->isVisible());
        QCOMPARE(list->cell(r0, 3), QString("5"));
        edit->setText("x7");
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(h.messageTexts().last(), QString("Введено некорректное значение."));
        QVERIFY(editor->isVisible());
        edit->setText("7");
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!editor->isVisible());
        QCOMPARE(list->cell(r0, 3), QString("7"));

        // "$": the cliche line, edited in its shown form; Отмена changes nothing
        list->cellDoubleClicked(r184, 1);
        QCOMPARE(edit->text(), "Ромашка" + kShown + "1");
        edit->setText("Лютик");
        QTest::mouseClick(editor->findChild<QPushButton*>("btnCanc"), Qt::LeftButton);
        QVERIFY(!editor->isVisible());
        QCOMPARE(list->cell(r184, 3), "Ромашка" + kShown + "1");
        list->cellDoubleClicked(r184, 1);
        edit->setText("Лютик" + kShown + "2");
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(list->cell(r184, 3), "Лютик" + kShown + "2");

        // first save, after the question about the guessed setting 1: the cliche line is
        // refused, the other two are kept
        ui::MessageBox::clearHistory();
        int from = h.driverLog().size();
        h.click("btnSetSave");
        QCOMPARE(h.messages().value(0).buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QVERIFY(h.messages().value(0).text.contains("[1] Звуковой сигнал"));
        QStringList calls = callsFrom(h, from);
        // the rows top to bottom: the group "Общие" before "Клише"
        const QStringList written = writes(calls);
        QCOMPARE(written.size(), 3);
        QVERIFY(written.mid(0, 2).contains("1=0") && written.mid(0, 2).contains("0=7"));
        QCOMPARE(written[2], "184=Лютик" + kStored + "2");
        QCOMPARE(calls.filter("commitSettings").size(), 1);
        int failed = 0;
        for (const auto& o : h.driverLog().mid(from))
            if (o.value("method").toString() == "writeDeviceSetting" &&
                o.value("error").toInt() != 0)
                ++failed;
        QCOMPARE(failed, 1);
        const auto boxes = h.messages();
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes[1].icon, ui::Icon::Warning);
        QCOMPARE(boxes[1].text,
                 "При сохранении настроек возникли ошибки:\n\n[184] Строка клише 1 - " + kRefused +
                     "\n");
        QCOMPARE(list->cell(r1, 6), QString("Нет"));
        QCOMPARE(list->cell(r0, 6), QString("7"));
        QCOMPARE(list->cell(r184, 6), "Ромашка" + kShown + "1");
        auto* save = h.find<QPushButton>("btnSetSave");
        QCOMPARE(save->text(), QString("Сохранить"));
        QVERIFY(save->isEnabled());

        // second save writes only the refused row
        ui::MessageBox::clearHistory();
        from = h.driverLog().size();
        h.click("btnSetSave");
        calls = callsFrom(h, from);
        QCOMPARE(writes(calls), QStringList({"184=Лютик" + kStored + "2"}));
        QCOMPARE(h.messageTexts(), QStringList({"Настройки сохранены"}));
        QCOMPARE(list->cell(r184, 6), "Лютик" + kShown + "2");

        // the register holds the new values
        h.click("btnGenSet");
        rows = h.rows("lvSetKKM");
        QCOMPARE(rows[rowOf(rows, "1")][5], QString("0"));
        QCOMPARE(rows[rowOf(rows, "0")][3], QString("7"));
        QCOMPARE(rows[rowOf(rows, "184")][5], "Лютик" + kStored + "2");

        // the list as a text file
        const QString file = h.progdir() + "/settings.txt";
        ui::FileDialog::setNextFileName(file, 1);
        h.click("btnSetSaveInfo");
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        // the file is in Windows-1251; the letters used here are all Cyrillic А..я
        QString text;
        for (unsigned char b : f.readAll())
            text += b >= 0xC0 ? QChar(0x0410 + (b - 0xC0)) : QChar(b);
        const QStringList lines = text.split("\r\n");
        QCOMPARE(lines.value(0).split('|').size(), 3);  // ID, Имя, Значение
        QVERIFY(lines.value(0).startsWith("ID"));
        QVERIFY(lines.value(2).contains("[Общие]"));
        QVERIFY(lines.value(3).startsWith("1 "));
        QVERIFY(lines.value(3).contains("Звуковой сигнал при включении"));
        QVERIFY(lines.value(3).trimmed().endsWith("Нет"));
        QVERIFY(!text.contains("Raw значение из драйвера"));  // hidden columns stay out

        // and as CSV: the second filter, the bare name gets ".csv"
        const QString csvBase = h.progdir() + "/settings-csv";
        ui::FileDialog::setNextFileName(csvBase, 2);
        h.click("btnSetSaveInfo");
        QFile csv(csvBase + ".csv");
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QList<QByteArray> csvLines = csv.readAll().split('\n');
        QCOMPARE(csvLines.value(0),
                 QByteArray("<ID>;<\xC8\xEC\xFF>;<\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5>\r"));
        QCOMPARE(csvLines.value(1), QByteArray(";;\r"));
        // the group caption row: its empty cells stay empty fields
        QVERIFY(csvLines.value(2).startsWith(";[\xCE\xE1\xF9\xE8\xE5];"));
    }

    // What a technician gets: a filter above the list, edited rows in bold until saved, the
    // selected setting's description under the list, passwords masked in the list only, and a
    // question before a setting named by a guess is written.
    void technicianViewAndGuessedSettings() {
        useBenchWith(0, [](QJsonObject& r) {
            r["settingsBase"] = "none";
            r["settings"] = QJsonArray{
                QJsonObject{{"id", 37}, {"type", "number"}, {"value", 1}},
                QJsonObject{{"id", 94}, {"type", "string"}, {"value", "1"}},
                QJsonObject{{"id", 71}, {"type", "string"}, {"value", "10.0.0.5"}},
            };
        });
        GuiHarness h;
        QVERIFY(readDemoRegister(h));
        QVERIFY(h.messageTexts().isEmpty());
        auto* list = h.list("lvSetKKM");
        const auto rows = h.rows("lvSetKKM");
        const int r37 = rowOf(rows, "37"), r94 = rowOf(rows, "94"), r71 = rowOf(rows, "71");
        QVERIFY(r37 > 0 && r94 > 0 && r71 > 0);
        const QString guessed = rows[r37][1];
        QVERIFY(guessed.endsWith(" (не проверено)"));
        QCOMPARE(rows[r94][1], QString("Пароль кассира 1"));

        // the filter: by identifier, by words of the name; the captions stay with their rows
        auto* filter = h.find<QLineEdit>("edtSetFilter");
        const auto visible = [&] {
            QStringList out;
            for (int i = 0; i < rows.size(); ++i)
                if (!list->isRowHidden(i))
                    out << (rows[i][0].trimmed().isEmpty() ? rows[i][1] : rows[i][0]);
            return out;
        };
        // typed as key events carrying the text: Qt's key helpers take ASCII only
        for (const QChar ch : QStringLiteral("кассира ПАРОЛЬ")) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(filter, &press);
        }
        QCOMPARE(visible(), QStringList({"[Пользователи]", "94"}));
        filter->clear();
        QTest::keyClicks(filter, "71");
        QCOMPARE(visible(), QStringList({"[Ethernet]", "71"}));
        filter->clear();
        QCOMPARE(visible().size(), rows.size());

        // the description of the selected setting under the list
        auto* desc = h.find<QLabel>("lblSetDesc");
        list->setCurrentCell(r71, 1);
        QCOMPARE(desc->text(), rows[r71][4]);
        QVERIFY(!desc->text().isEmpty());
        list->setCurrentCell(0, 1);  // a caption row
        QVERIFY(desc->text().isEmpty());

        // the password: "••••" in the list, the value in the editor
        auto* masks = qobject_cast<settings::MaskedValueDelegate*>(list->itemDelegateForColumn(3));
        QVERIFY(masks);
        QCOMPARE(masks->shownText(list->model()->index(r94, 3)), QString("••••"));
        QCOMPARE(masks->shownText(list->model()->index(r71, 3)), QString("10.0.0.5"));
        auto* editor = h.program().setEditor.get();
        auto* edit = editor->findChild<QLineEdit*>("edtSetNewVal");
        auto* ok = editor->findChild<QPushButton*>("btnOK");
        list->cellDoubleClicked(r94, 1);
        QCOMPARE(edit->text(), QString("1"));
        edit->setText("4321");
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(masks->shownText(list->model()->index(r94, 3)), QString("••••"));
        list->cellDoubleClicked(r37, 1);
        editor->findChild<QComboBox*>("cbSetNewVal")->setCurrentIndex(0);
        QTest::mouseClick(ok, Qt::LeftButton);
        // edited rows are bold until saved
        const auto bold = [&](int row) { return list->item(row, 1)->font().bold(); };
        QVERIFY(bold(r94) && bold(r37) && !bold(r71));

        // the question names the guessed setting; "Отмена" writes nothing
        ui::MessageBox::clearHistory();
        int from = h.driverLog().size();
        ui::MessageBox::setNextAnswer(QMessageBox::Cancel);
        h.click("btnSetSave");
        QCOMPARE(h.messages().size(), 1);
        QVERIFY(h.messages()[0].text.contains("[37] " + guessed));
        QVERIFY(!h.messages()[0].text.contains("[94]"));
        QVERIFY(callsFrom(h, from).filter("DeviceSetting").isEmpty());
        QVERIFY(callsFrom(h, from).filter("commitSettings").isEmpty());
        QVERIFY(bold(r94) && bold(r37));

        ui::MessageBox::clearHistory();
        from = h.driverLog().size();
        ui::MessageBox::setNextAnswer(QMessageBox::Ok);
        h.click("btnSetSave");
        QCOMPARE(writes(callsFrom(h, from)), QStringList({"37=0", "94=4321"}));
        QCOMPARE(h.messageTexts().last(), QString("Настройки сохранены"));
        QVERIFY(!bold(r94) && !bold(r37));

        // the list's file keeps the password's value
        const QString csvBase = h.progdir() + "/technician";
        ui::FileDialog::setNextFileName(csvBase, 2);
        h.click("btnSetSaveInfo");
        QFile csv(csvBase + ".csv");
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QByteArray text = csv.readAll();
        QVERIFY(text.contains(";4321"));
        QVERIFY(!text.contains("\x95\x95"));  // no "••••" (bullets in Windows-1251)
    }

    void connectingAgainForgetsTheReading() {
        useSmallTable();
        GuiHarness h;
        QVERIFY(readDemoRegister(h));
        QVERIFY(h.rows("lvSetKKM").size() > 0);
        h.window()->resetViews();
        QCOMPARE(h.rows("lvSetKKM").size(), 0);
        h.list("lvSetKKM")->cellDoubleClicked(1, 1);
        QVERIFY(!h.program().setEditor->isVisible());
        const int from = h.driverLog().size();
        h.click("btnSetSave");
        const auto calls = callsFrom(h, from);
        QVERIFY(writes(calls).isEmpty());
        QCOMPARE(calls.filter("commitSettings").size(), 1);
        QCOMPARE(h.messageTexts(), QStringList({"Настройки сохранены"}));
    }
};

QTEST_MAIN(TestSettingsPage)
#include "test_settings_page.moc"
