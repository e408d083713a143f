// Printing and the device itself: text, barcodes, paper feed and cut, nonfiscal documents,
// drawer, beep, clock, reboot and power off. What is printed goes to the print journal.
#include <QJsonArray>
#include <algorithm>

#include "emulator/ops/Call.h"

namespace emu {
namespace {

using namespace drv::names;

// The parameters that say how something was printed, under readable names.
QJsonObject layout(const Call& c,
                   std::initializer_list<std::pair<const char*, const char*>> params) {
    QJsonObject o;
    for (const auto& [name, param] : params) {
        const QVariant v = c.in(param);
        if (!v.isValid()) continue;
        if (v.typeId() == QMetaType::Bool)
            o.insert(QLatin1String(name), v.toBool());
        else
            o.insert(QLatin1String(name), v.toString());
    }
    return o;
}

}  // namespace

QStringList paperLines(const QString& text, int width, int wrap) {
    QStringList out;
    width = std::max(width, 1);
    for (QString rest : text.split(u'\n')) {
        rest.remove(u'\r');
        if (wrap == k(LIBFPTR_TW_NONE) || rest.size() <= width) {
            out << rest.left(width);
            continue;
        }
        while (rest.size() > width) {
            qsizetype cut = width;
            if (wrap == k(LIBFPTR_TW_WORDS)) {
                const qsizetype space = rest.lastIndexOf(u' ', width);
                if (space > 0) cut = space;
            }
            out << rest.left(cut);
            rest = rest.mid(cut);
            if (wrap == k(LIBFPTR_TW_WORDS) && rest.startsWith(u' ')) rest.remove(0, 1);
        }
        if (!rest.isEmpty()) out << rest;
    }
    return out;
}

namespace {

int doPrintText(Call& c) {
    Register& r = c.reg();
    if (const int fault = printerFault(r)) return c.fail(fault);
    QJsonObject how = layout(c, {{"alignment", LIBFPTR_PARAM_ALIGNMENT},
                                 {"font", LIBFPTR_PARAM_FONT},
                                 {"doubleWidth", LIBFPTR_PARAM_FONT_DOUBLE_WIDTH},
                                 {"doubleHeight", LIBFPTR_PARAM_FONT_DOUBLE_HEIGHT},
                                 {"brightness", LIBFPTR_PARAM_BRIGHTNESS},
                                 {"lineSpacing", LIBFPTR_PARAM_LINESPACING},
                                 {"wrap", LIBFPTR_PARAM_TEXT_WRAP}});
    const QString text = c.in(LIBFPTR_PARAM_TEXT).toString();
    const bool doubleWidth = c.in(LIBFPTR_PARAM_FONT_DOUBLE_WIDTH).toBool();
    const int width = doubleWidth ? r.lineLength / 2 : r.lineLength;
    how.insert(QStringLiteral("lines"),
               QJsonArray::fromStringList(
                   paperLines(text, width, c.inInt(LIBFPTR_PARAM_TEXT_WRAP, k(LIBFPTR_TW_NONE)))));
    r.journal->append(QStringLiteral("text"), text, how);
    return c.ok();
}

int doPrintBarcode(Call& c) {
    Register& r = c.reg();
    if (!c.has(LIBFPTR_PARAM_BARCODE) || !c.has(LIBFPTR_PARAM_BARCODE_TYPE))
        return c.fail(LIBFPTR_ERROR_NO_REQUIRED_PARAM);
    if (const int refusal = barcodeRefusal(c)) return c.fail(refusal);
    if (const int fault = printerFault(r)) return c.fail(fault);
    r.journal->append(QStringLiteral("barcode"), c.in(LIBFPTR_PARAM_BARCODE).toString(),
                      layout(c, {{"type", LIBFPTR_PARAM_BARCODE_TYPE},
                                 {"alignment", LIBFPTR_PARAM_ALIGNMENT},
                                 {"leftMargin", LIBFPTR_PARAM_LEFT_MARGIN},
                                 {"height", LIBFPTR_PARAM_HEIGHT},
                                 {"scale", LIBFPTR_PARAM_SCALE},
                                 {"correction", LIBFPTR_PARAM_BARCODE_CORRECTION},
                                 {"version", LIBFPTR_PARAM_BARCODE_VERSION},
                                 {"columns", LIBFPTR_PARAM_BARCODE_COLUMNS},
                                 {"printText", LIBFPTR_PARAM_BARCODE_PRINT_TEXT}}));
    return c.ok();
}

template <const char* Kind, bool NeedsPaper>
int plain(Call& c) {
    Register& r = c.reg();
    if (NeedsPaper)
        if (const int fault = printerFault(r)) return c.fail(fault);
    r.journal->append(QLatin1String(Kind), QString());
    return c.ok();
}

constexpr char kLineFeed[] = "lineFeed";
constexpr char kCut[] = "cut";
constexpr char kBeep[] = "beep";
constexpr char kOpenDrawer[] = "openDrawer";

int doBeginNonfiscal(Call& c) {
    Register& r = c.reg();
    if (r.receipt.type != k(LIBFPTR_RT_CLOSED) || r.nonfiscalOpen)
        return c.fail(LIBFPTR_ERROR_DENIED_IN_OPENED_RECEIPT);
    if (const int fault = printerFault(r)) return c.fail(fault);
    r.nonfiscalOpen = true;
    r.journal->append(QStringLiteral("nonfiscal"), QStringLiteral("begin"));
    return c.ok();
}

int doEndNonfiscal(Call& c) {
    Register& r = c.reg();
    if (!r.nonfiscalOpen) return c.fail(LIBFPTR_ERROR_DENIED_IN_CLOSED_RECEIPT);
    r.nonfiscalOpen = false;
    r.journal->append(QStringLiteral("nonfiscal"), QStringLiteral("end"));
    return c.ok();
}

int doReboot(Call& c) {
    Register& r = c.reg();
    r.nonfiscalOpen = false;
    r.journal->append(QStringLiteral("reboot"), QString(),
                      {{QStringLiteral("printReport"), c.in(LIBFPTR_PARAM_PRINT_REPORT).toBool()}});
    return c.ok();
}

int doPoweroff(Call& c) {
    c.reg().journal->append(QStringLiteral("poweroff"), QString());
    c.object.opened.reset();
    return c.ok();
}

int doWriteDateTime(Call& c) {
    const QDateTime want = c.in(LIBFPTR_PARAM_DATE_TIME).toDateTime();
    if (!want.isValid()) return c.fail(LIBFPTR_ERROR_NO_REQUIRED_PARAM);
    // the date and time as the register will show them, in its own time zone
    c.reg().clockOffsetSeconds = QDateTime::currentDateTimeUtc().secsTo(c.reg().momentOfWall(want));
    return c.ok();
}

}  // namespace

int printerFault(const Register& r) {
    if (r.flags.coverOpened) return k(drv::names::LIBFPTR_ERROR_COVER_OPENED);
    if (!r.flags.paperPresent) return k(drv::names::LIBFPTR_ERROR_NO_PAPER);
    return 0;
}

void addPrintOperations(OperationTable& t) {
    namespace m = drv::members;
    t.insert(m::printText, {&doPrintText, true, false});
    t.insert(m::printBarcode, {&doPrintBarcode, true, false});
    t.insert(m::lineFeed, {&plain<kLineFeed, true>, true, false});
    t.insert(m::cut, {&plain<kCut, true>, true, false});
    t.insert(m::beep, {&plain<kBeep, false>, true, false});
    t.insert(m::openDrawer, {&plain<kOpenDrawer, false>, true, false});
    t.insert(m::beginNonfiscalDocument, {&doBeginNonfiscal, true, false});
    t.insert(m::endNonfiscalDocument, {&doEndNonfiscal, true, false});
    t.insert(m::deviceReboot, {&doReboot, true, false});
    t.insert(m::devicePoweroff, {&doPoweroff, true, false});
    t.insert(m::writeDateTime, {&doWriteDateTime, true, false});
}

}  // namespace emu
