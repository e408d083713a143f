#include "driver/libfptr/Constants.h"

#include <QRegularExpression>
#include <stdexcept>

#include "driver/Names.h"

namespace drv::libfptr {

// The published values, from the program's one table of them.
std::optional<QVariant> publishedConstant(const QString& name) {
    if (const auto value = drv::constantValue(name)) return QVariant(*value);
    if (const auto key = drv::settingKey(name)) return QVariant(*key);
    return std::nullopt;
}

QHash<QString, QVariant> parseConstantTable(const QByteArray& text, QStringList* errors) {
    static const QRegularExpression line(
        QStringLiteral(R"re(^([A-Za-z_][A-Za-z0-9_]*)\s+(?:(-?\d+)|"([^"]*)")$)re"));
    QHash<QString, QVariant> out;
    const auto lines = QString::fromUtf8(text).split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString l = lines[i].trimmed();
        if (l.isEmpty() || l.startsWith('#')) continue;
        const auto m = line.match(l);
        const auto fail = [&](const QString& why) {
            if (errors) errors->append(QStringLiteral("line %1: %2").arg(i + 1).arg(why));
        };
        if (!m.hasMatch()) {
            fail(QStringLiteral("not NAME VALUE: ") + l);
            continue;
        }
        const QString name = m.captured(1);
        if (out.contains(name)) {
            fail(QStringLiteral("%1 given twice").arg(name));
            continue;
        }
        if (m.capturedLength(2) > 0) {
            bool ok = false;
            const qlonglong v = m.captured(2).toLongLong(&ok);
            if (!ok || v < -2147483648LL || v > 4294967295LL) {
                fail(QStringLiteral("%1: value out of range").arg(name));
                continue;
            }
            // 32-bit constants as the driver's int: 4294967295 is -1 of an unsigned int
            out.insert(name, int(qint32(quint32(v))));
        } else {
            out.insert(name, m.captured(3));
        }
    }
    return out;
}

}  // namespace drv::libfptr
