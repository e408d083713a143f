#include "info/ui/ListExport.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>

#include "app/Ui.h"
#include "app/ui/widgets/FileDialog.h"
#include "app/ui/widgets/ReportList.h"

namespace info {

ExportTable tableOf(const ui::ReportList& list, bool onlySelected) {
    ExportTable t;
    const QList<int> columns = list.visibleColumns();
    for (int c : columns) t.headers << list.columnCaption(c);
    const QList<int> selected = onlySelected ? list.selectedDataRows() : QList<int>();
    for (int r = 0; r < list.rowCount(); ++r) {
        if (list.isFiller(r)) continue;
        if (onlySelected && !selected.contains(r)) continue;
        QStringList cells;
        for (int c : columns) cells << list.cell(r, c);
        t.rows << cells;
    }
    return t;
}

SaveDialogState& saveTextFileDialog() {
    static SaveDialogState state;
    return state;
}

namespace {

ui::ReportList* findList(QWidget* form, const QString& lstName) {
    if (!form || lstName.isEmpty()) return nullptr;
    if (form->objectName() == lstName) return qobject_cast<ui::ReportList*>(form);
    return form->findChild<ui::ReportList*>(lstName);
}

void writeOrReport(ui::IUi& ui, const QString& path, const QStringList& lines) {
    QString error;
    if (!writeAnsiFile(path, lines, &error))
        ui.message(QStringLiteral("Не удалось записать файл \"%1\": %2").arg(path, error),
                   ui::Icon::Error);
}

}  // namespace

void listToClipBoardOrSaveTxt(QWidget* form, ui::IUi& ui, const QString& lstName, bool toClip,
                              bool onlySelected) {
    auto* list = findList(form, lstName);
    if (!list) return;
    const QStringList lines = textLayout(tableOf(*list, onlySelected), list->oneSpaceEmptyCells());
    if (toClip) {
        QGuiApplication::clipboard()->setText(clipboardText(lines));
        return;
    }
    writeOrReport(ui, saveTextFileDialog().fileName, lines);
}

void listSaveCsv(QWidget* form, ui::IUi& ui, const QString& lstName, bool onlySelected) {
    auto* list = findList(form, lstName);
    if (!list) return;
    writeOrReport(ui, saveTextFileDialog().fileName, csvLayout(tableOf(*list, onlySelected)));
}

void saveListToFile(QWidget* form, ui::IUi& ui, const QString& lstName, const QString& filter) {
    auto& dialog = saveTextFileDialog();
    const auto chosen = ui::FileDialog::save(form, filter, QStringLiteral("txt"), dialog.fileName,
                                             dialog.filterIndex);
    if (chosen.fileName.isEmpty()) return;
    dialog.fileName = chosen.fileName;
    dialog.filterIndex = chosen.filterIndex;
    if (QFileInfo::exists(chosen.fileName) && !ui.confirm(kReplaceQuestion)) return;
    if (chosen.filterIndex == 2)
        listSaveCsv(form, ui, lstName, false);
    else
        listToClipBoardOrSaveTxt(form, ui, lstName, false, false);
}

}  // namespace info
