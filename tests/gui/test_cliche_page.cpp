// The Клише/Подвал tab in the real window: the guards, reading and writing the cliche and the
// footer, the formatting controls and their enabling, the line editor and enlarged characters,
// switching lists, the pictures of both memory models, cliche files and the prints.
#include <sys/stat.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGlyphRun>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextLayout>
#include <QtTest>

#include "app/IniFile.h"
#include "app/ui/widgets/Conventions.h"
#include "app/ui/widgets/FileDialog.h"
#include "cliche/ui/KlishePage.h"
#include "emulator/Bench.h"
#include "emulator/PictureStore.h"
#include "tests/gui/test_info_support.h"

using testing_support::GuiHarness;
using namespace info_test;

namespace {

const QString kNetwork = QStringLiteral("192.168.77.40");

// The network register (platform 3, numbered pictures) holding pictures 0, 1 and 2.
void useNumberedPictures() {
    useBenchWith(1, [](QJsonObject& r) {
        r["pictures"] = QJsonArray{QJsonObject{{"number", 0}, {"width", 384}, {"height", 120}},
                                   QJsonObject{{"number", 1}, {"width", 200}, {"height", 200}},
                                   QJsonObject{{"number", 2}, {"width", 64}, {"height", 64}}};
        r["lineLength"] = 32;
    });
}

cliche::KlishePage* page(GuiHarness& h) {
    return h.window()->klishePage;
}

QString cell(GuiHarness& h, const QString& list, int row) {
    return h.list(list)->cell(row, 1);
}

void clickRow(GuiHarness& h, const QString& list, int row) {
    auto* l = h.list(list);
    const QRect r = l->visualRect(l->model()->index(row, 1));
    QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, r.center());
}

QString setting(GuiHarness& h, int id) {
    auto& f = *h.window()->session().fptr();
    f.setParam(drv::names::LIBFPTR_PARAM_SETTING_ID, id);
    f.readDeviceSetting();
    return f.getParamString(drv::names::LIBFPTR_PARAM_SETTING_VALUE);
}

void writeSetting(GuiHarness& h, int id, const QString& value) {
    auto& f = *h.window()->session().fptr();
    f.setParam(drv::names::LIBFPTR_PARAM_SETTING_ID, id);
    f.setParam(drv::names::LIBFPTR_PARAM_SETTING_VALUE, value);
    f.writeDeviceSetting();
    f.commitSettings();
}

QStringList entries(GuiHarness& h) {
    auto* c = h.find<QComboBox>("cbbPicNums");
    QStringList out;
    for (int i = 0; i < c->count(); ++i) out << c->itemText(i);
    return out;
}

QString bmpFile(const QTemporaryDir& dir, const QString& name, int w, int h) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(emu::PictureStore::blankBmp(w, h));
    return path;
}

// Whether every character of `text` is drawn with a glyph of its own in `font` (no empty box).
bool everyGlyphDrawn(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    for (const QGlyphRun& run : layout.glyphRuns())
        for (quint32 glyph : run.glyphIndexes())
            if (glyph == 0) return false;
    return true;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class TestClichePage : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        testing_support::useBench({});
        ui::MessageBox::clearHistory();
    }

    void guardsBeforeConnectionAndRead() {
        GuiHarness h;
        h.selectTab("tabKlishe");
        QCOMPARE(page(h)->actLV, h.list("lvKlishe"));
        QCOMPARE(page(h)->myFontSymb, QChar(0x16A5));
        QCOMPARE(page(h)->origFontSymb, QChar(0x290A));
        for (const char* b : {"btnGetKlishe", "btnKlisheApply", "btnPrintKlishe", "btnTestCheck"})
            h.click(b);
        QCOMPARE(h.messageTexts(), QStringList(4, "ККМ не подключена"));
        QVERIFY(connectTo(h, "5"));
        ui::MessageBox::clearHistory();
        const int from = h.driverLog().size();
        for (const char* b : {"btnKlisheApply", "btnAddPic", "btnReplacePic", "btnDelPic",
                              "btnSavePic", "Button3", "btnSetPicToStr"})
            h.click(b);
        QCOMPARE(h.messageTexts().size(), 7);
        for (const auto& t : h.messageTexts()) QVERIFY(t.startsWith("Данные не получены"));
        const QStringList calls = callsFrom(h, from);
        QVERIFY(calls.filter("writeDeviceSetting").isEmpty());
        QVERIFY(calls.filter("Picture").isEmpty());
    }

    // The test runs with a stock desktop's fonts, none of which has the display font mark.
    void everyMarkOfARowIsVisible() {
        GuiHarness h;
        h.selectTab("tabKlishe");
        h.window()->show();
        const QString row = QString::fromUtf8("⇌↓5↓ᚥ01ᚥ»A »Б ¶0,center¶ ⇇⇉");
        for (const char* name : {"lvKlishe", "lvFooter"}) {
            h.list(name)->setCell(0, 1, row);
            QVERIFY2(everyGlyphDrawn(row, h.list(name)->font()), name);
        }
        // the line editor draws the row as the list does
        h.doubleClickRow("lvKlishe", 0, 1);
        QVERIFY(everyGlyphDrawn(row, h.find<QLineEdit>("edtItemRename")->font()));
    }

    void readEditAndWriteTheCliche() {
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabKlishe");
        writeSetting(h, 184, QString::fromUtf8("⤊01⤊Текст"));
        writeSetting(h, 186, QString::fromUtf8("⇇↓5↓Шапка"));
        h.click("btnGetKlishe");
        QVERIFY(h.messageTexts().isEmpty());
        auto* read = h.find<QPushButton>("btnGetKlishe");
        QCOMPARE(read->text(), QString("Cчитать"));
        QCOMPARE(ui::readMarker(read), 1);
        QCOMPARE(cell(h, "lvKlishe", 0), QString::fromUtf8("ᚥ01ᚥТекст"));

        // the row's formatting; a platform 5 register takes every property
        clickRow(h, "lvKlishe", 0);
        auto* font = h.find<QComboBox>("cbbKlisheFont");
        QCOMPARE(font->currentIndex(), 1);
        QVERIFY(font->isEnabled());
        QVERIFY(h.find<QRadioButton>("rbKlisheCenter")->isEnabled());
        QVERIFY(!h.find<QRadioButton>("rbKlisheLeftPic")->isEnabled());
        font->setCurrentIndex(3);
        emit font->activated(3);
        QCOMPARE(cell(h, "lvKlishe", 0), QString::fromUtf8("ᚥ03ᚥТекст"));
        h.click("rbKlisheRight");
        QCOMPARE(cell(h, "lvKlishe", 0), QString::fromUtf8("⇉ᚥ03ᚥТекст"));
        h.click("chkKlisheOffsetTop");
        QCOMPARE(cell(h, "lvKlishe", 0), QString::fromUtf8("↓0↓⇉ᚥ03ᚥТекст"));
        auto* offset = h.find<QLineEdit>("edtKlisheTopOffset");
        offset->setFocus();
        offset->selectAll();
        QTest::keyClicks(offset, "7");
        QCOMPARE(cell(h, "lvKlishe", 0), QString::fromUtf8("↓7↓⇉ᚥ03ᚥТекст"));

        // showing another row changes no row
        clickRow(h, "lvKlishe", 2);
        QVERIFY(h.find<QRadioButton>("rbKlisheLeft")->isChecked());
        QCOMPARE(offset->text(), QString("5"));
        QCOMPARE(cell(h, "lvKlishe", 2), QString::fromUtf8("⇇↓5↓Шапка"));
        QCOMPARE(cell(h, "lvKlishe", 0), QString::fromUtf8("↓7↓⇉ᚥ03ᚥТекст"));

        const int from = h.driverLog().size();
        h.click("btnKlisheApply");
        QVERIFY(h.messageTexts().isEmpty());
        const QStringList calls = callsFrom(h, from);
        QCOMPARE(calls.filter("writeDeviceSetting").size(), 10);
        QCOMPARE(calls.filter("commitSettings").size(), 1);
        QCOMPARE(setting(h, 184), QString::fromUtf8("↓7↓⇉⤊03⤊Текст"));
        QCOMPARE(setting(h, 186), QString::fromUtf8("⇇↓5↓Шапка"));
        // every row went to its setting in register form
        for (int row = 0; row < 10; ++row)
            QCOMPARE(setting(h, 184 + row),
                     cell(h, "lvKlishe", row).replace(QChar(0x16A5), QChar(0x290A)));
    }

    void lineEditorAndEnlargedCharacters() {
        GuiHarness h;
        h.selectTab("tabKlishe");
        h.window()->show();
        auto* editor = h.find<QLineEdit>("edtItemRename");
        // without an open editor the button only explains itself
        page(h)->btnKlisheBoldClick();
        QCOMPARE(h.messageTexts(),
                 QStringList({"Выделите в строке нужный текст без спецсимволов"}));

        h.list("lvKlishe")->setCell(1, 1, "A B C");
        h.doubleClickRow("lvKlishe", 1, 1);
        QVERIFY(page(h)->editorOpen());
        QVERIFY(h.find<QPushButton>("btnKlisheBold")->isEnabled());
        QCOMPARE(editor->text(), QString("A B C"));
        QCOMPARE(editor->cursorPosition(), 5);
        QTest::keyClick(editor, Qt::Key_Escape);  // Escape leaves it open
        QVERIFY(page(h)->editorOpen());
        editor->setSelection(0, 3);
        h.click("btnKlisheBold");
        QVERIFY(!page(h)->editorOpen());
        QCOMPARE(cell(h, "lvKlishe", 1), QString::fromUtf8("»A »B C"));

        h.doubleClickRow("lvKlishe", 1, 1);
        QCOMPARE(editor->text(), QString::fromUtf8("»A »B C"));
        editor->setSelection(0, 5);
        h.click("btnKlisheBold");
        QCOMPARE(cell(h, "lvKlishe", 1), QString("A B C"));

        // a mark in the selection: the message, and the edit is dropped
        h.list("lvKlishe")->setCell(1, 1, QString::fromUtf8("⇌Текст"));
        h.doubleClickRow("lvKlishe", 1, 1);
        editor->setText(QString::fromUtf8("⇌Другой"));
        editor->setSelection(0, 3);
        ui::MessageBox::clearHistory();
        h.click("btnKlisheBold");
        QCOMPARE(h.messageTexts().size(), 1);
        QVERIFY(!page(h)->editorOpen());
        QCOMPARE(cell(h, "lvKlishe", 1), QString::fromUtf8("⇌Текст"));

        // Enter commits and shows the row's formatting
        h.doubleClickRow("lvKlishe", 4, 1);
        editor->setText(QString::fromUtf8("⇉Итог"));
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(!page(h)->editorOpen());
        QCOMPARE(cell(h, "lvKlishe", 4), QString::fromUtf8("⇉Итог"));
        QVERIFY(h.find<QRadioButton>("rbKlisheRight")->isChecked());
    }

    void footerWriteIniCopyAndRememberedRows() {
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabKlishe");
        h.click("btnGetKlishe");
        clickRow(h, "lvKlishe", 3);
        h.click("rbFooterMode");
        QCOMPARE(page(h)->actLV, h.list("lvFooter"));
        QVERIFY(h.list("lvFooter")->isVisibleTo(page(h)));
        QVERIFY(!h.list("lvKlishe")->isVisibleTo(page(h)));
        QVERIFY(!h.find<QPushButton>("btnKlisheBold")->isEnabled());
        auto* footer = h.list("lvFooter");
        footer->setCell(0, 1, "Спасибо");
        footer->setCell(1, 1, QString::fromUtf8("ᚥ02ᚥза покупку"));
        footer->setCell(3, 1, "!");
        const int from = h.driverLog().size();
        h.click("btnKlisheApply");
        QVERIFY(h.messageTexts().isEmpty());
        QCOMPARE(callsFrom(h, from).filter("setFooterLines").size(), 1);
        const auto reg = emu::World::instance().reg(0);
        QCOMPARE(reg->footerLines,
                 QStringList({"Спасибо", QString::fromUtf8("⤊02⤊за покупку"), "", "!"}));
        app::IniFile ini;
        QVERIFY(ini.load(h.progdir() + "/pf/set.ini"));
        const QString section = "Footer-" + h.window()->session().record().serial;
        QCOMPARE(ini.keys(section).size(), 10);
        QCOMPARE(ini.value(section, "2"), QString::fromUtf8("⤊02⤊за покупку"));

        // back to the cliche: its remembered row is selected again
        clickRow(h, "lvFooter", 1);
        h.click("rbKlisheMode");
        QCOMPARE(h.list("lvKlishe")->firstSelectedRow(), 3);
        QCOMPARE(h.list("lvFooter")->firstSelectedRow(), -1);
        h.click("rbFooterMode");
        QCOMPARE(h.list("lvFooter")->firstSelectedRow(), 1);

        // emptied lines come back from the INI copy at the next read
        h.click("Button1");
        QCOMPARE(cell(h, "lvFooter", 0), QString());
        h.click("btnGetKlishe");
        QCOMPARE(cell(h, "lvFooter", 1), QString::fromUtf8("ᚥ02ᚥза покупку"));
    }

    void aRefusedFooterKeepsTheIniCopy() {
        useBenchWith(0, [](QJsonObject& r) {
            r["errors"] = QJsonArray{QJsonObject{
                {"method", "setFooterLines"}, {"code", 45}, {"description", "Открыта крышка"}}};
        });
        GuiHarness h;
        QVERIFY(connectTo(h, "5"));
        h.selectTab("tabKlishe");
        h.click("btnGetKlishe");
        h.click("rbFooterMode");
        h.list("lvFooter")->setCell(0, 1, "Спасибо");
        h.click("btnKlisheApply");
        QCOMPARE(h.messageTexts(), QStringList({"(45) Открыта крышка"}));
        QCOMPARE(h.messages().last().title, QString());
        app::IniFile ini;
        ini.load(h.progdir() + "/pf/set.ini");
        for (const QString& section : ini.sections())
            QVERIFY2(!section.startsWith("Footer-"), qPrintable(section));
        QCOMPARE(h.find<QPushButton>("btnKlisheApply")->text(), QString("Сохранить"));
    }

    void numberedPictures() {
        useNumberedPictures();
        GuiHarness h;
        QTemporaryDir dir;
        QVERIFY(connectTo(h, kNetwork));
        QVERIFY(!h.window()->session().isP5());
        h.selectTab("tabKlishe");
        h.click("btnGetKlishe");
        QCOMPARE(entries(h), QStringList({"0 (384x120)", "1 (200x200)", "2 (64x64)"}));
        auto* preview = h.find<QLabel>("imgKlishe");
        QVERIFY(!preview->pixmap().isNull());
        QCOMPARE(preview->pixmap().width(), 150);  // scaled down into the box

        // set into the line; on platform 3 the picture's top offset box stays disabled
        h.click("btnSetPicToStr");
        QCOMPARE(h.messageTexts(), QStringList({"Выберите строку"}));
        clickRow(h, "lvKlishe", 1);
        QVERIFY(!h.find<QRadioButton>("rbKlisheLeft")->isEnabled());
        h.click("btnSetPicToStr");
        QCOMPARE(cell(h, "lvKlishe", 1), QString::fromUtf8("↓20↓¶0,center¶"));
        QVERIFY(h.find<QRadioButton>("rbKlisheCenterPic")->isChecked());
        QVERIFY(h.find<QRadioButton>("rbKlisheRightPic")->isEnabled());
        QVERIFY(!h.find<QCheckBox>("chkKlisheOffsetTopPic")->isEnabled());
        h.click("rbKlisheLeftOffsetPic");
        QCOMPARE(cell(h, "lvKlishe", 1), QString::fromUtf8("↓20↓¶0,0¶"));
        auto* left = h.find<QLineEdit>("edtKlisheLeftOffsetPic");
        left->setFocus();
        left->selectAll();
        QTest::keyClicks(left, "15");
        QCOMPARE(cell(h, "lvKlishe", 1), QString::fromUtf8("↓20↓¶0,15¶"));

        // replace the second picture: the list is read again with it selected
        auto* pics = h.find<QComboBox>("cbbPicNums");
        pics->setCurrentIndex(1);
        ui::FileDialog::setNextFileName(bmpFile(dir, "new.bmp", 100, 50));
        int from = h.driverLog().size();
        h.click("btnReplacePic");
        QVERIFY(h.messageTexts().size() == 1);
        QCOMPARE(entries(h), QStringList({"0 (384x120)", "1 (100x50)", "2 (64x64)"}));
        QCOMPARE(pics->currentIndex(), 1);
        QCOMPARE(h.find<QPushButton>("btnReplacePic")->text(), QString("Заменить"));
        QCOMPARE(callsFrom(h, from).filter("clearPictures").size(), 1);

        // an oversized picture: the upload fails, the memory is as before
        ui::FileDialog::setNextFileName(bmpFile(dir, "wide.bmp", 1000, 10));
        h.click("btnReplacePic");
        QCOMPARE(h.messageTexts().last(), QString("Не удалось загрузить картинку"));
        h.click("btnGetKlishe");
        QCOMPARE(entries(h), QStringList({"0 (384x120)", "1 (100x50)", "2 (64x64)"}));

        // delete the first: the others move up, the first entry is selected
        h.click("btnDelPic");
        QCOMPARE(entries(h), QStringList({"0 (100x50)", "1 (64x64)"}));
        QCOMPARE(pics->currentIndex(), 0);

        // add: the new, last entry is selected
        ui::FileDialog::setNextFileName(bmpFile(dir, "add.bmp", 30, 40));
        h.click("btnAddPic");
        QCOMPARE(entries(h), QStringList({"0 (100x50)", "1 (64x64)", "2 (30x40)"}));
        QCOMPARE(pics->currentIndex(), 2);
        ui::FileDialog::setNextFileName(QString());  // cancelled: nothing happens
        from = h.driverLog().size();
        h.click("btnAddPic");
        QVERIFY(callsFrom(h, from).filter("upload").isEmpty());

        // save and print the selected picture
        const QString saved = dir.filePath("saved.bmp");
        ui::FileDialog::setNextFileName(saved);
        h.click("btnSavePic");
        QCOMPARE(readAll(saved), emu::PictureStore::blankBmp(30, 40));
        h.click("Button3");
        const auto reg = emu::World::instance().reg(1);
        QCOMPARE(reg->journal->texts("picture"), QStringList({"2"}));
    }

    // Pictures 0, 1, 2 and 4: a replace keeps picture 4 (numbered 3 afterwards); a damaged file
    // is refused with a message and changes nothing.
    void picturesPastAGapAndDamagedFiles() {
        useBenchWith(1, [](QJsonObject& r) {
            r["pictures"] = QJsonArray{QJsonObject{{"number", 0}, {"width", 384}, {"height", 120}},
                                       QJsonObject{{"number", 1}, {"width", 200}, {"height", 200}},
                                       QJsonObject{{"number", 2}, {"width", 64}, {"height", 64}},
                                       QJsonObject{{"number", 4}, {"width", 50}, {"height", 30}}};
        });
        GuiHarness h;
        QTemporaryDir dir;
        QVERIFY(connectTo(h, kNetwork));
        h.selectTab("tabKlishe");
        h.click("btnGetKlishe");
        QCOMPARE(entries(h), QStringList({"0 (384x120)", "1 (200x200)", "2 (64x64)", "4 (50x30)"}));
        h.find<QComboBox>("cbbPicNums")->setCurrentIndex(1);
        ui::FileDialog::setNextFileName(bmpFile(dir, "new.bmp", 100, 50));
        h.click("btnReplacePic");
        QVERIFY(h.messageTexts().isEmpty());
        QCOMPARE(entries(h), QStringList({"0 (384x120)", "1 (100x50)", "2 (64x64)", "3 (50x30)"}));

        for (const char* damaged :
             {"unreadable-second-header-overflows.png", "too-big-46000-square.png"}) {
            ui::MessageBox::clearHistory();
            ui::FileDialog::setNextFileName(
                QStringLiteral(VELMOR_SOURCE_DIR "/tests/data/pictures/") + damaged);
            h.click("btnAddPic");
            QCOMPARE(h.messageTexts(), QStringList({"Не удалось загрузить картинку"}));
        }
        h.click("btnGetKlishe");
        QCOMPARE(entries(h).size(), 4);
    }

    // A channel is neither replaced by a save nor waited on by an open.
    void clicheFilesAreOnlyRegularFiles() {
        GuiHarness h;
        QTemporaryDir dir;
        h.selectTab("tabKlishe");
        const QString fifo = dir.filePath("fifo.txt");
        QVERIFY(mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        ui::FileDialog::setNextFileName(fifo);
        h.click("btnKlisheSave");
        QCOMPARE(h.messageTexts().size(), 1);
        QVERIFY(h.messageTexts()[0].startsWith("Не удалось записать файл"));
        QVERIFY(!QFileInfo(fifo).isFile());
        ui::MessageBox::clearHistory();
        ui::FileDialog::setNextFileName(fifo);
        h.click("btnKlisheOpen");
        QCOMPARE(h.messageTexts().size(), 1);
        QVERIFY(h.messageTexts()[0].startsWith("Не удалось открыть файл"));
    }

    void singleClichePicture() {
        GuiHarness h;
        QTemporaryDir dir;
        QVERIFY(connectTo(h, "5"));
        QVERIFY(h.window()->session().isP5());
        h.selectTab("tabKlishe");
        h.click("btnGetKlishe");
        QVERIFY(entries(h).isEmpty());
        ui::FileDialog::setNextFileName(bmpFile(dir, "logo.bmp", 120, 60));
        h.click("btnAddPic");
        QCOMPARE(entries(h), QStringList({"0 (120x60)"}));
        ui::MessageBox::clearHistory();
        h.click("btnAddPic");
        QCOMPARE(
            h.messageTexts(),
            QStringList({"В ККМ версий 5.X в клише может использоваться только одна картинка"}));
        // a replace the register refuses names the error
        ui::FileDialog::setNextFileName(dir.filePath("missing.bmp"));
        h.click("btnReplacePic");
        QVERIFY(h.messageTexts().last().startsWith("Не удалось загрузить картинку.\r\n"));
        QVERIFY(h.messageTexts().last().endsWith(" (155)."));
        h.click("btnDelPic");
        QVERIFY(entries(h).isEmpty());
    }

    void clicheFilesAndPrints() {
        GuiHarness h;
        QTemporaryDir dir;
        h.selectTab("tabKlishe");
        auto* list = h.list("lvKlishe");
        list->setCell(0, 1, QString::fromUtf8("ᚥ01ᚥТекст"));
        list->setCell(2, 1, "C");
        const QString path = dir.filePath("cliche.txt");
        ui::FileDialog::setNextFileName(path);
        h.click("btnKlisheSave");
        const QByteArray bytes = readAll(path);
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        QVERIFY(bytes.contains(QString::fromUtf8("⤊01⤊Текст\r\n").toUtf8()));
        QCOMPARE(bytes.count("\r\n"), 10);

        // an existing file is kept on Cancel
        list->setCell(2, 1, "changed");
        ui::FileDialog::setNextFileName(path);
        ui::MessageBox::setNextAnswer(QMessageBox::Cancel);
        h.click("btnKlisheSave");
        QCOMPARE(h.messageTexts().last(), QString("Файл уже существует, заменить?"));
        QCOMPARE(readAll(path), bytes);

        // loaded into the footer list; a file that is no cliche file changes nothing
        h.click("rbFooterMode");
        ui::FileDialog::setNextFileName(path);
        h.click("btnKlisheOpen");
        QCOMPARE(cell(h, "lvFooter", 0), QString::fromUtf8("ᚥ01ᚥТекст"));
        QCOMPARE(cell(h, "lvFooter", 2), QString("C"));
        const QString png = bmpFile(dir, "picture.txt", 8, 8);
        ui::MessageBox::clearHistory();
        ui::FileDialog::setNextFileName(png);
        h.click("btnKlisheOpen");
        QCOMPARE(h.messageTexts().size(), 1);
        QVERIFY(h.messageTexts()[0].startsWith("Файл не является файлом настроек клише"));
        QCOMPARE(cell(h, "lvFooter", 0), QString::fromUtf8("ᚥ01ᚥТекст"));

        QVERIFY(connectTo(h, "5"));
        const auto reg = emu::World::instance().reg(0);
        reg->journal->clear();
        h.click("btnPrintKlishe");
        QCOMPARE(reg->journal->texts("text").size(), 5);
        reg->journal->clear();
        h.click("btnTestCheck");
        const QStringList text = reg->journal->texts("text");
        QCOMPARE(text.size(), 11);
        QCOMPARE(text[6], QString(48, '='));
        QCOMPARE(reg->journal->texts("nonfiscal"), QStringList({"begin", "end"}));
        QCOMPARE(reg->journal->texts("barcode").size(), 1);
    }
};

QTEST_MAIN(TestClichePage)
#include "test_cliche_page.moc"
