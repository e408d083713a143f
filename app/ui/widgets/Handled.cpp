#include "app/ui/widgets/Handled.h"

#include "app/ui/widgets/MessageBox.h"

namespace ui {

void showFailure(QWidget* parent, const QString& what) {
    MessageBox::show(parent, what.isEmpty() ? QStringLiteral("Непредвиденная ошибка") : what,
                     Icon::Error, appTitle());
}

}  // namespace ui
