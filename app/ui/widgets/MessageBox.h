#pragma once
// The one place message boxes are shown. Tests answer boxes ahead (setNextAnswer) or switch the
// whole program to test mode, where no box is ever shown modally and every box is recorded.
#include <QList>
#include <QMessageBox>
#include <QString>

#include "app/Ui.h"

namespace ui {

class MessageBox {
  public:
    struct Record {
        QString title;
        QString text;
        Icon icon;
        QMessageBox::StandardButtons buttons;
    };

    // Shows a box owned by `parent` (topmost), or answers it in test mode.
    static QMessageBox::StandardButton show(QWidget* parent, const QString& text, Icon icon,
                                            const QString& title,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Ok);

    static void setTestMode(bool on);
    static bool testMode();
    // The answer to the next box; implies that box is not shown.
    static void setNextAnswer(QMessageBox::StandardButton answer);
    static QList<Record> history();
    static void clearHistory();
};

}  // namespace ui
