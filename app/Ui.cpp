#include "app/Ui.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "driver/Fptr.h"

namespace ui {

QString appTitle() {
    const QString path = QCoreApplication::applicationFilePath();
    if (path.isEmpty()) return QStringLiteral("velmor-kkt");
    return QFileInfo(path).completeBaseName();
}

int reportDriverError(drv::Fptr& fptr, IUi& ui, bool show, const QString& caption) {
    const int code = fptr.errorCode();
    if (code != 0 && show)
        ui.message(QStringLiteral("(%1) %2").arg(code).arg(fptr.errorDescription()),
                   Icon::Information, caption);
    return code;
}

}  // namespace ui
