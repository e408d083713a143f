#pragma once
// The register's settings table: typed settings (numbers, strings, booleans) in the register's
// reading order, each with the range or length the register enforces on a write.
//
// The table of a platform is loaded from a data file (emulator/data/settings-p5.json and
// settings-p3.json, built in as resources) in the form
//   [{"id": 184, "type": "string"|"number"|"bool", "value": ..., "min": 0, "max": 255,
//     "maxLength": 64}, ...]
// where "min"/"max" apply to numbers and "maxLength" to strings; other keys are ignored.
#include <QHash>
#include <QJsonArray>
#include <QString>
#include <QVariant>
#include <optional>
#include <vector>

namespace emu {

class JsonReader;

struct Setting {
    enum class Type { Number, String, Bool };
    int id = 0;
    Type type = Type::Number;
    qint64 number = 0;
    QString text;
    bool flag = false;
    std::optional<qint64> min, max;
    std::optional<int> maxLength;

    // The value as the driver hands it out: qint64, QString or bool.
    QVariant value() const;
    // Whether `candidate` (of the setting's type) respects the range or length.
    bool accepts(qint64 candidate) const;
    bool acceptsText(const QString& candidate) const;
};

// A write the bench makes fail: the setting's writes fail with `code` (from the `fromCall`-th
// write on, `times` writes long, 0 = for good).
struct SettingWriteFailure {
    int id = 0;
    int code = 0;
    QString description;
    int fromCall = 1;
    int times = 0;
    int calls = 0;  // writes seen so far
};

class SettingsStore {
  public:
    // The built-in table of platform "5" or of any other platform ("3", "2.5").
    static SettingsStore forPlatform(const QString& platform);
    // Parses a table; throws BenchError naming `source` and the entry (`path` names the array in
    // messages, "settings" when empty). `typeRequired` false lets
    // an entry leave out "type" (then "number"), as bench files may.
    static std::vector<Setting> parse(const QJsonArray& entries, const QString& path,
                                      const QString& source, bool typeRequired);

    // Adds the settings or replaces those with the same identifier (keeping their place).
    void merge(const std::vector<Setting>& settings);
    void clear();

    int size() const { return int(settings_.size()); }
    const Setting& at(int position) const { return settings_[size_t(position)]; }
    const Setting* find(int id) const;

    // Result of a write: 0, or the driver's error code with its description.
    struct WriteResult {
        int code = 0;
        QString description;
    };
    // `value` as given to the driver (text, integer or boolean) is converted to the setting's
    // type; a value that does not convert or lies outside the range is refused with
    // LIBFPTR_ERROR_INVALID_SETTING_VALUE, an unknown identifier with LIBFPTR_ERROR_INVALID_PARAM.
    WriteResult write(int id, const QVariant& value);
    // Back to the values the table was loaded with.
    void reset();

    void addWriteFailure(const SettingWriteFailure& failure) { failures_.push_back(failure); }

  private:
    std::vector<Setting> settings_;
    std::vector<Setting> loaded_;
    QHash<int, int> positions_;
    std::vector<SettingWriteFailure> failures_;
};

}  // namespace emu
