#pragma once
// The number range a setting's description may declare ("0..255", "1..99 (минуты)") and the
// check of a value typed into the editor against it.
#include <QString>
#include <optional>

namespace settings {

inline const QString kBadNumber = QStringLiteral("Введено некорректное значение.");
inline const QString kBadRange = QStringLiteral("Некорректный диапазон");
inline const QString kOutOfRange = QStringLiteral("Некорректное значение");

// A description holding ".." declares a range, whatever the editor kind.
inline bool hasRange(const QString& description) {
    return description.contains(QLatin1String(".."));
}

// The text with blanks (control characters and spaces) removed at both ends.
QString trimBlanks(const QString& text);

// The bound texts of a range description, before they are read as numbers. On the description
// with blanks removed: the lower bound is the text before the first "..", blanks removed. The
// upper bound is taken from the (at most) ten characters after it, blanks removed: as they are
// when the description has at most eleven characters; for a longer one only the part up to the
// first space (none without a space), blanks removed again.
struct RangeTexts {
    QString lower;
    QString upper;
};
RangeTexts rangeTexts(const QString& description);

// A whole number: an optional sign and decimal digits, after blanks are removed.
std::optional<qint64> wholeNumber(const QString& text);

struct Range {
    qint64 lower = 0;
    qint64 upper = 0;
    bool operator==(const Range&) const = default;
};
// The range of a description; nullopt when it holds no ".." or a bound is not a whole number.
std::optional<Range> parseRange(const QString& description);

enum class RangeCheck { Ok, NotANumber, BadRange, OutOfRange };
// The editor's check of `text` for a setting described by `description`, in its order: the
// text must be a whole number, the range must be readable, the number must lie in it.
// A description without ".." accepts anything.
RangeCheck checkRange(const QString& description, const QString& text);
// The message for a refused value; empty for Ok.
QString rangeMessage(RangeCheck check);

}  // namespace settings
