#include "cli/Metrics.h"

#include <QSaveFile>

#include "cli/Run.h"
#include "driver/Fptr.h"
#include "driver/JsonAnswer.h"
#include "driver/Names.h"
#include "driver/ValueText.h"

namespace cli {

namespace {

// A shift lasts 24 hours: the register answers the moment its shift expires.
constexpr qint64 kShiftSeconds = 24 * 3600;

std::optional<QDateTime> moment(const drv::JsonAnswer& answer, const QString& path) {
    const auto text = answer.text(path);
    if (!text) return std::nullopt;
    const QDateTime dt = drv::parseIsoDateTime(*text);
    if (!dt.isValid()) return std::nullopt;
    return dt;
}

QString labelValue(const QString& text) {
    QString out = text;
    out.replace('\\', QLatin1String("\\\\"))
        .replace('"', QLatin1String("\\\""))
        .replace('\n', "\\n");
    return out;
}

QString numberText(double v) {
    return QString::number(v, 'g', 15);
}

struct Family {
    const char* name;
    const char* help;
    const char* key;  // key in the figures; "" for reachability
};

// Times are in seconds, the exposition format's base unit, so that rules divide as they need.
const Family kFamilies[] = {
    {"velmor_kkt_up", "Whether the register answered (1) or not (0).", ""},
    {"velmor_kkt_fn_expires_in_seconds",
     "Seconds until the fiscal storage expires (negative once it has).", "fnExpiresIn"},
    {"velmor_kkt_fn_warning", "Fiscal storage warnings, 1 when set.", "fnWarnings"},
    {"velmor_kkt_ofd_unsent_documents", "Documents not yet sent to the OFD.", "unsentDocuments"},
    {"velmor_kkt_ofd_oldest_unsent_age_seconds",
     "Age of the oldest document not sent to the OFD (0 when none).", "oldestUnsentAge"},
    {"velmor_kkt_ofd_last_exchange_age_seconds", "Seconds since the last exchange with the OFD.",
     "lastExchangeAge"},
    {"velmor_kkt_shift_open", "Whether a shift is open (1) or not (0).", "shiftOpen"},
    {"velmor_kkt_shift_open_age_seconds", "Seconds since the open shift was opened.",
     "shiftOpenAge"},
};

}  // namespace

QJsonObject readMetrics(drv::Fptr& f, const QDateTime& now) {
    using namespace drv::names;
    QJsonObject m;
    const auto info =
        drv::JsonAnswer::parse(f.jsonTask(QStringLiteral(R"({"type": "getFnInfo"})")));
    if (const auto validity = moment(info, QStringLiteral("fnInfo.validityDate")))
        m.insert("fnExpiresIn", double(now.secsTo(*validity)));
    QJsonObject warnings;
    for (const auto& w : kFnWarnings)
        if (const auto text = info.text(QStringLiteral("fnInfo.warnings.") + w))
            warnings.insert(w, *text == QLatin1String("true") ? 1 : 0);
    if (!warnings.isEmpty()) m.insert("fnWarnings", warnings);

    const auto exchange =
        drv::JsonAnswer::parse(f.jsonTask(QStringLiteral(R"({"type": "ofdExchangeStatus"})")));
    if (const auto count = exchange.text(QStringLiteral("status.notSentCount"))) {
        const int unsent = count->toInt();
        m.insert("unsentDocuments", unsent);
        const auto oldest = moment(exchange, QStringLiteral("status.notSentFirstDocDateTime"));
        m.insert("oldestUnsentAge", unsent > 0 && oldest ? double(oldest->secsTo(now)) : 0.0);
    }
    if (const auto last = moment(exchange, QStringLiteral("errors.lastSuccessConnectionDateTime")))
        m.insert("lastExchangeAge", double(last->secsTo(now)));

    f.setParam(LIBFPTR_PARAM_DATA_TYPE, f.c(LIBFPTR_DT_SHIFT_STATE));
    if (f.queryData() == 0) {
        const int state = f.getParamInt(LIBFPTR_PARAM_SHIFT_STATE);
        const bool open = state == f.c(LIBFPTR_SS_OPENED) || state == f.c(LIBFPTR_SS_EXPIRED);
        m.insert("shiftOpen", open ? 1 : 0);
        const QDateTime expires = f.getParamDateTime(LIBFPTR_PARAM_DATE_TIME);
        if (open && expires.isValid())
            m.insert("shiftOpenAge", double(expires.addSecs(-kShiftSeconds).secsTo(now)));
    }
    return m;
}

QString exposition(const QList<Outcome>& outcomes) {
    QString out;
    for (const auto& family : kFamilies) {
        QString samples;
        for (const auto& o : outcomes) {
            const QString labels = QStringLiteral("serial=\"%1\",model=\"%2\",target=\"%3\"")
                                       .arg(labelValue(o.id.serial), labelValue(o.id.model),
                                            labelValue(o.target.name()));
            const QString name = QString::fromLatin1(family.name);
            if (!*family.key) {
                samples += QStringLiteral("%1{%2} %3\n").arg(name, labels).arg(o.answered ? 1 : 0);
                continue;
            }
            const QJsonValue v = o.data.value(QLatin1String(family.key));
            if (v.isObject()) {
                const QJsonObject each = v.toObject();
                for (auto it = each.begin(); it != each.end(); ++it)
                    samples += QStringLiteral("%1{%2,warning=\"%3\"} %4\n")
                                   .arg(name, labels, it.key(), numberText(it.value().toDouble()));
            } else if (v.isDouble()) {
                samples +=
                    QStringLiteral("%1{%2} %3\n").arg(name, labels, numberText(v.toDouble()));
            }
        }
        if (samples.isEmpty()) continue;
        out += QStringLiteral("# HELP %1 %2\n# TYPE %1 gauge\n")
                   .arg(QString::fromLatin1(family.name), QString::fromLatin1(family.help));
        out += samples;
    }
    return out;
}

bool writeAtomically(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace cli
