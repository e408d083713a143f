#include "info/FnReport.h"

#include "driver/Fptr.h"
#include "driver/JsonAnswer.h"
#include "driver/Names.h"
#include "driver/ValueText.h"

namespace info {

namespace {
constexpr qint64 kMonthMs = 2629800000LL;  // 30.4375 days

// A shown date-time read back as a plain calendar moment, free of daylight-saving shifts.
std::optional<qint64> shownMs(const QString& text) {
    const QDateTime dt = drv::parseDateTimeText(text);
    if (!dt.isValid()) return std::nullopt;
    return QDateTime(dt.date(), dt.time(), Qt::UTC).toMSecsSinceEpoch();
}
}  // namespace

QString fnPresentText(drv::Fptr& f) {
    f.setParam(drv::names::LIBFPTR_PARAM_DATA_TYPE, f.c(drv::names::LIBFPTR_DT_STATUS));
    f.queryData();
    return drv::boolText(f.getParamBool(drv::names::LIBFPTR_PARAM_FN_PRESENT));
}

QString firstRegistrationText(const QString& isoText) {
    const QDateTime dt = drv::parseIsoDateTime(isoText);
    if (!dt.isValid()) return {};
    return drv::dateTimeText(dt.toLocalTime());
}

QString validityDateText(const QString& isoText) {
    const QDateTime dt = drv::parseIsoDateTime(isoText);
    if (!dt.isValid()) return {};
    return drv::dateTimeText(dt.toUTC());
}

std::optional<qint64> validityMonths(const QString& firstText, const QString& lastText) {
    const auto first = shownMs(firstText);
    const auto last = shownMs(lastText);
    if (!first || !last) return std::nullopt;
    return std::abs(*last - *first) / kMonthMs;
}

QString livePhaseText(const QString& phase) {
    if (phase == QLatin1String("init")) return QStringLiteral("Настройка ФН");
    if (phase == QLatin1String("configured")) return QStringLiteral("Настроен, готов в активации");
    if (phase == QLatin1String("fiscalMode")) return QStringLiteral("Фискальный режим");
    if (phase == QLatin1String("postFiscalMode")) return QStringLiteral("Постфискальный режим");
    if (phase == QLatin1String("accessArchive")) return QStringLiteral("Доступ к архиву ФН");
    if (phase == QLatin1String("unknown")) return QStringLiteral("Неизвестная");
    return {};
}

QString trueFalseText(const std::optional<QString>& text) {
    if (!text) return {};
    if (*text == QLatin1String("true")) return QStringLiteral("Да");
    if (*text == QLatin1String("false")) return QStringLiteral("Нет");
    return {};
}

QString fnMaxFfdText(int version) {
    return ffdName(version).value_or(QString::number(version));
}

ReportRows buildFnReport(drv::Fptr& f) {
    ReportRows rows;
    const auto add = [&rows](const char* caption, const QString& value) {
        rows.append({{QString::fromUtf8(caption), value}});
    };
    const auto fnQuery = [&f](const char* type) {
        f.setParam(drv::names::LIBFPTR_PARAM_FN_DATA_TYPE, f.c(type));
        f.fnQueryData();
    };

    // First registration: the moment of fiscal document 1.
    QString firstRegistration;
    const QString documentAnswer = f.jsonTask(QStringLiteral(
        R"({"type": "getFnDocument", "fiscalDocumentNumber": 1, "withRawData": false})"));
    if (!documentAnswer.isEmpty()) {
        const auto document = drv::JsonAnswer::parse(documentAnswer);
        if (const auto moment = document.text(QStringLiteral("documentTLV.1012")))
            firstRegistration = firstRegistrationText(*moment);
    }

    auto answer = drv::JsonAnswer::parse(f.jsonTask(QStringLiteral(R"({"type": "getFnInfo"})")));
    const auto text = [&answer](const char* path) {
        return answer.textOr(QString::fromLatin1(path));
    };

    add("Серийный номер ФН", text("fnInfo.serial"));
    add("Исполнение ФН (только для ФН-М)", text("fnInfo.execution"));
    add("Версия ФФД ФН", text("fnInfo.fnFfdVersion"));
    fnQuery(drv::names::LIBFPTR_FNDT_FFD_VERSIONS);
    add("Максимальная версия ФФД ФН",
        fnMaxFfdText(f.getParamInt(drv::names::LIBFPTR_PARAM_FN_MAX_FFD_VERSION)));
    const auto phase = answer.text(QStringLiteral("fnInfo.livePhase"));
    add("Фаза жизни ФН", phase ? livePhaseText(*phase) : QString());
    add("ФН содержит URI сервера ОКП",
        trueFalseText(answer.text(QStringLiteral("fnInfo.fnContainsKeysUpdaterServerUri"))));
    fnQuery(drv::names::LIBFPTR_FNDT_FN_INFO);
    const QString uri = f.getParamString(drv::names::LIBFPTR_PARAM_FN_KEYS_UPDATER_SERVER_URI);
    add("URI сервера ОКП", uri.isEmpty() ? QStringLiteral("Нет") : uri);
    add("Количество проведенных регистраций", text("fnInfo.numberOfRegistrations"));
    add("Количество оставшихся регистраций", text("fnInfo.registrationsRemaining"));
    if (!firstRegistration.isEmpty()) add("Дата первой пере/регистрации", firstRegistration);
    fnQuery(drv::names::LIBFPTR_FNDT_LAST_REGISTRATION);
    add("Дата последней пере/регистрации",
        drv::dateTimeText(f.getParamDateTime(drv::names::LIBFPTR_PARAM_DATE_TIME)));

    const auto validity = answer.text(QStringLiteral("fnInfo.validityDate"));
    const QString validityText = validity ? validityDateText(*validity) : QString();
    add("Срок окончания действия ФН", validityText);
    if (!firstRegistration.isEmpty() && validity) {
        if (const auto months = validityMonths(firstRegistration, validityText))
            rows.insert(rows.size() - 1, {{QStringLiteral("Срок действия ФН"),
                                           QString::number(*months) + QStringLiteral(" месяцев")}});
    }

    add("Исчерпан ресурс ФН", trueFalseText(answer.text("fnInfo.warnings.resourceExhausted")));
    add("Память ФН переполнена", trueFalseText(answer.text("fnInfo.warnings.memoryOverflow")));
    add("Требуется срочная замена ФН",
        trueFalseText(answer.text("fnInfo.warnings.needReplacement")));
    add("Критическая ошибка ФН", trueFalseText(answer.text("fnInfo.warnings.criticalError")));

    answer = drv::JsonAnswer::parse(f.jsonTask(QStringLiteral(R"({"type": "getFnStatus"})")));
    add("Количество документов в ФН", text("fnStatus.fiscalDocumentNumber"));
    fnQuery(drv::names::LIBFPTR_FNDT_FREE_MEMORY);
    add("Приблизительное количество ФД которе еще можно записать в ФН",
        QString::number(f.getParamInt(drv::names::LIBFPTR_PARAM_DOCUMENTS_COUNT)));
    answer = drv::JsonAnswer::parse(f.jsonTask(QStringLiteral(R"({"type": "ofdExchangeStatus"})")));
    add("Количество непереданных в ОФД", text("status.notSentCount"));
    return rows;
}

}  // namespace info
