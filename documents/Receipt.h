#pragma once
// The receipt open in the register and document printing on the Чеки tab, without windows: the
// receipt's state and text, closing, cancelling, continuing a stopped print, printing a copy of
// a stored document, and the bytes of the saved view.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace drv {
class Fptr;
}
namespace ui {
class IUi;
}

namespace documents {

inline const QString kPrintFailed = QStringLiteral("Не удалось напечатать документ\r\n");
inline const QString kSaveViewFilter = QStringLiteral("Текстовый файл (*.txt)|*.txt|");

// The name of a LIBFPTR_RT_ receipt type; empty for any other value.
QString receiptTypeName(drv::Fptr& fptr, int type);

// What "Прочитать" shows: the state box and the lines of the view.
struct OpenReceiptView {
    QString state;
    QStringList lines;
    int error = 0;  // the state query failed: nothing is known about the receipt
    QString errorDescription;
};

// Queries the receipt state and makes the state box text and the view: six lines for an open
// receipt, the single line "Чек закрыт" otherwise. A failed query gives its error instead, so
// that no failure reads as a closed receipt.
OpenReceiptView readOpenReceipt(drv::Fptr& fptr);

inline const QString kCancelReceiptQuestion =
    QStringLiteral("Отменить открытый чек?\r\n\r\nЕго позиции и оплаты будут удалены.");

// Close and cancel of the open receipt; true on success. A driver error is shown as its
// description alone. The cancel is asked first (Enter alone answers no): false when declined.
bool closeOpenReceipt(drv::Fptr& fptr, ui::IUi& ui);
bool cancelOpenReceipt(drv::Fptr& fptr, ui::IUi& ui);
// Continues a stopped print; a driver error is shown after "Не удалось напечатать документ".
void continuePrinting(drv::Fptr& fptr, ui::IUi& ui);
// Prints a copy of the stored document numbered `numberText`; an empty text does nothing.
void printDocumentCopy(drv::Fptr& fptr, ui::IUi& ui, const QString& numberText);

// The lines of a view's text as the saved file holds them (an empty view has none).
QStringList viewLines(const QString& viewText);

}  // namespace documents
