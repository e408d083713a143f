// What the register refuses when asked to print a barcode: a type it doesn't know, data the
// symbology can't encode (a wrong check digit, more than the QR version and level hold) or that
// doesn't fit on the tape at the scale asked, and geometry out of range.
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

// The check digit of a GS1 number (EAN, UPC) of `digits`: weights 3 and 1 from the right.
int checkDigit(QStringView digits) {
    int sum = 0;
    for (qsizetype i = 0; i < digits.size(); ++i)
        sum += (digits[digits.size() - 1 - i].unicode() - u'0') * (i % 2 == 0 ? 3 : 1);
    return (10 - sum % 10) % 10;
}

// `data` of `length` digits, or of `length` + 1 digits ending in their check digit.
bool gs1Number(const QString& data, int length) {
    if (!allDigits(data)) return false;
    if (data.size() == length) return true;
    return data.size() == length + 1 &&
           checkDigit(QStringView(data).left(length)) == data.back().unicode() - u'0';
}

// UPC-E: six digits, or the number system (0 or 1) and six, or those and the check digit of the
// UPC-A number they stand for.
bool upcE(const QString& data) {
    if (!allDigits(data) || data.size() < 6 || data.size() > 8) return false;
    if (data.size() == 6) return true;
    if (data[0] != u'0' && data[0] != u'1') return false;
    if (data.size() == 7) return true;
    const QString d = data.mid(1, 6);
    const QChar last = d[5];
    QString upcA = data.left(1);
    if (last <= u'2')
        upcA += d.left(2) + last + QStringLiteral("0000") + d.mid(2, 3);
    else if (last == u'3')
        upcA += d.left(3) + QStringLiteral("00000") + d.mid(3, 2);
    else if (last == u'4')
        upcA += d.left(4) + QStringLiteral("00000") + d.mid(4, 1);
    else
        upcA += d.left(5) + QStringLiteral("0000") + last;
    return checkDigit(upcA) == data.back().unicode() - u'0';
}

// Modules (narrowest bar widths) of a linear code with `data`; 0 when the symbology can't encode
// the data (or its check digit is wrong).
int linearModules(int type, const QString& data) {
    const auto is = [type](const char* name) { return type == k(name); };
    if (is(LIBFPTR_BT_EAN_8)) return gs1Number(data, 7) ? 67 : 0;
    if (is(LIBFPTR_BT_EAN_13)) return gs1Number(data, 12) ? 95 : 0;
    if (is(LIBFPTR_BT_UPC_A)) return gs1Number(data, 11) ? 95 : 0;
    if (is(LIBFPTR_BT_UPC_E)) return upcE(data) ? 51 : 0;
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

// Data codewords of a QR code by version (1 to 40) and correction level (L, M, Q, H).
constexpr short kQrDataCodewords[kMaxQrVersion][4] = {
    {19, 16, 13, 9},          {34, 28, 22, 16},         {55, 44, 34, 26},
    {80, 64, 48, 36},         {108, 86, 62, 46},        {136, 108, 76, 60},
    {156, 124, 88, 66},       {194, 154, 110, 86},      {232, 182, 132, 100},
    {274, 216, 154, 122},     {324, 254, 180, 140},     {370, 290, 206, 158},
    {428, 334, 244, 180},     {461, 365, 261, 197},     {523, 415, 295, 223},
    {589, 453, 325, 253},     {647, 507, 367, 283},     {721, 563, 397, 313},
    {795, 627, 445, 341},     {861, 669, 485, 385},     {932, 714, 512, 406},
    {1006, 782, 568, 442},    {1094, 860, 614, 464},    {1174, 914, 664, 514},
    {1276, 1000, 718, 538},   {1370, 1062, 754, 596},   {1468, 1128, 808, 628},
    {1531, 1193, 871, 661},   {1631, 1267, 911, 701},   {1735, 1373, 985, 745},
    {1843, 1455, 1033, 793},  {1955, 1541, 1115, 845},  {2071, 1631, 1171, 901},
    {2191, 1725, 1231, 961},  {2306, 1812, 1286, 986},  {2434, 1914, 1354, 1054},
    {2566, 1992, 1426, 1096}, {2702, 2102, 1502, 1142}, {2812, 2216, 1582, 1222},
    {2956, 2334, 1666, 1276},
};

// Bits a QR code of `version` needs for `data` in one mode: digits, the upper-case alphanumeric
// set, or UTF-8 bytes.
int qrBits(const QString& data, int version) {
    static const QRegularExpression alphanumeric(QStringLiteral("^[0-9A-Z $%*+\\-./:]*$"));
    const int band = version < 10 ? 0 : version < 27 ? 1 : 2;
    const int n = int(data.size());
    if (allDigits(data)) return 4 + (10 + 2 * band) + n / 3 * 10 + (n % 3 == 2 ? 7 : n % 3 * 4);
    if (alphanumeric.match(data).hasMatch()) return 4 + (9 + 2 * band) + n / 2 * 11 + n % 2 * 6;
    return 4 + (band == 0 ? 8 : 16) + int(data.toUtf8().size()) * 8;
}

// The QR version that holds `data` at `correction` (the driver's level: default M, then L, M, Q,
// H): `version` when it is given and holds it, else the smallest that does; 0 when none.
int qrVersionFor(const QString& data, int version, int correction) {
    static const int levelColumn[] = {1, 0, 1, 2, 3};
    const int level = levelColumn[correction];
    for (int v = version ? version : 1; v <= (version ? version : kMaxQrVersion); ++v)
        if (qrBits(data, v) <= kQrDataCodewords[v - 1][level] * 8) return v;
    return 0;
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

    // a 2D code is as many dots wide as its modules times the scale, from the left margin
    const auto fits = [&](int modules) { return *margin + modules * *scale <= tapeDots; };
    if (type == k(LIBFPTR_BT_QR)) {
        const auto version = number(c, LIBFPTR_PARAM_BARCODE_VERSION, 0);
        if (!version || *version > kMaxQrVersion || *correction > 4) return invalid;
        const int v = qrVersionFor(data, *version, *correction);
        return v > 0 && fits(17 + 4 * v) ? 0 : invalid;
    }
    if (type == k(LIBFPTR_BT_PDF417)) {
        const auto columns = number(c, LIBFPTR_PARAM_BARCODE_COLUMNS, 0);
        if (!columns || *columns > kMaxPdf417Columns || *correction > 9) return invalid;
        const int codewords = pdf417Codewords(int(data.toUtf8().size()), *correction - 1);
        const int room = *columns == 0 ? kMaxPdf417Codewords
                                       : std::min(kMaxPdf417Codewords, *columns * kMaxPdf417Rows);
        if (codewords > room) return invalid;
        // unless given, the fewest columns whose rows hold the codewords
        const int used = *columns ? *columns : (codewords + kMaxPdf417Rows - 1) / kMaxPdf417Rows;
        // start, left and right row indicators and stop around 17 modules a column
        return fits(17 * used + 69) ? 0 : invalid;
    }
    if (*height < 1 || *height > kMaxBarcodeHeight) return invalid;
    const int modules = linearModules(type, data);
    if (modules <= 0) return invalid;
    // the code with its quiet zones of ten modules each side must fit on the tape
    if (*margin + (modules + 20) * *scale > tapeDots) return invalid;
    return 0;
}

}  // namespace emu
