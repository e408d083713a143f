#include "settings/Editor.h"

namespace settings {

std::optional<EditorSetup> editorFor(const SettingRow& row, const Catalogue& catalogue) {
    if (row.isCaption()) return std::nullopt;
    EditorSetup setup;
    const bool ranged = hasRange(row.description);
    if (row.kind == QLatin1String("#") && !ranged) {
        setup.kind = EditorKind::Choice;
        setup.choices = catalogue.choices(row.id);
        setup.selected = int(setup.choices.indexOf(row.shown));
    } else if (row.kind == QLatin1String("$") || ranged) {
        setup.kind = EditorKind::Edit;
        setup.text = row.shown;
    } else {
        setup.kind = EditorKind::None;
        setup.text = row.shown;
    }
    setup.description = row.description;
    setup.caption = QStringLiteral("[%1] %2").arg(row.id, row.name);
    return setup;
}

EditResult acceptEdit(const SettingRow& row, const EditorSetup& setup, const QString& text,
                      int chosen) {
    EditResult result;
    if (setup.kind == EditorKind::Edit) {
        result.check = checkRange(row.description, text);
        result.message = rangeMessage(result.check);
        if (result.accepted()) result.shown = text;
    } else if (setup.kind == EditorKind::Choice) {
        if (chosen >= 0 && chosen < setup.choices.size()) result.shown = setup.choices[chosen];
    }
    return result;
}

}  // namespace settings
