#pragma once
// The cliche and footer lines on the register and in the program's INI file.
#include <QString>
#include <QStringList>
#include <optional>

namespace drv {
class Fptr;
}
namespace ui {
class IUi;
}

namespace cliche {

// Cliche line n (1 to 10) is the register setting 183 + n.
inline constexpr int kFirstClicheSetting = 184;

// The ten cliche lines in display form; the driver's error state is not examined.
QStringList readCliche(drv::Fptr& fptr);
// Writes the ten display-form rows as settings and commits them; the error after the commit is
// reported (without a title) and returned.
int writeCliche(drv::Fptr& fptr, ui::IUi& ui, const QStringList& rows);
// Sends the footer (see footerText) and reports the error (without a title); returns the code.
int writeFooter(drv::Fptr& fptr, ui::IUi& ui, const QStringList& rows);

// The INI section of the footer copy of the register with this serial number ("Footer-" and the
// number; a character other than a letter, digit, "-", "_" or "." becomes "_").
QString footerSection(const QString& serial);
// Stores the ten display-form rows in register form under keys "1" to "10"; other sections
// stay. False when the file can't be read or written (then it is left as it was).
bool storeFooter(const QString& iniPath, const QString& serial, const QStringList& rows);
// The ten stored rows in display form; nullopt without the section (or a file that can't be
// read).
std::optional<QStringList> loadFooter(const QString& iniPath, const QString& serial);

// Prints the register's cliche and feeds five empty lines.
void printCliche(drv::Fptr& fptr, ui::IUi& ui);

// A line of `width` characters: `left`, blanks, `right` (no blanks when they do not fit).
QString twoPartLine(const QString& left, const QString& right, int width);
// Prints the non-fiscal test receipt; `isP5` prints the total in the enlarged font 2.
void printTestReceipt(drv::Fptr& fptr, ui::IUi& ui, bool isP5);
// The address in the test receipt's QR code.
inline constexpr char kTestReceiptAddress[] = "https://velmor.ru";

}  // namespace cliche
