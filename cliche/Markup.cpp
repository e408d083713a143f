#include "cliche/Markup.h"

namespace cliche {
namespace {

// The span from the first `mark` to the next one, both included; just the mark when no second
// one follows. Length 0 when the line has no such mark.
struct Span {
    qsizetype start = -1;
    qsizetype length = 0;
};

Span spanOf(const QString& line, QChar mark) {
    const qsizetype first = line.indexOf(mark);
    if (first < 0) return {};
    const qsizetype next = line.indexOf(mark, first + 1);
    return {first, next < 0 ? 1 : next - first + 1};
}

// The text between the first `mark` and the next one (to the end when none follows).
QString between(const QString& line, QChar mark) {
    const qsizetype first = line.indexOf(mark);
    if (first < 0) return {};
    const qsizetype next = line.indexOf(mark, first + 1);
    return next < 0 ? line.mid(first + 1) : line.mid(first + 1, next - first - 1);
}

QString offsetText(const QString& offset) {
    const QString t = offset.trimmed();
    return t.isEmpty() ? QStringLiteral("0") : t;
}

QString applyTopOffset(const QString& line, bool on, const QString& offset) {
    const QString group = QChar(kOffsetMark) + offsetText(offset) + QChar(kOffsetMark);
    const Span span = spanOf(line, QChar(kOffsetMark));
    if (span.start < 0) return on ? group + line : line;
    QString out = line;
    return out.replace(span.start, span.length, on ? group : QString());
}

bool isAlignMark(QChar c) {
    return c == QChar(kAlignLeft) || c == QChar(kAlignCenter) || c == QChar(kAlignRight);
}

}  // namespace

QString toDisplay(QString line) {
    return line.replace(QChar(kRegisterFont), QChar(kDisplayFont));
}

QString toRegister(QString line) {
    return line.replace(QChar(kDisplayFont), QChar(kRegisterFont));
}

QStringList toDisplay(QStringList lines) {
    for (auto& l : lines) l = toDisplay(l);
    return lines;
}

QStringList toRegister(QStringList lines) {
    for (auto& l : lines) l = toRegister(l);
    return lines;
}

bool isPictureLine(const QString& line) {
    return line.contains(QChar(kPictureMark));
}

QString setAlignment(const QString& line, Align align) {
    QString out;
    out.reserve(line.size() + 1);
    for (QChar c : line)
        if (!isAlignMark(c)) out += c;
    switch (align) {
        case Align::Left:
            return QChar(kAlignLeft) + out;
        case Align::Center:
            return QChar(kAlignCenter) + out;
        case Align::Right:
            return QChar(kAlignRight) + out;
        case Align::None:
            break;
    }
    return out;
}

QString setFont(const QString& line, const QString& item) {
    const QString group = QChar(kDisplayFont) + QStringLiteral("0") + item + QChar(kDisplayFont);
    const Span span = spanOf(line, QChar(kDisplayFont));
    if (span.start < 0) return group + line;
    QString out = line;
    return out.replace(line.mid(span.start, span.length), group);
}

QString setTopOffset(const QString& line, bool on, const QString& offset) {
    if (isPictureLine(line)) return line;
    return applyTopOffset(line, on, offset);
}

QString normalisePicture(const QString& line) {
    QString out;
    out.reserve(line.size());
    for (QChar c : line)
        if (!c.isSpace()) out += c;
    return out.toLower();
}

QString setPicturePlacement(const QString& line, Placement placement, const QString& offset) {
    if (!isPictureLine(line)) return line;
    QString out = normalisePicture(line);
    const qsizetype comma = out.indexOf(QLatin1Char(','));
    if (comma < 0 || placement == Placement::None) return out;
    qsizetype end = out.indexOf(QChar(kPictureMark), comma + 1);
    if (end < 0) end = out.size();
    QString word;
    switch (placement) {
        case Placement::Left:
            word = QStringLiteral(",left");
            break;
        case Placement::Right:
            word = QStringLiteral(",right");
            break;
        case Placement::Center:
            word = QStringLiteral(",center");
            break;
        case Placement::Offset:
            word = QLatin1Char(',') + offsetText(offset);
            break;
        case Placement::None:
            break;
    }
    return out.replace(comma, end - comma, word);
}

QString setPictureTopOffset(const QString& line, bool on, const QString& offset) {
    if (!isPictureLine(line)) return line;
    return applyTopOffset(normalisePicture(line), on, offset);
}

QString pictureLine(const QString& number) {
    return QChar(kOffsetMark) + QStringLiteral("20") + QChar(kOffsetMark) + QChar(kPictureMark) +
           number + QStringLiteral(",center") + QChar(kPictureMark);
}

LineFormat formatOf(const QString& line) {
    LineFormat f;
    f.topOffset = QStringLiteral("0");
    auto readTopOffset = [&f](const QString& text) {
        if (!text.contains(QChar(kOffsetMark))) return;
        f.hasTopOffset = true;
        f.topOffset = between(text, QChar(kOffsetMark));
    };
    if (isPictureLine(line)) {
        f.kind = LineFormat::Kind::Picture;
        const QString n = normalisePicture(line);
        if (n.contains(QStringLiteral(",left"))) {
            f.placement = Placement::Left;
        } else if (n.contains(QStringLiteral(",right"))) {
            f.placement = Placement::Right;
        } else if (n.contains(QStringLiteral(",center"))) {
            f.placement = Placement::Center;
        } else if (const qsizetype comma = n.indexOf(QLatin1Char(',')); comma >= 0) {
            qsizetype end = n.indexOf(QChar(kPictureMark), comma + 1);
            if (end < 0) end = n.size();
            const QString offset = n.mid(comma + 1, end - comma - 1);
            bool ok = false;
            offset.toInt(&ok);
            if (ok) {
                f.placement = Placement::Offset;
                f.leftOffset = offset;
            }
        }
        readTopOffset(n);
        return f;
    }
    if (line.trimmed().isEmpty()) return f;
    f.kind = LineFormat::Kind::Text;
    if (line.contains(QChar(kAlignLeft)))
        f.align = Align::Left;
    else if (line.contains(QChar(kAlignCenter)))
        f.align = Align::Center;
    else if (line.contains(QChar(kAlignRight)))
        f.align = Align::Right;
    readTopOffset(line);
    if (line.contains(QChar(kDisplayFont))) {
        bool ok = false;
        const int font = between(line, QChar(kDisplayFont)).toInt(&ok);
        if (ok && font >= 0 && font <= 3) f.font = font;
    }
    return f;
}

Enlarge toggleEnlarged(const QString& selection) {
    if (selection.isEmpty()) return {};
    if (selection.contains(QChar(kEnlarged))) {
        QString out = selection;
        return {Enlarge::Outcome::Applied, out.remove(QChar(kEnlarged))};
    }
    for (QChar c : selection)
        if (isAlignMark(c) || c == QChar(kDisplayFont) || c == QChar(kOffsetMark))
            return {Enlarge::Outcome::Discarded, {}};
    QString out;
    out.reserve(selection.size() * 2);
    for (qsizetype i = 0; i < selection.size(); ++i) {
        const QChar c = selection[i];
        if (c.isSpace()) {
            out += c;
            continue;
        }
        out += QChar(kEnlarged);
        out += c;
        // a character outside the basic plane is one character, not two
        if (c.isHighSurrogate() && i + 1 < selection.size() && selection[i + 1].isLowSurrogate())
            out += selection[++i];
    }
    return {Enlarge::Outcome::Applied, out};
}

QString footerText(const QStringList& rows) {
    QStringList lines = toRegister(rows);
    while (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    if (lines.isEmpty()) return QString(QChar(0));
    return lines.join(QStringLiteral("\r\n"));
}

}  // namespace cliche
