#pragma once
// Layouts of report lists for files and the clipboard: the aligned text layout, the CSV layout
// and the ANSI file bytes (Windows-1251, CR LF, no byte-order mark).
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "info/ReportRow.h"

namespace info {

// Column captions of the report lists: the first column names each tab's report.
inline const QString kKkmInfoCaption = QStringLiteral("Свойства ККМ");
inline const QString kRegInfoCaption = QStringLiteral("Параметры регистрации");
inline const QString kFnInfoCaption = QStringLiteral("Свойства ФН");
inline const QString kShiftInfoCaption = QStringLiteral("Параметры смены");
inline const QString kValueCaption = QStringLiteral("Значение");

// What an export sees of a list: the visible column captions in display order and the
// exported rows (filler rows never), one cell per visible column.
struct ExportTable {
    QStringList headers;
    QList<QStringList> rows;
};

// A two-column report as its list exports it: the captions and every row the builder made.
ExportTable reportTable(const QString& firstCaption, const ReportRows& rows);

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

}  // namespace info
