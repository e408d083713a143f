#pragma once
// The setting editor without its window: what it shows for a row and what its OK does.
#include <QString>
#include <QStringList>
#include <optional>

#include "settings/RangeRule.h"
#include "settings/SettingsTable.h"

namespace settings {

enum class EditorKind {
    Choice,  // kind "#" without a range: the drop-down list of labels
    Edit,    // kind "$", or any kind with a range in its description: the one-line edit
    None,    // any other kind: value and description shown, nothing to change
};

struct EditorSetup {
    EditorKind kind = EditorKind::None;
    QStringList choices;  // Choice: the labels in catalogue order
    int selected = -1;    // Choice: the first label equal to the shown value, or -1
    QString text;         // Edit and None: the shown value
    QString description;  // for the read-only memo
    QString caption;      // "[" + identifier + "] " + name
};

// What the editor shows for a row; nullopt for a group caption row, which opens nothing.
std::optional<EditorSetup> editorFor(const SettingRow& row, const Catalogue& catalogue);

struct EditResult {
    RangeCheck check = RangeCheck::Ok;
    // The message when the value is refused (the editor then stays open); empty otherwise.
    QString message;
    // The row's new shown value; nullopt leaves the row as it is.
    std::optional<QString> shown;
    bool accepted() const { return check == RangeCheck::Ok; }
};

// OK of the editor. `text` is the edit's text as typed, `chosen` the index of the chosen label.
// A row with a range takes only a whole number inside it; the edit's text is kept as typed.
// Nothing chosen in the list, or an editor of kind None, leaves the row unchanged.
EditResult acceptEdit(const SettingRow& row, const EditorSetup& setup, const QString& text,
                      int chosen);

}  // namespace settings
