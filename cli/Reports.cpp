#include "cli/Reports.h"

#include <QHash>
#include <QJsonArray>

#include "documents/Shift.h"
#include "info/DeviceStatusReport.h"
#include "info/FnReport.h"
#include "info/RegistrationReport.h"
#include "info/ReportExport.h"

namespace cli {

namespace {

using Fields = QHash<QString, QString>;

const Fields& statusFields() {
    static const Fields f{
        {"Модель", "model"},
        {"Серийный номер", "serialNumber"},
        {"Прошивка", "firmwareVersion"},
        {"Конфигурация", "configurationVersion"},
        {"Движок шаблонов", "templatesVersion"},
        {"Блок управления", "controlUnitVersion"},
        {"Загрузчик", "bootVersion"},
        {"Версия шаблона чеков", "receiptTemplateVersion"},
        {"Напряжение батареи часов", "rtcBatteryVoltage"},
        {"Напряжение источника питания", "powerSupplyVoltage"},
        {"Напряжение аккумулятора", "batteryVoltage"},
        {"Модуль Ethernet", "ethernetModule"},
        {"Модуль Wi-Fi", "wifiModule"},
        {"Касса зарегистрирована", "registered"},
        {"ФН установлен", "fnPresent"},
        {"ФН фискализирован", "fnFiscal"},
        {"Версия ФФД ККТ", "ffdVersion"},
        {"Максимальная версия ФФД ККТ", "ffdVersionMax"},
        {"Минимальная версия ФФД ККТ", "ffdVersionMin"},
        {"Крышка закрыта", "coverClosed"},
        {"Бумага есть", "paperPresent"},
        {"Ошибка отрезчика", "cutterError"},
        {"Перегрев механизма", "printerOverheat"},
        {"Касса заблокирована", "blocked"},
        {"Состояние смены", "shiftState"},
        {"Состояние чека", "receiptState"},
        {"Необнуляемая сумма прихода", "nonNullableSellSum"},
        {"Дата и время в кассе", "dateTime"},
    };
    return f;
}

const Fields& registrationFields() {
    static const Fields f{
        {"Регистрационный номер ККТ", "registrationNumber"},
        {"Наименование", "organizationName"},
        {"ИНН", "organizationInn"},
        {"Адрес расчетов", "paymentsAddress"},
        {"Место расчетов", "paymentsPlace"},
        {"E-mail отправителя", "senderEmail"},
        {"Системы налогообложения", "taxationSystems"},
        {"Признаки агента", "agentFlags"},
        {"Автономный режим", "autonomousMode"},
        {"Расчет за услуги", "services"},
        {"Только БСО", "bsoOnly"},
        {"Ломбардная деятельность", "pawnShop"},
        {"Автоматический режим", "automaticMode"},
        {"Номер автомата", "automaticNumber"},
        {"Расчеты только в интернет", "internetOnly"},
        {"Шифрование данных", "encryption"},
        {"Продажа подакцизного товара", "exciseGoods"},
        {"Проведение азартных игр", "gambling"},
        {"Проведение лотерей", "lottery"},
        {"Торговля маркированными товарами", "markedGoods"},
        {"Установка принтера в автомате", "machinePrinter"},
        {"Страховая деятельность", "insurance"},
        {"ФФД", "ffdVersion"},
        {"Адрес сайта ФНС", "fnsUrl"},
        {"ИНН ОФД", "ofdInn"},
        {"Название ОФД", "ofdName"},
        {"Дата пере/регистрации", "lastRegistrationDateTime"},
        {"Номер пере/регистрации", "lastRegistrationNumber"},
        {"Номер документа пере/регистрации", "lastRegistrationDocumentNumber"},
    };
    return f;
}

const Fields& fnFields() {
    static const Fields f{
        {"Серийный номер ФН", "fnSerialNumber"},
        {"Исполнение ФН (только для ФН-М)", "fnExecution"},
        {"Версия ФФД ФН", "fnFfdVersion"},
        {"Максимальная версия ФФД ФН", "fnFfdVersionMax"},
        {"Фаза жизни ФН", "livePhase"},
        {"ФН содержит URI сервера ОКП", "containsKeysUpdaterServerUri"},
        {"URI сервера ОКП", "keysUpdaterServerUri"},
        {"Количество проведенных регистраций", "registrationsCount"},
        {"Количество оставшихся регистраций", "registrationsRemaining"},
        {"Дата первой пере/регистрации", "firstRegistrationDateTime"},
        {"Дата последней пере/регистрации", "lastRegistrationDateTime"},
        {"Срок действия ФН", "validityMonths"},
        {"Срок окончания действия ФН", "validityDate"},
        {"Исчерпан ресурс ФН", "resourceExhausted"},
        {"Память ФН переполнена", "memoryOverflow"},
        {"Требуется срочная замена ФН", "needReplacement"},
        {"Критическая ошибка ФН", "criticalError"},
        {"Количество документов в ФН", "documentsCount"},
        {"Приблизительное количество ФД которе еще можно записать в ФН", "freeDocuments"},
        {"Количество непереданных в ОФД", "notSentCount"},
    };
    return f;
}

const Fields& shiftFields() {
    static const Fields f{
        {"Состояние смены", "shiftState"},
        {"Номер смены", "shiftNumber"},
        {"Количество чеков за смену", "receiptsCount"},
        {"Количество чеков прихода", "sellReceiptsCount"},
        {"Количество чеков возврата", "sellReturnReceiptsCount"},
        {"Сумма продаж общая", "sellSum"},
        {"Сумма продаж наличными", "sellCashSum"},
        {"Сумма продаж безналичными", "sellElectronicSum"},
        {"Сумма возвратов общая", "sellReturnSum"},
        {"Сумма возвратов наличными", "sellReturnCashSum"},
        {"Сумма возвратов безналичными", "sellReturnElectronicSum"},
        {"Количество внесений", "cashInCount"},
        {"Количество выплат", "cashOutCount"},
        {"Сумма внесений", "cashInSum"},
        {"Сумма выплат", "cashOutSum"},
        {"Сумма в денежном ящике", "cashDrawerSum"},
    };
    return f;
}

const Fields& fieldsOf(Report report) {
    switch (report) {
        case Report::Status:
            return statusFields();
        case Report::Registration:
            return registrationFields();
        case Report::Fn:
            return fnFields();
        case Report::Shift:
            break;
    }
    return shiftFields();
}

QString captionOf(Report report) {
    switch (report) {
        case Report::Status:
            return info::kKkmInfoCaption;
        case Report::Registration:
            return info::kRegInfoCaption;
        case Report::Fn:
            return info::kFnInfoCaption;
        case Report::Shift:
            break;
    }
    return info::kShiftInfoCaption;
}

const QString kLicence = QStringLiteral("Лицензия № ");

}  // namespace

std::optional<Report> reportNamed(const QString& command) {
    if (command == QLatin1String("status")) return Report::Status;
    if (command == QLatin1String("registration")) return Report::Registration;
    if (command == QLatin1String("fn")) return Report::Fn;
    if (command == QLatin1String("shift")) return Report::Shift;
    return std::nullopt;
}

ReportResult buildReport(drv::Fptr& f, Report report, bool isP5) {
    ReportResult r;
    switch (report) {
        case Report::Status:
            r.rows = info::buildDeviceStatusReport(f, isP5);
            break;
        case Report::Registration: {
            auto built = info::buildRegistrationReport(f);
            if (built.status == info::RegistrationReport::Status::NoStorage)
                r.problem = info::kNoStorageMessage;
            else if (built.status == info::RegistrationReport::Status::NotFiscal)
                r.problem = info::kNotFiscalMessage;
            else
                r.rows = built.rows;
            break;
        }
        case Report::Fn:
            if (info::fnPresentText(f) == QLatin1String("False"))
                r.problem = info::kFnAbsentMessage;
            else
                r.rows = info::buildFnReport(f);
            break;
        case Report::Shift:
            r.rows = documents::buildShiftReport(f);
            break;
    }
    return r;
}

QStringList exportLines(Report report, const info::ReportRows& rows, Format format) {
    const auto table = info::reportTable(captionOf(report), rows);
    return format == Format::Csv ? info::csvLayout(table) : info::textLayout(table);
}

QString fieldName(Report report, const QString& caption) {
    return fieldsOf(report).value(caption);
}

QJsonObject reportJson(Report report, const info::ReportRows& rows) {
    QJsonObject o;
    QJsonObject other;
    QJsonArray licences;
    for (const auto& row : rows) {
        const QString caption = row.cells.value(0);
        const QString value = row.cells.value(1);
        if (row.mark != 0 || caption.isEmpty()) continue;
        if (const QString name = fieldName(report, caption); !name.isEmpty()) {
            o.insert(name, value);
        } else if (report == Report::Status && caption.startsWith(kLicence)) {
            licences.append(
                QJsonObject{{"number", caption.mid(kLicence.size())}, {"description", value}});
        } else {
            other.insert(caption, value);
        }
    }
    if (report == Report::Status) o.insert("licenses", licences);
    if (!other.isEmpty()) o.insert("other", other);
    return o;
}

QByteArray encodeLines(const QStringList& lines, bool cp1251) {
    if (cp1251) return info::ansiFileBytes(lines);
    QByteArray out;
    for (const auto& line : lines) out += line.toUtf8() + '\n';
    return out;
}

}  // namespace cli
