#pragma once
// Qt's own texts (the buttons of message boxes and file dialogs, network and file errors) in
// Russian.

namespace app {

// Installs the system's Russian translation of Qt (Debian: qt6-translations-l10n; ALT:
// qt6-translations; RED OS: qt6-qttranslations) into the application, once. False when the
// system has none: Qt's texts then stay English.
bool installQtTranslation();

}  // namespace app
