#include "cliche/Lines.h"

#include <QDir>
#include <QFileInfo>

#include "app/IniFile.h"
#include "app/Ui.h"
#include "cliche/Markup.h"
#include "driver/Fptr.h"

namespace cliche {

using namespace drv::names;

QStringList readCliche(drv::Fptr& fptr) {
    QStringList rows;
    for (int id = kFirstClicheSetting; id < kFirstClicheSetting + kLineCount; ++id) {
        fptr.setParam(LIBFPTR_PARAM_SETTING_ID, id);
        fptr.readDeviceSetting();
        rows << toDisplay(fptr.getParamString(LIBFPTR_PARAM_SETTING_VALUE));
    }
    return rows;
}

int writeCliche(drv::Fptr& fptr, ui::IUi& ui, const QStringList& rows) {
    // a line the register refuses is not lost silently behind a successful commit
    int failedRow = 0;
    int failedCode = 0;
    QString failedText;
    for (int row = 1; row <= kLineCount; ++row) {
        fptr.setParam(LIBFPTR_PARAM_SETTING_ID, kFirstClicheSetting - 1 + row);
        fptr.setParam(LIBFPTR_PARAM_SETTING_VALUE, toRegister(rows.value(row - 1)));
        fptr.writeDeviceSetting();
        if (const int code = fptr.errorCode(); code != 0 && failedRow == 0) {
            failedRow = row;
            failedCode = code;
            failedText = fptr.errorDescription();
        }
    }
    fptr.commitSettings();
    if (const int code = ui::reportDriverError(fptr, ui, true); code != 0) return code;
    if (failedRow != 0)
        ui.message(QStringLiteral("Строка клише %1 не записана: (%2) %3")
                       .arg(failedRow)
                       .arg(failedCode)
                       .arg(failedText),
                   ui::Icon::Information, QString());
    return failedCode;
}

int writeFooter(drv::Fptr& fptr, ui::IUi& ui, const QStringList& rows) {
    fptr.setParam(LIBFPTR_PARAM_TEXT, footerText(rows));
    fptr.run(drv::members::setFooterLines);
    return ui::reportDriverError(fptr, ui, true);
}

QString footerSection(const QString& serial) {
    // the serial number comes from the register: nothing in it may end the section's name or
    // start a line of its own in the file
    QString name = serial;
    for (QChar& c : name)
        if (!c.isLetterOrNumber() && c != u'-' && c != u'_' && c != u'.') c = u'_';
    return QStringLiteral("Footer-") + name;
}

bool storeFooter(const QString& iniPath, const QString& serial, const QStringList& rows) {
    if (!QDir().mkpath(QFileInfo(iniPath).absolutePath())) return false;
    app::IniFile ini;
    // a file that can't be read is not overwritten with the footer alone
    if (!ini.load(iniPath)) return false;
    const QString section = footerSection(serial);
    ini.deleteSection(section);
    for (int row = 1; row <= kLineCount; ++row)
        ini.setValue(section, QString::number(row), toRegister(rows.value(row - 1)));
    return ini.save(iniPath);
}

std::optional<QStringList> loadFooter(const QString& iniPath, const QString& serial) {
    QDir().mkpath(QFileInfo(iniPath).absolutePath());
    app::IniFile ini;
    if (!ini.load(iniPath)) return std::nullopt;
    const QString section = footerSection(serial);
    if (!ini.sections().contains(section)) return std::nullopt;
    QStringList rows;
    for (int row = 1; row <= kLineCount; ++row)
        rows << toDisplay(ini.value(section, QString::number(row)));
    return rows;
}

void printCliche(drv::Fptr& fptr, ui::IUi& ui) {
    fptr.run(drv::members::printCliche);
    ui::reportDriverError(fptr, ui, true);
    for (int i = 0; i < 5; ++i) fptr.run(drv::members::printText);
}

QString twoPartLine(const QString& left, const QString& right, int width) {
    const qsizetype blanks = width - left.size() - right.size();
    return left + QString(blanks > 0 ? blanks : 0, QLatin1Char(' ')) + right;
}

namespace {

void printLine(drv::Fptr& fptr, const QString& text) {
    fptr.setParam(LIBFPTR_PARAM_TEXT, text);
    fptr.run(drv::members::printText);
}

int statusLineLength(drv::Fptr& fptr, ui::IUi& ui) {
    fptr.setParam(LIBFPTR_PARAM_DATA_TYPE, fptr.c(LIBFPTR_DT_STATUS));
    fptr.queryData();
    ui::reportDriverError(fptr, ui, true);
    return fptr.getParamInt(LIBFPTR_PARAM_RECEIPT_LINE_LENGTH);
}

}  // namespace

void printTestReceipt(drv::Fptr& fptr, ui::IUi& ui, bool isP5) {
    const int length = statusLineLength(fptr, ui);
    const QString item =
        twoPartLine(QStringLiteral("ЧИПСЫ  50.00 * 3ШТ."), QStringLiteral("=150.00"), length);
    const QString attributes =
        twoPartLine(QStringLiteral("Товар"), QStringLiteral("Полный расчет"), length);
    const QString cash =
        twoPartLine(QStringLiteral("НАЛИЧНЫМИ"), QStringLiteral("=450.00"), length);
    const QString cashless =
        twoPartLine(QStringLiteral("БЕЗНАЛИЧНЫМИ"), QStringLiteral("=0.00"), length);
    const QString separator(length > 0 ? length : 0, QLatin1Char('='));

    fptr.run(drv::members::beginNonfiscalDocument);
    ui::reportDriverError(fptr, ui, true);
    for (int i = 0; i < 3; ++i) {
        printLine(fptr, item);
        printLine(fptr, attributes);
    }
    printLine(fptr, separator);
    if (isP5) {
        fptr.setParam(LIBFPTR_PARAM_DATA_TYPE, fptr.c(LIBFPTR_DT_FONT_INFO));
        fptr.setParam(LIBFPTR_PARAM_FONT, 2);
        fptr.queryData();
        const int width = fptr.getParamInt(LIBFPTR_PARAM_RECEIPT_LINE_LENGTH) / 2;
        fptr.setParam(LIBFPTR_PARAM_TEXT,
                      twoPartLine(QStringLiteral("ИТОГ"), QStringLiteral("=450.00"), width));
        fptr.setParam(LIBFPTR_PARAM_FONT, 2);
        fptr.setParam(LIBFPTR_PARAM_FONT_DOUBLE_WIDTH, true);
        fptr.setParam(LIBFPTR_PARAM_FONT_DOUBLE_HEIGHT, true);
        fptr.run(drv::members::printText);
    } else {
        const int width = statusLineLength(fptr, ui);
        printLine(fptr, twoPartLine(QStringLiteral("ИТОГ"), QStringLiteral("=450.00"), width));
    }
    printLine(fptr, separator);
    printLine(fptr, cash);
    printLine(fptr, cashless);
    fptr.setParam(LIBFPTR_PARAM_BARCODE, QString::fromLatin1(kTestReceiptAddress));
    fptr.setParam(LIBFPTR_PARAM_BARCODE_TYPE, fptr.c(LIBFPTR_BT_QR));
    fptr.setParam(LIBFPTR_PARAM_ALIGNMENT, fptr.c(LIBFPTR_ALIGNMENT_CENTER));
    fptr.setParam(LIBFPTR_PARAM_SCALE, 5);
    fptr.run(drv::members::printBarcode);
    fptr.run(drv::members::endNonfiscalDocument);
}

}  // namespace cliche
