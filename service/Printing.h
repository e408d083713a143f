#pragma once
// Free text and barcode printing: the option lists, the symbology table with its correction
// lists, the range rules of the barcode boxes and the two print jobs.
#include <QList>
#include <QString>
#include <QStringList>

namespace drv {
class Fptr;
}
namespace ui {
class IUi;
}

namespace service {

// --- text printing

// Items of the alignment list; the list starts at "По центру".
QStringList alignmentItems();
inline constexpr int kDefaultAlignment = 1;
// The driver constant name of an alignment position (0 left, 1 centre, 2 right); centre for a
// position outside the list.
const char* alignmentConstant(int position);

// One of the number lists of the text print (font, brightness, line spacing).
struct OptionList {
    QStringList items;
    int selected = -1;  // -1: no selection
    bool enabled = true;
    bool operator==(const OptionList&) const = default;
};
struct TextPrintLists {
    OptionList font, brightness, lineSpacing;
};
// The lists as they are after a connection, for a platform-5 register or an older one.
TextPrintLists textPrintLists(bool isP5);

struct TextPrintJob {
    QString text;  // the whole text with its line breaks; an empty text is printed too
    int alignmentPosition = kDefaultAlignment;
    QString font, brightness, lineSpacing;  // the boxes' texts, empty when nothing is selected
    bool doubleWidth = false;
    bool doubleHeight = false;
};
// Sets the print parameters, prints, and shows a driver error. Returns the error code.
int printText(drv::Fptr& fptr, ui::IUi& ui, const TextPrintJob& job);

// --- barcode printing

enum class BarcodeKind { Linear, Qr, Pdf417 };

struct Symbology {
    QString item;          // the list item
    const char* constant;  // the driver constant name
    BarcodeKind kind;
    QString scale;  // the scale box's text after choosing it
};
// The nine symbologies in the order of the list.
const QList<Symbology>& symbologies();
QStringList symbologyItems();
// The row whose item equals `text`, compared trimmed and ignoring case; null when none does.
const Symbology* findSymbology(const QString& text);

// The correction lists and the driver constant name of each position (null outside the list).
QStringList qrCorrectionItems();
QStringList pdf417CorrectionItems();
const char* correctionConstant(BarcodeKind kind, int position);

// How the barcode boxes look after choosing a symbology. The two lists are rebuilt only for a
// QR code or PDF417; for the others they keep their contents and are only disabled.
struct BarcodeControls {
    bool heightEnabled = true;
    bool listsEnabled = false;
    bool rebuildLists = false;
    QString versionLabel;  // "Версия" or "Столбцы" (only with rebuildLists)
    QStringList correctionItems;
    QStringList versionItems;
    int versionSelected = 0;
    QString scale;
};
BarcodeControls barcodeControlsFor(const QString& symbologyText);

inline const QString kDefaultHeight = QStringLiteral("32");
inline const QString kMaxHeight = QStringLiteral("200");
inline const QString kDefaultScale = QStringLiteral("1");
inline const QString kMaxScale = QStringLiteral("50");

// The text a range-checked box takes: `max` when it holds a number above it, `empty` when it
// holds no number, otherwise the text unchanged. A number too long for any integer type is
// still a number above the limit.
QString rangeChecked(const QString& text, int max, const QString& empty);
inline QString checkedHeight(const QString& text) {
    return rangeChecked(text, 200, kDefaultHeight);
}
inline QString checkedScale(const QString& text) {
    return rangeChecked(text, 50, kDefaultScale);
}

struct BarcodePrintJob {
    QString data;
    QString symbology;  // the list's text
    QString leftMargin, height, scale;
    int correctionPosition = 0;
    QString versionOrColumns;
    bool printData = false;
};
enum class BarcodeOutcome { Printed, Failed, NothingToPrint };
struct BarcodePrintResult {
    BarcodeOutcome outcome = BarcodeOutcome::NothingToPrint;
    int errorCode = 0;
};
// Nothing is sent for empty data or a symbology not in the table; otherwise sets the
// parameters, prints and shows a driver error.
BarcodePrintResult printBarcode(drv::Fptr& fptr, ui::IUi& ui, const BarcodePrintJob& job);

}  // namespace service
