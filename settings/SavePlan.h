#pragma once
// Writing the edited settings back to the register: which rows, what values, and what the
// user is told afterwards.
#include <QList>
#include <QString>
#include <QStringList>

#include "settings/Catalogue.h"
#include "settings/SettingsTable.h"

namespace drv {
class Fptr;
}
namespace ui {
class IUi;
}

namespace settings {

inline const QString kSaved = QStringLiteral("Настройки сохранены");
inline const QString kSaveErrors = QStringLiteral("При сохранении настроек возникли ошибки:");
inline const QString kCommitFailed = QStringLiteral("Ошибка при сохранении настроек");

// One setting to write.
struct WriteStep {
    int row = -1;
    QString id;
    QString value;
    bool choice = false;  // kind "#"
    bool operator==(const WriteStep&) const = default;
};

// The changed rows top to bottom, each with the value to write: for kind "#" the key of the
// first label reading as the shown value (the shown value itself when none does), for kind "$"
// the shown value with the cliche mark in its stored form. Rows of other kinds are never
// written and stay changed.
QList<WriteStep> savePlan(const SettingRows& rows, const Catalogue& catalogue);

// The question asked before a save that would write settings named by a guess: it names each
// of them ("[id] name", one a line). Empty when the save writes none.
QString unverifiedQuestion(const SettingRows& rows, const Catalogue& catalogue);

// "[" + identifier + "] " + name + " - " + the driver's description.
QString failureLine(const SettingRow& row, const QString& description);

struct SaveOutcome {
    QList<WriteStep> steps;     // what was written, in order
    QStringList failures;       // one line per refused value, in row order
    QString failureBuffer;      // the last failure line since the last "#" row
    QList<int> savedRows;       // rows whose value the register took and kept
    int commitCode = 0;         // error code after commitSettings
    QString commitDescription;  // its description when not 0
};

// Writes every step, then commitSettings once (also with nothing to write). A row's baseline
// becomes its shown value only when its write and the commit both succeed, so a refused value
// is never taken for saved and the next save writes it again. With `ui`, the window's events
// are processed before each write.
SaveOutcome saveSettings(drv::Fptr& fptr, SettingRows& rows, const Catalogue& catalogue,
                         ui::IUi* ui = nullptr);

// The report of a save, first match wins: a failed commit ("(code) description" titled with the
// failure buffer, then "Ошибка при сохранении настроек"); refused values (warning with the
// failure lines); else "Настройки сохранены".
void reportSave(const SaveOutcome& outcome, ui::IUi& ui);

}  // namespace settings
