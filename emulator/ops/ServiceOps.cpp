// What the register refuses when asked to print a barcode: a type it doesn't know, data the
// symbology can't encode or that doesn't fit on the tape, and geometry out of range.
#include <QRegularExpression>

#include "emulator/ops/Call.h"

namespace emu {
namespace {

using namespace drv::names;

// A character is this many dots wide in the standard font; the tape holds `lineLength` of them.
constexpr int kDotsPerCharacter = 12;
constexpr int kMaxBarcodeHeight = 255;
constexpr int kMaxScale = 50;
constexpr int kMaxQrVersion = 40;
constexpr int kMaxPdf417Columns = 30;
constexpr int kMaxPdf417Rows = 90;
constexpr int kMaxPdf417Codewords = 928;

bool allDigits(const QString& s) {
    for (QChar ch : s)
        if (ch < u'0' || ch > u'9') return false;
    return true;
}

bool ascii(const QString& s) {
    for (QChar ch : s)
        if (ch.unicode() > 127) return false;
    return true;
}

// A number parameter passed as text or number; `fallback` when it is not set, nullopt when it
// is set but no non-negative integer.
std::optional<int> number(const Call& c, std::string_view param, int fallback) {
    const QVariant v = c.in(param);
    if (!v.isValid()) return fallback;
    if (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty()) return fallback;
    const auto n = c.inNumber(param);
    if (!n || *n < 0 || *n > INT_MAX) return std::nullopt;
    return int(*n);
}

// Modules (narrowest bar widths) of a linear code with `data`; 0 when the symbology can't encode
// the data.
int linearModules(int type, const QString& data) {
    const auto is = [type](const char* name) { return type == k(name); };
    if (is(LIBFPTR_BT_EAN_8))
        return allDigits(data) && (data.size() == 7 || data.size() == 8) ? 67 : 0;
    if (is(LIBFPTR_BT_EAN_13))
        return allDigits(data) && (data.size() == 12 || data.size() == 13) ? 95 : 0;
    if (is(LIBFPTR_BT_UPC_A))
        return allDigits(data) && (data.size() == 11 || data.size() == 12) ? 95 : 0;
    if (is(LIBFPTR_BT_UPC_E)) {
        if (!allDigits(data) || data.size() < 6 || data.size() > 8) return 0;
        // with 7 or 8 digits the first is the number system, 0 or 1
        if (data.size() > 6 && data[0] != u'0' && data[0] != u'1') return 0;
        return 51;
    }
    if (is(LIBFPTR_BT_CODE_39)) {
        static const QRegularExpression set(QStringLiteral("^[0-9A-Z \\-.$/+%]+$"));
        if (!set.match(data).hasMatch()) return 0;
        // start, data and stop characters of 12 modules each (wide bars three times narrow),
        // with a narrow gap between characters
        return (int(data.size()) + 2) * 16 - 1;
    }
    if (is(LIBFPTR_BT_CODE_93)) {
        if (!ascii(data)) return 0;
        static const QRegularExpression basic(QStringLiteral("[0-9A-Z \\-.$/+%]"));
        int symbols = 0;
        for (QChar ch : data) symbols += basic.match(QString(ch)).hasMatch() ? 1 : 2;
        // start, two check characters, stop and the termination bar
        return (symbols + 4) * 9 + 1;
    }
    if (is(LIBFPTR_BT_CODE_128)) {
        if (!ascii(data)) return 0;
        // digits pair up in code set C
        const int symbols =
            allDigits(data) && data.size() % 2 == 0 ? int(data.size()) / 2 : int(data.size());
        // start, check and the 13-module stop
        return (symbols + 2) * 11 + 13;
    }
    return -1;
}

// The most data bytes a QR code of version 40 holds at each correction level (default M).
int qrCapacity(int correction) {
    static const int bytes[] = {2331, 2953, 2331, 1663, 1273};
    return bytes[correction];
}

// Codewords a PDF417 symbol needs for `bytes` data bytes in byte compaction, with the length
// descriptor and the error correction codewords of `level` (-1: the level chosen by size).
int pdf417Codewords(int bytes, int level) {
    const int data = 1 + 1 + bytes / 6 * 5 + bytes % 6;  // length, latch, data
    if (level < 0) level = data <= 40 ? 2 : data <= 160 ? 3 : data <= 320 ? 4 : 5;
    return data + (2 << level);
}

}  // namespace

int barcodeRefusal(Call& c) {
    const auto typeNumber = c.inNumber(LIBFPTR_PARAM_BARCODE_TYPE);
    const int type = typeNumber ? int(*typeNumber) : -1;
    const bool known =
        typeNumber && (type == k(LIBFPTR_BT_EAN_8) || type == k(LIBFPTR_BT_EAN_13) ||
                       type == k(LIBFPTR_BT_UPC_A) || type == k(LIBFPTR_BT_UPC_E) ||
                       type == k(LIBFPTR_BT_CODE_39) || type == k(LIBFPTR_BT_CODE_93) ||
                       type == k(LIBFPTR_BT_CODE_128) || type == k(LIBFPTR_BT_QR) ||
                       type == k(LIBFPTR_BT_PDF417));
    if (!known) return k(LIBFPTR_ERROR_BARCODE_TYPE_NOT_SUPPORTED);

    const int invalid = k(LIBFPTR_ERROR_INVALID_BARCODE_PARAMS);
    const QString data = c.in(LIBFPTR_PARAM_BARCODE).toString();
    if (data.isEmpty()) return invalid;
    const auto margin = number(c, LIBFPTR_PARAM_LEFT_MARGIN, 0);
    const auto height = number(c, LIBFPTR_PARAM_HEIGHT, 32);
    const auto scale = number(c, LIBFPTR_PARAM_SCALE, 1);
    const auto correction = number(c, LIBFPTR_PARAM_BARCODE_CORRECTION, 0);
    if (!margin || !height || !scale || !correction) return invalid;
    if (*scale < 1 || *scale > kMaxScale) return invalid;
    const int tapeDots = c.reg().lineLength * kDotsPerCharacter;

    if (type == k(LIBFPTR_BT_QR)) {
        const auto version = number(c, LIBFPTR_PARAM_BARCODE_VERSION, 0);
        if (!version || *version > kMaxQrVersion || *correction > 4) return invalid;
        if (data.toUtf8().size() > qrCapacity(*correction)) return invalid;
        return 0;
    }
    if (type == k(LIBFPTR_BT_PDF417)) {
        const auto columns = number(c, LIBFPTR_PARAM_BARCODE_COLUMNS, 0);
        if (!columns || *columns > kMaxPdf417Columns || *correction > 9) return invalid;
        const int room = *columns == 0 ? kMaxPdf417Codewords
                                       : std::min(kMaxPdf417Codewords, *columns * kMaxPdf417Rows);
        if (pdf417Codewords(int(data.toUtf8().size()), *correction - 1) > room) return invalid;
        return 0;
    }
    if (*height < 1 || *height > kMaxBarcodeHeight) return invalid;
    const int modules = linearModules(type, data);
    if (modules <= 0) return invalid;
    // the code with its quiet zones of ten modules each side must fit on the tape
    if (*margin + (modules + 20) * *scale > tapeDots) return invalid;
    return 0;
}

}  // namespace emu
