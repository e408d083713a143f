#include "info/DeviceStatusReport.h"

#include "driver/Fptr.h"
#include "driver/Names.h"
#include "driver/ValueText.h"

namespace info {

QString yesNo(const QString& boolText) {
    return boolText == QLatin1String("False") ? QStringLiteral("Нет") : QStringLiteral("Да");
}

QString invertedYesNo(const QString& boolText) {
    return boolText == QLatin1String("False") ? QStringLiteral("Да") : QStringLiteral("Нет");
}

QString ffdCurrentText(int version) {
    return ffdName(version).value_or(QString::number(version));
}

QString ffdRangeText(int version) {
    return version == 100 ? QStringLiteral("1.0") : ffdCurrentText(version);
}

QString shiftStateText(const QString& state, const QString& expiryText) {
    if (state == QLatin1String("0")) return QStringLiteral("Закрыта");
    if (state == QLatin1String("1")) return QStringLiteral("Открыта");
    if (state == QLatin1String("2")) return QStringLiteral("Истекла (") + expiryText + ')';
    return {};
}

QString receiptStateText(drv::Fptr& f, int type) {
    // The driver reports the receipt type by its own constants, whose numbers do not follow
    // this list's order: each is looked up by name.
    static const char* const names[][2] = {
        {drv::names::LIBFPTR_RT_CLOSED, "Закрыт"},
        {drv::names::LIBFPTR_RT_SELL, "Открыт чек прихода"},
        {drv::names::LIBFPTR_RT_SELL_RETURN, "Открыт чек возврата прихода"},
        {drv::names::LIBFPTR_RT_SELL_CORRECTION, "Открыт чек коррекции прихода"},
        {drv::names::LIBFPTR_RT_SELL_RETURN_CORRECTION, "Открыт чек коррекции возврата прихода"},
        {drv::names::LIBFPTR_RT_BUY, "Открыт чек расхода"},
        {drv::names::LIBFPTR_RT_BUY_RETURN, "Открыт чек возврата расхода"},
        {drv::names::LIBFPTR_RT_BUY_CORRECTION, "Открыт чек коррекции расхода"},
        {drv::names::LIBFPTR_RT_BUY_RETURN_CORRECTION, "Открыт чек коррекции возврата расхода"},
    };
    for (const auto& [constant, text] : names)
        if (type == f.c(constant)) return QString::fromUtf8(text);
    return {};
}

QString wifiText(int queryResult, bool isP5) {
    if (queryResult == -1)
        return isP5 ? QStringLiteral("Отсутствует") : QStringLiteral("Неизвестно");
    return QString::number(queryResult);
}

QString voltageText(double volts) {
    return drv::doubleText(volts) + QStringLiteral(" В");
}

namespace {

constexpr int kSetting37 = 37;

void query(drv::Fptr& f, const char* dataType) {
    f.setParam(drv::names::LIBFPTR_PARAM_DATA_TYPE, f.c(dataType));
    f.queryData();
}

QString unitVersion(drv::Fptr& f, const char* unit, QString* release = nullptr) {
    f.setParam(drv::names::LIBFPTR_PARAM_DATA_TYPE, f.c(drv::names::LIBFPTR_DT_UNIT_VERSION));
    f.setParam(drv::names::LIBFPTR_PARAM_UNIT_TYPE, f.c(unit));
    f.queryData();
    const QString version = f.getParamString(drv::names::LIBFPTR_PARAM_UNIT_VERSION);
    if (release) *release = f.getParamString(drv::names::LIBFPTR_PARAM_UNIT_RELEASE_VERSION);
    return version;
}

QString voltage(drv::Fptr& f, const char* source) {
    f.setParam(drv::names::LIBFPTR_PARAM_DATA_TYPE, f.c(drv::names::LIBFPTR_DT_POWER_SOURCE_STATE));
    f.setParam(drv::names::LIBFPTR_PARAM_POWER_SOURCE_TYPE, f.c(source));
    f.queryData();
    return voltageText(f.getParamDouble(drv::names::LIBFPTR_PARAM_VOLTAGE));
}

QString flag(drv::Fptr& f, const char* param) {
    return drv::boolText(f.getParamBool(param));
}

int ffdVersion(drv::Fptr& f, const char* param) {
    f.setParam(drv::names::LIBFPTR_PARAM_FN_DATA_TYPE, f.c(drv::names::LIBFPTR_FNDT_FFD_VERSIONS));
    f.fnQueryData();
    return f.getParamInt(param);
}

void writeSetting37(drv::Fptr& f, int value) {
    f.setParam(drv::names::LIBFPTR_PARAM_SETTING_ID, kSetting37);
    f.setParam(drv::names::LIBFPTR_PARAM_SETTING_VALUE, value);
    f.writeDeviceSetting();
}

void addLicenceRows(drv::Fptr& f, ReportRows& rows) {
    f.setParam(drv::names::LIBFPTR_PARAM_RECORDS_TYPE, f.c(drv::names::LIBFPTR_RT_LICENSES));
    f.beginReadRecords();
    const QString recordsId = f.getParamString(drv::names::LIBFPTR_PARAM_RECORDS_ID);
    const int okCode = f.c(drv::names::LIBFPTR_OK);
    const auto nextRecord = [&] {
        f.setParam(drv::names::LIBFPTR_PARAM_RECORDS_ID, recordsId);
        return f.readNextRecord();
    };
    while (nextRecord() == okCode) {
        const QString number =
            QString::number(f.getParamInt(drv::names::LIBFPTR_PARAM_LICENSE_NUMBER));
        const QString name = f.getParamString(drv::names::LIBFPTR_PARAM_LICENSE_NAME);
        const QString from =
            drv::dateTimeText(f.getParamDateTime(drv::names::LIBFPTR_PARAM_LICENSE_VALID_FROM));
        const QString until =
            drv::dateTimeText(f.getParamDateTime(drv::names::LIBFPTR_PARAM_LICENSE_VALID_UNTIL));
        rows.append({{QStringLiteral("Лицензия № ") + number,
                      name + QStringLiteral(" (") + from + QStringLiteral(" - ") + until + ')'}});
    }
    f.setParam(drv::names::LIBFPTR_PARAM_RECORDS_ID, recordsId);
    f.endReadRecords();
}

}  // namespace

static void addFixedRows(drv::Fptr& f, bool isP5, ReportRows& rows);

ReportRows buildDeviceStatusReport(drv::Fptr& f, bool isP5) {
    ReportRows rows;

    // Setting 37 is switched off while the report runs.
    f.setParam(drv::names::LIBFPTR_PARAM_SETTING_ID, kSetting37);
    f.readDeviceSetting();
    const QString setting37 = f.getParamString(drv::names::LIBFPTR_PARAM_SETTING_VALUE);
    const bool restore37 = setting37 == QLatin1String("1");
    if (restore37) writeSetting37(f, 0);
    try {
        addFixedRows(f, isP5, rows);
        addLicenceRows(f, rows);
    } catch (...) {
        // A report cut short by a driver fault must not leave the register's setting off.
        if (restore37) writeSetting37(f, 1);
        throw;
    }
    if (restore37) writeSetting37(f, 1);
    return rows;
}

static void addFixedRows(drv::Fptr& f, bool isP5, ReportRows& rows) {
    const auto add = [&rows](const char* caption, const QString& value) {
        rows.append({{QString::fromUtf8(caption), value}});
    };
    query(f, drv::names::LIBFPTR_DT_STATUS);
    add("Модель", f.getParamString(drv::names::LIBFPTR_PARAM_MODEL_NAME));
    query(f, drv::names::LIBFPTR_DT_SERIAL_NUMBER);
    add("Серийный номер", f.getParamString(drv::names::LIBFPTR_PARAM_SERIAL_NUMBER));

    const QString versionPrefix = QStringLiteral("Версия: ");
    add("Прошивка", versionPrefix + unitVersion(f, drv::names::LIBFPTR_UT_FIRMWARE));
    QString release;
    const QString configuration = unitVersion(f, drv::names::LIBFPTR_UT_CONFIGURATION, &release);
    add("Конфигурация", versionPrefix + configuration + QStringLiteral(" / ") +
                            QStringLiteral("Релиз: ") + release);
    add("Движок шаблонов", versionPrefix + unitVersion(f, drv::names::LIBFPTR_UT_TEMPLATES));
    add("Блок управления", versionPrefix + unitVersion(f, drv::names::LIBFPTR_UT_CONTROL_UNIT));
    add("Загрузчик", versionPrefix + unitVersion(f, drv::names::LIBFPTR_UT_BOOT));

    query(f, drv::names::LIBFPTR_DT_SCRIPTS_INFO);
    add("Версия шаблона чеков", f.getParamString(drv::names::LIBFPTR_PARAM_SCRIPT_NAME));

    add("Напряжение батареи часов", voltage(f, drv::names::LIBFPTR_PST_RTC_BATTERY));
    add("Напряжение источника питания", voltage(f, drv::names::LIBFPTR_PST_POWER_SUPPLY));
    add("Напряжение аккумулятора", voltage(f, drv::names::LIBFPTR_PST_BATTERY));

    query(f, drv::names::LIBFPTR_DT_MAC_ADDRESS);
    add("Модуль Ethernet", f.getParamString(drv::names::LIBFPTR_PARAM_MAC_ADDRESS).isEmpty()
                               ? QStringLiteral("Отсутствует")
                               : QStringLiteral("Установлен"));

    f.setParam(drv::names::LIBFPTR_PARAM_DATA_TYPE, f.c(drv::names::LIBFPTR_DT_WIFI_INFO));
    add("Модуль Wi-Fi", wifiText(f.queryData(), isP5));

    query(f, drv::names::LIBFPTR_DT_STATUS);
    add("Касса зарегистрирована", yesNo(flag(f, drv::names::LIBFPTR_PARAM_FISCAL)));
    add("ФН установлен", yesNo(flag(f, drv::names::LIBFPTR_PARAM_FN_PRESENT)));
    add("ФН фискализирован", yesNo(flag(f, drv::names::LIBFPTR_PARAM_FN_FISCAL)));

    add("Версия ФФД ККТ",
        ffdCurrentText(ffdVersion(f, drv::names::LIBFPTR_PARAM_DEVICE_FFD_VERSION)));
    add("Максимальная версия ФФД ККТ",
        ffdRangeText(ffdVersion(f, drv::names::LIBFPTR_PARAM_DEVICE_MAX_FFD_VERSION)));
    add("Минимальная версия ФФД ККТ",
        ffdRangeText(ffdVersion(f, drv::names::LIBFPTR_PARAM_DEVICE_MIN_FFD_VERSION)));

    query(f, drv::names::LIBFPTR_DT_STATUS);
    add("Крышка закрыта", invertedYesNo(flag(f, drv::names::LIBFPTR_PARAM_COVER_OPENED)));
    add("Бумага есть", yesNo(flag(f, drv::names::LIBFPTR_PARAM_RECEIPT_PAPER_PRESENT)));
    add("Ошибка отрезчика", yesNo(flag(f, drv::names::LIBFPTR_PARAM_CUT_ERROR)));
    add("Перегрев механизма", yesNo(flag(f, drv::names::LIBFPTR_PARAM_PRINTER_OVERHEAT)));
    add("Касса заблокирована", yesNo(flag(f, drv::names::LIBFPTR_PARAM_BLOCKED)));

    query(f, drv::names::LIBFPTR_DT_SHIFT_STATE);
    const QString shiftState =
        QString::number(f.getParamInt(drv::names::LIBFPTR_PARAM_SHIFT_STATE));
    const QString expiry =
        shiftState == QLatin1String("2")
            ? drv::dateTimeText(f.getParamDateTime(drv::names::LIBFPTR_PARAM_DATE_TIME))
            : QString();
    add("Состояние смены", shiftStateText(shiftState, expiry));

    query(f, drv::names::LIBFPTR_DT_RECEIPT_STATE);
    add("Состояние чека",
        receiptStateText(f, f.getParamInt(drv::names::LIBFPTR_PARAM_RECEIPT_TYPE)));

    f.setParam(drv::names::LIBFPTR_PARAM_DATA_TYPE, f.c(drv::names::LIBFPTR_DT_NON_NULLABLE_SUM));
    f.setParam(drv::names::LIBFPTR_PARAM_RECEIPT_TYPE, f.c(drv::names::LIBFPTR_RT_SELL));
    f.queryData();
    add("Необнуляемая сумма прихода",
        drv::doubleText(f.getParamDouble(drv::names::LIBFPTR_PARAM_SUM)));

    query(f, drv::names::LIBFPTR_DT_DATE_TIME);
    add("Дата и время в кассе",
        drv::dateTimeText(f.getParamDateTime(drv::names::LIBFPTR_PARAM_DATE_TIME)));
}

}  // namespace info
