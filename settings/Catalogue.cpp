#include "settings/Catalogue.h"

#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace settings {
namespace {

// The INI library compares section and key names without regard to ASCII case.
QByteArray foldCase(QByteArray name) {
    for (char& ch : name)
        if (ch >= 'A' && ch <= 'Z') ch = char(ch - 'A' + 'a');
    return name;
}

bool isReserved(const QString& key) {
    return key.compare(kNameKey, Qt::CaseInsensitive) == 0 ||
           key.compare(kTypeKey, Qt::CaseInsensitive) == 0 ||
           key.compare(kDescKey, Qt::CaseInsensitive) == 0;
}

// The structure check the INI library does not do: it silently merges repeated sections and
// keys and keeps empty sections. Returns the problem, or an empty text.
QString structureProblem(const QByteArray& data) {
    QList<QByteArray> lines = data.split('\n');
    if (!lines.isEmpty() && lines[0].startsWith("\xEF\xBB\xBF")) lines[0] = lines[0].mid(3);

    struct Open {
        QByteArray name;
        int line = 0;
        int keys = 0;
        QHash<QByteArray, int> keyLines;
    };
    QHash<QByteArray, int> sectionLines;
    std::optional<Open> current;
    const auto closeSection = [&]() -> QString {
        if (current && current->keys == 0)
            return QStringLiteral("в разделе [%1] (строка %2) нет ни одного ключа")
                .arg(QString::fromUtf8(current->name))
                .arg(current->line);
        return {};
    };

    for (int i = 0; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8(lines[i]);
        if (utf8.hasError()) return QStringLiteral("строка %1 не в кодировке UTF-8").arg(lineNo);
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#')) continue;
        if (line.startsWith('[')) {
            const int close = line.indexOf(']');
            const QByteArray name = close < 0 ? QByteArray() : line.mid(1, close - 1).trimmed();
            if (name.isEmpty())
                return QStringLiteral("строка %1: неверное имя раздела \"%2\"")
                    .arg(lineNo)
                    .arg(text.trimmed());
            if (const QString p = closeSection(); !p.isEmpty()) return p;
            const QByteArray folded = foldCase(name);
            if (sectionLines.contains(folded))
                return QStringLiteral("раздел [%1] повторяется (строки %2 и %3)")
                    .arg(QString::fromUtf8(name))
                    .arg(sectionLines.value(folded))
                    .arg(lineNo);
            sectionLines.insert(folded, lineNo);
            current = Open{name, lineNo, 0, {}};
            continue;
        }
        const int eq = line.indexOf('=');
        const QByteArray key = eq < 0 ? QByteArray() : line.left(eq).trimmed();
        if (key.isEmpty())
            return QStringLiteral("строка %1 не раздел [номер] и не пара ключ=значение: \"%2\"")
                .arg(lineNo)
                .arg(text.trimmed());
        if (!current)
            return QStringLiteral("строка %1: ключ \"%2\" стоит до первого раздела")
                .arg(lineNo)
                .arg(QString::fromUtf8(key));
        const QByteArray folded = foldCase(key);
        if (current->keyLines.contains(folded))
            return QStringLiteral("ключ \"%1\" повторяется в разделе [%2] (строки %3 и %4)")
                .arg(QString::fromUtf8(key), QString::fromUtf8(current->name))
                .arg(current->keyLines.value(folded))
                .arg(lineNo);
        current->keyLines.insert(folded, lineNo);
        ++current->keys;
    }
    return closeSection();
}

QString damaged(const QString& fileName, const QString& problem) {
    return QStringLiteral("Файл настроек ККТ %1 поврежден: %2.\nСписок настроек не построен.")
        .arg(fileName, problem);
}

}  // namespace

std::optional<Catalogue> Catalogue::load(const QString& path, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Не удалось прочитать файл настроек ККТ %1: %2")
                         .arg(QFileInfo(path).absoluteFilePath(), f.errorString());
        return std::nullopt;
    }
    return parse(f.readAll(), QFileInfo(path).absoluteFilePath(), error);
}

std::optional<Catalogue> Catalogue::parse(const QByteArray& data, const QString& fileName,
                                          QString* error) {
    if (const QString problem = structureProblem(data); !problem.isEmpty()) {
        if (error) *error = damaged(fileName, problem);
        return std::nullopt;
    }
    CSimpleIniA ini(true /*utf8*/, false /*no multi-key*/, false /*no multi-line*/);
    if (ini.LoadData(data.constData(), size_t(data.size())) < 0) {
        if (error) *error = damaged(fileName, QStringLiteral("текст не разобран как INI"));
        return std::nullopt;
    }

    Catalogue cat;
    CSimpleIniA::TNamesDepend sectionNames;
    ini.GetAllSections(sectionNames);
    sectionNames.sort(CSimpleIniA::Entry::LoadOrder());
    for (const auto& s : sectionNames) {
        Section section{QString::fromUtf8(s.pItem), {}};
        CSimpleIniA::TNamesDepend keyNames;
        ini.GetAllKeys(s.pItem, keyNames);
        keyNames.sort(CSimpleIniA::Entry::LoadOrder());
        for (const auto& k : keyNames)
            section.keys.append(
                {QString::fromUtf8(k.pItem), QString::fromUtf8(ini.GetValue(s.pItem, k.pItem))});
        cat.index_.insert(section.id, int(cat.sections_.size()));
        cat.sections_.append(std::move(section));
    }
    return cat;
}

const Catalogue::Section* Catalogue::section(const QString& id) const {
    const auto it = index_.constFind(id);
    return it == index_.constEnd() ? nullptr : &sections_[*it];
}

QStringList Catalogue::sections() const {
    QStringList out;
    for (const auto& s : sections_) out << s.id;
    return out;
}

QStringList Catalogue::keys(const QString& id) const {
    QStringList out;
    if (const auto* s = section(id))
        for (const auto& k : s->keys) out << k.key;
    return out;
}

bool Catalogue::hasKey(const QString& id, const QString& key) const {
    if (const auto* s = section(id))
        for (const auto& k : s->keys)
            if (k.key.compare(key, Qt::CaseInsensitive) == 0) return true;
    return false;
}

QString Catalogue::value(const QString& id, const QString& key, const QString& def) const {
    if (const auto* s = section(id))
        for (const auto& k : s->keys)
            if (k.key.compare(key, Qt::CaseInsensitive) == 0) return k.text;
    return def;
}

QList<Label> Catalogue::labels(const QString& id) const {
    QList<Label> out;
    if (const auto* s = section(id))
        for (const auto& k : s->keys)
            if (!isReserved(k.key)) out.append(k);
    return out;
}

QStringList Catalogue::choices(const QString& id) const {
    QStringList out;
    for (const auto& l : labels(id))
        if (!l.text.isEmpty()) out << l.text;
    return out;
}

QString Catalogue::shownValue(const QString& id, const QString& raw) const {
    for (const auto& l : labels(id))
        if (l.key == raw) return l.text.isEmpty() ? raw : l.text;
    return raw;
}

QString Catalogue::rawValue(const QString& id, const QString& shown) const {
    for (const auto& l : labels(id))
        if (l.text == shown) return l.key;
    return shown;
}

}  // namespace settings
