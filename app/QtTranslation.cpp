#include "app/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace app {

QStringList qtTranslationDirs() {
    return {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
            QStringLiteral("/usr/share/qt6/translations")};
}

bool installQtTranslation() {
    static QTranslator* installed = nullptr;
    if (installed) return true;
    auto* app = QCoreApplication::instance();
    if (!app) return false;
    auto* translator = new QTranslator(app);
    for (const QString& dir : qtTranslationDirs()) {
        if (translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                             QStringLiteral("_"), dir) &&
            QCoreApplication::installTranslator(translator)) {
            installed = translator;
            QObject::connect(translator, &QObject::destroyed, [] { installed = nullptr; });
            return true;
        }
    }
    delete translator;
    return false;
}

}  // namespace app
