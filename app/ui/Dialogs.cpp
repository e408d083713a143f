#include "app/ui/Dialogs.h"

namespace app {

TformPortSet::TformPortSet(QWidget* parent) : QDialog(parent) {
    setObjectName("TformPortSet");
    setWindowTitle(QStringLiteral("Настройка"));
}

TFormSetSet::TFormSetSet(QWidget* parent) : QDialog(parent) {
    setObjectName("TFormSetSet");
    setWindowTitle(QStringLiteral("Настройка параметра"));
}

}  // namespace app
