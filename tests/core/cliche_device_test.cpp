// The cliche tab's work with a virtual register: the picture list, replace and delete orders in
// the driver log, the undo of a failed upload, the cliche and footer lines, the footer copy in
// the INI file, the cliche print and the test receipt.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "app/IniFile.h"
#include "cliche/Lines.h"
#include "cliche/Pictures.h"
#include "driver/DriverLog.h"
#include "driver/Fptr.h"
#include "emulator/Bench.h"
#include "emulator/PictureStore.h"
#include "emulator/VirtualRegister.h"
#include "settings_fakes.h"

using namespace cliche;
using settings_test::RecordingUi;

namespace {

class ClicheDevice : public ::testing::Test {
  protected:
    void SetUp() override {
        drv::setDispatchFactory(&emu::VirtualRegister::create);
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override {
        drv::DriverLog::instance().setPath({});
        emu::World::instance().loadDemo();
    }

    std::unique_ptr<drv::Fptr> open(const QByteArray& reg) {
        emu::World::instance().loadJson(R"({"registers": [)" + reg + "]}", "test");
        auto f = drv::Fptr::create();
        EXPECT_EQ(f->openSerialAuto("7"), 0) << f->errorDescription().toStdString();
        return f;
    }
    std::unique_ptr<drv::Fptr> openNumbered() {
        return open(R"({"com": "COM7", "platform": "3", "serial": "0042", "pictures": [
            {"number": 0, "width": 384, "height": 120}, {"number": 1, "width": 200, "height": 200},
            {"number": 2, "width": 64, "height": 64}]})");
    }
    static std::shared_ptr<emu::Register> reg() { return emu::World::instance().reg(0); }

    void startLog() { drv::DriverLog::instance().setPath(dir.filePath("driver.log")); }
    // The logged calls as "method" or "setParam(id,value)".
    QList<QJsonObject> log() const {
        drv::DriverLog::instance().setPath({});
        QFile f(dir.filePath("driver.log"));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        QList<QJsonObject> out;
        for (const auto& line : f.readAll().split('\n'))
            if (const auto o = QJsonDocument::fromJson(line).object(); o.contains("method"))
                out << o;
        return out;
    }
    static QStringList methods(const QList<QJsonObject>& log) {
        QStringList out;
        for (const auto& o : log)
            if (o.value("method").toString() != "setParam") out << o.value("method").toString();
        return out;
    }
    // The file name each upload was given, in order.
    static QStringList uploadedFiles(const QList<QJsonObject>& log, int filenameId) {
        QStringList out;
        QString last;
        for (const auto& o : log) {
            const auto args = o.value("args").toArray();
            if (o.value("method").toString() == "setParam" && args[0].toInt() == filenameId)
                last = args[1].toString();
            if (o.value("method").toString() == "uploadPictureMemory") out << last;
        }
        return out;
    }
    QString bmp(const QString& name, int width, int height) const {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(emu::PictureStore::blankBmp(width, height));
        return path;
    }
    // Every picture's bytes as the register gives them back.
    static QList<QByteArray> memory(drv::Fptr& f) {
        QList<QByteArray> out;
        for (int n = 0; n <= kMaxPictureNumber; ++n)
            if (const auto b = previewPicture(f, n)) out << *b;
        return out;
    }
    static QStringList kktpicsFolders() {
        return QDir(QDir::tempPath()).entryList({"kktpics-*"}, QDir::Dirs);
    }

    QTemporaryDir dir;
    RecordingUi ui;
};

}  // namespace

TEST_F(ClicheDevice, NumberedListHoldsEveryPicturePastAnyGap) {
    auto f = openNumbered();
    startLog();
    EXPECT_EQ(readPictureEntries(*f, false),
              QStringList({"0 (384x120)", "1 (200x200)", "2 (64x64)"}));
    EXPECT_EQ(methods(log()).count("queryData"), 11);

    f = open(R"({"com": "COM7", "platform": "3", "pictures": [
        {"number": 1, "width": 10, "height": 20}, {"number": 3, "width": 5, "height": 5},
        {"number": 10, "width": 7, "height": 7}]})");
    EXPECT_EQ(readPictureEntries(*f, false), QStringList({"1 (10x20)", "3 (5x5)", "10 (7x7)"}));
}

// Pictures 0, 1, 2 and 4: a replace or a delete downloads all four before clearing, and picture
// 4 goes back (numbered anew after the others).
TEST_F(ClicheDevice, PicturesPastAGapSurviveAReplaceAndADelete) {
    const QByteArray gap = R"({"com": "COM7", "platform": "3", "pictures": [
        {"number": 0, "width": 8, "height": 8}, {"number": 1, "width": 16, "height": 16},
        {"number": 2, "width": 24, "height": 24}, {"number": 4, "width": 40, "height": 40}]})";
    auto f = open(gap);
    startLog();
    EXPECT_EQ(replaceNumbered(*f, 1, bmp("n.bmp", 4, 4)), Change::Done);
    const auto calls = log();
    EXPECT_EQ(methods(calls).count("downloadPicture"), 4);
    EXPECT_EQ(methods(calls).indexOf("clearPictures"),
              methods(calls).lastIndexOf("downloadPicture") + 1);
    EXPECT_EQ(readPictureEntries(*f, false),
              QStringList({"0 (8x8)", "1 (4x4)", "2 (24x24)", "3 (40x40)"}));

    f = open(gap);
    EXPECT_EQ(deleteNumbered(*f, 2), Change::Done);
    EXPECT_EQ(readPictureEntries(*f, false), QStringList({"0 (8x8)", "1 (16x16)", "2 (40x40)"}));
    // a number the register does not hold: nothing is cleared
    f = open(gap);
    EXPECT_EQ(deleteNumbered(*f, 3), Change::NotRead);
    EXPECT_EQ(readPictureEntries(*f, false).size(), 4);
}

TEST_F(ClicheDevice, EntryNumbersComeOnlyFromZeroToTen) {
    EXPECT_EQ(entryNumber("2 (384x120)"), 2);
    EXPECT_EQ(entryNumber("10 (1x1)"), 10);
    EXPECT_EQ(entryNumber("0"), 0);
    for (const char* bad : {"11 (1x1)", "", "-1", "../x", "1a (2x2)", "100"})
        EXPECT_FALSE(entryNumber(bad).has_value()) << bad;
    WorkFolder work;
    EXPECT_TRUE(work.pictureFile(11).isEmpty());
    EXPECT_EQ(QFileInfo(work.pictureFile(10)).fileName(), "10.bmp");
    EXPECT_EQ(QFileInfo(work.pictureFile(10)).absolutePath(), QDir(work.path()).absolutePath());
}

TEST_F(ClicheDevice, ReplaceDownloadsAllClearsAndUploadsInListOrder) {
    auto f = openNumbered();
    const QString chosen = bmp("new.bmp", 100, 50);
    const QStringList foldersBefore = kktpicsFolders();
    startLog();
    EXPECT_EQ(replaceNumbered(*f, 1, chosen), Change::Done);
    const auto calls = log();
    EXPECT_EQ(methods(calls).filter("Picture"),
              QStringList({"downloadPicture", "downloadPicture", "downloadPicture", "clearPictures",
                           "uploadPictureMemory", "uploadPictureMemory", "uploadPictureMemory"}));
    const QStringList files = uploadedFiles(calls, f->c("LIBFPTR_PARAM_FILENAME"));
    ASSERT_EQ(files.size(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(QFileInfo(files[i]).fileName(), QString("%1.bmp").arg(i));
    // the work files were in a folder of their own in the temp directory, gone afterwards
    EXPECT_TRUE(QFileInfo(files[0]).absolutePath().startsWith(QDir::tempPath()));
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(files[0]).absolutePath()));
    EXPECT_EQ(kktpicsFolders(), foldersBefore);
    EXPECT_EQ(readPictureEntries(*f, false),
              QStringList({"0 (384x120)", "1 (100x50)", "2 (64x64)"}));
}

TEST_F(ClicheDevice, AFailedUploadLeavesTheMemoryAsBefore) {
    auto f = openNumbered();
    // keep real files in memory so their bytes can be compared
    f->run(drv::members::clearPictures);
    for (auto [w, h] : {std::pair{384, 120}, {200, 200}, {64, 64}})
        ASSERT_TRUE(uploadSucceeded(uploadPictureMemory(*f, bmp(QString("p%1.bmp").arg(w), w, h))));
    const QList<QByteArray> before = memory(*f);
    ASSERT_EQ(before.size(), 3);
    const QString tooWide = bmp("wide.bmp", 1000, 10);
    startLog();
    EXPECT_EQ(replaceNumbered(*f, 1, tooWide), Change::UploadFailed);
    const auto calls = log();
    // the second upload fails with the register's code for an oversized picture
    int uploads = 0;
    for (const auto& o : calls) {
        if (o.value("method").toString() != "uploadPictureMemory") continue;
        ++uploads;
        EXPECT_EQ(o.value("error").toInt(), uploads == 2 ? 156 : 0) << "upload " << uploads;
    }
    EXPECT_EQ(uploads, 5);
    EXPECT_EQ(methods(calls).count("clearPictures"), 2);
    const QStringList files = uploadedFiles(calls, f->c("LIBFPTR_PARAM_FILENAME"));
    QStringList names;
    for (const auto& p : files) names << QFileInfo(p).fileName();
    EXPECT_EQ(names, QStringList({"0.bmp", "1.bmp", "0.bmp", "1.bmp", "2.bmp"}));
    EXPECT_EQ(memory(*f), before);
}

TEST_F(ClicheDevice, AFailedDownloadTouchesNoPicture) {
    auto f = open(R"({"com": "COM7", "platform": "3", "pictures": [
        {"number": 0, "width": 8, "height": 8}, {"number": 1, "width": 16, "height": 16}],
        "errors": [{"method": "downloadPicture", "code": 51, "fromCall": 2, "times": 1}]})");
    startLog();
    EXPECT_EQ(replaceNumbered(*f, 0, bmp("n.bmp", 4, 4)), Change::NotRead);
    EXPECT_EQ(deleteNumbered(*f, 0), Change::Done);  // the fault was a single one
    const QStringList calls = methods(log()).filter("Picture");
    EXPECT_EQ(calls.mid(0, 3),
              QStringList({"downloadPicture", "downloadPicture", "downloadPicture"}));
    EXPECT_EQ(calls.count("clearPictures"), 1);  // only the delete cleared
    EXPECT_EQ(readPictureEntries(*f, false), QStringList({"0 (16x16)"}));
}

TEST_F(ClicheDevice, DeleteUploadsTheOthersInOrder) {
    auto f = openNumbered();
    startLog();
    EXPECT_EQ(deleteNumbered(*f, 0), Change::Done);
    const auto calls = log();
    EXPECT_EQ(methods(calls).filter("Picture"),
              QStringList({"downloadPicture", "downloadPicture", "downloadPicture", "clearPictures",
                           "uploadPictureMemory", "uploadPictureMemory", "uploadPictureMemory"}));
    QStringList names;
    for (const auto& p : uploadedFiles(calls, f->c("LIBFPTR_PARAM_FILENAME")))
        names << QFileInfo(p).fileName();
    EXPECT_EQ(names, QStringList({"0.bmp", "1.bmp", "2.bmp"}));
    EXPECT_EQ(readPictureEntries(*f, false), QStringList({"0 (200x200)", "1 (64x64)"}));
}

TEST_F(ClicheDevice, ADeleteThatLosesAnotherPictureSaysSo) {
    auto f = open(R"({"com": "COM7", "platform": "3", "pictures": [
        {"number": 0, "width": 8, "height": 8}, {"number": 1, "width": 16, "height": 16},
        {"number": 2, "width": 24, "height": 24}],
        "errors": [{"method": "uploadPictureMemory", "code": 50, "fromCall": 2, "times": 1}]})");
    EXPECT_EQ(deleteNumbered(*f, 0), Change::UploadFailed);
    EXPECT_EQ(readPictureEntries(*f, false), QStringList({"0 (24x24)"}));
}

TEST_F(ClicheDevice, SingleClichePictureListsAndPrintsThroughAFile) {
    auto f = open(R"({"com": "COM7", "platform": "5"})");
    EXPECT_TRUE(readPictureEntries(*f, true).isEmpty());
    EXPECT_TRUE(uploadSucceeded(uploadPictureCliche(*f, bmp("c.bmp", 300, 100))));
    EXPECT_EQ(readPictureEntries(*f, true), QStringList({"0"}));
    // a second upload replaces the one picture; a file that is no image is refused
    EXPECT_FALSE(uploadSucceeded(uploadPictureCliche(*f, dir.filePath("none.bmp"))));
    QFile junk(dir.filePath("junk.png"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not an image");
    junk.close();
    EXPECT_FALSE(uploadSucceeded(uploadPictureCliche(*f, junk.fileName())));
    EXPECT_NE(f->errorCode(), 0);
    printPicture(*f, 0, true);
    const auto pictures = reg()->journal->texts("picture");
    ASSERT_EQ(pictures.size(), 1);
    EXPECT_EQ(QFileInfo(pictures[0]).fileName(), "0");
    EXPECT_FALSE(QFileInfo::exists(pictures[0]));  // the print file is removed afterwards
}

TEST_F(ClicheDevice, ClicheLinesAreSettingsInRegisterForm) {
    auto f = open(R"({"com": "COM7", "platform": "5"})");
    QStringList rows(10);
    rows[0] = QString::fromUtf8("ᚥ01ᚥТекст");
    rows[9] = "Last";
    EXPECT_EQ(writeCliche(*f, ui, rows), 0);
    EXPECT_TRUE(ui.shown.isEmpty());
    f->setParam(drv::names::LIBFPTR_PARAM_SETTING_ID, 184);
    f->readDeviceSetting();
    EXPECT_EQ(f->getParamString(drv::names::LIBFPTR_PARAM_SETTING_VALUE),
              QString::fromUtf8("⤊01⤊Текст"));
    EXPECT_EQ(readCliche(*f), rows);

    // a line too long for its setting is not lost behind the commit's success: the first
    // refused line is named with the register's error, the others are written
    rows[1] = QString(500, 'x');
    rows[2] = "C";
    EXPECT_EQ(writeCliche(*f, ui, rows), 164);
    ASSERT_EQ(ui.shown.size(), 1);
    EXPECT_TRUE(ui.shown[0].text.startsWith(QString::fromUtf8("Строка клише 2 не записана: (164)")))
        << ui.shown[0].text.toStdString();
    EXPECT_EQ(readCliche(*f).value(2), "C");
}

TEST_F(ClicheDevice, FooterIsSentAsOneTextAndCopiedPerSerialNumber) {
    auto f = open(R"({"com": "COM7", "platform": "3", "serial": "0042"})");
    QStringList rows(10);
    rows[0] = "A";
    rows[1] = QString::fromUtf8("ᚥ02ᚥB");
    rows[3] = "D";
    EXPECT_EQ(writeFooter(*f, ui, rows), 0);
    EXPECT_EQ(reg()->footerLines, QStringList({"A", QString::fromUtf8("⤊02⤊B"), "", "D"}));

    const QString ini = dir.filePath("pf/set.ini");
    {
        app::IniFile other;
        other.setValue("Fset", "save", "1");
        other.setValue("Footer-0042", "11", "old");
        QDir().mkpath(dir.filePath("pf"));
        ASSERT_TRUE(other.save(ini));
    }
    EXPECT_FALSE(loadFooter(ini, "0099").has_value());
    ASSERT_TRUE(storeFooter(ini, "0042", rows));
    app::IniFile stored;
    ASSERT_TRUE(stored.load(ini));
    EXPECT_EQ(stored.value("Fset", "save"), "1");
    EXPECT_EQ(stored.keys("Footer-0042").size(), 10);  // the old section was replaced whole
    EXPECT_EQ(stored.value("Footer-0042", "2"), QString::fromUtf8("⤊02⤊B"));
    EXPECT_TRUE(stored.hasKey("Footer-0042", "10"));
    EXPECT_EQ(loadFooter(ini, "0042"), std::optional<QStringList>(rows));

    // a serial number that would break the file's lines stays inside its section's name
    EXPECT_EQ(footerSection("00106107311234"), "Footer-00106107311234");
    const QString hostile = "1]\n[Fset]\nsave=0";
    EXPECT_EQ(footerSection(hostile), "Footer-1___Fset__save_0");
    ASSERT_TRUE(storeFooter(ini, hostile, rows));
    ASSERT_TRUE(stored.load(ini));
    EXPECT_EQ(stored.value("Fset", "save"), "1");
    EXPECT_EQ(loadFooter(ini, hostile), std::optional<QStringList>(rows));

    // a damaged INI file is not overwritten by the footer copy
    QFile bad(ini);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly | QIODevice::Truncate));
    bad.write("no section at all\n");
    bad.close();
    EXPECT_FALSE(storeFooter(ini, "0042", rows));
    ASSERT_TRUE(bad.open(QIODevice::ReadOnly));
    EXPECT_EQ(bad.readAll(), QByteArray("no section at all\n"));
}

TEST_F(ClicheDevice, TestReceiptLinesForTheLineLength) {
    EXPECT_EQ(twoPartLine("ab", "cd", 6), "ab  cd");
    EXPECT_EQ(twoPartLine("abc", "def", 5), "abcdef");
    auto f = open(R"({"com": "COM7", "platform": "3", "lineLength": 32})");
    printTestReceipt(*f, ui, false);
    EXPECT_TRUE(ui.shown.isEmpty());
    const QStringList text = reg()->journal->texts("text");
    ASSERT_EQ(text.size(), 11);
    EXPECT_EQ(text[0], QString::fromUtf8("ЧИПСЫ  50.00 * 3ШТ.") + QString(6, ' ') + "=150.00");
    EXPECT_EQ(text[0].size(), 32);
    EXPECT_EQ(text[6], QString(32, '='));
    EXPECT_EQ(text[7], QString::fromUtf8("ИТОГ") + QString(21, ' ') + "=450.00");
    EXPECT_EQ(text[10], QString::fromUtf8("БЕЗНАЛИЧНЫМИ") + QString(15, ' ') + "=0.00");
    EXPECT_EQ(reg()->journal->texts("nonfiscal"), QStringList({"begin", "end"}));
    EXPECT_EQ(reg()->journal->texts("barcode"), QStringList({kTestReceiptAddress}));

    f = open(R"({"com": "COM7", "platform": "5", "lineLength": 48})");
    printTestReceipt(*f, ui, true);
    const auto items = reg()->journal->items();
    QList<emu::PrintedItem> lines;
    for (const auto& i : items)
        if (i.kind == "text") lines << i;
    ASSERT_EQ(lines.size(), 11);
    EXPECT_EQ(lines[7].text, QString::fromUtf8("ИТОГ") + QString(13, ' ') + "=450.00");
    EXPECT_EQ(lines[7].extra.value("doubleWidth").toVariant().toString(), "true");
    EXPECT_EQ(lines[7].extra.value("font").toVariant().toInt(), 2);
}

TEST_F(ClicheDevice, PrintClicheReportsAnErrorAndFeedsFiveLines) {
    auto f = open(R"({"com": "COM7", "platform": "5",
        "errors": [{"method": "printCliche", "code": 44, "description": "Нет бумаги"}]})");
    printCliche(*f, ui);
    ASSERT_EQ(ui.shown.size(), 1);
    EXPECT_EQ(ui.shown[0].text, QString::fromUtf8("(44) Нет бумаги"));
    EXPECT_EQ(reg()->journal->texts("text").size(), 5);
}
