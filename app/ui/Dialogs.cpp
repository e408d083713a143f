#include "app/ui/Dialogs.h"

namespace app {

TformPortSet::TformPortSet(QWidget* parent) : QDialog(parent) {
    setObjectName("TformPortSet");
    setWindowTitle(QStringLiteral("Настройка"));
}

TFormUpdate::TFormUpdate(QWidget* parent) : QDialog(parent) {
    setObjectName("TFormUpdate");
    setWindowTitle(QStringLiteral("Загрузка драйверов"));
}

TFormSetSet::TFormSetSet(QWidget* parent) : QDialog(parent) {
    setObjectName("TFormSetSet");
    setWindowTitle(QStringLiteral("Настройка параметра"));
}

}  // namespace app
