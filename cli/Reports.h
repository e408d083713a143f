#pragma once
// The reports of the ККМ, Регистрация, ФН and Смена tabs for the command line, in the tabs'
// export layouts (text, CSV) or as JSON with stable English field names.
#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <optional>

#include "info/ReportRow.h"

namespace drv {
class Fptr;
}

namespace cli {

enum class Report { Status, Registration, Fn, Shift };
enum class Format { Text, Csv, Json };

std::optional<Report> reportNamed(const QString& command);

struct ReportResult {
    info::ReportRows rows;
    QString problem;  // the tab's message when the register has no such report
};
// Builds the report with the tab's builder.
ReportResult buildReport(drv::Fptr& f, Report report, bool isP5);

// The tab's export layout of a report: text or CSV lines.
QStringList exportLines(Report report, const info::ReportRows& rows, Format format);
// The report as a JSON object: every row under its field name (docs/cli.md); a row the table
// does not name goes into "other" under its caption, licences into "licenses".
QJsonObject reportJson(Report report, const info::ReportRows& rows);
// The field name of a row caption of a report; empty when it has none.
QString fieldName(Report report, const QString& caption);

// Lines for the output stream: UTF-8 with LF, or Windows-1251 with CR LF as the window's files.
QByteArray encodeLines(const QStringList& lines, bool cp1251);

}  // namespace cli
