#include "service/Printing.h"

#include "app/Ui.h"
#include "driver/Fptr.h"
#include "driver/Names.h"

namespace service {

using namespace drv::names;

namespace {

QStringList numbers(int from, int to) {
    QStringList out;
    for (int i = from; i <= to; ++i) out << QString::number(i);
    return out;
}

// A constant is passed as the decimal text of its value.
QString constantText(drv::Fptr& fptr, const char* name) {
    return QString::number(fptr.c(QLatin1String(name)));
}

}  // namespace

QStringList alignmentItems() {
    return {QStringLiteral("Слева"), QStringLiteral("По центру"), QStringLiteral("Справа")};
}

const char* alignmentConstant(int position) {
    switch (position) {
        case 0:
            return LIBFPTR_ALIGNMENT_LEFT;
        case 2:
            return LIBFPTR_ALIGNMENT_RIGHT;
        default:
            return LIBFPTR_ALIGNMENT_CENTER;
    }
}

TextPrintLists textPrintLists(bool isP5) {
    TextPrintLists l;
    if (isP5) {
        l.font = {numbers(0, 3), 0, true};
        l.brightness = {{}, -1, false};
        l.lineSpacing = {{}, -1, false};
    } else {
        l.font = {numbers(1, 7), 0, true};
        l.brightness = {numbers(0, 15), 12, true};
        l.lineSpacing = {numbers(0, 15), 5, true};
    }
    return l;
}

int printText(drv::Fptr& fptr, ui::IUi& ui, const TextPrintJob& job) {
    fptr.setParam(LIBFPTR_PARAM_TEXT, job.text);
    fptr.setParam(LIBFPTR_PARAM_ALIGNMENT,
                  constantText(fptr, alignmentConstant(job.alignmentPosition)));
    fptr.setParam(LIBFPTR_PARAM_FONT, job.font);
    fptr.setParam(LIBFPTR_PARAM_BRIGHTNESS, job.brightness);
    fptr.setParam(LIBFPTR_PARAM_LINESPACING, job.lineSpacing);
    fptr.setParam(LIBFPTR_PARAM_FONT_DOUBLE_WIDTH, job.doubleWidth);
    fptr.setParam(LIBFPTR_PARAM_FONT_DOUBLE_HEIGHT, job.doubleHeight);
    fptr.run(drv::members::printText);
    return ui::reportDriverError(fptr, ui, true);
}

const QList<Symbology>& symbologies() {
    static const QList<Symbology> list = {
        {QStringLiteral("EAN-8"), LIBFPTR_BT_EAN_8, BarcodeKind::Linear, QStringLiteral("1")},
        {QStringLiteral("EAN-13"), LIBFPTR_BT_EAN_13, BarcodeKind::Linear, QStringLiteral("1")},
        {QStringLiteral("UPC-A"), LIBFPTR_BT_UPC_A, BarcodeKind::Linear, QStringLiteral("1")},
        {QStringLiteral("UPC-E"), LIBFPTR_BT_UPC_E, BarcodeKind::Linear, QStringLiteral("1")},
        {QStringLiteral("Code 39"), LIBFPTR_BT_CODE_39, BarcodeKind::Linear, QStringLiteral("1")},
        {QStringLiteral("Code 93"), LIBFPTR_BT_CODE_93, BarcodeKind::Linear, QStringLiteral("1")},
        {QStringLiteral("Code 128"), LIBFPTR_BT_CODE_128, BarcodeKind::Linear, QStringLiteral("1")},
        {QStringLiteral("QR-код"), LIBFPTR_BT_QR, BarcodeKind::Qr, QStringLiteral("7")},
        {QStringLiteral("PDF417"), LIBFPTR_BT_PDF417, BarcodeKind::Pdf417, QStringLiteral("1")},
    };
    return list;
}

QStringList symbologyItems() {
    QStringList out;
    for (const auto& s : symbologies()) out << s.item;
    return out;
}

const Symbology* findSymbology(const QString& text) {
    const QString t = text.trimmed();
    for (const auto& s : symbologies())
        if (s.item.compare(t, Qt::CaseInsensitive) == 0) return &s;
    return nullptr;
}

QStringList qrCorrectionItems() {
    return {QStringLiteral("По умолчанию"), QStringLiteral("Уровень L (7%)"),
            QStringLiteral("Уровень M (15%)"), QStringLiteral("Уровень Q (25%)"),
            QStringLiteral("Уровень H (30%)")};
}

QStringList pdf417CorrectionItems() {
    QStringList out{QStringLiteral("По умолчанию")};
    for (int d = 0; d <= 8; ++d) out << QStringLiteral("Уровень ") + QString::number(d);
    return out;
}

const char* correctionConstant(BarcodeKind kind, int position) {
    static const char* const levels[] = {
        LIBFPTR_BC_DEFAULT, LIBFPTR_BC_0, LIBFPTR_BC_1, LIBFPTR_BC_2, LIBFPTR_BC_3,
        LIBFPTR_BC_4,       LIBFPTR_BC_5, LIBFPTR_BC_6, LIBFPTR_BC_7, LIBFPTR_BC_8};
    int count = 0;
    if (kind == BarcodeKind::Qr) count = 5;
    if (kind == BarcodeKind::Pdf417) count = 10;
    if (position < 0 || position >= count) return nullptr;
    return levels[position];
}

BarcodeControls barcodeControlsFor(const QString& symbologyText) {
    BarcodeControls c;
    const Symbology* s = findSymbology(symbologyText);
    const BarcodeKind kind = s ? s->kind : BarcodeKind::Linear;
    c.scale = s ? s->scale : kDefaultScale;
    if (kind == BarcodeKind::Linear) return c;
    c.heightEnabled = false;
    c.listsEnabled = true;
    c.rebuildLists = true;
    if (kind == BarcodeKind::Qr) {
        c.versionLabel = QStringLiteral("Версия");
        c.correctionItems = qrCorrectionItems();
        c.versionItems = numbers(0, 40);
    } else {
        c.versionLabel = QStringLiteral("Столбцы");
        c.correctionItems = pdf417CorrectionItems();
        c.versionItems = numbers(1, 32);
    }
    return c;
}

QString rangeChecked(const QString& text, int max, const QString& empty) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return empty;
    for (QChar ch : t)
        if (ch < u'0' || ch > u'9') return empty;
    qsizetype first = 0;
    while (first < t.size() - 1 && t[first] == u'0') ++first;
    const QString digits = t.mid(first);
    // more digits than the limit has is always above it
    if (digits.size() > QString::number(max).size() || digits.toInt() > max)
        return QString::number(max);
    return text;
}

BarcodePrintResult printBarcode(drv::Fptr& fptr, ui::IUi& ui, const BarcodePrintJob& job) {
    BarcodePrintResult r;
    if (job.data.isEmpty()) return r;
    const Symbology* s = findSymbology(job.symbology);
    if (!s) return r;
    fptr.setParam(LIBFPTR_PARAM_BARCODE, job.data);
    fptr.setParam(LIBFPTR_PARAM_BARCODE_TYPE, constantText(fptr, s->constant));
    fptr.setParam(LIBFPTR_PARAM_LEFT_MARGIN, job.leftMargin);
    fptr.setParam(LIBFPTR_PARAM_HEIGHT, job.height);
    fptr.setParam(LIBFPTR_PARAM_SCALE, job.scale);
    if (s->kind != BarcodeKind::Linear) {
        const char* level = correctionConstant(s->kind, job.correctionPosition);
        fptr.setParam(LIBFPTR_PARAM_BARCODE_CORRECTION,
                      constantText(fptr, level ? level : LIBFPTR_BC_DEFAULT));
        fptr.setParam(s->kind == BarcodeKind::Qr ? LIBFPTR_PARAM_BARCODE_VERSION
                                                 : LIBFPTR_PARAM_BARCODE_COLUMNS,
                      job.versionOrColumns);
    }
    fptr.setParam(LIBFPTR_PARAM_BARCODE_PRINT_TEXT, job.printData);
    fptr.run(drv::members::printBarcode);
    r.errorCode = ui::reportDriverError(fptr, ui, true);
    r.outcome = r.errorCode == 0 ? BarcodeOutcome::Printed : BarcodeOutcome::Failed;
    return r;
}

}  // namespace service
