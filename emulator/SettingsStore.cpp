#include "emulator/SettingsStore.h"

#include <QFile>
#include <QJsonDocument>
#include <QSet>
#include <limits>

#include "emulator/Constants.h"
#include "emulator/JsonReader.h"

static void initEmulatorDataResources() {
    Q_INIT_RESOURCE(emulator);
}

namespace emu {
namespace {

constexpr qint64 kMaxNumber = std::numeric_limits<qint32>::max();
constexpr qint64 kMinNumber = std::numeric_limits<qint32>::min();
constexpr int kMaxTextLength = 4096;

std::vector<Setting> loadBuiltIn(const QString& file) {
    initEmulatorDataResources();
    QFile f(QStringLiteral(":/emulator/data/") + file);
    if (!f.open(QIODevice::ReadOnly))
        throw BenchError("Нет встроенной таблицы настроек " + file.toStdString());
    QJsonParseError err;
    const auto doc = QJsonDocument::fromJson(f.readAll(), &err);
    if (err.error != QJsonParseError::NoError || !doc.isArray())
        benchFail(file, QStringLiteral("ожидается массив JSON настроек"));
    return SettingsStore::parse(doc.array(), QString(), file, true);
}

}  // namespace

QVariant Setting::value() const {
    switch (type) {
        case Type::String:
            return text;
        case Type::Bool:
            return flag;
        case Type::Number:
            break;
    }
    return number;
}

bool Setting::accepts(qint64 candidate) const {
    return (!min || candidate >= *min) && (!max || candidate <= *max);
}

bool Setting::acceptsText(const QString& candidate) const {
    return !maxLength || candidate.size() <= *maxLength;
}

std::vector<Setting> SettingsStore::parse(const QJsonArray& entries, const QString& path,
                                          const QString& source, bool typeRequired) {
    const QString prefix = path.isEmpty() ? QStringLiteral("settings") : path;
    std::vector<Setting> out;
    QSet<int> seen;
    for (int i = 0; i < entries.size(); ++i) {
        const QString at = QStringLiteral("%1[%2]").arg(prefix).arg(i);
        if (!entries[i].isObject())
            benchFail(source, QStringLiteral("\"%1\": ожидается объект").arg(at));
        const JsonReader e(entries[i].toObject(), at, source);
        Setting s;
        const auto id = e.optionalInteger("id", 0, 65535);
        if (!id) e.fail(QStringLiteral("id"), QStringLiteral("нет идентификатора настройки"));
        s.id = int(*id);
        if (seen.contains(s.id))
            e.fail(QStringLiteral("id"), QStringLiteral("настройка %1 указана дважды").arg(s.id));
        seen.insert(s.id);
        const auto type = e.optionalString("type");
        if (!type && typeRequired) e.fail(QStringLiteral("type"), QStringLiteral("нет типа"));
        const QString t = type.value_or(QStringLiteral("number"));
        if (!e.has("value")) e.fail(QStringLiteral("value"), QStringLiteral("нет значения"));
        if (t == QLatin1String("number")) {
            s.type = Setting::Type::Number;
            s.min = e.optionalInteger("min", kMinNumber, kMaxNumber);
            s.max = e.optionalInteger("max", kMinNumber, kMaxNumber);
            if (s.min && s.max && *s.min > *s.max)
                e.fail(QStringLiteral("min"), QStringLiteral("больше, чем max"));
            s.number = e.integer("value", 0, kMinNumber, kMaxNumber);
            if (!s.accepts(s.number))
                e.fail(QStringLiteral("value"), QStringLiteral("вне диапазона min..max"));
        } else if (t == QLatin1String("string")) {
            s.type = Setting::Type::String;
            if (const auto n = e.optionalInteger("maxLength", 0, kMaxTextLength))
                s.maxLength = int(*n);
            s.text = e.string("value");
            if (!s.acceptsText(s.text))
                e.fail(QStringLiteral("value"), QStringLiteral("длиннее maxLength"));
        } else if (t == QLatin1String("bool")) {
            s.type = Setting::Type::Bool;
            s.flag = e.boolean("value", false);
        } else {
            e.fail(QStringLiteral("type"),
                   QStringLiteral("ожидается \"number\", \"string\" или \"bool\""));
        }
        out.push_back(std::move(s));
    }
    return out;
}

SettingsStore SettingsStore::forPlatform(const QString& platform) {
    static const std::vector<Setting> p5 = loadBuiltIn(QStringLiteral("settings-p5.json"));
    static const std::vector<Setting> p3 = loadBuiltIn(QStringLiteral("settings-p3.json"));
    SettingsStore store;
    store.merge(platform.startsWith(QLatin1Char('5')) ? p5 : p3);
    return store;
}

void SettingsStore::merge(const std::vector<Setting>& settings) {
    for (const Setting& s : settings) {
        const auto it = positions_.constFind(s.id);
        if (it != positions_.constEnd()) {
            settings_[size_t(*it)] = s;
        } else {
            positions_.insert(s.id, int(settings_.size()));
            settings_.push_back(s);
        }
    }
    loaded_ = settings_;
}

void SettingsStore::clear() {
    settings_.clear();
    loaded_.clear();
    positions_.clear();
}

const Setting* SettingsStore::find(int id) const {
    const auto it = positions_.constFind(id);
    return it == positions_.constEnd() ? nullptr : &settings_[size_t(*it)];
}

SettingsStore::WriteResult SettingsStore::write(int id, const QVariant& value) {
    using namespace drv::names;
    const auto it = positions_.constFind(id);
    if (it == positions_.constEnd()) return {k(LIBFPTR_ERROR_INVALID_PARAM), {}};
    for (auto& f : failures_) {
        if (f.id != id) continue;
        const int n = ++f.calls;
        if (n >= f.fromCall && (f.times <= 0 || n < f.fromCall + f.times))
            return {f.code, f.description};
    }
    Setting& s = settings_[size_t(*it)];
    const WriteResult refused{k(LIBFPTR_ERROR_INVALID_SETTING_VALUE), {}};
    switch (s.type) {
        case Setting::Type::String: {
            const QString text = value.toString();
            if (!s.acceptsText(text)) return refused;
            s.text = text;
            return {};
        }
        case Setting::Type::Bool: {
            if (value.typeId() == QMetaType::Bool) {
                s.flag = value.toBool();
                return {};
            }
            const QString text = value.toString().trimmed();
            if (text == QLatin1String("1") ||
                text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
                s.flag = true;
            else if (text == QLatin1String("0") ||
                     text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
                s.flag = false;
            else
                return refused;
            return {};
        }
        case Setting::Type::Number: {
            bool ok = false;
            qint64 n = 0;
            if (value.typeId() == QMetaType::QString)
                n = value.toString().trimmed().toLongLong(&ok);
            else if (value.typeId() != QMetaType::Bool && value.typeId() != QMetaType::Double)
                n = value.toLongLong(&ok);
            else if (value.typeId() == QMetaType::Double) {
                const double d = value.toDouble();
                ok = d == double(qint64(d));
                n = qint64(d);
            }
            if (!ok || n < kMinNumber || n > kMaxNumber || !s.accepts(n)) return refused;
            s.number = n;
            return {};
        }
    }
    return refused;
}

void SettingsStore::reset() {
    settings_ = loaded_;
}

}  // namespace emu
