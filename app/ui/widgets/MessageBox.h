#pragma once
// The one place message boxes are shown. Tests answer boxes ahead (setNextAnswer) or switch the
// whole program to test mode, where no box is ever shown modally and every box is recorded.
#include <QList>
#include <QMessageBox>
#include <QString>
#include <memory>

#include "app/Ui.h"

namespace ui {

class MessageBox {
  public:
    struct Record {
        QString title;
        QString text;
        Icon icon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    };

    // Shows a box owned by `parent` (topmost), or answers it in test mode. `defaultButton` is
    // the one Enter presses (NoButton: Qt's choice).
    static QMessageBox::StandardButton show(
        QWidget* parent, const QString& text, Icon icon, const QString& title,
        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    // The box show() would show: captioned in Russian, topmost, not yet shown.
    static std::unique_ptr<QMessageBox> make(
        QWidget* parent, const QString& text, Icon icon, const QString& title,
        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

    static void setTestMode(bool on);
    static bool testMode();
    // The answer to the next box; implies that box is not shown.
    static void setNextAnswer(QMessageBox::StandardButton answer);
    static QList<Record> history();
    static void clearHistory();
};

}  // namespace ui
