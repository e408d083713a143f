#pragma once
// Saving and copying report lists: the aligned text layout, the CSV layout, the ANSI file
// bytes (Windows-1251, CR LF, no byte-order mark), and the save dialog flow shared by the
// ККМ, Регистрация, ФН, Смена and Настройки tabs.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;
namespace ui {
class IUi;
class ReportList;
}  // namespace ui

namespace info {

// What an export sees of a list: the visible column captions in display order and the
// exported rows (filler rows never), one cell per visible column.
struct ExportTable {
    QStringList headers;
    QList<QStringList> rows;
};

// Text layout: header line, rule line, one line per row. Cells are joined by "  |  " and padded
// to their column's width (the last one not), lines trimmed of blanks and cut to 999 characters.
// `oneSpaceEmptyCells` (the settings list): an empty cell is written as one space and the line
// keeps its alignment.
QStringList textLayout(const ExportTable& table, bool oneSpaceEmptyCells = false);
// The lines joined with CR LF after each one, blanks at the very start removed.
QString clipboardText(const QStringList& lines);
// CSV layout: "<caption>" header, a line of separators only, one line per row; ";" fields.
QStringList csvLayout(const ExportTable& table);
// One CSV field: quotes doubled and the text enclosed when it holds a quote; enclosed when it
// holds ";" or ","; as it is otherwise.
QString csvField(const QString& text);

// Windows-1251 bytes of a text; characters outside the code page become "?".
QByteArray ansiBytes(const QString& text);
// Every line followed by CR LF, in Windows-1251.
QByteArray ansiFileBytes(const QStringList& lines);
// Writes the lines as an ANSI file; false with `error` set when it can't be written.
bool writeAnsiFile(const QString& path, const QStringList& lines, QString* error = nullptr);

ExportTable tableOf(const ui::ReportList& list, bool onlySelected);
bool isOneSpaceList(const ui::ReportList& list);

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
