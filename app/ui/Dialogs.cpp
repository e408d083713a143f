#include "app/ui/Dialogs.h"

namespace app {

TformPortSet::TformPortSet(QWidget* parent) : QDialog(parent) {
    setObjectName("TformPortSet");
    setWindowTitle(QStringLiteral("Настройка"));
}

}  // namespace app
