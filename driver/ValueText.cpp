#include "driver/ValueText.h"

namespace drv {

QString boolText(bool b) {
    return b ? QStringLiteral("True") : QStringLiteral("False");
}

QString doubleText(double d) {
    QLocale loc;
    loc.setNumberOptions(QLocale::OmitGroupSeparator);
    // The shortest digits that read back as the same double, written out in full: a sum of a
    // million is "1000000", never "1E+06", and 0.0001 stays "0.0001".
    return loc.toString(d, 'f', QLocale::FloatingPointShortest);
}

QString dateTimeFormat() {
    QLocale loc;
    QString date = loc.dateFormat(QLocale::ShortFormat);
    // The regional short date: numeric day and month, four-digit year.
    if (!date.contains(QLatin1String("yyyy")))
        date.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    QString time = loc.timeFormat(QLocale::LongFormat);
    // The long time format carries seconds but no zone name.
    time.remove(QLatin1Char('t'));
    time = time.trimmed();
    return date + QLatin1Char(' ') + time;
}

QString dateTimeText(const QDateTime& dt) {
    if (!dt.isValid()) return {};
    return QLocale().toString(dt, dateTimeFormat());
}

QDateTime parseDateTimeText(const QString& text) {
    return QLocale().toDateTime(text.trimmed(), dateTimeFormat());
}

QDateTime parseIsoDateTime(const QString& text) {
    QDateTime dt = QDateTime::fromString(text.trimmed(), Qt::ISODate);
    if (!dt.isValid()) return dt;
    if (dt.timeSpec() == Qt::LocalTime) dt.setTimeSpec(Qt::UTC);
    return dt;
}

QString valueText(const QVariant& v) {
    switch (v.typeId()) {
        case QMetaType::Bool:
            return boolText(v.toBool());
        case QMetaType::Double:
        case QMetaType::Float:
            return doubleText(v.toDouble());
        case QMetaType::QDateTime:
            return dateTimeText(v.toDateTime());
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            return QString::number(v.toLongLong());
        default:
            return v.toString();
    }
}

}  // namespace drv
