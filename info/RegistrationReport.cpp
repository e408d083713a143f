#include "info/RegistrationReport.h"

#include "driver/Fptr.h"
#include "driver/JsonAnswer.h"
#include "driver/Names.h"
#include "driver/ValueText.h"

namespace info {
namespace {

QString bitList(int mask, const QStringList& names) {
    QString out;
    for (int bit = 0; bit < 8; ++bit)
        if (mask & (1 << bit)) out += names.value(bit) + QStringLiteral(", ");
    out.chop(2);
    return out;
}

QString yesNo(bool b) {
    return b ? QStringLiteral("Да") : QStringLiteral("Нет");
}

}  // namespace

QString taxSystemsText(int mask) {
    static const QStringList names = {QStringLiteral("ОСН"),
                                      QStringLiteral("УСН доход"),
                                      QStringLiteral("УСН доход-расход"),
                                      QStringLiteral("ЕНВД"),
                                      QStringLiteral("ЕСХН"),
                                      QStringLiteral("Патент"),
                                      QString(),
                                      QString()};
    return bitList(mask, names);
}

QString agentFlagsText(int mask) {
    static const QStringList names = {
        QStringLiteral("Банк пл. агент"), QStringLiteral("Банк пл. субагент"),
        QStringLiteral("Пл. агент"),      QStringLiteral("Пл. субагент"),
        QStringLiteral("Поверенный"),     QStringLiteral("Комиссионер"),
        QStringLiteral("Агент"),          QString()};
    if ((mask & 0xFF) == 0) return QStringLiteral("Нет");
    return bitList(mask, names);
}

QString registrationFfdText(int version) {
    return ffdName(version).value_or(QString());
}

int ffdVersionOfFormatCode(int code) {
    switch (code) {
        case 1:
            return 100;
        case 2:
            return 105;
        case 3:
            return 110;
        case 4:
            return 120;
        default:
            return code;
    }
}

QString jsonFlagText(const drv::JsonAnswer& answer, const QString& path, int ffdVersion) {
    if (const auto text = answer.text(path)) {
        if (*text == QLatin1String("true")) return QStringLiteral("Да");
        if (*text == QLatin1String("false")) return QStringLiteral("Нет");
        return {};
    }
    return ffdVersion == 105 || ffdVersion == 110 ? QStringLiteral("Нет") : QString();
}

RegistrationReport buildRegistrationReport(drv::Fptr& f) {
    RegistrationReport report;
    f.setParam(drv::names::LIBFPTR_PARAM_DATA_TYPE, f.c(drv::names::LIBFPTR_DT_STATUS));
    f.queryData();
    const bool fnPresent = f.getParamBool(drv::names::LIBFPTR_PARAM_FN_PRESENT);
    const bool fnFiscal = f.getParamBool(drv::names::LIBFPTR_PARAM_FN_FISCAL);
    if (!fnPresent) {
        report.status = RegistrationReport::Status::NoStorage;
        return report;
    }
    if (!fnFiscal) {
        report.status = RegistrationReport::Status::NotFiscal;
        return report;
    }

    f.setParam(drv::names::LIBFPTR_PARAM_FN_DATA_TYPE, f.c(drv::names::LIBFPTR_FNDT_REG_INFO));
    f.fnQueryData();
    const int taxSystems = f.getParamInt(1062);
    const int agentFlags = f.getParamInt(1057);
    const int ffd = ffdVersionOfFormatCode(f.getParamInt(1209));
    QHash<int, bool> flags;
    for (int tag : {1001, 1002, 1056, 1108, 1109, 1110, 1126, 1193, 1207, 1221})
        flags[tag] = f.getParamBool(tag);
    QHash<int, QString> texts;
    for (int tag : {1060, 1009, 1018, 1048, 1117, 1187, 1037, 1036, 1017, 1046})
        texts[tag] = f.getParamString(tag);

    const auto answer =
        drv::JsonAnswer::parse(f.jsonTask(QStringLiteral(R"({"type": "getRegistrationInfo"})")));

    auto& rows = report.rows;
    const auto add = [&rows](const char* caption, const QString& value) {
        rows.append({{QString::fromUtf8(caption), value}});
    };
    add("Регистрационный номер ККТ", texts[1037]);
    add("Наименование", texts[1048]);
    add("ИНН", texts[1018]);
    add("Адрес расчетов", texts[1009]);
    add("Место расчетов", texts[1187]);
    add("E-mail отправителя", texts[1117]);
    add("Системы налогообложения", taxSystemsText(taxSystems));
    add("Признаки агента", agentFlagsText(agentFlags));
    add("Автономный режим", yesNo(flags[1002]));
    add("Расчет за услуги", yesNo(flags[1109]));
    add("Только БСО", yesNo(flags[1110]));
    add("Ломбардная деятельность", jsonFlagText(answer, QStringLiteral("device.pawnShop"), ffd));
    add("Автоматический режим", yesNo(flags[1001]));
    add("Номер автомата", texts[1036].isEmpty() ? QStringLiteral("Нет") : texts[1036]);
    add("Расчеты только в интернет", yesNo(flags[1108]));
    add("Шифрование данных", yesNo(flags[1056]));
    add("Продажа подакцизного товара", yesNo(flags[1207]));
    add("Проведение азартных игр", yesNo(flags[1193]));
    add("Проведение лотерей", yesNo(flags[1126]));
    add("Торговля маркированными товарами",
        jsonFlagText(answer, QStringLiteral("device.marking"), ffd));
    add("Установка принтера в автомате", yesNo(flags[1221]));
    add("Страховая деятельность", jsonFlagText(answer, QStringLiteral("device.insurance"), ffd));
    add("ФФД", registrationFfdText(ffd));
    add("Адрес сайта ФНС", texts[1060]);
    add("ИНН ОФД", texts[1017]);
    add("Название ОФД", texts[1046]);

    f.setParam(drv::names::LIBFPTR_PARAM_FN_DATA_TYPE,
               f.c(drv::names::LIBFPTR_FNDT_LAST_REGISTRATION));
    f.fnQueryData();
    const int documentNumber = f.getParamInt(drv::names::LIBFPTR_PARAM_DOCUMENT_NUMBER);
    const int registrations = f.getParamInt(drv::names::LIBFPTR_PARAM_REGISTRATIONS_COUNT);
    const QDateTime when = f.getParamDateTime(drv::names::LIBFPTR_PARAM_DATE_TIME);

    rows.append({{QString(), QString()}, 10});
    add("Дата пере/регистрации", drv::dateTimeText(when));
    add("Номер пере/регистрации", QString::number(registrations));
    add("Номер документа пере/регистрации", QString::number(documentNumber));
    return report;
}

}  // namespace info
