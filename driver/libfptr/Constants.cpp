#include "driver/libfptr/Constants.h"

#include <QFile>
#include <QRegularExpression>
#include <stdexcept>

static void initLibfptrResources() {
    Q_INIT_RESOURCE(libfptr);
}

namespace drv::libfptr {
namespace {

QByteArray resourceText(const QString& name) {
    initLibfptrResources();
    QFile f(QStringLiteral(":/driver/libfptr/data/") + name);
    if (!f.open(QIODevice::ReadOnly))
        throw std::logic_error("constant table missing: " + name.toStdString());
    return f.readAll();
}

// The copies of the published lists built into the program. When the generated table of
// driver constants is in the tree, this is the function to point at it instead.
const QHash<QString, QVariant>& table() {
    static const QHash<QString, QVariant> t = [] {
        QStringList errors;
        auto all = parseConstantTable(resourceText(QStringLiteral("constants.txt")), &errors);
        const auto keys =
            parseConstantTable(resourceText(QStringLiteral("setting-keys.txt")), &errors);
        if (!errors.isEmpty())
            throw std::logic_error("constant table: " + errors.join("; ").toStdString());
        all.insert(keys);
        return all;
    }();
    return t;
}

}  // namespace

std::optional<QVariant> publishedConstant(const QString& name) {
    const auto& t = table();
    auto it = t.constFind(name);
    if (it == t.constEnd()) return std::nullopt;
    return *it;
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
