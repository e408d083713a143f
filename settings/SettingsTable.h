#pragma once
// Reading the register's settings table and laying it out as the rows of the settings list:
// groups in order, each under a caption row, names, shown values and descriptions from the
// catalogue.
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "settings/Catalogue.h"
#include "settings/RangeRule.h"

namespace drv {
class Fptr;
}
namespace ui {
class IUi;
}

namespace settings {

inline constexpr int kCaptionMark = 20;
inline const QString kNoCatalogue =
    QStringLiteral("В каталоге программы отсутствует файл настроек ККТ");

// The cliche formatting mark: U+290A as the register stores it, U+16A5 as the list shows it.
inline constexpr char16_t kStoredMark = u'\u290A';
inline constexpr char16_t kShownMark = u'\u16A5';
inline QString toShownMarks(QString text) {
    return text.replace(QChar(kStoredMark), QChar(kShownMark));
}
inline QString toStoredMarks(QString text) {
    return text.replace(QChar(kShownMark), QChar(kStoredMark));
}

// After a name in the catalogue: no published source states what the identifier means, so the
// name is our guess and a write asks first (SavePlan.h).
inline const QString kUnverifiedMark = QStringLiteral("(не проверено)");
// How the list shows the value of a password setting.
inline const QString kMaskedValue = QStringLiteral("••••");

// One setting as the register reported it: identifier (decimal text) and raw value text.
struct DeviceSetting {
    QString id;
    QString raw;
    bool operator==(const DeviceSetting&) const = default;
};
using DeviceTable = QList<DeviceSetting>;

// One row of the settings list. The columns, in order: identifier, name (a caption row holds
// "[" + group + "]"), editor kind, shown value, description, raw value from the register, and
// the baseline (the shown value as read or as last saved).
struct SettingRow {
    QString id;
    QString name;
    QString kind;
    QString shown;
    QString description;
    QString raw;
    QString baseline;
    int mark = 0;  // kCaptionMark for a group caption row

    bool isCaption() const { return mark == kCaptionMark; }
    // Edited and not yet saved.
    bool changed() const { return shown != baseline; }
    // A setting named as a password (text or a number, not a choice): the list masks its value.
    bool isPassword() const {
        return !isCaption() && (kind == QLatin1String("$") || hasRange(description)) &&
               name.contains(QStringLiteral("пароль"), Qt::CaseInsensitive);
    }
    // Named by a guess ("(не проверено)" after the name).
    bool isUnverified() const { return name.endsWith(kUnverifiedMark); }
    QStringList cells() const { return {id, name, kind, shown, description, raw, baseline}; }
    bool operator==(const SettingRow&) const = default;
};
using SettingRows = QList<SettingRow>;

// Rows edited and not yet saved, top to bottom.
QList<int> changedRows(const SettingRows& rows);

// Which rows the list shows for the filter text: every row when it is blank; else the settings
// whose identifier equals it or whose name holds each of its words (any case), each under its
// group's caption row.
QList<bool> rowsMatching(const SettingRows& rows, const QString& filter);

// The whole table in one records pass. A driver error at the start or the end of the pass is
// shown through `ui` ("(code) description", no title of its own) and the pass carries on; a
// failed start yields an empty table. The window's events are processed before each record.
DeviceTable readSettingsTable(drv::Fptr& fptr, ui::IUi& ui);

// The rows of the list: for each group in order that the register reported settings of, a
// caption row, then the group's settings in reading order. A setting without a "name" in the
// catalogue (or named "-1") is left out; identifiers in no group are left out.
SettingRows layoutSettings(const DeviceTable& table, const Catalogue& catalogue);

// The catalogue file for a register: "pf/set5x.ini" for platform 5, else "pf/set3x.ini".
QString catalogueFile(const QString& programDir, bool isP5);

struct SettingsRead {
    Catalogue catalogue;  // kept for the editor and the save
    SettingRows rows;
};
// The whole reading of the Настройки tab: the table, then the catalogue, then the rows. With
// the catalogue missing or damaged, the message is shown (error icon) and nothing is returned:
// the list keeps what it showed and the table just read is dropped.
std::optional<SettingsRead> readSettings(drv::Fptr& fptr, ui::IUi& ui, const QString& programDir,
                                         bool isP5);

}  // namespace settings
