#pragma once
// Saving and copying the report lists of the ККМ, Регистрация, ФН, Смена and Настройки tabs: the
// list's rows and kind go to the layouts; the save dialog flow is shared by every tab.
#include <QString>

#include "info/ReportExport.h"

class QWidget;
namespace ui {
class IUi;
class ReportList;
}  // namespace ui

namespace info {

// The visible columns and the exported rows of a list (filler rows never).
ExportTable tableOf(const ui::ReportList& list, bool onlySelected);

// The save dialog SaveTextFileDialog1: the name and filter chosen last, for the rest of the run.
struct SaveDialogState {
    QString fileName;
    int filterIndex = 1;
};
SaveDialogState& saveTextFileDialog();

inline const QString kSaveFilterTxtCsv =
    QStringLiteral("Текстовый файл (*.txt)|*.txt|Файл CSV (*.csv)|*.csv");
inline const QString kSaveFilterTxtCsvReg =
    QStringLiteral("Текстовый файл (*.txt)|*.txt|CSV файл (*.csv)|*.csv");
inline const QString kReplaceQuestion = QStringLiteral("Файл существует, заменить?");

// The text layout of the list named `lstName` on `form`, to the clipboard or to the file last
// chosen in the save dialog. A name that is no report list of the form does nothing.
void listToClipBoardOrSaveTxt(QWidget* form, ui::IUi& ui, const QString& lstName, bool toClip,
                              bool onlySelected);
void listSaveCsv(QWidget* form, ui::IUi& ui, const QString& lstName, bool onlySelected);

// The save-to-file flow of every "Сохранить в файл" button: dialog with `filter` and default
// extension "txt", the overwrite question, then text (filter 1) or CSV (filter 2).
void saveListToFile(QWidget* form, ui::IUi& ui, const QString& lstName, const QString& filter);

}  // namespace info
