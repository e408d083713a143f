#include "settings/RangeRule.h"

namespace settings {

QString trimBlanks(const QString& text) {
    qsizetype from = 0, to = text.size();
    while (from < to && text[from].unicode() <= 0x20) ++from;
    while (to > from && text[to - 1].unicode() <= 0x20) --to;
    return text.mid(from, to - from);
}

RangeTexts rangeTexts(const QString& description) {
    const QString desc = trimBlanks(description);
    const qsizetype dots = desc.indexOf(QLatin1String(".."));
    if (dots < 0) return {};
    RangeTexts out;
    out.lower = trimBlanks(desc.left(dots));
    const QString after = trimBlanks(desc.mid(dots + 2, 10));
    if (desc.size() <= 11) {
        out.upper = after;
    } else {
        const qsizetype space = after.indexOf(QLatin1Char(' '));
        out.upper = space < 0 ? QString() : trimBlanks(after.left(space + 1));
    }
    return out;
}

std::optional<qint64> wholeNumber(const QString& text) {
    const QString t = trimBlanks(text);
    qsizetype i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) ++i;
    if (i == t.size()) return std::nullopt;
    for (qsizetype j = i; j < t.size(); ++j)
        if (t[j] < QLatin1Char('0') || t[j] > QLatin1Char('9')) return std::nullopt;
    bool ok = false;
    const qint64 n = t.toLongLong(&ok, 10);
    if (!ok) return std::nullopt;
    return n;
}

std::optional<Range> parseRange(const QString& description) {
    if (!hasRange(description)) return std::nullopt;
    const RangeTexts texts = rangeTexts(description);
    const auto lower = wholeNumber(texts.lower);
    const auto upper = wholeNumber(texts.upper);
    if (!lower || !upper) return std::nullopt;
    return Range{*lower, *upper};
}

RangeCheck checkRange(const QString& description, const QString& text) {
    if (!hasRange(description)) return RangeCheck::Ok;
    const auto n = wholeNumber(text);
    if (!n) return RangeCheck::NotANumber;
    const auto range = parseRange(description);
    if (!range) return RangeCheck::BadRange;
    if (*n < range->lower || *n > range->upper) return RangeCheck::OutOfRange;
    return RangeCheck::Ok;
}

QString rangeMessage(RangeCheck check) {
    switch (check) {
        case RangeCheck::NotANumber:
            return kBadNumber;
        case RangeCheck::BadRange:
            return kBadRange;
        case RangeCheck::OutOfRange:
            return kOutOfRange;
        case RangeCheck::Ok:
            break;
    }
    return {};
}

}  // namespace settings
