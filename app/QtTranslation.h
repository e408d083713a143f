#pragma once
// Qt's own texts (the buttons of message boxes and file dialogs, network and file errors) in
// Russian, from the system's Qt translations.
#include <QString>

namespace app {

// Installs Qt's Russian translation into the application once; false when the system has none
// (Debian: qt6-translations-l10n), and Qt's texts then stay English.
bool installQtTranslation();
// The folders searched for qtbase_ru.qm, in order.
QStringList qtTranslationDirs();

}  // namespace app
