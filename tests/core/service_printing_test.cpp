// Text and barcode printing: the option lists, the symbology and correction tables, the range
// rules, and both print jobs against the virtual register (calls, journal, refusals).
#include <gtest/gtest.h>

#include "driver/Names.h"
#include "emulator/PrintJournal.h"
#include "service/Printing.h"
#include "tests/core/service_fakes.h"

namespace {

using namespace service;
using service_test::Bench;
using service_test::RecordingUi;

QStringList range(int from, int to) {
    QStringList out;
    for (int i = from; i <= to; ++i) out << QString::number(i);
    return out;
}

int value(const char* name) {
    return emu::k(name);
}

TEST(ServicePrintingRules, TextListsFollowThePlatform) {
    const TextPrintLists old = textPrintLists(false);
    EXPECT_EQ(old.font, (OptionList{range(1, 7), 0, true}));
    EXPECT_EQ(old.font.items[old.font.selected], "1");
    EXPECT_EQ(old.brightness.items[old.brightness.selected], "12");
    EXPECT_EQ(old.brightness.items, range(0, 15));
    EXPECT_EQ(old.lineSpacing.items[old.lineSpacing.selected], "5");
    EXPECT_TRUE(old.lineSpacing.enabled);

    const TextPrintLists p5 = textPrintLists(true);
    EXPECT_EQ(p5.font, (OptionList{range(0, 3), 0, true}));
    EXPECT_EQ(p5.brightness, (OptionList{{}, -1, false}));
    EXPECT_EQ(p5.lineSpacing, (OptionList{{}, -1, false}));
}

TEST(ServicePrintingRules, AlignmentPositionsAndTheirConstants) {
    EXPECT_EQ(alignmentItems(), QStringList({"Слева", "По центру", "Справа"}));
    EXPECT_EQ(alignmentItems()[kDefaultAlignment], "По центру");
    EXPECT_EQ(value(alignmentConstant(0)), value(drv::names::LIBFPTR_ALIGNMENT_LEFT));
    EXPECT_EQ(value(alignmentConstant(1)), value(drv::names::LIBFPTR_ALIGNMENT_CENTER));
    EXPECT_EQ(value(alignmentConstant(2)), value(drv::names::LIBFPTR_ALIGNMENT_RIGHT));
    EXPECT_NE(value(alignmentConstant(0)), value(alignmentConstant(2)));
}

TEST(ServicePrintingRules, SymbologyTableAndLookUp) {
    EXPECT_EQ(symbologyItems(), QStringList({"EAN-8", "EAN-13", "UPC-A", "UPC-E", "Code 39",
                                             "Code 93", "Code 128", "QR-код", "PDF417"}));
    // the driver's published values of the nine symbologies, in list order
    const QList<int> published = {0, 1, 2, 3, 4, 5, 6, 11, 12};
    QList<int> constants;
    for (const auto& s : symbologies()) constants << value(s.constant);
    EXPECT_EQ(constants, published);

    ASSERT_NE(findSymbology("  qr-КОД "), nullptr);
    EXPECT_EQ(findSymbology("  qr-КОД ")->kind, BarcodeKind::Qr);
    ASSERT_NE(findSymbology("code 128"), nullptr);
    EXPECT_EQ(findSymbology("code 128")->item, "Code 128");
    EXPECT_EQ(findSymbology("PDF-417"), nullptr);
    EXPECT_EQ(findSymbology(""), nullptr);
}

TEST(ServicePrintingRules, CorrectionListsAndConstants) {
    EXPECT_EQ(qrCorrectionItems(), QStringList({"По умолчанию", "Уровень L (7%)", "Уровень M (15%)",
                                                "Уровень Q (25%)", "Уровень H (30%)"}));
    const QStringList pdf = pdf417CorrectionItems();
    ASSERT_EQ(pdf.size(), 10);
    EXPECT_EQ(pdf[0], "По умолчанию");
    EXPECT_EQ(pdf[1], "Уровень 0");
    EXPECT_EQ(pdf[9], "Уровень 8");

    EXPECT_EQ(value(correctionConstant(BarcodeKind::Qr, 0)), value(drv::names::LIBFPTR_BC_DEFAULT));
    EXPECT_EQ(value(correctionConstant(BarcodeKind::Qr, 4)), value(drv::names::LIBFPTR_BC_3));
    EXPECT_EQ(value(correctionConstant(BarcodeKind::Pdf417, 9)), value(drv::names::LIBFPTR_BC_8));
    for (int p = 0; p < 10; ++p)
        EXPECT_EQ(value(correctionConstant(BarcodeKind::Pdf417, p)), p) << p;  // BC_n = n + 1
    EXPECT_EQ(correctionConstant(BarcodeKind::Qr, 5), nullptr);
    EXPECT_EQ(correctionConstant(BarcodeKind::Pdf417, 10), nullptr);
    EXPECT_EQ(correctionConstant(BarcodeKind::Linear, 0), nullptr);
    EXPECT_EQ(correctionConstant(BarcodeKind::Qr, -1), nullptr);
}

TEST(ServicePrintingRules, ControlsForEachSymbology) {
    const BarcodeControls qr = barcodeControlsFor("QR-код");
    EXPECT_FALSE(qr.heightEnabled);
    EXPECT_TRUE(qr.listsEnabled && qr.rebuildLists);
    EXPECT_EQ(qr.versionLabel, "Версия");
    EXPECT_EQ(qr.correctionItems, qrCorrectionItems());
    EXPECT_EQ(qr.versionItems, range(0, 40));
    EXPECT_EQ(qr.versionItems[qr.versionSelected], "0");
    EXPECT_EQ(qr.scale, "7");

    const BarcodeControls pdf = barcodeControlsFor("PDF417");
    EXPECT_FALSE(pdf.heightEnabled);
    EXPECT_EQ(pdf.versionLabel, "Столбцы");
    EXPECT_EQ(pdf.correctionItems, pdf417CorrectionItems());
    EXPECT_EQ(pdf.versionItems, range(1, 32));
    EXPECT_EQ(pdf.versionItems[pdf.versionSelected], "1");
    EXPECT_EQ(pdf.scale, "1");

    for (const char* linear :
         {"EAN-8", "EAN-13", "UPC-A", "UPC-E", "Code 39", "Code 93", "Code 128"}) {
        const BarcodeControls c = barcodeControlsFor(linear);
        EXPECT_TRUE(c.heightEnabled) << linear;
        EXPECT_FALSE(c.listsEnabled) << linear;
        EXPECT_FALSE(c.rebuildLists) << linear;
        EXPECT_EQ(c.scale, "1") << linear;
    }
}

TEST(ServicePrintingRules, RangeChecks) {
    const QList<std::pair<QString, QString>> heights = {
        {"300", "200"},  {"201", "200"},
        {"200", "200"},  {"199", "199"},
        {"0", "0"},      {"", "32"},
        {"0300", "200"}, {"0150", "0150"},
        {"abc", "32"},   {"99999999999999999999", "200"}};
    for (const auto& [in, out] : heights) EXPECT_EQ(checkedHeight(in), out) << in.toStdString();
    const QList<std::pair<QString, QString>> scales = {
        {"51", "50"}, {"50", "50"}, {"7", "7"}, {"", "1"}, {"1000", "50"}};
    for (const auto& [in, out] : scales) EXPECT_EQ(checkedScale(in), out) << in.toStdString();
}

// --- through the virtual register

TEST(ServicePrinting, TextWithEveryOption) {
    Bench b;
    RecordingUi ui;
    TextPrintJob job;
    job.text = "Первая строка\nВторая";
    job.alignmentPosition = 2;
    job.font = "4";
    job.brightness = "12";
    job.lineSpacing = "5";
    job.doubleWidth = true;
    EXPECT_EQ(printText(*b.fptr, ui, job), 0);
    EXPECT_TRUE(ui.messages.isEmpty());
    using namespace drv::names;
    QList<int> ids;
    for (const auto& p : b.params()) ids << p.first;
    EXPECT_EQ(ids,
              (QList<int>{value(LIBFPTR_PARAM_TEXT), value(LIBFPTR_PARAM_ALIGNMENT),
                          value(LIBFPTR_PARAM_FONT), value(LIBFPTR_PARAM_BRIGHTNESS),
                          value(LIBFPTR_PARAM_LINESPACING), value(LIBFPTR_PARAM_FONT_DOUBLE_WIDTH),
                          value(LIBFPTR_PARAM_FONT_DOUBLE_HEIGHT)}));
    EXPECT_EQ(b.param(LIBFPTR_PARAM_ALIGNMENT),
              QVariant(QString::number(value(LIBFPTR_ALIGNMENT_RIGHT))));
    EXPECT_EQ(b.param(LIBFPTR_PARAM_FONT_DOUBLE_WIDTH).typeId(), QMetaType::Bool);
    EXPECT_EQ(b.methods().filter("printText").size(), 1);

    const auto items = b.reg()->journal->items();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].kind, "text");
    EXPECT_EQ(items[0].text, "Первая строка\nВторая");
    EXPECT_EQ(items[0].extra.value("font").toString(), "4");
    EXPECT_EQ(items[0].extra.value("alignment").toString(), "2");
    EXPECT_TRUE(items[0].extra.value("doubleWidth").toBool());
    EXPECT_FALSE(items[0].extra.value("doubleHeight").toBool());
    EXPECT_EQ(items[0].extra.value("lineSpacing").toString(), "5");
}

TEST(ServicePrinting, EmptyTextAndEmptyListsArePassedAndAFaultIsShown) {
    Bench b(R"({"com": "COM7", "platform": "5", "flags": {"coverOpened": true}})");
    RecordingUi ui;
    TextPrintJob job;  // empty text, no brightness or spacing as on a platform-5 register
    job.font = "0";
    const int code = printText(*b.fptr, ui, job);
    EXPECT_EQ(code, value(drv::names::LIBFPTR_ERROR_COVER_OPENED));
    EXPECT_EQ(ui.messages, QStringList({QStringLiteral("(%1) Открыта крышка").arg(code)}));
    EXPECT_EQ(b.param(drv::names::LIBFPTR_PARAM_BRIGHTNESS), QVariant(QString()));
    EXPECT_EQ(b.param(drv::names::LIBFPTR_PARAM_LINESPACING), QVariant(QString()));
    EXPECT_EQ(b.param(drv::names::LIBFPTR_PARAM_TEXT), QVariant(QString()));
    EXPECT_EQ(b.reg()->journal->size(), 0);
}

BarcodePrintJob barcode(const QString& type, const QString& data) {
    BarcodePrintJob j;
    j.symbology = type;
    j.data = data;
    j.leftMargin = "0";
    j.height = "32";
    j.scale = "1";
    return j;
}

TEST(ServicePrinting, QrCodeWithLevelHAndVersion) {
    Bench b;
    RecordingUi ui;
    auto job = barcode("QR-код", "https://example.ru/?a=1");
    job.scale = "7";
    job.correctionPosition = 4;
    job.versionOrColumns = "12";
    job.printData = true;
    const auto r = printBarcode(*b.fptr, ui, job);
    EXPECT_EQ(r.outcome, BarcodeOutcome::Printed);
    using namespace drv::names;
    EXPECT_EQ(b.param(LIBFPTR_PARAM_BARCODE_TYPE), QVariant(QString("11")));
    EXPECT_EQ(b.param(LIBFPTR_PARAM_BARCODE_CORRECTION),
              QVariant(QString::number(value(LIBFPTR_BC_3))));
    EXPECT_EQ(b.param(LIBFPTR_PARAM_BARCODE_VERSION), QVariant(QString("12")));
    EXPECT_FALSE(b.param(LIBFPTR_PARAM_BARCODE_COLUMNS).isValid());
    // the height goes with every symbology
    EXPECT_EQ(b.param(LIBFPTR_PARAM_HEIGHT), QVariant(QString("32")));
    const auto items = b.reg()->journal->items();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].kind, "barcode");
    EXPECT_EQ(items[0].text, "https://example.ru/?a=1");
    EXPECT_EQ(items[0].extra.value("type").toString(), "11");
    EXPECT_EQ(items[0].extra.value("correction").toString(), "4");
    EXPECT_EQ(items[0].extra.value("version").toString(), "12");
    EXPECT_EQ(items[0].extra.value("scale").toString(), "7");
    EXPECT_TRUE(items[0].extra.value("printText").toBool());
}

TEST(ServicePrinting, Pdf417WithTheLastLevelAndLinearCodesWithoutCorrection) {
    Bench b;
    RecordingUi ui;
    auto pdf = barcode("PDF417", "Velmor 123");
    pdf.correctionPosition = 9;
    pdf.versionOrColumns = "6";
    EXPECT_EQ(printBarcode(*b.fptr, ui, pdf).outcome, BarcodeOutcome::Printed);
    using namespace drv::names;
    EXPECT_EQ(b.param(LIBFPTR_PARAM_BARCODE_CORRECTION),
              QVariant(QString::number(value(LIBFPTR_BC_8))));
    EXPECT_EQ(b.param(LIBFPTR_PARAM_BARCODE_COLUMNS), QVariant(QString("6")));
    EXPECT_FALSE(b.param(LIBFPTR_PARAM_BARCODE_VERSION).isValid());

    b.calls.clear();
    auto ean = barcode("ean-13", "460123456789");
    ean.correctionPosition = 3;  // left from an earlier QR code: not sent
    ean.versionOrColumns = "5";
    EXPECT_EQ(printBarcode(*b.fptr, ui, ean).outcome, BarcodeOutcome::Printed);
    EXPECT_FALSE(b.param(LIBFPTR_PARAM_BARCODE_CORRECTION).isValid());
    EXPECT_FALSE(b.param(LIBFPTR_PARAM_BARCODE_VERSION).isValid());
    EXPECT_FALSE(b.param(LIBFPTR_PARAM_BARCODE_COLUMNS).isValid());
    EXPECT_EQ(b.param(LIBFPTR_PARAM_BARCODE_TYPE), QVariant(QString("1")));
    EXPECT_EQ(b.param(LIBFPTR_PARAM_BARCODE_PRINT_TEXT), QVariant(false));
    EXPECT_EQ(b.reg()->journal->texts("barcode"), QStringList({"Velmor 123", "460123456789"}));
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST(ServicePrinting, EmptyDataOrUnknownSymbologySendsNothing) {
    Bench b;
    RecordingUi ui;
    EXPECT_EQ(printBarcode(*b.fptr, ui, barcode("EAN-8", "")).outcome,
              BarcodeOutcome::NothingToPrint);
    EXPECT_EQ(printBarcode(*b.fptr, ui, barcode("Aztec", "12345")).outcome,
              BarcodeOutcome::NothingToPrint);
    EXPECT_TRUE(b.calls.isEmpty());
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(b.reg()->journal->size(), 0);
}

// --- what the register refuses

struct Refusal {
    const char* what;
    QString type;  // the type parameter as passed
    QString data;
    QList<std::pair<const char*, QString>> extra;
    const char* error;  // null: printed
};

TEST(ServiceRegisterRefusals, BarcodesTheRegisterCannotPrint) {
    using namespace drv::names;
    const QString longLatin(40, u'A');
    const QString tooLongForQr(2332, u'x');  // above what level M holds
    const QString fitsQrAtL(2900, u'x');
    const QList<Refusal> cases = {
        {"unknown type", "99", "123", {}, LIBFPTR_ERROR_BARCODE_TYPE_NOT_SUPPORTED},
        {"type the register lacks", "7", "A123A", {}, LIBFPTR_ERROR_BARCODE_TYPE_NOT_SUPPORTED},
        {"type not a number", "EAN", "1234567", {}, LIBFPTR_ERROR_BARCODE_TYPE_NOT_SUPPORTED},
        {"EAN-8 seven digits", "0", "1234567", {}, nullptr},
        {"EAN-8 letters", "0", "12345AB", {}, LIBFPTR_ERROR_INVALID_BARCODE_PARAMS},
        {"EAN-13 too short", "1", "46012345", {}, LIBFPTR_ERROR_INVALID_BARCODE_PARAMS},
        {"EAN-13 too long", "1", "46012345678901", {}, LIBFPTR_ERROR_INVALID_BARCODE_PARAMS},
        {"UPC-A", "2", "03600029145", {}, nullptr},
        {"UPC-E number system 2", "3", "2123456", {}, LIBFPTR_ERROR_INVALID_BARCODE_PARAMS},
        {"UPC-E six digits", "3", "123456", {}, nullptr},
        // a full-length number carries its check digit, which must be right
        {"EAN-8 check digit", "0", "96385074", {}, nullptr},
        {"EAN-8 wrong check digit", "0", "96385075", {}, LIBFPTR_ERROR_INVALID_BARCODE_PARAMS},
        {"EAN-13 check digit", "1", "4006381333931", {}, nullptr},
        {"EAN-13 wrong check digit",
         "1",
         "4006381333932",
         {},
         LIBFPTR_ERROR_INVALID_BARCODE_PARAMS},
        {"UPC-A check digit", "2", "036000291452", {}, nullptr},
        {"UPC-A wrong check digit", "2", "036000291453", {}, LIBFPTR_ERROR_INVALID_BARCODE_PARAMS},
        {"UPC-E check digit of its UPC-A", "3", "04252614", {}, nullptr},
        {"UPC-E ending 5 to 9", "3", "01234565", {}, nullptr},
        {"UPC-E wrong check digit", "3", "04252613", {}, LIBFPTR_ERROR_INVALID_BARCODE_PARAMS},
        {"Code 39 lower case", "4", "abc", {}, LIBFPTR_ERROR_INVALID_BARCODE_PARAMS},
        {"Code 39 fits", "4", "VELMOR-39", {}, nullptr},
        {"Code 39 wider than the tape", "4", longLatin, {}, LIBFPTR_ERROR_INVALID_BARCODE_PARAMS},
        {"Code 93 Cyrillic", "5", "Касса", {}, LIBFPTR_ERROR_INVALID_BARCODE_PARAMS},
        {"Code 128 scaled off the tape",
         "6",
         "ABCDEF",
         {{LIBFPTR_PARAM_SCALE, "6"}},
         LIBFPTR_ERROR_INVALID_BARCODE_PARAMS},
        {"Code 128 scale 2", "6", "ABCDEF", {{LIBFPTR_PARAM_SCALE, "2"}}, nullptr},
        {"scale 0", "6", "ABC", {{LIBFPTR_PARAM_SCALE, "0"}}, LIBFPTR_ERROR_INVALID_BARCODE_PARAMS},
        {"height 0",
         "6",
         "ABC",
         {{LIBFPTR_PARAM_HEIGHT, "0"}},
         LIBFPTR_ERROR_INVALID_BARCODE_PARAMS},
        {"QR too long", "11", tooLongForQr, {}, LIBFPTR_ERROR_INVALID_BARCODE_PARAMS},
        {"QR level L holds more",
         "11",
         fitsQrAtL,
         {{LIBFPTR_PARAM_BARCODE_CORRECTION, "1"}},
         nullptr},
        {"QR version 1 level H holds 7 bytes",
         "11",
         "abcdefg",
         {{LIBFPTR_PARAM_BARCODE_VERSION, "1"}, {LIBFPTR_PARAM_BARCODE_CORRECTION, "4"}},
         nullptr},
        {"QR version 1 level H holds no 8 bytes",
         "11",
         "abcdefgh",
         {{LIBFPTR_PARAM_BARCODE_VERSION, "1"}, {LIBFPTR_PARAM_BARCODE_CORRECTION, "4"}},
         LIBFPTR_ERROR_INVALID_BARCODE_PARAMS},
        {"QR version 1 level H holds 17 digits",
         "11",
         "12345678901234567",
         {{LIBFPTR_PARAM_BARCODE_VERSION, "1"}, {LIBFPTR_PARAM_BARCODE_CORRECTION, "4"}},
         nullptr},
        // 177 modules of version 40 at 3 dots fit the 576 dots of the tape, at 4 they don't
        {"QR version 40 scale 3",
         "11",
         "x",
         {{LIBFPTR_PARAM_BARCODE_VERSION, "40"}, {LIBFPTR_PARAM_SCALE, "3"}},
         nullptr},
        {"QR version 40 scale 4",
         "11",
         "x",
         {{LIBFPTR_PARAM_BARCODE_VERSION, "40"}, {LIBFPTR_PARAM_SCALE, "4"}},
         LIBFPTR_ERROR_INVALID_BARCODE_PARAMS},
        {"QR of the smallest version for the data, scaled off the tape",
         "11",
         QString(500, u'x'),
         {{LIBFPTR_PARAM_SCALE, "7"}},
         LIBFPTR_ERROR_INVALID_BARCODE_PARAMS},
        {"QR version 41",
         "11",
         "x",
         {{LIBFPTR_PARAM_BARCODE_VERSION, "41"}},
         LIBFPTR_ERROR_INVALID_BARCODE_PARAMS},
        {"QR with a PDF417 level",
         "11",
         "x",
         {{LIBFPTR_PARAM_BARCODE_CORRECTION, "5"}},
         LIBFPTR_ERROR_INVALID_BARCODE_PARAMS},
        {"PDF417 31 columns",
         "12",
         "x",
         {{LIBFPTR_PARAM_BARCODE_COLUMNS, "31"}},
         LIBFPTR_ERROR_INVALID_BARCODE_PARAMS},
        {"PDF417 one column too small",
         "12",
         QString(200, u'z'),
         {{LIBFPTR_PARAM_BARCODE_COLUMNS, "1"}},
         LIBFPTR_ERROR_INVALID_BARCODE_PARAMS},
        {"PDF417 ten columns",
         "12",
         QString(200, u'z'),
         {{LIBFPTR_PARAM_BARCODE_COLUMNS, "10"}},
         nullptr},
        // ten columns are 239 modules: 478 dots at scale 2, 717 at 3
        {"PDF417 ten columns scale 2",
         "12",
         QString(200, u'z'),
         {{LIBFPTR_PARAM_BARCODE_COLUMNS, "10"}, {LIBFPTR_PARAM_SCALE, "2"}},
         nullptr},
        {"PDF417 ten columns scale 3",
         "12",
         QString(200, u'z'),
         {{LIBFPTR_PARAM_BARCODE_COLUMNS, "10"}, {LIBFPTR_PARAM_SCALE, "3"}},
         LIBFPTR_ERROR_INVALID_BARCODE_PARAMS},
    };
    for (const auto& c : cases) {
        Bench b;
        b.fptr->setParam(LIBFPTR_PARAM_BARCODE, c.data);
        b.fptr->setParam(LIBFPTR_PARAM_BARCODE_TYPE, c.type);
        for (const auto& [param, v] : c.extra) b.fptr->setParam(param, v);
        b.fptr->run(drv::members::printBarcode);
        const int want = c.error ? value(c.error) : 0;
        EXPECT_EQ(b.fptr->errorCode(), want) << c.what;
        EXPECT_EQ(b.reg()->journal->texts("barcode").size(), c.error ? 0 : 1) << c.what;
        if (c.error) {
            EXPECT_EQ(b.fptr->errorDescription(), emu::errorText(want)) << c.what;
        }
    }
}

TEST(ServiceRegisterRefusals, ARefusedBarcodeIsShownWithCodeAndDescription) {
    Bench b;
    RecordingUi ui;
    const auto r = printBarcode(*b.fptr, ui, barcode("EAN-8", "12"));
    EXPECT_EQ(r.outcome, BarcodeOutcome::Failed);
    EXPECT_EQ(r.errorCode, 157);
    EXPECT_EQ(ui.messages, QStringList({"(157) Неверные параметры штрихкода"}));
    EXPECT_EQ(b.reg()->journal->size(), 0);
}

}  // namespace
