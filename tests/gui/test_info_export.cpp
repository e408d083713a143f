// Saving and copying report lists in the real window: the save dialog flow with its filters and
// the overwrite question, the file bytes, the popup menu pmCopy and right-click selection.
#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include "app/ui/widgets/FileDialog.h"
#include "app/ui/widgets/ReportList.h"
#include "info/ui/ListExport.h"
#include "tests/gui/test_info_support.h"

using testing_support::GuiHarness;
using namespace info_test;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString fromAnsi(const QByteArray& bytes) {
    // every Windows-1251 letter used by these reports is Cyrillic: А..я map to 0xC0..0xFF
    QString out;
    for (unsigned char b : bytes) {
        if (b >= 0xC0)
            out += QChar(0x0410 + (b - 0xC0));
        else
            out += QChar(b);
    }
    return out;
}

}  // namespace

class TestInfoExport : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void init() { testing_support::useBench({}); }

    void saveTextThenCsvWithTheOverwriteQuestion() {
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.click("btnGetKKMinfo");
        const QString txt = h.progdir() + "/kkm";  // "txt" is added
        ui::FileDialog::setNextFileName(txt, 1);
        h.click("btnSaveKKMInfo");
        QVERIFY(h.messageTexts().isEmpty());  // a new file: no question
        const QByteArray bytes = readAll(txt + ".txt");
        QVERIFY(!bytes.isEmpty());
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
        const QStringList lines = fromAnsi(bytes).split("\r\n");
        QCOMPARE(lines.size(), 30 + 2 + 1);  // header, rule, rows, and the last CR LF
        QCOMPARE(lines.last(), QString());
        const int bar = lines[0].indexOf("  |  ");
        QCOMPARE(bar, QString("Напряжение источника питания").size());
        QVERIFY(lines[0].startsWith("Свойства ККМ "));
        QCOMPARE(lines[2], QString("Модель").leftJustified(bar) + "  |  АТОЛ 30Ф");
        QCOMPARE(lines[10], QString("Напряжение батареи часов").leftJustified(bar) + "  |  3,1 В");
        QVERIFY(!bytes.contains('\n' + QByteArray("\n")));

        // the same name again: the question comes, Cancel keeps the file
        QFile::remove(txt + ".csv");
        ui::MessageBox::clearHistory();
        ui::FileDialog::setNextFileName(txt + ".txt", 2);
        ui::MessageBox::setNextAnswer(QMessageBox::Cancel);
        h.click("btnSaveKKMInfo");
        QCOMPARE(h.messageTexts(), QStringList({"Файл существует, заменить?"}));
        QCOMPARE(h.messages().first().buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(readAll(txt + ".txt"), bytes);

        // OK replaces it with the CSV layout (filter 2)
        ui::FileDialog::setNextFileName(txt + ".txt", 2);
        ui::MessageBox::setNextAnswer(QMessageBox::Ok);
        h.click("btnSaveKKMInfo");
        const QStringList csv = fromAnsi(readAll(txt + ".txt")).split("\r\n");
        QCOMPARE(csv[0], QString("<Свойства ККМ>;<Значение>"));
        QCOMPARE(csv[1], QString(";"));
        QCOMPARE(csv[10], QString("Напряжение батареи часов;\"3,1 В\""));

        // a cancelled dialog writes nothing and asks nothing
        ui::MessageBox::clearHistory();
        ui::FileDialog::setNextFileName(QString(), 1);
        h.click("btnSaveKKMInfo");
        QVERIFY(h.messageTexts().isEmpty());
        QCOMPARE(info::saveTextFileDialog().fileName, txt + ".txt");
    }

    void registrationSeparatorInBothLayouts() {
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.click("btnGetReginfo");
        const QString path = h.progdir() + "/reg.txt";
        ui::FileDialog::setNextFileName(path, 1);
        h.click("btnSaveRegInfo");
        QStringList lines = fromAnsi(readAll(path)).split("\r\n");
        QCOMPARE(lines[2 + 26], QString("|"));
        ui::FileDialog::setNextFileName(h.progdir() + "/reg.csv", 2);
        h.click("btnSaveRegInfo");
        lines = fromAnsi(readAll(h.progdir() + "/reg.csv")).split("\r\n");
        QCOMPARE(lines[2 + 26], QString(";"));
        QCOMPARE(lines[3], QString("Наименование;\"ООО \"\"Ромашка\"\"\""));
    }

    void unwritableFileIsReported() {
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.click("btnGetFNinfo");
        ui::FileDialog::setNextFileName(h.progdir() + "/no-such-dir/fn.txt", 1);
        h.click("btnSaveFNInfo");
        QCOMPARE(h.messageTexts().size(), 1);
        QVERIFY(h.messageTexts().first().startsWith("Не удалось записать файл"));
    }

    void popupMenuOnEveryReportList() {
        GuiHarness h;
        auto* menu = h.find<QMenu>("pmCopy");
        QCOMPARE(h.find<QAction>("actCopyString")->text(), QString("Копировать строку"));
        QCOMPARE(h.find<QAction>("actCopyAll")->text(), QString("Копировать все"));
        QCOMPARE(menu->actions().size(), 2);
        for (const QString name : {"lvKKMinfo", "lvRegInfo", "lvFNinfo", "lvShiftInfo", "lvSetKKM"})
            QCOMPARE(h.list(name)->contextMenuPolicy(), Qt::CustomContextMenu);
        QCOMPARE(h.list("lvKKMconnect")->contextMenuPolicy() == Qt::CustomContextMenu, false);
    }

    void rightClickSelectionAndCopying() {
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabKKMinfo");
        h.click("btnGetKKMinfo");
        auto* list = h.list("lvKKMinfo");
        auto* copyString = h.find<QAction>("actCopyString");
        auto* menu = h.find<QMenu>("pmCopy");
        // nothing selected: "Копировать строку" disabled
        list->clearSelection();
        emit menu->aboutToShow();
        QVERIFY(!copyString->isEnabled());
        // rows 5 and 7 selected, a right click on row 9 leaves 7 and 9
        list->selectionModel()->select(list->model()->index(5, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        list->selectionModel()->select(list->model()->index(7, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        const QRect row9 = list->visualRect(list->model()->index(9, 0));
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, row9.center());
        QCOMPARE(list->selectedDataRows(), QList<int>({7, 9}));
        emit menu->aboutToShow();
        QVERIFY(copyString->isEnabled());
        copyString->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 list->cell(7, 0) + "  |  " + list->cell(7, 1));
        // the whole list
        h.find<QAction>("actCopyAll")->trigger();
        const QString all = QGuiApplication::clipboard()->text();
        QVERIFY(all.startsWith("Свойства ККМ "));
        QVERIFY(all.endsWith("\r\n"));
        QCOMPARE(all.split("\r\n").size(), 30 + 2 + 1);
        // an empty list of the active tab: header and rule only
        h.selectTab("tabFNinfo");
        h.find<QAction>("actCopyAll")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QString("Свойства ФН  |  Значение\r\n------------------------\r\n"));
        // the connection tab's list carries no copy menu: nothing changes
        QGuiApplication::clipboard()->setText("keep");
        h.selectTab("tabConnectKKM");
        h.find<QAction>("actCopyAll")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("keep"));
    }

    void unknownListNameDoesNothing() {
        GuiHarness h;
        QGuiApplication::clipboard()->setText("keep");
        info::listToClipBoardOrSaveTxt(h.window(), h.window()->windowUi(), "lvNoSuch", true, false);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("keep"));
    }
};

QTEST_MAIN(TestInfoExport)
#include "test_info_export.moc"
