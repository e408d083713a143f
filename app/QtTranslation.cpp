#include "app/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace app {

bool installQtTranslation() {
    auto* app = QCoreApplication::instance();
    if (!app) return false;
    if (app->findChild<QTranslator*>(QStringLiteral("qtRussian"))) return true;
    auto* translator = new QTranslator(app);
    translator->setObjectName(QStringLiteral("qtRussian"));
    for (const QString& dir : {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                               QStringLiteral("/usr/share/qt6/translations")}) {
        if (translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                             QStringLiteral("_"), dir) &&
            QCoreApplication::installTranslator(translator))
            return true;
    }
    delete translator;
    return false;
}

}  // namespace app
