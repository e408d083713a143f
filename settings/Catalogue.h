#pragma once
// The settings catalogue: an INI file in UTF-8 beside the program ("pf/set5x.ini" for platform 5
// registers, "pf/set3x.ini" for the others). One section per setting, named by its identifier:
// "name" (display name), "type" (editor kind: "#" choice or number, "$" text), "desc"
// (description; ".." in it declares a number range), then one key per raw value with its label.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace settings {

inline const QString kNameKey = QStringLiteral("name");
inline const QString kTypeKey = QStringLiteral("type");
inline const QString kDescKey = QStringLiteral("desc");
// What "name" reads as when the section or the key is missing: such a setting is not shown.
inline const QString kNoName = QStringLiteral("-1");

// A raw value text and the label the catalogue gives it.
struct Label {
    QString key;
    QString text;
    bool operator==(const Label&) const = default;
};

class Catalogue {
  public:
    // Reads and checks a catalogue file. A file that is not UTF-8, repeats a section or a key,
    // has a section without keys or a line that is neither a section, a key nor a comment gives
    // nullopt and a message for the user in `error`; there is never a partial catalogue.
    static std::optional<Catalogue> load(const QString& path, QString* error);
    // The same for text already read; `fileName` only appears in the message.
    static std::optional<Catalogue> parse(const QByteArray& data, const QString& fileName,
                                          QString* error);

    QStringList sections() const;  // in file order
    bool hasSection(const QString& id) const { return index_.contains(id); }
    QStringList keys(const QString& id) const;  // in file order; empty for a missing section
    bool hasKey(const QString& id, const QString& key) const;
    QString value(const QString& id, const QString& key, const QString& def = {}) const;

    QString name(const QString& id) const { return value(id, kNameKey, kNoName); }
    QString kind(const QString& id) const { return value(id, kTypeKey); }
    QString description(const QString& id) const { return value(id, kDescKey); }

    // The value keys of a section in file order: every key but "name", "type" and "desc".
    QList<Label> labels(const QString& id) const;
    // The labels offered by the editor: the non-empty label texts in file order.
    QStringList choices(const QString& id) const;
    // Raw value -> shown value: the text of the first value key equal to `raw`, or `raw` itself
    // when no key matches or the matching key's text is empty.
    QString shownValue(const QString& id, const QString& raw) const;
    // Shown value -> value written: the first value key whose text equals `shown`, or `shown`
    // itself when no label reads so.
    QString rawValue(const QString& id, const QString& shown) const;

  private:
    struct Section {
        QString id;
        QList<Label> keys;  // every key with its text, "name"/"type"/"desc" included
    };
    const Section* section(const QString& id) const;
    QList<Section> sections_;
    QHash<QString, int> index_;
};

}  // namespace settings
