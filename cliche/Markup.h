#pragma once
// Cliche and footer lines with their inline formatting marks.
//
// A line is plain text with marks: "¶" encloses a picture reference ("¶2,center¶"), "↓" encloses
// a top offset ("↓5↓"), "⇇", "⇌" and "⇉" align the text, the font mark encloses a two-digit font
// number ("ᚥ02ᚥ") and "»" enlarges the character after it. The register's form of a line holds
// the font mark as U+290A; the form shown to the user holds U+16A5. Every rule here is a pure
// function of the line: nothing is sent anywhere.
#include <QString>
#include <QStringList>
#include <optional>

namespace cliche {

inline constexpr char16_t kPictureMark = 0x00B6;   // ¶
inline constexpr char16_t kOffsetMark = 0x2193;    // ↓
inline constexpr char16_t kAlignLeft = 0x21C7;     // ⇇
inline constexpr char16_t kAlignCenter = 0x21CC;   // ⇌
inline constexpr char16_t kAlignRight = 0x21C9;    // ⇉
inline constexpr char16_t kRegisterFont = 0x290A;  // ⤊, origFontSymb
inline constexpr char16_t kDisplayFont = 0x16A5;   // ᚥ, myFontSymb
inline constexpr char16_t kEnlarged = 0x00BB;      // »

inline constexpr int kLineCount = 10;

// Every register font mark becomes the display one, and back.
QString toDisplay(QString line);
QString toRegister(QString line);
QStringList toDisplay(QStringList lines);
QStringList toRegister(QStringList lines);

// A line with "¶" anywhere is a picture line.
bool isPictureLine(const QString& line);

enum class Align { None, Left, Center, Right };
enum class Placement { None, Left, Right, Center, Offset };

// Text lines. Alignment: every alignment mark goes, the chosen one is put at the start.
QString setAlignment(const QString& line, Align align);
// Font: the font group (font mark, "0", `item`, font mark) replaces every copy of the first
// group of the line, or goes to the start when the line has none.
QString setFont(const QString& line, const QString& item);
// Top offset of a text line (a picture line is returned as it is). `offset` blank means "0".
QString setTopOffset(const QString& line, bool on, const QString& offset);

// Picture lines: blanks removed and lower case.
QString normalisePicture(const QString& line);
// Placement word or left offset of a picture line (a text line is returned as it is).
QString setPicturePlacement(const QString& line, Placement placement, const QString& offset = {});
// Top offset of a picture line (a text line is returned as it is).
QString setPictureTopOffset(const QString& line, bool on, const QString& offset);
// The line the "set into line" action writes: top offset 20, picture centred.
QString pictureLine(const QString& number);

// What the formatting controls show for a line.
struct LineFormat {
    enum class Kind { Empty, Text, Picture };
    Kind kind = Kind::Empty;
    Align align = Align::None;              // text lines
    int font = -1;                          // text lines: 0 to 3, -1 for none
    Placement placement = Placement::None;  // picture lines
    QString leftOffset;                     // picture lines with Placement::Offset
    bool hasTopOffset = false;
    QString topOffset;  // the text between the offset marks; "0" without them
};
LineFormat formatOf(const QString& line);

// The enlarged-font action on the editor's selection.
struct Enlarge {
    enum class Outcome {
        Applied,    // `text` replaces the selection
        Refused,    // nothing to do: the message, nothing changes
        Discarded,  // marks in the selection: the message, the editor's text is dropped
    };
    Outcome outcome = Outcome::Refused;
    QString text;
};
Enlarge toggleEnlarged(const QString& selection);

// The footer as one text for the register: register-form rows, empty rows at the end dropped,
// joined by CR LF; with nothing left, the single character U+0000.
QString footerText(const QStringList& rows);

}  // namespace cliche
