#include "info/ReportExport.h"

#include <errno.h>
#include <iconv.h>

#include <QFile>

namespace info {
namespace {

constexpr int kMaxLineLength = 999;
const QString kCellSeparator = QStringLiteral("  |  ");

bool isBlank(QChar c) {
    return c.unicode() <= 0x20;
}
bool isControl(QChar c) {
    return c.unicode() < 0x20;
}

// Characters as the file shows them: one per code point (a pair of surrogates is one
// character, and one "?" once converted).
int shownLength(const QString& s) {
    int n = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) ++i;
        ++n;
    }
    return n;
}

QString padded(const QString& s, int width) {
    const int fill = width - shownLength(s);
    return fill > 0 ? s + QString(fill, QLatin1Char(' ')) : s;
}

QString cutTo(const QString& s, int maxChars) {
    int n = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (n == maxChars) return s.left(i);
        if (s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) ++i;
        ++n;
    }
    return s;
}

QString trimmedBy(const QString& s, bool (*blank)(QChar)) {
    int start = 0;
    int end = s.size();
    while (start < end && blank(s.at(start))) ++start;
    while (end > start && blank(s.at(end - 1))) --end;
    return s.mid(start, end - start);
}

}  // namespace

ExportTable reportTable(const QString& firstCaption, const ReportRows& rows) {
    ExportTable t;
    t.headers = {firstCaption, kValueCaption};
    for (const auto& row : rows) t.rows << row.cells;
    return t;
}

QStringList textLayout(const ExportTable& table, bool oneSpaceEmptyCells) {
    const int columns = table.headers.size();
    const auto cellOf = [oneSpaceEmptyCells](const QString& text) {
        return oneSpaceEmptyCells && text.isEmpty() ? QStringLiteral(" ") : text;
    };
    QList<QStringList> source;
    source.reserve(table.rows.size() + 1);
    source.append(table.headers);
    for (const auto& row : table.rows) source.append(row);

    QList<int> widths(columns, 0);
    for (const auto& row : source)
        for (int c = 0; c < columns; ++c)
            widths[c] = std::max(widths[c], shownLength(cellOf(row.value(c))));

    QStringList lines;
    for (const auto& row : source) {
        QString line;
        for (int c = 0; c < columns; ++c) {
            const QString cell = cellOf(row.value(c));
            if (c + 1 < columns) {
                line += padded(cell, widths[c]) + kCellSeparator;
            } else {
                line += cell;
            }
        }
        // The settings list's one-space cells keep its lines aligned; only control
        // characters go there.
        line = trimmedBy(line, oneSpaceEmptyCells ? isControl : isBlank);
        line = cutTo(line, kMaxLineLength);
        lines.append(line);
    }
    int longest = 0;
    for (const auto& l : lines) longest = std::max(longest, shownLength(l));
    lines.insert(1, QString(longest, QLatin1Char('-')));
    return lines;
}

QString clipboardText(const QStringList& lines) {
    QString text;
    for (const auto& l : lines) text += l + QStringLiteral("\r\n");
    int start = 0;
    while (start < text.size() && isBlank(text.at(start))) ++start;
    return text.mid(start);
}

QString csvField(const QString& text) {
    if (text.contains(QLatin1Char('"'))) {
        QString quoted = text;
        quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
        return QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    if (text.contains(QLatin1Char(';')) || text.contains(QLatin1Char(',')))
        return QLatin1Char('"') + text + QLatin1Char('"');
    return text;
}

QStringList csvLayout(const ExportTable& table) {
    QStringList lines;
    QStringList header;
    for (const auto& caption : table.headers)
        header << QLatin1Char('<') + caption + QLatin1Char('>');
    lines << header.join(QLatin1Char(';'));
    lines << QString(std::max<qsizetype>(0, table.headers.size() - 1), QLatin1Char(';'));
    for (const auto& row : table.rows) {
        QStringList fields;
        for (int c = 0; c < table.headers.size(); ++c) fields << csvField(row.value(c));
        lines << fields.join(QLatin1Char(';'));
    }
    return lines;
}

QByteArray ansiBytes(const QString& text) {
    QByteArray out;
    if (text.isEmpty()) return out;
    iconv_t cd = iconv_open("WINDOWS-1251", "UTF-32LE");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // No converter: keep ASCII, mark the rest as unconvertible.
        for (QChar c : text) out += c.unicode() < 0x80 ? char(c.unicode()) : '?';
        return out;
    }
    const QList<uint> ucs4 = text.toUcs4();
    QByteArray in;
    in.reserve(ucs4.size() * 4);
    for (uint cp : ucs4) {
        for (int i = 0; i < 4; ++i) in += char((cp >> (8 * i)) & 0xFF);
    }
    out.resize(ucs4.size() + 16);
    char* inPtr = in.data();
    size_t inLeft = size_t(in.size());
    char* outPtr = out.data();
    size_t outLeft = size_t(out.size());
    while (inLeft > 0) {
        const size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        if (r != size_t(-1)) break;
        if (errno == EILSEQ || errno == EINVAL) {
            // A character the code page lacks becomes "?", as the system conversion does.
            if (outLeft == 0) break;
            *outPtr++ = '?';
            --outLeft;
            inPtr += 4;
            inLeft = inLeft >= 4 ? inLeft - 4 : 0;
        } else if (errno == E2BIG) {
            const qsizetype used = outPtr - out.data();
            out.resize(out.size() * 2);
            outPtr = out.data() + used;
            outLeft = size_t(out.size() - used);
        } else {
            break;
        }
    }
    out.resize(outPtr - out.data());
    iconv_close(cd);
    return out;
}

QByteArray ansiFileBytes(const QStringList& lines) {
    QString text;
    for (const auto& l : lines) text += l + QStringLiteral("\r\n");
    return ansiBytes(text);
}

bool writeAnsiFile(const QString& path, const QStringList& lines, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error) *error = f.errorString();
        return false;
    }
    const QByteArray bytes = ansiFileBytes(lines);
    if (f.write(bytes) != bytes.size() || !f.flush()) {
        if (error) *error = f.errorString();
        return false;
    }
    f.close();
    return true;
}

}  // namespace info
