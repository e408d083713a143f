// The catalogue files delivered beside the program and the virtual register's settings tables
// describe the same settings: same identifiers, compatible types, ranges that agree.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include "settings/Groups.h"
#include "settings/RangeRule.h"
#include "settings/SettingsTable.h"

using namespace settings;

namespace {

struct Platform {
    const char* catalogue;
    const char* table;
};
const Platform kPlatforms[] = {{"pf/set5x.ini", "emulator/data/settings-p5.json"},
                               {"pf/set3x.ini", "emulator/data/settings-p3.json"}};

QString source(const char* path) {
    return QStringLiteral(VELMOR_SOURCE_DIR "/") + QString::fromUtf8(path);
}

QJsonArray table(const char* path) {
    QFile f(source(path));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path;
    QJsonParseError err;
    const auto doc = QJsonDocument::fromJson(f.readAll(), &err);
    EXPECT_EQ(err.error, QJsonParseError::NoError)
        << path << ": " << err.errorString().toStdString();
    EXPECT_TRUE(doc.isArray()) << path;
    return doc.array();
}

Catalogue catalogue(const char* path) {
    QString error;
    auto cat = Catalogue::load(source(path), &error);
    EXPECT_TRUE(cat.has_value()) << error.toStdString();
    return cat ? *cat : Catalogue{};
}

QSet<QString> groupIds() {
    QSet<QString> ids;
    for (const auto& g : groups())
        for (int id : g.ids) ids.insert(QString::number(id));
    return ids;
}

}  // namespace

TEST(SettingsData, CatalogueDescribesExactlyTheGroupedSettings) {
    for (const auto& p : kPlatforms) {
        SCOPED_TRACE(p.catalogue);
        const Catalogue cat = catalogue(p.catalogue);
        const QStringList sections = cat.sections();
        EXPECT_EQ(QSet<QString>(sections.begin(), sections.end()), groupIds());
        for (const QString& id : sections) {
            SCOPED_TRACE(id.toStdString());
            EXPECT_EQ(cat.keys(id).mid(0, 3), (QStringList{"name", "type", "desc"}));
            EXPECT_FALSE(cat.name(id).trimmed().isEmpty());
            EXPECT_NE(cat.name(id), kNoName);
            EXPECT_TRUE(cat.kind(id) == "#" || cat.kind(id) == "$") << cat.kind(id).toStdString();
            EXPECT_FALSE(cat.description(id).trimmed().isEmpty());
            // a ".." in a description is always a range the editor can read
            if (hasRange(cat.description(id))) {
                EXPECT_TRUE(parseRange(cat.description(id)).has_value())
                    << cat.description(id).toStdString();
            }
            QSet<QString> texts;
            for (const auto& l : cat.labels(id)) {
                EXPECT_FALSE(l.text.isEmpty()) << l.key.toStdString();
                EXPECT_FALSE(texts.contains(l.text)) << "label twice: " << l.text.toStdString();
                texts.insert(l.text);
            }
            // "#" is either a choice of labels or a number range, never both or neither
            if (cat.kind(id) == "#")
                EXPECT_NE(cat.labels(id).isEmpty(), !hasRange(cat.description(id)));
            else
                EXPECT_TRUE(cat.labels(id).isEmpty());
        }
    }
}

TEST(SettingsData, RegisterTablesAgreeWithTheCatalogues) {
    for (const auto& p : kPlatforms) {
        SCOPED_TRACE(p.table);
        const Catalogue cat = catalogue(p.catalogue);
        const QJsonArray entries = table(p.table);
        QSet<QString> seen;
        for (const auto& v : entries) {
            ASSERT_TRUE(v.isObject());
            const QJsonObject e = v.toObject();
            const QString id = QString::number(e.value("id").toInt(-1));
            SCOPED_TRACE(id.toStdString());
            const QString type = e.value("type").toString();
            const QJsonValue value = e.value("value");
            for (const QString& key : e.keys())
                EXPECT_TRUE(
                    QStringList({"id", "type", "value", "min", "max", "maxLength"}).contains(key))
                    << key.toStdString();
            EXPECT_FALSE(seen.contains(id)) << "twice";
            seen.insert(id);
            ASSERT_TRUE(cat.hasSection(id)) << "not in the catalogue";
            const QString kind = cat.kind(id);
            const auto labels = cat.labels(id);
            const auto range = parseRange(cat.description(id));

            if (type == "string") {
                EXPECT_EQ(kind, "$");
                ASSERT_TRUE(value.isString());
                ASSERT_TRUE(e.contains("maxLength"));
                EXPECT_LE(value.toString().size(), e.value("maxLength").toInt());
                EXPECT_FALSE(e.contains("min") || e.contains("max"));
            } else if (type == "bool") {
                EXPECT_EQ(kind, "#");
                EXPECT_TRUE(value.isBool());
                QStringList keys;
                for (const auto& l : labels) keys << l.key;
                EXPECT_EQ(keys, (QStringList{"0", "1"}));
            } else {
                ASSERT_EQ(type, "number");
                EXPECT_EQ(kind, "#");
                ASSERT_TRUE(value.isDouble());
                ASSERT_TRUE(e.contains("min") && e.contains("max"));
                const qint64 n = value.toInteger(), lo = e.value("min").toInteger(),
                             hi = e.value("max").toInteger();
                EXPECT_EQ(double(n), value.toDouble());  // a whole number
                EXPECT_LE(lo, n);
                EXPECT_LE(n, hi);
                if (range) {
                    EXPECT_EQ(range->lower, lo);
                    EXPECT_EQ(range->upper, hi);
                } else {
                    // a choice: the labels span the range and the value has a label
                    ASSERT_FALSE(labels.isEmpty());
                    QList<qint64> keys;
                    for (const auto& l : labels) {
                        const auto k = wholeNumber(l.key);
                        ASSERT_TRUE(k.has_value()) << l.key.toStdString();
                        keys << *k;
                    }
                    EXPECT_EQ(*std::min_element(keys.begin(), keys.end()), lo);
                    EXPECT_EQ(*std::max_element(keys.begin(), keys.end()), hi);
                    EXPECT_TRUE(keys.contains(n));
                }
            }
        }
        const QStringList sections = cat.sections();
        EXPECT_EQ(seen, QSet<QString>(sections.begin(), sections.end()));
    }
}

TEST(SettingsData, EverySettingOfTheTableIsShown) {
    for (const auto& p : kPlatforms) {
        SCOPED_TRACE(p.table);
        const Catalogue cat = catalogue(p.catalogue);
        DeviceTable device;
        for (const auto& v : table(p.table)) {
            const QJsonObject e = v.toObject();
            const QJsonValue value = e.value("value");
            device.append({QString::number(e.value("id").toInt()),
                           value.isBool()     ? QString(value.toBool() ? "1" : "0")
                           : value.isString() ? value.toString()
                                              : QString::number(value.toInteger())});
        }
        const SettingRows rows = layoutSettings(device, cat);
        int captions = 0;
        for (const auto& r : rows) {
            if (r.isCaption()) {
                ++captions;
                continue;
            }
            // a choice always shows a label, never a bare raw value
            if (r.kind == "#" && !hasRange(r.description) && groupOf(r.id.toInt()) != 7) {
                EXPECT_NE(r.shown, r.raw) << r.id.toStdString();
            }
        }
        EXPECT_EQ(captions, 19);
        EXPECT_EQ(rows.size(), 19 + device.size());
    }
}

// Each row either follows what public sources say the identifier means (its description names
// the sources) or says it is not verified; the identifiers whose meaning used to be guessed
// wrong read as the sources have them.
TEST(SettingsData, RowsFollowThePublicSourcesOrSayTheyAreNotVerified) {
    struct Expected {
        const char* id;
        const char* name;
        const char* kind;
        const char* keysOrRange;  // label keys joined by ",", or the range description
    };
    const Expected audited[] = {
        {"276", "Канал обмена с ОФД", "#", "1,2,3,4,5,6"},
        {"1002", "Адрес ОКП", "$", ""},
        {"1003", "Порт ОКП", "#", "1..65535 (смысл номера взят из одного открытого источника)"},
        {"94", "Пароль кассира 1", "$", ""},
        {"98", "Пароль кассира 5", "$", ""},
        {"122", "ФИО кассира 1", "$", ""},
        {"150", "ИНН кассира 1", "$", ""},
        {"178", "Пароль администратора", "$", ""},
        {"181", "Пароль системного администратора", "$", ""},
        {"183", "ИНН системного администратора", "$", ""},
        {"32", "Протокол работы ККТ", "#", "1,2"},
        {"36", "Расстояние от печатающей головки до ножа", "#",
         "0..255 (смысл номера взят из одного открытого источника)"},
        {"66", "Отрезать чек после завершения документа", "#", "0,1,2"},
        {"67", "Запретить отрезку чеков", "#", "0,1"},
        {"69", "Отрезать ленту после печати клише", "#", "0,1"},
        {"50", "СНО по умолчанию", "#", "0,1,2,4,8,16,32"},
    };
    for (const auto& p : kPlatforms) {
        SCOPED_TRACE(p.catalogue);
        const Catalogue cat = catalogue(p.catalogue);
        for (const QString& id : cat.sections()) {
            const QString d = cat.description(id);
            const bool sourced =
                d.contains("смысл номера подтвержден двумя и более открытыми источниками",
                           Qt::CaseInsensitive) ||
                d.contains("смысл номера взят из одного открытого источника", Qt::CaseInsensitive);
            EXPECT_NE(sourced, cat.name(id).endsWith(" (не проверено)")) << id.toStdString();
        }
        for (const auto& e : audited) {
            SCOPED_TRACE(e.id);
            EXPECT_EQ(cat.name(e.id), e.name);
            EXPECT_EQ(cat.kind(e.id), e.kind);
            QStringList keys;
            for (const auto& l : cat.labels(e.id)) keys << l.key;
            EXPECT_EQ(hasRange(cat.description(e.id)) ? cat.description(e.id) : keys.join(','),
                      QString(e.keysOrRange));
        }
    }
}
