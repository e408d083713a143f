// Text and CSV layouts of report lists, checked against the golden files of tests/data/export:
// every <case>.json (list name, headers, rows) has the exact bytes expected in <case>.txt and
// <case>.csv (Windows-1251, CR LF, no byte-order mark).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "info/ReportExport.h"

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

struct GoldenCase {
    QString name;
    QString list;
    info::ExportTable table;
};

QList<GoldenCase> goldenCases() {
    QList<GoldenCase> out;
    const QDir dir(QStringLiteral(VELMOR_SOURCE_DIR "/tests/data/export"));
    for (const auto& file : dir.entryList({"*.json"}, QDir::Files, QDir::Name)) {
        const auto o = QJsonDocument::fromJson(readFile(dir.filePath(file))).object();
        GoldenCase c;
        c.name = dir.filePath(file.chopped(5));
        c.list = o.value("list").toString();
        for (const auto& h : o.value("headers").toArray()) c.table.headers << h.toString();
        for (const auto& r : o.value("rows").toArray()) {
            QStringList cells;
            for (const auto& v : r.toArray()) cells << v.toString();
            c.table.rows << cells;
        }
        out << c;
    }
    return out;
}

}  // namespace

TEST(InfoExportGolden, TextAndCsvBytesMatchTheGoldenFiles) {
    const auto cases = goldenCases();
    ASSERT_GE(cases.size(), 6);
    for (const auto& c : cases) {
        const QByteArray txt = readFile(c.name + ".txt");
        const QByteArray csv = readFile(c.name + ".csv");
        ASSERT_FALSE(txt.isEmpty()) << c.name.toStdString();
        ASSERT_FALSE(csv.isEmpty()) << c.name.toStdString();
        const bool oneSpace = c.list == QLatin1String("lvSetKKM");
        const auto textLines = info::textLayout(c.table, oneSpace);
        EXPECT_EQ(info::ansiFileBytes(textLines), txt) << c.name.toStdString() << "\n"
                                                       << textLines.join('\n').toStdString();
        EXPECT_EQ(info::ansiFileBytes(info::csvLayout(c.table)), csv) << c.name.toStdString();
    }
}

TEST(InfoExport, AnsiBytesAreWindows1251WithQuestionMarks) {
    EXPECT_EQ(info::ansiBytes(QStringLiteral("Ая")), QByteArray("\xC0\xFF"));
    EXPECT_EQ(info::ansiBytes(QStringLiteral("Ёё№€")), QByteArray("\xA8\xB8\xB9\x88"));
    // outside the code page: one "?" per character, including a pair of surrogates
    EXPECT_EQ(info::ansiBytes(QStringLiteral("a✓b😀c")), QByteArray("a?b?c"));
    EXPECT_EQ(info::ansiBytes(QString()), QByteArray());
    const QByteArray file = info::ansiFileBytes({QStringLiteral("Модель"), QString()});
    EXPECT_EQ(file, QByteArray("\xCC\xEE\xE4\xE5\xEB\xFC\r\n\r\n"));
    EXPECT_FALSE(file.startsWith("\xEF\xBB\xBF"));
}

TEST(InfoExport, CsvQuotingRules) {
    EXPECT_EQ(info::csvField("plain"), "plain");
    EXPECT_EQ(info::csvField(""), "");
    EXPECT_EQ(info::csvField("3,5 В"), "\"3,5 В\"");
    EXPECT_EQ(info::csvField("a;b"), "\"a;b\"");
    EXPECT_EQ(info::csvField("ООО \"Ромашка\""), "\"ООО \"\"Ромашка\"\"\"");
    // a quote wins over a comma: doubled and enclosed once
    EXPECT_EQ(info::csvField("\"a\",b"), "\"\"\"a\"\",b\"");
    EXPECT_EQ(info::csvField("  spaced  "), "  spaced  ");  // never trimmed
    info::ExportTable three{{"A", "B", "C"}, {{"1", "", "x;y"}}};
    EXPECT_EQ(info::csvLayout(three), QStringList({"<A>;<B>;<C>", ";;", "1;;\"x;y\""}));
}

TEST(InfoExport, TextLayoutTrimmingAndClipboard) {
    // In ordinary lists a row of two empty cells is a lone bar; an empty last cell ends
    // the line with a bar.
    info::ExportTable t{{"Имя", "Значение"}, {{"", ""}, {"Ключ", ""}, {"  x", "y  "}}};
    const auto lines = info::textLayout(t);
    EXPECT_EQ(lines,
              QStringList({"Имя   |  Значение", "-----------------", "|", "Ключ  |", "x   |  y"}));
    // the clipboard: CR LF after each line, blanks at the very start removed
    EXPECT_EQ(info::clipboardText({"  a", "b"}), "a\r\nb\r\n");
    EXPECT_EQ(info::clipboardText(info::textLayout({{"Свойства ККМ", "Значение"}, {}})),
              "Свойства ККМ  |  Значение\r\n-------------------------\r\n");
}

TEST(InfoExport, WriteFailureIsReportedNotSilent) {
    QString error;
    EXPECT_FALSE(info::writeAnsiFile("/nonexistent-dir/x/report.txt", {"a"}, &error));
    EXPECT_FALSE(error.isEmpty());
}
